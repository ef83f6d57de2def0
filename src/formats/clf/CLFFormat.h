// The Common LUT Format (Academy/ASC CLF, SMPTE ST 2136-1) and the CTF files
// that use the same process nodes.
#pragma once

#include "formats/LUTFormat.h"

namespace zelvo {

class TCLFLutFormat : public TGenericLutFormat {
 public:
  // Points per axis of a chain baked into a 3D table, unless a LUT3D in it
  // has more.
  static constexpr int BakeSize = 65;

  TCLFLutFormat() : TGenericLutFormat(TLUTFormatId::CLF, "Academy/ASC CLF", true) {}
  // A document whose first element, after the XML declaration and comments,
  // is ProcessList.
  bool CanRead(const TLUTSource& source) const override;
  // A chain of an optional Range, an optional LUT1D and an optional LUT3D
  // becomes the LUT's domain and stages as it is; any other chain is
  // evaluated whole into a 3D table.
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  // A LUT1D, a LUT3D or both in 32-bit float, behind a Range (or a scaling
  // Matrix where the channels differ) for a domain other than 0..1.
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool StatesDomain() const override { return true; }
};

}  // namespace zelvo
