// What a picture file's header states, checked before the picture library
// sees it: the library sizes some of its buffers from the header before it
// reads anything else, so that a small file that states a huge picture, or
// tables larger than itself, would take gigabytes of memory.
#pragma once

#include <string>
#include <string_view>

#include "image/PictureIO.h"

namespace zelvo {

// Raises EZelvoError, its message starting with `cannot`, when the header of
// a DPX or OpenEXR file, or a chunk of a PNG file, states more than the file
// can hold, and the size error of CheckPictureSize for a picture above the
// limits. TIFF files are left to their reader, which checks as it goes.
void CheckStatedSizes(std::string_view bytes, TPictureFileType type, const std::string& cannot);

}  // namespace zelvo
