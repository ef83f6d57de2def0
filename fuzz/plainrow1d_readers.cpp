// Feeds arbitrary bytes to the plain-row 1D formats.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using F = zelvo::TLUTFormatId;
  zelvo::fuzz::LoadWithEach(data, size, "grade.txt", {F::ColorFrontOSD1D, F::Blackmagic1D, F::DavinciILut1D, F::DavinciOLut1D});
  return 0;
}
