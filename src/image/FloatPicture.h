// A picture of float RGB pixels: what pictures beyond 8 bits (PNG, TIFF,
// OpenEXR, DPX) are read into, and what LUTs are applied to in float.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/Bitmap24.h"
#include "base/LargeAlloc.h"

namespace zelvo {

// The depth of a picture file's samples.
enum class TPictureDepth : std::uint8_t { pd8, pd10, pd16, pdHalf, pdFloat };

// "8 bits", "10 bits", "16 bits", "half float", "float".
const char* DepthName(TPictureDepth depth);
// The bits of an integer depth (8, 10, 16); 0 for half and float.
int DepthBits(TPictureDepth depth);
inline bool IsIntegerDepth(TPictureDepth depth) { return DepthBits(depth) > 0; }

// Width x height pixels of three floats (red, green, blue); rows from the top.
// Integer pictures hold code / (2^bits - 1), float ones their values as they
// are, outside 0..1 too. Depth records the depth of the file it came from.
class TFloatPicture {
 public:
  TFloatPicture() = default;
  // A black picture; sizes are checked with CheckPictureSize.
  TFloatPicture(int width, int height, TPictureDepth depth = TPictureDepth::pdFloat);
  // A picture whose samples the caller writes before reading them.
  static TFloatPicture Uninitialised(int width, int height, TPictureDepth depth);

  TFloatPicture(TFloatPicture&&) noexcept = default;
  TFloatPicture& operator=(TFloatPicture&&) noexcept = default;
  TFloatPicture(const TFloatPicture&) = delete;
  TFloatPicture& operator=(const TFloatPicture&) = delete;
  TFloatPicture Copy() const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  TPictureDepth Depth() const { return depth_; }
  void SetDepth(TPictureDepth depth) { depth_ = depth; }
  std::size_t PixelCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }
  std::size_t SampleCount() const { return PixelCount() * 3; }

  float* Samples() { return reinterpret_cast<float*>(bytes_.data()); }
  const float* Samples() const { return reinterpret_cast<const float*>(bytes_.data()); }
  float* Row(int y) { return Samples() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) * 3; }
  const float* Row(int y) const { return Samples() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) * 3; }
  // The three samples (red, green, blue) of pixel (x, y).
  float* At(int x, int y) { return Row(y) + static_cast<std::size_t>(x) * 3; }
  const float* At(int x, int y) const { return Row(y) + static_cast<std::size_t>(x) * 3; }

 private:
  TFloatPicture(int width, int height, TPictureDepth depth, bool zeroed);
  int width_ = 0;
  int height_ = 0;
  TPictureDepth depth_ = TPictureDepth::pdFloat;
  TByteBuffer bytes_;
};

// A 24-bit picture as floats, code / 255, of depth 8 bits.
TFloatPicture FloatPictureOf(const TBitmap24& bitmap);
// A float picture at 8 bits: each value quantised (QuantizeValue: not >= 0
// gives 0, above 1 gives 255, nearest code, ties to even).
TBitmap24 BitmapOf(const TFloatPicture& picture);

// The integer code of a value at `bits` bits by the quantising rule of
// QuantizeValue, without a library call: for pictures of millions of samples.
inline std::uint32_t QuantizeSample(double value, double largest_code) {
  if (!(value >= 0.0)) return 0;
  if (value > 1.0) value = 1.0;
  // Adding and taking away 1.5 * 2^52 leaves the nearest integer, ties to
  // even, in the default rounding mode.
  constexpr double kMagic = 6755399441055744.0;
  return static_cast<std::uint32_t>((largest_code * value + kMagic) - kMagic);
}

}  // namespace zelvo
