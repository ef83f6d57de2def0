#include "image/PictureHeaders.h"

#include <cstdint>
#include <cstring>

#include "image/Bitmap24.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

std::uint32_t Read32(std::string_view bytes, std::size_t at, bool big_endian) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + (big_endian ? i : 3 - i)]);
  return v;
}

std::int32_t ReadInt32LE(std::string_view bytes, std::size_t at) {
  return static_cast<std::int32_t>(Read32(bytes, at, false));
}

[[noreturn]] void StatesTooMuch(const std::string& cannot) {
  throw EZelvoError(cannot + "its header states more than the file holds.");
}

// DPX, in the byte order of its magic number: the offset of the pixels (byte
// 4), the sizes of the headers and of the user data (24, 28, 32) against the
// file's size, the image elements (770: 1 to 8) and the picture's size (772,
// 776).
void CheckDpx(std::string_view bytes, const std::string& cannot) {
  constexpr std::size_t kInfoHeaderEnd = 1408;
  if (bytes.size() < kInfoHeaderEnd) throw EZelvoError(cannot + "its header is incomplete.");
  const bool big_endian = bytes.substr(0, 4) == "SDPX";
  for (const std::size_t at : {4, 24, 28, 32}) {
    if (Read32(bytes, at, big_endian) > bytes.size()) StatesTooMuch(cannot);
  }
  const unsigned hi = static_cast<unsigned char>(bytes[big_endian ? 770 : 771]);
  const unsigned lo = static_cast<unsigned char>(bytes[big_endian ? 771 : 770]);
  const unsigned elements = hi << 8 | lo;
  if (elements < 1 || elements > 8) {
    throw EZelvoError(cannot + "its header states " + std::to_string(elements) + " image elements (1 to 8).");
  }
  CheckPictureSize(Read32(bytes, 772, big_endian), Read32(bytes, 776, big_endian));
}

// Scanlines in one chunk of an OpenEXR file, by its compression.
int ExrLinesPerChunk(unsigned compression) {
  switch (compression) {
    case 0:                  // none
    case 1:                  // RLE
    case 2: return 1;        // ZIPS
    case 3:                  // ZIP
    case 5: return 16;       // PXR24
    case 8: return 256;      // DWAB
    default: return 32;      // PIZ, B44, B44A, DWAA
  }
}

// OpenEXR: every header's data window within the limits, and its table of
// chunk offsets (8 bytes a chunk, stored after the headers) no larger than the
// file: the library allocates that table from the header alone.
void CheckExr(std::string_view bytes, const std::string& cannot) {
  std::size_t at = 8;  // magic number and version
  const bool multipart = bytes.size() >= 8 && (static_cast<unsigned char>(bytes[6]) & 0x10) != 0;
  std::uint64_t chunks = 0;
  for (;;) {
    // One header: attributes (name, type, size, value) up to an empty name.
    bool window = false;
    std::int64_t width = 0, height = 0, tile_width = 0, tile_height = 0;
    unsigned compression = 0;
    for (;;) {
      const std::size_t name_end = bytes.find('\0', at);
      if (name_end == std::string_view::npos) throw EZelvoError(cannot + "its header is incomplete.");
      const std::string_view name = bytes.substr(at, name_end - at);
      at = name_end + 1;
      if (name.empty()) break;
      const std::size_t type_end = bytes.find('\0', at);
      if (type_end == std::string_view::npos || type_end + 5 > bytes.size()) {
        throw EZelvoError(cannot + "its header is incomplete.");
      }
      const std::size_t value = type_end + 5;
      const std::uint32_t size = Read32(bytes, type_end + 1, false);
      if (size > bytes.size() - value) throw EZelvoError(cannot + "its header is incomplete.");
      if (name == "dataWindow" && size >= 16) {
        width = static_cast<std::int64_t>(ReadInt32LE(bytes, value + 8)) - ReadInt32LE(bytes, value) + 1;
        height = static_cast<std::int64_t>(ReadInt32LE(bytes, value + 12)) - ReadInt32LE(bytes, value + 4) + 1;
        window = true;
      } else if (name == "compression" && size >= 1) {
        compression = static_cast<unsigned char>(bytes[value]);
      } else if (name == "tiles" && size >= 8) {
        tile_width = Read32(bytes, value, false);
        tile_height = Read32(bytes, value + 4, false);
      }
      at = value + size;
    }
    if (window) {
      CheckPictureSize(width, height);
      if (tile_width > 0 && tile_height > 0) {
        chunks += static_cast<std::uint64_t>((width + tile_width - 1) / tile_width) *
                  static_cast<std::uint64_t>((height + tile_height - 1) / tile_height);
      } else {
        chunks += static_cast<std::uint64_t>((height + ExrLinesPerChunk(compression) - 1) / ExrLinesPerChunk(compression));
      }
    }
    // A single-part file has one header; a multi-part one ends its list of
    // headers with an empty one.
    if (!multipart || (at < bytes.size() && bytes[at] == '\0')) break;
  }
  if (chunks * 8 > bytes.size()) StatesTooMuch(cannot);
}

// PNG: every chunk no longer than what follows it in the file (the PNG
// library allocates a chunk's length before it reads the chunk), and the
// picture's size in the IHDR chunk within the limits.
void CheckPng(std::string_view bytes, const std::string& cannot) {
  if (bytes.size() >= 24) CheckPictureSize(Read32(bytes, 16, true), Read32(bytes, 20, true));
  for (std::size_t at = 8; at + 8 <= bytes.size();) {
    const std::uint64_t length = Read32(bytes, at, true);
    if (length + 12 > bytes.size() - at) {
      throw EZelvoError(cannot + "a chunk of " + std::to_string(length) + " bytes at byte " + std::to_string(at) +
                        " runs past the end of the file.");
    }
    if (bytes.substr(at + 4, 4) == "IEND") break;
    at += static_cast<std::size_t>(length) + 12;
  }
}

}  // namespace

void CheckStatedSizes(std::string_view bytes, TPictureFileType type, const std::string& cannot) {
  if (type == TPictureFileType::Dpx) CheckDpx(bytes, cannot);
  if (type == TPictureFileType::Exr) CheckExr(bytes, cannot);
  if (type == TPictureFileType::Png) CheckPng(bytes, cannot);
}

}  // namespace zelvo
