#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestFormats.h"
#include "registry/Registry.h"
#include "base/TextFile.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::TempDir;


using test::ErrorOf;
using test::FileLines;

// ---------------------------------------------------------------------------
// Writers, byte for byte

TEST(CubeWriters, Cube3D) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 33);
  lut.Comments = {"Made by hand", "second"};
  const std::string name = dir.File("id.cube");
  SaveLUTFile(name, lut, *OutputProfileByCaption("Cube 3D Davinci"));
  const std::string text = test::ReadAll(name);
  const std::string head =
            "# Made by hand\n# second\n# Converted by Zelvo LUT Converter\n\nLUT_3D_SIZE 33\n"
            "0.000000 0.000000 0.000000\n0.031250 0.000000 0.000000\n0.062500 0.000000 0.000000\n"
            "0.093750 0.000000 0.000000\n0.125000 0.000000 0.000000\n0.156250 0.000000 0.000000\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  EXPECT_EQ(text.substr(text.size() - 27), "1.000000 1.000000 1.000000\n");
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(FileLines(name).size(), 5u + 33u * 33u * 33u);
}

TEST(CubeWriters, Cube3DKeepsValuesOutsideTheRange) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(0, 0, 0) = {1.25, -0.25, 0.0000005};
  const std::string name = dir.File("v.cube");
  SaveLUTFile(name, lut, *OutputProfileByCaption("Cube 3D Iridas, Nuke, AfterEffects"));
  EXPECT_EQ(FileLines(name)[3], "1.250000 -0.250000 0.000001");
}

TEST(CubeWriters, NonFiniteValuesRefusedAndNothingWritten) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(1, 0, 1).G = std::numeric_limits<double>::infinity();
  const std::string name = dir.Write("keep.cube", "old\n");
  EXPECT_NE(ErrorOf([&] { SaveLUTFile(name, lut, *OutputProfileByCaption("Cube 3D Davinci")); })
                .find("not a finite number"),
            std::string::npos);
  EXPECT_EQ(test::ReadAll(name), "old\n");
}

TEST(CubeWriters, Truelight) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 33);
  lut.Comments = {"not written"};
  const std::string name = dir.File("t.cube");
  SaveLUTFile(name, lut, *OutputProfileByCaption("Cube 3D Truelight"));
  const auto lines = FileLines(name);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 8);
  EXPECT_EQ(head, (std::vector<std::string>{"# Truelight Cube v2.0", "# iDims     3", "# oDims     3",
                                            "# width     33 33 33", "", "# Cube", "0.000000 0.000000 0.000000",
                                            "0.031250 0.000000 0.000000"}));
  EXPECT_EQ(lines[lines.size() - 2], "# end");
  EXPECT_EQ(lines.back(), "# Converted by Zelvo LUT Converter");
  EXPECT_EQ(lines.size(), 6u + 33u * 33u * 33u + 2u);
}

TEST(CubeWriters, Nucoda3D) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 17);
  const std::string name = dir.File("grade.cms");
  SaveLUTFile(name, lut, *OutputProfileByCaption("Nucoda 3D"));
  const auto lines = FileLines(name);
  const std::vector<std::string> head(lines.begin(), lines.begin() + 9);
  EXPECT_EQ(head, (std::vector<std::string>{"NUCODA_3D_CUBE 1", "", "TITLE \"grade\"", "", "LUT_1D_SIZE 4096",
                                            "LUT_3D_SIZE 17", "", "0.000000 0.000000 0.000000",
                                            "0.008059 0.008059 0.008059"}));
  EXPECT_EQ(lines[7 + 4095], "32.999999 32.999999 32.999999");
  EXPECT_EQ(lines[7 + 4096], "");
  EXPECT_EQ(lines[7 + 4097], "0.000000 0.000000 0.000000");
  EXPECT_EQ(lines[7 + 4098], "0.062500 0.000000 0.000000");
  EXPECT_EQ(lines.size(), 7u + 4096u + 1u + 17u * 17u * 17u);
}

TEST(CubeWriters, Cube1DAndNucoda1D) {
  TempDir dir;
  TLUT lut;
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(3);
  lut.Table1D(0) = {0, 0, 0};
  lut.Table1D(1) = {0.5, 0.25, 0.125};
  lut.Table1D(2) = {1, 1, 1};
  lut.Comments = {"c"};
  const std::string cube = dir.File("a.cube");
  SaveLUTFile(cube, lut, *OutputProfileByCaption("Cube 1D"));
  EXPECT_EQ(test::ReadAll(cube),
            "# c\n# Converted by Zelvo LUT Converter\n\nLUT_1D_SIZE 3\n0.000000 0.000000 0.000000\n"
            "0.500000 0.250000 0.125000\n1.000000 1.000000 1.000000\n");
  const std::string nucoda = dir.File("my.curve.cms");
  SaveLUTFile(nucoda, lut, *OutputProfileByCaption("Nucoda 1D"));
  EXPECT_EQ(test::ReadAll(nucoda),
            "NUCODA_3D_CUBE 2\n\nTITLE \"my.curve\"\n\nLUT_1D_SIZE 3\n\n0.000000 0.000000 0.000000\n"
            "0.500000 0.250000 0.125000\n1.000000 1.000000 1.000000\n");
}

// ---------------------------------------------------------------------------
// Readers

TEST(Cube3DReader, HeaderCommentsRowOrderAndIgnoredLines) {
  TempDir dir;
  const std::string name = dir.Write("a.cube",
                                     "#   first comment  \n"
                                     "TITLE \"x\"\n"
                                     "# second\n"
                                     "LUT_3D_SIZE 2\n"
                                     "# dropped after the size line\n"
                                     "0 0 0\n"
                                     "0.1,0.2,0.3\n"          // commas separate fields
                                     "END OF ANOTHER TOOL\n"  // not a row: ignored
                                     "\t0.2\t0.3\t0.4\n"
                                     "0.3 0.4 0.5\n0.4 0.5 0.6\n0.5 0.6 0.7\n0.6 0.7 0.8\n"
                                     "LUT_3D_SIZE 2\n"        // the same size again
                                     "0.7 0.8 0.9\n");
  TLUT lut;
  LoadLUTFile(name, lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Cube3D);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Comments, (std::vector<std::string>{"first comment", "second"}));
  // Red fastest: [0][0][0], [1][0][0], [0][1][0], [1][1][0], [0][0][1], ...
  EXPECT_EQ(lut.Table3D(0, 0, 0), (TLUTEntry{0, 0, 0}));
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{0.1, 0.2, 0.3}));
  EXPECT_EQ(lut.Table3D(0, 1, 0), (TLUTEntry{0.2, 0.3, 0.4}));
  EXPECT_EQ(lut.Table3D(1, 1, 0), (TLUTEntry{0.3, 0.4, 0.5}));
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{0.4, 0.5, 0.6}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{0.7, 0.8, 0.9}));
}

TEST(Cube3DReader, ShaperSectionAheadOfTheCube) {
  TempDir dir;
  std::string text = "TITLE \"shaper\"\nLUT_1D_SIZE 3\nLUT_1D_INPUT_RANGE 0 1\nLUT_3D_SIZE 2\n";
  text += "0 0 0\n0.25 0.25 0.25\n1 1 1\n";  // shaper
  for (int b = 0; b < 2; ++b)
    for (int g = 0; g < 2; ++g)
      for (int r = 0; r < 2; ++r)
        text += std::to_string(r * 0.5) + " " + std::to_string(g * 0.5) + " " + std::to_string(b * 0.5) + "\n";
  TLUT lut;
  LoadLUTFile(dir.Write("s.cube", text), lut);
  EXPECT_EQ(lut.Kind, TLUTKind::lk1DAnd3D);
  EXPECT_EQ(lut.Size1D(), 3);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Table1D(1), (TLUTEntry{0.25, 0.25, 0.25}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{0.5, 0.5, 0.5}));
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{0.5, 0, 0}));
  // Input 0.5 goes through the shaper to 0.25, then the cube halves it.
  const TColor out = EvaluateLUT(lut, TColor{0.5, 0.5, 0.5});
  EXPECT_NEAR(out.R, 0.125, 1e-12);

  // The shaper size may also follow the cube size.
  const std::string after = "LUT_3D_SIZE 2\nLUT_1D_SIZE 2\n0 0 0\n1 1 1\n" + text.substr(text.find("0 0 0\n0.25") + 26);
  TLUT lut2;
  LoadLUTFile(dir.Write("s2.cube", after), lut2);
  EXPECT_EQ(lut2.Kind, TLUTKind::lk1DAnd3D);
  EXPECT_EQ(lut2.Size1D(), 2);
  EXPECT_EQ(lut2.Table3D(1, 1, 1), (TLUTEntry{0.5, 0.5, 0.5}));
}

TEST(TruelightReader, PlainAndWithInputLUT) {
  TempDir dir;
  std::string rows;
  for (int i = 0; i < 8; ++i) rows += std::to_string(i / 8.0) + " 0 0\n";
  TLUT plain;
  LoadLUTFile(dir.Write("p.cub", "# Truelight Cube v2.0\n# iDims 3\n# oDims 3\n# width 2 2 2\n\n# Cube\n" + rows +
                                     "# end\n"),
              plain);
  EXPECT_EQ(plain.FormatIndex, TLUTFormatId::Cube3DTruelight);
  EXPECT_EQ(plain.Kind, TLUTKind::lk3D);
  EXPECT_EQ(plain.Size3D(), 2);
  EXPECT_TRUE(plain.Comments.empty());
  EXPECT_EQ(plain.Table3D(1, 1, 1).R, 7 / 8.0);

  // A non-identity input LUT in grid-index units (0 to width-1).
  std::string rows3;
  for (int i = 0; i < 27; ++i) rows3 += std::to_string(i) + " 0 0\n";
  const std::string shaped = "# Truelight Cube v2.0\n# lutLength 3\n# iDims 3\n# oDims 3\n# width 3 3 3\n"
                             "# InputLUT\n0 0 0\n1.5 1.5 1.5\n2 2 2\n# Cube\n" + rows3 + "# end\n";
  TLUT lut;
  LoadLUTFile(dir.Write("s.cub", shaped), lut);
  EXPECT_EQ(lut.Kind, TLUTKind::lk1DAnd3D);
  EXPECT_EQ(lut.Size1D(), 3);
  EXPECT_EQ(lut.Table1D(1), (TLUTEntry{0.75, 0.75, 0.75}));
  EXPECT_EQ(lut.Table3D(2, 2, 2).R, 26.0);

  // An identity input LUT is dropped.
  const std::string identity = "# Truelight Cube v2.0\n# iDims 3\n# oDims 3\n# width 3 3 3\n# lutLength 5\n"
                               "# InputLUT\n0 0 0\n0.5 0.5 0.5\n1 1 1\n1.5 1.5 1.5\n2 2 2\n\n# Cube\n" + rows3;
  TLUT lut2;
  LoadLUTFile(dir.Write("i.cub", identity), lut2);
  EXPECT_EQ(lut2.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut2.Table3D(0, 0, 1).R, 9.0);
}

TEST(Nucoda3DReader, VersionsShaperAndCube) {
  TempDir dir;
  std::string cube;
  for (int i = 0; i < 8; ++i) cube += "0.5 0.5 " + std::to_string(i) + "\n";
  TLUT v1;
  LoadLUTFile(dir.Write("v1.cms", "NUCODA_3D_CUBE 1\nTITLE \"t\"\nLUT_3D_SIZE 2\nLUT_1D_SIZE 2\n33.0 16.5 0.0\n33 33 33\n" +
                                      cube),
              v1);
  EXPECT_EQ(v1.FormatIndex, TLUTFormatId::Nucoda3D);
  EXPECT_EQ(v1.Kind, TLUTKind::lk1DAnd3D);
  EXPECT_EQ(v1.Table1D(0), (TLUTEntry{1.0, 0.5, 0.0}));
  EXPECT_EQ(v1.Table3D(1, 1, 1).B, 7.0);

  TLUT v2;
  LoadLUTFile(dir.Write("v2.cms", "NUCODA_3D_CUBE 2\nLUT_1D_SIZE 2\n33.0 16.5 0.0\nLUT_1D_SIZE 2\n0.5 0.5 0.5\n"), v2);
  EXPECT_EQ(v2.Kind, TLUTKind::lk1D);
  EXPECT_EQ(v2.Size1D(), 2);
  EXPECT_EQ(v2.Table1D(0), (TLUTEntry{33.0, 16.5, 0.0}));

  // The version of one file does not carry over to the next.
  TLUT v0;
  LoadLUTFile(dir.Write("v0.cms", "# NUCODA_3D_CUBE\nLUT_1D_SIZE 1\n33 33 33\n"), v0);
  EXPECT_EQ(v0.Table1D(0), (TLUTEntry{33, 33, 33}));
}

TEST(Cube1DReader, CommentsAnywhere) {
  TempDir dir;
  TLUT lut;
  LoadLUTFile(dir.Write("a.cube", "# one\nLUT_1D_SIZE 2\n# two\n0 0 0\nLUT_1D_SIZE 2\n1 1 1\n# three\n"), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Cube1D);
  EXPECT_EQ(lut.Kind, TLUTKind::lk1D);
  EXPECT_EQ(lut.Size1D(), 2);
  EXPECT_EQ(lut.Comments, (std::vector<std::string>{"one", "two", "three"}));
}

// Every reader of the family refuses a damaged file at the line at fault:
// rows beyond or short of the declared count, a size given again as another,
// rows that do not parse.
TEST(CubeReaders, MalformedFilesFailAtTheirLine) {
  const auto rows = [](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "0.5 0.25 0.125\n";
    return text;
  };
  const std::string cube2 = "LUT_3D_SIZE 2\n";
  const std::string truelight = "# iDims 3\n# oDims 3\n# width 2 2 2\n# Cube\n";
  const std::string nucoda = "NUCODA_3D_CUBE 2\nTITLE \"t\"\n";
  struct Case {
    std::string name, text, error;
  };
  const Case cases[] = {
      // Cube 3D
      {"a.cube", "LUT_3D_SIZE 17\n" + rows(33 * 33 * 33),
       "read as Cube 3D: Too many rows (the file declares 4913; line 4915)"},
      {"a.cube", cube2 + rows(7), "read as Cube 3D: Incomplete file (7 of 8 rows; the file ends at line 8)"},
      {"a.cube", cube2 + rows(2) + "LUT_3D_SIZE 3\n" + rows(6),
       "read as Cube 3D: The size is given again as 3 (it was 2; line 4)"},
      {"a.cube", "0 0 0\n" + cube2 + rows(8), "read as Cube 3D: A row comes before the \"LUT_3D_SIZE\" line (line 1)"},
      {"a.cube", cube2 + "0.5 0.5 0.5 0.5\n" + rows(7),
       "read as Cube 3D: '0.5 0.5 0.5 0.5' is not a row of 3 values (line 2)"},
      {"a.cube", cube2 + rows(1) + "0,5 0,5 0,5\n" + rows(6),
       "read as Cube 3D: '0,5 0,5 0,5' is not a row of 3 values (line 3)"},
      {"a.cube", cube2 + "0.5 0.5\n" + rows(7), "read as Cube 3D: '0.5 0.5' is not a row of 3 values (line 2)"},
      {"a.cube", cube2 + "NaN 0.5 0.5\n" + rows(7),
       "read as Cube 3D: 'NaN' is not a valid floating point value (line 2)"},
      {"a.cube", cube2 + "-inf 0 0\n" + rows(7),
       "read as Cube 3D: '-inf' is not a valid floating point value (line 2)"},
      {"a.cube", cube2 + "0 1e-400 0\n" + rows(7),
       "read as Cube 3D: '1e-400' is not a valid floating point value (line 2)"},
      {"a.cube", cube2 + "0 0 1e400\n" + rows(7),
       "read as Cube 3D: '1e400' is not a valid floating point value (line 2)"},
      {"a.cube", cube2 + "12x 0 0\n" + rows(7), "read as Cube 3D: '12x' is not a valid floating point value (line 2)"},
      {"a.cube", "LUT_3D_SIZE x\n", "read as Cube 3D: 'x' is not a valid integer value (line 1)"},
      {"a.cube", "LUT_3D_SIZE 300\n",
       "read as Cube 3D: The 3D grid size 300 is not supported (1 to 256 points per axis; line 1)."},
      {"a.cube", cube2 + "0 0 0\n",
       "read as Cube 3D: Incomplete file (1 of 8 rows; the file ends at line 2)"},
      {"a.cube", "# LUT_3D_SIZE 2\n", "read as Cube 3D: Incomplete file."},
      // Cube 3D with a shaper: 3 + 8 rows
      {"s.cube", "LUT_1D_SIZE 3\n" + cube2 + rows(12),
       "read as Cube 3D: Too many rows (the file declares 11; line 14)"},
      {"s.cube", "LUT_1D_SIZE 3\n" + cube2 + rows(2),
       "read as Cube 3D: Incomplete file (2 of 11 rows; the file ends at line 4)"},
      {"s.cube", "LUT_1D_SIZE 3\n" + cube2 + "LUT_1D_SIZE 4\n" + rows(11),
       "read as Cube 3D: The size is given again as 4 (it was 3; line 3)"},
      {"s.cube", cube2 + rows(1) + "LUT_1D_SIZE 3\n" + rows(10),
       "read as Cube 3D: The header value \"LUT_1D_SIZE 3\" is not supported (it comes after rows of the "
       "table; line 3)."},
      // Cube 3D Truelight: the rows end at "# end"
      {"t.cub", truelight + rows(9) + "# end\n",
       "read as Cube 3D Truelight: Too many rows (the file declares 8; line 13)"},
      {"t.cub", truelight + rows(7) + "# end\n" + rows(1),
       "read as Cube 3D Truelight: Incomplete file (7 of 8 rows; the file ends at line 13)"},
      {"t.cub", truelight + rows(4) + "# width 3 3 3\n",
       "read as Cube 3D Truelight: The size is given again as 3 (it was 2; line 9)"},
      {"t.cub", "# iDims oDims width\nLUT_3D_SIZE 2\n0 0 0\n",
       "read as Cube 3D Truelight: A row comes before the \"# width\" line (line 3)"},
      // Nucoda 3D: shaper rows, then the cube's
      {"n.cms", nucoda + "LUT_1D_SIZE 4096\n" + rows(4095),
       "read as Nucoda 3D: Incomplete file (4095 of 4096 rows; the file ends at line 4098)"},
      {"n.cms", nucoda + "LUT_1D_SIZE 2\nLUT_3D_SIZE 2\n" + rows(11),
       "read as Nucoda 3D: Too many rows (the file declares 10; line 15)"},
      {"n.cms", nucoda + "LUT_1D_SIZE 3\n" + rows(1) + "LUT_1D_SIZE 2\n",
       "read as Nucoda 3D: The size is given again as 2 (it was 3; line 5)"},
      {"n.cms", nucoda + rows(1) + "LUT_3D_SIZE 2\n",
       "read as Nucoda 3D: A row comes before the \"LUT_1D_SIZE\" or \"LUT_3D_SIZE\" line (line 3)"},
      {"n.cms", nucoda + "LUT_3D_SIZE 2\n" + rows(1) + "0.5;0.5;0.5\n",
       "read as Nucoda 3D: '0.5;0.5;0.5' is not a valid floating point value (line 5)"},
      {"n.cms", nucoda, "read as Nucoda 3D: Incomplete file."},
      {"n.cms", "NUCODA_3D_CUBE\n", "read as Nucoda 3D: '' is not a valid integer value (line 1)"},
      // Cube 1D
      {"d.cube", "LUT_1D_SIZE 3\n" + rows(4), "read as Cube 1D: Too many rows (the file declares 3; line 5)"},
      {"d.cube", "LUT_1D_SIZE 3\n" + rows(2),
       "read as Cube 1D: Incomplete file (2 of 3 rows; the file ends at line 3)"},
      {"d.cube", "LUT_1D_SIZE 3\nLUT_1D_SIZE 2\n" + rows(2),
       "read as Cube 1D: The size is given again as 2 (it was 3; line 2)"},
      {"d.cube", rows(1) + "LUT_1D_SIZE 1\n", "read as Cube 1D: A row comes before the \"LUT_1D_SIZE\" line (line 1)"},
      {"d.cube", "LUT_1D_SIZE 2\n" + rows(1) + "0.5 0.5 0.5 # comment\n",
       "read as Cube 1D: '#' is not a valid floating point value (line 3)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test::LoadError(c.text, c.name), c.error) << c.text.substr(0, 200);
  }
}

TEST(CubeReaders, ReusedLUTGetsOnlyTheNewComments) {
  TempDir dir;
  TLUT lut;
  LoadLUTFile(dir.Write("a.cube", "# a\n# b\nLUT_1D_SIZE 2\n0 0 0\n1 1 1\n"), lut);
  LoadLUTFile(dir.Write("b.cube", "# c\nLUT_1D_SIZE 2\n0 0 0\n1 1 1\n"), lut);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"c"});
}

// ---------------------------------------------------------------------------
// Round trips

TEST(CubeRoundTrips, EveryCubeProfileReadsBackWhatItWrote) {
  TempDir dir;
  struct Case {
    const char* profile;
    TLUTFormatId format;
    TLUTKind kind;
  };
  const Case cases[] = {
      {"Cube 3D Iridas, Nuke, AfterEffects", TLUTFormatId::Cube3D, TLUTKind::lk3D},
      {"Cube 3D Davinci", TLUTFormatId::Cube3D, TLUTKind::lk3D},
      {"Cube 3D Truelight", TLUTFormatId::Cube3DTruelight, TLUTKind::lk3D},
      {"Nucoda 3D", TLUTFormatId::Nucoda3D, TLUTKind::lk1DAnd3D},
      {"Cube 1D", TLUTFormatId::Cube1D, TLUTKind::lk1D},
      {"Nucoda 1D", TLUTFormatId::Nucoda3D, TLUTKind::lk1D},
  };
  for (const Case& c : cases) {
    const TLutOutputProfile& profile = *OutputProfileByCaption(c.profile);
    const bool is_3d = profile.Is3D;
    TLUT written;
    if (is_3d) test::FillSample3D(written, 17);
    else test::FillSample1D(written, 1024);
    // Values that print exactly with 6 decimals come back bit for bit.
    auto six = [](double v) { return std::round(v * 1e6) / 1e6; };
    TLUTEntry* table = is_3d ? written.Data3D() : written.Data1D();
    for (int i = 0; i < (is_3d ? 17 * 17 * 17 : 1024); ++i) table[i] = {six(table[i].R), six(table[i].G), six(table[i].B)};
    const std::string name = dir.File(std::string("rt.") + profile.Extension);
    SaveLUTFile(name, written, profile);
    TLUT back;
    LoadLUTFile(name, back);
    EXPECT_EQ(back.FormatIndex, c.format) << c.profile;
    EXPECT_EQ(back.Kind, c.kind) << c.profile;
    if (is_3d) {
      ASSERT_EQ(back.Size3D(), 17) << c.profile;
      EXPECT_EQ(test::MaxDifference3D(back, written, 17), 0.0) << c.profile;
    } else {
      ASSERT_EQ(back.Size1D(), 1024) << c.profile;
      EXPECT_EQ(test::MaxDifference1D(back, written, 1024), 0.0) << c.profile;
    }
  }
}

TEST(CubeRoundTrips, OwnCommentLineComesBackAndIsWrittenTwice) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  const std::string a = dir.File("a.cube");
  SaveLUTFile(a, lut, *OutputProfileByCaption("Cube 3D Davinci"));
  TLUT back;
  LoadLUTFile(a, back);
  EXPECT_EQ(back.Comments, std::vector<std::string>{"Converted by Zelvo LUT Converter"});
  const std::string b = dir.File("b.cube");
  SaveLUTFile(b, back, *OutputProfileByCaption("Cube 3D Davinci"));
  EXPECT_EQ(test::ReadAll(b).substr(0, 71),
            "# Converted by Zelvo LUT Converter\n# Converted by Zelvo LUT Converter\n\n");
}

TEST(CubeRoundTrips, NucodaShaperComesBackFromZeroToAlmostOne) {
  TempDir dir;
  TLUT lut;
  test::FillSample3D(lut, 5);
  const std::string name = dir.File("n.cms");
  SaveLUTFile(name, lut, *OutputProfileByCaption("Nucoda 3D"));
  TLUT back;
  LoadLUTFile(name, back);
  EXPECT_EQ(back.Size1D(), 4096);
  EXPECT_EQ(back.Table1D(0).R, 0.0);
  EXPECT_DOUBLE_EQ(back.Table1D(4095).G, 32.999999 / 33.0);
  EXPECT_FALSE(LUTFormatOf(TLUTFormatId::Nucoda1D).CanRead(TLUTSource::FromFile(name)));
}

// ---------------------------------------------------------------------------
// Files written by other tools

TEST(CubePeerFiles, ReadWithTheirSizesAndRows) {
  // The first and last rows of each stage, as the files hold them.
  struct Stage {
    int size;
    TLUTEntry first, last;
  };
  struct Case {
    const char* file;
    TLUTFormatId format;
    TLUTKind kind;
    Stage shaper, cube;  // size 0: the stage is not in force
  };
  using F = TLUTFormatId;
  const Case cases[] = {
      {"OpenColorIO/iridas_3d.cube", F::Cube3D, TLUTKind::lk3D, {}, {2, {0, 0, 0}, {2, 2, 2}}},
      {"OpenColorIO/iridas_1d.cube", F::Cube1D, TLUTKind::lk1D, {5, {-1, -2, -3}, {1, 2.1, 3.2}}, {}},
      {"OpenColorIO/resolve_1d3d.cube", F::Cube3D, TLUTKind::lk1DAnd3D, {6, {3.3, 3.4, 3.5}, {0, 0, 0}},
       {3, {1.1, 1.1, 1.1}, {0, 0, 0}}},
      {"colour/resolve_cube/Three_Dimensional_Table_With_Shaper.cube", F::Cube3D, TLUTKind::lk1DAnd3D,
       {10, {-0.3511192, -0.3511192, -0.3511192}, {1.6476816, 1.6476816, 1.6476816}},
       {3, {0.9277778, 0.9063014, 0.9020062}, {3, 3, 3}}},
      {"ociobakelut/shaper_log2_resolve_cube.cube", F::Cube3D, TLUTKind::lk1DAnd3D, {256, {0, 0, 0}, {1, 1, 1}},
       {17, {0.066486, 0, 0}, {1, 1, 1}}},
      {"ociobakelut/cdl_nosat_resolve_1d.cube", F::Cube1D, TLUTKind::lk1D,
       {4096, {0.003981, 0, -0.01}, {1.133411, 1, 0.910987}}, {}},
      // An identity input LUT (in grid units) is dropped.
      {"ociobakelut/cdl_sat_truelight_17.cub", F::Cube3DTruelight, TLUTKind::lk3D, {},
       {17, {0.002824, 0.000037, -0.006963}, {1.099969, 1.006581, 0.944272}}},
      // An identity input LUT in grid units is dropped; the row after "# end" is not read.
      {"OpenColorIO-inline-samples/FileFormatTruelight_tests__shaper_and_lut_3d.cub", F::Cube3DTruelight,
       TLUTKind::lk3D, {}, {3, {0, 0, 0}, {0.5, 1, 1}}},
  };
  for (const Case& c : cases) {
    const std::string file = test::PeerFile(c.file);
    if (file.empty()) GTEST_SKIP() << "peer files missing";
    SCOPED_TRACE(c.file);
    TLUT lut;
    LoadLUTFile(file, lut);
    EXPECT_EQ(lut.FormatIndex, c.format);
    EXPECT_EQ(lut.Kind, c.kind);
    if (c.shaper.size > 0) {
      ASSERT_EQ(lut.Size1D(), c.shaper.size);
      EXPECT_EQ(lut.Table1D(0), c.shaper.first);
      EXPECT_EQ(lut.Table1D(c.shaper.size - 1), c.shaper.last);
    }
    if (c.cube.size > 0) {
      const int n = c.cube.size - 1;
      ASSERT_EQ(lut.Size3D(), c.cube.size);
      EXPECT_EQ(lut.Table3D(0, 0, 0), c.cube.first);
      EXPECT_EQ(lut.Table3D(n, n, n), c.cube.last);
    }
  }
}

TEST(CubePeerFiles, BakedCDLMatchesTheAnalyticResult) {
  // Slope 1.1 1.0 0.9, offset 0.01 0 -0.01, power 1.2 1.0 0.8 (negative values
  // pass the power unchanged, nothing is clamped), then saturation 0.7 with
  // Rec.709 weights: check a few grid points.
  const std::string file = test::PeerFile("ociobakelut/cdl_sat_truelight_17.cub");
  if (file.empty()) GTEST_SKIP() << "peer files missing";
  TLUT lut;
  LoadLUTFile(file, lut);
  auto cdl = [](double r, double g, double b) {
    auto ch = [](double v, double s, double o, double p) {
      v = v * s + o;
      return v < 0 ? v : std::pow(v, p);
    };
    r = ch(r, 1.1, 0.01, 1.2);
    g = ch(g, 1.0, 0.0, 1.0);
    b = ch(b, 0.9, -0.01, 0.8);
    const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    return TColor{luma + 0.7 * (r - luma), luma + 0.7 * (g - luma), luma + 0.7 * (b - luma)};
  };
  for (int r : {0, 5, 12, 16})
    for (int g : {0, 8, 16})
      for (int b : {3, 16}) {
        const TColor want = cdl(r / 16.0, g / 16.0, b / 16.0);
        const TLUTEntry& got = lut.Table3D(r, g, b);
        EXPECT_NEAR(got.R, want.R, 2e-4) << r << " " << g << " " << b;
        EXPECT_NEAR(got.G, want.G, 2e-4);
        EXPECT_NEAR(got.B, want.B, 2e-4);
      }
}

}  // namespace
}  // namespace zelvo
