// An ASC CDL correction (see CDLLib.h for the file) read as a 3D table: the
// transfer function sampled on a fixed grid of 33 points per axis, which the
// conversion job then resamples to the target's size.

#include "formats/Families.h"
#include "formats/CDLLib.h"
#include "formats/LUTFormatImps.h"
#include "lut/Resample.h"

namespace zelvo {

namespace {

// A .cc correction turned into a 33-point table; read only.
class TASC_CDL_Format : public TGenericLutFormat {
 public:

  TASC_CDL_Format() : TGenericLutFormat(TLUTFormatId::ASC_CDL, "ASC CDL", true) {}
  bool CanRead(const TLUTSource& source) const override;
  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override;
  // Writes nothing: no output profile uses this format.
  TFileText Save(const TLUT& lut, int bits, std::string_view title) const override;
  bool CanSave() const override { return false; }
};

bool TASC_CDL_Format::CanRead(const TLUTSource& source) const {
  // A single correction, its SOP node spelled either way; collections and
  // decision lists are the ASC CDL collection format's.
  constexpr std::string_view kCollections = "<ColorCorrectionCollection,<ColorDecisionList";
  return MatchSignature(source, "<ColorCorrection,<SOPNode>", kCollections) ||
         MatchSignature(source, "<ColorCorrection,<ASC_SOP>", kCollections);
}

TLoadInfo TASC_CDL_Format::Load(const TLUTSource& source, TLUT& lut) const {
  // The whole correction is read before the table is touched, so a bad file
  // leaves the LUT as it was.
  TCDLData cdl;
  ReadCDL(source.Bytes(), cdl);
  CorrectionToLUT(cdl, lut);
  return {};
}

TFileText TASC_CDL_Format::Save(const TLUT&, int, std::string_view) const { RaiseReadOnly(*this); }

}  // namespace

void CorrectionToLUT(const TCDLData& cdl, TLUT& lut) {
  lut.Comments.push_back("Name: " + cdl.Id);
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(kCDLGridSize);
  // The correction works in single precision, as the grid positions are exact.
  BakeLUT(lut, [&cdl](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      float r, g, b;
      ApplyCDL(cdl, static_cast<float>(in[i].R), static_cast<float>(in[i].G), static_cast<float>(in[i].B), r, g, b);
      out[i] = TColor{r, g, b};
    }
  });
}

void AddCDLFormats(TFormatList& formats) {
  formats.push_back(std::make_unique<TASC_CDL_Format>());
}

}  // namespace zelvo
