// A picture of 24-bit pixels, without any window toolkit: what the picture
// files decode into, what the resampler and the LUT work on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/LargeAlloc.h"

namespace zelvo {

// Pictures larger than this are refused before anything is allocated: a
// header can state any size, and a preview has no use for more.
inline constexpr int kMaxPictureSide = 30000;
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

// Throws EZelvoError for a size that is negative or above the limits.
void CheckPictureSize(std::int64_t width, std::int64_t height);

// Width x height pixels of 3 bytes each, in the order blue, green, red; rows
// from the top, each 3 x Width bytes, one after the other.
class TBitmap24 {
 public:
  TBitmap24() = default;
  // A black picture; sizes are checked with CheckPictureSize.
  TBitmap24(int width, int height);
  // A picture whose bytes the caller writes before reading them.
  static TBitmap24 Uninitialised(int width, int height);

  TBitmap24(TBitmap24&&) noexcept = default;
  TBitmap24& operator=(TBitmap24&&) noexcept = default;
  // Pictures can be large: copies are made on purpose only, with Copy.
  TBitmap24(const TBitmap24&) = delete;
  TBitmap24& operator=(const TBitmap24&) = delete;
  TBitmap24 Copy() const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  std::size_t RowBytes() const { return static_cast<std::size_t>(width_) * 3; }
  std::size_t ByteCount() const { return RowBytes() * static_cast<std::size_t>(height_); }

  std::uint8_t* Pixels() { return reinterpret_cast<std::uint8_t*>(bytes_.data()); }
  const std::uint8_t* Pixels() const { return reinterpret_cast<const std::uint8_t*>(bytes_.data()); }
  std::uint8_t* Row(int y) { return Pixels() + RowBytes() * static_cast<std::size_t>(y); }
  const std::uint8_t* Row(int y) const { return Pixels() + RowBytes() * static_cast<std::size_t>(y); }
  // The three bytes (blue, green, red) of pixel (x, y).
  std::uint8_t* At(int x, int y) { return Row(y) + static_cast<std::size_t>(x) * 3; }
  const std::uint8_t* At(int x, int y) const { return Row(y) + static_cast<std::size_t>(x) * 3; }

 private:
  TBitmap24(int width, int height, bool zeroed);
  int width_ = 0;
  int height_ = 0;
  TByteBuffer bytes_;
};

}  // namespace zelvo
