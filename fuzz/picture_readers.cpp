// The picture readers on any bytes: JPEG (with its EXIF orientation) and
// Windows bitmaps through their own decoders, PNG, TIFF, OpenEXR and DPX
// through the picture module, and what a picture gives as an image LUT, also
// through the registry's image LUT reader with each layout choice. The only
// allowed outcomes are a picture (a table) or our error.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/BmpFile.h"
#include "image/ImageLUT.h"
#include "image/JpegFile.h"
#include "base/Errors.h"
#include "image/PictureIO.h"
#include "registry/Registry.h"

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
  try {
    const zelvo::TFloatPicture picture = zelvo::DecodeFloatPicture(bytes);
    if (picture.SampleCount() > 0) {
      volatile float last = picture.Samples()[picture.SampleCount() - 1];
      (void)last;
    }
    const zelvo::TLUT lut = zelvo::ReadImageLUT(picture);
    volatile double first = lut.Data3D()[0].R;
    (void)first;
  } catch (const zelvo::EZelvoError&) {
  }
  // The last byte picks how the picture is to be read: any layout, rasters
  // (in rows of the picture's width or of 8 pixels), or tiles.
  zelvo::TImageLUTReadOptions options;
  if (size > 0) {
    const std::uint8_t choice = data[size - 1];
    options.Layout = static_cast<zelvo::TImageLUTReadOptions::TChoice>(choice % 3);
    options.RasterWidth = choice / 3 % 3 == 1 ? 8 : 0;
  }
  try {
    zelvo::TLUTSource source("fuzz.png", bytes);
    source.SetImageOptions(options);
    zelvo::TLUT lut;
    zelvo::LoadLUT(source, lut);
    if (lut.Size3D() > 0) {
      volatile double last = lut.Data3D()[static_cast<std::size_t>(lut.Size3D()) * lut.Size3D() * lut.Size3D() - 1].B;
      (void)last;
    }
  } catch (const zelvo::EZelvoError&) {
  }
  return 0;
}
