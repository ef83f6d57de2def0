// Feeds arbitrary bytes to the readers of Nuke vector fields.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.vf", {F::NukeVF});
  return 0;
}
