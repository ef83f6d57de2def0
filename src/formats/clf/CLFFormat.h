// The Common LUT Format (Academy/ASC CLF, SMPTE ST 2136-1) and the CTF files
// that use the same process nodes.
#pragma once

#include "formats/Families.h"

namespace zelvo {

// Academy/ASC CLF, read and written.
void AddCLFFormats(TFormatList& formats);

}  // namespace zelvo
