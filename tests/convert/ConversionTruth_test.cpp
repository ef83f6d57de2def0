// A conversion that succeeds wrote what the source means: through every output
// profile, the file read back holds the source at each of its grid points,
// within what the format can hold (half a code step, values it cannot hold
// clamped), over the inputs the source covers where the format can state them
// and over 0..1 elsewhere; and it is detected as the format that wrote it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "TestSupport.h"
#include "convert/ConvertJob.h"
#include "image/ImageLUTFormats.h"
#include "registry/Registry.h"
#include "base/StringLib.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

// What a profile's files hold of a value: the range and the step between two
// neighbouring written values.
struct THeld {
  double low = -std::numeric_limits<double>::infinity();
  double high = std::numeric_limits<double>::infinity();
  double step = 1e-6;  // six decimals
  // The file is read at 16-bit input codes (a device link): each point holds
  // the source at the code nearest to the input it stands for.
  bool codes_in = false;
};

THeld HeldBy(const TLutOutputProfile& profile) {
  THeld held;
  // Float pictures hold floats, unclamped.
  const auto own = std::ranges::find(profile.Depths, profile.DefaultBits, &TProfileDepth::Bits);
  if (own != profile.Depths.end() && own->Float) return held;
  if (profile.Id == TOutputProfileId::ICCDeviceLink3D) {
    // 16-bit codes, and the engine's fixed-point arithmetic: 1.5 code steps.
    held = THeld{0.0, 1.0, 3.0 / 65535, true};
  } else if (profile.DefaultBits > 0) {
    held.step = 1.0 / (std::ldexp(1.0, profile.DefaultBits) - 1.0);
    // Codex 1D writes its codes unclamped; every other integer format clamps.
    if (profile.Id != TOutputProfileId::Codex1D) held = THeld{0.0, 1.0, held.step};
  } else if (profile.Id == TOutputProfileId::Blackmagic1D) {
    held = THeld{0.0, std::numeric_limits<double>::infinity(), 1e-5};  // thousandths with two decimals
  }
  return held;
}

// A file we wrote, read back: through detection, or for the write-only formats
// that no reader knows (rows of three codes) by hand.
TLUT ReadBack(const std::string& file, const TLutOutputProfile& profile) {
  TLUT lut;
  const TLUTFormat& format = FormatOfProfile(profile);
  if (format.ReadBackAs() != TLUTFormatId::None) {
    LoadLUTFile(file, lut);
    EXPECT_EQ(lut.FormatIndex, format.ReadBackAs()) << profile.Caption;
    // Which of the layouts of its size a picture holds, the table decides
    // (ImageLUT_test); the arbitrary values here may not, so the picture is
    // read in the layout its writer used.
    if (TImageLUTLayout layout; ImageLUTLayoutOf(profile.FormatIndex, lut.Size3D(), layout)) {
      return LUTFromPicture(LoadFloatPicture(file), layout);
    }
    if (lut.Kind != TLUTKind::lkChain) return lut;
    // A device link is read as the engine's transform: its grid, sampled.
    TLUT table;
    table.Kind = TLUTKind::lk3D;
    table.SetSize3D(profile.DefaultSize);
    ResampleLUT(table, lut);
    return table;
  }
  const std::vector<std::string> lines = test::FileLines(file);
  const double divisor = std::ldexp(1.0, profile.DefaultBits) - 1.0;
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(static_cast<int>(lines.size()));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    double r, g, b;
    EXPECT_TRUE(ReadIntTriple(lines[i], 1, false, r, g, b)) << lines[i];
    lut.Table1D(static_cast<int>(i)) = TLUTEntry{r / divisor, g / divisor, b / divisor};
  }
  return lut;
}

// The written stage at each of its points against the source at the input
// that point stands for.
void ExpectHoldsSource(const TLUT& source, const TLUT& back, const TLutOutputProfile& profile,
                       const std::string& context) {
  SCOPED_TRACE(profile.Caption + " from " + context);
  const THeld held = HeldBy(profile);
  const bool is_3d = profile.Is3D;
  const int n = is_3d ? back.Size3D() : back.Size1D();
  ASSERT_GE(n, 2);
  const TLUTDomain& domain = is_3d ? back.Domain3D : back.Domain1D;
  const auto input = [&](int i, double min, double max) {
    const double x = min + (max - min) * i / (n - 1);
    return held.codes_in ? std::nearbyint(x * 65535) / 65535 : x;
  };
  const auto clamp = [&](double v) { return std::min(std::max(v, held.low), held.high); };
  const double tolerance = held.step / 2 + 1e-9;
  int reported = 0;
  const auto check = [&](const TLUTEntry& got, const TColor& in) {
    const TColor want = EvaluateLUT(source, in);
    const double d = std::max({std::fabs(got.R - clamp(want.R)), std::fabs(got.G - clamp(want.G)),
                               std::fabs(got.B - clamp(want.B))});
    if (!(d <= tolerance) && reported++ < 3) {
      ADD_FAILURE() << "at " << in.R << " " << in.G << " " << in.B << ": " << got.R << " " << got.G << " "
                    << got.B << " against " << want.R << " " << want.G << " " << want.B;
    }
  };
  if (is_3d) {
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) {
          check(back.Table3D(r, g, b), TColor{input(r, domain.Min.R, domain.Max.R),
                                              input(g, domain.Min.G, domain.Max.G),
                                              input(b, domain.Min.B, domain.Max.B)});
        }
  } else {
    for (int i = 0; i < n; ++i) {
      check(back.Table1D(i), TColor{input(i, domain.Min.R, domain.Max.R), input(i, domain.Min.G, domain.Max.G),
                                    input(i, domain.Min.B, domain.Max.B)});
    }
  }
}

void ConvertToEveryProfile(const std::string& source_file, const std::string& context) {
  TLUT source;
  LoadLUTFile(source_file, source);
  ASSERT_NE(source.FormatIndex, TLUTFormatId::None) << context;
  test::TempDir out;
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat& format = FormatOfProfile(*profile);
    const std::string target = out.File("converted." + profile->Extension);
    const ConversionSettings settings{out.path().string(), profile.get(), "Default", -1};
    const bool clipped = ConvertFile(settings, source_file, target).InputsClipped;
    const TLUT back = ReadBack(target, *profile);
    // The target covers what the source covers where its format can say so.
    const TLUTDomain expected = format.DomainToWrite(source.InputDomain());
    EXPECT_EQ(profile->Is3D ? back.Domain3D : back.Domain1D, expected) << profile->Caption << " from " << context;
    EXPECT_EQ(clipped, !format.StatesDomain() && source.InputDomain().ReachesBeyondUnit())
        << profile->Caption << " from " << context;
    ExpectHoldsSource(source, back, *profile, context);
    std::filesystem::remove(target);
  }
}

TEST(ConversionTruth, FilesWithInputDomainsThroughEveryProfile) {
  const char* files[] = {
      "OpenColorIO/iridas_1d.cube",
      "OpenColorIO/iridas_3d.cube",
      "OpenColorIO/resolve_1d3d.cube",
      "ociobakelut/shaper_log2_resolve_cube.cube",
      "colour/iridas_cube/eotf_sRGB_3D.cube",
      "colour/resolve_cube/eotf_sRGB_3D.cube",
      "colour/resolve_cube/Three_Dimensional_Table_With_Shaper.cube",
      "colour/resolve_cube/Demo.cube",
  };
  for (const char* relative : files) {
    const std::string file = test::PeerFile(relative);
    if (file.empty()) GTEST_SKIP() << "peer files missing";
    ConvertToEveryProfile(file, relative);
  }
}

// A table with values below 0, above 1 and on both edges, with comments that
// hold the keywords of other formats.
TEST(ConversionTruth, ValuesAndCommentsEveryFormatMustCope) {
  test::TempDir dir;
  std::string text;
  for (const char* comment :
       {"3DMESH", "channel 3d format lut", "<LUT3D N='2'", "Lut3D: 17", "LUT: 3 1024", "LUT16 LUT12", "F5LT",
        "HDLink", "channels: c3", "max value vertices", "table type gMax gSize", "3DLUTSIZE 17",
        "<lut><data><elem", "<look><shaders>", "<ColorCorrection><SOPNode>", "<lut><maximum><cube>",
        "iDims lutLength", "LUT_1D_SIZE 1024"}) {
    text += std::string("# ") + comment + "\n";
  }
  const double values[] = {-0.5, -1e-4, 0.0, 0.25, 0.5, 0.999999, 1.0, 1.0001, 1.5};
  text += "LUT_3D_SIZE 3\n";
  for (int i = 0; i < 27; ++i) {
    text += FormatFloatValue(6, values[i % 9]) + " " + FormatFloatValue(6, values[(i * 4 + 3) % 9]) + " " +
            FormatFloatValue(6, values[(i * 7 + 5) % 9]) + "\n";
  }
  const std::string source = dir.Write("edges.cube", text);
  TLUT read;
  LoadLUTFile(source, read);
  ASSERT_EQ(read.FormatIndex, TLUTFormatId::Cube3D);
  ASSERT_EQ(read.Comments.size(), 18u);
  ConvertToEveryProfile(source, "edges.cube");
}

}  // namespace
}  // namespace zelvo
