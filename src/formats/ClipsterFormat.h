// Clipster 3D: an XML document with one LUT3D element.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TClipster3DLutFormat : public TGenericLutFormat {
 public:
  TClipster3DLutFormat() : TGenericLutFormat(TLUTFormatId::Clipster3D, "Clipster 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

}  // namespace zelvo
