// ASC CDL corrections read as a 3D table.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

// A .cc correction turned into a 33-point table; read only.
class TASC_CDL_Format : public TGenericLutFormat {
 public:
  static constexpr int kGridSize = 33;

  TASC_CDL_Format() : TGenericLutFormat(TLUTFormatId::ASC_CDL, "ASC CDL", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  // Writes nothing: no output profile uses this format.
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanSave() const override { return false; }
};

struct TCDLData;

// A correction as the LUT the ASC CDL formats read: its name as a comment and
// the 33-point table of its transfer function.
void CorrectionToLUT(const TCDLData& cdl, TLUT& lut);

}  // namespace zelvo
