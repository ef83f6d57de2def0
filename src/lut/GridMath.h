// Small helpers of the inverse 3D search and the surface a table reaches
// (GridSearch.cpp, GridSurface.cpp).
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelvo::grid {

// A float not above (Below) or not below (Above) a value, so that bounds in
// single precision still hold the double values they bound: the nearest
// float moved by more than its rounding.
inline float Below(double v) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  const float f = static_cast<float>(std::clamp(v, -kLargest, kLargest));
  return static_cast<double>(f) <= v ? f : f - (std::fabs(f) * 1.2e-7f + 1e-37f);
}
inline float Above(double v) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  const float f = static_cast<float>(std::clamp(v, -kLargest, kLargest));
  return static_cast<double>(f) >= v ? f : f + (std::fabs(f) * 1.2e-7f + 1e-37f);
}

inline double Dot(const double* x, const double* y) { return x[0] * y[0] + x[1] * y[1] + x[2] * y[2]; }

}  // namespace zelvo::grid
