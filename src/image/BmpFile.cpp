#include "image/BmpFile.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "base/Errors.h"

namespace zelvo {

namespace {

// The fields of the headers, little-endian, read at checked offsets.
class TReader {
 public:
  explicit TReader(std::string_view bytes) : bytes_(bytes) {}
  bool Has(std::uint64_t offset, std::uint64_t count) const { return offset <= bytes_.size() && count <= bytes_.size() - offset; }
  std::uint32_t U16(std::uint64_t at) const { return Byte(at) | Byte(at + 1) << 8; }
  std::uint32_t U32(std::uint64_t at) const { return U16(at) | U16(at + 2) << 16; }
  std::int32_t I32(std::uint64_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint32_t Byte(std::uint64_t at) const {
    if (!Has(at, 1)) Incomplete();
    return static_cast<unsigned char>(bytes_[static_cast<std::size_t>(at)]);
  }
  const unsigned char* At(std::uint64_t at) const { return reinterpret_cast<const unsigned char*>(bytes_.data()) + at; }
  [[noreturn]] static void Incomplete() {
    throw EZelvoError("The Windows bitmap is incomplete: its header states more than the file holds.");
  }

 private:
  std::string_view bytes_;
};

[[noreturn]] void Unsupported(const std::string& what) {
  throw EZelvoError("The Windows bitmap cannot be read: " + what);
}

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;

// One channel of a bit-field pixel, brought to 8 bits with rounding.
struct TChannelMask {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit TChannelMask(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    // A mask with gaps counts its lowest run of bits only.
    const int run = std::countr_one(m >> shift);
    max = run >= 32 ? 0xFFFFFFFFu : (1u << run) - 1;
  }
  std::uint8_t operator()(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint64_t v = (pixel >> shift) & max;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

}  // namespace

bool LooksLikeBmp(std::string_view bytes) { return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

namespace {

// What the headers say: the size and depth of the pixels, where they are,
// and how a pixel becomes a colour (palette or channel masks).
struct TBmpLayout {
  std::int64_t width = 0, height = 0;
  bool top_down = false;
  std::uint32_t bit_count = 0;
  std::uint64_t pixel_offset = 0;
  std::uint64_t stride = 0;  // bytes per row, a multiple of 4
  std::array<std::array<std::uint8_t, 3>, 256> palette{};
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
};

// The file header, the bitmap header of any known kind, the palette and the
// masks, checked: anything this reader cannot decode is refused here, before
// a pixel is allocated.
TBmpLayout ReadBmpLayout(const TReader& in) {
  TBmpLayout l;
  l.pixel_offset = in.U32(10);
  const std::uint32_t header = in.U32(kFileHeaderBytes);
  const std::uint64_t h = kFileHeaderBytes;
  std::uint32_t compression = kBiRgb, colours_used = 0, palette_entry = 4;
  std::uint64_t after_header = h + header;
  bool have_masks = false;
  if (header == 12) {
    l.width = in.U16(h + 4);
    l.height = static_cast<std::int16_t>(in.U16(h + 6));
    l.bit_count = in.U16(h + 10);
    palette_entry = 3;
  } else if (header == 40 || header == 52 || header == 56 || header == 108 || header == 124) {
    l.width = in.I32(h + 4);
    l.height = in.I32(h + 8);
    l.bit_count = in.U16(h + 14);
    compression = in.U32(h + 16);
    colours_used = in.U32(h + 32);
    if (compression == kBiBitfields) {
      // A plain 40-byte header is followed by the three masks.
      l.masks = {in.U32(h + 40), in.U32(h + 44), in.U32(h + 48)};
      have_masks = true;
      if (header == 40) after_header += 12;
    }
  } else {
    Unsupported("its header of " + std::to_string(header) + " bytes is not a known kind.");
  }
  const std::uint32_t bits = l.bit_count;
  if (compression != kBiRgb && compression != kBiBitfields) {
    Unsupported("compressed bitmaps (compression " + std::to_string(compression) + ") are not supported.");
  }
  if (compression == kBiBitfields && bits != 16 && bits != 32) {
    Unsupported("bit-field masks need 16 or 32 bits per pixel, not " + std::to_string(bits) + ".");
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    Unsupported(std::to_string(bits) + " bits per pixel are not supported.");
  }
  l.top_down = l.height < 0;
  if (l.top_down) l.height = -l.height;
  if (l.width <= 0 || l.height <= 0) {
    Unsupported("it states a size of " + std::to_string(l.width) + " x " + std::to_string(l.height) + " pixels.");
  }
  CheckPictureSize(l.width, l.height);

  // The palette: at most 2^bits entries; indexes beyond it give black, as
  // the platform shows them.
  if (bits <= 8) {
    const std::uint32_t most = 1u << bits;
    const std::uint32_t count = colours_used == 0 || colours_used > most ? most : colours_used;
    if (!in.Has(after_header, std::uint64_t{count} * palette_entry)) TReader::Incomplete();
    for (std::uint32_t i = 0; i < count; ++i) {
      const unsigned char* e = in.At(after_header + std::uint64_t{i} * palette_entry);
      l.palette[i] = {e[0], e[1], e[2]};
    }
  }
  if (!have_masks) {
    l.masks = bits == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                         : std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
  }
  l.stride = (static_cast<std::uint64_t>(l.width) * bits + 31) / 32 * 4;
  if (!in.Has(l.pixel_offset, l.stride * static_cast<std::uint64_t>(l.height))) TReader::Incomplete();
  return l;
}

// One row of palette indexes of 1, 4 or 8 bits.
void DecodePaletteRow(const TBmpLayout& l, const unsigned char* src, std::uint8_t* out, int width) {
  const int per_byte = 8 / static_cast<int>(l.bit_count);
  const unsigned mask = (1u << l.bit_count) - 1;
  for (int x = 0; x < width; ++x, out += 3) {
    const unsigned byte = src[x / per_byte];
    const int shift = static_cast<int>(l.bit_count) * (per_byte - 1 - x % per_byte);
    std::memcpy(out, l.palette[(byte >> shift) & mask].data(), 3);
  }
}

// One row of 16- or 32-bit pixels, each channel taken through its mask.
void DecodeMaskedRow(const TBmpLayout& l, const unsigned char* src, std::uint8_t* out, int width) {
  const TChannelMask red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
  const int step = static_cast<int>(l.bit_count) / 8;
  for (int x = 0; x < width; ++x, out += 3, src += step) {
    std::uint32_t p = src[0] | std::uint32_t{src[1]} << 8;
    if (step == 4) p |= std::uint32_t{src[2]} << 16 | std::uint32_t{src[3]} << 24;
    out[0] = blue(p);
    out[1] = green(p);
    out[2] = red(p);
  }
}

}  // namespace

TBitmap24 DecodeBmp(std::string_view bytes) {
  const TReader in(bytes);
  if (!LooksLikeBmp(bytes)) Unsupported("it does not start with \"BM\".");
  const TBmpLayout l = ReadBmpLayout(in);
  TBitmap24 bitmap = TBitmap24::Uninitialised(static_cast<int>(l.width), static_cast<int>(l.height));
  const int w = bitmap.Width();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const int file_row = l.top_down ? y : bitmap.Height() - 1 - y;
    const unsigned char* src = in.At(l.pixel_offset + l.stride * static_cast<std::uint64_t>(file_row));
    std::uint8_t* out = bitmap.Row(y);
    if (l.bit_count <= 8) DecodePaletteRow(l, src, out, w);
    else if (l.bit_count == 24) std::memcpy(out, src, static_cast<std::size_t>(w) * 3);
    else DecodeMaskedRow(l, src, out, w);
  }
  return bitmap;
}

std::string EncodeBmp(const TBitmap24& bitmap) {
  if (bitmap.Empty()) throw EZelvoError("A picture without pixels cannot be written as a Windows bitmap.");
  const std::size_t row = bitmap.RowBytes();
  const std::size_t stride = (row + 3) / 4 * 4;
  const std::size_t data_bytes = stride * static_cast<std::size_t>(bitmap.Height());
  const std::size_t offset = kFileHeaderBytes + 40;
  std::string out(offset + data_bytes, '\0');
  auto put16 = [&](std::size_t at, std::uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8 & 0xFF);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(out.size()));
  put32(10, static_cast<std::uint32_t>(offset));
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(bitmap.Width()));
  put32(22, static_cast<std::uint32_t>(bitmap.Height()));  // positive: bottom row first
  put16(26, 1);
  put16(28, 24);
  put32(34, static_cast<std::uint32_t>(data_bytes));
  put32(38, 2835);  // 72 dots per inch
  put32(42, 2835);
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::memcpy(out.data() + offset + stride * static_cast<std::size_t>(bitmap.Height() - 1 - y), bitmap.Row(y), row);
  }
  return out;
}

}  // namespace zelvo
