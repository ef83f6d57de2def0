#include "base/LUTSource.h"

#include <algorithm>
#include <cstring>

#include "base/StringLib.h"
#include "base/TextFile.h"

namespace zelvo {

TLUTSource::TLUTSource(std::string name, std::string_view bytes) : name_(std::move(name)), bytes_(bytes) { Index(); }

TLUTSource::TLUTSource(std::string name, TByteBuffer buffer) : name_(std::move(name)), buffer_(std::move(buffer)) {
  bytes_ = std::string_view(buffer_.data(), buffer_.size());
  Index();
}

TLUTSource::TLUTSource(TLUTSource&& other) noexcept
    : name_(std::move(other.name_)),
      buffer_(std::move(other.buffer_)),
      bytes_(other.bytes_),
      text_(other.text_),
      upper_head_(std::move(other.upper_head_)),
      head_length_(other.head_length_),
      item_id_(std::move(other.item_id_)),
      image_options_(other.image_options_) {}

namespace {

// The end of a comment-only block at the start of a text: blank lines and
// lines whose first character after blanks is '#', or, in a document that
// starts with '<', its declaration, comments and processing instructions.
// `complete` is false when the text ends inside the block.
std::size_t LeadingCommentsEnd(std::string_view text, bool& complete) {
  complete = true;
  std::size_t pos = 0;
  const std::size_t n = text.size();
  while (pos < n && IsBlank(text[pos])) ++pos;
  if (pos < n && text[pos] == '<') {
    for (;;) {
      while (pos < n && IsBlank(text[pos])) ++pos;
      const std::string_view rest = text.substr(pos);
      std::string_view close;
      if (rest.starts_with("<?")) close = "?>";
      else if (rest.starts_with("<!--")) close = "-->";
      else return pos;
      const std::size_t end = text.find(close, pos + 2);
      if (end == std::string_view::npos) {
        complete = false;
        return n;
      }
      pos = end + close.size();
    }
  }
  for (;;) {
    const std::size_t line_start = pos;
    std::size_t p = pos;
    while (p < n && IsBlank(text[p]) && text[p] != '\n' && text[p] != '\r') ++p;
    if (p < n && text[p] != '#' && text[p] != '\n' && text[p] != '\r') return line_start;
    const std::size_t end = text.find_first_of("\r\n", p);
    if (end == std::string_view::npos) {
      complete = p >= n;  // a last line of comment without its end
      return n;
    }
    pos = end + 1;
  }
}

}  // namespace

TLUTSource TLUTSource::FromFile(const std::string& file_name) { return TLUTSource(file_name, ReadWholeFile(file_name)); }

TLUTSource TLUTSource::FromFileHead(const std::string& file_name, std::size_t max_bytes) {
  TLUTSource head(file_name, ReadWholeFile(file_name, max_bytes));
  // A head of comments alone: read on past them, as far as detection looks.
  bool complete = true;
  if (max_bytes == kSignatureBytes && head.bytes_.size() == kSignatureBytes &&
      LeadingCommentsEnd(head.text_, complete) >= head.text_.size()) {
    return TLUTSource(file_name, ReadWholeFile(file_name, kMaxLeadingComments + kSignatureBytes));
  }
  return head;
}


std::size_t DetectionHeadLength(std::string_view text) {
  const std::size_t first = std::min(text.size(), kSignatureBytes);
  bool complete = true;
  const std::size_t end = LeadingCommentsEnd(text.substr(0, first), complete);
  // Content within the first bytes: they are the head, as ever.
  if (end < first || (complete && first < kSignatureBytes)) return first;
  // Nothing but comments so far: the block and the bytes after it.
  const std::size_t block = LeadingCommentsEnd(text.substr(0, std::min(text.size(), kMaxLeadingComments)), complete);
  return std::min(text.size(), block + kSignatureBytes);
}

void TLUTSource::Index() {
  text_ = bytes_;
  if (!text_.empty()) {
    if (const void* nul = std::memchr(text_.data(), '\0', text_.size())) {
      text_ = text_.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text_.data()));
    }
    if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
  }
  // The keyword rules look at the bytes as they are, comments and all; the
  // head is as long in them as in the text.
  head_length_ = std::max(DetectionHeadLength(text_), std::min(bytes_.size(), kSignatureBytes));
  upper_head_ = UpperCase(bytes_.substr(0, head_length_));
}

std::string_view TLUTSource::FirstContentLine() const {
  std::string_view rest = text_;
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\r\n");
    const std::string_view line = Trim(rest.substr(0, end));
    if (!line.empty() && line.front() != '#') return line;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return {};
}

bool TLUTSource::HasExtension(std::string_view extension) const {
  std::string_view name = name_;
  if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string_view::npos) {
    name.remove_prefix(slash + 1);
  }
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = name.substr(dot);
  return ext.size() == extension.size() && PosNoCase(extension, ext) == 1;
}

}  // namespace zelvo
