// Evaluating a LUT at one colour, and filling one LUT from another.
#pragma once

#include "lut/LUT.h"

namespace zelvo {

struct TColor {
  double R = 0.0;
  double G = 0.0;
  double B = 0.0;
  friend bool operator==(const TColor&, const TColor&) = default;
};

// Linear interpolation per channel in Table1D (Size1D entries).
TColor Interpolate1D(const TLUT& lut, const TColor& in);
// Trilinear interpolation in Table3D (Size3D points per axis).
TColor Interpolate3D(const TLUT& lut, const TColor& in);
// The output for one input, through the tables the Kind puts in force.
TColor EvaluateLUT(const TLUT& lut, const TColor& in);

// Fills Target, whose Kind and size the caller has set, from Source, and copies
// Source's comments. Same kind and size copy the table unchanged.
void ResampleLUT(TLUT& target, const TLUT& source);

// Points (3D) or entries (1D) that the final stage of the LUT interpolates in:
// Size3D for lk3D and lk1DAnd3D, Size1D for lk1D; lkNone needs no table.
bool HasUsableTable(const TLUT& lut);

}  // namespace zelvo
