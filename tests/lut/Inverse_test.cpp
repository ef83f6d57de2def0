// The inverse of a LUT against closed-form inverses, the 1D rules for flat
// stretches and reversals, and colours the LUT does not reach.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>

#include "base/Errors.h"
#include "lut/Inverse.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using TFunction = std::function<TColor(const TColor&)>;

std::shared_ptr<TLUT> Grid(int n, const TFunction& f, TInterpolation interpolation) {
  auto lut = std::make_shared<TLUT>();
  lut->Kind = TLUTKind::lk3D;
  lut->Interpolation3D = interpolation;
  lut->SetSize3D(n);
  BakeLUT(*lut, [&](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = f(in[i]);
  });
  return lut;
}

std::shared_ptr<TLUT> Curve(const std::vector<double>& values) {
  auto lut = std::make_shared<TLUT>();
  lut->Kind = TLUTKind::lk1D;
  lut->SetSize1D(static_cast<int>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) lut->Table1D(static_cast<int>(i)) = {values[i], values[i], values[i]};
  return lut;
}

double Distance(const TColor& a, const TColor& b) {
  return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
}

std::vector<TColor> RandomColours(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<TColor> colours;
  for (int i = 0; i < count; ++i) colours.push_back(TColor{unit(random), unit(random), unit(random)});
  return colours;
}

// Functions both interpolations hold exactly (a matrix), or trilinear
// interpolation does (a grade in products of channels), inverted through
// their grids and compared with their closed-form inverses at colours they
// reach.
TEST(Inverse, ClosedFormInversesOfTables) {
  struct Case {
    const char* name;
    TFunction forward, inverse;
    TInterpolation interpolation;
    int points = 9;
  };
  const auto matrix = [](const TColor& c) {
    return TColor{0.7 * c.R + 0.2 * c.G + 0.1 * c.B + 0.05, 0.1 * c.R + 0.8 * c.G + 0.1 * c.B,
                  0.05 * c.R + 0.15 * c.G + 0.8 * c.B};
  };
  const auto unmatrix = [](const TColor& y) {
    // The inverse of the 3x3 above (its offset taken off first).
    const double r = y.R - 0.05, g = y.G, b = y.B;
    const double m[3][3] = {{0.7, 0.2, 0.1}, {0.1, 0.8, 0.1}, {0.05, 0.15, 0.8}};
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    const auto cof = [&](int i, int j) {
      const int r0 = (i + 1) % 3, r1 = (i + 2) % 3, c0 = (j + 1) % 3, c1 = (j + 2) % 3;
      return m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0];
    };
    return TColor{(cof(0, 0) * r + cof(1, 0) * g + cof(2, 0) * b) / det,
                  (cof(0, 1) * r + cof(1, 1) * g + cof(2, 1) * b) / det,
                  (cof(0, 2) * r + cof(1, 2) * g + cof(2, 2) * b) / det};
  };
  // Non-separable: green moves with red, blue with red times green.
  const auto grade = [](const TColor& c) { return TColor{c.R, 0.8 * c.G + 0.2 * c.R, 0.7 * c.B + 0.3 * c.R * c.G}; };
  const auto ungrade = [](const TColor& y) {
    const double g = (y.G - 0.2 * y.R) / 0.8;
    return TColor{y.R, g, (y.B - 0.3 * y.R * g) / 0.7};
  };
  const Case cases[] = {{"matrix, trilinear", matrix, unmatrix, TInterpolation::Trilinear},
                        {"matrix, tetrahedral", matrix, unmatrix, TInterpolation::Tetrahedral},
                        {"grade, trilinear", grade, ungrade, TInterpolation::Trilinear},
                        // Enough cells to share their bounds between threads
                        // and more per axis than there are buckets.
                        {"matrix, tetrahedral, fine grid", matrix, unmatrix, TInterpolation::Tetrahedral, 57}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TLUTInverse inverse(Grid(c.points, c.forward, c.interpolation));
    std::vector<TColor> colours;
    for (const TColor& x : RandomColours(2000, 3)) colours.push_back(c.forward(x));
    std::vector<TColor> found(colours.size());
    TInverseStats stats;
    inverse.Evaluate(colours.data(), found.data(), colours.size(), &stats);
    double largest = 0.0;
    for (std::size_t i = 0; i < colours.size(); ++i) largest = std::max(largest, Distance(found[i], c.inverse(colours[i])));
    EXPECT_LT(largest, 1e-9);
    EXPECT_EQ(stats.Colours, colours.size());
    EXPECT_EQ(stats.Unreached, 0u);
    EXPECT_LT(stats.LargestRoundTrip, 1e-12);
  }
}

// A gamma curve as a 1D table of 1024 entries: its inverse meets the curve's
// own inverse within the table's interpolation, and the table maps it back
// exactly.
TEST(Inverse, GammaCurve) {
  std::vector<double> values;
  for (int i = 0; i < 1024; ++i) values.push_back(std::pow(i / 1023.0, 2.2));
  const auto lut = Curve(values);
  const TLUTInverse inverse(lut);
  for (double y = 0.0; y <= 1.0; y += 1.0 / 97) {
    TColor x;
    const TColor in{y, y, y};
    inverse.Evaluate(&in, &x, 1);
    EXPECT_NEAR(x.R, std::pow(y, 1 / 2.2), 2e-3) << y;
    EXPECT_NEAR(EvaluateLUT(*lut, x).R, y, 1e-12) << y;
  }
}

// OpenColorIO's inverse 1D rules: a table rises when its last entry is above
// its first; reversals take the value before them; inside a flat stretch the
// first entry wins, at the ends the entry where the curve starts to move;
// values beyond go to the nearer end; a flat table goes to 0.
TEST(Inverse, CurvesWithFlatStretchesAndReversals) {
  struct Case {
    std::vector<double> values;
    double value, position;
  };
  const Case cases[] = {
      {{0, 0.25, 0.25, 0.5, 1}, 0.25, 0.25},   // flat inside: its first entry
      {{0, 0.25, 0.25, 0.5, 1}, 0.375, 0.625},
      {{0.2, 0.2, 0.5, 0.8, 0.8}, 0.2, 0.25},  // flat at the ends: where it moves
      {{0.2, 0.2, 0.5, 0.8, 0.8}, 0.8, 0.75},
      {{0.2, 0.2, 0.5, 0.8, 0.8}, 0.1, 0.25},  // beyond: the nearer end
      {{0.2, 0.2, 0.5, 0.8, 0.8}, 2.0, 0.75},
      {{0, 0.5, 0.4, 1}, 0.45, 0.3},           // reversal: 0 0.5 0.5 1
      {{0, 0.5, 0.4, 1}, 0.75, 2.5 / 3},
      {{1, 0.5, 0}, 0.25, 0.75},               // falling
      {{1, 0.5, 0}, -1.0, 1.0},
      {{0.3, 0.3, 0.3}, 0.3, 0.0},             // flat: falling, from the start
      {{0, 0.5, 1}, std::nan(""), 0.0},
  };
  for (const Case& c : cases) {
    const TInverseCurve curve(Curve(c.values)->Data1D(), c.values.size(), 1);
    EXPECT_NEAR(curve.Position(c.value), c.position, 1e-12) << c.value << " in a table of " << c.values.size();
  }
}

// Colours the table does not reach go to the input of the nearest colour it
// reaches: of a grid whose colours fill 0.2..0.8 per channel, the colour
// clamped into that box; of a mixing grid, none of many colours it reaches
// lies nearer.
TEST(Inverse, UnreachedColoursTakeTheNearestReached) {
  const auto box = [](const TColor& c) { return TColor{0.2 + 0.6 * c.R, 0.2 + 0.6 * c.G, 0.2 + 0.6 * c.B}; };
  for (const TInterpolation interpolation : {TInterpolation::Trilinear, TInterpolation::Tetrahedral}) {
    const TLUTInverse inverse(Grid(5, box, interpolation));
    TColor colours[] = {{0, 0.5, 0.5}, {1, 1, 1}, {0.9, 0.1, 0.5}, {-3, 0.5, 9}};
    TColor found[4];
    TInverseStats stats;
    inverse.Evaluate(colours, found, 4, &stats);
    EXPECT_EQ(stats.Unreached, 4u);
    for (int i = 0; i < 4; ++i) {
      const auto clamp = [](double v) { return (std::clamp(v, 0.2, 0.8) - 0.2) / 0.6; };
      EXPECT_LT(Distance(found[i], TColor{clamp(colours[i].R), clamp(colours[i].G), clamp(colours[i].B)}), 1e-9) << i;
    }
  }
  const auto mix = [](const TColor& c) {
    return TColor{std::pow(0.85 * c.R + 0.1 * c.G + 0.05 * c.B, 0.8), 0.1 * c.R + 0.8 * c.G + 0.1 * c.B,
                  0.05 * c.R + 0.15 * c.G + 0.8 * c.B};
  };
  for (const TInterpolation interpolation : {TInterpolation::Trilinear, TInterpolation::Tetrahedral}) {
    const auto lut = Grid(9, mix, interpolation);
    const TLUTInverse inverse(lut);
    // Reached colours, as many as a fine grid of inputs gives.
    std::vector<TColor> reached;
    for (const TColor& x : RandomColours(40000, 5)) reached.push_back(EvaluateLUT(*lut, x));
    const TColor outside[] = {{1, 0, 0}, {0, 1, 0}, {0.1, 0.1, 0.9}, {1.5, -0.5, 0.5}};
    for (const TColor& colour : outside) {
      TColor input;
      TInverseStats stats;
      inverse.Evaluate(&colour, &input, 1, &stats);
      EXPECT_EQ(stats.Unreached, 1u);
      const double ours = std::sqrt(std::pow(EvaluateLUT(*lut, input).R - colour.R, 2) +
                                    std::pow(EvaluateLUT(*lut, input).G - colour.G, 2) +
                                    std::pow(EvaluateLUT(*lut, input).B - colour.B, 2));
      for (const TColor& r : reached) {
        const double d = std::sqrt(std::pow(r.R - colour.R, 2) + std::pow(r.G - colour.G, 2) + std::pow(r.B - colour.B, 2));
        ASSERT_GE(d, ours - 1e-9) << colour.R << " " << colour.G << " " << colour.B;
      }
    }
  }
}

// A 1D curve, then a 3D table: inverted in the other order, each stage
// through its domain; the inverse's own inputs reach as far as the LUT's
// outputs.
TEST(Inverse, StagesAndDomains) {
  auto lut = std::make_shared<TLUT>(Grid(5, [](const TColor& c) { return TColor{2 * c.R, c.G, c.B - 0.5}; },
                                         TInterpolation::Trilinear)->Copy());
  lut->Kind = TLUTKind::lk1DAnd3D;
  lut->SetSize1D(256);
  for (int i = 0; i < 256; ++i) {
    const double v = i / 255.0;
    lut->Table1D(i) = {v * v, v * v, v * v};
  }
  lut->Domain1D.Max = TLUTEntry{4, 4, 4};  // inputs 0..4, squared into 0..1 ... 0..16 / 16
  const TLUTInverse inverse(lut);
  EXPECT_EQ(inverse.InputDomain(), (TLUTDomain{{0, 0, -0.5}, {2, 1, 1}}));
  for (const TColor& x : RandomColours(200, 9)) {
    const TColor input{4 * x.R, 4 * x.G, 4 * x.B};
    const TColor colour = EvaluateLUT(*lut, input);
    TColor found;
    inverse.Evaluate(&colour, &found, 1);
    EXPECT_LT(Distance(EvaluateLUT(*lut, found), colour), 1e-12);
    EXPECT_LT(Distance(found, input), 1e-9);
  }
  // A 3D table over a domain of its own.
  auto wide = Grid(5, [](const TColor& c) { return TColor{c.R, 0.5 * c.G + 0.5 * c.B, c.B}; }, TInterpolation::Trilinear);
  wide->Domain3D = TLUTDomain{{-1, -1, -1}, {3, 3, 3}};
  const TLUTInverse inverse3d(wide);
  for (const TColor& x : RandomColours(50, 4)) {
    const TColor input{4 * x.R - 1, 4 * x.G - 1, 4 * x.B - 1};
    const TColor colour = EvaluateLUT(*wide, input);
    TColor found;
    inverse3d.Evaluate(&colour, &found, 1);
    EXPECT_LT(Distance(found, input), 1e-9);
  }
  // A process list of nodes has no table to invert.
  auto chain = std::make_shared<TLUT>();
  chain->Kind = TLUTKind::lkChain;
  EXPECT_THROW(TLUTInverse{chain}, ELUTError);
}

// Long runs are shared between two threads: the same colours as one at a
// time, and the counts of both halves.
TEST(Inverse, LongRunsGiveWhatSingleColoursGive) {
  const auto lut = Grid(17, [](const TColor& c) { return TColor{c.R * c.R, c.G, 0.5 * c.B + 0.5 * c.R}; },
                        TInterpolation::Tetrahedral);
  const TLUTInverse inverse(lut);
  const std::vector<TColor> colours = RandomColours(10000, 2);
  std::vector<TColor> whole(colours.size());
  TInverseStats stats;
  inverse.Evaluate(colours.data(), whole.data(), colours.size(), &stats);
  EXPECT_EQ(stats.Colours, colours.size());
  std::size_t unreached = 0;
  for (std::size_t i = 0; i < colours.size(); i += 97) {
    TColor one;
    TInverseStats single;
    inverse.Evaluate(&colours[i], &one, 1, &single);
    EXPECT_LT(Distance(one, whole[i]), 1e-12) << i;
    unreached += single.Unreached;
  }
  EXPECT_GT(stats.Unreached, 0u);
  EXPECT_GT(unreached, 0u);
}

}  // namespace
}  // namespace zelvo
