// XML-based formats: S.two 1D, PixelFarm PFClean 3D and Adobe Speedgrade looks,
// and the checks that every XML-based reader and writer shares.
#pragma once

#include <string>
#include <string_view>

#include "formats/LUTFormat.h"
#include "base/StringLib.h"
#include "base/TextFile.h"

namespace zelvo {

class TXMLValue;

// A grid size taken from an attribute or element (`source` names it, as in
// "\"N\" attribute"): a missing or empty one, or one that is not 2 to 101
// points, raises ELUTError before anything is stored.
int XMLGridSize(const TXMLValue& value, std::string_view source);
// A bit depth of 1 to 31 bits, so that every code fits a 32-bit integer.
int XMLBitDepth(const TXMLValue& value, std::string_view source);

// The rows of three integer codes in an element's text, each divided by
// `divisor`, passed to store(r, g, b) until it returns true. Blank rows and rows
// that are not three integers are skipped.
template <typename Store>
void ForEachCodeRow(std::string_view text, int divisor, Store&& store) {
  double r, g, b;
  ForEachLineIn(text, [&](std::string_view row) {
    return ReadIntTriple(row, divisor, false, r, g, b) && store(r, g, b);
  });
}

class TStwo1DLutFormat : public TGenericLutFormat {
 public:
  // The depth of the codes read; the files do not state it.
  static constexpr int ReadBits = 10;

  TStwo1DLutFormat() : TGenericLutFormat(TLUTFormatId::Stwo1D, "S.two 1D", false) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

class TPFClean3D_Format : public TGenericLutFormat {
 public:
  TPFClean3D_Format() : TGenericLutFormat(TLUTFormatId::PFClean3D, "PixelFarm PFClean 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
};

// Read only: looks are read for their 3D table; no output profile writes them.
class TSpeedgradeLook3DLutFormat : public TGenericLutFormat {
 public:
  TSpeedgradeLook3DLutFormat()
      : TGenericLutFormat(TLUTFormatId::SpeedgradeLook3D, "Adobe Speedgrade Look 3D", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  // Writes nothing.
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
