#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/LUTFormat.h"
#include "formats/TextFile.h"

namespace zelvo {
namespace {

TEST(Registry, FormatsInDetectionOrder) {
  struct Expected {
    const char* name;
    bool is_3d;
  };
  const Expected expected[] = {
      {"Cube 3D Truelight", true},        {"Cube 3D", true},
      {"Autodesk Lustre 3D", true},       {"Pandora 3D, Technicolor", true},
      {"3DL", true},                      {"Nucoda 3D", true},
      {"Codex 3D", true},                 {"Cube 1D", false},
      {"Clipster 3D", true},              {"Luther 3D", true},
      {"Colorfront OSD 3D", true},        {"Davinci DAT 3D", true},
      {"Quantel 3D", true},               {"Codex 1D, Scratch 1D", false},
      {"Autodesk Lustre 1D", false},      {"Filmlight Truelight 1D", false},
      {"Quantel 1D", false},              {"S.two 1D", false},
      {"Nucoda 1D", false},               {"Colorfront OSD 1D", false},
      {"Fusion 1D", false},               {"Blackmagic HDLink 1D", false},
      {"Cine-tal 1D", false},             {"Shake 1D", false},
      {"DaVinci Resolve ilut 1D", false}, {"DaVinci Resolve olut 1D", false},
      {"Adobe Speedgrade Look 3D", true}, {"ASC CDL", true},
      {"PixelFarm PFClean 3D", true},
  };
  ASSERT_EQ(LUTFormats().size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(LUTFormats()[i]->Name, expected[i].name) << i;
    EXPECT_EQ(LUTFormats()[i]->Is3D, expected[i].is_3d) << i;
  }
  EXPECT_EQ(LUTFormatByIndex(-1), nullptr);
  EXPECT_EQ(LUTFormatByIndex(29), nullptr);
  EXPECT_EQ(LUTFormatByIndex(28)->Name, "PixelFarm PFClean 3D");
}

TEST(Registry, OutputProfiles) {
  const auto& p = OutputProfiles();
  ASSERT_EQ(p.size(), 28u);
  struct Expected {
    int index;
    const char* caption;
    const char* ext;
    int format, size, bits;
    bool size_sel, bits_sel;
  };
  const Expected rows[] = {
      {0, "3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", 4, 17, 12, false, false},
      {1, "3DL Fusion", "3dl", 4, 33, 12, false, false},
      {5, "Colorfront OSD 3D", "3dmesh", 10, 17, 0, false, false},
      {7, "Cube 3D Davinci", "cube", 1, 33, 0, true, false},
      {10, "Nucoda 3D", "cms", 5, 33, 0, true, false},
      {12, "Pandora 3D, Apple 3D m3d", "m3d", 3, 17, 16, false, false},
      {13, "PixelFarm PFClean 3D", "pfl", 28, 16, 8, false, false},
      {15, "Technicolor 3D mga", "mga", 3, 33, 16, false, false},
      {16, "Autodesk Lustre 1D", "lut", 14, 65536, 16, true, true},
      {19, "Codex 1D, Sony SRW-1, Scratch 1D", "dat", 13, 1024, 10, false, false},
      {24, "Nucoda 1D", "cms", 18, 4096, 0, false, false},
      {26, "S.two 1D", "swto.xml", 17, 1024, 10, false, false},
      {27, "Shake 1D", "txt", 23, 65536, 16, false, false},
  };
  for (const Expected& e : rows) {
    const TLutOutputProfile& q = OutputProfileByIndex(e.index);
    EXPECT_EQ(q.Caption, e.caption);
    EXPECT_EQ(q.Extension, e.ext);
    EXPECT_EQ(q.FormatIndex, e.format) << e.caption;
    EXPECT_EQ(q.DefaultSize, e.size) << e.caption;
    EXPECT_EQ(q.DefaultBits, e.bits) << e.caption;
    EXPECT_EQ(q.SizeSelectable, e.size_sel) << e.caption;
    EXPECT_EQ(q.BitsSelectable, e.bits_sel) << e.caption;
  }
  // Selectable sizes and depths exist only where the dialog offers them.
  int size_selectable = 0, bits_selectable = 0;
  for (const auto& q : p) {
    size_selectable += q->SizeSelectable;
    bits_selectable += q->BitsSelectable;
    ASSERT_NE(LUTFormatByIndex(q->FormatIndex), nullptr);
    EXPECT_TRUE(LUTFormatByIndex(q->FormatIndex)->CanSave() || !LUTFormatByIndex(q->FormatIndex)->CanLoad())
        << q->Caption;
  }
  EXPECT_EQ(size_selectable, 3);
  EXPECT_EQ(bits_selectable, 1);
  EXPECT_EQ(OutputProfileByCaption("Cube 1D"), p[21].get());
  EXPECT_EQ(OutputProfileByCaption("cube 1d"), nullptr);
}

// One file per detection rule, and the overlaps that the order settles.
TEST(Detection, EveryRuleAndItsOverlaps) {
  test::TempDir dir;
  struct Case {
    const char* name;
    const char* content;
    int expected;
  };
  const Case cases[] = {
      {"t.cube", "# iDims 3\n# oDims 3\n# width 2 2 2\n", 0},
      {"both.cube", "# iDims oDims width\nLUT_3D_SIZE 2\n", 0},  // Truelight is asked first
      {"a.cube", "lut_3d_size 17\n", 1},                          // case does not matter
      {"shaper.cube", "LUT_1D_SIZE 4\nLUT_3D_SIZE 2\n", 1},       // 3D before 1D
      {"a.txt", "3DMESH\nMesh 4 12\n", 2},
      {"a.3dmesh", "3DMESH\n", 2},  // keyword before extension
      {"a.m3d", "channel 3d\nformat lut\n", 3},
      {"any.3dl", "whatever", 4},
      {"cube.3DL", "LUT_3D_SIZE 2\n", 1},  // indexes 0..3 are asked first
      {"n.cms", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\nLUT_1D_SIZE 2\n", 5},
      {"n1.cms", "NUCODA_3D_CUBE 2\nLUT_1D_SIZE 2\n", 5},
      {"c.txt", "Lut3D:\n", 6},
      {"c1.cube", "LUT_1D_SIZE 2\n", 7},
      {"clip.txt", "<LUT3D N='17'>", 8},
      {"l.txt", "channels: c3\n", 9},
      {"o.3dmesh", "0 0 0\n", 10},
      {"d.txt", "3DLUTSIZE 2\n", 11},
      {"d.dat", "LUT: 3 2\n0.0 0.5 1.0\n", 11},  // the .dat fallback before Codex 1D
      {"q.txt", "max value 4095\nvertices 17\n", 12},
      {"c1d.dat", "LUT: 3 1024\n0\n", 13},
      {"l16.lut", "LUT16\n", 14},
      {"l12.lut", "LUT12\n", 14},
      {"f.cube", "# iDims 1\n# lutLength 1024\n", 15},
      {"q1.txt", "table type 1\ngMax 1023\ngSize 1024\n", 16},
      {"s.xml", "<lut><data><elem>", 17},
      {"o.1DLUT", "0 0 0\n", 19},
      {"f.alut", "F5LT\n", 20},
      {"b.txt", "HDLink\n", 21},
      {"i.ilut", "0 0 0\n", 24},
      {"i2.ilut", "<IRIDAScript>\n", -1},
      {"o.OLUT", "0 0 0\n", 25},
      {"look.look", "<look><shaders>", 26},
      {"x.cc", "<ColorCorrection id='a'><SOPNode>", 27},
      {"x.ccc", "<ColorCorrectionCollection><ColorCorrection><SOPNode>", -1},
      {"p.pfl", "<lut><maximum>255</maximum><cube>", 28},
      {"nucoda-cube.cube", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\n", 5},  // never a Cube or Truelight
      {"unknown.txt", "nothing to see", -1},
      {"empty.lut", "", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectLUTFormat(dir.Write(c.name, c.content)), c.expected) << c.name;
  }
}

TEST(Detection, OnlyTheFirst4096BytesCount) {
  test::TempDir dir;
  const std::string late = dir.Write("late.cube", std::string(4096, '#') + "LUT_3D_SIZE 2\n");
  EXPECT_EQ(DetectLUTFormat(late), -1);
  const std::string split = dir.Write("split.cube", std::string(4090, '#') + "LUT_3D_SIZE 2\n");
  EXPECT_EQ(DetectLUTFormat(split), -1);  // a keyword across the boundary is not found
  const std::string binary = dir.Write("bin.cube", std::string("\0\xff LUT_3D_SIZE 2", 16));
  EXPECT_EQ(DetectLUTFormat(binary), 1);
}

TEST(Detection, UnknownFileLeavesTheLUTAlone) {
  test::TempDir dir;
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.Size3D = 5;
  lut.Comments = {"old"};
  lut.FormatIndex = 3;
  LoadLUTFile(dir.Write("u.txt", "hello"), lut, -1);
  EXPECT_EQ(lut.FormatIndex, -1);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D, 5);
  EXPECT_TRUE(lut.Comments.empty());
}

TEST(Detection, MissingFileRaises) {
  test::TempDir dir;
  EXPECT_THROW(DetectLUTFormat(dir.File("missing.3dl")), EOSError);
}

TEST(Registry, SaveUsesTheProfileDefaultBits) {
  // "Cube 3D Davinci" passes 0, which the cube writer ignores.
  test::TempDir dir;
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  SaveLUTFile(dir.File("a.cube"), lut, *OutputProfileByCaption("Cube 3D Davinci"));
  EXPECT_EQ(DetectLUTFormat(dir.File("a.cube")), 1);
}

TEST(Registry, LoadWithAnExplicitFormat) {
  test::TempDir dir;
  const std::string name = dir.Write("x.txt", "LUT_1D_SIZE 2\n0 0 0\n1 1 1\n");
  TLUT lut;
  LoadLUTFile(name, lut, 7);
  EXPECT_EQ(lut.FormatIndex, 7);
  EXPECT_EQ(lut.Size1D, 2);
  EXPECT_THROW(LoadLUTFile(name, lut, 99), ELUTError);
}

}  // namespace
}  // namespace zelvo
