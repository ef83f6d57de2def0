// Identity LUTs in every output profile: what is written reads back as the
// identity, within what the profile's depth holds, at the size asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "TestFormats.h"
#include "convert/IdentityLUT.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

TEST(IdentityLUT, EveryProfileWritesAnIdentityThatReadsBack) {
  test::TempDir dir;
  for (const auto& profile : OutputProfiles()) {
    SCOPED_TRACE(profile->Caption);
    const TLUTFormat& format = FormatOfProfile(*profile);
    ConversionSettings settings;
    settings.OutputProfile = profile.get();
    // Image LUTs at a small size of their own, the others at their default.
    if (!profile->Sizes.empty()) settings.SizeText = std::to_string(profile->Sizes[1]);
    else if (profile->Id == TOutputProfileId::OCIORasterExr) settings.SizeText = "9";
    const std::string file = dir.File("identity" + std::to_string(static_cast<int>(profile->Id)) + "." +
                                      profile->Extension);
    WriteIdentityLUT(settings, file);
    if (format.ReadBackAs() == TLUTFormatId::None) continue;  // no reader knows its files
    TLUT back;
    LoadLUTFile(file, back);
    ASSERT_EQ(back.FormatIndex, format.ReadBackAs());
    const int size = ResolveGridSize(settings.SizeText, *profile);
    // A device link reads as the colour engine's transform, not as a grid.
    if (back.Kind != TLUTKind::lkChain) {
      ASSERT_EQ(profile->Is3D ? back.Size3D() : back.Size1D(), size);
    }
    const double step = profile->Id == TOutputProfileId::ICCDeviceLink3D ? 3.0 / 65535  // the engine's fixed point
                        : profile->DefaultBits > 0 && profile->DefaultBits < 32
                            ? 0.5 / (std::ldexp(1.0, profile->DefaultBits) - 1) + 1e-9
                            : 1e-5;  // decimals: five places at the least (HDLink writes thousandths with two)
    // An identity is linear: its table gives every colour between its points too.
    for (int i = 0; i < size; ++i) {
      const double x = static_cast<double>(i) / (size - 1);
      const TColor c = EvaluateLUT(back, TColor{x, 1.0 - x, x * x});
      EXPECT_LE(std::max({std::fabs(c.R - x), std::fabs(c.G - (1.0 - x)), std::fabs(c.B - x * x)}), step) << x;
    }
  }
  // The settings are checked as a conversion checks them; nothing is written then.
  ConversionSettings settings;
  settings.OutputProfile = &OutputProfileOf(TOutputProfileId::HaldPng);
  settings.SizeText = "10";
  EXPECT_NE(test::ErrorOf([&] { WriteIdentityLUT(settings, dir.File("a.png")); }).find("A size of 10"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.png")));
}

}  // namespace
}  // namespace zelvo
