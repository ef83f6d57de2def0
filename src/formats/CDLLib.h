// ASC CDL corrections: reading a .cc file and the slope, offset, power and
// saturation transfer function.
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

namespace zelvo {

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
void ReadCDL(std::string_view document, TCDLData& cdl);

// Slope, offset and power per channel, then saturation around the plain mean of
// the three channels, in single precision. Nothing is clamped.
void ApplyCDL(const TCDLData& cdl, float in_r, float in_g, float in_b, float& out_r, float& out_g, float& out_b);

}  // namespace zelvo
