#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRun.h"
#include "TestFormats.h"
#include "cli/CliMain.h"
#include "convert/ICCConversion.h"
#include "image/ApplyLUT.h"
#include "image/BmpFile.h"
#include "image/JpegFile.h"
#include "image/PictureFile.h"

namespace zelvo {
namespace {

using test::TempDir;

using test::Zelvo;

TBitmap24 Colours() {
  TBitmap24 b(37, 23);
  for (std::size_t i = 0; i < b.ByteCount(); ++i) b.Pixels()[i] = static_cast<std::uint8_t>(i * 7 + i / 111);
  return b;
}

TEST(PictureCli, ApplyGivesWhatEachColourGives) {
  TempDir dir;
  const TBitmap24 source = Colours();
  const std::string picture = dir.Write("in.bmp", EncodeBmp(source));
  TLUT identity, graded;
  test::FillIdentity3D(identity, 33);
  test::FillSample3D(graded, 17);
  SaveLUTFile(dir.File("identity.cube"), identity, test::Profile("Cube 3D Davinci"));
  SaveLUTFile(dir.File("graded.cube"), graded, test::Profile("Cube 3D Davinci"));

  ASSERT_EQ(Zelvo({"apply", dir.File("identity.cube"), picture, "-o", dir.File("same.bmp")}).status, 0);
  const TBitmap24 same = LoadPicture(dir.File("same.bmp"));
  EXPECT_EQ(std::string(same.Pixels(), same.Pixels() + same.ByteCount()),
            std::string(source.Pixels(), source.Pixels() + source.ByteCount()));

  ASSERT_EQ(Zelvo({"apply", dir.File("graded.cube"), picture, "-o", dir.File("out.bmp")}).status, 0);
  TLUT read;  // the table as the file holds it
  LoadLUTFile(dir.File("graded.cube"), read);
  const TBitmap24 out = LoadPicture(dir.File("out.bmp"));
  for (int y = 0; y < out.Height(); ++y)
    for (int x = 0; x < out.Width(); ++x) {
      const std::uint8_t* p = source.At(x, y);
      TColorValue want;
      ApplyLUTToColor(read, {p[2], p[1], p[0], 8}, want);
      const std::uint8_t* q = out.At(x, y);
      ASSERT_EQ((TColorValue{q[2], q[1], q[0], 8}), want) << x << "," << y;
    }
  // A JPEG output decodes to the picture's size.
  ASSERT_EQ(Zelvo({"apply", dir.File("graded.cube"), picture, "-o", dir.File("out.jpg")}).status, 0);
  EXPECT_EQ(LoadPicture(dir.File("out.jpg")).Width(), 37);
  // A picture stored on its side (an EXIF block in an APP1 marker after the
  // start) is written upright, as the preview shows it.
  const std::string exif = test::ExifBlock(6);
  const std::size_t length = exif.size() + 2;
  std::string sideways = EncodeJpeg(source, 95);
  sideways.insert(2, "\xFF\xE1" + std::string{static_cast<char>(length >> 8), static_cast<char>(length & 255)} + exif);
  ASSERT_EQ(Zelvo({"apply", dir.File("identity.cube"), dir.Write("side.jpg", sideways), "-o", dir.File("up.bmp")}).status, 0);
  const TBitmap24 up = LoadPicture(dir.File("up.bmp"));
  EXPECT_EQ(up.Width(), 23);
  EXPECT_EQ(up.Height(), 37);
}

TEST(PictureCli, ApplyRefusals) {
  TempDir dir;
  const std::string picture = dir.Write("in.bmp", EncodeBmp(Colours()));
  const std::string lut = dir.Write("a.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  const std::string existing = dir.Write("old.bmp", "keep me");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"apply", lut, picture, "-o", dir.File("out.gif")}, 2, "Pictures are written as JPEG"},
      {{"apply", lut, picture, "-o", picture}, 1, "is the input"},
      {{"apply", lut, picture, "-o", existing}, 1, "pass --overwrite"},
      {{"apply", dir.Write("point.cube", "LUT_3D_SIZE 1\n0.5 0.5 0.5\n"), picture, "-o", dir.File("x.bmp")}, 1,
       "fewer than 2 points"},
      {{"apply", dir.Write("notes.txt", "hello"), picture, "-o", dir.File("x.bmp")}, 1, "not a LUT file"},
      {{"apply", lut, dir.Write("cut.bmp", EncodeBmp(Colours()).substr(0, 500)), "-o", dir.File("x.bmp")},
       1,
       "cut.bmp: The Windows bitmap is incomplete"},
      {{"apply", lut, picture, "-o", dir.File("no/such/folder/x.bmp")}, 1, "Cannot create file"},
  };
  for (const Case& c : cases) {
    const test::CliRun run = Zelvo(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(test::ReadAll(existing), "keep me");
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.bmp")));
  EXPECT_EQ(Zelvo({"apply", lut, picture, "-o", existing, "--overwrite"}).status, 0);
  EXPECT_EQ(LoadPicture(existing).Height(), 23);
}

// A real display profile of a Debian package (installed by scripts/bootstrap.sh).
const char* const kRealProfile = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";

TEST(PictureCli, IccWritesTheDialogsLUT) {
  ASSERT_TRUE(std::filesystem::exists(kRealProfile)) << "scripts/bootstrap.sh installs icc-profiles-free";
  TempDir dir;
  const test::CliRun run = Zelvo({"icc", kRealProfile, "-p", "Cube 3D Davinci", "--size", "17", "-o", dir.File("a.cube")});
  ASSERT_EQ(run.status, 0) << run.err;
  TLUT written;
  LoadLUTFile(dir.File("a.cube"), written);
  TICCConvertSettings s;
  s.Profile = kRealProfile;
  const TLUT built = BuildICCLUT(BuildICCConvertTransform(s), test::Profile("Cube 3D Davinci"), "17");
  ASSERT_EQ(written.Size3D(), 17);
  EXPECT_LE(test::MaxDifference3D(written, built, 17), 5e-7);  // six decimals
  EXPECT_LT(written.Table3D(16, 0, 0).R, 0.9);  // sRGB red lies inside the wider space

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::string out = dir.File("b.cube");
  const Case cases[] = {
      {{"icc", kRealProfile, "-p", "Cube 3D Davinci", "--size", "1", "-o", out}, 2, "A size of 1 is not supported"},
      {{"icc", kRealProfile, "-p", "Cube 3D Davinci", "--size", "257", "-o", out}, 2, "2 to 256"},
      {{"icc", kRealProfile, "-p", "3DL Fusion", "--size", "17", "-o", out}, 2, "fixed size of 33"},
      {{"icc", kRealProfile, "-p", "Cube 3D Davinci", "-o", dir.File("a.cube")}, 1, "pass --overwrite"},
      {{"icc", "/usr/share/color/icc/Gray.icc", "--invert", "-p", "Cube 3D Davinci", "-o", out}, 1,
       "its LUT is a soft proof, RGB to GRAY and back"},
  };
  for (const Case& c : cases) {
    const test::CliRun r = Zelvo(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  // Inverted, to a 1D format at a chosen depth.
  ASSERT_EQ(Zelvo({"icc", kRealProfile, "--invert", "-p", "Autodesk Lustre 1D", "--size", "1024", "--bits", "12", "-o",
                   dir.File("c.lut")})
                .status,
            0);
  TLUT curve;
  LoadLUTFile(dir.File("c.lut"), curve);
  EXPECT_EQ(curve.Size1D(), 1024);
  // A profile that writes 1D tables through a format of both kinds (CLF 1D)
  // gets a 1D table of its own sizes, never a 3D grid.
  for (const auto& [size, expected] : {std::pair<const char*, int>{"Default", 4096}, {"1024", 1024}}) {
    const std::string clf = dir.File(std::string("d") + size + ".clf");
    const test::CliRun r = Zelvo({"icc", kRealProfile, "-p", "Academy/ASC CLF 1D", "--size", size, "-o", clf});
    ASSERT_EQ(r.status, 0) << r.err;
    TLUT one;
    LoadLUTFile(clf, one);
    EXPECT_EQ(one.Kind, TLUTKind::lk1D) << size;
    EXPECT_EQ(one.Size1D(), expected) << size;
  }
  // A device that is not RGB gives a soft proof: here every colour comes back grey.
  ASSERT_EQ(Zelvo({"icc", "/usr/share/color/icc/Gray.icc", "-p", "Cube 3D Davinci", "--size", "5", "-o", out}).status, 0);
  TLUT proof;
  LoadLUTFile(out, proof);
  EXPECT_EQ(proof.Table3D(4, 1, 0).R, proof.Table3D(4, 1, 0).B);
  EXPECT_GT(proof.Table3D(4, 1, 0).R, proof.Table3D(0, 1, 0).R);
}

}  // namespace
}  // namespace zelvo
