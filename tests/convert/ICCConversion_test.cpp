#include <gtest/gtest.h>

#include <lcms2.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <cstdlib>

#include "ICCTestProfiles.h"
#include "TestFormats.h"
#include "convert/ICCConversion.h"
#include "base/Errors.h"

namespace zelvo {
namespace {

using test::TempDir;

// Profiles made with the engine itself, saved into a test folder.
class ICCProfiles : public ::testing::Test {
 protected:
  static std::string Save(cmsHPROFILE h, const std::string& path) {
    EXPECT_TRUE(test::SaveICCProfile(h, path));
    return path;
  }

  void SetUp() override {
    srgb = kBuiltInSRGB;
    display = Save(test::Display22Profile(), dir.File("display.icm"));
    scanner = Save(test::SRGBProfileOfClass(cmsSigInputClass), dir.File("scanner.icc"));
    printer = Save(test::SRGBProfileOfClass(cmsSigOutputClass), dir.File("printer.icc"));
    link = Save(test::DeviceLinkProfile(test::Display22Profile(), cmsCreate_sRGBProfile()), dir.File("link.icc"));
    identity_link = Save(test::IdentityTableProfile(cmsSigLinkClass, cmsSigRgbData), dir.File("identity.icc"));
    forward_only = Save(test::IdentityTableProfile(cmsSigInputClass, cmsSigLabData), dir.File("forward.icc"));
    abstract = Save(test::AbstractProfile(), dir.File("abstract.icc"));
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    grey = Save(cmsCreateGrayProfile(cmsD50_xyY(), gamma), dir.File("grey.icc"));
    cmsFreeToneCurve(gamma);
  }

  // The engine's own sRGB, in memory, where the conversion takes it.
  static constexpr const char* kBuiltInSRGB = "(built-in sRGB)";
  static cmsHPROFILE Open(const std::string& name) {
    return name == kBuiltInSRGB ? cmsCreate_sRGBProfile() : cmsOpenProfileFromFile(name.c_str(), "r");
  }

  // The engine's own transform between two profiles, as the layer builds it.
  static std::vector<TRGB16> Direct(const std::string& from, const std::string& to, const std::vector<TRGB16>& in) {
    cmsHPROFILE a = Open(from);
    cmsHPROFILE b = to.empty() ? nullptr : Open(to);
    cmsHPROFILE chain[2] = {a, b};
    cmsHTRANSFORM t = cmsCreateMultiprofileTransform(chain, b ? 2 : 1, TYPE_RGB_16, TYPE_RGB_16, INTENT_PERCEPTUAL,
                                                     cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    EXPECT_NE(t, nullptr);
    std::vector<TRGB16> out(in.size());
    cmsDoTransform(t, in.data(), out.data(), static_cast<cmsUInt32Number>(in.size()));
    cmsDeleteTransform(t);
    cmsCloseProfile(a);
    if (b) cmsCloseProfile(b);
    return out;
  }

  static std::vector<TRGB16> Colors() {
    std::vector<TRGB16> c;
    for (std::uint16_t r : {0, 9000, 40000, 65535})
      for (std::uint16_t g : {0, 30000, 65535})
        for (std::uint16_t b : {0, 12345, 65535}) c.push_back({r, g, b});
    return c;
  }

  static std::vector<TRGB16> Through(const TICCTransform& t, std::vector<TRGB16> c) {
    TranslateRGB16Span(t, c.data(), c.data(), c.size());
    return c;
  }

  static TICCConvertSettings Settings(const std::string& profile, const std::string& second = "", bool invert = false,
                                      const char* output = "Cube 3D Davinci", const std::string& size = "Default") {
    TICCConvertSettings s;
    s.Profile = profile;
    s.SecondProfile = second;
    s.Invert = invert;
    s.OutputProfile = &test::Profile(output);
    s.SizeText = size;
    return s;
  }

  TempDir dir;
  std::string srgb, display, scanner, printer, link, identity_link, forward_only, abstract, grey;
};

TEST_F(ICCProfiles, ClassesAndTheirNames) {
  EXPECT_EQ(GetICCProfileClass(OpenICCProfile(display)), kICCDisplayClass);
  EXPECT_EQ(GetICCProfileClass(OpenICCProfile(scanner)), kICCInputClass);
  EXPECT_EQ(GetICCProfileClass(OpenICCProfile(link)), kICCLinkClass);
  EXPECT_EQ(GetICCProfileClass(OpenICCProfile(abstract)), kICCAbstractClass);
  EXPECT_EQ(kICCDisplayClass, 0x6D6E7472u);
  std::vector<std::string> names;
  for (const char* s : {"scnr", "mntr", "prtr", "link", "spac", "abst", "nmcl", "xyzw"}) {
    char sig[5] = {s[0], s[1], s[2], s[3], 0};
    names.push_back(ICCProfileClassName(ICCSignature(sig)));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Input Device Profile", "Display Device Profile", "Output Device Profile",
                                             "Device Link Profile", "Color Space Conversion Profile",
                                             "Abstract Profile", "Named Color Profile", "Unknown"}));
  EXPECT_EQ(ProfileTypeText(kICCLinkClass), "Profile Type: Device Link Profile");
  EXPECT_EQ(SecondProfileCaption(kICCInputClass), "Output Color Space");
  EXPECT_EQ(SecondProfileCaption(kICCOutputClass), "Input Color Space");
  EXPECT_TRUE(TakesSecondProfile(kICCOutputClass));
  EXPECT_FALSE(TakesSecondProfile(kICCLinkClass));
}

TEST_F(ICCProfiles, TransformsRunByClass) {
  struct Case {
    TICCConvertSettings settings;
    std::string from, to;  // the engine's transform they must give
  };
  const Case cases[] = {
      {Settings(display), srgb, display},
      {Settings(display, "", true), display, srgb},
      {Settings(display, scanner), scanner, display},
      {Settings(scanner), scanner, srgb},
      {Settings(scanner, "", true), srgb, scanner},
      {Settings(link), link, ""},
      {Settings(printer), srgb, printer},
      {Settings(printer, display, true), printer, display},
  };
  for (const Case& c : cases) {
    const TICCTransform t = BuildICCConvertTransform(c.settings);
    EXPECT_EQ(Through(t, Colors()), Direct(c.from, c.to, Colors())) << c.settings.Profile << " " << c.settings.Invert;
  }
  // The test picture: bytes x 256 in, the top 8 bits out.
  TBitmap24 picture(4, 3);
  for (std::size_t i = 0; i < picture.ByteCount(); ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(i * 21);
  const TBitmap24 shown = PreviewICCProfile(Settings(display), picture);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const std::uint8_t* p = picture.At(x, y);
      const TRGB16 want = Direct(srgb, display, {{static_cast<std::uint16_t>(p[2] * 256), static_cast<std::uint16_t>(p[1] * 256),
                                                  static_cast<std::uint16_t>(p[0] * 256)}})[0];
      EXPECT_EQ(shown.At(x, y)[2], want.R >> 8);
      EXPECT_EQ(shown.At(x, y)[1], want.G >> 8);
      EXPECT_EQ(shown.At(x, y)[0], want.B >> 8);
    }
}

TEST_F(ICCProfiles, LUTsHoldTheEngineAtEveryGridPoint) {
  for (const int n : {17, 33}) {
    const TLUT lut = BuildICCLUT(BuildICCConvertTransform(Settings(display)), test::Profile("Cube 3D Davinci"), std::to_string(n));
    ASSERT_EQ(lut.Kind, TLUTKind::lk3D);
    ASSERT_EQ(lut.Size3D(), n);
    std::vector<TRGB16> in;
    const auto code = [n](int i) { return static_cast<std::uint16_t>(std::nearbyint(i * 65535.0 / (n - 1))); };
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) in.push_back({code(r), code(g), code(b)});
    const std::vector<TRGB16> out = Direct(srgb, display, in);
    std::size_t k = 0;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b, ++k) {
          ASSERT_EQ(lut.Table3D(r, g, b), (TLUTEntry{out[k].R / 65535.0, out[k].G / 65535.0, out[k].B / 65535.0}))
              << r << " " << g << " " << b;
        }
  }
  // A 1D format holds the response to grey inputs.
  const TLUT curve = BuildICCLUT(BuildICCConvertTransform(Settings(display)), test::Profile("Cube 1D"), "Default");
  ASSERT_EQ(curve.Kind, TLUTKind::lk1D);
  ASSERT_EQ(curve.Size1D(), 4096);
  for (const int i : {0, 1, 2048, 4095}) {
    const auto v = static_cast<std::uint16_t>(std::nearbyint(i * 65535.0 / 4095));
    const TRGB16 want = Direct(srgb, display, {{v, v, v}})[0];
    EXPECT_EQ(curve.Table1D(i), (TLUTEntry{want.R / 65535.0, want.G / 65535.0, want.B / 65535.0})) << i;
  }
  // Sampling with 65535 steps, halves to even: 7 points give 0, 10922.5, 21845,
  // 32767.5, 43690, 54612.5, 65535.
  const TLUT seven = BuildICCLUT(BuildICCConvertTransform(Settings(identity_link)), test::Profile("Cube 3D Davinci"), "7");
  EXPECT_EQ(seven.Table3D(1, 3, 5), (TLUTEntry{10922 / 65535.0, 32768 / 65535.0, 54612 / 65535.0}));
  EXPECT_EQ(seven.Table3D(6, 2, 0), (TLUTEntry{1.0, 21845 / 65535.0, 0.0}));
}

TEST_F(ICCProfiles, RefusalsSayWhy) {
  const std::string not_profile = dir.Write("notes.icc", "this is not a profile");
  const std::string cut = dir.Write("cut.icc", test::ReadAll(display).substr(0, 200));
  const std::string colour_space = Save(test::SRGBProfileOfClass(cmsSigColorSpaceClass), dir.File("space.icc"));
  const std::string named = Save(test::SRGBProfileOfClass(cmsSigNamedColorClass), dir.File("named.icc"));
  struct Case {
    TICCConvertSettings settings;
    std::string message;
  };
  const Case cases[] = {
      {Settings(not_profile), "cannot be read as an ICC profile"},
      {Settings(cut), "cannot be read as an ICC profile"},
      {Settings(dir.File("missing.icc")), "Cannot open file"},
      {Settings(link, srgb), "takes no second profile"},
      {Settings(link, "", true), kInversionImpossible},
      {Settings(abstract), "class \"Abstract Profile\" (abst); this profile class cannot be turned into a LUT"},
      {Settings(grey, "", true), "its LUT is a soft proof, RGB to GRAY and back"},
      {Settings(display, grey), "describes GRAY colours"},
      {Settings(display, dir.File("gone.icc")), "The second profile \"" + dir.File("gone.icc") + "\" does not exist"},
      {Settings(forward_only, "", true), kInversionImpossible},
      {Settings(colour_space),
       "class \"Color Space Conversion Profile\" (spac); this profile class cannot be turned into a LUT"},
      {Settings(named), "class \"Named Color Profile\" (nmcl); this profile class cannot be turned into a LUT"},
  };
  for (const Case& c : cases) {
    const std::string error = test::ErrorOf([&] { BuildICCConvertTransform(c.settings); });
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  // The engine's own words come with an engine failure.
  EXPECT_THROW(BuildICCConvertTransform(Settings(not_profile)), EOSError);
  const std::string engine_words = test::ErrorOf([&] { BuildICCConvertTransform(Settings(not_profile)); });
  EXPECT_EQ(engine_words.find("the colour engine cannot read it"), std::string::npos) << engine_words;
  EXPECT_NO_THROW(BuildICCConvertTransform(Settings(forward_only)));
  // The conversion dialog's size rules: sizes it does not build and text that
  // is no whole number are refused, never brought to another size or the default.
  struct Size {
    const char* profile;
    const char* text;
    int size;  // 0: refused
  };
  for (const Size& c : {Size{"Cube 3D Davinci", "0", 0}, Size{"Cube 3D Davinci", "1", 0},
                        Size{"Cube 3D Davinci", "257", 0}, Size{"Cube 3D Davinci", "abc", 0},
                        Size{"Cube 3D Davinci", "2", 2}, Size{"Cube 3D Davinci", "", 33},
                        Size{"Cube 3D Davinci", "Default", 33}, Size{"Autodesk Lustre 1D", "100000", 0},
                        Size{"Autodesk Lustre 1D", "99999", 99999}}) {
    if (c.size != 0) {
      EXPECT_EQ(ICCGridSize(test::Profile(c.profile), c.text), c.size) << c.text;
      continue;
    }
    const std::string refused = test::ErrorOf([&] { ICCGridSize(test::Profile(c.profile), c.text); });
    EXPECT_EQ(refused.rfind(std::string("A size of ") + c.text + " is not supported for", 0), 0u) << refused;
    TICCConvertSettings s = Settings(display, "", false, c.profile, c.text);
    s.LUTFile = dir.File("a.cube");
    EXPECT_THROW(ConvertICCProfile(s), EZelvoError);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.cube")));
}

TEST(ICCDialogRules, NamesSizesAndKeys) {
  struct Name {
    const char* path;
    const char* caption;
    const char* expected;
  };
  for (const Name& c : {Name{"/p/display.icc", "Cube 3D Davinci", "/p/display.cube"},
                        Name{"/p/a.swto.xml", "Cube 3D Davinci", "/p/a.cube"},
                        Name{"/p/a.cube", "S.two 1D", "/p/a.swto.xml"},
                        Name{"/p/my.profile.icm", "Colorfront OSD 1D", "/p/my.profile.1dlut"},
                        Name{"/p.d/noext", "3DL Fusion", "/p.d/noext.3dl"}}) {
    EXPECT_EQ(ICCOutputFileName(c.path, test::Profile(c.caption)), c.expected);
  }
  TICCConvertSettings s;
  s.Profile = "/p/a.icc";
  s.OutputProfile = &test::Profile("Cube 3D Davinci");
  EXPECT_FALSE(CanConvertICC(s));  // no file yet
  s.LUTFile = "/p/a.cube";
  EXPECT_TRUE(CanConvertICC(s));
}

}  // namespace
}  // namespace zelvo
