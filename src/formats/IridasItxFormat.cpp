// Iridas .itx files (written here; read by the Cube 3D reader):
//
//   # Converted by Zelvo LUT Converter      <- comments start at the line's start
//
//   LUT_3D_SIZE 33
//   0.000000 0.000000 0.000000              <- rows, red fastest
//   0.031250 0.000000 0.000000
//
// A cube text without the domain and title lines of .cube files, which the
// readers of .itx files refuse.
#include "formats/Families.h"
#include "formats/LUTFormatImps.h"

namespace zelvo {

namespace {

class TIridasItxLutFormat : public TLUTFormat {
 public:
  TIridasItxLutFormat() : TLUTFormat(TLUTFormatId::IridasItx, "Iridas ITX 3D", true) {}
  // Its files are cube texts: detection finds Cube 3D in them.
  bool CanRead(const TLUTSource&) const override { return false; }
  bool CanLoad() const override { return false; }
  TLUTFormatId ReadBackAs() const override { return TLUTFormatId::Cube3D; }
  TLoadInfo Load(const TLUTSource&, TLUT&) const override {
    throw ELUTError("The format \"" + Name + "\" is write only; its files are read as Cube 3D.");
  }

  // The cube text of a table over 0..1.
  TFileText Save(const TLUT& lut, int, std::string_view) const override {
    if (!lut.Domain3D.IsUnit()) throw ELUTError("An .itx file cannot state an input domain other than 0..1.");
    return Cube3DText(lut);
  }
};

}  // namespace

void AddIridasItxFormats(TFormatList& formats) { formats.push_back(std::make_unique<TIridasItxLutFormat>()); }

}  // namespace zelvo
