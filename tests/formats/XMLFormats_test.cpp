#include "formats/XMLTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "ReadFailures.h"
#include "TestFormats.h"
#include "registry/Registry.h"
#include "base/TextFile.h"

namespace zelvo {
namespace {

using test::ErrorOf;
using test::FileLines;
using test::TempDir;


// ---------------------------------------------------------------------------
// S.two 1D

TEST(StwoReader, TenBitCodesInAttributes) {
  TempDir dir;
  const std::string doc =
      "<?xml version=\"1.0\"?>\n<lut name=\"x\">\n<data>\n"
      "<elem r=\"1023\" g=\"0\" b=\"511.5\"/>\n"
      "<comment r=\"9\"/>\n"
      "<ELEM R='511,5' G='1023' B='0'/>\n"
      "<elem r='0' g=\"1023\" b='-0'/>\n"
      "</data>\n</lut>\n";
  TLUT lut;
  lut.Comments = {"kept?"};
  LoadLUTFile(dir.Write("a.xml", doc), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Stwo1D);
  EXPECT_EQ(lut.Kind, TLUTKind::lk1D);
  ASSERT_EQ(lut.Size1D(), 3);
  EXPECT_EQ(lut.Table1D(0), (TLUTEntry{1.0, 0.0, 0.5}));
  EXPECT_EQ(lut.Table1D(1), (TLUTEntry{0.5, 1.0, 0.0}));
  EXPECT_EQ(lut.Table1D(2), (TLUTEntry{0.0, 1.0, 0.0}));
  EXPECT_TRUE(lut.Comments.empty());
}

TEST(StwoReader, MissingElements) {
  TempDir dir;
  TLUT lut;
  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("i.xml", "<lut/><data/><elem/>"), lut, TLUTFormatId::Stwo1D); }),
            "The \"data\" node is not found");
  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("j.xml", "<x><lut><data><elem/></data></lut></x>"), lut, TLUTFormatId::Stwo1D); }),
            "The \"lut\" node is not found");
}

TEST(StwoReader, MoreEntriesThanTheTableHoldsAreRefused) {
  TempDir dir;
  std::string doc = "<lut><data>";
  doc.reserve(kMax1DSize * 26 + 40);
  for (int i = 0; i <= kMax1DSize; ++i) doc += "<elem r='0' g='0' b='0'/>";
  doc += "</data></lut>";
  TLUT lut;
  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("big.xml", doc), lut); }),
            "The 1D table length 100002 is not supported (1 to 100001 entries).");
  EXPECT_EQ(lut.Size1D(), 0);
}

TEST(StwoWriter, ElemLinesAndTheNameOfTheFile) {
  TempDir dir;
  TLUT lut;
  test::FillSample1D(lut, 1024);
  lut.Table1D(0) = TLUTEntry{0.5, -1, 2};
  const std::string name = dir.File("film.swto.xml");
  SaveLUTFile(name, lut, *OutputProfileByCaption("S.two 1D"));
  const std::vector<std::string> lines = FileLines(name);
  ASSERT_EQ(lines.size(), 1024u + 5u);
  EXPECT_EQ(lines[0], "<?xml version=\"1.0\"?>");
  EXPECT_EQ(lines[1], "<lut name=\"film.swto\">");
  EXPECT_EQ(lines[2], "<data>");
  EXPECT_EQ(lines[3], "<elem r=\"512\" g=\"0\" b=\"1023\"/>");
  EXPECT_EQ(lines[1026], "<elem r=\"1023\" g=\"1023\" b=\"1023\"/>");
  EXPECT_EQ(lines[1027], "</data>");
  EXPECT_EQ(lines[1028], "</lut>");
  EXPECT_EQ(test::ReadAll(name).back(), '\n');

  SaveLUTFile(dir.File("a&b \"c\".swto.xml"), lut, *OutputProfileByCaption("S.two 1D"));
  EXPECT_EQ(FileLines(dir.File("a&b \"c\".swto.xml"))[1], "<lut name=\"a_b _c_.swto\">");
}

TEST(StwoFormat, RoundTripWithinHalfACodeStep) {
  TempDir dir;
  TLUT lut;
  test::FillSample1D(lut, 1024);
  const std::string name = dir.File("r.swto.xml");
  SaveLUTFile(name, lut, *OutputProfileByCaption("S.two 1D"));
  TLUT back;
  LoadLUTFile(name, back);
  ASSERT_EQ(back.FormatIndex, TLUTFormatId::Stwo1D);
  ASSERT_EQ(back.Size1D(), 1024);
  EXPECT_LE(test::MaxDifference1D(lut, back, 1024), 0.5 / 1023 + 1e-12);
}

// ---------------------------------------------------------------------------
// PixelFarm PFClean 3D

TEST(PFCleanWriter, DeclarationAndCubeRows) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(0, 0, 1) = TLUTEntry{0.5, 0.25, 1.5};
  const std::string name = dir.File("x.pfl");
  test::SaveWith(TLUTFormatId::PFClean3D, name, lut, 8);
  EXPECT_EQ(test::ReadAll(name),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<lut type=\"ascii\">\n"
            "<maximum>255</maximum>\n"
            "<size>2</size>\n"
            "<cube>\n"
            "0 0 0\n"
            "128 64 255\n"
            "0 255 0\n"
            "0 255 255\n"
            "255 0 0\n"
            "255 0 255\n"
            "255 255 0\n"
            "255 255 255\n"
            "</cube>\n"
            "</lut>\n");
  EXPECT_THROW(test::SaveWith(TLUTFormatId::PFClean3D, name, lut, 0), ELUTError);
}

TEST(PFCleanReader, MaximumDividesAndBlankRowsArePassed) {
  TempDir dir;
  const std::string doc =
      "<?xml version=\"1.0\"?>\n<lut type=\"ascii\">\n<maximum> 255 </maximum>\n<size>2</size>\n<cube>\n"
      "0 0 0\n\n   \n255 0 128\n0 255 0\n0 255 255\n255 0 0\n255 0 255\n255 255 0\n255 255 255\n"
      "</cube>\n</lut>\n";
  TLUT lut;
  LoadLUTFile(dir.Write("a.pfl", doc), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::PFClean3D);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{1.0, 0.0, 128.0 / 255.0}));
  EXPECT_EQ(lut.Table3D(0, 1, 0), (TLUTEntry{0, 1, 0}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{1, 1, 1}));
}

TEST(PFCleanReader, RefusesBadHeadersBeforeStoring) {
  TempDir dir;
  const auto doc = [](const std::string& head) { return "<lut>" + head + "<cube>\n1 1 1\n</cube></lut>"; };
  const std::pair<std::string, std::string> cases[] = {
      {"<maximum>255</maximum>", "The \"size\" node is not found"},
      {"<size>2</size>", "The \"maximum\" node is not found"},
      {"<size>2</size><maximum></maximum>",
       "The maximum code value (\"maximum\" element) is missing or empty."},
      {"<size>2</size><maximum>0</maximum>",
       "The maximum code value 0 (\"maximum\" element) is not supported; it must be above 0."},
      {"<size>2</size><maximum>-255</maximum>",
       "The maximum code value -255 (\"maximum\" element) is not supported; it must be above 0."},
      {"<size> </size><maximum>255</maximum>", "The grid size (\"size\" element) is missing or empty."},
      {"<size>1</size><maximum>255</maximum>",
       "The grid size 1 (\"size\" element) is not supported (2 to 256 points per axis)."},
      {"<size>300</size><maximum>255</maximum>",
       "The grid size 300 (\"size\" element) is not supported (2 to 256 points per axis)."},
      {"<size>2</size><maximum>x</maximum>", "'x' is not a valid floating point value"},
  };
  for (const auto& [head, message] : cases) {
    TLUT lut;
    // The reader itself: it refuses before it allocates or stores anything.
    EXPECT_EQ(ErrorOf([&] { test::LoadWith(TLUTFormatId::PFClean3D, dir.Write("b.pfl", doc(head)), lut); }), message)
        << head;
    EXPECT_EQ(lut.Size3D(), 0);
  }
}

TEST(PFCleanFormat, RoundTripWithinHalfACodeStep) {
  TempDir dir;
  TLUT lut;
  test::FillSample3D(lut, 16);
  const std::string name = dir.File("r.pfl");
  SaveLUTFile(name, lut, *OutputProfileByCaption("PixelFarm PFClean 3D"));
  TLUT back;
  LoadLUTFile(name, back);
  ASSERT_EQ(back.FormatIndex, TLUTFormatId::PFClean3D);
  ASSERT_EQ(back.Size3D(), 16);
  EXPECT_LE(test::MaxDifference3D(lut, back, 16), 0.5 / 255 + 1e-12);
}

// ---------------------------------------------------------------------------
// Adobe Speedgrade Look 3D

std::string Look(const std::string& size, const std::string& data) {
  return "<?xml version=\"1.0\" ?>\n<look>\n  <shaders><base/></shaders>\n  <LUT>\n    <size>" + size +
         "</size>\n    <data>" + data + "</data>\n  </LUT>\n</look>\n";
}

TEST(SpeedgradeReader, HexadecimalSingles) {
  TempDir dir;
  // 2^3 triples, red fastest; the second triple is split by blanks, a line
  // break and quotation marks; NaN becomes 0.
  std::string data = "\"0000803f00000000 0000c07f\n";
  data += "00 00 00 3f\n\"0000 803e\"0000003f";
  for (int i = 2; i < 8; ++i) data += "000000000000803f00000000";
  data += "\"";
  TLUT lut;
  LoadLUTFile(dir.Write("a.look", Look("\"2\"", data)), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::SpeedgradeLook3D);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Table3D(0, 0, 0), (TLUTEntry{1.0, 0.0, 0.0}));
  EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{0.5, 0.25, 0.5}));
  EXPECT_EQ(lut.Table3D(0, 1, 0), (TLUTEntry{0.0, 1.0, 0.0}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{0.0, 1.0, 0.0}));
}

TEST(SpeedgradeReader, DataEndingInsideATripleStoresNoPartOfIt) {
  TempDir dir;
  for (const std::string tail : {"", "0000", "0000803f", "0000803f0000803f", "0000803f0000803f0000"}) {
    TLUT lut;
    test::FillIdentity3D(lut, 2);
    lut.Table3D(1, 0, 0) = TLUTEntry{7, 7, 7};
    // The reader itself, which leaves what it stored; a load through the
    // registry would leave the LUT as it was.
    EXPECT_EQ(test::ErrorOf([&] {
                test::LoadWith(TLUTFormatId::SpeedgradeLook3D,
                               dir.Write("b.look", Look("\"2\"", "0000003f0000003f0000003f" + tail + " x")), lut);
              }),
              "Incomplete file (1 of 8 rows; the file ends at line 8)");
    EXPECT_EQ(lut.Size3D(), 2);
    EXPECT_EQ(lut.Table3D(0, 0, 0), (TLUTEntry{0.5, 0.5, 0.5})) << tail;
    EXPECT_EQ(lut.Table3D(1, 0, 0), (TLUTEntry{7, 7, 7})) << tail;
  }
}

TEST(SpeedgradeReader, SizeErrors) {
  TempDir dir;
  const std::pair<std::string, std::string> cases[] = {
      {"\"257\"", "The grid size 257 (\"size\" element) is not supported (2 to 256 points per axis)."},
      {"\"-3\"", "The grid size -3 (\"size\" element) is not supported (2 to 256 points per axis)."},
      {"\"1\"", "The grid size 1 (\"size\" element) is not supported (2 to 256 points per axis)."},
      {"33", "'' is not a valid integer value"},
      {"\"3.5\"", "'3.5' is not a valid integer value"},
  };
  for (const auto& [size, message] : cases) {
    TLUT lut;
    EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("d.look", Look(size, "00")), lut); }), message) << size;
  }
  TLUT lut;
  EXPECT_EQ(ErrorOf([&] {
              LoadLUTFile(dir.Write("e.look", "<look><shaders></shaders><lut><size>\"2\"</size></lut></look>"), lut);
            }),
            "The \"data\" node is not found");
}

// The rows of the XML formats follow the rules of the text formats, and
// every error names the line of the document: elements and values that do not
// convert, rows that are not three integers, a row too many, a table cut short.
TEST(XMLReaders, MalformedRowsNameTheirLine) {
  using F = TLUTFormatId;
  const auto stwo = [](const std::string& elems) {
    return "<?xml version=\"1.0\"?>\n<lut name=\"x\">\n<data>\n" + elems + "</data>\n</lut>\n";
  };
  const std::string elem = "<elem r=\"1\" g=\"2\" b=\"3\"/>\n";
  const auto pfclean = [](const std::string& maximum, const std::string& rows) {
    return "<?xml version=\"1.0\"?>\n<lut type=\"ascii\">\n<maximum>" + maximum +
           "</maximum>\n<size>2</size>\n<cube>\n" + rows + "</cube>\n</lut>\n";
  };
  std::string rows;
  for (int i = 0; i < 8; ++i) rows += std::to_string(i) + " 0 255\n";
  const std::string triple = "0000003f0000003f0000003f";
  std::string grid;
  for (int i = 0; i < 8; ++i) grid += triple + "\n";
  const std::vector<test::TMalformed> cases = {
      {"S.two value missing", F::Stwo1D, stwo(elem + "<elem r=\"1\" g=\"2\"/>\n"),
       "The \"elem\" element has no \"b\" attribute (line 5)."},
      {"S.two bad value", F::Stwo1D, stwo("<elem r=\"1x\" g=\"2\" b=\"3\"/>\n"),
       "'1x' is not a valid floating point value (line 4)"},
      {"S.two nan", F::Stwo1D, stwo(elem + elem + "<elem r=\"1\" g=\"nan\" b=\"3\"/>\n"),
       "'nan' is not a valid floating point value (line 6)"},
      {"S.two no rows", F::Stwo1D, stwo(""), "Incomplete file (no \"elem\" rows; line 3)"},
      {"PFClean two values", F::PFClean3D, pfclean("255", "0 0 0\n1 2\n"), "'1 2' is not a row of 3 values (line 7)"},
      {"PFClean row too many", F::PFClean3D, pfclean("255", rows + "9 9 9\n"),
       "Too many rows (the file declares 8; line 14)"},
      {"PFClean cut short", F::PFClean3D, pfclean("255", rows.substr(0, 5 * 8)),
       "Incomplete file (5 of 8 rows; the file ends at line 12)"},
      {"PFClean maximum 0", F::PFClean3D, pfclean("0", rows),
       "The maximum code value 0 (\"maximum\" element) is not supported; it must be above 0 (line 3)."},
      {"Speedgrade infinity", F::SpeedgradeLook3D, Look("\"2\"", triple + "\n0000803f 0000807F"),
       "'0000807F' is not a valid floating point value (line 7)"},
      {"Speedgrade triple too many", F::SpeedgradeLook3D, Look("\"2\"", grid + "00"),
       "Too many rows (the file declares 8; line 14)"},
      {"Speedgrade cut short", F::SpeedgradeLook3D, Look("\"2\"", triple + "\n" + triple),
       "Incomplete file (2 of 8 rows; the file ends at line 9)"},
      {"Speedgrade size", F::SpeedgradeLook3D, Look("\"2x\"", grid), "'2x' is not a valid integer value (line 5)"},
  };
  test::ExpectLoadErrors(cases);
}

TEST(SpeedgradeFormat, WritesNothing) {
  TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  EXPECT_EQ(test::ErrorOf([&] { test::SaveWith(TLUTFormatId::SpeedgradeLook3D, dir.File("x.look"), lut, 0); }),
            "The format \"Adobe Speedgrade Look 3D\" is read only; it cannot be written.");
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.look")));
  EXPECT_FALSE(LUTFormatOf(TLUTFormatId::SpeedgradeLook3D).CanSave());
}

TEST(SpeedgradeReader, PeerLooks) {
  const std::string simple = test::PeerFile("OpenColorIO-inline-samples/FileFormatIridasLook_tests__simple3d.look");
  if (simple.empty()) GTEST_SKIP() << "peer files missing";
  TLUT lut;
  LoadLUTFile(simple, lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::SpeedgradeLook3D);
  EXPECT_EQ(lut.Size3D(), 8);
  // A grey ramp along the red axis, values between 0 and 1.
  EXPECT_EQ(lut.Table3D(0, 0, 0).R, 0.0);
  EXPECT_NEAR(lut.Table3D(1, 0, 0).R, 0.0427, 1e-4);
  for (int r = 1; r < 8; ++r) EXPECT_GT(lut.Table3D(r, 0, 0).R, lut.Table3D(r - 1, 0, 0).R);
  // The look whose table was cut short is refused rather than read in part.
  TLUT masked;
  const std::string cut = test::PeerFile("OpenColorIO-inline-samples/FileFormatIridasLook_tests__fail_on_mask.look");
  EXPECT_EQ(DetectLUTFormat(cut), TLUTFormatId::SpeedgradeLook3D);
  EXPECT_EQ(test::ErrorOf([&] { LoadLUTFile(cut, masked); }), "Incomplete file (3 of 512 rows; the file ends at line 55)");
  EXPECT_EQ(masked.FormatIndex, TLUTFormatId::None);
  EXPECT_EQ(masked.Size3D(), 0);
}

}  // namespace
}  // namespace zelvo
