#include "convert/PreviewFile.h"

#include "registry/Registry.h"

namespace zelvo {

TLUTPreview PreviewLUTFile(const std::string& lut_file, const TBitmap24& ungraded) {
  TLUT lut;
  LoadLUTFile(lut_file, lut);
  return PreviewLUT(std::move(lut), ungraded);
}

}  // namespace zelvo
