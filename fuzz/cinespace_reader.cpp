// Feeds arbitrary bytes to the readers of Cinespace .csp files.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.csp", {F::Cinespace});
  return 0;
}
