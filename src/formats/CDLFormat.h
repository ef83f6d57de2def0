// ASC CDL corrections read as a 3D table.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TASC_CDL_Format : public TGenericLutFormat {
 public:
  TASC_CDL_Format() : TGenericLutFormat("ASC CDL", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanLoad() const override { return false; }
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
