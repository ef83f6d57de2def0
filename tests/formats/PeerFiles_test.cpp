// Every file of the peers' test data, whatever it is: it loads to a
// consistent table or fails with one of our errors, never anything else, in
// bounded time and memory.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <new>
#include <string>

#if defined(__linux__)
#include <sys/resource.h>
#endif

#include "TestLUTs.h"
#include "registry/Registry.h"

namespace zelvo {
namespace {

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
// Data memory of the process capped while the files load: a reader that
// allocates far beyond its input fails with bad_alloc instead of passing.
class DataLimit {
 public:
  explicit DataLimit(rlim_t bytes) {
    getrlimit(RLIMIT_DATA, &old_);
    rlimit limit = old_;
    limit.rlim_cur = std::min(bytes, old_.rlim_max);
    setrlimit(RLIMIT_DATA, &limit);
  }
  ~DataLimit() { setrlimit(RLIMIT_DATA, &old_); }

 private:
  rlimit old_{};
};
#else
struct DataLimit {
  explicit DataLimit(unsigned long long) {}
};
#endif

TEST(PeerFiles, EveryFileLoadsOrFailsWithOurError) {
  const std::string root = test::PeerFile("");
  if (root.empty()) GTEST_SKIP() << "peer files missing";
  // No file is 4 MiB or larger; a table of the largest sizes takes about 25 MB.
  const DataLimit limit(2ull << 30);
  int files = 0, loaded = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string file = entry.path().string();
    ++files;
    const auto start = std::chrono::steady_clock::now();
    TLUT lut;
    try {
      LoadLUTFile(file, lut);
      if (lut.FormatIndex != TLUTFormatId::None) {
        ++loaded;
        test::ExpectConsistentTable(lut, file, false);
      }
    } catch (const EZelvoError& e) {
      EXPECT_FALSE(std::string(e.what()).empty()) << file;
    } catch (const std::bad_alloc&) {
      ADD_FAILURE() << file << ": more memory than the limit";
    } catch (const std::exception& e) {
      ADD_FAILURE() << file << ": not one of our errors: " << e.what();
    }
    // A bound against hangs, far above what any file takes (under the
    // sanitizers too); speed is measured in the benchmarks.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << file;
  }
  EXPECT_GE(files, 300);
  EXPECT_GE(loaded, 180);
}

}  // namespace
}  // namespace zelvo
