// A reader's memory stays within a small multiple of its input, whatever the
// input: millions of comment or blank lines cost no more than their bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#if defined(__linux__)
#include <sys/resource.h>
#endif

#include "TestSupport.h"
#include "registry/Registry.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZELVO_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVO_TEST_UNDER_ASAN 1
#endif
#endif

namespace zelvo {
namespace {

constexpr int kCommentLines = 5'000'000;

std::string ManyComments() {
  std::string text = "LUT_1D_SIZE 2\n";
  text.reserve(kCommentLines * 4 + 64);
  for (int i = 0; i < kCommentLines; ++i) text += "# c\n";
  return text + "0 0 0\n1 1 1\n";
}

TEST(MemoryBound, OnlyTheFirstThousandCommentsAreKept) {
  TLUT lut;
  LoadLUTFromMemory("many.cube", ManyComments(), lut);
  ASSERT_EQ(lut.Comments.size(), TLineCursor::kMaxComments + 1);
  EXPECT_EQ(lut.Comments[999], "c");
  EXPECT_EQ(lut.Comments.back(), "(4999000 more comment lines left out)");
  EXPECT_EQ(lut.Size1D(), 2);
}

#if defined(__linux__) && !defined(ZELVO_TEST_UNDER_ASAN)
// The data memory of this process, from the kernel.
long long DataKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmData:") {
      long long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return -1;
}

// With 64 MB more than the process holds before the load, a load of 20 MB of
// comment lines, and one of 20 MB of blank lines, must succeed: each comment
// kept would cost some 40 bytes for its 4.
TEST(MemoryBoundDeathTest, LargeFilesOfCommentsAndBlankLinesLoadInLittleMemory) {
  const std::string comments = ManyComments();
  std::string blanks = "LUT_3D_SIZE 2\n" + std::string(20'000'000, '\n');
  for (int i = 0; i < 8; ++i) blanks += "0.5 0.5 0.5\n";
  for (const std::string* text : {&comments, static_cast<const std::string*>(&blanks)}) {
    EXPECT_EXIT(
        {
          const long long data = DataKilobytes();
          rlimit limit{};
          limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>((data + 64 * 1024) * 1024);
          setrlimit(RLIMIT_DATA, &limit);
          TLUT lut;
          LoadLUTFromMemory(text == &comments ? "many.cube" : "blank.cube", *text, lut);
          std::exit(lut.FormatIndex == TLUTFormatId::None ? 3 : 0);
        },
        testing::ExitedWithCode(0), "");
  }
}
#endif

}  // namespace
}  // namespace zelvo
