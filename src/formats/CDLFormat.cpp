// An ASC CDL correction (see CDLLib.h for the file) read as a 3D table: the
// transfer function sampled on a fixed grid of 33 points per axis, which the
// conversion job then resamples to the target's size.
#include "formats/CDLFormat.h"

#include "formats/CDLLib.h"
#include "formats/LUTFormatImps.h"

namespace zelvo {

bool TASC_CDL_Format::CanRead(const std::string& file_name) const {
  return MatchSignature(file_name, "<ColorCorrection,<SOPNode>", "<ColorCorrectionCollection");
}

void TASC_CDL_Format::Load(const std::string& file_name, TLUT& lut) {
  // The whole file is read before the table is touched, so a bad file leaves
  // the LUT as it was.
  TCDLData cdl;
  ReadCDLFile(file_name, cdl);
  lut.Comments.push_back("Name: " + cdl.Id);
  lut.Kind = TLUTKind::lk3D;
  lut.Size3D = kGridSize;
  const float step = static_cast<float>(kGridSize - 1);
  ForEachBlueFastest(kGridSize, [&](int r, int g, int b) {
    float out_r, out_g, out_b;
    ApplyCDL(cdl, static_cast<float>(r) / step, static_cast<float>(g) / step, static_cast<float>(b) / step, out_r,
             out_g, out_b);
    lut.Table3D(r, g, b) = TLUTEntry{out_r, out_g, out_b};
  });
}

void TASC_CDL_Format::Save(const std::string&, const TLUT&, int) const { RaiseReadOnly(*this); }

}  // namespace zelvo
