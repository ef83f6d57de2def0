// The orientation a camera records in a JPEG's EXIF block, and the picture
// turned to show upright. Cameras store the sensor's rows as they come and say
// in the block how to hold the picture; viewers turn it.
#pragma once

#include <string_view>

#include "image/Bitmap24.h"

namespace zelvo {

// The orientation the payload of an APP1 marker ("Exif\0\0" and a TIFF
// structure) states for its picture, 1..8 as the TIFF orientation tag counts
// them (1: as stored). A payload that is not an EXIF block, holds no
// orientation, or is damaged in any way (cut short, offsets past its end, a
// value outside 1..8) gives 1: the picture is shown as stored.
int ExifOrientation(std::string_view app1_payload);

// The picture as it is meant to be seen when stored with that orientation:
// 2 mirrored left to right, 3 turned half round, 4 mirrored top to bottom,
// 5 mirrored along its diagonal, 6 turned a quarter clockwise, 7 mirrored
// along the other diagonal, 8 turned a quarter anticlockwise; 5 to 8 swap
// width and height. 1 and values outside 1..8 give a copy.
TBitmap24 UprightBitmap(const TBitmap24& stored, int orientation);

}  // namespace zelvo
