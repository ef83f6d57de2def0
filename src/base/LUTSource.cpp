#include "base/LUTSource.h"

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
      item_id_(std::move(other.item_id_)),
      image_options_(other.image_options_) {}

TLUTSource TLUTSource::FromFile(const std::string& file_name) { return TLUTSource(file_name, ReadWholeFile(file_name)); }

TLUTSource TLUTSource::FromFileHead(const std::string& file_name, std::size_t max_bytes) {
  return TLUTSource(file_name, ReadWholeFile(file_name, max_bytes));
}

void TLUTSource::Index() {
  upper_head_ = UpperCase(bytes_.substr(0, kSignatureBytes));
  text_ = bytes_;
  if (text_.empty()) return;
  if (const void* nul = std::memchr(text_.data(), '\0', text_.size())) {
    text_ = text_.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text_.data()));
  }
  if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
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
