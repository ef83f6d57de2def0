// The bytes of one LUT file and the name they came under. A file is read once,
// at the edge; detection and every reader work on these bytes, so that a LUT
// can as well come from memory (a dropped buffer, a test string, a fuzzer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/LargeAlloc.h"

namespace zelvo {

// Detection looks at this many bytes from the start of a file; where they
// hold nothing but blank and comment lines (or an XML document's
// declaration, comments and processing instructions), at that leading block,
// up to kMaxLeadingComments bytes, and this many bytes after it.
inline constexpr std::size_t kSignatureBytes = 4096;
inline constexpr std::size_t kMaxLeadingComments = std::size_t{1} << 20;

// The length of the head detection looks at in a text (see kSignatureBytes).
std::size_t DetectionHeadLength(std::string_view text);

// How a picture is read as an image LUT where its size fits several layouts:
// any layout (the one whose table is closest to an identity), only rasters,
// or only tiles; and a raster width other than the known ones (Hald,
// ociolutimage). The command line's --layout and --raster-width.
struct TImageLUTReadOptions {
  enum class TChoice : std::uint8_t { Any, Raster, Tiles } Layout = TChoice::Any;
  int RasterWidth = 0;  // > 0: the picture is a raster with rows of this many pixels
};

class TLUTSource {
 public:
  // A source over bytes the caller keeps alive for the source's lifetime.
  TLUTSource(std::string name, std::string_view bytes);
  // Reads a whole file (refusing folders, pipes, devices and files too large
  // to be LUT files), or only its first `max_bytes` bytes.
  static TLUTSource FromFile(const std::string& file_name);
  static TLUTSource FromFileHead(const std::string& file_name, std::size_t max_bytes = kSignatureBytes);

  TLUTSource(TLUTSource&& other) noexcept;
  TLUTSource& operator=(TLUTSource&&) = delete;
  TLUTSource(const TLUTSource&) = delete;
  TLUTSource& operator=(const TLUTSource&) = delete;

  // The file name (or the name given with the bytes): for messages, for the
  // formats known by their extension, and for titles.
  const std::string& Name() const { return name_; }
  // Every byte, as read.
  std::string_view Bytes() const { return bytes_; }
  // What the line readers see: the bytes up to the first NUL, without a UTF-8
  // byte-order mark.
  std::string_view Text() const { return text_; }
  // The head detection looks at (DetectionHeadLength), as it is and with
  // the ASCII letters upper-cased.
  std::string_view Head() const { return text_.substr(0, head_length_); }
  std::string_view UpperHead() const { return upper_head_; }
  // The first line of the text that is neither blank nor a comment, for a
  // message about a file no format knows; empty when there is none.
  std::string_view FirstContentLine() const;

  // Case-insensitive test of the name's extension (from its last '.'); the
  // extension is given with its dot, as in ".3dl".
  bool HasExtension(std::string_view extension) const;

  // The item to read from a file that holds several (the id of a correction
  // in an ASC CDL collection); empty for the first.
  const std::string& ItemId() const { return item_id_; }
  void SetItemId(std::string id) { item_id_ = std::move(id); }
  // How a picture is read as an image LUT.
  const TImageLUTReadOptions& ImageOptions() const { return image_options_; }
  void SetImageOptions(const TImageLUTReadOptions& options) { image_options_ = options; }

 private:
  TLUTSource(std::string name, TByteBuffer buffer);
  void Index();

  std::string name_;
  TByteBuffer buffer_;  // owned bytes, when read from a file
  std::string_view bytes_;
  std::string_view text_;
  std::string upper_head_;
  std::size_t head_length_ = 0;
  std::string item_id_;
  TImageLUTReadOptions image_options_;
};

}  // namespace zelvo
