// A LUT file read for the preview pane.
#pragma once

#include <optional>
#include <string>

#include "image/Preview.h"

namespace zelvo {

// The file is read into a LUT of its own, so a load that fails (and raises)
// leaves whatever the pane showed before. With `interpolation`, a 3D table is
// applied with it instead of the one the file asks for. `values`: as for
// PreviewLUT.
TLUTPreview PreviewLUTFile(const std::string& lut_file, const TBitmap24& ungraded,
                           std::optional<TInterpolation> interpolation = std::nullopt,
                           const TFloatPicture* values = nullptr);

}  // namespace zelvo
