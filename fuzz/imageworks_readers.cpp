// Feeds arbitrary bytes to the Sony Imageworks family (spi1d, spi3d, spimtx).
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.spimtx", {F::Spi1D, F::Spi3D, F::SpiMtx});
  return 0;
}
