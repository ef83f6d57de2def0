// Helpers of the tests of the LUT model and everything above it: sample
// tables and their comparison.
#pragma once

#include <string_view>

#include "TestSupport.h"
#include "lut/LUT.h"

namespace zelvo::test {

// What a load that succeeded must leave: a table of the size it states for
// every stage its kind puts in force, within the limits, and (unless the
// format can hold infinities) only finite values. `context` names the input.
void ExpectConsistentTable(const TLUT& lut, std::string_view context, bool finite = true);

// The largest difference of any channel between two tables over the first n
// points per axis (3D) or the first m entries (1D); infinity when a value is NaN.
double MaxDifference3D(const TLUT& a, const TLUT& b, int n);
double MaxDifference1D(const TLUT& a, const TLUT& b, int m);

// Fills a LUT with a smooth non-identity table (all channels mixed).
void FillSample3D(TLUT& lut, int n);
void FillSample1D(TLUT& lut, int m);
// Fills an identity table.
void FillIdentity3D(TLUT& lut, int n);
// Three 1D entries that show rounding (0.5 at odd code counts), clamping below
// 0 and above 1.
void FillThree1D(TLUT& lut);
// Puts a square-root shaper of 64 entries over inputs 0..4 ahead of the
// LUT's 3D table (kind lk1DAnd3D).
void AddSquareRootShaper(TLUT& lut);

}  // namespace zelvo::test
