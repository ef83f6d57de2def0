// Feeds arbitrary bytes to the cube family.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.cube", {F::Cube3DTruelight, F::Cube3D, F::Nucoda3D, F::Cube1D});
  return 0;
}
