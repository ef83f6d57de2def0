// zelvo-lut identity, and the layout options of the commands that read LUTs.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "TestFormats.h"
#include "cli/CliMain.h"
#include "image/PictureIO.h"

namespace zelvo {
namespace {

struct TCliRun {
  int status;
  std::string out, err;
};

TCliRun Zelvo(const std::vector<std::string>& args) {
  std::istringstream in;
  std::ostringstream out, err;
  CliEnvironment env{&in, &out, &err, false};
  const int status = RunCli(args, env);
  return {status, out.str(), err.str()};
}

TEST(ImageLUTCli, IdentityWritesTheProfilesPicture) {
  test::TempDir dir;
  const std::string hald = dir.File("neutral.png");
  ASSERT_EQ(Zelvo({"identity", "-p", "Hald CLUT PNG", "--size", "16", "--bits", "8", "-o", hald}).status, 0);
  const TFloatPicture picture = LoadFloatPicture(hald);
  EXPECT_EQ(picture.Width(), 64);
  EXPECT_EQ(picture.Height(), 64);
  EXPECT_EQ(picture.Depth(), TPictureDepth::pd8);
  const TCliRun info = Zelvo({"info", hald});
  EXPECT_NE(info.out.find("Image LUT read as a Hald CLUT of level 4 (64 x 64, 8 bits)"), std::string::npos) << info.out;
  // Any profile, by its index too; an existing file only with --overwrite.
  const std::string cube = dir.File("identity.cube");
  ASSERT_EQ(Zelvo({"identity", "-p", "6", "-o", cube}).status, 0);
  EXPECT_NE(test::ReadAll(cube).find("LUT_3D_SIZE 32"), std::string::npos);
  const TCliRun again = Zelvo({"identity", "-p", "6", "-o", cube});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(Zelvo({"identity", "-p", "6", "--overwrite", "-o", cube}).status, 0);
  struct Usage {
    std::vector<std::string> args;
    const char* message;
  };
  const Usage usages[] = {
      {{"identity", "-p", "Hald CLUT PNG", "--size", "20", "-o", hald}, "A size of 20 is not supported"},
      {{"identity", "-p", "OpenColorIO raster EXR", "--bits", "8", "-o", hald}, "not at 8 bits"},
      {{"identity", "-p", "nothing", "-o", hald}, "Unknown output profile"},
      {{"identity", "-o", hald}, "--profile is required"},
  };
  for (const Usage& u : usages) {
    const TCliRun run = Zelvo(u.args);
    EXPECT_EQ(run.status, 2) << u.message;
    EXPECT_NE(run.err.find(u.message), std::string::npos) << run.err;
  }
}

TEST(ImageLUTCli, LayoutOptionsReachEveryCommandThatReadsALUT) {
  test::TempDir dir;
  const std::string hald = dir.File("neutral.png");
  ASSERT_EQ(Zelvo({"identity", "-p", "Hald CLUT PNG", "--size", "4", "-o", hald}).status, 0);
  // Read as tiles, the Hald CLUT of level 2 is a square of 2 x 2 tiles.
  const TCliRun tiles = Zelvo({"info", "--layout", "TILES", hald});
  EXPECT_NE(tiles.out.find("square of 2 x 2 tiles"), std::string::npos) << tiles.out;
  const TCliRun eval = Zelvo({"eval", "--layout", "tiles", hald, "0", "1", "0"});
  EXPECT_EQ(eval.status, 0) << eval.err;
  EXPECT_NE(eval.out, Zelvo({"eval", hald, "0", "1", "0"}).out);
  const TCliRun converted = Zelvo({"convert", "--layout", "tiles", "-p", "Cube 3D Davinci", "--size", "4", "-o",
                               dir.path().string(), hald});
  EXPECT_EQ(converted.status, 0) << converted.err;
  const TCliRun width = Zelvo({"info", "--raster-width", "9", hald});
  EXPECT_EQ(width.status, 1);
  EXPECT_NE(width.err.find("The picture is 8 pixels wide, not the 9 of the raster asked for."), std::string::npos)
      << width.err;
  const TCliRun apply =
      Zelvo({"apply", "--layout", "tiles", "--raster-width", "8", hald, hald, "-o", dir.File("out.png")});
  EXPECT_NE(apply.err.find("A raster width asks for a raster; tiles have none."), std::string::npos) << apply.err;
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"info", "--layout", "hald", hald}, {"info", "--raster-width", "0", hald},
        {"info", "--raster-width", "0x10", hald}}) {
    EXPECT_EQ(Zelvo(bad).status, 2) << bad[2];
  }
}

}  // namespace
}  // namespace zelvo
