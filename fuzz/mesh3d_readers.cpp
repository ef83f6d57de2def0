// Feeds arbitrary bytes to the 3dl, 3DMESH and Colorfront OSD 3D grids.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.3dl", {F::ThreeDL, F::Lustre3D, F::ColorFrontOSD3D});
  return 0;
}
