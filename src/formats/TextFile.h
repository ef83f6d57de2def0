// A list of text lines read from or written to a file with a fixed line end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  void ReadFromText(std::string text);

  // Append one line (the text is copied).
  void Add(std::string_view line);
  void Clear();

  std::size_t Count() const { return spans_.size(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(buffer_.data() + spans_[i].first, spans_[i].second);
  }

  // All lines, each followed by LineBreak, the last one included.
  std::string Text() const;

  // Writes Text() so that the file is either replaced whole or left as it was:
  // the text goes to a new file in the same folder, which then replaces the target.
  void WriteToFile(const std::string& file_name) const;

 private:
  void SplitLines();
  std::string buffer_;
  std::vector<std::pair<std::size_t, std::size_t>> spans_;  // offset, length
};

// The first max_bytes bytes of a file (all of it when shorter).
std::string ReadFileHead(const std::string& file_name, std::size_t max_bytes);

// Replaces a file with the given bytes, as WriteToFile does.
void WriteFileAtomically(const std::string& file_name, std::string_view data);

}  // namespace zelvo
