// Conversions between particular formats: what the job makes of their
// tables, read back through the registry.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "TestFormats.h"
#include "base/Errors.h"
#include "convert/ConvertJob.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::ErrorOf;
using test::Profile;
using test::TempDir;

// Curves with a value that needs all digits, so that nothing is exact by accident.
void FillCurves(TLUT& lut, int m) {
  test::FillSample1D(lut, m);
  lut.Table1D(m / 3).R = 0.123456789;
}

// From the Header1D family.
TEST(Header1DConvert, Fusion1DExpandedToA3DCube) {
  TempDir dir;
  TLUT curves;
  FillCurves(curves, 1024);
  const std::string source_path = dir.File("curves.alut");
  SaveLUTFile(source_path, curves, Profile("Fusion 1D"));
  TLUT source;
  LoadLUTFile(source_path, source);
  ASSERT_EQ(source.FormatIndex, TLUTFormatId::Fusion1D);

  ConversionSettings settings;
  settings.OutputFolder = dir.path().string();
  settings.OutputProfile = &Profile("Cube 3D Iridas, Nuke, AfterEffects");
  const std::string target_path = dir.File("curves.cube");
  ConvertFile(settings, source_path, target_path);

  TLUT target;
  LoadLUTFile(target_path, target);
  ASSERT_EQ(target.Kind, TLUTKind::lk3D);
  ASSERT_EQ(target.Size3D(), 32);
  for (int r = 0; r < 32; r += 3) {
    for (int g = 0; g < 32; g += 5) {
      for (int b = 0; b < 32; b += 7) {
        const TColor want = EvaluateLUT(source, {r / 31.0, g / 31.0, b / 31.0});
        const TLUTEntry& got = target.Table3D(r, g, b);
        ASSERT_NEAR(got.R, want.R, 5e-7);
        ASSERT_NEAR(got.G, want.G, 5e-7);
        ASSERT_NEAR(got.B, want.B, 5e-7);
      }
    }
  }
}

// From the Header1D family.
TEST(Header1DConvert, ThreeDToLustre1DAlongTheNeutralAxis) {
  TempDir dir;
  TLUT cube;
  test::FillSample3D(cube, 17);
  const std::string source_path = dir.File("grade.cube");
  SaveLUTFile(source_path, cube, Profile("Cube 3D Davinci"));
  TLUT source;
  LoadLUTFile(source_path, source);

  ConversionSettings settings;
  settings.OutputFolder = dir.path().string();
  settings.OutputProfile = &Profile("Autodesk Lustre 1D");
  const std::string target_path = dir.File("grade.lut");
  ConvertFile(settings, source_path, target_path);

  TLUT target;
  LoadLUTFile(target_path, target);
  ASSERT_EQ(target.FormatIndex, TLUTFormatId::Lustre1D);
  ASSERT_EQ(target.Size1D(), 65536);
  const double step = 0.5 / 65535 + 1e-12;
  for (int i = 0; i < 65536; i += 257) {
    const double x = i / 65535.0;
    const TColor want = EvaluateLUT(source, {x, x, x});
    ASSERT_NEAR(target.Table1D(i).R, std::clamp(want.R, 0.0, 1.0), step) << i;
    ASSERT_NEAR(target.Table1D(i).G, std::clamp(want.G, 0.0, 1.0), step) << i;
    ASSERT_NEAR(target.Table1D(i).B, std::clamp(want.B, 0.0, 1.0), step) << i;
  }
}

// From the PlainRow1D family.
// Files that once loaded as tables of no entries now fail where they are
// damaged, and nothing is written from them.
TEST(PlainRow1DConvert, FilesWithoutRowsAreNotConverted) {
  struct Case {
    const char* name;
    const char* text;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"empty.lut", "LUT16\n\nno rows here\n1 2\n", "'1 2' is not a row of 4 values"},
      {"empty.alut", "F5LT\n\n16\n\n0 1 0 2\n", "'0 1 0 2' is not a row of 6 values"},
      {"empty.1dlut", "# header\n0.5 0.5\n", "'0.5 0.5' is not a row of 3 values"},
      {"empty.txt", "R\tG\tB - HDLINK GAMMA TABLE\n1000,00 0 0\n", "'1000,00 0 0' is not a row of 3 values"},
      {"empty.ilut", "1.5 2 3\n", "'1.5' is not a valid integer value"},
      {"empty.olut", "12 13\n", "'12 13' is not a row of 3 values"},
  };
  TempDir dir;
  ConversionSettings settings;
  settings.OutputFolder = dir.path().string();
  settings.OutputProfile = &Profile("Autodesk Lustre 1D");
  for (const Case& c : cases) {
    const std::string source_path = dir.Write(c.name, c.text);
    const std::string target_path = dir.File("out.lut");
    const std::string message = ErrorOf([&] { ConvertFile(settings, source_path, target_path); });
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.name << ": " << message;
    EXPECT_FALSE(std::filesystem::exists(target_path)) << c.name;
  }
}

// From the PlainRow1D family.
TEST(PlainRow1DConvert, OlutToColorfrontOSD1D) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 4096; ++i) text += std::to_string(i) + " " + std::to_string(4095 - i) + " 2048 99\n";
  const std::string source_path = dir.Write("grade.olut", text);
  ConversionSettings settings;
  settings.OutputFolder = dir.path().string();
  settings.OutputProfile = &Profile("Colorfront OSD 1D");
  const std::string target_path = dir.File("grade.1dlut");
  ConvertFile(settings, source_path, target_path);

  TLUT target;
  LoadLUTFile(target_path, target);
  ASSERT_EQ(target.FormatIndex, TLUTFormatId::ColorFrontOSD1D);
  ASSERT_EQ(target.Size1D(), 1024);
  for (int i = 0; i < 1024; ++i) {
    const double x = i / 1023.0;
    ASSERT_NEAR(target.Table1D(i).R, x, 5e-7) << i;
    ASSERT_NEAR(target.Table1D(i).G, 1 - x, 5e-7) << i;
    ASSERT_NEAR(target.Table1D(i).B, 2048 / 4095.0, 5e-7) << i;
  }
}

// From the XML family.
TEST(SpeedgradeReader, LookWithoutTableHasNoLUTData) {
  TempDir dir;
  const std::string files[] = {
      "<look><shaders><base/></shaders></look>",
      "<look><shaders></shaders><LUT><size>\"0\"</size><data></data></LUT></look>",
  };
  for (const std::string& text : files) {
    TLUT lut;
    lut.SetSize3D(5);
    LoadLUTFile(dir.Write("c.look", text), lut);
    EXPECT_EQ(lut.FormatIndex, TLUTFormatId::SpeedgradeLook3D);
    EXPECT_EQ(lut.Kind, TLUTKind::lkNone) << text;
  }
  // Converted, a look without a table is the identity.
  const std::string target = dir.File("c.cube");
  ConvertFile(ConversionSettings{dir.path().string(), OutputProfileByCaption("Cube 3D Davinci"), "Default", -1},
              dir.File("c.look"), target);
  TLUT cube;
  LoadLUTFile(target, cube);
  ASSERT_EQ(cube.Size3D(), 33);
  EXPECT_EQ(cube.Table3D(0, 0, 0), (TLUTEntry{0, 0, 0}));
  EXPECT_EQ(cube.Table3D(32, 16, 8), (TLUTEntry{1.0, 0.5, 0.25}));
}

// From the KeywordHeader3D family.
TEST(Grid3DConversion, CubeFileConvertsToEveryGridProfile) {
  TempDir dir;
  TLUT source;
  test::FillSample3D(source, 9);
  const std::string cube = dir.File("look.cube");
  SaveLUTFile(cube, source, Profile("Cube 3D Iridas, Nuke, AfterEffects"));
  TLUT read_source;
  LoadLUTFile(cube, read_source);
  for (const char* caption :
       {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3DL Fusion", "Autodesk Lustre 3D", "Colorfront OSD 3D",
        "Davinci DAT 3D", "Luther 3D", "Pandora 3D, Apple 3D m3d", "Quantel 3D", "Technicolor 3D mga", "Codex 3D"}) {
    SCOPED_TRACE(caption);
    ConversionSettings settings;
    settings.OutputFolder = dir.path().string();
    settings.OutputProfile = &Profile(caption);
    const std::string target = dir.File("look." + settings.OutputProfile->Extension);
    ConvertFile(settings, cube, target);
    TLUT back;
    LoadLUTFile(target, back);
    EXPECT_EQ(back.FormatIndex, settings.OutputProfile->FormatIndex);
    ASSERT_EQ(back.Size3D(), settings.OutputProfile->DefaultSize);
    // Each grid point holds the source table interpolated there, within a code step.
    const int bits = settings.OutputProfile->DefaultBits;
    const double step = bits > 0 ? 1.0 / (std::ldexp(1.0, bits) - 1) : 1e-6;
    const int n = back.Size3D();
    for (int i = 0; i < n; ++i) {
      const int g = n - 1 - i, b = i / 2;
      const TColor want = Interpolate3D(read_source, TColor{i / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
      const TLUTEntry& got = back.Table3D(i, g, b);
      EXPECT_NEAR(got.R, want.R, step);
      EXPECT_NEAR(got.G, want.G, step);
      EXPECT_NEAR(got.B, want.B, step);
    }
  }
}

}  // namespace
}  // namespace zelvo
