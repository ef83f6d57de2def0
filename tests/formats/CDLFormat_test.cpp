#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>

#include "ReadFailures.h"
#include "TestFormats.h"
#include "formats/CDLLib.h"
#include "registry/Registry.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::ErrorOf;
using test::TempDir;

std::string Correction(const std::string& slope, const std::string& offset, const std::string& power,
                       const std::string& sat = "") {
  std::string s = "<ColorCorrection id=\"shot_010\">\n  <SOPNode>\n    <Slope>" + slope + "</Slope>\n    <Offset>" +
                  offset + "</Offset>\n    <Power>" + power + "</Power>\n  </SOPNode>\n";
  if (!sat.empty()) s += "  <SatNode>\n    <Saturation>" + sat + "</Saturation>\n  </SatNode>\n";
  return s + "</ColorCorrection>\n";
}

// Loads a correction and returns the table point [r][g][b] of the 33-point grid.
TLUTEntry Point(const std::string& text, int r, int g, int b) {
  TempDir dir;
  TLUT lut;
  LoadLUTFile(dir.Write("a.cc", text), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::ASC_CDL);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 33);
  return lut.Table3D(r, g, b);
}

TEST(ASCCDL, TransferFunction) {
  struct Case {
    const char* what;
    std::string text;
    int r, g, b;
    TLUTEntry expected;
  };
  const float p22 = std::pow(0.5f, 2.2f);
  const Case cases[] = {
      {"identity", Correction("1 1 1", "0 0 0", "1 1 1", "1"), 16, 8, 32, {0.5, 0.25, 1.0}},
      {"slope above 1 stays above 1", Correction("2 2 2", "0 0 0", "1 1 1"), 32, 32, 32, {2.0, 2.0, 2.0}},
      {"negative offset clips to 0 without the power",
       Correction("1 1 1", "-0.1 0 0", "0.5 1 1"), 3, 3, 3, {0.0, 3 / 32.0, 3 / 32.0}},
      {"power 2.2 in single precision", Correction("1 1 1", "0 0 0", "2.2 2.2 2.2"), 16, 16, 16, {p22, p22, p22}},
      {"saturation 0 is the plain mean", Correction("1 1 1", "0 0 0", "1 1 1", "0"), 32, 0, 0,
       {1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f}},
      {"decimal comma in the saturation", Correction("1 1 1", "0 0 0", "1 1 1", "0,0"), 32, 0, 0,
       {1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f}},
      {"commas between the numbers", Correction("2,2,2", "0,0,0", "1,1,1"), 16, 16, 16, {1.0, 1.0, 1.0}},
      {"leading blank and runs of separators", Correction(" 2  2 , 2 ", "\n0\t0 0\n", " 1,1, 1"), 16, 16, 16,
       {1.0, 1.0, 1.0}},
      {"power 0 gives 1", Correction("1 1 1", "0 0 0", "0 0 0"), 4, 4, 4, {1.0, 1.0, 1.0}},
  };
  for (const Case& c : cases) {
    const TLUTEntry e = Point(c.text, c.r, c.g, c.b);
    EXPECT_FLOAT_EQ(e.R, c.expected.R) << c.what;
    EXPECT_FLOAT_EQ(e.G, c.expected.G) << c.what;
    EXPECT_FLOAT_EQ(e.B, c.expected.B) << c.what;
  }
}

TEST(ASCCDL, IdentityOnTheWholeGrid) {
  TempDir dir;
  TLUT lut;
  lut.Comments = {"old"};
  LoadLUTFile(dir.Write("id.cc", Correction("1 1 1", "0 0 0", "1 1 1")), lut);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"Name: shot_010"});
  for (int r = 0; r < 33; ++r)
    for (int g = 0; g < 33; ++g)
      for (int b = 0; b < 33; ++b) {
        ASSERT_EQ(lut.Table3D(r, g, b), (TLUTEntry{r / 32.0f, g / 32.0f, b / 32.0f}));
      }
}

TEST(ASCCDL, ApplyCDLOrderAndPrecision) {
  TCDLData cdl;
  cdl.SOP[0] = {2.0f, -0.5f, 2.0f};
  cdl.SOP[1] = {1.0f, 0.25f, 1.0f};
  cdl.SOP[2] = {0.5f, 0.0f, 1.0f};
  cdl.Saturation = 0.5f;
  float r, g, b;
  ApplyCDL(cdl, 0.75f, 0.5f, 1.0f, r, g, b);
  // (0.75*2-0.5)^2 = 1, 0.5+0.25 = 0.75, 0.5; mean 0.75; half way to it.
  EXPECT_FLOAT_EQ(r, 0.875f);
  EXPECT_FLOAT_EQ(g, 0.75f);
  EXPECT_FLOAT_EQ(b, 0.625f);
  // Red below zero after the offset gives 0 before saturation: it only gets
  // half the mean of (0, 0.25, 0).
  ApplyCDL(cdl, 0.1f, 0.0f, 0.0f, r, g, b);
  EXPECT_FLOAT_EQ(r, 0.25f / 6.0f);
  EXPECT_FLOAT_EQ(g, 0.125f + 0.25f / 6.0f);
}

TEST(ASCCDL, ReadCDLFillsTheRecord) {
  TCDLData cdl;
  ReadCDL(Correction("1.1 1.2 1.3", "-0.01 0 0.02", "0.9 1 1.2", "0.8"), cdl);
  EXPECT_EQ(cdl.Id, "shot_010");
  EXPECT_EQ(cdl.SOP[1].Slope, 1.2f);
  EXPECT_EQ(cdl.SOP[0].Offset, -0.01f);
  EXPECT_EQ(cdl.SOP[2].Power, 1.2f);
  EXPECT_EQ(cdl.Saturation, 0.8f);
  ReadCDL("<ColorCorrection><SOPNode><Slope>1 1 1</Slope><Offset>0 0 0</Offset>"
          "<Power>1 1 1</Power></SOPNode><SatNode/></ColorCorrection>",
          cdl);
  EXPECT_EQ(cdl.Id, "");
  EXPECT_EQ(cdl.Saturation, 1.0f);
}

TEST(ASCCDL, Errors) {
  TempDir dir;
  // The message as the user sees it, with the line of the element at fault.
  const std::pair<std::string, std::string> cases[] = {
      {Correction("1 1", "0 0 0", "1 1 1"), "'' is not a valid floating point value (line 3)"},
      {Correction("1 1 1", "0 x 0", "1 1 1"), "'x' is not a valid floating point value (line 4)"},
      {Correction("1 1 1", "0 0 0", "1 1 1e39"), "'1e39' is not a valid floating point value (line 5)"},
      {Correction("1 1 1", "0 0 0", "1 1 1", "high"), "'high' is not a valid floating point value (line 8)"},
      {"<ColorCorrection><SOPNode><Slope>1 1 1</Slope><Power>1 1 1</Power></SOPNode></ColorCorrection>",
       "The \"Offset\" node is not found (line 1)"},
      {"<ColorCorrection><SOP><SOPNode>x</SOPNode></SOP></ColorCorrection>",
       "The \"SOPNode\" node is not found (line 1)"},
      {"<ColorDecision><ColorCorrection><SOPNode><Slope>1 1 1</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power>"
       "</SOPNode></ColorCorrection></ColorDecision>",
       "The \"ColorCorrection\" node is not found"},
  };
  for (const auto& [text, message] : cases) {
    TLUT lut;
    test::FillIdentity3D(lut, 2);
    lut.Table3D(1, 1, 1) = TLUTEntry{4, 4, 4};
    const std::string name = dir.Write("e.cc", text);
    EXPECT_EQ(DetectLUTFormat(name), TLUTFormatId::ASC_CDL) << text;
    EXPECT_EQ(test::DescribedLoadError({"", TLUTFormatId::ASC_CDL, text, ""}), "read as ASC CDL: " + message);
    EXPECT_THROW(LoadLUTFile(name, lut), EZelvoError);
    EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{4, 4, 4}));
    EXPECT_TRUE(lut.Comments.empty());
  }
}

// A collection or decision list: the first correction, or the one named by
// its id, and every id in a comment line.
TEST(ASCCDL, Collections) {
  TempDir dir;
  std::string second = Correction("2 2 2", "0 0 0", "1 1 1");
  second.replace(second.find("shot_010"), 8, "shot_020");
  const std::string ccc = dir.Write(
      "a.ccc", "<ColorCorrectionCollection>\n" + Correction("1 1 1", "0 0 0", "1 1 1") + second +
                   "</ColorCorrectionCollection>");
  const std::string cdl = dir.Write("a.cdl", "<ColorDecisionList><ColorDecision>" + second +
                                                 "</ColorDecision><ColorDecision><ColorCorrectionRef ref='x'/>"
                                                 "</ColorDecision></ColorDecisionList>");
  for (const auto& [file, id, first_point] :
       {std::tuple{ccc, "", 1.0}, std::tuple{ccc, "shot_020", 2.0}, std::tuple{cdl, "", 2.0}}) {
    TLUT lut;
    LoadLUTFile(file, lut, TLUTFormatId::None, id);
    EXPECT_EQ(lut.FormatIndex, TLUTFormatId::ASC_CDLCollection) << file;
    EXPECT_EQ(lut.Table3D(32, 32, 32), (TLUTEntry{first_point, first_point, first_point})) << file << id;
  }
  TLUT lut;
  LoadLUTFile(ccc, lut);
  EXPECT_EQ(lut.Comments, (std::vector<std::string>{"Name: shot_010",
                                                    "Corrections of the file (pick one by its id): shot_010, shot_020"}));
  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(ccc, lut, TLUTFormatId::None, "shot_030"); }),
            "The collection holds no correction \"shot_030\" (its ids: shot_010, shot_020).");
  EXPECT_EQ(ErrorOf([&] { LoadLUTFile(dir.Write("e.ccc", "<ColorCorrectionCollection/>"), lut); }),
            "The collection holds no ColorCorrection.");
  // The single-correction reader takes the ASC's own spellings of the nodes.
  std::string asc = Correction("1 1 1", "0.25 0 0", "1 1 1", "0");
  for (const auto& [from, to] : {std::pair{"SOPNode", "ASC_SOP"}, std::pair{"SatNode", "ASC_SAT"}}) {
    for (std::size_t at; (at = asc.find(from)) != std::string::npos;) asc.replace(at, std::string(from).size(), to);
  }
  EXPECT_EQ(DetectLUTFormat(dir.Write("asc.cc", asc)), TLUTFormatId::ASC_CDL);
  EXPECT_EQ(Point(asc, 0, 0, 0), (TLUTEntry{0.25f / 3, 0.25f / 3, 0.25f / 3}));  // saturation 0 read
  EXPECT_FALSE(LUTFormatOf(TLUTFormatId::ASC_CDL).CanSave());
  test::FillIdentity3D(lut, 2);
  EXPECT_THROW(test::SaveWith(TLUTFormatId::ASC_CDL, dir.File("x.cc"), lut, 0), ELUTError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.cc")));
}

TEST(ASCCDL, PeerCorrections) {
  const std::string dir = test::PeerFile("OpenColorIO");
  if (dir.empty()) GTEST_SKIP() << "peer files missing";
  const std::pair<const char*, const char*> loading[] = {
      {"cdl_test1.cc", "Name: foo"},
      {"cdl_test2.cc", "Name: cc0001"},
      {"cdl_test_ASC_SAT.cc", "Name: foo"},
      {"cdl_test_SATNode.cc", "Name: foo"},
      {"cdl_test_cc_file_with_extension.ccc", "Name: "},
      {"cdl_test_cc_file_with_extension.cdl", "Name: "},
  };
  for (const auto& [file, comment] : loading) {
    TLUT lut;
    ASSERT_NO_THROW(LoadLUTFile(dir + "/" + file, lut)) << file;
    EXPECT_EQ(lut.FormatIndex, TLUTFormatId::ASC_CDL) << file;
    EXPECT_EQ(lut.Comments, std::vector<std::string>{comment}) << file;
  }
  // cdl_test1.cc: slope 1.1, offset 2.1, power 3.1 on red; saturation 0.7.
  TCDLData cdl;
  ReadCDL(test::ReadAll(dir + "/cdl_test1.cc"), cdl);
  EXPECT_EQ(cdl.SOP[0].Slope, 1.1f);
  EXPECT_EQ(cdl.SOP[2].Power, 3.3f);
  EXPECT_EQ(cdl.Saturation, 0.7f);
  TCDLData identity;
  ReadCDL(test::ReadAll(dir + "/cdl_test_cc_file_with_extension.ccc"), identity);
  EXPECT_EQ(identity.SOP[1].Slope, 1.0f);

  // Collections and decision lists, and the ASC_SOP spelling.
  EXPECT_EQ(DetectLUTFormat(dir + "/cdl_test1.ccc"), TLUTFormatId::ASC_CDLCollection);
  EXPECT_EQ(DetectLUTFormat(dir + "/cdl_test1.cdl"), TLUTFormatId::ASC_CDLCollection);
  EXPECT_EQ(DetectLUTFormat(dir + "/cdl_test_ASC_SOP.cc"), TLUTFormatId::ASC_CDL);
  TLUT lut;
  LoadLUTFile(dir + "/cdl_test1.cdl", lut, TLUTFormatId::None, "cc0003");
  EXPECT_EQ(lut.Comments.front(), "Name: cc0003");
}

}  // namespace
}  // namespace zelvo
