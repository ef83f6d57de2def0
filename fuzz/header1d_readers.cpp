// Feeds arbitrary bytes to the 1D formats with a header.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.lut", {F::Codex1D, F::Lustre1D, F::Filmlight1D, F::Quantel1D, F::Fusion1D});
  return 0;
}
