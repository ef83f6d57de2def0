#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>

#include "TestLUTs.h"
#include "lut/Compare.h"
#include "base/Errors.h"

namespace zelvo {
namespace {

using TPointFunction = std::function<TColor(const TColor&)>;

// A LUT of a kind and size filled from a function of the input.
TLUT Baked(TLUTKind kind, int size, const TPointFunction& f, const TLUTDomain& domain = {}) {
  TLUT lut;
  lut.Kind = kind;
  if (kind == TLUTKind::lk3D) {
    lut.SetSize3D(size);
    lut.Domain3D = domain;
  } else {
    lut.SetSize1D(size);
    lut.Domain1D = domain;
  }
  BakeLUT(lut, [&](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = f(in[i]);
  });
  return lut;
}

const TPointFunction kIdentity = [](const TColor& c) { return c; };

TColor Graded(const TColor& c) {
  return TColor{std::pow(0.8 * c.R + 0.15 * c.G + 0.05 * c.B, 1 / 2.2), c.G * c.G, 0.3 + 0.6 * c.B * c.R};
}

// Sharma, Wu and Dalal (2005), table 1: the pairs and their CIEDE2000 to four decimals.
TEST(ColorDifference, CIEDE2000GivesThePublishedPairs) {
  struct Pair {
    TLabColor x, y;
    double de;
  };
  const Pair pairs[] = {
      {{50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
      {{50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
      {{50.0000, 2.8361, -74.0200}, {50.0000, 0.0000, -82.7485}, 3.4412},
      {{50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
      {{50.0000, -1.1848, -84.8006}, {50.0000, 0.0000, -82.7485}, 1.0000},
      {{50.0000, -0.9009, -85.5211}, {50.0000, 0.0000, -82.7485}, 1.0000},
      {{50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
      {{50.0000, -1.0000, 2.0000}, {50.0000, 0.0000, 0.0000}, 2.3669},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
      {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
      {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
      {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
      {{50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
      {{50.0000, 2.5000, 0.0000}, {61.0000, -5.0000, 29.0000}, 22.8977},
      {{50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
      {{50.0000, 2.5000, 0.0000}, {58.0000, 24.0000, 15.0000}, 19.4535},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 3.1736, 0.5854}, 1.0000},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 1.8634, 0.5757}, 1.0000},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2592, 0.3350}, 1.0000},
      {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
      {{63.0109, -31.0961, -5.8663}, {62.8187, -29.7946, -4.0864}, 1.2630},
      {{61.2901, 3.7196, -5.3901}, {61.4292, 2.2480, -4.9620}, 1.8731},
      {{35.0831, -44.1164, 3.7933}, {35.0232, -40.0716, 1.5901}, 1.8645},
      {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
      {{36.4612, 47.8580, 18.3852}, {36.2715, 50.5065, 21.2231}, 1.4146},
      {{90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
      {{90.9257, -0.5406, -0.9208}, {88.6381, -0.8985, -0.7239}, 1.5381},
      {{6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
      {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
  };
  int row = 0;
  for (const Pair& p : pairs) {
    ++row;
    EXPECT_NEAR(CIEDE2000(p.x, p.y), p.de, 0.5e-4) << "pair " << row;
    EXPECT_NEAR(CIEDE2000(p.y, p.x), p.de, 0.5e-4) << "pair " << row << " swapped";
  }
  EXPECT_EQ(CIEDE2000({50, 2.5, 0}, {50, 2.5, 0}), 0.0);
}

// Hues a hair from opposite: on either side of the formula's turn at 180
// degrees the difference settles as the hair narrows, rather than wandering
// with the rounding of a mean hue taken from two almost cancelling directions.
TEST(ColorDifference, CIEDE2000SettlesNearOppositeHues) {
  const auto turned = [](double angle) {  // (50, 30, -40) turned half a circle and `angle` more
    return TLabColor{50, -(30 * std::cos(angle) + 40 * std::sin(angle)), -(30 * std::sin(angle) - 40 * std::cos(angle))};
  };
  const TLabColor x{50, 30, -40};
  for (const double side : {1.0, -1.0}) {
    const double wide = CIEDE2000(x, turned(side * 1e-9));
    EXPECT_NEAR(CIEDE2000(x, turned(side * 1e-11)), wide, 1e-7) << side;
    EXPECT_NEAR(CIEDE2000(x, turned(side * 1e-13)), wide, 1e-7) << side;
  }
}

TEST(ColorDifference, SRGBColoursInLab) {
  struct Case {
    TColor srgb;
    TLabColor lab;
  };
  // Lab of the sRGB primaries, white and a grey under D65, to two decimals.
  const Case cases[] = {
      {{1, 1, 1}, {100.0, 0.0, 0.0}},        {{0, 0, 0}, {0.0, 0.0, 0.0}},
      {{1, 0, 0}, {53.24, 80.09, 67.20}},    {{0, 1, 0}, {87.73, -86.18, 83.18}},
      {{0, 0, 1}, {32.30, 79.19, -107.86}},  {{0.5, 0.5, 0.5}, {53.39, 0.0, 0.0}},
  };
  for (const Case& c : cases) {
    const TLabColor lab =
        LinearRGBToLab(TColor{SRGBToLinear(c.srgb.R), SRGBToLinear(c.srgb.G), SRGBToLinear(c.srgb.B)});
    EXPECT_NEAR(lab.L, c.lab.L, 0.01) << c.srgb.R << " " << c.srgb.G << " " << c.srgb.B;
    EXPECT_NEAR(lab.a, c.lab.a, 0.01) << c.srgb.R << " " << c.srgb.G << " " << c.srgb.B;
    EXPECT_NEAR(lab.b, c.lab.b, 0.01) << c.srgb.R << " " << c.srgb.G << " " << c.srgb.B;
  }
  // Both pieces of the curve, and the sign kept below 0.
  EXPECT_DOUBLE_EQ(SRGBToLinear(0.04), 0.04 / 12.92);
  EXPECT_NEAR(SRGBToLinear(0.5), 0.214041140, 1e-9);
  EXPECT_DOUBLE_EQ(SRGBToLinear(-0.5), -SRGBToLinear(0.5));
}

// An identity against tables offset by a known amount per channel, at mixed
// sizes: the largest and the mean difference are the offsets, and each input
// counts once however the grids overlap.
TEST(CompareLUTs, OffsetsAreFoundAndSharedGridPointsCountOnce) {
  const TColor offset{0.001, -0.002, 0.0005};
  const TPointFunction shifted = [&](const TColor& c) {
    return TColor{c.R + offset.R, c.G + offset.G, c.B + offset.B};
  };
  struct Case {
    int size_a, size_b, grid;
    std::size_t inputs;
  };
  const Case cases[] = {
      {17, 17, 17, 17 * 17 * 17},               // one grid for all three
      {33, 17, 17, 33 * 33 * 33},               // 17 points lie on the 33
      {5, 7, 2, 5 * 5 * 5 + 7 * 7 * 7 - 3 * 3 * 3},  // 0, 1/2 and 1 in both
      {9, 33, 17, 33 * 33 * 33},
  };
  for (const Case& c : cases) {
    const TLUT a = Baked(TLUTKind::lk3D, c.size_a, kIdentity);
    const TLUT b = Baked(TLUTKind::lk3D, c.size_b, shifted);
    TCompareOptions options;
    options.Grid = c.grid;
    const TCompareReport r = CompareLUTs(a, b, options);
    EXPECT_EQ(r.Inputs, c.inputs) << c.size_a << " " << c.size_b;
    EXPECT_NEAR(r.Channels[0].Max, 0.001, 1e-12);
    EXPECT_NEAR(r.Channels[1].Max, 0.002, 1e-12);
    EXPECT_NEAR(r.Channels[2].Max, 0.0005, 1e-12);
    EXPECT_NEAR(r.Channels[0].Mean, 0.001, 1e-12);
    EXPECT_NEAR(r.Channels[1].Mean, 0.002, 1e-12);
    EXPECT_NEAR(r.Channels[2].Mean, 0.0005, 1e-12);
    EXPECT_EQ(r.WorstChannel, 1);
    EXPECT_NEAR(r.CodeSteps(r.MaxDifference()), 2.046, 1e-9);  // 0.002 of 1023 steps
    EXPECT_GT(r.MaxDE, 0.0);
    EXPECT_GT(r.MeanDE, 0.0);
    EXPECT_FALSE(r.WithinThreshold());
    EXPECT_EQ(r.AboveThreshold, r.Inputs);
  }
}

TEST(CompareLUTs, OneCodeStepAtOneGridPointIsFoundThere) {
  const TLUT a = Baked(TLUTKind::lk3D, 33, Graded);
  TLUT b = a.Copy();
  b.Table3D(20, 5, 31).G += 1.0 / 1023;
  const TCompareReport r = CompareLUTs(a, b);
  EXPECT_NEAR(r.MaxDifference(), 1.0 / 1023, 1e-15);
  EXPECT_EQ(r.WorstChannel, 1);
  EXPECT_EQ(r.MaxDifferenceAt().Input, (TColor{20 / 32.0, 5 / 32.0, 31 / 32.0}));
  EXPECT_EQ(r.MaxDifferenceAt().A, a.Table3D(20, 5, 31));
  EXPECT_EQ(r.MaxDifferenceAt().B, b.Table3D(20, 5, 31));
  EXPECT_EQ(r.MaxDEAt.Input, r.MaxDifferenceAt().Input);
  EXPECT_EQ(r.Channels[0].Max, 0.0);
  EXPECT_EQ(r.AboveThreshold, 1u);
  EXPECT_FALSE(r.WithinThreshold());
  EXPECT_NEAR(r.ShareAboveThreshold(), 1.0 / (33 * 33 * 33), 1e-18);
}

// A 1D+3D LUT's grid points lie where its curves take the inputs: a change at
// a point that no even grid reaches through a square curve is still found.
TEST(CompareLUTs, GridPointsBehindCurvesAreFound) {
  TLUT a = Baked(TLUTKind::lk3D, 9, kIdentity);
  a.Kind = TLUTKind::lk1DAnd3D;
  a.SetSize1D(1024);
  for (int i = 0; i < 1024; ++i) {
    const double x = i / 1023.0;
    a.Table1D(i) = TLUTEntry{x * x, x * x, x * x};
  }
  TLUT b = a.Copy();
  b.Table3D(3, 5, 6).B += 0.01;
  const TCompareReport r = CompareLUTs(a, b);
  EXPECT_NEAR(r.MaxDifference(), 0.01, 1e-12);
  const TColor at = EvaluateLUT(a, r.MaxDifferenceAt().Input);
  EXPECT_NEAR(at.R, 3 / 8.0, 1e-12);
  EXPECT_NEAR(at.G, 5 / 8.0, 1e-12);
  EXPECT_NEAR(at.B, 6 / 8.0, 1e-12);
}

// A curve of squares against a 33-point cube baked from it: they agree at the
// cube's points, and between them the cube's straight lines fall short of the
// square by up to a quarter of the spacing squared, which the grey ramp through
// the curve's entries finds.
TEST(CompareLUTs, CurveAgainstCube) {
  const TPointFunction squares = [](const TColor& c) { return TColor{c.R * c.R, c.G * c.G, c.B * c.B}; };
  const TLUT curve = Baked(TLUTKind::lk1D, 1024, squares);
  const TLUT cube = Baked(TLUTKind::lk3D, 33, [&](const TColor& c) { return EvaluateLUT(curve, c); });
  const TCompareReport r = CompareLUTs(curve, cube);
  EXPECT_EQ(r.Inputs, 33u * 33 * 33 + 1024 - 2);  // the ramp's ends are grid points
  const double bound = 1.0 / (4 * 32 * 32);
  EXPECT_LE(r.MaxDifference(), 1.01 * bound);
  EXPECT_GT(r.MaxDifference(), 0.95 * bound);
  const TColor& at = r.MaxDifferenceAt().Input;
  EXPECT_TRUE(at.R == at.G && at.G == at.B);
}

TEST(CompareLUTs, InputsStayInTheDomainsBothCover) {
  TLUTDomain low, high, far;
  low.Min = {-0.5, 0, 0};
  low.Max = {0.5, 1, 1};
  high.Min = {0, 0, 0.25};
  high.Max = {2, 1, 1};
  far.Min = {1, 0, 0};
  far.Max = {3, 1, 1};
  const TLUT a = Baked(TLUTKind::lk3D, 9, kIdentity, low);
  const TLUT b = Baked(TLUTKind::lk3D, 5, kIdentity, high);
  const TCompareReport r = CompareLUTs(a, b);
  EXPECT_EQ(r.Domain.Min, (TColor{0, 0, 0.25}));
  EXPECT_EQ(r.Domain.Max, (TColor{0.5, 1, 1}));
  EXPECT_LT(r.MaxDifference(), 1e-15);  // both pass the inputs through where both reach

  const TLUT c = Baked(TLUTKind::lk1D, 16, kIdentity, far);
  EXPECT_THROW(CompareLUTs(a, c), EZelvoError);
  EXPECT_EQ(test::ErrorOf([&] { CompareLUTs(c, a); }),
            "The two LUTs have no inputs in common: the first covers R 1..3, G 0..1, B 0..1, the second "
            "R -0.5..0.5, G 0..1, B 0..1.");
}

TEST(CompareLUTs, RefusesOptionsOutOfRangeAndLUTsWithoutATable) {
  const TLUT a = Baked(TLUTKind::lk3D, 3, kIdentity);
  struct Case {
    int grid, bits;
    double threshold;
    bool refused;
  };
  const Case cases[] = {{2, 1, 0, false},   {3, 32, 1, false}, {1, 10, -1, true},
                        {130, 10, -1, true}, {17, 0, -1, true}, {17, 33, -1, true}, {17, 10, std::nan(""), true}};
  for (const Case& c : cases) {
    const TCompareOptions o{c.grid, c.bits, TCompareSpace::csSRGB, c.threshold};
    EXPECT_EQ(!test::ErrorOf([&] { CompareLUTs(a, a, o); }).empty(), c.refused) << c.grid << " " << c.bits;
  }
  TLUT empty;
  empty.Kind = TLUTKind::lk3D;
  EXPECT_THROW(CompareLUTs(a, empty), EZelvoError);
}

// Within the threshold or not, by the default half step of a depth or a given
// threshold; tables quantised to the depth stay within half a step even where
// the arithmetic leaves the difference an ulp above it.
TEST(CompareLUTs, ThresholdDecidesAgreement) {
  const TLUT a = Baked(TLUTKind::lk3D, 17, Graded);
  const auto offset_by = [&](double d) {
    TLUT b = a.Copy();
    for (int i = 0; i < 17 * 17 * 17; ++i) b.Data3D()[i].R += d;
    return b;
  };
  struct Case {
    double offset;
    int bits;
    double threshold;
    bool within;
  };
  const Case cases[] = {
      {0.4 / 1023, 10, -1, true},   {0.6 / 1023, 10, -1, false}, {0.6 / 1023, 8, -1, true},
      {0.4 / 255, 12, -1, false},   {0.01, 10, 0.02, true},      {0.01, 10, 0.005, false},
      {0.0, 10, 0.0, true},         {1e-9, 16, 0.0, false},
  };
  for (const Case& c : cases) {
    TCompareOptions o;
    o.DepthBits = c.bits;
    o.Threshold = c.threshold;
    const TCompareReport r = CompareLUTs(a, offset_by(c.offset), o);
    EXPECT_EQ(r.WithinThreshold(), c.within) << c.offset << " " << c.bits << " " << c.threshold;
    EXPECT_EQ(r.AboveThreshold, c.within ? 0u : r.Inputs) << c.offset;
    if (c.threshold < 0) {
      EXPECT_DOUBLE_EQ(r.Options.Threshold, 0.5 / (std::ldexp(1.0, c.bits) - 1));
    }
  }

  // Values halfway between codes, rounded to either side.
  TLUT halves = a.Copy(), codes = a.Copy();
  bool above_in_doubles = false;
  for (int i = 0; i < 17 * 17 * 17; ++i) {
    const double k = i % 1023;
    halves.Data3D()[i] = TLUTEntry{(k + 0.5) / 1023, 0, 0};
    codes.Data3D()[i] = TLUTEntry{(k + i % 2) / 1023, 0, 0};
    above_in_doubles = above_in_doubles || std::fabs(halves.Data3D()[i].R - codes.Data3D()[i].R) > HalfCodeStep(10);
  }
  ASSERT_TRUE(above_in_doubles);  // else the case shows nothing
  EXPECT_TRUE(CompareLUTs(halves, codes).WithinThreshold());
}

TEST(CompareLUTs, ColourDifferenceFollowsTheSpace) {
  const TPointFunction white = [](const TColor&) { return TColor{1, 1, 1}; };
  const TPointFunction brighter = [](const TColor&) { return TColor{1.5, 1.5, 1}; };
  const TLUT a = Baked(TLUTKind::lk3D, 5, white);
  const TLUT b = Baked(TLUTKind::lk3D, 5, brighter);
  TCompareOptions o;
  // Display colours clip at white: the same colour.
  EXPECT_EQ(CompareLUTs(a, b, o).MaxDE, 0.0);
  EXPECT_EQ(CompareLUTs(a, b, o).MaxDifference(), 0.5);
  o.Space = TCompareSpace::csLinear;
  const TCompareReport linear = CompareLUTs(a, b, o);
  const double expected = CIEDE2000(LinearRGBToLab({1, 1, 1}), LinearRGBToLab({1.5, 1.5, 1}));
  EXPECT_NEAR(linear.MaxDE, expected, 1e-9);
  EXPECT_NEAR(linear.MeanDE, expected, 1e-9);
  o.Space = TCompareSpace::csNone;
  EXPECT_EQ(CompareLUTs(a, b, o).MaxDE, 0.0);
}

TEST(CompareLUTs, OutputsThatAreNotNumbersNeverAgree) {
  const TLUT a = Baked(TLUTKind::lk3D, 5, kIdentity);
  TLUT b = a.Copy();
  b.Table3D(1, 2, 3).R = std::numeric_limits<double>::quiet_NaN();
  const TCompareReport r = CompareLUTs(a, b);
  EXPECT_EQ(r.MaxDifference(), std::numeric_limits<double>::infinity());
  EXPECT_FALSE(r.WithinThreshold());
  EXPECT_TRUE(std::isfinite(r.MaxDE));  // display colours are clipped first
  EXPECT_NE(CompareReportJSON(r, "a", "b").find("\"value\": null"), std::string::npos);
  // The same NaN in both is the same output.
  EXPECT_TRUE(CompareLUTs(b, b).WithinThreshold());
}

// The number after "key": in a JSON text, read back.
double JsonNumber(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\": ");
  if (at == std::string::npos) return std::nan("");
  const char* begin = json.data() + at + key.size() + 4;
  double value = std::nan("");
  std::from_chars(begin, json.data() + json.size(), value);
  return value;
}

TEST(CompareReport, TextAndJSONSayWhatWasFound) {
  const TLUT a = Baked(TLUTKind::lk3D, 9, Graded);
  TLUT b = a.Copy();
  b.Table3D(8, 0, 4).B -= 0.25;
  const double diff = a.Table3D(8, 0, 4).B - b.Table3D(8, 0, 4).B;
  for (const TCompareSpace space : {TCompareSpace::csSRGB, TCompareSpace::csLinear, TCompareSpace::csNone}) {
    TCompareOptions o;
    o.Space = space;
    o.DepthBits = 12;
    const TCompareReport r = CompareLUTs(a, b, o);
    const std::string text = CompareReportText(r, "first.cube", "second.cube");
    const std::string json = CompareReportJSON(r, "first.cube", "second.cube");
    EXPECT_NE(text.find(CompareSpaceAssumption(space)), std::string::npos) << text;
    EXPECT_NE(json.find(CompareSpaceAssumption(space)), std::string::npos) << json;
    EXPECT_NE(json.find(std::string("\"space\": \"") + CompareSpaceName(space) + "\""), std::string::npos);
    EXPECT_NE(text.find("Largest difference: 0.25 in blue (1023.75 code steps of 12 bits)\n  at input 1 0 0.5: A "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Result: not within the threshold\n"), std::string::npos);
    EXPECT_EQ(JsonNumber(json, "value"), diff);
    EXPECT_EQ(JsonNumber(json, "code_steps"), diff * 4095);
    EXPECT_EQ(JsonNumber(json, "inputs"), 17.0 * 17 * 17);
    EXPECT_EQ(JsonNumber(json, "above_threshold"), 12.0);  // the point and the 17-grid's points around it
    EXPECT_EQ(JsonNumber(json, "depth_bits"), 12.0);
    EXPECT_EQ(JsonNumber(json, "threshold"), HalfCodeStep(12));
    EXPECT_NE(json.find("\"within_threshold\": false"), std::string::npos);
    EXPECT_NE(json.find("\"channel\": \"blue\", \"input\": [1, 0, 0.5], \"a\": ["), std::string::npos) << json;
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.substr(json.size() - 3), "\n}\n");
    if (space == TCompareSpace::csNone) {
      EXPECT_NE(json.find("\"max\": null, \"mean\": null}"), std::string::npos) << json;
    } else {
      EXPECT_EQ(JsonNumber(json.substr(json.find("\"color_difference\"")), "max"), r.MaxDE);
    }
  }
}

TEST(CompareReport, JSONStringsAreEscaped) {
  const TLUT a = Baked(TLUTKind::lk3D, 2, kIdentity);
  const TCompareReport r = CompareLUTs(a, a);
  const std::string json = CompareReportJSON(r, "say \"hi\"\\\n\x01", "caf\xc3\xa9 \xff\xc3 \xed\xa0\x80.cube");
  EXPECT_NE(json.find("\"a\": \"say \\\"hi\\\"\\\\\\u000a\\u0001\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"b\": \"caf\xc3\xa9 \\ufffd\\ufffd \\ufffd\\ufffd\\ufffd.cube\""), std::string::npos) << json;
}

}  // namespace
}  // namespace zelvo
