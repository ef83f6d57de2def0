// ASC CDL corrections: reading a .cc file or one correction of a collection,
// and the slope, offset, power and saturation transfer function.
//
//   <ColorCorrection id="shot_010">
//     <SOPNode>
//       <Slope>1.1 1.0 0.9</Slope>
//       <Offset>0.01 0 -0.02</Offset>
//       <Power>1 1 1.2</Power>
//     </SOPNode>
//     <SatNode><Saturation>0.8</Saturation></SatNode>   <- optional
//   </ColorCorrection>
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lut/LUT.h"

namespace zelvo {

class TXMLNode;

struct TCDLChannel {
  float Slope = 1.0f;
  float Offset = 0.0f;
  float Power = 1.0f;
};

struct TCDLData {
  TCDLChannel SOP[3];  // R, G, B
  float Saturation = 1.0f;
  std::string Id;
};

// Reads the top-level ColorCorrection of a document. Missing elements raise the
// XML reader's not-found error; numbers that do not convert raise EConvertError.
// "ASC_SOP" and "ASC_SAT" stand for "SOPNode" and "SATNode" as well.
void ReadCDL(std::string_view document, TCDLData& cdl);
// Reads one ColorCorrection element the same way.
void ReadCorrection(const TXMLNode& correction, TCDLData& cdl);
// The ColorCorrection elements of a ColorCorrectionCollection or of a
// ColorDecisionList (one in each ColorDecision), in document order; raises
// the not-found error when the document is neither.
std::vector<const TXMLNode*> CollectionCorrections(const TXMLNode& document);
// The correction of a collection (or decision list) whose id is `item_id`,
// the first for an empty id; `ids` gets the ids of all its corrections
// ("shot_010, (no id)"). Raises ELUTError for a collection of none and for
// an id it does not hold.
const TXMLNode& ChosenCorrection(const TXMLNode& document, const std::string& item_id, std::string& ids);
// One correction of a .cc, .ccc or .cdl document: its top-level
// ColorCorrection (whatever its id), else the chosen one of its collection.
void ReadCorrectionOf(std::string_view document, const std::string& item_id, TCDLData& cdl);

// Slope, offset and power per channel, then saturation around the plain mean of
// the three channels, in single precision. Nothing is clamped.
void ApplyCDL(const TCDLData& cdl, float in_r, float in_g, float in_b, float& out_r, float& out_g, float& out_b);

// The grid of the table a correction becomes.
inline constexpr int kCDLGridSize = 33;

// A correction as the LUT the ASC CDL formats read: its name as a comment and
// the 33-point table of its transfer function (CDLFormat.cpp).
void CorrectionToLUT(const TCDLData& cdl, TLUT& lut);

}  // namespace zelvo
