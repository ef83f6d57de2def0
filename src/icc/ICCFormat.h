// ICC profiles as LUT files (ICCFormat.cpp): read as the colour engine's
// transform, written as device links.
#pragma once

#include "formats/Families.h"

namespace zelvo {

// ICC profile: an RGB profile read as its transform; a 3D table written as an
// RGB-to-RGB device link profile.
void AddICCFormats(TFormatList& formats);

}  // namespace zelvo
