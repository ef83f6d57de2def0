// Windows bitmaps: the reader (1-, 4- and 8-bit palettes, 16-, 24- and 32-bit
// pixels, plain or with bit-field masks, bottom-up or top-down) and the
// writer (24-bit, bottom-up).
#pragma once

#include <string>
#include <string_view>

#include "image/Bitmap24.h"

namespace zelvo {

bool LooksLikeBmp(std::string_view bytes);

// The picture in the bytes. Compressed bitmaps, unknown headers, a size above
// the limits and a header that states more than the file holds raise
// EZelvoError, before the pixels are allocated.
TBitmap24 DecodeBmp(std::string_view bytes);

// The bytes of a 24-bit Windows bitmap of the picture.
std::string EncodeBmp(const TBitmap24& bitmap);

}  // namespace zelvo
