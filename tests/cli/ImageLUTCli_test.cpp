// zelvo-lut identity, and the layout options of the commands that read LUTs.
#include <gtest/gtest.h>

#include <sstream>

#include "CliRun.h"
#include "TestFormats.h"
#include "cli/CliMain.h"
#include "image/ImageLUT.h"

namespace zelvo {
namespace {

using test::Zelvo;

TEST(ImageLUTCli, IdentityWritesAnyProfile) {
  test::TempDir dir;
  const std::string hald = dir.File("neutral.png");
  ASSERT_EQ(Zelvo({"identity", "-p", "Hald CLUT PNG", "--size", "16", "--bits", "8", "-o", hald}).status, 0);
  const test::CliRun info = Zelvo({"info", hald});
  EXPECT_NE(info.out.find("Image LUT read as a Hald CLUT of level 4 (64 x 64, 8 bits)"), std::string::npos) << info.out;
  EXPECT_EQ(Zelvo({"identity", "-p", "6", "-o", hald}).status, 1);  // there, and no --overwrite
  const test::CliRun size = Zelvo({"identity", "-p", "Hald CLUT PNG", "--size", "20", "-o", hald});
  EXPECT_EQ(size.status, 2);
  EXPECT_NE(size.err.find("A size of 20 is not supported for \"Hald CLUT PNG\""), std::string::npos) << size.err;
}

TEST(ImageLUTCli, LayoutOptionsReachTheCommandsThatReadLUTs) {
  test::TempDir dir;
  const std::string hald = dir.File("neutral.png");
  ASSERT_EQ(Zelvo({"identity", "-p", "Hald CLUT PNG", "--size", "4", "-o", hald}).status, 0);
  // Read as tiles, a Hald CLUT of level 2 is a square of 2 x 2 tiles.
  EXPECT_NE(Zelvo({"info", "--layout", "TILES", hald}).out.find("square of 2 x 2 tiles"), std::string::npos);
  EXPECT_NE(Zelvo({"eval", "--layout", "tiles", hald, "0", "1", "0"}).out, "0 1 0\n");
  EXPECT_EQ(Zelvo({"eval", hald, "0", "1", "0"}).out, "0 1 0\n");
  // A raster in rows of 10 pixels (10 x 7) is read only when its width is given.
  TLUT lut;
  test::FillSample3D(lut, 4);
  const std::string rows = dir.Write("rows.png", EncodeImageLUT(lut, RasterLayout(4, 10), TPictureFileType::Png,
                                                                TPictureDepth::pd16));
  EXPECT_NE(Zelvo({"info", rows}).err.find("the size of no image LUT layout"), std::string::npos);
  EXPECT_EQ(Zelvo({"convert", "--raster-width", "10", "-p", "7", "--size", "4", "-o", dir.path().string(), rows})
                .status,
            0);
  TLUT converted;
  LoadLUTFile(dir.File("rows.cube"), converted);
  EXPECT_LE(test::MaxDifference3D(converted, lut, 4), 0.5 / 65535 + 1e-6);
  const test::CliRun both = Zelvo({"apply", "--layout", "tiles", "--raster-width", "8", hald, hald, "-o", dir.File("o.png")});
  EXPECT_NE(both.err.find("A raster width asks for a raster; tiles have none."), std::string::npos) << both.err;
  for (const char* bad : {"--layout=hald", "--raster-width=0", "--raster-width=0x10"}) {
    EXPECT_EQ(Zelvo({"info", bad, hald}).status, 2) << bad;
  }
}

}  // namespace
}  // namespace zelvo
