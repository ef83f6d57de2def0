// Feeds arbitrary bytes to the keyword-header 3D formats.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.dat", {F::Pandora3D, F::Luther3D, F::Codex3D, F::Quantel3D, F::DavinciDat3D});
  return 0;
}
