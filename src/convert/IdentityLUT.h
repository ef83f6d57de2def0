// Identity LUTs in any output profile: a picture of one, graded in a photo
// editor and converted back, gives the editor's grade as a LUT.
#pragma once

#include <string>

#include "base/TextFile.h"
#include "convert/ConvertJob.h"
#include "registry/Registry.h"

namespace zelvo {

// The identity of the profile's kind: a 3D table of `size` points per axis,
// or a 1D table of `size` entries, over 0..1.
TLUT IdentityLUT(const TLutOutputProfile& profile, int size);

// Writes the identity of the settings' profile at their size and depth
// ("Default" and -1: the profile's own), checked as a conversion checks them,
// whole or not at all.
void WriteIdentityLUT(const ConversionSettings& settings, const std::string& target_path,
                      TReplace replace = TReplace::Replace);

}  // namespace zelvo
