// A correction converted to 3D and 1D profiles follows the CDL transfer
// function at the grid points of the target.
#include <gtest/gtest.h>

#include <cmath>

#include "TestFormats.h"
#include "convert/ConvertJob.h"
#include "formats/CDLLib.h"

namespace zelvo {
namespace {

using test::TempDir;

std::string Correction(const std::string& slope, const std::string& offset, const std::string& power,
                       const std::string& sat) {
  return "<ColorCorrection id=\"shot_010\">\n  <SOPNode>\n    <Slope>" + slope + "</Slope>\n    <Offset>" + offset +
         "</Offset>\n    <Power>" + power + "</Power>\n  </SOPNode>\n  <SatNode>\n    <Saturation>" + sat +
         "</Saturation>\n  </SatNode>\n</ColorCorrection>\n";
}

TEST(ASCCDL, ConvertsToThreeDAndOneDProfiles) {
  TempDir dir;
  const std::string source = dir.Write("grade.cc", Correction("1.2 1 0.8", "0.05 0 -0.02", "1 1.2 0.9", "0.9"));
  TCDLData cdl;
  ReadCDL(test::ReadAll(source), cdl);
  const auto expected = [&](double x) {
    float r, g, b;
    ApplyCDL(cdl, static_cast<float>(x), static_cast<float>(x), static_cast<float>(x), r, g, b);
    return TLUTEntry{r, g, b};
  };

  const std::pair<const char*, int> profiles[] = {{"Cube 3D Davinci", 33}, {"Clipster 3D", 17}, {"Cube 1D", 4096},
                                                   {"S.two 1D", 1024}};
  for (const auto& [caption, size] : profiles) {
    const TLutOutputProfile& profile = *OutputProfileByCaption(caption);
    const std::string target = dir.File("grade." + profile.Extension);
    ConvertFile(ConversionSettings{dir.path().string(), &profile, "Default", -1}, source, target);
    TLUT out;
    LoadLUTFile(target, out);
    ASSERT_EQ(out.FormatIndex, profile.FormatIndex) << caption;
    // Grey inputs on the target's grid, against the transfer function itself.
    const double tolerance = profile.DefaultBits > 0 ? 1.0 / (std::ldexp(1.0, profile.DefaultBits) - 1) : 2e-6;
    for (int i = 0; i < size; i += size / 8) {
      const double x = static_cast<double>(i) / (size - 1);
      const TLUTEntry e = expected(x);
      const TLUTEntry got = profile.Is3D ? out.Table3D(i, i, i) : out.Table1D(i);
      // Between the 33 points of the correction's grid the conversion interpolates.
      const double t = (size == 33 ? tolerance : tolerance + 2e-3);
      EXPECT_NEAR(got.R, std::min(e.R, profile.DefaultBits > 0 ? 1.0 : e.R), t) << caption << " " << i;
      EXPECT_NEAR(got.G, std::min(e.G, profile.DefaultBits > 0 ? 1.0 : e.G), t) << caption << " " << i;
      EXPECT_NEAR(got.B, std::min(e.B, profile.DefaultBits > 0 ? 1.0 : e.B), t) << caption << " " << i;
    }
  }
}

}  // namespace
}  // namespace zelvo
