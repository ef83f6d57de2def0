#include "registry/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ReadFailures.h"
#include "TestFormats.h"
#include "registry/Registry.h"
#include "base/XMLNode.h"

namespace zelvo {
namespace {

using test::ErrorOf;
using test::TempDir;


// A Clipster document with the given start tag and n^3 rows, code i in all channels.
std::string Document(const std::string& start_tag, int n) {
  std::string s = start_tag + "\n<values>\n";
  for (int i = 0; i < n * n * n; ++i) s += std::to_string(i) + " " + std::to_string(i) + " " + std::to_string(i) + "\n";
  return s + "</values>\n</LUT3D>\n";
}

TEST(ClipsterWriter, TwoPointGridByteForByte) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(0, 0, 1) = TLUTEntry{0.5, -0.2, 1.7};
  lut.Comments = {"never written"};
  const std::string name = dir.File("test.txt");
  test::SaveWith(TLUTFormatId::Clipster3D, name, lut, 10);
  EXPECT_EQ(test::ReadAll(name),
            "<LUT3D name='test' N='2' BitDepth='10'>\n"
            "<values>\n"
            "0 0 0\n"
            "512 0 1023\n"
            "0 1023 0\n"
            "0 1023 1023\n"
            "1023 0 0\n"
            "1023 0 1023\n"
            "1023 1023 0\n"
            "1023 1023 1023\n"
            "</values>\n"
            "</LUT3D>\n");
}

TEST(ClipsterWriter, ProfileWritesSeventeenPointsAtSixteenBits) {
  TempDir dir;
  TLUT lut;
  test::FillSample3D(lut, 17);
  const std::string name = dir.File("grade.txt");
  SaveLUTFile(name, lut, *OutputProfileByCaption("Clipster 3D"));
  const std::string text = test::ReadAll(name);
  EXPECT_EQ(text.substr(0, text.find('\n')), "<LUT3D name='grade' N='17' BitDepth='16'>");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 17 * 17 * 17 + 4);
}

TEST(ClipsterWriter, RefusesBitDepthsItCannotExpress) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  for (int bits : {0, -1, 32}) {
    EXPECT_THROW(test::SaveWith(TLUTFormatId::Clipster3D, dir.File("x.txt"), lut, bits), ELUTError) << bits;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.txt")));
}

TEST(ClipsterWriter, AnyFileNameGivesAWellFormedDocument) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  const std::pair<const char*, const char*> cases[] = {
      {"it's.txt", "Name: it_s"},
      {"a&b.txt", "Name: a_b"},
      {"x<y>z.txt", "Name: x_y_z"},
      {"q\"uote.txt", "Name: q_uote"},
      {"caf\xE9.txt", "Name: caf_"},
      // A blank stays, and the reader keeps the whole quoted name.
      {"my grade.txt", "Name: my grade"},
  };
  for (const auto& [file, comment] : cases) {
    const std::string name = dir.File(file);
    test::SaveWith(TLUTFormatId::Clipster3D, name, lut, 16);
    const std::string text = test::ReadAll(name);
    const std::string tag = text.substr(0, text.find('\n'));
    // Inside the quotes there is nothing a strict reader would refuse.
    const std::string value = tag.substr(13, tag.find("' N=") - 13);
    EXPECT_EQ(value.find_first_of("'\"<>&"), std::string::npos) << file;
    TLUT back;
    LoadLUTFile(name, back);
    EXPECT_EQ(back.FormatIndex, TLUTFormatId::Clipster3D) << file;
    ASSERT_EQ(back.Comments.size(), 1u);
    EXPECT_EQ(back.Comments[0], comment) << file;
    EXPECT_EQ(back.Size3D(), 2);
    EXPECT_EQ(back.Table3D(1, 1, 1), (TLUTEntry{1, 1, 1}));
  }
}

TEST(ClipsterReader, ReadsCodesBlueFastest) {
  TempDir dir;
  std::string doc = Document("<LUT3D name='look' N='17' BitDepth='16'>", 17);
  doc.replace(doc.find("\n1 1 1\n"), 7, "\n65535 0 32768\n");
  TLUT lut;
  LoadLUTFile(dir.Write("a.txt", doc), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Clipster3D);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 17);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"Name: look"});
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{1.0, 0.0, 32768.0 / 65535.0}));
  EXPECT_DOUBLE_EQ(lut.Table3D(0, 1, 0).R, 17 / 65535.0);
  EXPECT_DOUBLE_EQ(lut.Table3D(16, 16, 16).B, 4912 / 65535.0);
}

TEST(ClipsterReader, RowsWithAnySeparatorsAndLinesThatAreNoRows) {
  const std::string doc =
      "<?xml version='1.0'?>\n<lut3d N=\"2\" bitdepth=\"8\">\r\n<Values>\r\n"
      "0\t0\t0\r\n\r\nnot a row\r\n0,0,255\r\n<!-- a comment -->0  255  0\r\n0 255 255\r\n"
      "255 0 0\n255 0 255\n255 255 0\n255 255 255\n</Values></lut3d>";
  TLUT lut;
  test::LoadText(doc, lut, TLUTFormatId::Clipster3D);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"Name: "});
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{0, 0, 1}));
  EXPECT_EQ(lut.Table3D(0, 1, 0), (TLUTEntry{0, 1, 0}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{1, 1, 1}));
}

TEST(ClipsterReader, ShortDocumentIsIncompleteAndLeavesTheLUTAsItWas) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 3);
  lut.Table3D(1, 1, 1) = TLUTEntry{9, 9, 9};
  lut.Comments = {"earlier"};
  EXPECT_EQ(test::ErrorOf([&] {
              LoadLUTFile(dir.Write("c.txt", "<LUT3D N='2' BitDepth='10'><values>1023 1023 1023\n0 0 0\n</values></LUT3D>"),
                          lut);
            }),
            "Incomplete file (2 of 8 rows; the file ends at line 3)");
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::None);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.Size3D(), 3);
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{9, 9, 9}));
}

TEST(ClipsterReader, RefusesBadHeadersBeforeStoring) {
  TempDir dir;
  const std::pair<const char*, const char*> cases[] = {
      {"<LUT3D N='2'>", "The bit depth (\"BitDepth\" attribute) is missing or empty."},
      {"<LUT3D N='2' BitDepth=''>", "The bit depth (\"BitDepth\" attribute) is missing or empty."},
      {"<LUT3D N='2' BitDepth='0'>", "The bit depth 0 (\"BitDepth\" attribute) is not supported (1 to 31 bits)."},
      {"<LUT3D N='2' BitDepth='40'>", "The bit depth 40 (\"BitDepth\" attribute) is not supported (1 to 31 bits)."},
      {"<LUT3D BitDepth='16'>", "The grid size (\"N\" attribute) is missing or empty."},
      {"<LUT3D N='0' BitDepth='16'>",
       "The grid size 0 (\"N\" attribute) is not supported (2 to 256 points per axis)."},
      {"<LUT3D N='1' BitDepth='16'>",
       "The grid size 1 (\"N\" attribute) is not supported (2 to 256 points per axis)."},
      {"<LUT3D N='257' BitDepth='16'>",
       "The grid size 257 (\"N\" attribute) is not supported (2 to 256 points per axis)."},
      {"<LUT3D N='2x' BitDepth='16'>", "'2x' is not a valid floating point value"},
  };
  for (const auto& [tag, message] : cases) {
    TLUT lut;
    test::FillIdentity3D(lut, 2);
    lut.Table3D(0, 0, 0) = TLUTEntry{5, 5, 5};
    // The reader itself: it refuses before it stores anything.
    EXPECT_EQ(ErrorOf([&] { test::LoadWith(TLUTFormatId::Clipster3D, dir.Write("d.txt", Document(tag, 2)), lut); }),
              message)
        << tag;
    EXPECT_EQ(lut.Table3D(0, 0, 0), (TLUTEntry{5, 5, 5}));
    EXPECT_TRUE(lut.Comments.empty());
  }
}

// Rows that start like numbers must be three integers, and there must be N^3
// of them; errors name the line of the document, comments inside the values
// counted.
TEST(ClipsterReader, MalformedRowsNameTheirLine) {
  const auto doc = [](const std::string& tag, const std::string& rows) {
    return tag + "\n<values>\n" + rows + "</values>\n</LUT3D>\n";
  };
  const std::string tag = "<LUT3D name='x' N='2' BitDepth='8'>";
  std::string rows;
  for (int i = 0; i < 8; ++i) rows += std::to_string(i) + " 0 255\n";
  const std::string two = rows.substr(0, 2 * 8);
  using F = TLUTFormatId;
  const std::vector<test::TMalformed> cases = {
      {"two values", F::Clipster3D, doc(tag, two + "0 255\n"), "'0 255' is not a row of 3 values (line 5)"},
      {"four values", F::Clipster3D, doc(tag, two + "0 255 0 9\n"), "'0 255 0 9' is not a row of 3 values (line 5)"},
      {"nan", F::Clipster3D, doc(tag, "0 nan 0\n"), "'nan' is not a valid integer value (line 3)"},
      {"row too many", F::Clipster3D, doc(tag, rows + "7 7 7\n"), "Too many rows (the file declares 8; line 11)"},
      {"cut short", F::Clipster3D, doc(tag, rows.substr(0, 7 * 8)), "Incomplete file (7 of 8 rows; the file ends at line 11)"},
      {"lines of a comment counted", F::Clipster3D, doc(tag, "<!-- two\nlines -->\n0 0 0\n1,5 0 0\n"),
       "'1,5 0 0' is not a row of 3 values (line 6)"},
      {"rows in a CDATA section", F::Clipster3D, doc(tag, "0 0 0\n<![CDATA[\n1 1 1\n1 1 1 1\n]]>"),
       "'1 1 1 1' is not a row of 3 values (line 6)"},
      {"size of the element", F::Clipster3D, "<?xml version='1.0'?>\n" + doc("<LUT3D N='300' BitDepth='8'>", rows),
       "The grid size 300 (\"N\" attribute) is not supported (2 to 256 points per axis; line 2)."},
      {"depth of the element", F::Clipster3D, doc("<LUT3D N='2' BitDepth='x'>", rows),
       "'x' is not a valid floating point value (line 1)"},
  };
  test::ExpectLoadErrors(cases);
}

TEST(ClipsterReader, MissingElementsAreNamed) {
  TempDir dir;
  TLUT lut;
  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("e.txt", "<LUT3D N='2' BitDepth='8'></LUT3D>"), lut); }),
            "The \"values\" node is not found");
  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("f.txt", "<doc><LUT3D/></doc>"), lut); }),
            "The \"LUT3D\" node is not found");
}

TEST(ClipsterFormat, RoundTripWithinHalfACodeStep) {
  TempDir dir;
  for (int bits : {8, 12, 16}) {
    TLUT lut;
    test::FillSample3D(lut, 9);
    const std::string name = dir.File("r.txt");
    test::SaveWith(TLUTFormatId::Clipster3D, name, lut, bits);
    TLUT back;
    LoadLUTFile(name, back);
    ASSERT_EQ(back.Size3D(), 9);
    const double half = 0.5 / (std::ldexp(1.0, bits) - 1.0) + 1e-12;
    EXPECT_LE(test::MaxDifference3D(lut, back, 9), half) << bits << " bits";
  }
}

}  // namespace
}  // namespace zelvo
