// JPEG pictures through libjpeg-turbo: baseline and progressive, grey and
// colour, decoded into 24-bit pixels; and the writer of the command line.
#pragma once

#include <functional>
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
// The same into `picture`, telling `rows_done` every few rows how many rows
// from the top are decoded: another thread may work on those rows while the
// rest are decoded. The picture is the caller's, so that it outlives such a
// thread also when the file turns out damaged (it then holds what was decoded).
// The pixels come in the order they are stored; `orientation`, where given,
// gets the EXIF orientation the caller must apply (1 for upright).
using TJpegRowsDone = std::function<void(int rows)>;
void DecodeJpeg(std::string_view bytes, TBitmap24& picture, const TJpegRowsDone& rows_done,
                int* orientation = nullptr);

// The bytes of a baseline JPEG file of the picture at a quality of 1..100.
std::string EncodeJpeg(const TBitmap24& bitmap, int quality);
// The same, calling `wait_for_rows(n)` before row n - 1 is read, for a picture
// whose rows another thread is still making.
using TJpegRowWait = std::function<void(int rows)>;
std::string EncodeJpeg(const TBitmap24& bitmap, int quality, const TJpegRowWait& wait_for_rows);

}  // namespace zelvo
