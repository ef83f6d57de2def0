// Chains of steps made into one LUT: the order of the steps, the ASC CDL
// math, ranges, inverses of files and what a conversion of them says.
#include <gtest/gtest.h>

#include <cmath>

#include "TestFormats.h"
#include "base/Errors.h"
#include "convert/LUTChain.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::TempDir;

TColor Through(const TLUT& lut, const TColor& in) { return EvaluateLUT(lut, in); }

double Distance(const TColor& a, const TColor& b) {
  return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
}

const TColor kColours[] = {{0.1, 0.2, 0.3}, {0.9, 0.5, 0.05}, {0.5, 0.5, 0.5}, {1, 0, 1}, {0.02, 0.97, 0.4}};

TCDLData Grade(std::array<float, 3> slope, std::array<float, 3> offset, std::array<float, 3> power, float sat) {
  TCDLData cdl;
  for (int c = 0; c < 3; ++c) cdl.SOP[c] = TCDLChannel{slope[c], offset[c], power[c]};
  cdl.Saturation = sat;
  return cdl;
}

// A process list of one matrix, which cannot be inverted.
std::string WriteMatrixList(TempDir& dir) {
  return dir.Write("list.clf", R"(<?xml version="1.0" encoding="UTF-8"?>
<ProcessList compCLFversion="3" id="x">
  <Matrix inBitDepth="32f" outBitDepth="32f"><Array dim="3 3">1 0.1 0 0 1 0 0 0 1</Array></Matrix>
</ProcessList>
)");
}

// A then B is B applied to A's colours, not the other way round.
TEST(LUTChain, StepsApplyInTheOrderGiven) {
  const std::array<double, 12> mix{0.6, 0.3, 0.1, 0.0, 0.2, 0.7, 0.1, 0.0, 0.1, 0.1, 0.8, 0.05};
  const TChainStep matrix = MatrixStep(mix);
  const TChainStep square = CDLStep(Grade({1, 1, 1}, {0, 0, 0}, {2, 2, 2}, 1));
  const auto times = [&](const TColor& c) {
    return TColor{mix[0] * c.R + mix[1] * c.G + mix[2] * c.B + mix[3], mix[4] * c.R + mix[5] * c.G + mix[6] * c.B + mix[7],
                  mix[8] * c.R + mix[9] * c.G + mix[10] * c.B + mix[11]};
  };
  const auto squared = [](const TColor& c) { return TColor{c.R * c.R, c.G * c.G, c.B * c.B}; };
  const TLUT matrix_then_square = BuildChainLUT({matrix, square});
  const TLUT square_then_matrix = BuildChainLUT({square, matrix});
  double apart = 0.0;
  for (const TColor& c : kColours) {
    // The CDL works in single precision.
    EXPECT_LT(Distance(Through(matrix_then_square, c), squared(times(c))), 1e-6);
    EXPECT_LT(Distance(Through(square_then_matrix, c), times(squared(c))), 1e-6);
    apart = std::max(apart, Distance(Through(matrix_then_square, c), Through(square_then_matrix, c)));
  }
  EXPECT_GT(apart, 0.05);
  EXPECT_EQ(matrix_then_square.Comments.front(), "Step 1: matrix 0.6 0.3 0.1 0, 0.2 0.7 0.1 0, 0.1 0.1 0.8 0.05");
}

// The ASC CDL as described: slope, offset, then the power of what is above
// 0 (the rest is 0), then saturation around the plain mean of the channels;
// nothing clamped.
TEST(LUTChain, GradesFollowTheCDLMath) {
  const auto described = [](const TCDLData& cdl, const TColor& in) {
    const double x[3] = {in.R, in.G, in.B};
    double v[3];
    for (int c = 0; c < 3; ++c) {
      const double s = x[c] * cdl.SOP[c].Slope + cdl.SOP[c].Offset;
      v[c] = s > 0 ? std::pow(s, cdl.SOP[c].Power) : 0.0;
    }
    const double mean = (v[0] + v[1] + v[2]) / 3;
    const double sat = cdl.Saturation;
    return TColor{v[0] * sat + (1 - sat) * mean, v[1] * sat + (1 - sat) * mean, v[2] * sat + (1 - sat) * mean};
  };
  const TCDLData grades[] = {Grade({1.2f, 1, 0.8f}, {0.05f, 0, -0.1f}, {1, 1.2f, 0.9f}, 0.9f),
                             Grade({2, 2, 2}, {0, 0, 0}, {1, 1, 1}, 1),
                             Grade({1, 1, 1}, {-0.1f, 0, 0}, {2.2f, 2.2f, 2.2f}, 0),
                             Grade({0.5f, 1.5f, 1}, {0.2f, -0.3f, 0.1f}, {0.7f, 1.4f, 1}, 1.6f)};
  const TColor inputs[] = {{0.5, 0.5, 0.5}, {1, 0, 0}, {0.05, 0.8, 1.3}, {-0.2, 0.3, 2}, {0, 0, 0}};
  for (const TCDLData& cdl : grades) {
    const TLUT chain = BuildChainLUT({CDLStep(cdl)});
    for (const TColor& in : inputs) {
      const TColor want = described(cdl, in);
      const TColor got = Through(chain, in);
      EXPECT_LT(Distance(got, want), 2e-6 * std::max({1.0, std::fabs(want.R), std::fabs(want.G), std::fabs(want.B)}))
          << in.R << " " << in.G << " " << in.B;
    }
  }
  // Saturation 0: the plain mean, (1, 0, 0) becomes a third in each channel.
  const TColor grey = Through(BuildChainLUT({CDLStep(Grade({1, 1, 1}, {0, 0, 0}, {1, 1, 1}, 0))}), {1, 0, 0});
  EXPECT_NEAR(grey.G, 1.0 / 3, 1e-7);
}

// A grade read from a collection by its id is the grade of its numbers; an
// id the file does not hold names the file.
TEST(LUTChain, GradesFromFiles) {
  TempDir dir;
  const std::string file = dir.Write("shots.ccc", R"(<ColorCorrectionCollection>
  <ColorCorrection id="a"><SOPNode><Slope>1 1 1</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode>
  </ColorCorrection>
  <ColorCorrection id="b"><SOPNode><Slope>1.5 1 0.5</Slope><Offset>0.1 0 0</Offset><Power>1 2 1</Power></SOPNode>
    <SatNode><Saturation>0.5</Saturation></SatNode></ColorCorrection>
</ColorCorrectionCollection>
)");
  const TLUT from_file = BuildChainLUT({CDLFileStep(file, "b")});
  const TLUT from_numbers = BuildChainLUT({CDLStep(Grade({1.5f, 1, 0.5f}, {0.1f, 0, 0}, {1, 2, 1}, 0.5f))});
  for (const TColor& c : kColours) EXPECT_EQ(Through(from_file, c), Through(from_numbers, c));
  EXPECT_EQ(from_file.Comments.front(),
            "Step 1: ASC CDL of shots.ccc (id b): slope 1.5 1 0.5, offset 0.1 0 0, power 1 2 1, saturation 0.5");
  EXPECT_EQ(test::ErrorOf([&] { BuildChainLUT({CDLFileStep(file, "c")}); }),
            file + ": The collection holds no correction \"c\" (its ids: a, b).");
}

// Ranges scale and clamp; a chain's inputs are those of its first step.
TEST(LUTChain, RangesAndInputDomains) {
  const TLUT scale = BuildChainLUT({RangeStep(0.1, 0.9, 0, 1, false)});
  const TLUT clamp = BuildChainLUT({RangeStep(0.1, 0.9, 0, 1, true)});
  EXPECT_LT(Distance(Through(scale, {0.5, 0.0, 1.0}), {0.5, -0.125, 1.125}), 1e-12);
  EXPECT_LT(Distance(Through(clamp, {0.5, 0.0, 1.0}), {0.5, 0.0, 1.0}), 1e-12);
  EXPECT_EQ(scale.InputDomain(), (TLUTDomain{{0.1, 0.1, 0.1}, {0.9, 0.9, 0.9}}));
  EXPECT_TRUE(BuildChainLUT({MatrixStep({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0})}).InputDomain().IsUnit());
}

// The refusals of a chain, before any file is written.
TEST(LUTChain, Refusals) {
  TempDir dir;
  const std::string clf = WriteMatrixList(dir);
  struct Case {
    std::vector<TChainStep> steps;
    std::string message;
  };
  const Case cases[] = {
      {{}, "The chain has no steps: it needs a LUT, a grade, a matrix or a range."},
      {{RangeStep(0.5, 0.5, 0, 1, false)}, "A range maps no inputs: its two input ends are the same."},
      {{MatrixStep({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, NAN, 0})}, "The matrix holds a number that is not finite."},
      {{CDLStep(Grade({1, 1, 1}, {0, 0, 0}, {1, 1, 1}, INFINITY))}, "The ASC CDL holds a number that is not finite."},
      {{LUTStep(clf, true)},
       clf + ": A process list of nodes (Matrix) cannot be inverted; only tables (1D, 3D or both) can."},
  };
  for (const Case& c : cases) EXPECT_EQ(test::ErrorOf([&] { BuildChainLUT(c.steps); }), c.message);
  const std::string missing = test::ErrorOf([&] { BuildChainLUT({LUTStep(dir.File("none.cube"))}); });
  EXPECT_EQ(missing.rfind(dir.File("none.cube") + ": ", 0), 0u) << missing;
}

// Every step tried, each with its own error, for a dialog to show beside
// its step; the first step's error is the one raised.
TEST(LUTChain, ErrorsOfEachStep) {
  TempDir dir;
  const std::string clf = WriteMatrixList(dir);
  const std::string cube = dir.Write("two.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  const std::vector<TChainStep> steps = {LUTStep(cube, true), LUTStep(clf, true), MatrixStep({}),
                                         LUTStep(dir.File("none.cube")), LUTStep(clf)};
  std::vector<std::string> errors{"stale"};
  const std::string raised = test::ErrorOf([&] { BuildChainLUT(steps, {}, errors); });
  ASSERT_EQ(errors.size(), steps.size());
  EXPECT_EQ(errors[0], "");
  EXPECT_EQ(errors[1], clf + ": A process list of nodes (Matrix) cannot be inverted; only tables (1D, 3D or both) can.");
  EXPECT_EQ(errors[2], "");
  EXPECT_EQ(errors[3].rfind(dir.File("none.cube") + ": ", 0), 0u) << errors[3];
  EXPECT_EQ(errors[4], "");
  EXPECT_EQ(raised, errors[1]);
  // A chain that can be made raises nothing and leaves no error.
  const TLUT chain = BuildChainLUT({steps[0], steps[4]}, {}, errors);
  EXPECT_EQ(errors, (std::vector<std::string>{"", ""}));
  EXPECT_EQ(chain.Comments.size(), 2u);
  // The files a dialog keeps loaded are read as the chain reads them.
  EXPECT_EQ(LoadChainLUT(cube)->Size3D(), 2);
  EXPECT_EQ(test::ErrorOf([&] { LoadChainLUT(dir.Write("notes.txt", "hello\n")); }),
            dir.File("notes.txt") + ": The file is not a LUT file of a known format.");
}

// A grade's numbers as typed: decimal numbers that single precision holds.
TEST(LUTChain, CDLNumbersAsTyped) {
  EXPECT_EQ(ParseCDLNumber("1.25"), 1.25f);
  EXPECT_EQ(ParseCDLNumber(" -0.5 "), -0.5f);
  EXPECT_EQ(ParseCDLNumber("3e38"), 3e38f);
  const std::pair<const char*, const char*> refused[] = {
      {"abc", "'abc' is not a valid floating point value"},
      {"1,5", "'1,5' is not a valid floating point value"},
      {"", "'' is not a valid floating point value"},
      {"4e38", "'4e38' is too large a number for an ASC CDL grade."},
      {"-1e39", "'-1e39' is too large a number for an ASC CDL grade."},
  };
  for (const auto& [text, message] : refused) EXPECT_EQ(test::ErrorOf([&] { ParseCDLNumber(text); }), message) << text;
}

// A cube whose red reaches 1.5, inverted: the inverse covers inputs up to
// 1.5 where the target can say so and clips them where it cannot; the notes
// say what the inverse met. convert --invert writes the same table.
TEST(LUTChain, InverseOfAFileConverted) {
  TempDir dir;
  TLUT forward;
  forward.Kind = TLUTKind::lk3D;
  forward.SetSize3D(9);
  BakeLUT(forward, [](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = TColor{1.5 * in[i].R, 0.9 * in[i].G + 0.1 * in[i].R, in[i].B};
  });
  const std::string cube = dir.File("forward.cube");
  SaveLUTFile(cube, forward, test::Profile("Cube 3D Davinci"));

  ConversionSettings settings{dir.path().string(), &test::Profile("Academy/ASC CLF 3D"), "17", -1};
  const TConvertNotes stated = ConvertChain(settings, {LUTStep(cube, true)}, dir.File("inverse.clf"));
  EXPECT_FALSE(stated.InputsClipped);
  ASSERT_FALSE(stated.Warnings.empty());
  EXPECT_EQ(stated.Warnings.front().rfind("the inverse of forward.cube has no exact input for ", 0), 0u)
      << stated.Warnings.front();
  TLUT inverse;
  LoadLUTFile(dir.File("inverse.clf"), inverse);
  EXPECT_EQ(inverse.InputDomain(), (TLUTDomain{{0, 0, 0}, {1.5, 1, 1}}));
  // (Away from the edge of what the cube reaches, where the table's cells
  // hold colours of both sides.)
  for (const TColor& x : {TColor{0.2, 0.3, 0.4}, TColor{0.6, 0.5, 0.7}, TColor{0.8, 0.9, 0.3}}) {
    EXPECT_LT(Distance(Through(inverse, Through(forward, x)), x), 1e-6);
  }

  settings.OutputProfile = &test::Profile("Nucoda 3D");
  const TConvertNotes clipped = ConvertChain(settings, {LUTStep(cube, true)}, dir.File("inverse.cms"));
  EXPECT_TRUE(clipped.InputsClipped);

  settings.Invert = true;
  settings.OutputProfile = &test::Profile("Academy/ASC CLF 3D");
  ConvertFile(settings, cube, dir.File("inverted.clf"));
  TLUT inverted;
  LoadLUTFile(dir.File("inverted.clf"), inverted);
  EXPECT_EQ(test::MaxDifference3D(inverted, inverse, 17), 0.0);
}

}  // namespace
}  // namespace zelvo
