// ASC CDL corrections read as a 3D table.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

// A .cc correction turned into a 33-point table; read only.
class TASC_CDL_Format : public TGenericLutFormat {
 public:
  static constexpr int kGridSize = 33;

  TASC_CDL_Format() : TGenericLutFormat("ASC CDL", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  // Writes nothing: no output profile uses this format.
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
