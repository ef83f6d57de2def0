// A LUT file read for the preview pane.
#pragma once

#include <string>

#include "image/Preview.h"

namespace zelvo {

// The file is read into a LUT of its own, so a load that fails (and raises)
// leaves whatever the pane showed before.
TLUTPreview PreviewLUTFile(const std::string& lut_file, const TBitmap24& ungraded);

}  // namespace zelvo
