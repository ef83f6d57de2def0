// The inverse of a LUT: for each colour, the input the LUT maps onto it,
// through its 3D stage (the exact inverse of the table's interpolation) and
// its 1D stage (each channel's curve run backwards).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "lut/GridSearch.h"
#include "lut/LUT.h"
#include "lut/Resample.h"

namespace zelvo {

// One channel of a 1D table run backwards: the table position whose linear
// interpolation gives a value. As OpenColorIO's inverse 1D LUT does it: the
// table rises when its last entry is above its first (else it falls, a flat
// table too); a reversal against that direction is flattened to the value
// before it, so the curve is taken over its monotonic hull; a value of a
// flat stretch inside the curve goes to the stretch's first entry, and one of
// a flat stretch at either end to the entry where the curve starts to move;
// values beyond the curve's range go to its nearer end.
class TInverseCurve {
 public:
  TInverseCurve() = default;
  // Channel `channel` (0 red, 1 green, 2 blue) of `count` entries.
  TInverseCurve(const TLUTEntry* entries, std::size_t count, int channel);
  // The position 0..1 along the table.
  double Position(double value) const;
  // The lowest and highest value the curve gives.
  double Lowest() const;
  double Highest() const;

 private:
  std::vector<double> values_;  // made rising (negated when the table falls) and monotonic
  std::size_t first_ = 0, last_ = 0;
  bool rising_ = true;
};

// What an inverse met over the colours it was given.
struct TInverseStats {
  std::size_t Colours = 0;
  // Colours the LUT gives to no input: each went to the nearest colour it does give.
  std::size_t Unreached = 0;
  // Of the others, the largest difference in a channel between a colour and
  // the LUT's output for the input found for it.
  double LargestRoundTrip = 0.0;
  void Add(const TInverseStats& other);
};

// The inverse of a LUT of kind lk1D, lk3D or lk1DAnd3D (lkNone: unchanged).
// Its inputs are the LUT's outputs: colours beyond what the LUT gives go to
// the input of the nearest colour it gives. It never changes once made;
// long runs of colours are shared between two threads.
class TLUTInverse {
 public:
  // Raises ELUTError for a LUT of another kind (a process list of nodes) or
  // without a usable table.
  explicit TLUTInverse(std::shared_ptr<const TLUT> forward);
  TLUTInverse(const TLUTInverse&) = delete;
  TLUTInverse& operator=(const TLUTInverse&) = delete;
  ~TLUTInverse();

  // out[i] = the input for in[i]; `out` may be `in`. `stats`, when given, is
  // added what these colours met. A table that folds over itself too much
  // raises ELUTError (the search's budget is this call's).
  void Evaluate(const TColor* in, TColor* out, std::size_t count, TInverseStats* stats = nullptr) const;
  // The colours the inverse is meant for: the LUT's outputs, per channel
  // 0..1 and beyond it as far as the LUT's outputs go.
  const TLUTDomain& InputDomain() const { return domain_; }
  const TLUT& Forward() const { return *forward_; }

 private:
  std::shared_ptr<const TLUT> forward_;
  TInverseCurve curves_[3];
  std::unique_ptr<TGridSearch> search_;
  std::unique_ptr<TGridSurface> surface_;
  TLUTDomain domain_;

  void EvaluateRun(const TColor* in, TColor* out, std::size_t count, TInverseStats* stats) const;
  // The 3D stage backwards: the input into its domain; false where the
  // table does not reach the colour (the input of the nearest it reaches).
  bool Invert3D(const TColor& colour, TColor& input, long long& budget, std::uint32_t& hint) const;
  // The 1D stage backwards; false where a channel lies beyond its curve.
  bool Invert1D(const TColor& colour, TColor& input) const;
};

// The range of a LUT's outputs per channel (of its last stage's table), or
// 0..1 for a LUT without one.
TLUTDomain OutputRange(const TLUT& lut);

}  // namespace zelvo
