// XML-based formats: S.two 1D, PixelFarm PFClean 3D and Adobe Speedgrade looks,
// and the checks that every XML-based reader and writer shares.
#pragma once

#include <string>
#include <string_view>

#include "formats/LUTFormat.h"
#include "formats/StringLib.h"
#include "formats/TextFile.h"

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
  TStwo1DLutFormat() : TGenericLutFormat("S.two 1D", false) { Range = 10; }
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

class TPFClean3D_Format : public TGenericLutFormat {
 public:
  TPFClean3D_Format() : TGenericLutFormat("PixelFarm PFClean 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
};

// Read only: looks are read for their 3D table; no output profile writes them.
class TSpeedgradeLook3DLutFormat : public TGenericLutFormat {
 public:
  TSpeedgradeLook3DLutFormat() : TGenericLutFormat("Adobe Speedgrade Look 3D", true) {}
  bool CanRead(const std::string& file_name) const override;
  void Load(const std::string& file_name, TLUT& lut) override;
  // Writes nothing.
  void Save(const std::string& file_name, const TLUT& lut, int bits) const override;
  bool CanSave() const override { return false; }
};

}  // namespace zelvo
