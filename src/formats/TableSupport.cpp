#include "formats/TableSupport.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "base/Errors.h"

namespace zelvo {

namespace {

// How many times the entries of a ragged table its cube may hold (beyond a
// cube of 65 points, which any table may have).
constexpr std::size_t kMaxCubeGrowth = 64;

}  // namespace

void RequireFiniteTables(const TLUT& lut) {
  const auto finite = [](const TLUTEntry& e) { return std::isfinite(e.R) && std::isfinite(e.G) && std::isfinite(e.B); };
  const auto all_finite = [&](const TLUTEntry* e, std::size_t count) {
    return std::all_of(e, e + count, finite);
  };
  const auto n = static_cast<std::size_t>(lut.Size3D());
  const bool ok = finite(lut.Domain1D.Min) && finite(lut.Domain1D.Max) && finite(lut.Domain3D.Min) &&
                  finite(lut.Domain3D.Max) && all_finite(lut.Data3D(), n * n * n) &&
                  all_finite(lut.Data1D(), static_cast<std::size_t>(lut.Size1D()));
  if (!ok) throw ELUTError("The file's numbers give values beyond the range of floating-point numbers.");
}

TGridTable::TGridTable(TLUT& lut, int size_r, int size_g, int size_b) : lut_(lut), sizes_{size_r, size_g, size_b} {
  for (const int n : sizes_) CheckGridSize(n);
  if (size_r == size_g && size_r == size_b) {
    lut_.SetSize3D(size_r);
  } else {
    lut_.SetSize3D(0);
    ragged_.resize(Count());
  }
}

std::size_t TGridTable::Count() const {
  return static_cast<std::size_t>(sizes_[0]) * static_cast<std::size_t>(sizes_[1]) * static_cast<std::size_t>(sizes_[2]);
}

TLUTEntry& TGridTable::At(int r, int g, int b) {
  if (ragged_.empty()) return lut_.Table3D(r, g, b);
  const auto nr = static_cast<std::size_t>(sizes_[0]), ng = static_cast<std::size_t>(sizes_[1]);
  return ragged_[(static_cast<std::size_t>(b) * ng + static_cast<std::size_t>(g)) * nr + static_cast<std::size_t>(r)];
}

namespace {

// Where cube point i of n falls on an axis of `points` points: the lower
// source point and the fraction towards the next, in exact integer steps.
struct AxisStep {
  int index;
  int next;
  double frac;
};

AxisStep StepOf(int i, int n, int points) {
  if (points == 1 || n == 1) return AxisStep{0, 0, 0.0};
  const long long num = static_cast<long long>(i) * (points - 1);
  const int index = static_cast<int>(num / (n - 1));
  const long long rest = num % (n - 1);
  return AxisStep{index, std::min(index + 1, points - 1), static_cast<double>(rest) / (n - 1)};
}

inline TLUTEntry Mix(const TLUTEntry& a, const TLUTEntry& b, double f) {
  if (f == 0.0) return a;
  return TLUTEntry{a.R + (b.R - a.R) * f, a.G + (b.G - a.G) * f, a.B + (b.B - a.B) * f};
}

}  // namespace

void TGridTable::Finish() {
  if (ragged_.empty()) return;
  long long common = 1;
  for (const int n : sizes_) {
    if (n > 1) common = std::lcm(common, static_cast<long long>(n - 1));
  }
  const int largest = *std::max_element(sizes_, sizes_ + 3);
  const bool exact = common + 1 <= kMaxGridSize;
  const int n = exact ? static_cast<int>(common + 1) : largest;
  // The cube may be far larger than the table (2 x 2 x 256 points make a cube
  // of 256): a small file must not take hundreds of megabytes.
  const std::size_t cube = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  if (cube > std::max<std::size_t>(kMaxCubeGrowth * Count(), 65 * 65 * 65)) {
    throw ELUTError("The table of " + std::to_string(sizes_[0]) + " x " + std::to_string(sizes_[1]) + " x " +
                    std::to_string(sizes_[2]) + " points would need a cube of " + std::to_string(n) +
                    " points, too large for it.");
  }
  lut_.SetSize3D(n);
  const auto at = [this](int r, int g, int b) -> const TLUTEntry& { return At(r, g, b); };
  for (int b = 0; b < n; ++b) {
    const AxisStep sb = StepOf(b, n, sizes_[2]);
    for (int g = 0; g < n; ++g) {
      const AxisStep sg = StepOf(g, n, sizes_[1]);
      for (int r = 0; r < n; ++r) {
        const AxisStep sr = StepOf(r, n, sizes_[0]);
        // Trilinear: along red, then green, then blue.
        const auto along_r = [&](int gi, int bi) { return Mix(at(sr.index, gi, bi), at(sr.next, gi, bi), sr.frac); };
        const TLUTEntry lo = Mix(along_r(sg.index, sb.index), along_r(sg.next, sb.index), sg.frac);
        const TLUTEntry hi = Mix(along_r(sg.index, sb.next), along_r(sg.next, sb.next), sg.frac);
        lut_.Table3D(r, g, b) = Mix(lo, hi, sb.frac);
      }
    }
  }
  std::string line = "The table of " + std::to_string(sizes_[0]) + " x " + std::to_string(sizes_[1]) + " x " +
                     std::to_string(sizes_[2]) + " points (red x green x blue) is resampled to a cube of " +
                     std::to_string(n) + " points";
  line += exact ? ", which interpolates exactly like it." : " by trilinear interpolation.";
  lut_.Comments.push_back(std::move(line));
  ragged_ = {};
}

}  // namespace zelvo
