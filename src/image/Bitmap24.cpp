#include "image/Bitmap24.h"

#include <cstring>
#include <string>

#include "base/Errors.h"

namespace zelvo {

void CheckPictureSize(std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0) {
    throw EZelvoError("A picture of " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels cannot be made.");
  }
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
    throw EZelvoError("The picture is " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels; pictures of more than " + std::to_string(kMaxPictureSide) +
                      " pixels a side or 100 megapixels are not supported.");
  }
}

TBitmap24::TBitmap24(int width, int height) : TBitmap24(width, height, true) {}

TBitmap24 TBitmap24::Uninitialised(int width, int height) { return TBitmap24(width, height, false); }

TBitmap24::TBitmap24(int width, int height, bool zeroed) {
  CheckPictureSize(width, height);
  width_ = width;
  height_ = height;
  const std::size_t n = ByteCount();
  if (n == 0) return;
  bytes_ = TByteBuffer(n);
  bytes_.set_size(n);
  if (zeroed) std::memset(bytes_.data(), 0, n);
}

TBitmap24 TBitmap24::Copy() const {
  TBitmap24 copy = Uninitialised(width_, height_);
  if (ByteCount() > 0) std::memcpy(copy.Pixels(), Pixels(), ByteCount());
  return copy;
}

}  // namespace zelvo
