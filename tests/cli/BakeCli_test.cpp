// zelvo-lut bake and convert --invert: the steps in the order given, the
// grades their adjacent options make, and the refusals before any work.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRun.h"
#include "TestFormats.h"
#include "cli/CliMain.h"
#include "formats/CDLLib.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::TempDir;

using test::Zelvo;

// A 5-point cube of a gentle mix whose red reaches 0.9.
std::string MixCube() {
  std::string text = "LUT_3D_SIZE 5\n";
  for (int b = 0; b < 5; ++b)
    for (int g = 0; g < 5; ++g)
      for (int r = 0; r < 5; ++r) {
        const double x = r / 4.0, y = g / 4.0, z = b / 4.0;
        text += ShortestDecimal(0.8 * x + 0.1 * y) + " " + ShortestDecimal(0.1 * x + 0.8 * y + 0.1 * z) + " " +
                ShortestDecimal(0.9 * z + 0.1 * x) + "\n";
      }
  return text;
}

TEST(BakeCli, RefusesBeforeAnyWork) {
  TempDir dir;
  const std::string cube = dir.Write("mix.cube", MixCube());
  const std::string out = dir.File("out.cube");
  struct Case {
    std::vector<std::string> steps;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"--frobnicate", cube}, 2, "--frobnicate"},
      {{}, 2, "bake needs at least one step"},
      {{"--lut", dir.File("missing.cube")}, 1, dir.File("missing.cube") + ": "},
      {{"--lut", cube, "--clamp"}, 2, "it clamps the --range just before it"},
      {{"--slope", "1", "1", "1", "--cccid", "x"}, 2, "names the correction of the --lut, --invlut or --cdl file"},
      {{"--lut", cube, "--cccid", "x", "--cccid", "y"}, 2, "names the correction"},
      {{"--slope", "1", "x", "1"}, 2, "'x' is not a finite decimal number"},
      {{"--sat", "1e999"}, 2, "is not a finite decimal number"},
      {{"--slope", "1", "1"}, 2, "--slope"},
      {{"--range", "0.5", "0.5", "0", "1"}, 2, "its two input ends are the same"},
      {{"--matrix", "1", "0", "0"}, 2, "--matrix"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"bake"};
    args.insert(args.end(), c.steps.begin(), c.steps.end());
    args.insert(args.end(), {"-p", "Cube 3D Davinci", "-o", out});
    const test::CliRun run = Zelvo(args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << c.message;
  }
  const test::CliRun profile = Zelvo({"bake", "--lut", cube, "-p", "No such profile", "-o", out});
  EXPECT_EQ(profile.status, 2);
  EXPECT_NE(profile.err.find("Unknown output profile"), std::string::npos);
}

// Adjacent --slope, --offset, --power and --sat make one grade, whatever
// their order, with saturation last; an option given again, or another step
// between, starts another grade.
TEST(BakeCli, AdjacentGradeOptionsMakeOneGrade) {
  TempDir dir;
  const auto bake = [&](std::vector<std::string> steps) {
    // A format without a shaper, so that the grid holds the inputs given.
    const std::string out = dir.File("grade.cube");
    steps.insert(steps.begin(), "bake");
    steps.insert(steps.end(), {"-p", "Cube 3D Davinci", "--size", "3", "-o", out, "--overwrite"});
    EXPECT_EQ(Zelvo(steps).status, 0);
    TLUT lut;
    LoadLUTFile(out, lut);
    return lut.Table3D(2, 1, 0);  // the input (1, 0.5, 0)
  };
  const auto cdl = [](float offset, float power, float sat, TColor in) {
    TCDLData data;
    for (TCDLChannel& c : data.SOP) c.Offset = offset, c.Power = power;
    data.Saturation = sat;
    float r, g, b;
    ApplyCDL(data, static_cast<float>(in.R), static_cast<float>(in.G), static_cast<float>(in.B), r, g, b);
    return TColor{r, g, b};
  };
  const TColor in{1, 0.5, 0};
  const TLUTEntry one = bake({"--sat", "0.5", "--offset", "0.1", "0.1", "0.1", "--power", "2", "2", "2"});
  const TColor want = cdl(0.1f, 2, 0.5f, in);
  EXPECT_NEAR(one.R, want.R, 1e-6);
  EXPECT_NEAR(one.B, want.B, 1e-6);
  // The same options as two grades: saturation first, then offset and power.
  const TLUTEntry two = bake({"--sat", "0.5", "--sat", "1", "--offset", "0.1", "0.1", "0.1", "--power", "2", "2", "2"});
  const TColor apart = cdl(0.1f, 2, 1, cdl(0, 1, 0.5f, in));
  EXPECT_NEAR(two.R, apart.R, 1e-6);
  EXPECT_NEAR(two.B, apart.B, 1e-6);
  EXPECT_GT(std::fabs(two.R - one.R), 0.01);
  // A step between ends a grade.
  const TLUTEntry split = bake({"--sat", "0.5", "--range", "0", "1", "0", "1", "--offset", "0.1", "0.1", "0.1",
                               "--power", "2", "2", "2"});
  EXPECT_NEAR(split.R, apart.R, 1e-6);
}

// The inverse of a cube then the cube gives back the colours the cube
// reaches; convert --invert writes the same inverse as bake --invlut.
TEST(BakeCli, InverseThenForwardAndConvertInvert) {
  TempDir dir;
  const std::string cube = dir.Write("mix.cube", MixCube());
  const std::string round = dir.File("round.cube");
  const test::CliRun run = Zelvo({"bake", "--invlut", cube, "--lut", cube, "-p", "7", "--size", "17", "-o", round});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("round.cube: the inverse of mix.cube has no exact input for "), std::string::npos) << run.err;
  TLUT lut;
  LoadLUTFile(round, lut);
  for (const TColor x : {TColor{0.5, 0.5, 0.5}, TColor{0.25, 0.5, 0.375}}) {
    const TColor y = EvaluateLUT(lut, x);
    EXPECT_NEAR(y.R, x.R, 1e-6);
    EXPECT_NEAR(y.B, x.B, 1e-6);
  }

  const std::string baked = dir.File("baked.cube");
  EXPECT_EQ(Zelvo({"bake", "--invlut", cube, "-p", "7", "-o", baked}).status, 0);
  std::filesystem::create_directory(dir.File("inverted"));
  EXPECT_EQ(Zelvo({"convert", "--invert", "-p", "7", "-o", dir.File("inverted"), cube}).status, 0);
  TLUT a, b;
  LoadLUTFile(baked, a);
  LoadLUTFile(dir.File("inverted/mix.cube"), b);
  EXPECT_EQ(test::MaxDifference3D(a, b, 33), 0.0);
}

}  // namespace
}  // namespace zelvo
