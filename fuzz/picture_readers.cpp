// The picture readers (JPEG with its EXIF orientation, Windows bitmaps) on
// any bytes: the only allowed outcomes are a picture or our error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/BmpFile.h"
#include "image/JpegFile.h"
#include "base/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (auto decode : {&zelvo::DecodeJpeg, &zelvo::DecodeBmp}) {
    try {
      const zelvo::TBitmap24 picture = decode(bytes);
      if (picture.ByteCount() > 0) {
        volatile std::uint8_t last = picture.Pixels()[picture.ByteCount() - 1];
        (void)last;
      }
    } catch (const zelvo::EZelvoError&) {
    }
  }
  return 0;
}
