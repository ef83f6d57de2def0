// Feeds arbitrary bytes to the readers of Houdini .lut files.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.lut", {F::Houdini});
  return 0;
}
