// The LUT a transform against the built-in sRGB gives is the colour engine's
// own transform, exactly: the sRGB profile is made in memory, not saved and
// read back (saving rounds its matrix to 16.16 fixed point).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ICCTestProfiles.h"
#include "TestSupport.h"
#include "icc/ICCConvert.h"

namespace zelvo {
namespace {

TEST(BuiltInSRGB, IsADisplayProfileOfRGB) {
  const TICCProfile srgb = OpenSRGBProfile();
  EXPECT_EQ(GetICCProfileClass(srgb), kICCDisplayClass);
  EXPECT_EQ(GetICCColorSpace(srgb), kICCRGBData);
}

// The engine's own 16-bit transform between the built-in sRGB and a display
// profile, perceptual and without optimisation, at the codes of a 17-point grid.
TEST(BuiltInSRGB, TablesEqualTheEnginesOwnTransformAtEveryGridPoint) {
  test::TempDir dir;
  const std::string displays[] = {dir.File("wide22.icc"), dir.File("lstar.icc")};
  ASSERT_TRUE(test::SaveICCProfile(test::Display22Profile(), displays[0]));
  // A second display: L* curves on the sRGB primaries, made with its own curve.
  {
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    const cmsFloat64Number params[] = {3.0, 1.0 / 1.16, 0.16 / 1.16, 1.0 / 9.033, 0.08};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, params);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    ASSERT_TRUE(test::SaveICCProfile(cmsCreateRGBProfile(&white, &primaries, curves), displays[1]));
    cmsFreeToneCurve(curve);
  }
  constexpr int n = 17;
  for (const std::string& display : displays) {
    for (const bool invert : {false, true}) {
      TICCTransformSettings settings;
      settings.Profile = display;
      settings.Invert = invert;
      const TLUT lut = BuildICCLUT(BuildICCConvertTransform(settings), TLUTKind::lk3D, n);

      cmsHPROFILE srgb = cmsCreate_sRGBProfile();
      cmsHPROFILE device = cmsOpenProfileFromFile(display.c_str(), "r");
      ASSERT_NE(device, nullptr);
      cmsHTRANSFORM engine =
          invert ? cmsCreateTransform(device, TYPE_RGB_16, srgb, TYPE_RGB_16, INTENT_PERCEPTUAL,
                                      cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE)
                 : cmsCreateTransform(srgb, TYPE_RGB_16, device, TYPE_RGB_16, INTENT_PERCEPTUAL,
                                      cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
      ASSERT_NE(engine, nullptr);
      int differing = 0;
      for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
          for (int b = 0; b < n; ++b) {
            const auto code = [](int i) { return static_cast<cmsUInt16Number>(std::nearbyint(i * 65535.0 / (n - 1))); };
            const cmsUInt16Number in[3] = {code(r), code(g), code(b)};
            cmsUInt16Number out[3];
            cmsDoTransform(engine, in, out, 1);
            const TLUTEntry& e = lut.Table3D(r, g, b);
            if (e.R != out[0] / 65535.0 || e.G != out[1] / 65535.0 || e.B != out[2] / 65535.0) ++differing;
          }
      EXPECT_EQ(differing, 0) << display << (invert ? " inverted" : "");
      cmsDeleteTransform(engine);
      cmsCloseProfile(device);
      cmsCloseProfile(srgb);
    }
  }
}

// Printers and other devices whose space is not RGB give a soft proof: RGB to
// the device and back, the engine's own proofing transform at every point of
// a grid, with sRGB or a second profile at both ends. It reads the device's
// colours back through its colorimetric table, so it differs from sending
// them through the device both ways perceptually.
TEST(SoftProof, TablesEqualTheEnginesProofingTransform) {
  test::TempDir dir;
  const std::string cmyk = dir.File("printer.icc"), wide = dir.File("wide22.icc"), grey = dir.File("grey.icc");
  ASSERT_TRUE(test::SaveICCProfile(test::CMYKPrinterProfile(), cmyk));
  ASSERT_TRUE(test::SaveICCProfile(test::Display22Profile(), wide));
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  ASSERT_TRUE(test::SaveICCProfile(cmsCreateGrayProfile(cmsD50_xyY(), gamma), grey));
  cmsFreeToneCurve(gamma);
  EXPECT_TRUE(IsSoftProof(kICCOutputClass, ICCSignature("CMYK")));
  EXPECT_TRUE(IsSoftProof(kICCDisplayClass, ICCSignature("GRAY")));
  EXPECT_FALSE(IsSoftProof(kICCOutputClass, kICCRGBData));
  EXPECT_FALSE(IsSoftProof(kICCLinkClass, ICCSignature("CMYK")));
  EXPECT_EQ(SoftProofText(ICCSignature("CMYK")), "Soft proof: RGB to CMYK and back");

  struct Case {
    std::string device, second;  // second: empty for the built-in sRGB
  };
  constexpr int n = 9;
  const auto code = [](int i) { return static_cast<cmsUInt16Number>(std::nearbyint(i * 65535.0 / (n - 1))); };
  for (const Case& c : {Case{cmyk, ""}, Case{cmyk, wide}, Case{grey, ""}}) {
    TICCTransformSettings settings;
    settings.Profile = c.device;
    settings.SecondProfile = c.second;
    const TLUT lut = BuildICCLUT(BuildICCConvertTransform(settings), TLUTKind::lk3D, n);

    cmsHPROFILE rgb = c.second.empty() ? cmsCreate_sRGBProfile() : cmsOpenProfileFromFile(c.second.c_str(), "r");
    cmsHPROFILE device = cmsOpenProfileFromFile(c.device.c_str(), "r");
    cmsHTRANSFORM proof = cmsCreateProofingTransform(rgb, TYPE_RGB_16, rgb, TYPE_RGB_16, device, INTENT_PERCEPTUAL,
                                                     INTENT_RELATIVE_COLORIMETRIC,
                                                     cmsFLAGS_SOFTPROOFING | cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    // The device twice: once as the output of the first link, once as the input of the second.
    cmsHPROFILE chain[4] = {rgb, device, device, rgb};
    cmsHTRANSFORM both_ways = cmsCreateMultiprofileTransform(chain, 4, TYPE_RGB_16, TYPE_RGB_16, INTENT_PERCEPTUAL,
                                                             cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    ASSERT_NE(proof, nullptr);
    ASSERT_NE(both_ways, nullptr);
    int differing = 0, unlike_both_ways = 0;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) {
          const cmsUInt16Number in[3] = {code(r), code(g), code(b)};
          cmsUInt16Number out[3], other[3];
          cmsDoTransform(proof, in, out, 1);
          cmsDoTransform(both_ways, in, other, 1);
          const TLUTEntry& e = lut.Table3D(r, g, b);
          if (e.R != out[0] / 65535.0 || e.G != out[1] / 65535.0 || e.B != out[2] / 65535.0) ++differing;
          if (out[0] != other[0] || out[1] != other[1] || out[2] != other[2]) ++unlike_both_ways;
        }
    EXPECT_EQ(differing, 0) << c.device << " " << c.second;
    if (c.device == cmyk) {
      EXPECT_GT(unlike_both_ways, n * n * n / 2) << c.second;
      // The printer's paper is darker than the display's white.
      EXPECT_LT(lut.Table3D(n - 1, n - 1, n - 1).G, 0.99) << c.second;
    }
    cmsDeleteTransform(both_ways);
    cmsDeleteTransform(proof);
    cmsCloseProfile(device);
    cmsCloseProfile(rgb);
  }

  // Nothing to invert; a second profile must be RGB like any other.
  TICCTransformSettings inverted;
  inverted.Profile = cmyk;
  inverted.Invert = true;
  const std::string refusal = test::ErrorOf([&] { BuildICCConvertTransform(inverted); });
  EXPECT_EQ(refusal.rfind(kInversionImpossible, 0), 0u) << refusal;
  EXPECT_NE(refusal.find("soft proof, RGB to CMYK and back"), std::string::npos) << refusal;
  TICCTransformSettings grey_ends;
  grey_ends.Profile = cmyk;
  grey_ends.SecondProfile = grey;
  EXPECT_NE(test::ErrorOf([&] { BuildICCConvertTransform(grey_ends); }).find("describes GRAY colours"),
            std::string::npos);
}

// The codes a grid is sampled at: i x 65535 / (N - 1) rounded in integers,
// halves to even, for every grid and 1D length up to the largest built.
TEST(ICCInputCode, GridPositionsGetTheExactCodes) {
  int wrong = 0;
  const auto check = [&wrong](std::int64_t steps) {
    for (std::int64_t i = 0; i <= steps; ++i) {
      std::int64_t q = 2 * i * 65535 / (2 * steps);
      const std::int64_t rest = 2 * i * 65535 - q * 2 * steps;
      if (rest > steps || (rest == steps && (q & 1) != 0)) ++q;
      if (ICCInputCode(static_cast<double>(i) / static_cast<double>(steps)) != q) ++wrong;
    }
  };
  for (std::int64_t n = 2; n <= 256; ++n) check(n - 1);
  for (const std::int64_t m : {1023, 1024, 4095, 4096, 65536, 99999}) check(m - 1);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(ICCInputCode(-0.5), 0);
  EXPECT_EQ(ICCInputCode(NAN), 0);
  EXPECT_EQ(ICCInputCode(1.5), 65535);
  EXPECT_EQ(ICCInputCode(2.4 / 65535), 2);
  EXPECT_EQ(ICCInputCode(2.6 / 65535), 3);
}

}  // namespace
}  // namespace zelvo
