// Applying a LUT to integer colours and to a 24-bit picture.
#pragma once

#include <cstdint>

#include "image/Bitmap24.h"
#include "image/FloatPicture.h"
#include "lut/LUT.h"

namespace zelvo {

// One integer colour with its bit depth (codes 0 .. 2^Bits - 1).
struct TColorValue {
  std::uint16_t R = 0;
  std::uint16_t G = 0;
  std::uint16_t B = 0;
  std::uint8_t Bits = 8;
  friend bool operator==(const TColorValue&, const TColorValue&) = default;
};

// The LUT's output for In at the depth the caller set in Out.Bits: the codes
// are normalised (not clamped), evaluated, clamped to 0..1 and quantised,
// ties to even. Depths are 1 to 16 bits. A LUT whose table in force has fewer
// than 2 points is refused (ELUTError): it has no colours to give.
void ApplyLUTToColor(const TLUT& lut, const TColorValue& in, TColorValue& out);

// Every pixel of the picture replaced by its LUT-processed value at 8 bits,
// exactly what ApplyLUTToColor gives for it. The picture is changed in place;
// its rows are shared out over the machine's cores.
void ApplyLUTToBitmap(const TLUT& lut, TBitmap24& bitmap);

// Every pixel of a float picture replaced by exactly what EvaluateLUT gives
// for it, kept as float: values outside 0..1 go in as they are, where the
// LUT's domain decides what becomes of them, and come out unclamped.
void ApplyLUTToFloatPicture(const TLUT& lut, TFloatPicture& picture);

}  // namespace zelvo
