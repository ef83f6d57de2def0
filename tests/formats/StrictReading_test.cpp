// The strict readers of the Cinespace, Imageworks, Houdini and vector-field
// files: a valid sample of each format, changed one line at a time, fails
// with the exact message and line; and the helpers behind those messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "TestFormats.h"
#include "registry/Registry.h"
#include "formats/TableSupport.h"
#include "formats/ReadErrors.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

struct Mutation {
  int line;             // 1-based line of the sample to replace (past the end: appended)
  const char* text;     // the new line; nullptr removes it
  std::string message;  // the error's message
  int error_line;       // the error's line; 0 where the message says where
};

std::string Mutated(const std::string& sample, const Mutation& m) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < sample.size()) {
    const std::size_t end = sample.find('\n', pos);
    lines.push_back(sample.substr(pos, end - pos));
    pos = end == std::string::npos ? sample.size() : end + 1;
  }
  const auto at = static_cast<std::size_t>(m.line - 1);
  if (at >= lines.size()) lines.push_back(m.text);
  else if (m.text == nullptr) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
  else lines[at] = m.text;
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

void ExpectMutationsFail(const std::string& sample, TLUTFormatId format, const std::vector<Mutation>& mutations) {
  {
    TLUT lut;
    ASSERT_NO_THROW(LoadLUTFromMemory("sample", sample, lut, format)) << "the sample itself";
    test::ExpectConsistentTable(lut, sample);
  }
  for (const Mutation& m : mutations) {
    const std::string text = Mutated(sample, m);
    SCOPED_TRACE(text);
    TLUT lut;
    try {
      LoadLUTFromMemory("sample", text, lut, format);
      ADD_FAILURE() << "loaded";
    } catch (const EZelvoError& e) {
      EXPECT_EQ(e.what(), m.message);
      EXPECT_EQ(e.Line, m.error_line);
    }
  }
}

TEST(StrictReading, Cinespace) {
  const std::string sample =
      "CSPLUTV100\n3D\n\nBEGIN METADATA\nWarm\nEND METADATA\n\n3\n0.0 0.5 1.0\n0.0 0.25 1.0\n2\n0.0 1.0\n0.0 1.0\n"
      "2\n0.0 1.0\n0.0 1.0\n\n2 2 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
  ExpectMutationsFail(sample, TLUTFormatId::Cinespace, {
      {1, "CSPLUTV1", "The file does not start with \"CSPLUTV100\"", 1},
      {2, "2D", "The type \"2D\" is not supported (1D or 3D)", 2},
      {6, nullptr, "The metadata block has no \"END METADATA\" line", 4},
      {8, "x", "'x' is not a valid integer value", 8},
      {8, "-1", "The header value \"-1\" is not supported (a count of pre-LUT breakpoints of 0 or more is expected).", 8},
      {9, "0.0 0.5", "'0.0 0.5' is not a row of 3 values", 9},
      {9, "0.0 0.6 0.5", "The pre-LUT's breakpoints must increase ('0.5' follows '0.6')", 9},
      {10, "0.0 0,25 1.0", "'0,25' is not a valid floating point value", 10},
      {10, "-1e308 0.25 1e308", "The file's numbers give values beyond the range of floating-point numbers.", 0},
      {18, "2 2", "'2 2' is not a row of 3 values", 18},
      {18, "2 300 2", "The 3D grid size 300 is not supported (1 to 256 points per axis).", 18},
      {18, "256 256 256", "Incomplete file (16777216 rows declared; the file's 173 bytes cannot hold them)", 0},
      {20, "1 0", "'1 0' is not a row of 3 values", 20},
      {20, "1 0 nan", "'nan' is not a valid floating point value", 20},
      {20, "1 0 1e400", "'1e400' is not a valid floating point value", 20},
      {20, "1 0 0 0", "'1 0 0 0' is not a row of 3 values", 20},
      {26, nullptr, "Incomplete file (7 of 8 rows; the file ends at line 25)", 0},
      {27, "1 1 1", "Too many rows (the file declares 8)", 27},
  });
}

TEST(StrictReading, Imageworks) {
  const std::string spi1d = "Version 1\nFrom 0 2\nLength 3\nComponents 3\n{\n0 0 0\n0.5 0.5 0.5\n1 1 1\n}\n";
  ExpectMutationsFail(spi1d, TLUTFormatId::Spi1D, {
      {1, "Version 2", "Only version 1 of the format is read", 1},
      {1, "# no version", "The \"Version\" line is missing", 0},
      {2, "From 0", "The header value \"From 0\" is not supported (two numbers are expected).", 2},
      {2, "From 1 1", "The header value \"From 1 1\" is not supported (the maximum must be above the minimum).", 2},
      {3, "Length three", "'three' is not a valid integer value", 3},
      {3, "Length 300", "Incomplete file (3 of 300 rows; the file ends at line 9)", 0},
      {4, "Components 2", "The header value \"Components 2\" is not supported (1 or 3 components are read).", 4},
      {5, "Length 4", "The size is given again as 4 (it was 3)", 5},
      {7, "0.5 0.5", "'0.5 0.5' is not a row of 3 values", 7},
      {8, nullptr, "Incomplete file (2 of 3 rows; the file ends at line 8)", 0},
      {9, "1 1 1", "Too many rows (the file declares 3)", 9},
      {10, "1 1 1", "Too many rows (the file declares 3)", 10},
  });
  const std::string spi3d = "SPILUT 1.0\n3 3\n2 1 1\n0 0 0 0.1 0.2 0.3\n1 0 0 0.4 0.5 0.6\n";
  ExpectMutationsFail(spi3d, TLUTFormatId::Spi3D, {
      {1, "SPI", "The file does not start with \"SPILUT\"", 1},
      {2, "1 3", "The header value \"1 3\" is not supported (three inputs and three outputs are read).", 2},
      {3, "2 1", "'2 1' is not a row of 3 values", 3},
      {4, "0 0 0 0.1 0.2", "'0 0 0 0.1 0.2' is not a row of 6 values", 4},
      {4, "0.5 0 0 0.1 0.2 0.3", "'0.5' is not a valid integer value", 4},
      {4, "2 0 0 0.1 0.2 0.3", "The grid point 2 0 0 is outside the grid of 2 x 1 x 1 points", 4},
      {5, "0 0 0 0.1 0.2 0.3", "The grid point 0 0 0 is given twice", 5},
      {5, nullptr, "Incomplete file (1 of 2 rows; the file ends at line 4)", 0},
      {6, "1 0 0 0.4 0.5 0.6", "Too many rows (the file declares 2)", 6},
  });
  const std::string spimtx = "1 0 0 0\n0 1 0 0\n0 0 1 65535\n";
  ExpectMutationsFail(spimtx, TLUTFormatId::SpiMtx, {
      {3, "0 0 1", "Incomplete file (11 of 12 numbers; the file ends at line 3)", 0},
      {3, "0 0 1 0 0", "Too many numbers (a matrix file holds 12)", 3},
      {2, "0 1 0 0,5", "'0,5' is not a valid floating point value", 2},
      {2, "1e308 1e308 0 0", "The file's numbers give values beyond the range of floating-point numbers.", 0},
  });
}

TEST(StrictReading, Houdini) {
  const std::string sample =
      "Version 3\nFormat any\nType 3D+1D\nFrom 0 2\nTo 0 1\nBlack 0\nWhite 1\nLength 2 2\nLUT:\nPre {\n0\n1\n}\n"
      "3D {\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n}\n";
  ExpectMutationsFail(sample, TLUTFormatId::Houdini, {
      {3, "Type 2D", "The header value \"Type 2D\" is not supported (the types 3D, 3D+1D, C, CA, RGB and RGBA are read).", 3},
      {3, "# no type", "The \"Type\" line is missing", 0},
      {4, "From 2 0", "The header value \"From 2 0\" is not supported (the maximum must be above the minimum).", 4},
      {6, "Black 0.1", "The header value \"Black 0.1\" is not supported (black and white points other than 0 and 1 are not read).", 6},
      {6, "Length 3 2", "The size is given again as 2 (it was 3)", 8},
      {8, "Length 2", "The \"Length\" line gives no pre-LUT length", 0},
      {8, "Length 200 2", "Incomplete file (8000000 rows declared; the file's 149 bytes cannot hold them)", 0},
      {9, "LUT", "Incomplete file (the file ends at line 23, before the \"LUT:\" line)", 0},
      {10, "Post {", "The block \"Post\" is not read in this type of file", 10},
      {10, "Pre", "'Pre' does not open a block of values", 10},
      {12, "1 }", "'}' does not open a block of values", 13},
      {12, nullptr, "The block \"Pre\" holds 1 of 2 rows", 12},
      {13, "2", "Too many rows (the file declares 2)", 13},
      {16, "1 0", "'1 0' is not a row of 3 values", 16},
      {23, nullptr, "The block \"3D\" has no closing \"}\" (the file ends at line 22)", 0},
      {22, nullptr, "The block \"3D\" holds 7 of 8 rows", 22},
      {24, "Pre {", "The block \"Pre\" is given twice", 24},
  });
}

TEST(StrictReading, NukeVectorField) {
  const std::string sample = "#Inventor V2.1 ascii\ngrid_size 2 1 1\ndata\n0 0 0\n1 1 1\n";
  ExpectMutationsFail(sample, TLUTFormatId::NukeVF, {
      {2, "grid_size 2 2 255", "Incomplete file (2 of 1020 rows; the file ends at line 5)", 0},
      {1, "Inventor", "The file does not start with \"#Inventor\"", 1},
      {2, "grid_size 2 1", "The header value \"grid_size 2 1\" is not supported (three sizes are expected).", 2},
      {2, "element_size 1 1 1", "The \"grid_size\" line is missing before \"data\"", 3},
      {2, "global_transform 1 0", "The header value \"global_transform 1 0\" is not supported (16 numbers are expected).", 2},
      {3, "grid_size 2 1 2", "The size is given again as 2 (it was 1)", 3},
      {3, nullptr, "Incomplete file (the file ends at line 4, before the \"data\" line)", 0},
      {5, "1 1", "'1 1' is not a row of 3 values", 5},
      {6, "1 1 1", "Too many rows (the file declares 2)", 6},
  });
}

TEST(StrictReading, MessageHelpers) {
  EXPECT_EQ(EscapedRow("  0.5\t0.5  "), "0.5\\x090.5");
  EXPECT_EQ(EscapedRow(std::string(45, '7')), std::string(40, '7') + "...");
  EXPECT_EQ(EscapedRow("a\x7f" "b\x01" "c"), "a\\x7Fb\\x01c");
  // N rows of at least B bytes need N * B - 1 bytes: the last row has no line
  // end. Small tables are left to their rows, which say more.
  EXPECT_NO_THROW(CheckRowsFit(10, 2, 6));
  EXPECT_NO_THROW(CheckRowsFit(30005, 5001, 6));
  EXPECT_THROW(CheckRowsFit(30004, 5001, 6), ELUTError);
  EXPECT_THROW(CheckRowsFit(20, std::size_t(1) << 62, 6), ELUTError);
}

// A table of 2 x 3 x 5 points becomes a cube of 1 + lcm(1, 2, 4) = 5 points
// that interpolates exactly like it; 2 x 4 x 5 needs 13 points.
TEST(StrictReading, RaggedTablesBecomeCubesThatInterpolateAlike) {
  for (const auto& [sizes, cube] : {std::pair{std::array{2, 3, 5}, 5}, std::pair{std::array{2, 4, 5}, 13}}) {
    const auto f = [](double r, double g, double b) { return TLUTEntry{r * g + b, g * g, r - b * b}; };
    TLUT lut;
    lut.Kind = TLUTKind::lk3D;
    TGridTable grid(lut, sizes[0], sizes[1], sizes[2]);
    for (int b = 0; b < sizes[2]; ++b)
      for (int g = 0; g < sizes[1]; ++g)
        for (int r = 0; r < sizes[0]; ++r)
          grid.At(r, g, b) = f(double(r) / (sizes[0] - 1), double(g) / (sizes[1] - 1), double(b) / (sizes[2] - 1));
    grid.Finish();
    ASSERT_EQ(lut.Size3D(), cube);
    EXPECT_NE(lut.Comments.back().find("exactly"), std::string::npos);
    // A ragged table whose cube would dwarf it is refused before the cube exists.
    if (cube == 13) {
      TLUT big;
      TGridTable thin(big, 2, 2, 255);
      EXPECT_EQ(test::ErrorOf([&] { thin.Finish(); }),
                "The table of 2 x 2 x 255 points would need a cube of 255 points, too large for it.");
    }
    // Trilinear over the source grid, computed independently at off-grid points.
    for (const TColor in : {TColor{0.3, 0.7, 0.55}, TColor{0.9, 0.1, 0.05}, TColor{0.5, 0.5, 0.5}}) {
      const auto lerp_axis = [](double x, int n, int& i0, double& t) {
        const double p = x * (n - 1);
        i0 = std::min(static_cast<int>(p), n - 2);
        t = p - i0;
      };
      int i[3];
      double t[3];
      lerp_axis(in.R, sizes[0], i[0], t[0]);
      lerp_axis(in.G, sizes[1], i[1], t[1]);
      lerp_axis(in.B, sizes[2], i[2], t[2]);
      TLUTEntry want{};
      for (int corner = 0; corner < 8; ++corner) {
        const int dr = corner & 1, dg = (corner >> 1) & 1, db = (corner >> 2) & 1;
        const double w = (dr ? t[0] : 1 - t[0]) * (dg ? t[1] : 1 - t[1]) * (db ? t[2] : 1 - t[2]);
        const TLUTEntry e = f(double(i[0] + dr) / (sizes[0] - 1), double(i[1] + dg) / (sizes[1] - 1),
                              double(i[2] + db) / (sizes[2] - 1));
        want = TLUTEntry{want.R + w * e.R, want.G + w * e.G, want.B + w * e.B};
      }
      const TColor got = EvaluateLUT(lut, in);
      EXPECT_NEAR(got.R, want.R, 1e-12);
      EXPECT_NEAR(got.G, want.G, 1e-12);
      EXPECT_NEAR(got.B, want.B, 1e-12);
    }
  }
}

}  // namespace
}  // namespace zelvo
