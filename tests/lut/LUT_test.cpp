#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "TestLUTs.h"
#include "base/Errors.h"
#include "lut/LUT.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

TEST(LUTModel, NewLUTIsEmpty) {
  TLUT lut;
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::None);
  EXPECT_EQ(lut.Kind, TLUTKind::lk1D);
  EXPECT_EQ(lut.Size1D(), 0);
  EXPECT_EQ(lut.Size3D(), 0);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.Data3D(), nullptr);
  EXPECT_EQ(lut.Data1D(), nullptr);
}

TEST(LUTModel, TablesAreSizedToTheLUTAndMoveOrCopyWhole) {
  TLUT lut;
  lut.SetSize3D(3);
  lut.SetSize1D(4);
  for (int i = 0; i < 27; ++i) EXPECT_EQ(lut.Data3D()[i], TLUTEntry{}) << i;
  lut.Table3D(2, 1, 0) = {1, 2, 3};
  lut.Table1D(3) = {4, 5, 6};
  // Red is the fastest index in memory.
  EXPECT_EQ(lut.Data3D()[(0 * 3 + 1) * 3 + 2], (TLUTEntry{1, 2, 3}));

  // A size beyond the limits is refused before anything changes.
  EXPECT_THROW(lut.SetSize3D(kMaxGridSize + 1), ELUTError);
  EXPECT_THROW(lut.SetSize1D(-1), ELUTError);
  EXPECT_EQ(lut.Size3D(), 3);
  EXPECT_EQ(lut.Table1D(3), (TLUTEntry{4, 5, 6}));

  TLUT copy = lut.Copy();
  copy.Table3D(2, 1, 0) = {9, 9, 9};
  EXPECT_EQ(lut.Table3D(2, 1, 0), (TLUTEntry{1, 2, 3}));
  EXPECT_EQ(copy.Table1D(3), (TLUTEntry{4, 5, 6}));

  const TLUTEntry* table = lut.Data3D();
  TLUT moved = std::move(lut);
  EXPECT_EQ(moved.Data3D(), table);
  EXPECT_EQ(moved.Size3D(), 3);
  EXPECT_EQ(moved.Size1D(), 4);
}

// Debug builds stop at the first access outside the declared size; release
// builds leave the check to the code that keeps its cursors inside the grid,
// so the test exists in debug builds only.
#if ZELVO_CHECKED_TABLES
TEST(LUTModelDeathTest, DebugBuildsStopAtAnAccessOutsideTheDeclaredSize) {
  TLUT lut;
  lut.SetSize3D(4);
  lut.SetSize1D(8);
  EXPECT_DEATH(lut.Table3D(4, 0, 0) = TLUTEntry{}, "Table3D index 4 outside the declared size 4");
  EXPECT_DEATH(lut.Table3D(0, 0, -1) = TLUTEntry{}, "outside the declared size");
  EXPECT_DEATH(lut.Table1D(8) = TLUTEntry{}, "Table1D index 8 outside the declared size 8");
}
#endif

TEST(LUTModel, QuantisingRule) {
  struct Case {
    int bits;
    double value;
    std::int64_t code;
  };
  const Case cases[] = {
      {10, 0.5, 512},   // 511.5 ties to even
      {10, 1.2, 1023},  // clamped
      {10, -0.1, 0},
      {10, std::numeric_limits<double>::quiet_NaN(), 0},
      {8, 1.0 / 255.0, 1},
      {8, 0.998, 254},  // 254.49 rounds down
      {8, 0.5, 128},    // 127.5 ties to even
      {12, 1.5, 4095},
      {16, -0.2, 0},
      {16, 1.0, 65535},
      {0, 0.7, 0},
      {-3, 0.7, 0},                                 // depths out of range are clamped
      {64, 1.0, (std::int64_t{1} << 53) - 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QuantizeValue(c.bits, c.value), c.code) << c.bits << " bits, " << c.value;
    // The writers' text of the same code: digits only.
    EXPECT_EQ(FormatIntValue(c.bits, c.value), std::to_string(c.code)) << c.bits << " bits, " << c.value;
  }
}

TEST(LUTModel, CapacityChecks) {
  EXPECT_NO_THROW(CheckGridSize(1));
  EXPECT_NO_THROW(CheckGridSize(256));
  EXPECT_NO_THROW(Check1DSize(100001));
  for (long long bad : {0LL, -1LL, 257LL, 1LL << 40}) {
    EXPECT_THROW(CheckGridSize(bad), ELUTError) << bad;
    EXPECT_THROW(Check1DSize(bad == 257 ? 100002 : bad), ELUTError) << bad;
  }
  try {
    CheckGridSize(300);
    FAIL();
  } catch (const ELUTError& e) {
    EXPECT_NE(std::string(e.what()).find("300 is not supported"), std::string::npos) << e.what();
  }
}

TEST(LUTModel, Description) {
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(33);
  EXPECT_EQ(DescribeLUT(lut), (std::vector<std::string>{"Type: 3D", "Dimension: 33"}));
  lut.Kind = TLUTKind::lk1DAnd3D;
  lut.SetSize1D(4096);
  EXPECT_EQ(DescribeLUT(lut), (std::vector<std::string>{"Type: 1D & 3D", "Dimension: 4096 & 33"}));
  lut.Kind = TLUTKind::lk1D;
  EXPECT_EQ(DescribeLUT(lut), (std::vector<std::string>{"Type: 1D", "Dimension: 4096"}));
  lut.Kind = TLUTKind::lkNone;
  EXPECT_EQ(DescribeLUT(lut), (std::vector<std::string>{"No LUT data."}));
}

// A 2x2x2 grid whose outputs are (x, y/2, z/4): trilinear interpolation must
// reproduce that affine function everywhere.
TEST(Interpolation, TrilinearMatchesAnalyticGrid) {
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(2);
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) lut.Table3D(r, g, b) = TLUTEntry{double(r), g / 2.0, b / 4.0};
  for (int i = 0; i <= 10; ++i)
    for (int j = 0; j <= 10; ++j)
      for (int k = 0; k <= 10; ++k) {
        const TColor in{i / 10.0, j / 10.0, k / 10.0};
        const TColor out = EvaluateLUT(lut, in);
        EXPECT_NEAR(out.R, in.R, 1e-15);
        EXPECT_NEAR(out.G, in.G / 2, 1e-15);
        EXPECT_NEAR(out.B, in.B / 4, 1e-15);
      }
}

// A function linear within each of the six tetrahedra of a cell (it mixes in
// the smallest and largest channel, whose order picks the tetrahedron) is
// reproduced exactly by tetrahedral interpolation everywhere, and by
// trilinear interpolation only at the grid points.
TEST(Interpolation, TetrahedralReproducesFunctionsLinearInEachTetrahedron) {
  const auto f = [](double r, double g, double b) {
    const double lo = std::min({r, g, b}), hi = std::max({r, g, b});
    return TColor{0.2 * r + 0.5 * hi, 0.3 * g - 0.4 * lo + 0.1, 0.7 * b + 0.2 * hi - 0.3 * lo};
  };
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(3);
  for (int r = 0; r < 3; ++r)
    for (int g = 0; g < 3; ++g)
      for (int b = 0; b < 3; ++b) lut.Table3D(r, g, b) = f(r / 2.0, g / 2.0, b / 2.0);
  double worst_tetrahedral = 0.0, worst_trilinear = 0.0;
  for (double r = 0.0; r <= 1.0; r += 0.0625)
    for (double g = 0.03; g <= 1.0; g += 0.0715)
      for (double b = 0.01; b <= 1.0; b += 0.083) {
        const TColor want = f(r, g, b);
        const TColor tet = Interpolate3DTetrahedral(lut, TColor{r, g, b});
        const TColor tri = Interpolate3D(lut, TColor{r, g, b});
        worst_tetrahedral = std::max({worst_tetrahedral, std::fabs(tet.R - want.R), std::fabs(tet.G - want.G),
                                      std::fabs(tet.B - want.B)});
        worst_trilinear = std::max({worst_trilinear, std::fabs(tri.R - want.R), std::fabs(tri.G - want.G),
                                    std::fabs(tri.B - want.B)});
      }
  EXPECT_LT(worst_tetrahedral, 1e-15);
  EXPECT_GT(worst_trilinear, 1e-2);
  // EvaluateLUT follows the LUT's own setting.
  lut.Interpolation3D = TInterpolation::Tetrahedral;
  const TColor p{0.3, 0.8, 0.55};
  EXPECT_EQ(EvaluateLUT(lut, p), Interpolate3DTetrahedral(lut, p));
  lut.Interpolation3D = TInterpolation::Trilinear;
  EXPECT_EQ(EvaluateLUT(lut, p), Interpolate3D(lut, p));
}

TEST(Interpolation, EndpointsAndMidpoints) {
  TLUT lut;
  test::FillSample3D(lut, 17);
  const TColor white = EvaluateLUT(lut, TColor{1, 1, 1});
  const TLUTEntry& last = lut.Table3D(16, 16, 16);
  EXPECT_EQ(white, (TColor{last.R, last.G, last.B}));

  TLUT curve;
  curve.Kind = TLUTKind::lk1D;
  curve.SetSize1D(3);
  curve.Table1D(0) = {0.0, 0.2, 0.4};
  curve.Table1D(1) = {0.5, 0.3, 0.9};
  curve.Table1D(2) = {1.0, 0.1, 0.0};
  const TColor mid = EvaluateLUT(curve, TColor{0.25, 0.75, 1.0});
  EXPECT_DOUBLE_EQ(mid.R, 0.25);  // halfway between entries 0 and 1
  EXPECT_DOUBLE_EQ(mid.G, 0.2);   // halfway between entries 1 and 2
  EXPECT_DOUBLE_EQ(mid.B, 0.0);   // exactly the last entry
}

TEST(Interpolation, InputsOutsideTheRangeClampToTheEdgeEntries) {
  // The 1D stage sends inputs far outside 0..1 (and NaN) into the grid of the
  // largest size; they must land exactly on its first or last entry, which a
  // neighbour read one step too far would not give.
  TLUT lut;
  test::FillSample3D(lut, kMaxGridSize);
  lut.Kind = TLUTKind::lk1DAnd3D;
  lut.SetSize1D(2);
  lut.Table1D(0) = {-3.0, -1.0, std::numeric_limits<double>::quiet_NaN()};
  lut.Table1D(1) = {5.0, 2.0, 1e300};
  const int last = kMaxGridSize - 1;
  EXPECT_EQ(EvaluateLUT(lut, TColor{0, 0, 0}), lut.Table3D(0, 0, 0));
  EXPECT_EQ(EvaluateLUT(lut, TColor{1, 1, 1}), lut.Table3D(last, last, last));
  const TColor mixed = EvaluateLUT(lut, TColor{1, 0, 0});  // red above the range, green below
  EXPECT_EQ(mixed, lut.Table3D(last, 0, 0));
  // Beyond the 1D table itself the input clamps too.
  EXPECT_EQ(EvaluateLUT(lut, TColor{4, 4, 4}), lut.Table3D(last, last, last));
  EXPECT_EQ(EvaluateLUT(lut, TColor{-2, -2, -2}), lut.Table3D(0, 0, 0));
}

TEST(Interpolation, TablesTooSmallDoNotDivideByZero) {
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  EXPECT_EQ(EvaluateLUT(lut, TColor{0.2, 0.4, 0.6}), (TColor{0.2, 0.4, 0.6}));
  lut.SetSize3D(1);
  lut.Table3D(0, 0, 0) = {0.5, 0.5, 0.5};
  EXPECT_EQ(EvaluateLUT(lut, TColor{0.9, 0.1, 0.3}), (TColor{0.5, 0.5, 0.5}));
  EXPECT_FALSE(HasUsableTable(lut));
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(1);
  EXPECT_FALSE(HasUsableTable(lut));
  lut.Kind = TLUTKind::lkNone;
  EXPECT_TRUE(HasUsableTable(lut));
}

TEST(Interpolation, SpansGiveWhatSingleEvaluationsGive) {
  TLUT lut;
  test::FillSample3D(lut, 9);
  lut.SetSize1D(5);
  for (int i = 0; i < 5; ++i) lut.Table1D(i) = {i / 4.0 * i / 4.0, 1 - i / 4.0, 0.5};
  std::vector<TColor> in;
  for (int i = 0; i <= 20; ++i) in.push_back(TColor{i / 20.0, 1 - i / 25.0, (i * 7 % 20) / 20.0});
  for (TLUTKind kind : {TLUTKind::lk1D, TLUTKind::lk3D, TLUTKind::lk1DAnd3D, TLUTKind::lkNone}) {
    lut.Kind = kind;
    std::vector<TColor> out(in.size());
    EvaluateLUTSpan(lut, in.data(), out.data(), in.size());
    std::vector<TColor> in_place = in;
    EvaluateLUTSpan(lut, in_place.data(), in_place.data(), in_place.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      ASSERT_EQ(out[i], EvaluateLUT(lut, in[i])) << KindName(kind) << " " << i;
      ASSERT_EQ(in_place[i], out[i]) << KindName(kind) << " " << i;
    }
  }
}

TEST(Baking, SamplesEveryPointAtItsGridPosition) {
  const auto same = [](const TColor* in, TColor* out, std::size_t count) { std::copy_n(in, count, out); };
  TLUT grid;
  grid.Kind = TLUTKind::lk3D;
  grid.SetSize3D(7);
  BakeLUT(grid, same);
  for (int r = 0; r < 7; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 7; ++b) ASSERT_EQ(grid.Table3D(r, g, b), (TLUTEntry{r / 6.0, g / 6.0, b / 6.0}));
  TLUT curve;
  curve.Kind = TLUTKind::lk1D;
  curve.SetSize1D(10000);  // more entries than one run of the function
  BakeLUT(curve, same);
  for (int i = 0; i < 10000; i += 37) ASSERT_EQ(curve.Table1D(i), (TLUTEntry{i / 9999.0, i / 9999.0, i / 9999.0}));
  EXPECT_EQ(curve.Table1D(9999), (TLUTEntry{1, 1, 1}));
}

TEST(Resampling, SameKindAndSizeCopiesExactly) {
  TLUT source;
  test::FillSample3D(source, 33);
  source.Comments = {"first", "second"};
  TLUT target;
  target.Kind = TLUTKind::lk3D;
  target.SetSize3D(33);
  ResampleLUT(target, source);
  EXPECT_EQ(target.Comments, source.Comments);
  for (int r = 0; r < 33; ++r)
    for (int g = 0; g < 33; ++g)
      for (int b = 0; b < 33; ++b) ASSERT_EQ(target.Table3D(r, g, b), source.Table3D(r, g, b));

  TLUT curve;
  test::FillSample1D(curve, 1024);
  TLUT curve_target;
  curve_target.Kind = TLUTKind::lk1D;
  curve_target.SetSize1D(1024);
  ResampleLUT(curve_target, curve);
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(curve_target.Table1D(i), curve.Table1D(i));
}

TEST(Resampling, IdentityStaysIdentityAtEverySize) {
  TLUT source;
  test::FillIdentity3D(source, 17);
  for (int n : {2, 16, 33, 65, 99}) {
    TLUT target;
    target.Kind = TLUTKind::lk3D;
    target.SetSize3D(n);
    ResampleLUT(target, source);
    const double s = n - 1;
    for (int r = 0; r < n; r += 3)
      for (int g = 0; g < n; g += 5)
        for (int b = 0; b < n; ++b) {
          const TLUTEntry& e = target.Table3D(r, g, b);
          ASSERT_NEAR(e.R, r / s, 1e-12);
          ASSERT_NEAR(e.G, g / s, 1e-12);
          ASSERT_NEAR(e.B, b / s, 1e-12);
        }
  }
}

TEST(Resampling, ThreeDToOneDFollowsTheNeutralAxis) {
  TLUT source;
  test::FillSample3D(source, 17);
  TLUT target;
  target.Kind = TLUTKind::lk1D;
  target.SetSize1D(1024);
  ResampleLUT(target, source);
  EXPECT_EQ(target.Table1D(0), source.Table3D(0, 0, 0));
  EXPECT_EQ(target.Table1D(1023), source.Table3D(16, 16, 16));
  const double x = 500.0 / 1023.0;
  const TColor grey = EvaluateLUT(source, TColor{x, x, x});
  EXPECT_EQ(target.Table1D(500), (TLUTEntry{grey.R, grey.G, grey.B}));
}

TEST(Resampling, OneDToThreeDKeepsChannelsApart) {
  TLUT source;
  test::FillSample1D(source, 4096);
  TLUT target;
  target.Kind = TLUTKind::lk3D;
  target.SetSize3D(9);
  ResampleLUT(target, source);
  for (int r = 0; r < 9; ++r)
    for (int g = 0; g < 9; ++g)
      for (int b = 0; b < 9; ++b) {
        ASSERT_EQ(target.Table3D(r, g, b).R, target.Table3D(r, 0, 0).R);
        ASSERT_EQ(target.Table3D(r, g, b).G, target.Table3D(0, g, 0).G);
        ASSERT_EQ(target.Table3D(r, g, b).B, target.Table3D(0, 0, b).B);
      }
}

TEST(Resampling, NoLUTDataGivesTheIdentity) {
  TLUT source;
  source.Kind = TLUTKind::lkNone;
  TLUT target;
  target.Kind = TLUTKind::lk3D;
  target.SetSize3D(17);
  ResampleLUT(target, source);
  EXPECT_EQ(target.Table3D(16, 8, 0), (TLUTEntry{1.0, 0.5, 0.0}));
  EXPECT_EQ(target.Table3D(4, 12, 2), (TLUTEntry{0.25, 0.75, 0.125}));
}

TEST(Resampling, MovesATableOfTheSameKindAndSize) {
  TLUT source;
  test::FillSample3D(source, 17);
  source.Comments = {"kept"};
  source.FormatIndex = TLUTFormatId::Cube3D;
  const TLUTEntry* table = source.Data3D();
  TLUT copy = source.Copy();
  const TLUT same = ResampledLUT(std::move(source), TLUTKind::lk3D, 17);
  EXPECT_EQ(same.Data3D(), table);  // taken over, not evaluated
  EXPECT_EQ(same.Comments, std::vector<std::string>{"kept"});
  EXPECT_EQ(same.FormatIndex, TLUTFormatId::None);

  // Another size is evaluated as ResampleLUT does it.
  TLUT expected;
  expected.Kind = TLUTKind::lk3D;
  expected.SetSize3D(5);
  ResampleLUT(expected, copy);
  const TLUT other = ResampledLUT(std::move(copy), TLUTKind::lk3D, 5);
  EXPECT_EQ(copy.Size3D(), 0);  // the source's table is freed at once
  EXPECT_EQ(other.Size3D(), 5);
  EXPECT_EQ(test::MaxDifference3D(other, expected, 5), 0.0);
  EXPECT_EQ(other.Comments, std::vector<std::string>{"kept"});
}

TEST(Resampling, ADomainIsPartOfWhatMustAgreeForACopy) {
  // A 3-point grid over 0..4: to a 3-point grid over 0..1 it is sampled, not
  // copied; over the same domain it passes over as it is.
  TLUT source;
  test::FillIdentity3D(source, 3);
  source.Domain3D = TLUTDomain{{0, 0, 0}, {4, 4, 4}};
  const TLUT unit = ResampledLUT(source.Copy(), TLUTKind::lk3D, 3);
  EXPECT_EQ(unit.Domain3D, TLUTDomain{});
  EXPECT_EQ(unit.Table3D(1, 1, 1), (TLUTEntry{0.125, 0.125, 0.125}));  // the source at 0.5: a quarter along
  EXPECT_EQ(unit.Table3D(2, 0, 0), (TLUTEntry{0.25, 0, 0}));
  const TLUTEntry* table = source.Data3D();
  const TLUT same = ResampledLUT(std::move(source), TLUTKind::lk3D, 3, TLUTDomain{{0, 0, 0}, {4, 4, 4}});
  EXPECT_EQ(same.Data3D(), table);
}

TEST(Resampling, RefusesTargetsThatCannotBeInterpolated) {
  TLUT source;
  test::FillSample3D(source, 5);
  for (int n : {0, 1}) {
    TLUT target;
    target.Kind = TLUTKind::lk3D;
    target.SetSize3D(n);
    EXPECT_THROW(ResampleLUT(target, source), ELUTError) << n;
    target.Kind = TLUTKind::lk1D;
    target.SetSize1D(n);
    EXPECT_THROW(ResampleLUT(target, source), ELUTError) << n;
  }
}

}  // namespace
}  // namespace zelvo
