// A list of text lines read from or written to a file with a fixed line end.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The first max_bytes bytes of a file (all of it when shorter).
std::string ReadFileHead(const std::string& file_name, std::size_t max_bytes);

// Replaces a file with the given bytes, as WriteToFile does.
void WriteFileAtomically(const std::string& file_name, std::string_view data);

}  // namespace zelvo
