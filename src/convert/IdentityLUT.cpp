#include "convert/IdentityLUT.h"

#include "base/Errors.h"
#include "base/LutLimits.h"

namespace zelvo {

TLUT IdentityLUT(const TLutOutputProfile& profile, int size) {
  if (size < kMinUsableSize) {
    throw EZelvoError("An identity LUT needs at least " + std::to_string(kMinUsableSize) +
                      (profile.Is3D ? " points per axis." : " entries."));
  }
  TLUT lut;
  const double step = 1.0 / (size - 1);
  if (profile.Is3D) {
    lut.Kind = TLUTKind::lk3D;
    lut.SetSize3D(size);
    for (int b = 0; b < size; ++b)
      for (int g = 0; g < size; ++g)
        for (int r = 0; r < size; ++r) lut.Table3D(r, g, b) = TLUTEntry{r * step, g * step, b * step};
  } else {
    lut.Kind = TLUTKind::lk1D;
    lut.SetSize1D(size);
    for (int i = 0; i < size; ++i) lut.Table1D(i) = TLUTEntry{i * step, i * step, i * step};
  }
  lut.Comments.push_back("Identity LUT");
  return lut;
}

void WriteIdentityLUT(const ConversionSettings& settings, const std::string& target_path, TReplace replace) {
  CheckConversionSettings(settings);
  CheckSizeInRange(settings);
  const TLutOutputProfile& profile = *settings.OutputProfile;
  const TLUT lut = IdentityLUT(profile, ResolveGridSize(settings.SizeText, profile));
  SaveLUTFile(target_path, lut, profile, settings.Bits, replace);
}

}  // namespace zelvo
