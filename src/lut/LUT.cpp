#include "lut/LUT.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <new>

#include "lut/Errors.h"
#include "lut/LargeAlloc.h"

namespace zelvo {

namespace {

TLUTEntry* AllocateZeroed(std::size_t count) {
  return static_cast<TLUTEntry*>(AllocateLarge(count * sizeof(TLUTEntry)));
}

}  // namespace

TLUT::TLUT() : table3d_(AllocateZeroed(k3DEntries)), table1d_(AllocateZeroed(kMax1DSize)) {}

const char* KindName(TLUTKind kind) {
  switch (kind) {
    case TLUTKind::lk1D: return "1D";
    case TLUTKind::lk3D: return "3D";
    case TLUTKind::lk1DAnd3D: return "1D & 3D";
    case TLUTKind::lkNone: return "none";
  }
  return "none";
}

std::vector<std::string> DescribeLUT(const TLUT& lut) {
  switch (lut.Kind) {
    case TLUTKind::lk1D: return {"Type: 1D", "Dimension: " + std::to_string(lut.Size1D)};
    case TLUTKind::lk3D: return {"Type: 3D", "Dimension: " + std::to_string(lut.Size3D)};
    case TLUTKind::lk1DAnd3D:
      return {"Type: 1D & 3D", "Dimension: " + std::to_string(lut.Size1D) + " & " + std::to_string(lut.Size3D)};
    case TLUTKind::lkNone: return {"No LUT data."};
  }
  return {};
}

void CheckGridSize(long long size) {
  if (size < 1 || size > kMaxGridSize) {
    throw ELUTError("The 3D grid size " + std::to_string(size) +
                    " is not supported (1 to " + std::to_string(kMaxGridSize) + " points per axis).");
  }
}

void Check1DSize(long long size) {
  if (size < 1 || size > kMax1DSize) {
    throw ELUTError("The 1D table length " + std::to_string(size) +
                    " is not supported (1 to " + std::to_string(kMax1DSize) + " entries).");
  }
}

std::int64_t QuantizeValue(int bits, double value) {
  // 2^b - 1 for every depth a double can count exactly; depths outside that
  // range are clamped so that the code always fits the result.
  static const auto scales = [] {
    std::array<double, 54> s{};
    for (int b = 0; b < 54; ++b) s[static_cast<std::size_t>(b)] = std::ldexp(1.0, b) - 1.0;
    return s;
  }();
  const double scale = scales[static_cast<std::size_t>(std::clamp(bits, 0, 53))];
  if (!(value >= 0.0)) value = 0.0;
  if (value > 1.0) value = 1.0;
  // nearbyint follows the current rounding mode, which is round-to-nearest-even.
  return static_cast<std::int64_t>(std::nearbyint(scale * value));
}

}  // namespace zelvo
