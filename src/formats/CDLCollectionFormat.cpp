// ASC CDL collections: a .ccc file holds corrections side by side, a .cdl
// file one in each decision (read only):
//
//   <ColorCorrectionCollection>              <- or <ColorDecisionList>
//     <ColorCorrection id="shot_010">        <-   <ColorDecision><ColorCorrection ...>
//       <SOPNode> (or <ASC_SOP>)
//         <Slope>1.1 1.0 0.9</Slope> <Offset>0 0 0</Offset> <Power>1 1 1</Power>
//       </SOPNode>
//       <SatNode><Saturation>0.8</Saturation></SatNode>   <- optional (or <ASC_SAT>)
//     </ColorCorrection>
//     <ColorCorrection id="shot_020"> ...
//
// The first correction is read, or the one whose id the source names
// (TLUTSource::ItemId, the command line's --cccid); a comment line lists the
// ids of the file, so that `info` shows them.
#include <string>

#include "formats/CDLLib.h"
#include "formats/Families.h"
#include "base/XMLNode.h"

namespace zelvo {

namespace {

class TCDLCollectionFormat : public TLUTFormat {
 public:
  TCDLCollectionFormat() : TLUTFormat(TLUTFormatId::ASC_CDLCollection, "ASC CDL collection", true) {}

  bool CanRead(const TLUTSource& source) const override {
    return TGenericLutFormat::MatchSignature(source, "<ColorCorrectionCollection") ||
           TGenericLutFormat::MatchSignature(source, "<ColorDecisionList");
  }

  TLoadInfo Load(const TLUTSource& source, TLUT& lut) const override {
    TXMLNode doc;
    doc.LoadFromString(source.Bytes());
    std::string ids;
    const TXMLNode& chosen = ChosenCorrection(doc, source.ItemId(), ids);
    TCDLData cdl;
    ReadCorrection(chosen, cdl);
    CorrectionToLUT(cdl, lut);
    lut.Comments.push_back("Corrections of the file (pick one by its id): " + ids);
    return {};
  }

  bool CanSave() const override { return false; }
  TFileText Save(const TLUT&, int, std::string_view) const override { RaiseReadOnly(*this); }
};

}  // namespace

void AddCDLCollectionFormats(TFormatList& formats) { formats.push_back(std::make_unique<TCDLCollectionFormat>()); }

}  // namespace zelvo
