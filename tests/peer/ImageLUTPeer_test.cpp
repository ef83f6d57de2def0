// Image LUTs against the tools that make and read them: OpenColorIO's
// ociolutimage (its identity rasters read by us; our rasters read back by it)
// and ImageMagick (its Hald identities read by us; our Hald CLUT applied by
// it, against our own application of the LUT). Each test is skipped, saying
// why, when its tool is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestFormats.h"
#include "base/StringLib.h"
#include "image/ApplyLUT.h"
#include "image/PictureIO.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

// The tools where Debian puts them (ImageMagick's convert there: another
// program of that name may stand earlier on the PATH); "" when missing.
std::string Tool(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec) ? path : "";
}

// Runs a command line of our own making (temporary paths without quotes);
// true when it exits with 0.
bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

TLUT Identity(int n) {
  TLUT lut;
  test::FillIdentity3D(lut, n);
  return lut;
}

TEST(ImageLUTPeer, OciolutimageIdentitiesReadAsIdentities) {
  const std::string tool = Tool("/usr/bin/ociolutimage");
  if (tool.empty()) GTEST_SKIP() << "ociolutimage (opencolorio-tools) is not installed";
  test::TempDir dir;
  struct Case {
    int size;
    const char* extension;
    double tolerance;  // float samples; 8-bit codes
  };
  // 33 points: rows of 1089; 50: rows wrapped at 2048 pixels; 16: the size of a strip.
  const Case cases[] = {{16, "exr", 1e-7}, {33, "exr", 1e-7}, {50, "exr", 1e-7}, {16, "png", 0.5 / 255 + 1e-9},
                        {33, "png", 0.5 / 255 + 1e-9}, {50, "png", 0.5 / 255 + 1e-9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " points, " + c.extension);
    const std::string file = dir.File("lattice" + std::to_string(c.size) + "." + c.extension);
    ASSERT_TRUE(RunTool(tool + " --generate --cubesize " + std::to_string(c.size) + " --output " + file));
    TLUT lut;
    LoadLUTFile(file, lut);
    ASSERT_EQ(lut.FormatIndex, TLUTFormatId::ImageLUT);
    ASSERT_EQ(lut.Size3D(), c.size);
    const double largest = test::MaxDifference3D(lut, Identity(c.size), c.size);
    EXPECT_LE(largest, c.tolerance);
    RecordProperty("Generated" + std::to_string(c.size) + c.extension, ShortestDecimal(largest));
  }
}

TEST(ImageLUTPeer, OciolutimageExtractsOurRastersAsOurLUT) {
  const std::string tool = Tool("/usr/bin/ociolutimage");
  if (tool.empty()) GTEST_SKIP() << "ociolutimage (opencolorio-tools) is not installed";
  test::TempDir dir;
  struct Case {
    const char* profile;
    int bits;
    int size;
  };
  const Case cases[] = {{"OpenColorIO raster EXR", 32, 33},
                        {"OpenColorIO raster EXR", 32, 50},
                        {"OpenColorIO raster PNG", 16, 33},
                        {"OpenColorIO raster PNG", 16, 50}};
  for (const Case& c : cases) {
    const TLutOutputProfile& profile = test::Profile(c.profile);
    SCOPED_TRACE(profile.Caption + ", " + std::to_string(c.size) + " points");
    TLUT lut;
    test::FillSample3D(lut, c.size);
    const std::string picture = dir.File("ours" + std::to_string(c.size) + "." + profile.Extension);
    const std::string extracted = dir.File("extracted" + std::to_string(c.size) + profile.Extension + ".spi3d");
    SaveLUTFile(picture, lut, profile, c.bits);
    ASSERT_TRUE(RunTool(tool + " --extract --cubesize " + std::to_string(c.size) + " --input " + picture + " --output " +
                    extracted));
    TLUT back;
    LoadLUTFile(extracted, back);
    ASSERT_EQ(back.Size3D(), c.size);
    const double largest = test::MaxDifference3D(back, lut, c.size);
    EXPECT_LE(largest, 1e-4);
    RecordProperty("Extracted" + std::to_string(c.size) + profile.Extension, ShortestDecimal(largest));
  }
}

TEST(ImageLUTPeer, ImageMagickHaldIdentitiesReadAsIdentities) {
  const std::string tool = Tool("/usr/bin/convert");
  if (tool.empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  test::TempDir dir;
  for (const int bits : {8, 16}) {
    SCOPED_TRACE(std::to_string(bits) + " bits");
    const std::string file = dir.File("hald" + std::to_string(bits) + ".png");
    ASSERT_TRUE(RunTool(tool + " hald:8 -depth " + std::to_string(bits) + " " + file));
    TLUT lut;
    LoadLUTFile(file, lut);
    ASSERT_EQ(lut.FormatIndex, TLUTFormatId::ImageLUT);
    ASSERT_EQ(lut.Size3D(), 64);
    EXPECT_NE(lut.Comments.at(0).find("Hald CLUT of level 8"), std::string::npos);
    // ImageMagick's 8-bit Hald CLUTs truncate their codes (250 for 62/63, not
    // 251): a code off, which is what we read.
    const double tolerance = bits == 16 ? 1.0 / 65535 : 1.0 / 255;
    const double largest = test::MaxDifference3D(lut, Identity(64), 64);
    EXPECT_LE(largest, tolerance);
    RecordProperty("Hald8At" + std::to_string(bits), ShortestDecimal(largest));
  }
}

// A graded LUT as our Hald CLUT PNG of level 8 at 16 bits, applied to a
// picture by ImageMagick, gives what our own application of the LUT gives,
// within one 8-bit code for 99 % of the samples.
TEST(ImageLUTPeer, ImageMagickAppliesOurHaldAsWeApplyTheLUT) {
  const std::string tool = Tool("/usr/bin/convert");
  if (tool.empty()) GTEST_SKIP() << "ImageMagick's convert is not installed";
  test::TempDir dir;
  TLUT lut;
  test::FillSample3D(lut, 64);
  const std::string hald = dir.File("grade.png");
  SaveLUTFile(hald, lut, test::Profile("Hald CLUT PNG"), 16);
  // Every hue and level: red along x, green along y, blue in bands.
  constexpr int kSide = 256;
  const std::string picture = dir.File("picture.png");
  const std::string graded = dir.File("graded.png");
  WriteFileAtomically(picture, EncodePictureRows(kSide, kSide, TPictureFileType::Png, TPictureDepth::pd8,
                                                 [](int y, double* rgb) {
                                                   for (int x = 0; x < kSide; ++x, rgb += 3) {
                                                     rgb[0] = x / 255.0;
                                                     rgb[1] = y / 255.0;
                                                     rgb[2] = ((x / 16 + y / 16) * 17 % 256) / 255.0;
                                                   }
                                                 }));
  ASSERT_TRUE(RunTool(tool + " " + picture + " " + hald + " -hald-clut -depth 8 " + graded));
  TFloatPicture ours = LoadFloatPicture(picture);
  ApplyLUTToFloatPicture(lut, ours);
  const TFloatPicture theirs = LoadFloatPicture(graded);
  ASSERT_EQ(theirs.Width(), kSide);
  ASSERT_EQ(theirs.Height(), kSide);
  std::size_t within = 0;
  std::uint32_t largest = 0;
  for (std::size_t i = 0; i < ours.SampleCount(); ++i) {
    const std::uint32_t a = QuantizeSample(ours.Samples()[i], 255.0);
    const std::uint32_t b = QuantizeSample(theirs.Samples()[i], 255.0);
    const std::uint32_t d = a > b ? a - b : b - a;
    within += d <= 1;
    largest = std::max(largest, d);
  }
  const double share = static_cast<double>(within) / static_cast<double>(ours.SampleCount());
  EXPECT_GE(share, 0.99) << "largest difference " << largest << " codes";
  RecordProperty("WithinOneCode", ShortestDecimal(share));
  RecordProperty("LargestCodes", ShortestDecimal(largest));
}

}  // namespace
}  // namespace zelvo
