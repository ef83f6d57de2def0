// A LUT made ready for millions of pixels, and the rows of a picture shared
// out over the processor's cores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "lut/LUT.h"
#include "lut/Resample.h"

namespace zelvo {

// Gives exactly what EvaluateLUT gives, bit for bit, in fewer steps: a 3D
// table's corners are read as vectors of doubles, and 8-bit inputs find
// their grid positions in a table made once.
class TGridEvaluator {
 public:
  // The LUT must outlive the evaluator.
  explicit TGridEvaluator(const TLUT& lut);

  // out[i] = EvaluateLUT(lut, in[i]) for i < count; `out` may be `in`.
  void Evaluate(const TColor* in, TColor* out, std::size_t count) const;
  // The same for `count` pixels of 8-bit codes in the order blue, green,
  // red, replaced by their outputs quantised to 8 bits (ApplyLUTToColor).
  void EvaluateBgr8(std::uint8_t* pixels, std::size_t count) const;
  // The same for float pixels (red, green, blue), replaced by their outputs.
  void EvaluateRgbFloat(float* samples, std::size_t count) const;

  struct alignas(32) TCorner {
    double v[4];
  };
  using TPos = TGridPosition;

 private:
  [[gnu::always_inline]] inline TColor Interpolate(const TPos& r, const TPos& g, const TPos& b) const;
  TPos Position(double table_input) const;

  const TLUT& lut_;
  bool grid_ = false;  // a 3D table alone: the fast path
  bool unit_ = true;
  int size_ = 0;
  std::vector<TCorner> corners_;  // Table3D, four doubles an entry
  // Grid positions of code / 255 per channel, for 8-bit pixels.
  std::array<std::vector<TPos>, 3> positions8_;
};

// Calls f(first_row, end_row) for bands of rows that together make
// 0..height, on as many threads as the machine has cores (at most 8; one for
// small pictures). An error f raises reaches the caller.
void ForRowBands(int height, std::size_t pixels_per_row, const std::function<void(int, int)>& f);

}  // namespace zelvo
