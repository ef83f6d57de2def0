#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ReadFailures.h"
#include "TestFormats.h"
#include "registry/Registry.h"
#include "base/StringLib.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::FillThree1D;
using test::Profile;
using test::TempDir;


struct LoadFailure {
  std::string type;  // "ELUTError" or "EConvertError"
  std::string message;
};

LoadFailure FailureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return {"EConvertError", e.what()};
  } catch (const ELUTError& e) {
    return {"ELUTError", e.what()};
  }
  return {"none", ""};
}

void ExpectEntry(const TLUTEntry& got, const TLUTEntry& want, const std::string& where) {
  EXPECT_NEAR(got.R, want.R, 1e-12) << where;
  EXPECT_NEAR(got.G, want.G, 1e-12) << where;
  EXPECT_NEAR(got.B, want.B, 1e-12) << where;
}

// ---------------------------------------------------------------------------
// Writers, byte for byte

TEST(Header1DWriters, DefaultDepths) {
  struct Case {
    const char* profile;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"Autodesk Lustre 1D",
       "LUT16\n\n# Converted by Zelvo LUT Converter\n\n0 0 16384 0\n1 32768 49151 65535\n2 65535 66 65469\n"},
      {"Filmlight Truelight 1D",
       "# Truelight Cube v2.0\n# lutLength 3\n# iDims     3\n\n# InputLUT\n"
       "0.000000 0.250000 -0.100000\n0.500000 0.750000 1.250000\n1.000000 0.001000 0.999000\n"
       "# end\n# Converted by Zelvo LUT Converter\n"},
      {"Quantel 1D", "table type\t2\n\ngMax\t1023\ngSize\t3\n\ngamma\nr\tg\tb\n0 256 0\n512 767 1023\n1023 1 1022\n"},
      {"Fusion 1D", "F5LT\n\n16\n\n0 0 0 16384 0 0\n1 32768 1 49151 1 65535\n2 65535 2 66 2 65469\n"},
  };
  TempDir dir;
  TLUT lut;
  FillThree1D(lut);
  lut.Comments = {"never written by these formats"};
  for (const Case& c : cases) {
    const std::string name = dir.File("out.txt");
    SaveLUTFile(name, lut, Profile(c.profile));
    EXPECT_EQ(test::ReadAll(name), c.text) << c.profile;
  }
}

TEST(Header1DWriters, LustreAtEverySelectableDepth) {
  const std::vector<std::pair<int, std::string>> cases = {
      {8, "LUT8\n\n# Converted by Zelvo LUT Converter\n\n0 0 64 0\n1 128 191 255\n2 255 0 255\n"},
      {10, "LUT10\n\n# Converted by Zelvo LUT Converter\n\n0 0 256 0\n1 512 767 1023\n2 1023 1 1022\n"},
      {12, "LUT12\n\n# Converted by Zelvo LUT Converter\n\n0 0 1024 0\n1 2048 3071 4095\n2 4095 4 4091\n"},
      {14, "LUT14\n\n# Converted by Zelvo LUT Converter\n\n0 0 4096 0\n1 8192 12287 16383\n2 16383 16 16367\n"},
      {16, "LUT16\n\n# Converted by Zelvo LUT Converter\n\n0 0 16384 0\n1 32768 49151 65535\n2 65535 66 65469\n"},
  };
  TempDir dir;
  TLUT lut;
  FillThree1D(lut);
  for (const auto& [bits, text] : cases) {
    const std::string name = dir.File("out.lut");
    SaveLUTFile(name, lut, Profile("Autodesk Lustre 1D"), bits);
    EXPECT_EQ(test::ReadAll(name), text) << bits;
  }
}

TEST(Header1DWriters, CodexBlocksAndUnclampedCodes) {
  TempDir dir;
  TLUT lut;
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(1024);
  for (int i = 0; i < 1024; ++i) lut.Table1D(i) = {0.0, 0.0, 0.0};
  lut.Table1D(0) = {0.0, 0.25, -0.1};
  lut.Table1D(1) = {0.5, 0.75, 1.25};
  lut.Table1D(1023) = {1.0, 0.001, 0.999};
  const std::string name = dir.File("out.dat");
  SaveLUTFile(name, lut, Profile("Codex 1D, Sony SRW-1, Scratch 1D"));

  auto block = [](const std::string& first, const std::string& second, const std::string& last) {
    std::string s = first + "\n" + second + "\n";
    for (int i = 2; i < 1023; ++i) s += "0\n";
    return s + last + "\n";
  };
  const std::string want = "# Converted by Zelvo LUT Converter\n\nLUT: 3 1024\n\n" + block("0", "512", "1023") +
                           block("256", "767", "1") + block("-102", "1279", "1022");
  EXPECT_EQ(test::ReadAll(name), want);
}

TEST(Header1DWriters, CodexDeclaresTheCodeCountWhenItDiffersFromTheLength) {
  TempDir dir;
  TLUT lut;
  FillThree1D(lut);
  const std::string name = dir.File("out.dat");
  SaveLUTFile(name, lut, Profile("Codex 1D, Sony SRW-1, Scratch 1D"));
  EXPECT_EQ(test::ReadAll(name),
            "# Converted by Zelvo LUT Converter\n\nLUT: 3 3 1024\n\n0\n512\n1023\n256\n767\n1\n-102\n1279\n1022\n");
}

TEST(Header1DWriters, RefusalsLeaveTheTargetAlone) {
  TempDir dir;
  TLUT lut;
  FillThree1D(lut);
  const std::string name = dir.Write("keep.txt", "old\n");
  lut.Table1D(1).G = std::nan("");
  for (const char* p : {"Filmlight Truelight 1D", "Codex 1D, Sony SRW-1, Scratch 1D"}) {
    EXPECT_NE(FailureOf([&] { SaveLUTFile(name, lut, Profile(p)); }).message.find("not a finite number"),
              std::string::npos)
        << p;
  }
  lut.Table1D(1).G = 0.5;
  lut.Table1D(1).B = 5e9;  // a Codex code no reader can take back
  EXPECT_EQ(FailureOf([&] { SaveLUTFile(name, lut, Profile("Codex 1D, Sony SRW-1, Scratch 1D")); }).type,
            "ELUTError");
  EXPECT_EQ(FailureOf([&] { SaveLUTFile(name, lut, Profile("Fusion 1D"), 40); }).type, "ELUTError");
  EXPECT_EQ(FailureOf([&] { SaveLUTFile(name, lut, Profile("Codex 1D, Sony SRW-1, Scratch 1D"), 31); }).type,
            "ELUTError");
  EXPECT_EQ(test::ReadAll(name), "old\n");
}

// ---------------------------------------------------------------------------
// Readers

struct ReadCase {
  const char* what;
  TLUTFormatId format;
  std::string text;
  std::vector<TLUTEntry> entries;  // the whole table
  std::vector<std::string> comments = {};
};

TEST(Header1DReaders, HeaderRulesCommentsAndTextLines) {
  const double c12 = 4095.0;
  const double c16 = 65535.0;
  const std::vector<ReadCase> cases = {
      {"Codex one channel, comments before the header kept", TLUTFormatId::Codex1D,
       "  # made by hand  \n#second\nLUT: 1 3\n# dropped after the header\n0\n1\nLUT: 1 3\n2\n",
       {{0, 0, 0}, {0.5, 0.5, 0.5}, {1, 1, 1}},
       {"made by hand", "second"}},
      {"Codex three channels, red block first", TLUTFormatId::Codex1D, "LUT: 3 2\n\n0\n1\n1\n0\n0\n1\n",
       {{0, 1, 0}, {1, 0, 1}}},
      {"Codex leading blanks taken, text passed over", TLUTFormatId::Codex1D, "LUT: 1 2\n   0\nabc\n\t4\n",
       {{0, 0, 0}, {4, 4, 4}}},
      {"Codex third header number is the code count", TLUTFormatId::Codex1D, "LUT: 3 2 1024\n0\n1023\n0\n0\n1023\n1023\n",
       {{0, 0, 1}, {1, 0, 1}}},
      {"Lustre 16-bit, index column not checked", TLUTFormatId::Lustre1D,
       "# c\nLUT16\n\n0 0 0 0\n7 65535 65535 65535\nnot a row\nx 1 2 3\n",
       {{0, 0, 0}, {1, 1, 1}, {1 / c16, 2 / c16, 3 / c16}}},
      {"Lustre 12-bit after a stray line, other headers pass", TLUTFormatId::Lustre1D, "LUT8\n  LUT12  \n0 0 2048 4095\nLUT8\n",
       {{0, 2048 / c12, 1}}},
      {"Filmlight length in a comment, rows before it ignored", TLUTFormatId::Filmlight1D,
       "0 0 0\n# lutLength 2\n# iDims 3\n0.5 0.25 2\n# lutLength 2\n1,1,1\n# end\n",
       {{0.5, 0.25, 2}, {1, 1, 1}}},
      {"Quantel divides by gMax", TLUTFormatId::Quantel1D,
       "table type\t2\n\ngMax\t1023\ngSize\t2\n\ngamma 1.0\nr\tg\tb\n0 512 1023\n1023 1100 1023\n",
       {{0, 512 / 1023.0, 1}, {1, 1100 / 1023.0, 1}}},
      {"Fusion bit depth line, runs of blanks between fields", TLUTFormatId::Fusion1D,
       "F5LT\n\n16\n\n5 100 5 200 5 300\n0  1   0 2\t0 3\nbad\na 4 b 5 c 6\n",
       {{100 / c16, 200 / c16, 300 / c16}, {1 / c16, 2 / c16, 3 / c16}, {4 / c16, 5 / c16, 6 / c16}}},
  };
  TempDir dir;
  for (const ReadCase& c : cases) {
    TLUT lut;
    const std::string name = dir.Write("in.txt", c.text);
    LoadLUTFile(name, lut, c.format);
    EXPECT_EQ(lut.Kind, TLUTKind::lk1D) << c.what;
    ASSERT_EQ(lut.Size1D(), static_cast<int>(c.entries.size())) << c.what;
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
      ExpectEntry(lut.Table1D(static_cast<int>(i)), c.entries[i], std::string(c.what) + " #" + std::to_string(i));
    }
    EXPECT_EQ(lut.Comments, c.comments) << c.what;
  }
}

TEST(Header1DReaders, CodexDividesByTheEntryCountMinusOne) {
  std::string text = "LUT: 1 1024\n1023\n512\n";
  for (int i = 2; i < 1024; ++i) text += "0\n";
  TempDir dir;
  TLUT lut;
  LoadLUTFile(dir.Write("in.dat", text), lut, TLUTFormatId::Codex1D);
  ASSERT_EQ(lut.Size1D(), 1024);
  EXPECT_EQ(lut.Table1D(0), (TLUTEntry{1, 1, 1}));
  EXPECT_EQ(lut.Table1D(1).G, 512 / 1023.0);
}

TEST(Header1DReaders, Failures) {
  struct Case {
    TLUTFormatId format;
    std::string text;
    LoadFailure want;
  };
  const std::string incomplete = "Incomplete file.";
  const std::vector<Case> cases = {
      {TLUTFormatId::Codex1D, "0\n1\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Codex1D, "LUT: 1 3\n0\n1\n", {"ELUTError", "Incomplete file (2 of 3 rows; the file ends at line 3)"}},
      {TLUTFormatId::Codex1D, "LUT: 3 2\n0\n1\n0\n1\n0\n",
       {"ELUTError", "Incomplete file (5 of 6 rows; the file ends at line 6)"}},
      {TLUTFormatId::Codex1D, "LUT:3 1024\n", {"EConvertError", "'' is not a valid integer value"}},
      {TLUTFormatId::Codex1D, "LUT: 3 12a\n", {"EConvertError", "'12a' is not a valid integer value"}},
      {TLUTFormatId::Codex1D, "LUT: x 12\n", {"EConvertError", "'x' is not a valid integer value"}},
      {TLUTFormatId::Codex1D, "LUT: 1 1\n0\n",
       {"ELUTError",
        "The header value \"LUT: 1 1\" is not supported (a table needs at least 2 codes: they are divided by "
        "their number minus 1)."}},
      {TLUTFormatId::Codex1D, "LUT: 1 4 1\n",
       {"ELUTError",
        "The header value \"LUT: 1 4 1\" is not supported (a table needs at least 2 codes: they are divided by "
        "their number minus 1)."}},
      {TLUTFormatId::Codex1D, "LUT: 1 100002\n",
       {"ELUTError", "The 1D table length 100002 is not supported (1 to 100001 entries)."}},
      {TLUTFormatId::Lustre1D, "lut16\n0 0 0 0\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Lustre1D, "LUT10\n0 0 0 0\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Lustre1D, "LUT16\n\n# only a comment\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Filmlight1D, "# iDims 3\n0 0 0\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Filmlight1D, "# lutLength 3\n0 0 0\n1 1 1\n",
       {"ELUTError", "Incomplete file (2 of 3 rows; the file ends at line 3)"}},
      {TLUTFormatId::Filmlight1D, "# lutLength 1024x\n", {"EConvertError", "'1024x' is not a valid integer value"}},
      {TLUTFormatId::Filmlight1D, "# lutLength 200000\n",
       {"ELUTError", "The 1D table length 200000 is not supported (1 to 100001 entries)."}},
      {TLUTFormatId::Quantel1D, "table type\t2\ngMax\t1023\n0 0 0\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Quantel1D, "gSize\t2\ngMax\t0\n0 0 0\n1 1 1\n",
       {"ELUTError",
        "The header value \"gMax\t0\" is not supported (gMax must be at least 1: the codes are divided by it)."}},
      {TLUTFormatId::Quantel1D, "gSize\t2 \ngMax\t\n", {"EConvertError", "'' is not a valid integer value"}},
      {TLUTFormatId::Quantel1D, "gSize\t100002\n",
       {"ELUTError", "The 1D table length 100002 is not supported (1 to 100001 entries)."}},
      {TLUTFormatId::Fusion1D, "F5LT\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Fusion1D, "F5LT\n16\n\n", {"ELUTError", incomplete}},
      {TLUTFormatId::Fusion1D, "F5LT\n0\n0 0 0 0 0 0\n",
       {"ELUTError", "The header value \"0\" is not supported (the bit depth must be 1 to 31 bits)."}},
      {TLUTFormatId::Fusion1D, "F5LT\n-4\n", {"ELUTError", "The header value \"-4\" is not supported (the bit depth must be 1 to 31 bits)."}},
      {TLUTFormatId::Fusion1D, "F5LT\n32\n", {"ELUTError", "The header value \"32\" is not supported (the bit depth must be 1 to 31 bits)."}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    TLUT lut;
    const std::string name = dir.Write("in.txt", c.text);
    const LoadFailure got = FailureOf([&] { LoadLUTFile(name, lut, c.format); });
    EXPECT_EQ(got.type, c.want.type) << c.text;
    EXPECT_EQ(got.message, c.want.message) << c.text;
  }
}

// Rows are strict: a row that does not parse, a row beyond the declared
// length, a file cut short and a length given again otherwise end the load at
// their line; text lines ("gamma 1.0", titles) pass. Lustre and Fusion 1D
// declare no length: their rows must parse, and there must be one.
TEST(Header1DReaders, MalformedRowsNameTheirLine) {
  using F = TLUTFormatId;
  const std::string quantel = "table type\t2\ngMax\t1023\ngSize\t2\ngamma 1.0\n";  // 4 lines
  const std::vector<test::TMalformed> cases = {
      {"Codex code too many", F::Codex1D, "LUT: 1 2\n0\n1\n1\n", "Too many rows (the file declares 2; line 4)"},
      {"Codex code too many, three blocks", F::Codex1D, "LUT: 3 2\n0\n1\n0\n1\n0\n1\n0\n",
       "Too many rows (the file declares 6; line 8)"},
      {"Codex trailing blank", F::Codex1D, "LUT: 1 2\n0\n1 \n", "'1 ' is not a valid integer value (line 3)"},
      {"Codex decimal", F::Codex1D, "LUT: 1 2\n0\n0.5\n", "'0.5' is not a valid integer value (line 3)"},
      {"Codex another length", F::Codex1D, "LUT: 1 2\n0\nLUT: 1 3\n", "The size is given again as 3 (it was 2; line 3)"},
      {"Codex another layout", F::Codex1D, "LUT: 1 2\n0\nLUT: 3 2\n",
       "The header value \"LUT: 3 2\" is not supported (it differs from the header before it; line 3)."},
      {"Lustre fifth column", F::Lustre1D, "LUT16\n0 0 0 0\n1 1 1 1 1\n2 2 2 2\n",
       "'1 1 1 1 1' is not a row of 4 values (line 3)"},
      {"Lustre row cut short", F::Lustre1D, "LUT12\n0 0 0 0\n1 409", "'1 409' is not a row of 4 values (line 3)"},
      {"Lustre decimal code", F::Lustre1D, "LUT16\n0 0.5 0 0\n", "'0.5' is not a valid integer value (line 2)"},
      {"Lustre one line that is no row", F::Lustre1D, "LUT16\nno rows here\n", "Incomplete file."},
      {"Lustre short row, its index not checked", F::Lustre1D, "LUT16\n1x 1 2\n", "'1x 1 2' is not a row of 4 values (line 2)"},
      {"Fusion five fields", F::Fusion1D, "F5LT\n16\n0 0 0 0 0\n", "'0 0 0 0 0' is not a row of 6 values (line 3)"},
      {"Fusion seven fields", F::Fusion1D, "F5LT\n16\n0 0 0 0 0 0\n1 1 1 1 1 1 1\n",
       "'1 1 1 1 1 1 1' is not a row of 6 values (line 4)"},
      {"Fusion bad value", F::Fusion1D, "F5LT\n16\n0 1 0 x 0 3\n", "'x' is not a valid integer value (line 3)"},
      {"Fusion short row, its indexes not checked", F::Fusion1D, "F5LT\n16\n0 1 i 2 0\n",
       "'0 1 i 2 0' is not a row of 6 values (line 3)"},
      {"Filmlight row too many", F::Filmlight1D, "# lutLength 2\n0 0 0\n1 1 1\n2 2 2\n# end\n",
       "Too many rows (the file declares 2; line 4)"},
      {"Filmlight nan", F::Filmlight1D, "# lutLength 2\n0 nan 0\n", "'nan' is not a valid floating point value (line 2)"},
      {"Filmlight underflow", F::Filmlight1D, "# lutLength 2\n1e-400 0 0\n",
       "'1e-400' is not a valid floating point value (line 2)"},
      {"Filmlight decimal comma", F::Filmlight1D, "# lutLength 2\n0,5 0,5 0,5\n",
       "'0,5 0,5 0,5' is not a row of 3 values (line 2)"},
      {"Filmlight two values", F::Filmlight1D, "# lutLength 2\n0.5 0.5\n", "'0.5 0.5' is not a row of 3 values (line 2)"},
      {"Filmlight length the file cannot hold", F::Filmlight1D, "# lutLength 100\n0 0 0\n",
       "Incomplete file (1 of 100 rows; the file ends at line 2)"},
      {"Filmlight another length", F::Filmlight1D, "# lutLength 2\n# lutLength 3\n",
       "The size is given again as 3 (it was 2; line 2)"},
      {"Quantel row too many", F::Quantel1D, quantel + "0 0 0\n1 1 1\n2 2 2\n",
       "Too many rows (the file declares 2; line 7)"},
      {"Quantel one row of two", F::Quantel1D, quantel + "0 0 0\n", "Incomplete file (1 of 2 rows; the file ends at line 5)"},
      {"Quantel infinity", F::Quantel1D, quantel + "0 inf 0\n", "'inf' is not a valid integer value (line 5)"},
      {"Quantel another length", F::Quantel1D, quantel + "gSize\t4\n", "The size is given again as 4 (it was 2; line 5)"},
      {"Quantel without gMax", F::Quantel1D, "gSize\t2\n0 0 0\n1 1 1\n",
       "Incomplete file (the header has no \"gMax\" line)"},
  };
  test::ExpectLoadErrors(cases);
}

TEST(Header1DReaders, HeaderErrorsLeaveKindAndSizeAlone) {
  TempDir dir;
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize1D(7);
  const std::string name = dir.Write("in.dat", "LUT: 3 abc\n");
  EXPECT_THROW(LoadLUTFile(name, lut, TLUTFormatId::Codex1D), EConvertError);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size1D(), 7);
}

TEST(Header1DReaders, RowCountBeyondTheCapacityIsRefused) {
  TempDir dir;
  struct Case {
    TLUTFormatId format;
    std::string header;
    std::string row;
  };
  for (const Case& c : {Case{TLUTFormatId::Lustre1D, "LUT16\n", "1 2 3 4\n"}, Case{TLUTFormatId::Fusion1D, "F5LT\n16\n", "1 2 1 3 1 4\n"}}) {
    std::string text = c.header;
    for (int i = 0; i < 100001; ++i) text += c.row;
    TLUT lut;
    const std::string full = dir.Write("full.txt", text);
    LoadLUTFile(full, lut, c.format);
    EXPECT_EQ(lut.Size1D(), 100001);
    const std::string over = dir.Write("over.txt", text + c.row);
    EXPECT_EQ(FailureOf([&] { LoadLUTFile(over, lut, c.format); }).message,
              "The 1D table length 100002 is not supported (1 to 100001 entries).");
  }
}

TEST(Header1DReaders, Detection) {
  struct Case {
    const char* name;
    const char* text;
    TLUTFormatId format;
  };
  const std::vector<Case> cases = {
      {"a.dat", "LUT: 1 2\n0\n1\n", TLUTFormatId::Codex1D},
      {"a.lut", "lut16\n0 0 0 0\n", TLUTFormatId::Lustre1D},  // detected, although the reader wants "LUT16"
      {"a.lut", "LUT12\n0 0 0 0\n", TLUTFormatId::Lustre1D},
      {"a.cube", "# lutLength 2\n# iDims 3\n", TLUTFormatId::Filmlight1D},
      {"a.txt", "table type 2\ngMax 1023\ngSize 2\n", TLUTFormatId::Quantel1D},
      {"a.alut", "f5lt\n16\n", TLUTFormatId::Fusion1D},
  };
  TempDir dir;
  for (const Case& c : cases) EXPECT_EQ(DetectLUTFormat(dir.Write(c.name, c.text)), c.format) << c.text;
}

// ---------------------------------------------------------------------------
// Round trips through every writable profile

void FillCurves(TLUT& lut, int m) {
  test::FillSample1D(lut, m);
  // A value that needs all digits, so that nothing is exact by accident.
  lut.Table1D(m / 3).R = 0.123456789;
}

TEST(Header1DRoundTrip, IntegerFormatsAgreeWithinHalfACodeStep) {
  struct Case {
    const char* profile;
    int bits;
    TLUTFormatId format;
  };
  const std::vector<Case> cases = {
      {"Autodesk Lustre 1D", 16, TLUTFormatId::Lustre1D},
      {"Autodesk Lustre 1D", 12, TLUTFormatId::Lustre1D},
      {"Codex 1D, Sony SRW-1, Scratch 1D", 10, TLUTFormatId::Codex1D},
      {"Quantel 1D", 10, TLUTFormatId::Quantel1D},
      {"Fusion 1D", 16, TLUTFormatId::Fusion1D},
  };
  TempDir dir;
  for (const Case& c : cases) {
    for (int m : {1024, 4096}) {
      TLUT lut, back;
      FillCurves(lut, m);
      const std::string name = dir.File("rt." + Profile(c.profile).Extension);
      SaveLUTFile(name, lut, Profile(c.profile), c.bits);
      LoadLUTFile(name, back);
      const std::string what = std::string(c.profile) + " " + std::to_string(c.bits) + " bits, " + std::to_string(m);
      ASSERT_EQ(back.FormatIndex, c.format) << what;
      ASSERT_EQ(back.Size1D(), m) << what;
      const double step = 0.5 / (std::ldexp(1.0, c.bits) - 1) + 1e-12;
      EXPECT_LE(test::MaxDifference1D(lut, back, m), step) << what;
    }
  }
}

TEST(Header1DRoundTrip, CodexAtItsDeepestDepthReadsBack) {
  TempDir dir;
  TLUT lut, back;
  FillCurves(lut, 1024);
  const std::string name = dir.File("deep.dat");
  SaveLUTFile(name, lut, Profile("Codex 1D, Sony SRW-1, Scratch 1D"), 30);
  LoadLUTFile(name, back, TLUTFormatId::Codex1D);
  ASSERT_EQ(back.Size1D(), 1024);
  for (int i = 0; i < 1024; ++i) ASSERT_NEAR(back.Table1D(i).G, lut.Table1D(i).G, 1e-9) << i;
}

TEST(Header1DRoundTrip, FilmlightIsExactAtSixDecimals) {
  TempDir dir;
  for (int m : {1024, 4096}) {
    TLUT lut, back;
    FillCurves(lut, m);
    const std::string name = dir.File("rt.cube");
    SaveLUTFile(name, lut, Profile("Filmlight Truelight 1D"));
    LoadLUTFile(name, back);
    ASSERT_EQ(back.FormatIndex, TLUTFormatId::Filmlight1D);
    ASSERT_EQ(back.Size1D(), m);
    for (int i = 0; i < m; ++i) {
      const TLUTEntry& a = lut.Table1D(i);
      ASSERT_EQ(back.Table1D(i), (TLUTEntry{StrToFloat(FormatFloatValue(6, a.R)), StrToFloat(FormatFloatValue(6, a.G)),
                                            StrToFloat(FormatFloatValue(6, a.B))}))
          << i;
    }
  }
}

TEST(Header1DRoundTrip, LustreAtDepthsItsReaderRefuses) {
  TempDir dir;
  TLUT lut, back;
  FillCurves(lut, 1024);
  for (int bits : {8, 10, 14}) {
    const std::string name = dir.File("rt.lut");
    SaveLUTFile(name, lut, Profile("Autodesk Lustre 1D"), bits);
    EXPECT_EQ(DetectLUTFormat(name), TLUTFormatId::None) << bits;
    EXPECT_EQ(FailureOf([&] { LoadLUTFile(name, back, TLUTFormatId::Lustre1D); }).message, "Incomplete file.") << bits;
  }
}

// ---------------------------------------------------------------------------
// Through the batch job

// ---------------------------------------------------------------------------
// Files written by other tools

TEST(Header1DPeerFiles, ReadWithoutError) {
  struct Case {
    const char* file;
    TLUTFormatId format;
    int size;
    TLUTEntry last;
  };
  const std::vector<Case> cases = {
      // "LUT: 3 256 256": the third number is the code count.
      {"OpenColorIO/logtolin_8to8.lut", TLUTFormatId::Codex1D, 256, {1, 1, 1}},
      // Half-float codes under a 12-bit length: read as integers over 4095.
      {"OpenColorIO/Test_12to16fp.lut", TLUTFormatId::Codex1D, 4096, {18036 / 4095.0, 18036 / 4095.0, 18036 / 4095.0}},
      {"OpenColorIO/Test_16fpto12.lut", TLUTFormatId::Codex1D, 65536, {0, 0, 0}},
      {"OpenColorIO/legacy_slog_to_log_v3_lustre.lut", TLUTFormatId::Lustre1D, 1024, {1, 1, 1}},
  };
  for (const Case& c : cases) {
    const std::string path = test::PeerFile(c.file);
    if (path.empty()) GTEST_SKIP() << "peer files missing";
    TLUT lut;
    LoadLUTFile(path, lut);
    EXPECT_EQ(lut.FormatIndex, c.format) << c.file;
    ASSERT_EQ(lut.Size1D(), c.size) << c.file;
    ExpectEntry(lut.Table1D(c.size - 1), c.last, c.file);
  }
}

TEST(Header1DPeerFiles, TruncatedAndForeignFiles) {
  const std::string truncated = test::PeerFile("OpenColorIO/error_truncated_file.lut");
  if (truncated.empty()) GTEST_SKIP() << "peer files missing";
  TLUT lut;
  // "LUT: 3 256" asks for 768 codes, which its bytes cannot hold.
  EXPECT_EQ(FailureOf([&] { LoadLUTFile(truncated, lut); }).message,
            "Incomplete file (79 of 768 rows; the file ends at line 81)");
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::None);
  // Houdini tables carry a "LUT:" line of their own (alone on its line),
  // which Houdini is asked about before Codex 1D.
  for (const char* file : {"ociobakelut/cdl_nosat_houdini_1d.lut", "OpenColorIO/houdini.lut"}) {
    const std::string path = test::PeerFile(file);
    EXPECT_EQ(DetectLUTFormat(path), TLUTFormatId::Houdini) << file;
    EXPECT_EQ(FailureOf([&] { LoadLUTFile(path, lut); }).message, "") << file;
  }
}

}  // namespace
}  // namespace zelvo
