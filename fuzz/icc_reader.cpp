// Feeds arbitrary bytes to the ICC profile reader: detection, the colour
// engine's reading of the profile, the transform its class gives, and that
// transform at colours in and far outside 0..1. The only allowed outcomes are
// a transform or one of our errors.
#include <string_view>

#include "FuzzSupport.h"
#include "lut/Resample.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const zelvo::TLUTSource source("display.icc", std::string_view(reinterpret_cast<const char*>(data), size));
  const zelvo::TLUTFormat& format = zelvo::LUTFormatOf(zelvo::TLUTFormatId::ICCProfile);
  format.CanRead(source);
  try {
    zelvo::TLUT lut;
    format.Load(source, lut);
    zelvo::TColor colors[] = {{0, 0, 0}, {1, 1, 1}, {0.5, 0.25, 0.75}, {-1, 2, 1e-30}, {1e30, -1e30, 0}};
    zelvo::EvaluateLUTSpan(lut, colors, colors, std::size(colors));
  } catch (const zelvo::EZelvoError&) {
  }
  return 0;
}
