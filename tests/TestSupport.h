// Helpers shared by every test program: a fresh temporary folder per test,
// file reading and writing, mutated texts and the location of the peer files.
// The LUT helpers are in TestLUTs.h, the format helpers in TestFormats.h.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::test {

// A new empty folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // Full path of a file in the folder, as a string.
  std::string File(std::string_view name) const;
  // Writes `content` to a file in the folder and returns its path.
  std::string Write(std::string_view name, std::string_view content) const;

 private:
  std::filesystem::path path_;
};

// Limits the size of files this process writes while the object lives (writes
// beyond it fail with EFBIG instead of raising a signal). POSIX only: elsewhere
// it does nothing, and tests that need it are skipped.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(long long bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  long long old_soft_;
  void (*old_handler_)(int);
};

std::string ReadAll(const std::string& file_name);
// The lines of a file as the readers see them.
std::vector<std::string> FileLines(const std::string& file_name);
// The message of the error f raises, or "" when it raises none.
std::string ErrorOf(const std::function<void()>& f);

// ../shared/testdata/peer-luts/<relative>, or empty when the folder is missing.
std::string PeerFile(std::string_view relative);

// Mutated copies of texts, as a fuzzer makes them: cut short, bytes changed,
// one of `tokens` put somewhere, or random bytes after the first line. Seeded,
// so every run sees the same inputs.
std::vector<std::string> MutatedCopies(const std::vector<std::string>& texts, const std::vector<std::string>& tokens,
                                       int copies_each, unsigned seed);

// The payload of a JPEG APP1 marker that holds an EXIF block: "Exif\0\0", a
// TIFF header in either byte order, and a first directory of two entries, the
// camera's make and then the orientation (a short).
std::string ExifBlock(int orientation, bool big_endian = false);

}  // namespace zelvo::test
