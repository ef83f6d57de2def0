#include "convert/PreviewFile.h"

#include "registry/Registry.h"

namespace zelvo {

TLUTPreview PreviewLUTFile(const std::string& lut_file, const TBitmap24& ungraded,
                           std::optional<TInterpolation> interpolation, const TFloatPicture* values) {
  TLUT lut;
  LoadLUTFile(lut_file, lut);
  if (interpolation) lut.Interpolation3D = *interpolation;
  return PreviewLUT(std::move(lut), ungraded, values);
}

}  // namespace zelvo
