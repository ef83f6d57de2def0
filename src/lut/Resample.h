// Evaluating a LUT at colours, filling a table from a colour function, and
// filling one LUT from another.
#pragma once

#include <cmath>
#include <cstddef>
#include <functional>

#include "lut/LUT.h"

namespace zelvo {

// A colour triple, normalised like a table entry (the same three doubles).
using TColor = TLUTEntry;

// Where an input lies on a table of `points` points: the lower grid index,
// the next one and the fraction towards it. Inputs outside 0..1 (and NaN)
// clamp to the edges; at exactly 1 the fraction is 0. Every interpolation
// locates its inputs this way.
struct TGridPosition {
  int index;
  int next;
  double frac;
};
inline TGridPosition LocateOnGrid(double input, int points) {
  if (!(input >= 0.0)) input = 0.0;
  if (input > 1.0) input = 1.0;
  const double p = static_cast<double>(points - 1) * input;
  const double t = std::trunc(p);
  const int index = static_cast<int>(t);
  return TGridPosition{index, index + 1 < points ? index + 1 : points - 1, p - t};
}

// Linear interpolation per channel in Table1D (Size1D entries).
TColor Interpolate1D(const TLUT& lut, const TColor& in);
// Trilinear interpolation in Table3D (Size3D points per axis).
TColor Interpolate3D(const TLUT& lut, const TColor& in);
// Tetrahedral interpolation in Table3D: the cell split along its diagonal from
// black to white into six tetrahedra, the one that holds the point chosen by
// the order of its fractions, as OpenColorIO computes it.
TColor Interpolate3DTetrahedral(const TLUT& lut, const TColor& in);
// The output for one input, through the tables the Kind puts in force (the 3D
// table read as its Interpolation3D says), or through the chain of a LUT of
// kind lkChain.
TColor EvaluateLUT(const TLUT& lut, const TColor& in);
// EvaluateLUT for `count` colours at once, the Kind decided once for all of
// them; `out` may be `in`.
void EvaluateLUTSpan(const TLUT& lut, const TColor* in, TColor* out, std::size_t count);

// A colour function over a run of inputs: out[i] = f(in[i]) for i < count.
using TColorSpanFunction = std::function<void(const TColor* in, TColor* out, std::size_t count)>;

// Fills the table that the target's Kind puts in force (lk3D: the grid of
// Size3D points, lk1D: the Size1D entries) from a colour function. Grid point
// [r][g][b] gets f(r/(N-1), g/(N-1), b/(N-1)) and entry i gets
// f(i/(M-1), i/(M-1), i/(M-1)), each position taken into the stage's domain
// when it has one. Other kinds are left alone. Sizes below 2 raise ELUTError,
// as the sample positions would divide by zero.
void BakeLUT(TLUT& target, const TColorSpanFunction& f);

// Fills Target, whose Kind and size the caller has set, from Source, and copies
// Source's comments. Same kind and size copy the table unchanged; the second
// form moves it instead.
void ResampleLUT(TLUT& target, const TLUT& source);

// Source brought to a kind (lk3D or lk1D), size and domain: Source's table,
// moved, when it already has them, else a new LUT resampled from it, after
// which Source is emptied (its tables freed). Either way the result has
// Source's comments and no FormatIndex.
TLUT ResampledLUT(TLUT&& source, TLUTKind kind, int size, const TLUTDomain& domain = {});
// Whether ResampledLUT passes Source's table over as it is.
bool PassesOver(const TLUT& source, TLUTKind kind, int size, const TLUTDomain& domain = {});

// Points (3D) or entries (1D) that the final stage of the LUT interpolates in:
// Size3D for lk3D and lk1DAnd3D, Size1D for lk1D; lkNone needs no table.
bool HasUsableTable(const TLUT& lut);

}  // namespace zelvo
