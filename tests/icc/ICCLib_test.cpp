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
