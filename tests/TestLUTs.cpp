#include "TestLUTs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace zelvo::test {

void ExpectConsistentTable(const TLUT& lut, std::string_view context, bool finite) {
  const auto check = [&](const TLUTEntry* table, int size, std::size_t entries, int limit, const char* stage) {
    EXPECT_GE(size, 0) << stage << " of:\n" << context;
    EXPECT_LE(size, limit) << stage << " of:\n" << context;
    if (entries == 0) return;
    ASSERT_NE(table, nullptr) << stage << " of:\n" << context;
    if (!finite) return;
    for (std::size_t i = 0; i < entries; ++i) {
      const TLUTEntry& e = table[i];
      ASSERT_TRUE(std::isfinite(e.R) && std::isfinite(e.G) && std::isfinite(e.B))
          << stage << " entry " << i << " of:\n" << context;
    }
  };
  const auto n = static_cast<std::size_t>(std::max(lut.Size3D(), 0));
  if (lut.Kind == TLUTKind::lk3D || lut.Kind == TLUTKind::lk1DAnd3D) {
    check(lut.Data3D(), lut.Size3D(), n * n * n, kMaxGridSize, "3D table");
  }
  if (lut.Kind == TLUTKind::lk1D || lut.Kind == TLUTKind::lk1DAnd3D) {
    check(lut.Data1D(), lut.Size1D(), static_cast<std::size_t>(std::max(lut.Size1D(), 0)), kMax1DSize, "1D table");
  }
}

namespace {

double Difference(const TLUTEntry& a, const TLUTEntry& b) {
  const double d = std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
  return std::isnan(d) || std::isnan(a.R + a.G + a.B + b.R + b.G + b.B) ? INFINITY : d;
}

}  // namespace

double MaxDifference3D(const TLUT& a, const TLUT& b, int n) {
  double worst = 0;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int bl = 0; bl < n; ++bl) worst = std::max(worst, Difference(a.Table3D(r, g, bl), b.Table3D(r, g, bl)));
  return worst;
}

double MaxDifference1D(const TLUT& a, const TLUT& b, int m) {
  double worst = 0;
  for (int i = 0; i < m; ++i) worst = std::max(worst, Difference(a.Table1D(i), b.Table1D(i)));
  return worst;
}

void FillSample3D(TLUT& lut, int n) {
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(n);
  const double s = n - 1;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const double x = r / s, y = g / s, z = b / s;
        lut.Table3D(r, g, b) = TLUTEntry{0.8 * x + 0.15 * y * y + 0.05 * z, std::sqrt(0.6 * y + 0.3 * x * z + 0.1 * z),
                                         0.9 * z * z + 0.1 * x};
      }
}

void FillSample1D(TLUT& lut, int m) {
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(m);
  for (int i = 0; i < m; ++i) {
    const double x = static_cast<double>(i) / (m - 1);
    lut.Table1D(i) = TLUTEntry{std::pow(x, 1.0 / 2.2), x * x, 0.5 * x + 0.5 * x * x * x};
  }
}

void FillIdentity3D(TLUT& lut, int n) {
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(n);
  const double s = n - 1;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) lut.Table3D(r, g, b) = TLUTEntry{r / s, g / s, b / s};
}

void FillThree1D(TLUT& lut) {
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(3);
  lut.Table1D(0) = {0.0, 0.25, -0.1};
  lut.Table1D(1) = {0.5, 0.75, 1.25};
  lut.Table1D(2) = {1.0, 0.001, 0.999};
}

void AddSquareRootShaper(TLUT& lut) {
  lut.Kind = TLUTKind::lk1DAnd3D;
  lut.SetSize1D(64);
  lut.Domain1D = TLUTDomain{{0, 0, 0}, {4, 4, 4}};
  for (int i = 0; i < 64; ++i) {
    const double v = std::sqrt(i / 63.0);
    lut.Table1D(i) = TLUTEntry{v, v, v};
  }
}

}  // namespace zelvo::test
