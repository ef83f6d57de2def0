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

TBitmap24 DecodeBmp(std::string_view bytes) {
  const TReader in(bytes);
  if (!LooksLikeBmp(bytes)) Unsupported("it does not start with \"BM\".");
  const std::uint32_t pixel_offset = in.U32(10);
  const std::uint32_t header = in.U32(kFileHeaderBytes);
  const std::uint64_t h = kFileHeaderBytes;
  std::int64_t width = 0, height = 0;
  std::uint32_t bit_count = 0, compression = kBiRgb, colours_used = 0;
  std::uint32_t palette_entry = 4;
  std::uint64_t after_header = h + header;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
  bool have_masks = false;
  if (header == 12) {
    width = in.U16(h + 4);
    height = static_cast<std::int16_t>(in.U16(h + 6));
    bit_count = in.U16(h + 10);
    palette_entry = 3;
  } else if (header == 40 || header == 52 || header == 56 || header == 108 || header == 124) {
    width = in.I32(h + 4);
    height = in.I32(h + 8);
    bit_count = in.U16(h + 14);
    compression = in.U32(h + 16);
    colours_used = in.U32(h + 32);
    if (compression == kBiBitfields) {
      // A plain 40-byte header is followed by the three masks.
      masks = {in.U32(h + 40), in.U32(h + 44), in.U32(h + 48)};
      have_masks = true;
      if (header == 40) after_header += 12;
    }
  } else {
    Unsupported("its header of " + std::to_string(header) + " bytes is not a known kind.");
  }
  if (compression != kBiRgb && compression != kBiBitfields) {
    Unsupported("compressed bitmaps (compression " + std::to_string(compression) + ") are not supported.");
  }
  if (compression == kBiBitfields && bit_count != 16 && bit_count != 32) {
    Unsupported("bit-field masks need 16 or 32 bits per pixel, not " + std::to_string(bit_count) + ".");
  }
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 && bit_count != 24 && bit_count != 32) {
    Unsupported(std::to_string(bit_count) + " bits per pixel are not supported.");
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0) Unsupported("it states a size of " + std::to_string(width) + " x " + std::to_string(height) + " pixels.");
  CheckPictureSize(width, height);

  // The palette: at most 2^bits entries; indexes beyond it give black, as
  // the platform shows them.
  std::array<std::array<std::uint8_t, 3>, 256> palette{};
  if (bit_count <= 8) {
    const std::uint32_t most = 1u << bit_count;
    const std::uint32_t count = colours_used == 0 || colours_used > most ? most : colours_used;
    if (!in.Has(after_header, std::uint64_t{count} * palette_entry)) TReader::Incomplete();
    for (std::uint32_t i = 0; i < count; ++i) {
      const unsigned char* e = in.At(after_header + std::uint64_t{i} * palette_entry);
      palette[i] = {e[0], e[1], e[2]};
    }
  }
  if (!have_masks) {
    masks = bit_count == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                            : std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
  }
  const TChannelMask red(masks[0]), green(masks[1]), blue(masks[2]);

  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bit_count + 31) / 32 * 4;
  if (!in.Has(pixel_offset, stride * static_cast<std::uint64_t>(height))) TReader::Incomplete();

  TBitmap24 bitmap = TBitmap24::Uninitialised(static_cast<int>(width), static_cast<int>(height));
  const int w = bitmap.Width();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const int file_row = top_down ? y : bitmap.Height() - 1 - y;
    const unsigned char* src = in.At(pixel_offset + stride * static_cast<std::uint64_t>(file_row));
    std::uint8_t* out = bitmap.Row(y);
    switch (bit_count) {
      case 1:
      case 4:
      case 8: {
        const int per_byte = 8 / static_cast<int>(bit_count);
        const unsigned mask = (1u << bit_count) - 1;
        for (int x = 0; x < w; ++x, out += 3) {
          const unsigned byte = src[x / per_byte];
          const int shift = static_cast<int>(bit_count) * (per_byte - 1 - x % per_byte);
          const auto& c = palette[(byte >> shift) & mask];
          std::memcpy(out, c.data(), 3);
        }
        break;
      }
      case 24: std::memcpy(out, src, static_cast<std::size_t>(w) * 3); break;
      case 16:
      case 32: {
        const int step = static_cast<int>(bit_count) / 8;
        for (int x = 0; x < w; ++x, out += 3, src += step) {
          std::uint32_t p = src[0] | std::uint32_t{src[1]} << 8;
          if (step == 4) p |= std::uint32_t{src[2]} << 16 | std::uint32_t{src[3]} << 24;
          out[0] = blue(p);
          out[1] = green(p);
          out[2] = red(p);
        }
        break;
      }
    }
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
