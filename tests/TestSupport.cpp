#include "TestSupport.h"
#include <gtest/gtest.h>

#include "base/TextFile.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include <csignal>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zelvo::test {

TempDir::TempDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto candidate = base / ("zelvo-test-" + std::to_string(rd()) + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(std::string_view name) const { return (path_ / std::string(name)).string(); }

std::string TempDir::Write(std::string_view name, std::string_view content) const {
  const std::string file = File(name);
  std::ofstream out(file, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return file;
}

#if defined(_WIN32)
FileSizeLimit::FileSizeLimit(long long) : old_soft_(0), old_handler_(nullptr) {}
FileSizeLimit::~FileSizeLimit() = default;
#else
FileSizeLimit::FileSizeLimit(long long bytes) {
  rlimit rl{};
  getrlimit(RLIMIT_FSIZE, &rl);
  old_soft_ = static_cast<long long>(rl.rlim_cur);
  old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  rl.rlim_cur = static_cast<rlim_t>(bytes);
  setrlimit(RLIMIT_FSIZE, &rl);
}

FileSizeLimit::~FileSizeLimit() {
  rlimit rl{};
  getrlimit(RLIMIT_FSIZE, &rl);
  rl.rlim_cur = static_cast<rlim_t>(old_soft_);
  setrlimit(RLIMIT_FSIZE, &rl);
  std::signal(SIGXFSZ, old_handler_);
}
#endif

std::string ReadAll(const std::string& file_name) {
  std::ifstream in(file_name, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> FileLines(const std::string& file_name) {
  TTextFile f;
  f.ReadFromFile(file_name);
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < f.Count(); ++i) lines.emplace_back(f[i]);
  return lines;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

std::vector<std::string> MutatedCopies(const std::vector<std::string>& texts, const std::vector<std::string>& tokens,
                                       int copies_each, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> out;
  for (const std::string& original : texts) {
    for (int i = 0; i < copies_each; ++i) {
      std::string text = original;
      switch (i % 4) {
        case 0:  // cut short
          text.resize(rng() % (text.size() + 1));
          break;
        case 1:  // bytes changed
          for (int k = 0; k < 4 && !text.empty(); ++k) text[rng() % text.size()] = static_cast<char>(rng());
          break;
        case 2:  // a token put somewhere
          if (!tokens.empty()) text.insert(rng() % (text.size() + 1), tokens[rng() % tokens.size()]);
          break;
        default:  // random bytes after the first line
          text = text.substr(0, text.find('\n') + 1);
          for (int k = 0; k < 200; ++k) text.push_back(static_cast<char>(rng() % 64 + 32 * (rng() % 2)));
      }
      out.push_back(std::move(text));
    }
  }
  return out;
}

std::string ExifBlock(int orientation, bool big_endian) {
  const auto u16 = [big_endian](unsigned v) {
    const char hi = static_cast<char>(v >> 8 & 255), lo = static_cast<char>(v & 255);
    return big_endian ? std::string{hi, lo} : std::string{lo, hi};
  };
  const auto u32 = [&](unsigned v) { return big_endian ? u16(v >> 16) + u16(v & 0xFFFF) : u16(v & 0xFFFF) + u16(v >> 16); };
  std::string block("Exif\0\0", 6);
  block += big_endian ? "MM" : "II";
  block += u16(42) + u32(8) + u16(2);
  block += u16(0x010F) + u16(2) + u32(4) + std::string("Zel\0", 4);                      // the make, ASCII
  block += u16(0x0112) + u16(3) + u32(1) + u16(static_cast<unsigned>(orientation)) + u16(0);  // the orientation
  return block + u32(0);  // no further directory
}

std::string PeerFile(std::string_view relative) {
  const std::filesystem::path p = std::filesystem::path(ZELVO_TESTDATA_DIR) / "peer-luts" / std::string(relative);
  return std::filesystem::exists(p) ? p.string() : std::string();
}

}  // namespace zelvo::test
