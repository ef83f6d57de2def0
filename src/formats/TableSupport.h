// Table helpers of the family readers and writers: channels by number, the
// one range of formats that state one for all channels, and a 3D table as a
// file declares it, with a number of points of its own on each axis
// (Cinespace, spi3d and vector-field files allow that), made the LUT's cube.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "lut/LUT.h"
#include "base/LargeAlloc.h"

namespace zelvo {

// One channel of an entry by its number: 0 red, 1 green, 2 blue.
inline double& Channel(TLUTEntry& e, int c) { return c == 0 ? e.R : c == 1 ? e.G : e.B; }
inline double Channel(const TLUTEntry& e, int c) { return c == 0 ? e.R : c == 1 ? e.G : e.B; }

// The one range, the same for all channels, that covers every channel's
// range of `d`: the domain of formats that state one range for all.
inline TLUTDomain OneRangeCovering(const TLUTDomain& d) {
  const double lo = std::min({d.Min.R, d.Min.G, d.Min.B}), hi = std::max({d.Max.R, d.Max.G, d.Max.B});
  return TLUTDomain{TLUTEntry{lo, lo, lo}, TLUTEntry{hi, hi, hi}};
}

// Refuses a LUT whose tables or domains hold a value that is not a finite
// number: the values a file gives are finite, but what a reader computes from
// them (a pre-LUT's curve, a matrix, a range) may overflow.
void RequireFiniteTables(const TLUT& lut);

class TGridTable {
 public:
  // Checks each size (CheckGridSize) and allocates: straight in the LUT's
  // Table3D when the three agree, else in a table of its own.
  TGridTable(TLUT& lut, int size_r, int size_g, int size_b);

  int Size(int axis) const { return sizes_[axis]; }
  std::size_t Count() const;
  bool IsCube() const { return ragged_.empty(); }
  // The entry at grid point [r][g][b], each below its axis's size.
  TLUTEntry& At(int r, int g, int b);

  // Makes the table the LUT's Table3D. A ragged one is resampled to a cube:
  // of 1 + the least common multiple of (size - 1) over the axes, where that
  // fits the limits, so that every source point is a cube point and the cube
  // interpolates exactly like the source; else of the largest axis size. A
  // comment line says which. A cube of more than 65 points and 64 times the
  // table's entries is refused rather than allocated.
  void Finish();

 private:
  TLUT& lut_;
  int sizes_[3];
  std::vector<TLUTEntry, LargeAllocator<TLUTEntry>> ragged_;
};

}  // namespace zelvo
