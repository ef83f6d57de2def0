// A LUT applied to a JPEG or bitmap picture file as a whole: decoding,
// applying and encoding overlap, so that a picture passes in little more than
// the time of its slowest step.
#pragma once

#include <string>
#include <string_view>

#include "image/PictureFile.h"
#include "lut/LUT.h"

namespace zelvo {

// The bytes of a picture file of `output` type (JPEG or bitmap) holding the
// picture in `bytes` with the LUT applied: exactly what LoadPictureFromMemory,
// ApplyLUTToBitmap and EncodePicture give one after the other, and the same
// errors. A JPEG is graded on a second thread while it is decoded, and
// encoded as its rows are graded.
std::string ApplyLUTToPictureBytes(const TLUT& lut, std::string_view bytes, TPictureType output);

}  // namespace zelvo
