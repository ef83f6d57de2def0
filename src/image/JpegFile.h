// JPEG pictures through libjpeg-turbo: baseline and progressive, grey and
// colour, decoded into 24-bit pixels; and the writer of the command line.
#pragma once

#include <string>
#include <string_view>

#include "image/Bitmap24.h"

namespace zelvo {

// Whether the bytes start like a JPEG file (a start-of-image marker).
bool LooksLikeJpeg(std::string_view bytes);

// The picture in the bytes, turned upright as its EXIF orientation says (see
// ExifOrientation.h; a damaged EXIF block is ignored). A damaged file (cut short, corrupt data), a CMYK
// picture or a size above the limits raises EZelvoError with libjpeg's reason;
// sizes are checked before the pixels are allocated.
TBitmap24 DecodeJpeg(std::string_view bytes);

// The bytes of a baseline JPEG file of the picture at a quality of 1..100.
std::string EncodeJpeg(const TBitmap24& bitmap, int quality);

}  // namespace zelvo
