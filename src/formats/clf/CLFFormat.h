// The Common LUT Format (Academy/ASC CLF, SMPTE ST 2136-1) and the CTF files
// that use the same process nodes.
#pragma once

#include "formats/Families.h"

namespace zelvo {

// Points per axis of a chain baked into a 3D table, unless a LUT3D in it has
// more.
inline constexpr int kCLFBakeSize = 65;

// Academy/ASC CLF, read and written.
void AddCLFFormats(TFormatList& formats);

}  // namespace zelvo
