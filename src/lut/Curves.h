// The curves of a LUT, as the curves window draws them: for a 1D LUT the
// three channel curves; for a 3D or 1D+3D LUT its responses along the grey
// axis and along the six ramps from black to the primaries and secondaries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lut/LUT.h"

namespace zelvo {

// Points per curve the sampler takes at the most (and at the least, 2).
inline constexpr int kMaxCurvePoints = 4096;

struct TCurve {
  // "Red", "Green", "Blue" for a 1D LUT's channels; "Grey axis", "Black to
  // red", ..., "Black to yellow" for the ramps through a 3D LUT.
  std::string Name;
  // The colour the curve runs to (a channel's own colour for a 1D LUT),
  // 0..1 in each channel, for the legend.
  TLUTEntry Colour;
  // The output channels (red, green, blue) the curve shows: a channel curve
  // its own, a ramp all three.
  bool Shows[3] = {true, true, true};
  // The input value at each point: the channel's own for a channel curve;
  // for a ramp, that of the first channel the ramp moves (red for grey, red,
  // magenta and yellow, green for green and cyan, blue for blue).
  std::vector<double> Inputs;
  // The LUT's output at each point. Tables that hold infinities or NaN give
  // them here as they are.
  std::vector<TLUTEntry> Outputs;
};

struct TCurveSet {
  // Empty for a LUT that has no table to draw (lkNone, or a table of fewer
  // than 2 points).
  std::vector<TCurve> Curves;
  // The span of the inputs over all curves: the LUT's input domain.
  double InputMin = 0.0;
  double InputMax = 1.0;
  // The span of the finite outputs the curves show, at least 0..1.
  double OutputMin = 0.0;
  double OutputMax = 1.0;
};

// Which curves a LUT gives: those its kind suggests (a 1D LUT's channels,
// the ramps of any other), or the ramps whatever its kind.
enum class TCurveForm : std::uint8_t { cfOwn, cfRamps };

// The curves of the LUT, each sampled at `points` evenly spaced positions
// (clamped to 2..kMaxCurvePoints) over the LUT's input domain, from its
// lowest to its highest value, and evaluated as a picture would be.
TCurveSet SampleCurves(const TLUT& lut, int points, TCurveForm form = TCurveForm::cfOwn);

// Two LUTs' curves for one plot, the second drawn over the first.
struct TCurvePair {
  TCurveSet First;
  TCurveSet Second;
};

// The same curves of both LUTs, each over its own input domain: the channels
// when both are 1D LUTs, the ramps otherwise, so that curve k of one is
// curve k of the other. When both have a table to draw, both sets get the
// spans that cover the two; a LUT without one gives an empty set and leaves
// the other as SampleCurves gives it.
TCurvePair SampleCurvePair(const TLUT& first, const TLUT& second, int points);

}  // namespace zelvo
