#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "TestFormats.h"
#include "registry/Registry.h"
#include "registry/Registry.h"
#include "base/TextFile.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::ErrorOf;
using test::Profile;
using test::TempDir;



std::string Shaper17() { return "0 64 128 192 256 320 384 448 512 576 640 704 768 832 896 960 1023"; }

// ---------------------------------------------------------------------------
// Writers, byte for byte

TEST(MeshWriters, ThreeDlAt12BitsWithCommentsAndShaper) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 17);
  lut.Comments = {"first", "second"};
  lut.Table3D(16, 16, 15) = {0.5, 1.3, -0.1};
  const std::string name = dir.File("a.3dl");
  SaveLUTFile(name, lut, Profile("3DL Scratch, Autodesk, Blackmagic, Cine-tal"));
  const std::string text = test::ReadAll(name);
  const std::string head = "# first\n# second\n# Converted by Zelvo LUT Converter\n" + Shaper17() +
                           "\n0 0 0\n0 0 256\n0 0 512\n0 0 768\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  const std::string tail = "2048 4095 0\n4095 4095 4095\n";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  TTextFile lines;
  lines.ReadFromText(text);
  EXPECT_EQ(lines.Count(), 4u + 17u * 17u * 17u);
}

TEST(MeshWriters, ThreeDlShaperFor33PointsAt10Bits) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 33);
  const std::string name = dir.File("a.3dl");
  SaveLUTFile(name, lut, Profile("3DL Fusion"), 10);
  std::string shaper;
  for (int i = 0; i < 32; ++i) shaper += std::to_string(32 * i) + " ";
  shaper += "1023";
  const std::string head = "# Converted by Zelvo LUT Converter\n" + shaper + "\n0 0 0\n0 0 32\n0 0 64\n";
  EXPECT_EQ(test::ReadAll(name).substr(0, head.size()), head);
}

TEST(MeshWriters, LustreDeclaresTheMeshExponentOfTheGrid) {
  struct Case {
    int size;
    int bits;
    std::string head;
  };
  const Case cases[] = {
      {33, 12, "\n# Converted by Zelvo LUT Converter\n\n3DMESH\nMesh 5 12\n\n0 0 0\n0 0 128\n0 0 256\n"},
      {17, 10, "\n# Converted by Zelvo LUT Converter\n\n3DMESH\nMesh 4 10\n\n0 0 0\n0 0 64\n0 0 128\n"},
      {65, 16, "\n# Converted by Zelvo LUT Converter\n\n3DMESH\nMesh 6 16\n\n0 0 0\n0 0 1024\n0 0 2048\n"},
      {129, 12, "\n# Converted by Zelvo LUT Converter\n\n3DMESH\nMesh 7 12\n\n0 0 0\n0 0 32\n0 0 64\n"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TLUT lut;
    test::FillIdentity3D(lut, c.size);
    lut.Comments = {"not written"};
    const std::string name = dir.File("a.lut");
    SaveLUTFile(name, lut, Profile("Autodesk Lustre 3D"), c.bits);
    const std::string text = test::ReadAll(name);
    EXPECT_EQ(text.substr(0, c.head.size()), c.head);
    const std::string max = std::to_string((1 << c.bits) - 1);
    const std::string tail = max + " " + max + " " + max + "\n\nLUT8\ngamma 1.0\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    TLUT back;  // every grid the writer states, the reader takes
    LoadLUTFile(name, back);
    EXPECT_EQ(back.Size3D(), c.size);
  }
}

TEST(MeshWriters, LustreRefusesGridsTheMeshLineCannotState) {
  TempDir dir;
  const std::string name = dir.Write("keep.lut", "old\n");
  for (int size : {32, 16, 1}) {
    TLUT lut;
    test::FillIdentity3D(lut, size);
    const std::string message = ErrorOf([&] { SaveLUTFile(name, lut, Profile("Autodesk Lustre 3D")); });
    EXPECT_NE(message.find("2^n + 1 points"), std::string::npos) << message;
    EXPECT_NE(message.find(std::to_string(size) + " points"), std::string::npos) << message;
  }
  EXPECT_EQ(test::ReadAll(name), "old\n");
}

TEST(MeshWriters, IntegerWritersRefuseBitDepthsNoReaderTakes) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 17);
  for (int bits : {0, -2, 32}) {  // -1 stands for the profile's default
    EXPECT_NE(ErrorOf([&] { SaveLUTFile(dir.File("a.3dl"), lut, OutputProfileByIndex(0), bits); }).find("bit depth"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { SaveLUTFile(dir.File("a.lut"), lut, OutputProfileByIndex(2), bits); }).find("bit depth"),
              std::string::npos);
  }
}

TEST(MeshWriters, ColorfrontWritesBlueGreenRedRowsRedFastest) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(1, 0, 0) = {0.3, 0.2, 0.1};
  lut.Comments = {"not written"};
  const std::string name = dir.File("a.3dmesh");
  SaveLUTFile(name, lut, Profile("Colorfront OSD 3D"), 12);
  EXPECT_EQ(test::ReadAll(name),
            "0.000000 0.000000 0.000000\n"
            "0.100000 0.200000 0.300000\n"
            "0.000000 1.000000 0.000000\n"
            "0.000000 1.000000 1.000000\n"
            "1.000000 0.000000 0.000000\n"
            "1.000000 0.000000 1.000000\n"
            "1.000000 1.000000 0.000000\n"
            "1.000000 1.000000 1.000000\n");
}

// ---------------------------------------------------------------------------
// 3dl reader

TEST(ThreeDlReader, ShaperLineGivesTheSizeAndRowsAreBlueFastest) {
  TempDir dir;
  const std::string name = dir.Write("a.3dl",
                                     "# made by hand\n"
                                     "\n"
                                     "shaper follows\n"  // not led by a digit: ignored
                                     "  0 1023\n"
                                     "0 0 0\n"
                                     "0 0 4095\n"
                                     "# between rows\n"
                                     "0 4095 0\n"
                                     "0 4095 4095\n"
                                     "4095 0 0\n"
                                     "4095 0 4095\n"
                                     "4095 4095 0\n"
                                     "2048 1024 4095\n"
                                     "LUT8\n");  // another tool's keyword: ignored
  TLUT lut;
  LoadLUTFile(name, lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::ThreeDL);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Comments, (std::vector<std::string>{"made by hand", "between rows"}));
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{0, 0, 1}));
  EXPECT_EQ(lut.Table3D(0, 1, 0), (TLUTEntry{0, 1, 0}));
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{1, 0, 0}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{2048 / 4095.0, 1024 / 4095.0, 1}));
}

TEST(ThreeDlReader, LargestCodeDecidesTheDepth) {
  struct Case {
    int largest;
    int bits;
  };
  const Case cases[] = {{1023, 10}, {1000, 10}, {1024, 12}, {4095, 12}, {4096, 16}, {65535, 16}, {65536, 17}, {0, 10}};
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.largest);
    std::string text = "0 1023\n";
    for (int i = 0; i < 7; ++i) text += "0 1 2\n";
    text += std::to_string(c.largest) + " 0 1\n";
    TLUT lut;
    EXPECT_EQ(LoadLUTFile(dir.Write("d.3dl", text), lut).Bits, c.bits);
    const double divisor = std::ldexp(1.0, c.bits) - 1;
    EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{c.largest / divisor, 0, 1 / divisor}));
    EXPECT_EQ(lut.Table3D(0, 0, 0), (TLUTEntry{0, 1 / divisor, 2 / divisor}));
  }
}

TEST(ThreeDlReader, OwnDarkTableAt12BitsReadsBackExactly) {
  // Every code of this table stays below 1024; only our identification line
  // tells that the file holds 12-bit codes.
  TempDir dir;
  TLUT lut;
  test::FillSample3D(lut, 17);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) {
        TLUTEntry& e = lut.Table3D(r, g, b);
        e = {e.R * 0.2, e.G * 0.2, e.B * 0.2};
      }
  const std::string name = dir.File("dark.3dl");
  SaveLUTFile(name, lut, Profile("3DL Scratch, Autodesk, Blackmagic, Cine-tal"));
  TLUT back;
  EXPECT_EQ(LoadLUTFile(name, back).Bits, 12);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) {
        const TLUTEntry& w = lut.Table3D(r, g, b);
        const TLUTEntry& e = back.Table3D(r, g, b);
        ASSERT_EQ(e.R, std::nearbyint(w.R * 4095) / 4095);
        ASSERT_EQ(e.G, std::nearbyint(w.G * 4095) / 4095);
        ASSERT_EQ(e.B, std::nearbyint(w.B * 4095) / 4095);
      }
  // The same rows without our line are taken for a 10-bit file.
  std::string text = test::ReadAll(name);
  text.erase(0, text.find('\n') + 1);
  EXPECT_EQ(LoadLUTFile(dir.Write("other.3dl", text), back).Bits, 10);
}

TEST(ThreeDlReader, ThreeFieldShaperLineOfAThreePointGrid) {
  TempDir dir;
  std::string text = "0 512 1023\n";
  for (int i = 0; i < 27; ++i) text += "4095 " + std::to_string(i) + " 0\n";
  TLUT lut;
  LoadLUTFile(dir.Write("a.3dl", text), lut);
  EXPECT_EQ(lut.Size3D(), 3);
  EXPECT_EQ(lut.Table3D(2, 2, 2).G, 26 / 4095.0);
}

// ---------------------------------------------------------------------------
// 3DMESH reader

TEST(LustreReader, MeshLineGivesSizeAndDepth) {
  TempDir dir;
  std::string text = "#Tokens required by applications - do not edit\n\n3DMESH\nMesh 4 10\n" + Shaper17() + "\n\n";
  for (int i = 0; i < 17 * 17 * 17; ++i) text += i == 1 ? "1023 0 512\n" : std::to_string(i % 1024) + " 0 0\n";
  text += "\nLUT8\ngamma 1.0\n";
  TLUT lut;
  LoadLUTFile(dir.Write("a.3dl", text), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Lustre3D);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 17);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{1, 0, 512 / 1023.0}));
  EXPECT_EQ(lut.Table3D(0, 1, 0).R, 17 / 1023.0);
  EXPECT_EQ(lut.Table3D(16, 16, 16).R, (17 * 17 * 17 - 1) % 1024 / 1023.0);
}

// ---------------------------------------------------------------------------
// Colorfront OSD 3D reader

TEST(ColorfrontReader, RowCountGivesTheSizeAndColumnsAreBlueGreenRed) {
  TempDir dir;
  std::string text = "# comment\n\n";
  for (int i = 0; i < 8; ++i) text += i == 1 ? "0.1 0.2 0.3\n" : "0 0 " + std::to_string(i) + "\n";
  text += "end\n";  // not a row, not counted
  TLUT lut;
  LoadLUTFile(dir.Write("a.3dmesh", text), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::ColorFrontOSD3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{0.3, 0.2, 0.1}));  // red fastest
  EXPECT_EQ(lut.Table3D(0, 1, 0).R, 2.0);
  EXPECT_EQ(lut.Table3D(1, 1, 1).R, 7.0);
}

// ---------------------------------------------------------------------------
// Damaged files, each refused at the line at fault

TEST(MeshReaders, MalformedFilesFailAtTheirLine) {
  const auto rows = [](int n, const std::string& row) {
    std::string text;
    for (int i = 0; i < n; ++i) text += row;
    return text;
  };
  const std::string codes = "0 2048 4095\n", decimals = "0.5 0.25 0.125\n";
  const std::string lustre = "3DMESH\nMesh 1 12\n";  // 3 points, 27 rows
  struct Case {
    std::string name, text, error;
  };
  const Case cases[] = {
      // 3dl
      {"a.3dl", Shaper17() + "\n" + rows(33 * 33 * 33, codes),
       "read as 3DL: Too many rows (the file declares 4913; line 4915)"},
      {"a.3dl", "0 1023\n" + rows(7, codes), "read as 3DL: Incomplete file (7 of 8 rows; the file ends at line 8)"},
      {"a.3dl", rows(8, "0 0 0\n"),
       "read as 3DL: The file has no input-shaper line (its first line of numbers, \"0 0 0\", is a row of the "
       "table; line 1)"},
      {"a.3dl", "# c\n" + rows(27, codes),
       "read as 3DL: The file has no input-shaper line (its first line of numbers, \"0 2048 4095\", is a row of "
       "the table; line 2)"},
      {"a.3dl", "0 1.5 1023\n", "read as 3DL: '1.5' is not a valid integer value (line 1)"},
      {"a.3dl", "0 1023\n" + codes + "nan 0 0\n" + rows(6, codes),
       "read as 3DL: 'nan' is not a valid integer value (line 3)"},
      {"a.3dl", "0 1023\n" + codes + "0 0 12x\n" + rows(6, codes),
       "read as 3DL: '12x' is not a valid integer value (line 3)"},
      {"a.3dl", "0 1023\n" + codes + "0 0 0 0\n" + rows(6, codes),
       "read as 3DL: '0 0 0 0' is not a row of 3 values (line 3)"},
      {"a.3dl", "0 1023\n" + codes + "0 0\n" + rows(6, codes), "read as 3DL: '0 0' is not a row of 3 values (line 3)"},
      {"a.3dl", "0 1023\n" + codes + "0 0 99999999999\n" + rows(6, codes),
       "read as 3DL: '99999999999' is not a valid integer value (line 3)"},
      {"a.3dl", "0 1023\n0 0 0\n",
       "read as 3DL: Incomplete file (1 of 8 rows; the file ends at line 2)"},
      {"a.3dl", "# only a comment\nLUT8\n", "read as 3DL: Incomplete file."},
      // Autodesk Lustre 3D
      {"a.3dl", "3DMESH\nMesh 4 12\n" + Shaper17() + "\n" + rows(33 * 33 * 33, codes),
       "read as Autodesk Lustre 3D: Too many rows (the file declares 4913; line 4917)"},
      {"a.lut", lustre + rows(26, codes) + "\nLUT8\n",
       "read as Autodesk Lustre 3D: Incomplete file (26 of 27 rows; the file ends at line 30)"},
      {"a.lut", lustre + rows(27, codes) + "Mesh 2 12\n",
       "read as Autodesk Lustre 3D: The size is given again as 5 (it was 3; line 30)"},
      {"a.lut", lustre + "Mesh 1 10\n" + rows(27, codes),
       "read as Autodesk Lustre 3D: The header value \"Mesh 1 10\" is not supported (the bit depth was 12; line 3)."},
      {"a.lut", "3DMESH\n" + codes + "Mesh 1 12\n",
       "read as Autodesk Lustre 3D: A row comes before the \"Mesh\" line (line 2)"},
      {"a.lut", lustre + "0 512 1023 2048\n" + codes + "1 2\n" + rows(25, codes),
       "read as Autodesk Lustre 3D: '1 2' is not a row of 3 values (line 5)"},
      {"a.lut", lustre + codes + "0 0 0 0\n" + rows(25, codes),
       "read as Autodesk Lustre 3D: '0 0 0 0' is not a row of 3 values (line 4)"},
      {"a.lut", "3DMESH\n" + rows(8, codes),
       "read as Autodesk Lustre 3D: A row comes before the \"Mesh\" line (line 2)"},
      {"a.lut", "3DMESH\nLUT8\n",
       "read as Autodesk Lustre 3D: The file has no \"Mesh\" line, so its grid size is not known."},
      {"a.lut", "3DMESH\nMesh 0 0\n",
       "read as Autodesk Lustre 3D: The header value \"Mesh 0 0\" is not supported (the bit depth must be 1 to "
       "31; line 2)."},
      {"a.lut", "3DMESH\nMesh x 12\n", "read as Autodesk Lustre 3D: 'x' is not a valid integer value (line 2)"},
      {"a.lut", "3DMESH\nMesh 8 12\n",
       "read as Autodesk Lustre 3D: The header value \"Mesh 8 12\" is not supported (the grid exponent must be 0 to 7, "
       "up to 129 points; line 2)."},
      // Colorfront OSD 3D: the row count gives the grid
      {"a.3dmesh", rows(2456, decimals),
       "read as Colorfront OSD 3D: Incomplete file (2456 rows make no whole grid; 13 points take 2197 rows, "
       "14 points 2744)"},
      {"a.3dmesh", rows(9, decimals),
       "read as Colorfront OSD 3D: Incomplete file (9 rows make no whole grid; 2 points take 8 rows, 3 points 27)"},
      {"a.3dmesh", rows(3, decimals) + "inf 0.5 0.5\n" + rows(4, decimals),
       "read as Colorfront OSD 3D: 'inf' is not a valid floating point value (line 4)"},
      {"a.3dmesh", rows(3, decimals) + "0,5 0,5 0,5\n" + rows(4, decimals),
       "read as Colorfront OSD 3D: '0,5 0,5 0,5' is not a row of 3 values (line 4)"},
      {"a.3dmesh", "# nothing but a comment\n", "read as Colorfront OSD 3D: Incomplete file."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test::LoadError(c.text, c.name), c.error) << c.text.substr(0, 200);
  }
}

// ---------------------------------------------------------------------------
// Detection overlaps

TEST(MeshDetection, ThreeDMeshKeywordWinsOverTheExtensions) {
  EXPECT_EQ(DetectLUTFormat(TLUTSource("a.3dl", "3DMESH\nMesh 4 12\n")), TLUTFormatId::Lustre3D);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("a.3dmesh", "3dmesh\nMesh 4 12\n")), TLUTFormatId::Lustre3D);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("b.3DL", "0 64 1023\n")), TLUTFormatId::ThreeDL);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("c.3dl", "LUT_3D_SIZE 2\n")), TLUTFormatId::Cube3D);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("b.3DMesh", "0.1 0.2 0.3\n")), TLUTFormatId::ColorFrontOSD3D);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("b.txt", "0 64 1023\n")), TLUTFormatId::None);
}

// ---------------------------------------------------------------------------
// Files written by other tools

TEST(MeshPeerFiles, ThreeDlFilesReadAtTheirOwnDepth) {
  const std::string flame = test::PeerFile("ociobakelut/cdl_sat_flame.3dl");
  if (flame.empty()) GTEST_SKIP() << "peer files missing";
  // The file holds slope (1.1 1.0 0.9), offset (0.01 0 -0.01), power (1.2 1.0
  // 0.8) and saturation 0.7 at 12 bits; recompute it.
  TLUT lut;
  EXPECT_EQ(LoadLUTFile(flame, lut).Bits, 12);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::ThreeDL);
  ASSERT_EQ(lut.Size3D(), 17);
  const double slope[] = {1.1, 1.0, 0.9}, offset[] = {0.01, 0.0, -0.01}, power[] = {1.2, 1.0, 0.8};
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) {
        const int index[] = {r, g, b};
        double v[3];
        for (int k = 0; k < 3; ++k) {
          const double x = index[k] / 16.0 * slope[k] + offset[k];
          v[k] = x > 0 ? std::pow(x, power[k]) : x;
        }
        const double luma = 0.2126 * v[0] + 0.7152 * v[1] + 0.0722 * v[2];
        const TLUTEntry& e = lut.Table3D(r, g, b);
        const double got[] = {e.R, e.G, e.B};
        for (int k = 0; k < 3; ++k) {
          const double want = std::clamp(luma + 0.7 * (v[k] - luma), 0.0, 1.0);
          ASSERT_NEAR(got[k], want, 0.51 / 4095) << r << " " << g << " " << b;
        }
      }

  TLUT crosstalk;
  EXPECT_EQ(LoadLUTFile(test::PeerFile("OpenColorIO/crosstalk.3dl"), crosstalk).Bits, 16);
  EXPECT_EQ(crosstalk.Size3D(), 17);
  EXPECT_EQ(crosstalk.Comments, (std::vector<std::string>{"Generated by Foundry::LUT"}));
  EXPECT_EQ(crosstalk.Table3D(0, 0, 1), (TLUTEntry{0, 0, 2374 / 65535.0}));
  EXPECT_EQ(crosstalk.Table3D(16, 16, 16), (TLUTEntry{25616 / 65535.0, 35585 / 65535.0, 42060 / 65535.0}));
}

TEST(MeshPeerFiles, LustreFilesReadWithTheirMeshLine) {
  const std::string lustre33 = test::PeerFile("OpenColorIO/lustre_33x33x33.3dl");
  if (lustre33.empty()) GTEST_SKIP() << "peer files missing";
  TLUT lut;
  LoadLUTFile(lustre33, lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Lustre3D);
  EXPECT_EQ(lut.Size3D(), 33);
  EXPECT_EQ(lut.Table3D(0, 0, 0), (TLUTEntry{2 / 4095.0, 4 / 4095.0, 4 / 4095.0}));
  EXPECT_EQ(lut.Table3D(32, 32, 32), (TLUTEntry{3983 / 4095.0, 3894 / 4095.0, 3507 / 4095.0}));

  // "17 17 17" after the shaper is three integers and so the first row.
  LoadLUTFile(test::PeerFile("OpenColorIO/discreet-3d-lut.3dl"), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Lustre3D);
  EXPECT_EQ(lut.Size3D(), 17);
  EXPECT_EQ(lut.Table3D(0, 2, 7), (TLUTEntry{54 / 4095.0, 323 / 4095.0, 597 / 4095.0}));

  // The Lustre flavour of the baked CDL holds the same table as the 3dl one.
  TLUT flame;
  LoadLUTFile(test::PeerFile("ociobakelut/cdl_sat_flame.3dl"), flame);
  LoadLUTFile(test::PeerFile("ociobakelut/cdl_sat_lustre_17.3dl"), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Lustre3D);
  ASSERT_EQ(lut.Size3D(), 17);
  EXPECT_EQ(test::MaxDifference3D(lut, flame, 17), 0.0);

  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(test::PeerFile("OpenColorIO/error_truncated_file.3dl"), lut); }),
            "Incomplete file (4913 rows declared; the file's 4351 bytes cannot hold them)");
}

// ---------------------------------------------------------------------------
// Round trips through every output profile of the grid formats

TEST(Grid3DProfiles, TablesComeBackWithinHalfACodeStep) {
  const char* const captions[] = {
      "3DL Scratch, Autodesk, Blackmagic, Cine-tal",
      "3DL Fusion",
      "Autodesk Lustre 3D",
      "Colorfront OSD 3D",
      "Davinci DAT 3D",
      "Luther 3D",
      "Pandora 3D, Apple 3D m3d",
      "Quantel 3D",
      "Technicolor 3D mga",
      "Codex 3D",
  };
  TempDir dir;
  for (const char* caption : captions) {
    const TLutOutputProfile& profile = Profile(caption);
    // Floating-point formats keep 6 decimals.
    const double tolerance = profile.DefaultBits > 0 ? 0.5 / (std::ldexp(1.0, profile.DefaultBits) - 1) : 0.5e-6;
    for (int size : {17, 33}) {
      SCOPED_TRACE(std::string(caption) + " " + std::to_string(size));
      // Brought to the profile's grid from a coarser table, as a conversion does.
      TLUT source;
      test::FillSample3D(source, 9);
      TLUT target;
      target.Kind = TLUTKind::lk3D;
      target.SetSize3D(size);
      ResampleLUT(target, source);
      const std::string name = dir.File("out." + profile.Extension);
      SaveLUTFile(name, target, profile);
      TLUT back;
      LoadLUTFile(name, back);
      ASSERT_EQ(back.FormatIndex, profile.FormatIndex);
      ASSERT_EQ(back.Kind, TLUTKind::lk3D);
      ASSERT_EQ(back.Size3D(), size);
      EXPECT_LE(test::MaxDifference3D(target, back, size), tolerance * (1 + 1e-9));
    }
  }
}

}  // namespace
}  // namespace zelvo
