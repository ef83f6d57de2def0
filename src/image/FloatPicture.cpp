#include "image/FloatPicture.h"

#include <array>
#include <cstring>

namespace zelvo {

const char* DepthName(TPictureDepth depth) {
  switch (depth) {
    case TPictureDepth::pd8: return "8 bits";
    case TPictureDepth::pd10: return "10 bits";
    case TPictureDepth::pd16: return "16 bits";
    case TPictureDepth::pdHalf: return "half float";
    case TPictureDepth::pdFloat: return "float";
  }
  return "float";
}

int DepthBits(TPictureDepth depth) {
  switch (depth) {
    case TPictureDepth::pd8: return 8;
    case TPictureDepth::pd10: return 10;
    case TPictureDepth::pd16: return 16;
    case TPictureDepth::pdHalf:
    case TPictureDepth::pdFloat: return 0;
  }
  return 0;
}

TFloatPicture::TFloatPicture(int width, int height, TPictureDepth depth) : TFloatPicture(width, height, depth, true) {}

TFloatPicture TFloatPicture::Uninitialised(int width, int height, TPictureDepth depth) {
  return TFloatPicture(width, height, depth, false);
}

TFloatPicture::TFloatPicture(int width, int height, TPictureDepth depth, bool zeroed) {
  CheckPictureSize(width, height);
  width_ = width;
  height_ = height;
  depth_ = depth;
  const std::size_t n = SampleCount() * sizeof(float);
  if (n == 0) return;
  bytes_ = TByteBuffer(n);
  bytes_.set_size(n);
  if (zeroed) std::memset(bytes_.data(), 0, n);
}

TFloatPicture TFloatPicture::Copy() const {
  TFloatPicture copy = Uninitialised(width_, height_, depth_);
  if (SampleCount() > 0) std::memcpy(copy.Samples(), Samples(), SampleCount() * sizeof(float));
  return copy;
}

TFloatPicture FloatPictureOf(const TBitmap24& bitmap) {
  static const auto kValues = [] {
    std::array<float, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<float>(i / 255.0);
    return t;
  }();
  TFloatPicture picture = TFloatPicture::Uninitialised(bitmap.Width(), bitmap.Height(), TPictureDepth::pd8);
  const std::uint8_t* p = bitmap.Pixels();
  float* q = picture.Samples();
  for (std::size_t i = 0; i < picture.PixelCount(); ++i, p += 3, q += 3) {
    q[0] = kValues[p[2]];
    q[1] = kValues[p[1]];
    q[2] = kValues[p[0]];
  }
  return picture;
}

TBitmap24 BitmapOf(const TFloatPicture& picture) {
  TBitmap24 bitmap = TBitmap24::Uninitialised(picture.Width(), picture.Height());
  const float* p = picture.Samples();
  std::uint8_t* q = bitmap.Pixels();
  for (std::size_t i = 0; i < picture.PixelCount(); ++i, p += 3, q += 3) {
    q[0] = static_cast<std::uint8_t>(QuantizeSample(p[2], 255.0));
    q[1] = static_cast<std::uint8_t>(QuantizeSample(p[1], 255.0));
    q[2] = static_cast<std::uint8_t>(QuantizeSample(p[0], 255.0));
  }
  return bitmap;
}

}  // namespace zelvo
