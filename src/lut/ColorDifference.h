// How far apart two colours look: CIELAB and the CIEDE2000 colour difference,
// for output values taken as display colours or as linear light.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lut/LUT.h"

namespace zelvo {

// A colour in CIELAB: L 0 for black and 100 for the reference white.
struct TLabColor {
  double L = 0.0;
  double a = 0.0;
  double b = 0.0;
};

// The sRGB curve, from an encoded value to linear light (odd below 0, so that
// values out of range keep their sign).
double SRGBToLinear(double encoded);
// Linear light with sRGB primaries to CIELAB relative to D65 white: RGB 1 1 1
// is L 100, a 0, b 0.
TLabColor LinearRGBToLab(const TLUTEntry& linear);
// The CIEDE2000 colour difference, parametric factors kL = kC = kH = 1.
double CIEDE2000(const TLabColor& x, const TLabColor& y);

// How output values are taken for a colour difference.
enum class TCompareSpace : std::uint8_t {
  csSRGB = 0,    // sRGB-encoded display colours; clipped to 0..1 first
  csLinear = 1,  // linear light with sRGB primaries and D65 white, as they are
  csNone = 2,    // no colour difference
};

// CIEDE2000 between x[i] and y[i] for i below count, the values taken as
// `space` says (csNone gives 0): the same numbers as CIEDE2000 one pair at a
// time, at a good part less of the cost. Pairs that are the same colour give
// exactly 0; values that are not numbers give NaN in linear light.
void ColorDifferenceSpan(TCompareSpace space, const TLUTEntry* x, const TLUTEntry* y, double* de, std::size_t count);

}  // namespace zelvo
