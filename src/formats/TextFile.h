// A list of text lines read from or written to a file with a fixed line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lut/LargeAlloc.h"

namespace zelvo {

// Files larger than this are not LUT files; reading them is refused rather
// than loading gigabytes into memory.
inline constexpr std::size_t kMaxTextFileBytes = 256u * 1024u * 1024u;

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

// Calls f(line) for each line of `text`, in order, until f returns true. A line
// ends at LF, CR or CR LF; text after the last line end forms a last line. (The
// byte-order mark and NUL rules of ReadFromText are applied by the caller.)
template <typename F>
void ForEachLineIn(std::string_view text, F&& f) {
  const char* data = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  // Search for LF (the usual end), then for CRs inside the piece found.
  while (i < n) {
    const std::size_t lf = text.find('\n', i);
    const std::size_t piece_end = lf == std::string_view::npos ? n : lf;
    std::size_t start = i;
    // Look for CRs only inside this piece, so the scan stays linear.
    while (const void* cr = std::memchr(data + start, '\r', piece_end - start)) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
      if (f(std::string_view(data + start, at - start))) return;
      start = at + 1;
    }
    // A CR directly before the LF already ended the line: CR LF is one line end.
    const bool crlf = start == piece_end && start > i && data[start - 1] == '\r' && lf != std::string_view::npos;
    if (!crlf && (lf != std::string_view::npos || start < piece_end)) {
      if (f(std::string_view(data + start, piece_end - start))) return;
    }
    i = piece_end + (lf == std::string_view::npos ? 0 : 1);
  }
}

// The first max_bytes bytes of a file (all of it when shorter).
std::string ReadFileHead(const std::string& file_name, std::size_t max_bytes);

// Replaces a file with the given bytes, as WriteToFile does.
void WriteFileAtomically(const std::string& file_name, std::string_view data);

}  // namespace zelvo
