#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestLUTs.h"
#include "lut/Curves.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

double Channel(const TLUTEntry& e, int c) { return c == 0 ? e.R : c == 1 ? e.G : e.B; }

TEST(Curves, AnIdentityGivesStraightLines) {
  TLUT cube;
  test::FillIdentity3D(cube, 17);
  const TCurveSet set = SampleCurves(cube, 5);
  const struct {
    const char* name;
    TLUTEntry end;
  } ramps[] = {{"Grey axis", {1, 1, 1}},     {"Black to red", {1, 0, 0}},     {"Black to green", {0, 1, 0}},
               {"Black to blue", {0, 0, 1}}, {"Black to cyan", {0, 1, 1}},    {"Black to magenta", {1, 0, 1}},
               {"Black to yellow", {1, 1, 0}}};
  ASSERT_EQ(set.Curves.size(), 7u);
  for (std::size_t k = 0; k < 7; ++k) {
    const TCurve& curve = set.Curves[k];
    EXPECT_EQ(curve.Name, ramps[k].name);
    EXPECT_EQ(curve.Colour, ramps[k].end);
    ASSERT_EQ(curve.Inputs.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_DOUBLE_EQ(curve.Inputs[i], i / 4.0);
      // The channels the ramp moves follow the input; the others stay black.
      for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(Channel(curve.Outputs[i], c), Channel(ramps[k].end, c) * curve.Inputs[i], 1e-12) << curve.Name;
      }
    }
  }
  EXPECT_EQ(set.OutputMin, 0.0);
  EXPECT_EQ(set.OutputMax, 1.0);
}

TEST(Curves, KnownCurvesGiveTheirPoints) {
  // Gamma 2.2 in a 1D LUT of 1024 entries, sampled at 5 points.
  TLUT gamma;
  gamma.Kind = TLUTKind::lk1D;
  gamma.SetSize1D(1024);
  BakeLUT(gamma, [](const TLUTEntry* in, TLUTEntry* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = {std::pow(in[i].R, 2.2), std::pow(in[i].G, 2.2), std::pow(in[i].B, 2.2)};
  });
  const TCurveSet channels = SampleCurves(gamma, 5);
  ASSERT_EQ(channels.Curves.size(), 3u);
  for (int c = 0; c < 3; ++c) {
    // One curve a channel, each showing its own channel only.
    const TCurve& curve = channels.Curves[static_cast<std::size_t>(c)];
    EXPECT_EQ(curve.Name, (std::vector<std::string>{"Red", "Green", "Blue"}[static_cast<std::size_t>(c)]));
    for (int s = 0; s < 3; ++s) EXPECT_EQ(curve.Shows[s], s == c);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(Channel(curve.Outputs[i], c), std::pow(i / 4.0, 2.2), 1e-5) << c << i;
  }
  EXPECT_EQ(SampleCurves(gamma, 0).Curves[0].Inputs, (std::vector<double>{0.0, 1.0}));  // at least 2 points

  // Before an identity cube, the same curve is the grey axis.
  test::FillIdentity3D(gamma, 2);
  gamma.Kind = TLUTKind::lk1DAnd3D;
  const TCurveSet both = SampleCurves(gamma, 5);
  ASSERT_EQ(both.Curves.size(), 7u);
  EXPECT_NEAR(both.Curves[0].Outputs[2].B, std::pow(0.5, 2.2), 1e-5);

  // A 3D LUT over -0.5..2 baked from a function that trilinear interpolation
  // reproduces exactly: each ramp gives the function along its line.
  TLUT cube;
  cube.Kind = TLUTKind::lk3D;
  cube.Domain3D = {{-0.5, -0.5, -0.5}, {2, 2, 2}};
  cube.SetSize3D(9);
  const auto f = [](const TLUTEntry& c) { return TLUTEntry{c.R * c.G, 1 - c.B, (c.R + c.G + c.B) / 3}; };
  BakeLUT(cube, [&f](const TLUTEntry* in, TLUTEntry* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = f(in[i]);
  });
  const TCurveSet set = SampleCurves(cube, 11);
  EXPECT_EQ(set.InputMin, -0.5);
  EXPECT_EQ(set.InputMax, 2.0);
  EXPECT_NEAR(set.OutputMin, -1.0, 1e-12);  // 1 - b at the grey axis' end
  EXPECT_NEAR(set.OutputMax, 4.0, 1e-12);   // r * g there
  for (const TCurve& curve : set.Curves) {
    for (std::size_t i = 0; i < curve.Inputs.size(); ++i) {
      const double x = curve.Inputs[i];
      EXPECT_NEAR(x, -0.5 + 0.25 * static_cast<double>(i), 1e-12);
      const auto along = [&](double c) { return c > 0 ? x : -0.5; };
      const TLUTEntry want = f({along(curve.Colour.R), along(curve.Colour.G), along(curve.Colour.B)});
      for (int c = 0; c < 3; ++c) EXPECT_NEAR(Channel(curve.Outputs[i], c), Channel(want, c), 1e-9) << curve.Name << i;
    }
  }
}

TEST(Curves, NothingToDrawAndValuesBeyondNumbers) {
  TLUT none;
  none.Kind = TLUTKind::lkNone;
  EXPECT_TRUE(SampleCurves(none, 10).Curves.empty());
  TLUT one_point;
  one_point.Kind = TLUTKind::lk3D;
  one_point.SetSize3D(1);
  EXPECT_TRUE(SampleCurves(one_point, 10).Curves.empty());
  // An infinity in the table is handed on, but the span stays finite.
  TLUT infinite;
  test::FillThree1D(infinite);
  infinite.Table1D(2).R = std::numeric_limits<double>::infinity();
  const TCurveSet set = SampleCurves(infinite, 5);
  EXPECT_TRUE(std::isinf(set.Curves[0].Outputs[3].R));
  EXPECT_EQ(set.OutputMin, -0.1);
  EXPECT_EQ(set.OutputMax, 1.25);
}

TEST(Curves, APairGivesTheSameCurvesOverBothSpans) {
  TLUT square;
  square.Kind = TLUTKind::lk1D;
  square.Domain1D = {{0, 0, 0}, {2, 2, 2}};
  square.SetSize1D(3);
  square.Table1D(0) = {-0.25, -0.25, -0.25};
  square.Table1D(1) = {0.25, 0.25, 0.25};
  square.Table1D(2) = {3, 3, 3};
  TLUT cube;
  test::FillIdentity3D(cube, 5);
  cube.Domain3D = {{-0.5, -0.5, -0.5}, {1, 1, 1}};
  TLUT none;
  none.Kind = TLUTKind::lkNone;

  // A 1D LUT beside a 3D one is sampled along the ramps, either way round.
  for (const bool cube_first : {true, false}) {
    const TCurvePair pair = cube_first ? SampleCurvePair(cube, square, 3) : SampleCurvePair(square, cube, 3);
    const TCurveSet& ramps = cube_first ? pair.Second : pair.First;
    ASSERT_EQ(pair.First.Curves.size(), 7u);
    ASSERT_EQ(pair.Second.Curves.size(), 7u);
    EXPECT_EQ(ramps.Curves[1].Name, "Black to red");
    EXPECT_EQ(ramps.Curves[1].Outputs[2], (TLUTEntry{3, -0.25, -0.25}));  // red at 2, the others at black
    for (const TCurveSet* set : {&pair.First, &pair.Second}) {
      EXPECT_EQ(set->InputMin, -0.5);
      EXPECT_EQ(set->InputMax, 2.0);
      EXPECT_EQ(set->OutputMin, -0.25);
      EXPECT_EQ(set->OutputMax, 3.0);
    }
  }
  // Two 1D LUTs keep their channels; a LUT without a table leaves the other as it is.
  EXPECT_EQ(SampleCurvePair(square, square, 3).Second.Curves.size(), 3u);
  const TCurvePair alone = SampleCurvePair(none, cube, 3);
  EXPECT_TRUE(alone.First.Curves.empty());
  EXPECT_EQ(alone.Second.Curves.size(), 7u);
  EXPECT_EQ(alone.Second.OutputMax, 1.0);
  EXPECT_EQ(SampleCurvePair(square, none, 3).First.Curves.size(), 3u);
}

}  // namespace
}  // namespace zelvo
