#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRun.h"
#include "TestFormats.h"
#include "cli/CliMain.h"
#include "image/ApplyLUT.h"
#include "image/JpegFile.h"
#include "image/PictureIO.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

int Zelvo(const std::vector<std::string>& args, std::string* err = nullptr) {
  const test::CliRun run = test::Zelvo(args);
  if (err != nullptr) *err = run.err;
  return run.status;
}

// An identity over 0..2 (values beyond 1 pass), and one over 0..1 (they clip).
const char* const kWideIdentity =
    "LUT_3D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 2 2 2\n0 0 0\n2 0 0\n0 2 0\n2 2 0\n0 0 2\n2 0 2\n0 2 2\n2 2 2\n";
const char* const kUnitIdentity = "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";

TEST(FloatPictureCli, OpenExrKeepsValuesBeyondOneWhereTheDomainReaches) {
  test::TempDir dir;
  TFloatPicture frame(3, 1, TPictureDepth::pdFloat);
  const float values[] = {0.25f, 1.5f, 3.0f, -0.5f, 0.5f, 1.0f, 1.75f, 0.0f, 0.125f};
  std::copy(std::begin(values), std::end(values), frame.Samples());
  const std::string input = dir.File("frame.exr");
  SaveFloatPicture(input, frame, TPictureDepth::pdFloat);
  struct Case {
    const char* lut;
    float expected[9];
  };
  const Case cases[] = {
      {kWideIdentity, {0.25f, 1.5f, 2.0f, 0.0f, 0.5f, 1.0f, 1.75f, 0.0f, 0.125f}},
      {kUnitIdentity, {0.25f, 1.0f, 1.0f, 0.0f, 0.5f, 1.0f, 1.0f, 0.0f, 0.125f}},
  };
  for (const Case& c : cases) {
    const std::string lut = dir.Write("a.cube", c.lut);
    std::string err;
    ASSERT_EQ(Zelvo({"apply", lut, input, "-o", dir.File("out.exr"), "--overwrite"}, &err), 0) << err;
    const TFloatPicture out = LoadFloatPicture(dir.File("out.exr"));
    EXPECT_EQ(out.Depth(), TPictureDepth::pdFloat);
    for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(out.Samples()[i], c.expected[i], 1e-6) << i;
  }
}

TEST(FloatPictureCli, OutputsAtThePicturesDepthOrTheirTypes) {
  test::TempDir dir;
  TLUT graded;
  test::FillSample3D(graded, 17);
  SaveLUTFile(dir.File("graded.cube"), graded, test::Profile("Cube 3D Davinci"));
  TLUT read;  // the table as the file holds it
  LoadLUTFile(dir.File("graded.cube"), read);
  TFloatPicture source(16, 4, TPictureDepth::pd16);
  for (std::size_t i = 0; i < source.SampleCount(); ++i) source.Samples()[i] = static_cast<float>((i * 977 % 65536) / 65535.0);
  SaveFloatPicture(dir.File("in.tif"), source, TPictureDepth::pd16);
  struct Case {
    std::string output;
    TPictureDepth depth;
    double tolerance;
  };
  const Case cases[] = {
      {"out.tif", TPictureDepth::pd16, 0.5 / 65535}, {"out.png", TPictureDepth::pd16, 0.5 / 65535},
      {"out.exr", TPictureDepth::pdFloat, 1e-6},     {"out.dpx", TPictureDepth::pd16, 0.5 / 65535},
      {"out.bmp", TPictureDepth::pd8, 0.5 / 255},
  };
  for (const Case& c : cases) {
    std::string err;
    ASSERT_EQ(Zelvo({"apply", dir.File("graded.cube"), dir.File("in.tif"), "-o", dir.File(c.output)}, &err), 0) << err;
    const TFloatPicture out = LoadFloatPicture(dir.File(c.output));
    EXPECT_EQ(out.Depth(), c.depth) << c.output;
    for (int x = 0; x < 16; ++x) {
      const float* p = source.At(x, 2);
      const TColor want = EvaluateLUT(read, TColor{p[0], p[1], p[2]});
      EXPECT_NEAR(out.At(x, 2)[0], want.R, c.tolerance) << c.output << " " << x;
      EXPECT_NEAR(out.At(x, 2)[2], want.B, c.tolerance) << c.output << " " << x;
    }
  }
  // A JPEG into a PNG stays at 8 bits; a damaged PNG is named with its reason.
  ASSERT_EQ(Zelvo({"apply", dir.File("graded.cube"), dir.Write("in.jpg", EncodeJpeg(BitmapOf(source), 90)), "-o",
                   dir.File("j.png")}),
            0);
  EXPECT_EQ(LoadFloatPicture(dir.File("j.png")).Depth(), TPictureDepth::pd8);
  const std::string png = EncodeFloatPicture(source, TPictureFileType::Png, TPictureDepth::pd16);
  std::string err;
  EXPECT_EQ(Zelvo({"apply", dir.File("graded.cube"), dir.Write("cut.png", png.substr(0, png.size() / 2)), "-o",
                   dir.File("x.exr")},
                  &err),
            1);
  EXPECT_NE(err.find("cut.png: The PNG picture cannot be read: "), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.exr")));
}

}  // namespace
}  // namespace zelvo
