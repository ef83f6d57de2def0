// Helpers shared by the test programs: a fresh temporary folder per test, file
// reading and writing, and the location of the peer files.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "formats/LUTFormat.h"
#include "lut/LUT.h"

namespace zelvo {

// Test messages show a format identity as its number and the format's name.
void PrintTo(TLUTFormatId id, std::ostream* os);

}  // namespace zelvo

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

// One format's reader and writer on a file, without detection: the file is
// read whole and handed to the format; the text the format writes goes to the
// file, titled after its name.
TLoadInfo LoadWith(TLUTFormatId format, const std::string& file_name, TLUT& lut);
void SaveWith(TLUTFormatId format, const std::string& file_name, const TLUT& lut, int bits);
// Loads text from memory under a name whose extension may matter, with the
// detected format or the given one.
TLoadInfo LoadText(std::string_view text, TLUT& lut, TLUTFormatId format = TLUTFormatId::None,
                   const std::string& name = "memory.lut");

// What a load that succeeded must leave: a table of the size it states for
// every stage its kind puts in force, within the limits, and (unless the
// format can hold infinities) only finite values. `context` names the input.
void ExpectConsistentTable(const TLUT& lut, std::string_view context, bool finite = true);

// Mutated copies of texts, as a fuzzer makes them: cut short, bytes changed,
// one of `tokens` put somewhere, or random bytes after the first line. Seeded,
// so every run sees the same inputs.
std::vector<std::string> MutatedCopies(const std::vector<std::string>& texts, const std::vector<std::string>& tokens,
                                       int copies_each, unsigned seed);

// The output profile with this caption; fails the test when there is none.
const TLutOutputProfile& Profile(std::string_view caption);

// The largest difference of any channel between two tables over the first n
// points per axis (3D) or the first m entries (1D); infinity when a value is NaN.
double MaxDifference3D(const TLUT& a, const TLUT& b, int n);
double MaxDifference1D(const TLUT& a, const TLUT& b, int m);

// Fills a LUT with a smooth non-identity table (all channels mixed).
void FillSample3D(TLUT& lut, int n);
void FillSample1D(TLUT& lut, int m);
// Fills an identity table.
void FillIdentity3D(TLUT& lut, int n);
// Three 1D entries that show rounding (0.5 at odd code counts), clamping below
// 0 and above 1.
void FillThree1D(TLUT& lut);

// The payload of a JPEG APP1 marker that holds an EXIF block: "Exif\0\0", a
// TIFF header in either byte order, and a first directory of two entries, the
// camera's make and then the orientation (a short).
std::string ExifBlock(int orientation, bool big_endian = false);

}  // namespace zelvo::test
