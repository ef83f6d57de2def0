#include "image/ExifOrientation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zelvo {

namespace {

constexpr std::string_view kExifHeader("Exif\0\0", 6);
constexpr unsigned kTiffMagic = 42;
constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kTypeShort = 3;
constexpr std::uint64_t kIfdEntryBytes = 12;

// Reads the TIFF structure's numbers in its byte order; every read checks
// that it lies inside the block, so no offset in the block can lead outside.
class TTiffReader {
 public:
  TTiffReader(std::string_view tiff, bool big_endian) : tiff_(tiff), big_endian_(big_endian) {}

  bool U16(std::uint64_t at, unsigned& value) const {
    if (at + 2 > tiff_.size()) return false;
    const auto b0 = static_cast<unsigned char>(tiff_[at]), b1 = static_cast<unsigned char>(tiff_[at + 1]);
    value = big_endian_ ? (b0 << 8 | b1) : (b1 << 8 | b0);
    return true;
  }
  bool U32(std::uint64_t at, std::uint64_t& value) const {
    unsigned first = 0, second = 0;
    if (!U16(at, first) || !U16(at + 2, second)) return false;
    value = big_endian_ ? (std::uint64_t{first} << 16 | second) : (std::uint64_t{second} << 16 | first);
    return true;
  }

 private:
  std::string_view tiff_;
  bool big_endian_;
};

// Where output pixel (x, y) comes from in the stored picture:
// (X0 + XX * x + XY * y, Y0 + YX * x + YY * y), the origins in units of the
// stored width or height less one.
struct TSourceMap {
  int X0, XX, XY, Y0, YX, YY;
};

// Indexed by orientation 1..8; the diagonal ones (5..8) swap the sides.
constexpr TSourceMap kSourceMaps[] = {
    {0, 1, 0, 0, 0, 1},    // 1: as stored
    {1, -1, 0, 0, 0, 1},   // 2: mirrored left to right
    {1, -1, 0, 1, 0, -1},  // 3: half round
    {0, 1, 0, 1, 0, -1},   // 4: mirrored top to bottom
    {0, 0, 1, 0, 1, 0},    // 5: along the diagonal
    {0, 0, 1, 1, -1, 0},   // 6: a quarter clockwise
    {1, 0, -1, 1, -1, 0},  // 7: along the other diagonal
    {1, 0, -1, 0, 1, 0},   // 8: a quarter anticlockwise
};

}  // namespace

int ExifOrientation(std::string_view app1_payload) {
  if (app1_payload.substr(0, kExifHeader.size()) != kExifHeader) return 1;
  const std::string_view tiff = app1_payload.substr(kExifHeader.size());
  bool big_endian = false;
  if (tiff.substr(0, 2) == "MM") {
    big_endian = true;
  } else if (tiff.substr(0, 2) != "II") {
    return 1;
  }
  const TTiffReader reader(tiff, big_endian);
  unsigned magic = 0, entries = 0;
  std::uint64_t ifd = 0;
  if (!reader.U16(2, magic) || magic != kTiffMagic || !reader.U32(4, ifd) || !reader.U16(ifd, entries)) return 1;
  // The orientation belongs to the first directory: the walk never follows a
  // link to another, so a directory that links to itself cannot hold it up.
  for (std::uint64_t i = 0; i < entries; ++i) {
    const std::uint64_t entry = ifd + 2 + i * kIfdEntryBytes;
    unsigned tag = 0, type = 0, value = 0;
    std::uint64_t count = 0;
    if (!reader.U16(entry, tag) || !reader.U16(entry + 2, type) || !reader.U32(entry + 4, count)) return 1;
    if (tag != kOrientationTag) continue;
    // A short stands in the first two bytes of the value field.
    if (type != kTypeShort || count < 1 || !reader.U16(entry + 8, value)) return 1;
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

TBitmap24 UprightBitmap(const TBitmap24& stored, int orientation) {
  if (orientation < 2 || orientation > 8 || stored.Empty()) return stored.Copy();
  const TSourceMap& map = kSourceMaps[orientation - 1];
  const bool swaps = orientation >= 5;
  const int width = swaps ? stored.Height() : stored.Width();
  const int height = swaps ? stored.Width() : stored.Height();
  TBitmap24 upright = TBitmap24::Uninitialised(width, height);
  // Byte steps through the stored picture per output column and per output row.
  const auto row_bytes = static_cast<std::ptrdiff_t>(stored.RowBytes());
  const std::ptrdiff_t step_x = map.XX * 3 + map.YX * row_bytes;
  const std::ptrdiff_t step_y = map.XY * 3 + map.YY * row_bytes;
  const std::uint8_t* pixels = stored.Pixels();
  const std::ptrdiff_t origin = map.X0 * (stored.Width() - 1) * std::ptrdiff_t{3} + map.Y0 * (stored.Height() - 1) * row_bytes;
  // Tiles keep the reads of a quarter turn, which cross the stored rows, in
  // the cache.
  constexpr int kTile = 64;
  for (int ty = 0; ty < height; ty += kTile) {
    const int y_end = std::min(height, ty + kTile);
    for (int tx = 0; tx < width; tx += kTile) {
      const int x_end = std::min(width, tx + kTile);
      for (int y = ty; y < y_end; ++y) {
        std::uint8_t* to = upright.At(tx, y);
        for (int x = tx; x < x_end; ++x, to += 3) std::memcpy(to, pixels + origin + step_y * y + step_x * x, 3);
      }
    }
  }
  return upright;
}

}  // namespace zelvo
