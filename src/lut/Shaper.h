// A 1D shaper ahead of a 3D table, for colour functions that a plain table
// follows badly: a log or exponent curve sampled on an even grid puts most of
// its change into a few cells. The shaper takes the function's own response
// to greys, so that the 3D table behind it sees a nearly straight function.
#pragma once

#include <functional>

#include "lut/LUT.h"

namespace zelvo {

// Fills `target` with a LUT of kind lk1DAnd3D for `source` over `domain`: a
// 1D stage of `shaper_size` entries holding the source's grey response of
// each channel brought onto 0..1 (with `one_curve`, their mean, one curve
// for all channels), and a 3D table of `grid` points per axis over that
// stage's outputs, whose every point is the source at the input the shaper
// takes there. False, with `target` untouched, when a response is not
// strictly monotonic over the domain (no shaper can be inverted then), or,
// with `one_curve`, the channels do not rise or fall together.
// `as_read`, where given, brings a LUT's 1D stage to what the target
// format's readers make of it (a curve through its points; false when they
// take it as it is): the table's points are then placed on that curve, so
// that the file means the source at them.
bool BakeShaped(const TLUT& source, const TLUTDomain& domain, int grid, int shaper_size, bool one_curve,
                TLUT& target, const std::function<bool(TLUT&)>& as_read = {});

}  // namespace zelvo
