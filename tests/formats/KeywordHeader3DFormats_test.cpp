#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "ReadFailures.h"
#include "TestFormats.h"
#include "registry/Registry.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::ErrorOf;
using test::Profile;
using test::TempDir;


// Rows of a 2-point grid, blue fastest, with `max` for the upper corner codes.
std::string CornerRows(int max, const std::string& sep = " ") {
  std::string rows;
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b)
        rows += std::to_string(r * max) + sep + std::to_string(g * max) + sep + std::to_string(b * max) + "\n";
  return rows;
}

// ---------------------------------------------------------------------------
// Writers, byte for byte

TEST(KeywordWriters, PandoraHeaderAndTabSeparatedRows) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Comments = {"not written"};
  const std::string name = dir.File("a.m3d");
  SaveLUTFile(name, lut, Profile("Pandora 3D, Apple 3D m3d"), 16);
  EXPECT_EQ(test::ReadAll(name),
            "#HEADER\n#type: 3D cube file\n#format: 1.00\n#comment: Converted by Zelvo LUT Converter\n#END\n\n"
            "channel 3d\nin 8\nout 65536\n\nformat lut\n\nvalues\tred\tgreen\tblue\n"
            "0\t0\t0\t0\n1\t0\t0\t65535\n2\t0\t65535\t0\n3\t0\t65535\t65535\n"
            "4\t65535\t0\t0\n5\t65535\t0\t65535\n6\t65535\t65535\t0\n7\t65535\t65535\t65535\n");

  test::FillIdentity3D(lut, 33);
  SaveLUTFile(name, lut, Profile("Technicolor 3D mga"), 12);
  const std::string text = test::ReadAll(name);
  EXPECT_NE(text.find("\nchannel 3d\nin 35937\nout 4096\n\nformat lut\n\nvalues\tred\tgreen\tblue\n0\t0\t0\t0\n"
                      "1\t0\t0\t128\n2\t0\t0\t256\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n35936\t4095\t4095\t4095\n"), std::string::npos);
}

TEST(KeywordWriters, HeadersAndFirstRowsAtDefaultAndOtherDepths) {
  struct Case {
    const char* caption;
    int bits;  // -1: the profile's default
    int header_lines;
    std::string head;
  };
  const Case cases[] = {
      {"Luther 3D", -1, 2, "#channels: c3\n#elements = 35937\n0 0 0\n0 0 32\n0 0 64\n"},
      {"Luther 3D", 12, 2, "#channels: c3\n#elements = 35937\n0 0 0\n0 0 128\n0 0 256\n"},
      {"Codex 3D", -1, 3, "Lut3D: 33\n\nR\tG\tB\n0 0 0\n0 0 128\n0 0 256\n"},
      {"Codex 3D", 10, 3, "Lut3D: 33\n\nR\tG\tB\n0 0 0\n0 0 32\n0 0 64\n"},
      {"Quantel 3D", -1, 7,
       "max value 4095\nvertices 33\nblue is fastest changing\nred is slowest changing\n\ncube data\nR G B\n"
       "0 0 0\n0 0 128\n"},
      {"Quantel 3D", 10, 7,
       "max value 1023\nvertices 33\nblue is fastest changing\nred is slowest changing\n\ncube data\nR G B\n"
       "0 0 0\n0 0 32\n"},
      {"Davinci DAT 3D", -1, 2, "3DLUTSIZE 33\n\n0.000000 0.000000 0.000000\n0.000000 0.000000 0.031250\n"},
  };
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 33);
  lut.Comments = {"not written"};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.caption) + " " + std::to_string(c.bits));
    const std::string name = dir.File("a.out");
    SaveLUTFile(name, lut, Profile(c.caption), c.bits);
    const std::string text = test::ReadAll(name);
    EXPECT_EQ(text.substr(0, c.head.size()), c.head);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.header_lines + 33 * 33 * 33);
  }
}

TEST(KeywordWriters, DavinciColumnsAreBlueGreenRedWithRedFastest) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(1, 0, 0) = {0.3, 0.2, 0.1};
  const std::string name = dir.File("a.dat");
  SaveLUTFile(name, lut, Profile("Davinci DAT 3D"));
  EXPECT_EQ(test::ReadAll(name),
            "3DLUTSIZE 2\n\n"
            "0.000000 0.000000 0.000000\n0.100000 0.200000 0.300000\n"
            "0.000000 1.000000 0.000000\n0.000000 1.000000 1.000000\n"
            "1.000000 0.000000 0.000000\n1.000000 0.000000 1.000000\n"
            "1.000000 1.000000 0.000000\n1.000000 1.000000 1.000000\n");
}

TEST(KeywordWriters, HeadersThatWouldNotReadBackAreRefused) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  for (const char* caption : {"Pandora 3D, Apple 3D m3d", "Quantel 3D", "Codex 3D", "Luther 3D"}) {
    SCOPED_TRACE(caption);
    for (int bits : {0, 32}) {
      EXPECT_NE(ErrorOf([&] { SaveLUTFile(dir.File("a.txt"), lut, Profile(caption), bits); })
                    .find("bit depth"),
                std::string::npos);
    }
  }
  // "out" states 2^d, which a 32-bit header value holds up to 30 bits.
  EXPECT_NE(ErrorOf([&] { SaveLUTFile(dir.File("a.m3d"), lut, Profile("Technicolor 3D mga"), 31); })
                .find("1 to 30 bits"),
            std::string::npos);
}

// ---------------------------------------------------------------------------
// Readers

TEST(KeywordReaders, PandoraSkipsTheIndexColumnAndDividesByOutMinusOne) {
  TempDir dir;
  const std::string text =
      "#HEADER\n#type: 3D cube file\n#END\n\nchannel 3d\nin   8\nout 1024\n\nformat lut\n\nvalues\tred\tgreen\tblue\n"
      "0\t0\t0\t0\n"
      "9,0,0,1023\n"  // the index column is not checked
      "2 0 1023 0\n"
      "in 8\n"  // the size again, the same
      "3\t0\t1023\t1023\n"
      "x4\t1023\t0\t0\n5\t1023\t0\t1023\n6\t1023\t1023\t0\n7\t1100\t512\t1023\n";
  TLUT lut;
  LoadLUTFile(dir.Write("a.m3d", text), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Pandora3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{0, 0, 1}));
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{1, 0, 0}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{1100 / 1023.0, 512 / 1023.0, 1}));
}

TEST(KeywordReaders, LutherAlwaysReads10BitCodes) {
  TempDir dir;
  TLUT lut;
  LoadLUTFile(dir.Write("a.txt", "#channels: c3\n#elements = 8\n# a comment\n" + CornerRows(4095)), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Luther3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{0, 0, 4095 / 1023.0}));
  EXPECT_EQ(lut.Table3D(1, 1, 0), (TLUTEntry{4095 / 1023.0, 4095 / 1023.0, 0}));
}

TEST(KeywordReaders, CodexCollectsCommentsAndTakesTheKeywordInAnyCase) {
  TempDir dir;
  for (const char* keyword : {"Lut3D:", "LUT3D:", "lut3d:"}) {
    SCOPED_TRACE(keyword);
    TLUT lut;
    LoadLUTFile(dir.Write("a.txt", "# first\n" + std::string(keyword) + " 2\n\nR\tG\tB\n# second\n" + CornerRows(4095)),
                lut);
    EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Codex3D);
    EXPECT_EQ(lut.Size3D(), 2);
    EXPECT_EQ(lut.Comments, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(lut.Table3D(0, 1, 1), (TLUTEntry{0, 1, 1}));
  }
}

TEST(KeywordReaders, QuantelTakesItsHeaderInEitherOrder) {
  TempDir dir;
  const std::string tail = "blue is fastest changing\nred is slowest changing\n\ncube data\nR G B\n" + CornerRows(1023);
  for (const std::string& head : {std::string("max value 1023\nvertices 2\n"), std::string("vertices 2\nmax value 1023\n")}) {
    TLUT lut;
    LoadLUTFile(dir.Write("a.txt", head + tail), lut);
    EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Quantel3D);
    EXPECT_EQ(lut.Size3D(), 2);
    EXPECT_EQ(lut.Table3D(1, 0, 1), (TLUTEntry{1, 0, 1}));
  }
}

TEST(KeywordReaders, DavinciSizeFromKeywordOrFromTheRowCount) {
  TempDir dir;
  std::string rows;
  for (int i = 0; i < 8; ++i) rows += i == 1 ? "0.1 0.2 0.3\n" : "0 0 " + std::to_string(i) + "\n";
  TLUT lut;
  // With the keyword, rows before it are not part of the table.
  LoadLUTFile(dir.Write("a.dat", "# c\n9 9 9\n3DLUTSIZE 2\n\n" + rows), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::DavinciDat3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Table3D(0, 0, 0), (TLUTEntry{0, 0, 0}));
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{0.3, 0.2, 0.1}));
  EXPECT_EQ(lut.Table3D(1, 1, 1).R, 7.0);

  LoadLUTFile(dir.Write("b.dat", "# no keyword\n" + rows), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::DavinciDat3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{0.3, 0.2, 0.1}));
  EXPECT_EQ(lut.Table3D(0, 1, 0).R, 2.0);
}

TEST(KeywordReaders, BadHeadersFailCleanly) {
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  };
  const std::string pandora = "channel 3d\nformat lut\n";
  const std::string quantel = "blue is fastest changing\n";
  const Case cases[] = {
      {"p.m3d", pandora + "in 8 \nout 1024\n", "'8 ' is not a valid integer value"},
      {"p.m3d", pandora + "IN 8\nout 1024\n" + CornerRows(1023), "Incomplete file."},
      {"p.m3d", pandora + "out 1\nin 8\n", "The header value \"out 1\" is not supported (the number of codes must be 2 or more)."},
      {"p.m3d", pandora + "out 0\nin 8\n", "The header value \"out 0\" is not supported"},
      {"p.m3d", pandora + "in 16974593\nout 1024\n", "The 3D grid size 257 is not supported"},
      {"l.txt", "#channels: c3\n#elements = 8 \n", "' 8 ' is not a valid integer value"},
      {"l.txt", "#channels: c3\n#elements = 16974593\n", "The 3D grid size 257 is not supported"},
      {"c.txt", "Lut3D: x\n", "'x' is not a valid integer value"},
      {"c.txt", "Lut3D: 500\n", "The 3D grid size 500 is not supported"},
      {"q.txt", quantel + "vertices 2\nmax value 0\n" + CornerRows(0),
       "The header value \"max value 0\" is not supported (the largest code must be 1 or more)."},
      {"q.txt", quantel + "vertices 17 \nmax value 4095\n", "' 17 ' is not a valid integer value"},
      {"q.txt", quantel + "vertices 257\nmax value 4095\n", "The 3D grid size 257 is not supported"},
      {"q.txt", "max value\nvertices 2\n", "'' is not a valid integer value"},
      {"d.dat", "3DLUTSIZE 257\n", "The 3D grid size 257 is not supported"},
      {"d.dat", "3DLUTSIZE x\n", "'x' is not a valid integer value"},
      // A declared grid the file is too short to hold is refused before it is made.
      {"d.dat", "3DLUTSIZE 33\n0 0 0\n", "Incomplete file (35937 rows declared; the file's 19 bytes cannot hold them)"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TLUT lut;
    EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write(c.name, c.text), lut); }).substr(0, c.message.size()), c.message);
    EXPECT_EQ(lut.FormatIndex, TLUTFormatId::None);
  }
}

// Rows are strict once the header has given the grid: a row that does not
// parse, a row too many, a file cut short and a size given twice end the load
// with the line; the header's own lines and other text pass.
TEST(KeywordReaders, MalformedRowsNameTheirLine) {
  using F = TLUTFormatId;
  const std::string pandora = "channel 3d\nin 8\nout 1024\nformat lut\nvalues\tred\tgreen\tblue\n";  // 5 lines
  std::string indexed;
  for (int i = 0; i < 8; ++i) indexed += std::to_string(i) + "\t" + std::to_string(i & 4 ? 1023 : 0) + " 0 0\n";
  const std::string luther = "#channels: c3\n#elements = 8\n";                                     // 2 lines
  const std::string codex = "Lut3D: 2\n\nR\tG\tB\n";                                                // 3 lines
  const std::string quantel = "max value 1023\nvertices 2\nblue is fastest changing\ncube data\nR G B\n";  // 5
  const std::string dat = "3DLUTSIZE 2\n\n";                                                         // 2 lines
  const std::string rows = CornerRows(1023);
  const auto first = [&](int n) {  // the first n corner rows
    std::string out;
    std::size_t at = 0;
    for (int i = 0; i < n; ++i) at = rows.find('\n', at) + 1;
    return rows.substr(0, at);
  };
  std::string floats;
  for (int i = 0; i < 8; ++i) floats += "0.5 0.25 0.125\n";
  const std::string three = floats.substr(0, 3 * 15);  // enough bytes for the declared grid
  const std::vector<test::TMalformed> cases = {
      {"Pandora row too many", F::Pandora3D, pandora + indexed + "8\t0 0 0\n",
       "Too many rows (the file declares 8; line 14)"},
      {"Pandora cut short", F::Pandora3D, pandora + indexed.substr(0, indexed.rfind("7\t")),
       "Incomplete file (7 of 8 rows; the file ends at line 12)"},
      {"Pandora fifth column", F::Pandora3D, pandora + "0 0 0 0 5\n", "'0 0 0 0 5' is not a row of 4 values (line 6)"},
      {"Pandora bad code", F::Pandora3D, pandora + "0 0 10x 0\n", "'10x' is not a valid integer value (line 6)"},
      {"Pandora second size", F::Pandora3D, pandora + "in 27\n", "The size is given again as 27 (it was 8; line 6)"},
      {"Pandora without out", F::Pandora3D, "channel 3d\nin 8\n" + indexed,
       "Incomplete file (the header has no \"out\" line)"},
      {"Luther row too many", F::Luther3D, luther + rows + "0 0 0\n", "Too many rows (the file declares 8; line 11)"},
      {"Luther cut short", F::Luther3D, luther + first(7), "Incomplete file (7 of 8 rows; the file ends at line 9)"},
      {"Luther decimal comma", F::Luther3D, luther + first(4) + "0,5 0 0\n",
       "'0,5 0 0' is not a row of 3 values (line 7)"},
      {"Luther second size", F::Luther3D, luther + first(2) + "#elements = 27\n",
       "The size is given again as 27 (it was 8; line 5)"},
      {"Codex row too many", F::Codex3D, codex + rows + "1 1 1\n", "Too many rows (the file declares 8; line 12)"},
      {"Codex two values", F::Codex3D, codex + first(4) + "1 1\n", "'1 1' is not a row of 3 values (line 8)"},
      {"Codex second size", F::Codex3D, codex + first(4) + "LUT3D: 3\n",
       "The size is given again as 3 (it was 2; line 8)"},
      {"Quantel row too many", F::Quantel3D, quantel + rows + "1 1 1\n", "Too many rows (the file declares 8; line 14)"},
      {"Quantel cut short", F::Quantel3D, quantel + first(6), "Incomplete file (6 of 8 rows; the file ends at line 11)"},
      {"Quantel without max value", F::Quantel3D, "vertices 2\n" + rows,
       "Incomplete file (the header has no \"max value\" line)"},
      {"DAT row too many", F::DavinciDat3D, dat + floats + "1 1 1\n", "Too many rows (the file declares 8; line 11)"},
      {"DAT nan", F::DavinciDat3D, dat + three + "0 nan 0\n", "'nan' is not a valid floating point value (line 6)"},
      {"DAT inf", F::DavinciDat3D, dat + three + "0 0 -inf\n", "'-inf' is not a valid floating point value (line 6)"},
      {"DAT underflow", F::DavinciDat3D, dat + three + "1e-400 0 0\n",
       "'1e-400' is not a valid floating point value (line 6)"},
      {"DAT decimal comma", F::DavinciDat3D, dat + three + "0,5 0,5 0,5\n",
       "'0,5 0,5 0,5' is not a row of 3 values (line 6)"},
      {"DAT four values", F::DavinciDat3D, dat + three + "0 0 0 0\n", "'0 0 0 0' is not a row of 3 values (line 6)"},
      {"DAT second size", F::DavinciDat3D, dat + three + "3DLUTSIZE 3\n",
       "The size is given again as 3 (it was 2; line 6)"},
      // Without the keyword the rows make the grid, and only a whole one.
      {"DAT rows past a whole cube", F::DavinciDat3D, floats + "1 1 1\n",
       "Too many rows (9 rows are not a whole cube; a grid of 2 points takes 8; line 9)"},
      {"DAT rows short of a whole cube", F::DavinciDat3D, floats + floats + floats + floats.substr(0, 2 * 15),
       "Incomplete file (26 of 27 rows; the file ends at line 26)"},
  };
  test::ExpectLoadErrors(cases, "memory.dat");
}

TEST(KeywordReaders, PandoraRowCountRoundsToTheNearestGrid) {
  // «in 4912» is 17^3 - 1: the grid of 17 takes its 4913 rows.
  std::string text = "channel 3d\nformat lut\nin 4912\nout 4096\n";
  for (int i = 0; i < 17 * 17 * 17; ++i) text += std::to_string(i) + " 0 0 " + std::to_string(i % 4096) + "\n";
  TLUT lut;
  test::LoadText(text, lut, TLUTFormatId::Pandora3D);
  EXPECT_EQ(lut.Size3D(), 17);
  EXPECT_EQ(lut.Table3D(16, 16, 16).B, (4912 % 4096) / 4095.0);
}

// ---------------------------------------------------------------------------
// Detection

TEST(KeywordDetection, DatFallbackComesBeforeCodex1D) {
  TempDir dir;
  EXPECT_EQ(DetectLUTFormat(dir.Write("a.dat", "LUT: 3 1024\n0.1 0.2 0.3\n")), TLUTFormatId::DavinciDat3D);
  EXPECT_EQ(DetectLUTFormat(dir.Write("b.DAT", "3DLUTSIZE 2\n")), TLUTFormatId::DavinciDat3D);
  EXPECT_EQ(DetectLUTFormat(dir.Write("c.txt", "3dlutsize 2\n")), TLUTFormatId::DavinciDat3D);
  EXPECT_NE(DetectLUTFormat(dir.Write("d.dat", "LUT: 3 1024\n0\n1\n2\n")), TLUTFormatId::DavinciDat3D);
  EXPECT_EQ(DetectLUTFormat(dir.Write("e.txt", "Channel 3D\nFormat LUT\n")), TLUTFormatId::Pandora3D);
  EXPECT_EQ(DetectLUTFormat(dir.Write("f.txt", "#channels: c3\n")), TLUTFormatId::Luther3D);
  EXPECT_EQ(DetectLUTFormat(dir.Write("g.txt", "MAX VALUE 1023\nVERTICES 17\n")), TLUTFormatId::Quantel3D);
}

// ---------------------------------------------------------------------------
// Files written by other tools

TEST(KeywordPeerFiles, PandoraSampleReadsWithItsOutValue) {
  const std::string name = test::PeerFile("OpenColorIO/pandora_3d.m3d");
  if (name.empty()) GTEST_SKIP() << "peer files missing";
  TLUT lut;
  LoadLUTFile(name, lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Pandora3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{0, 0, 204 / 255.0}));
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{1, 0, 0}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{306 / 255.0, 1, 306 / 255.0}));
}

// ---------------------------------------------------------------------------
// The conversion job end to end

}  // namespace
}  // namespace zelvo
