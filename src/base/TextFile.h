// A list of text lines read from or written to a file with a fixed line end.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/LargeAlloc.h"

namespace zelvo {

// Files larger than this are not LUT files; reading them is refused rather
// than loading gigabytes into memory. A text of a 256-point grid takes 450 MB
// at six decimals, and some 700 MB with the nine digits of single-precision
// floats and grid indexes on every row.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{1024} * 1024u * 1024u;

// The text of a file being written, built in one buffer. Large texts take
// their memory like the tables do (LargeAlloc.h), so that writing a big file
// does not fault its pages in one by one.
using TFileText = std::basic_string<char, std::char_traits<char>, LargeAllocator<char>>;

class TTextFile {
 public:
  std::string LineBreak = "\n";

  // Replace the lines by those of a file or a string. A line ends at CR, LF or
  // CR LF; a NUL byte ends the text; a UTF-8 byte-order mark at the start is skipped.
  void ReadFromFile(const std::string& file_name);
  void ReadFromText(std::string_view text);

  // Append one line (the text is copied).
  void Add(std::string_view line);
  // Room for `lines` more lines of `bytes` characters in all, so that a writer
  // of a large table fills one buffer without growing it.
  void Reserve(std::size_t lines, std::size_t bytes);
  void Clear();

  std::size_t Count() const { return spans_.size(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(buffer_.data() + spans_[i].offset, spans_[i].length);
  }

  // All lines, each followed by LineBreak, the last one included.
  std::string Text() const;
  // The same without a copy where possible.
  std::string_view TextView(std::string& scratch) const;

  // Writes Text() so that the file is either replaced whole or left as it was:
  // the text goes to a new file in the same folder, which then replaces the target.
  void WriteToFile(const std::string& file_name) const;

 private:
  void SplitLines();
  // True while every line came from Add: buffer_ then holds each line followed
  // by LineBreak, which is exactly the file's text.
  bool added_only_ = true;
  bool mixed_breaks_ = false;
  std::string added_break_;
  using Buffer = std::basic_string<char, std::char_traits<char>, LargeAllocator<char>>;
  Buffer buffer_;
  // Offset and length of each line; 32 bits hold any text this class keeps
  // (files are refused above kMaxTextFileBytes, written text is checked in Add).
  struct Span {
    std::uint32_t offset;
    std::uint32_t length;
  };
  std::vector<Span, LargeAllocator<Span>> spans_;
};

// The first CR or LF at or after p, or end.
inline const char* FindLineEnd(const char* p, const char* end) {
  // Eight bytes at a time: a byte equal to CR or LF becomes zero after the
  // XOR, and the lowest zero byte is flagged exactly (a borrow only runs
  // towards later bytes).
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  while (std::endian::native == std::endian::little && end - p >= 8) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    const std::uint64_t lf = v ^ (kOnes * '\n');
    const std::uint64_t cr = v ^ (kOnes * '\r');
    const std::uint64_t hits = (((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighs;
    if (hits != 0) return p + std::countr_zero(hits) / 8;
    p += 8;
  }
  while (p < end && *p != '\n' && *p != '\r') ++p;
  return p;
}

// The line of `text` that starts at `pos`, and where the next one starts. A
// line ends at LF, CR or CR LF; text after the last line end forms a last line.
struct TLineAt {
  std::string_view line;
  std::size_t next;
};
inline TLineAt LineAt(std::string_view text, std::size_t pos) {
  const char* begin = text.data() + pos;
  const char* end = text.data() + text.size();
  const char* e = FindLineEnd(begin, end);
  std::size_t next = static_cast<std::size_t>(e - text.data());
  if (e < end) next += (*e == '\r' && e + 1 < end && e[1] == '\n') ? 2 : 1;  // CR LF is one line end
  return TLineAt{std::string_view(begin, static_cast<std::size_t>(e - begin)), next};
}

// Calls f(line) for each line of `text`, in order, until f returns true. (The
// byte-order mark and NUL rules of ReadFromText are applied by the caller.)
template <typename F>
void ForEachLineIn(std::string_view text, F&& f) {
  for (std::size_t pos = 0; pos < text.size();) {
    const TLineAt at = LineAt(text, pos);
    if (f(at.line)) return;
    pos = at.next;
  }
}

// The first max_bytes bytes of a file (all of it when shorter).
std::string ReadFileHead(const std::string& file_name, std::size_t max_bytes);
// A whole file in one buffer, read with one open. Folders, pipes and devices
// are refused before they are opened; files above kMaxTextFileBytes are refused
// as not LUT files. With `max_bytes`, only that many bytes are read.
TByteBuffer ReadWholeFile(const std::string& file_name, std::size_t max_bytes = kMaxTextFileBytes + 1);

// A whole file that is not a LUT file (a picture, a colour profile), refused
// like ReadWholeFile refuses folders, pipes and devices, and with
// `too_large` as the message when it holds more than `max_bytes`.
TByteBuffer ReadBinaryFile(const std::string& file_name, std::size_t max_bytes, const std::string& too_large);

// The file name without folder and without extension ("/a/grade.cms" gives
// "grade"); the extension is the part from the last '.'.
std::string BaseNameOf(const std::string& file_name);

// Whether a write may replace a file that is already there.
enum class TReplace { Replace, KeepExisting };

// Writes a file whole or not at all: the bytes go to a new file beside the
// target, which then takes the target's place. Replace keeps a replaced file's
// permissions and refuses a file the user may not write; KeepExisting refuses
// any file that is there, also one that appears while the bytes are written.
void WriteFileAtomically(const std::string& file_name, std::string_view data,
                         TReplace replace = TReplace::Replace);

// Removes the temporary files being written when SIGINT, SIGTERM or SIGHUP
// ends the program (the programs call it once at start).
void InstallTemporaryFileCleanup();
// For tests: called with the temporary file's path once it exists.
void SetTemporaryFileHook(std::function<void(const std::string& temp_path)> hook);

}  // namespace zelvo
