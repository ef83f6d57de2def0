// Clipster 3D: an XML document with one LUT3D element.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TClipster3DLutFormat : public TGenericLutFormat {
 public:
  TClipster3DLutFormat() : TGenericLutFormat("Clipster 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

}  // namespace zelvo
