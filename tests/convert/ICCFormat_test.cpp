// ICC profiles as LUT files: a profile converts to the file the ICC
// conversion writes, byte for byte; evaluating one is the engine's transform
// at 16-bit codes; device links written by us are read by the engine as the
// table they hold.
#include <gtest/gtest.h>

#include <lcms2.h>

#include <cmath>
#include <filesystem>

#include "ICCTestProfiles.h"
#include "TestFormats.h"
#include "base/Errors.h"
#include "convert/ConvertJob.h"
#include "convert/ICCConversion.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::TempDir;

class ICCFormat : public ::testing::Test {
 protected:
  static std::string Save(cmsHPROFILE h, const std::string& path) {
    EXPECT_TRUE(test::SaveICCProfile(h, path));
    return path;
  }
  void SetUp() override {
    display = Save(test::Display22Profile(), dir.File("display.icm"));
    scanner = Save(test::SRGBProfileOfClass(cmsSigInputClass), dir.File("scanner.pf"));
    link = Save(test::DeviceLinkProfile(test::Display22Profile(), cmsCreate_sRGBProfile()), dir.File("link.icc"));
  }
  static ConversionSettings Settings(const std::string& folder, const char* caption, const std::string& size) {
    return ConversionSettings{folder, &test::Profile(caption), size, -1};
  }
  // The file the ICC conversion writes and the one the conversion job writes
  // from the profile as a source.
  std::pair<std::string, std::string> BothWays(const std::string& profile, const char* caption, const std::string& size) {
    const TLutOutputProfile& p = test::Profile(caption);
    TICCConvertSettings s;
    s.Profile = profile;
    s.OutputProfile = &p;
    s.SizeText = size;
    s.LUTFile = dir.File("dialog." + p.Extension);
    ConvertICCProfile(s);
    const std::string job = dir.File("job." + p.Extension);
    ConvertFile(Settings(dir.path().string(), caption, size), profile, job);
    return {test::ReadAll(s.LUTFile), test::ReadAll(job)};
  }

  TempDir dir;
  std::string display, scanner, link;
};

TEST_F(ICCFormat, ConvertsToTheFileTheICCConversionWrites) {
  struct Case {
    const std::string* profile;
    const char* caption;
    const char* size;
  };
  // 7 and 3 points put inputs on halves of a code, which go to even.
  const Case cases[] = {{&display, "Cube 3D Davinci", "Default"}, {&display, "Cube 3D Davinci", "7"},
                        {&scanner, "3DL Scratch, Autodesk, Blackmagic, Cine-tal", "Default"},
                        {&link, "Cube 3D Davinci", "3"},          {&display, "Cube 1D", "Default"},
                        {&link, "Autodesk Lustre 1D", "1023"}};
  for (const Case& c : cases) {
    const auto [dialog, job] = BothWays(*c.profile, c.caption, c.size);
    EXPECT_GT(dialog.size(), 100u);
    EXPECT_TRUE(dialog == job) << *c.profile << " as " << c.caption << " " << c.size;
  }
}

TEST_F(ICCFormat, EvaluatesTheEnginesTransformAtSixteenBitCodes) {
  TLUT lut;
  LoadLUTFile(display, lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::ICCProfile);
  ASSERT_EQ(lut.Kind, TLUTKind::lkChain);
  EXPECT_EQ(DescribeLUT(lut).front(), "Type: ICC profile transform");
  EXPECT_EQ(DescribeLUT(lut)[1], "Profile: Display Device Profile, from sRGB to the device");
  EXPECT_TRUE(lut.Comments.empty());

  TICCTransformSettings settings;
  settings.Profile = display;
  const TICCTransform engine = BuildICCConvertTransform(settings);
  const double step = 1.0 / 65535;
  // On codes, a third of a code off them (rounded to the nearest), and
  // outside 0..1 (taken at the nearer end).
  const std::vector<TColor> in = {{0.25, 0.5, 0.75},     {1234 * step, 40000 * step, 65534 * step},
                                  {(7 + 1.0 / 3) * step, (9 - 1.0 / 3) * step, 0.5 * step},
                                  {-0.5, 1.5, NAN}};
  const std::vector<TRGB16> codes = {{16384, 32768, 49151}, {1234, 40000, 65534}, {7, 9, 0}, {0, 65535, 0}};
  std::vector<TColor> out(in.size());
  EvaluateLUTSpan(lut, in.data(), out.data(), in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    TRGB16 want;
    ASSERT_TRUE(TranslateRGB16(engine, codes[i], want));
    EXPECT_EQ(out[i], (TColor{want.R / 65535.0, want.G / 65535.0, want.B / 65535.0})) << i;
  }
}

TEST_F(ICCFormat, KnownByItsSignatureAndRefusedWithTheConversionsMessages) {
  const std::string bytes = test::ReadAll(display);
  for (const char* name : {"a.icc", "a.ICM", "a.pf", "a.cube", "a.txt"}) {
    EXPECT_EQ(DetectLUTFormat(TLUTSource(name, bytes)), TLUTFormatId::ICCProfile) << name;
  }
  std::string moved = bytes;
  moved.replace(36, 4, "acsq");
  EXPECT_NE(DetectLUTFormat(TLUTSource("a.icc", moved)), TLUTFormatId::ICCProfile);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("a.icc", bytes.substr(0, 127))), TLUTFormatId::None);

  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  const std::string grey = Save(cmsCreateGrayProfile(cmsD50_xyY(), gamma), dir.File("grey.icc"));
  cmsFreeToneCurve(gamma);
  struct Case {
    std::string bytes;
    std::string message;
  };
  const Case cases[] = {
      {test::ReadAll(Save(test::AbstractProfile(), dir.File("abstract.icc"))),
       "class \"Abstract Profile\" (abst); this profile class cannot be turned into a LUT"},
      // A display whose only table runs from the device: nothing maps sRGB onto it.
      {test::ReadAll(Save(test::IdentityTableProfile(cmsSigDisplayClass, cmsSigLabData), dir.File("f.icc"))),
       "No colour transform can be built"},
      {bytes.substr(0, 200), "cannot be read as an ICC profile"},
      {std::string(36, 'x') + "acsp" + std::string(100, '\0'), "cannot be read as an ICC profile"},
  };
  // A grey display is a device of another space than RGB: a soft proof, as
  // the ICC conversion makes it.
  TLUT proof;
  LoadLUT(TLUTSource("grey.icc", test::ReadAll(grey)), proof);
  const TLUTEntry red = EvaluateLUT(proof, TLUTEntry{1, 0, 0});
  EXPECT_NEAR(red.R, red.G, 1e-3);  // shown in greys
  for (const Case& c : cases) {
    TLUT lut;
    const std::string error = test::ErrorOf([&] { LoadLUT(TLUTSource("p.icc", c.bytes), lut); });
    EXPECT_EQ(error.find("\"p.icc\""), error.find('"')) << error;  // named by the source
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(lut.FormatIndex, TLUTFormatId::None);
  }
}

// Our device link, read by the engine: at every grid point its transform
// gives the table within 1.5 code steps of 16 bits, and our ICC reader reads
// it back as that table.
TEST_F(ICCFormat, DeviceLinksHoldTheTableForTheEngine) {
  const TLutOutputProfile& profile = test::Profile("ICC Device Link 3D");
  EXPECT_EQ(LargestSize(profile), 255);
  for (const int n : {2, 17, 33}) {
    TLUT lut;
    lut.Kind = TLUTKind::lk3D;
    test::FillSample3D(lut, n);
    if (n == 17) lut.Comments = {"Print look", "second line"};
    const std::string file = dir.File("link" + std::to_string(n) + ".icc");
    SaveLUTFile(file, lut, profile);

    cmsHPROFILE h = cmsOpenProfileFromFile(file.c_str(), "r");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(cmsGetDeviceClass(h), cmsSigLinkClass);
    EXPECT_GE(cmsGetProfileVersion(h), 4.0);
    char text[64] = {};
    cmsGetProfileInfoASCII(h, cmsInfoDescription, "en", "US", text, sizeof text);
    EXPECT_STREQ(text, n == 17 ? "Print look" : ("link" + std::to_string(n)).c_str());
    cmsHTRANSFORM t = cmsCreateTransform(h, TYPE_RGB_16, nullptr, TYPE_RGB_16, INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
    ASSERT_NE(t, nullptr);
    TLUT back;
    LoadLUTFile(file, back);
    double engine_worst = 0.0, back_worst = 0.0;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) {
          const auto code = [n](int i) { return ICCInputCode(static_cast<double>(i) / (n - 1)); };
          const cmsUInt16Number in[3] = {code(r), code(g), code(b)};
          const TColor at{in[0] / 65535.0, in[1] / 65535.0, in[2] / 65535.0};
          // Our evaluation at the code the grid point is sampled at.
          const TColor e = EvaluateLUT(lut, at);
          cmsUInt16Number out[3];
          cmsDoTransform(t, in, out, 1);
          const TColor ours = EvaluateLUT(back, at);
          engine_worst = std::max({engine_worst, std::fabs(out[0] - e.R * 65535), std::fabs(out[1] - e.G * 65535),
                                   std::fabs(out[2] - e.B * 65535)});
          back_worst = std::max({back_worst, std::fabs(ours.R - e.R), std::fabs(ours.G - e.G), std::fabs(ours.B - e.B)});
        }
    cmsDeleteTransform(t);
    cmsCloseProfile(h);
    EXPECT_LE(engine_worst, 1.5) << n;
    EXPECT_LE(back_worst * 65535, 1.5) << n;
  }
}

// A profile converted to a device link, read back: the profile's own
// transform at every grid point, within two code steps (the table holds the
// codes exactly; the engine puts a grid point's code a little past the
// point, which in the steep cells of a gamma near black adds a step to its
// fixed-point rounding).
TEST_F(ICCFormat, ProfilesRoundTripThroughDeviceLinks) {
  for (const std::string* profile : {&display, &scanner, &link}) {
    const std::string written = dir.File("round.icc");
    ConvertFile(Settings(dir.path().string(), "ICC Device Link 3D", "17"), *profile, written);
    TLUT source, back;
    LoadLUTFile(*profile, source);
    LoadLUTFile(written, back);
    ASSERT_EQ(back.Kind, TLUTKind::lkChain);
    double worst = 0.0;
    for (int r = 0; r < 17; ++r)
      for (int g = 0; g < 17; ++g)
        for (int b = 0; b < 17; ++b) {
          const TColor in{r / 16.0, g / 16.0, b / 16.0};
          const TColor a = EvaluateLUT(source, in), c = EvaluateLUT(back, in);
          worst = std::max({worst, std::fabs(a.R - c.R), std::fabs(a.G - c.G), std::fabs(a.B - c.B)});
        }
    EXPECT_LE(worst * 65535, 2.0) << *profile;
    std::filesystem::remove(written);
  }
}

TEST_F(ICCFormat, DeviceLinksClipOutputsAndSaySo) {
  std::string text = "LUT_3D_SIZE 2\n";
  for (int i = 0; i < 8; ++i) text += i == 3 ? "1.5 -0.25 0.5\n" : "0.5 0.5 0.5\n";
  const std::string source = dir.Write("wide.cube", text);
  const std::string folder = dir.path().string();
  EXPECT_TRUE(ConvertFile(Settings(folder, "ICC Device Link 3D", "2"), source, dir.File("wide.icc")).OutputsClipped);
  EXPECT_FALSE(ConvertFile(Settings(folder, "Cube 3D Davinci", "2"), source, dir.File("wide2.cube")).OutputsClipped);
  TLUT back;
  LoadLUTFile(dir.File("wide.icc"), back);
  EXPECT_EQ(EvaluateLUT(back, TColor{1, 1, 0}), (TColor{1, 0, 32768 / 65535.0}));
  // The grid sizes are bytes of the profile.
  const std::uint16_t codes[3] = {};
  EXPECT_THROW(MakeDeviceLinkProfile(codes, 256, "x"), ELUTError);
  EXPECT_THROW(CheckSizeInRange(Settings(folder, "ICC Device Link 3D", "256")), EZelvoError);
}

}  // namespace
}  // namespace zelvo
