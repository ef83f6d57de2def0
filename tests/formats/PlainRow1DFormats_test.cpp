#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ReadFailures.h"
#include "TestFormats.h"
#include "registry/Registry.h"
#include "base/StringLib.h"

namespace zelvo {
namespace {

using test::ErrorOf;
using test::FillThree1D;
using test::Profile;
using test::TempDir;


// ---------------------------------------------------------------------------
// Writers, byte for byte

TEST(PlainRow1DWriters, DefaultDepths) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"Colorfront OSD 1D", "0.000000 0.250000 -0.100000\n0.500000 0.750000 1.250000\n1.000000 0.001000 0.999000\n"},
      {"Blackmagic HDLink 1D",
       "R\tG\tB - HDLINK GAMMA TABLE\n0.00 250.00 0.00\n500.00 750.00 1250.00\n1000.00 1.00 999.00\n"},  // -0.1 held as 0
      {"Cine-tal 1D", "0 256 0\n512 767 1023\n1023 1 1022\n"},
      {"Shake 1D", "0 16384 0\n32768 49151 65535\n65535 66 65469\n"},
  };
  TempDir dir;
  TLUT lut;
  FillThree1D(lut);
  lut.Comments = {"never written by these formats"};
  for (const auto& [profile, text] : cases) {
    const std::string name = dir.File("out.txt");
    SaveLUTFile(name, lut, Profile(profile));
    EXPECT_EQ(test::ReadAll(name), text) << profile;
  }
  // Shake and Cine-tal write the same rows at the same depth.
  const std::string shake = dir.File("shake.txt");
  SaveLUTFile(shake, lut, Profile("Shake 1D"), 10);
  EXPECT_EQ(test::ReadAll(shake), cases[2].second);
}

TEST(PlainRow1DWriters, ReadOnlyAndWriteOnlyFormats) {
  TempDir dir;
  TLUT lut;
  FillThree1D(lut);
  for (TLUTFormatId index : {TLUTFormatId::DavinciILut1D, TLUTFormatId::DavinciOLut1D}) {
    const TLUTFormat& format = LUTFormatOf(index);
    EXPECT_FALSE(format.CanSave()) << format.Name;
    EXPECT_TRUE(format.CanLoad()) << format.Name;
    const std::string name = dir.File("out.ilut");
    EXPECT_EQ(ErrorOf([&] { test::SaveWith(index, name, lut, 10); }),
              "The format \"" + format.Name + "\" is read only; it cannot be written.");
    EXPECT_FALSE(std::filesystem::exists(name));
  }
  for (TLUTFormatId index : {TLUTFormatId::Cinetal1D, TLUTFormatId::Shake1D}) {
    const TLUTFormat& format = LUTFormatOf(index);
    EXPECT_FALSE(format.CanLoad()) << format.Name;
    EXPECT_TRUE(format.CanSave()) << format.Name;
    const std::string name = dir.File("written.txt");
    SaveLUTFile(name, lut, Profile(format.Name));
    EXPECT_FALSE(format.CanRead(TLUTSource::FromFile(name)));
    EXPECT_EQ(ErrorOf([&] { test::LoadWith(index, name, lut); }), "Incomplete file.") << format.Name;
  }
}

// ---------------------------------------------------------------------------
// Readers

TEST(PlainRow1DReaders, RowsCommentsAndSkippedLines) {
  struct Case {
    const char* what;
    TLUTFormatId format;
    const char* text;
    std::vector<TLUTEntry> entries;
  };
  const std::vector<Case> cases = {
      {"Colorfront: text lines pass", TLUTFormatId::ColorFrontOSD1D,
       "# comment\n\n0 0 0\n0.5 0.25 1\nend of table\n1.5e0\t2 -0.5\n",
       {{0, 0, 0}, {0.5, 0.25, 1}, {1.5, 2, -0.5}}},
      {"Blackmagic: title and text lines skipped, values over 1000", TLUTFormatId::Blackmagic1D,
       "R\tG\tB - HDLINK GAMMA TABLE\n1000.00 500.00 0.00\nText 1 2 3\n  250 250 250\n-5 0 0\n",
       {{1, 0.5, 0}, {0.25, 0.25, 0.25}}},
      {"ilut: 14-bit codes, extra columns ignored", TLUTFormatId::DavinciILut1D, "0 0 0\n16383 8192 0\n# c\n1 2 3 4 5\n",
       {{0, 0, 0}, {1, 8192 / 16383.0, 0}, {1 / 16383.0, 2 / 16383.0, 3 / 16383.0}}},
      {"olut: 12-bit codes, commas and blanks between fields", TLUTFormatId::DavinciOLut1D, "4095 4095 4095 17\nx y z\n0,0,  4095\n",
       {{1, 1, 1}, {0, 0, 1}}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    TLUT lut;
    LoadLUTFile(dir.Write("in.txt", c.text), lut, c.format);
    EXPECT_EQ(lut.Kind, TLUTKind::lk1D) << c.what;
    ASSERT_EQ(lut.Size1D(), static_cast<int>(c.entries.size())) << c.what;
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
      const TLUTEntry& got = lut.Table1D(static_cast<int>(i));
      EXPECT_NEAR(got.R, c.entries[i].R, 1e-12) << c.what << " #" << i;
      EXPECT_NEAR(got.G, c.entries[i].G, 1e-12) << c.what << " #" << i;
      EXPECT_NEAR(got.B, c.entries[i].B, 1e-12) << c.what << " #" << i;
    }
    EXPECT_TRUE(lut.Comments.empty()) << c.what;
  }
}

// A line that starts like a row (for HDLink, with a digit) and is not one
// ends the load at its line; the table is as long as the rows.
TEST(PlainRow1DReaders, MalformedRowsNameTheirLine) {
  using F = TLUTFormatId;
  const std::vector<test::TMalformed> cases = {
      {"Colorfront four values", F::ColorFrontOSD1D, "0 0 0\n1 1 1 1\n", "'1 1 1 1' is not a row of 3 values (line 2)"},
      {"Colorfront decimal comma", F::ColorFrontOSD1D, "0 0 0\n0,5 0,5 0,5\n",
       "'0,5 0,5 0,5' is not a row of 3 values (line 2)"},
      {"Colorfront nan", F::ColorFrontOSD1D, "0 nan 0\n", "'nan' is not a valid floating point value (line 1)"},
      {"Colorfront underflow", F::ColorFrontOSD1D, "# c\n1e-400 0 0\n",
       "'1e-400' is not a valid floating point value (line 2)"},
      {"Colorfront no row at all", F::ColorFrontOSD1D, "# c\ntext\n", "Incomplete file."},
      {"HDLink decimal comma", F::Blackmagic1D, "R\tG\tB - HDLINK GAMMA TABLE\n1000,00 0 0\n",
       "'1000,00 0 0' is not a row of 3 values (line 2)"},
      {"HDLink bad number", F::Blackmagic1D, "R\tG\tB - HDLINK GAMMA TABLE\n0 0 0\n5.0.0 0 0\n",
       "'5.0.0' is not a valid floating point value (line 3)"},
      {"ilut decimal", F::DavinciILut1D, "1.5 2 3\n", "'1.5' is not a valid integer value (line 1)"},
      {"olut two codes", F::DavinciOLut1D, "0 0 0\n12 13\n", "'12 13' is not a row of 3 values (line 2)"},
      {"olut bad third code", F::DavinciOLut1D, "12 13 x 4\n", "'x' is not a valid integer value (line 1)"},
  };
  test::ExpectLoadErrors(cases);
}

TEST(PlainRow1DReaders, FilesWithoutARowCandidateAreIncomplete) {
  const std::vector<std::pair<TLUTFormatId, const char*>> cases = {
      {TLUTFormatId::ColorFrontOSD1D, "# only a comment\n\n"},
      {TLUTFormatId::Blackmagic1D, "R\tG\tB - HDLINK GAMMA TABLE\nno digits here\n"},
      {TLUTFormatId::DavinciILut1D, ""},
      {TLUTFormatId::DavinciOLut1D, "  \n# 1 2 3\n"},
  };
  TempDir dir;
  for (const auto& [format, text] : cases) {
    TLUT lut;
    EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("in.txt", text), lut, format); }), "Incomplete file.") << text;
  }
}

TEST(PlainRow1DReaders, RowCountBeyondTheCapacityIsRefused) {
  TempDir dir;
  for (TLUTFormatId format : {TLUTFormatId::ColorFrontOSD1D, TLUTFormatId::Blackmagic1D, TLUTFormatId::DavinciILut1D, TLUTFormatId::DavinciOLut1D}) {
    std::string text;
    for (int i = 0; i < 100001; ++i) text += "1 2 3\n";
    TLUT lut;
    LoadLUTFile(dir.Write("full.txt", text), lut, format);
    EXPECT_EQ(lut.Size1D(), 100001);
    EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("over.txt", text + "1 2 3\n"), lut, format); }),
              "The 1D table length 100002 is not supported (1 to 100001 entries).")
        << LUTFormatOf(format).Name;
  }
}

TEST(PlainRow1DReaders, Detection) {
  struct Case {
    const char* name;
    const char* text;
    TLUTFormatId format;
  };
  const std::vector<Case> cases = {
      {"a.1dlut", "anything at all\n", TLUTFormatId::ColorFrontOSD1D},
      {"a.1DLUT", "0 0 0\n", TLUTFormatId::ColorFrontOSD1D},
      {"a.txt", "0.000000 0.000000 0.000000\n", TLUTFormatId::None},  // the content alone says nothing
      {"b.txt", "r g b - hdlink gamma table\n", TLUTFormatId::Blackmagic1D},
      {"c.ilut", "0 0 0\n", TLUTFormatId::DavinciILut1D},
      {"c.ILUT", "<?xml version=\"1.0\"?>\n<iridascript>\n", TLUTFormatId::None},
      {"d.olut", "<IRIDAScript>\n", TLUTFormatId::DavinciOLut1D},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectLUTFormat(TLUTSource(c.name, c.text)), c.format) << c.name;
}

// ---------------------------------------------------------------------------
// Round trips

double Written(int digits, double v, double scale) {
  return StrToFloat(FormatFloatValue(digits, v * scale)) / scale;
}

TEST(PlainRow1DRoundTrip, FloatingPointFormatsReadBackWhatTheyWrote) {
  struct Case {
    const char* profile;
    TLUTFormatId format;
    int digits;
    double scale;
  };
  const std::vector<Case> cases = {{"Colorfront OSD 1D", TLUTFormatId::ColorFrontOSD1D, 6, 1}, {"Blackmagic HDLink 1D", TLUTFormatId::Blackmagic1D, 2, 1000}};
  TempDir dir;
  for (const Case& c : cases) {
    for (int m : {1024, 4096}) {
      TLUT lut, back;
      test::FillSample1D(lut, m);
      lut.Table1D(m / 3).R = 0.123456789;
      const std::string name = dir.File("rt." + Profile(c.profile).Extension);
      SaveLUTFile(name, lut, Profile(c.profile));
      LoadLUTFile(name, back);
      ASSERT_EQ(back.FormatIndex, c.format) << c.profile;
      ASSERT_EQ(back.Size1D(), m) << c.profile;
      for (int i = 0; i < m; ++i) {
        const TLUTEntry& a = lut.Table1D(i);
        ASSERT_EQ(back.Table1D(i), (TLUTEntry{Written(c.digits, a.R, c.scale), Written(c.digits, a.G, c.scale),
                                              Written(c.digits, a.B, c.scale)}))
            << c.profile << " #" << i;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Through the batch job

// Every 1D reader whose length is the number of rows read: a file whose rows
// all fail to parse loads with no entries, and the batch job refuses it.
}  // namespace
}  // namespace zelvo
