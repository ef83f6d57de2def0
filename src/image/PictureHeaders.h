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
// a DPX or OpenEXR file states more than the file can hold, and the size
// error of CheckPictureSize for a picture above the limits. Other types are
// left to their readers, which check as they go.
void CheckStatedSizes(std::string_view bytes, TPictureFileType type, const std::string& cannot);

}  // namespace zelvo
