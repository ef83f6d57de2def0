#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "TestFormats.h"
#include "registry/Registry.h"
#include "base/TextFile.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

TEST(Registry, FormatsByIdentityAndInDetectionOrder) {
  using F = TLUTFormatId;
  struct Expected {
    F id;
    const char* name;
    bool is_3d;
  };
  // In the order of the identities; detection asks CLF first, then the
  // others in this order.
  const Expected expected[] = {
      {F::Cube3DTruelight, "Cube 3D Truelight", true},
      {F::Cube3D, "Cube 3D", true},
      {F::Lustre3D, "Autodesk Lustre 3D", true},
      {F::Pandora3D, "Pandora 3D, Technicolor", true},
      {F::ThreeDL, "3DL", true},
      {F::Nucoda3D, "Nucoda 3D", true},
      {F::Codex3D, "Codex 3D", true},
      {F::Cube1D, "Cube 1D", false},
      {F::Clipster3D, "Clipster 3D", true},
      {F::Luther3D, "Luther 3D", true},
      {F::ColorFrontOSD3D, "Colorfront OSD 3D", true},
      {F::DavinciDat3D, "Davinci DAT 3D", true},
      {F::Quantel3D, "Quantel 3D", true},
      {F::Codex1D, "Codex 1D, Scratch 1D", false},
      {F::Lustre1D, "Autodesk Lustre 1D", false},
      {F::Filmlight1D, "Filmlight Truelight 1D", false},
      {F::Quantel1D, "Quantel 1D", false},
      {F::Stwo1D, "S.two 1D", false},
      {F::Nucoda1D, "Nucoda 1D", false},
      {F::ColorFrontOSD1D, "Colorfront OSD 1D", false},
      {F::Fusion1D, "Fusion 1D", false},
      {F::Blackmagic1D, "Blackmagic HDLink 1D", false},
      {F::Cinetal1D, "Cine-tal 1D", false},
      {F::Shake1D, "Shake 1D", false},
      {F::DavinciILut1D, "DaVinci Resolve ilut 1D", false},
      {F::DavinciOLut1D, "DaVinci Resolve olut 1D", false},
      {F::SpeedgradeLook3D, "Adobe Speedgrade Look 3D", true},
      {F::ASC_CDL, "ASC CDL", true},
      {F::PFClean3D, "PixelFarm PFClean 3D", true},
      {F::CLF, "Academy/ASC CLF", true},
      {F::Cinespace, "Cinespace", true},
      {F::Spi1D, "Sony Imageworks 1D", false},
      {F::Spi3D, "Sony Imageworks 3D", true},
      {F::SpiMtx, "Sony Imageworks matrix", true},
      {F::Houdini, "Houdini", true},
      {F::NukeVF, "Nuke vector field", true},
      {F::IridasItx, "Iridas ITX 3D", true},
      {F::ASC_CDLCollection, "ASC CDL collection", true},
      {F::ICCProfile, "ICC profile", true},
      {F::ImageLUT, "Image LUT (PNG, TIFF, OpenEXR)", true},
      {F::HaldPng, "Hald CLUT PNG", true},
      {F::HaldTiff, "Hald CLUT TIFF", true},
      {F::StripPng, "Strip PNG", true},
      {F::StripPngBottomUp, "Strip PNG, green from the bottom", true},
      {F::SquarePng, "Square of tiles PNG", true},
      {F::OCIORasterExr, "OpenColorIO raster EXR", true},
      {F::OCIORasterPng, "OpenColorIO raster PNG", true},
  };
  ASSERT_EQ(LUTFormats().size(), std::size(expected));
  ASSERT_EQ(std::size(expected), static_cast<std::size_t>(kLUTFormatCount));
  ASSERT_EQ(DetectionOrder().size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const TLUTFormat& format = LUTFormatOf(expected[i].id);
    EXPECT_EQ(format.Id, expected[i].id) << i;
    EXPECT_EQ(format.Name, expected[i].name) << i;
    EXPECT_EQ(format.Is3D, expected[i].is_3d) << i;
    EXPECT_EQ(LUTFormats()[static_cast<std::size_t>(IndexOf(expected[i].id))].get(), &format);
  }
  // ICC profiles and pictures (binary, known by their signatures; a
  // picture's metadata may hold any keyword) and CLF first; the formats known
  // by their opening lines next (their free text may hold other formats'
  // keywords, a Houdini file the "LUT:" of Codex 1D); then the identities up
  // to CLF in order; the ITX writer and the matrix files, known by their name
  // only, and the image LUT writers, which read nothing, last.
  const F order[] = {F::ICCProfile, F::ImageLUT, F::CLF, F::Cinespace, F::Spi3D, F::Spi1D, F::Houdini, F::NukeVF};
  for (std::size_t i = 0; i < std::size(order); ++i) EXPECT_EQ(DetectionOrder()[i]->Id, order[i]) << i;
  for (int id = 0; id < IndexOf(F::CLF); ++id) EXPECT_EQ(IndexOf(DetectionOrder()[8 + id]->Id), id);
  EXPECT_EQ(DetectionOrder()[37]->Id, F::ASC_CDLCollection);
  EXPECT_EQ(DetectionOrder()[38]->Id, F::IridasItx);
  EXPECT_EQ(DetectionOrder()[39]->Id, F::SpiMtx);
  for (int id = IndexOf(F::HaldPng); id < kLUTFormatCount; ++id) {
    EXPECT_EQ(IndexOf(DetectionOrder()[static_cast<std::size_t>(id)]->Id), id);
  }
  EXPECT_EQ(LUTFormatByIndex(-1), nullptr);
  EXPECT_EQ(LUTFormatByIndex(kLUTFormatCount), nullptr);
  EXPECT_THROW(LUTFormatOf(TLUTFormatId::None), ELUTError);
}

TEST(Registry, OutputProfiles) {
  using F = TLUTFormatId;
  using P = TOutputProfileId;
  const auto& p = OutputProfiles();
  ASSERT_EQ(p.size(), 44u);
  for (std::size_t i = 0; i < p.size(); ++i) EXPECT_EQ(static_cast<std::size_t>(p[i]->Id), i);
  struct Expected {
    P id;
    const char* caption;
    const char* ext;
    F format;
    int size, bits;
    bool size_sel, bits_sel;
  };
  const Expected rows[] = {
      {P::ThreeDLScratch, "3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", F::ThreeDL, 17, 12, false, false},
      {P::ThreeDLFusion, "3DL Fusion", "3dl", F::ThreeDL, 33, 12, false, false},
      {P::ColorFrontOSD3D, "Colorfront OSD 3D", "3dmesh", F::ColorFrontOSD3D, 17, 0, false, false},
      {P::Cube3DDavinci, "Cube 3D Davinci", "cube", F::Cube3D, 33, 0, true, false},
      {P::Nucoda3D, "Nucoda 3D", "cms", F::Nucoda3D, 33, 0, true, false},
      {P::Pandora3D, "Pandora 3D, Apple 3D m3d", "m3d", F::Pandora3D, 17, 16, false, false},
      {P::PFClean3D, "PixelFarm PFClean 3D", "pfl", F::PFClean3D, 16, 8, false, false},
      {P::Technicolor3D, "Technicolor 3D mga", "mga", F::Pandora3D, 33, 16, false, false},
      {P::Lustre1D, "Autodesk Lustre 1D", "lut", F::Lustre1D, 65536, 16, true, true},
      {P::Codex1D, "Codex 1D, Sony SRW-1, Scratch 1D", "dat", F::Codex1D, 1024, 10, false, false},
      {P::Nucoda1D, "Nucoda 1D", "cms", F::Nucoda1D, 4096, 0, false, false},
      {P::Stwo1D, "S.two 1D", "swto.xml", F::Stwo1D, 1024, 10, false, false},
      {P::Shake1D, "Shake 1D", "txt", F::Shake1D, 65536, 16, false, false},
      {P::CLF3D, "Academy/ASC CLF 3D", "clf", F::CLF, 33, 0, true, false},
      {P::CLF1D, "Academy/ASC CLF 1D", "clf", F::CLF, 4096, 0, true, false},
      {P::Cinespace3D, "Cinespace 3D", "csp", F::Cinespace, 33, 0, true, false},
      {P::Houdini3D, "Houdini 3D", "lut", F::Houdini, 33, 0, true, false},
      {P::Houdini1D, "Houdini 1D", "lut", F::Houdini, 1024, 0, true, false},
      {P::IridasItx3D, "Iridas ITX 3D", "itx", F::IridasItx, 33, 0, true, false},
      {P::Spi1D, "Sony Imageworks 1D", "spi1d", F::Spi1D, 4096, 0, true, false},
      {P::Spi3D, "Sony Imageworks 3D", "spi3d", F::Spi3D, 33, 0, true, false},
      {P::ICCDeviceLink3D, "ICC Device Link 3D", "icc", F::ICCProfile, 33, 16, true, false},
      {P::HaldPng, "Hald CLUT PNG", "png", F::HaldPng, 64, 16, true, true},
      {P::HaldTiff, "Hald CLUT TIFF", "tif", F::HaldTiff, 64, 16, true, true},
      {P::StripPng, "Strip PNG", "png", F::StripPng, 32, 8, true, true},
      {P::StripPngBottomUp, "Strip PNG, green from the bottom", "png", F::StripPngBottomUp, 32, 8, true, true},
      {P::SquarePng, "Square of tiles PNG", "png", F::SquarePng, 64, 8, true, true},
      {P::OCIORasterExr, "OpenColorIO raster EXR", "exr", F::OCIORasterExr, 32, 32, true, true},
      {P::OCIORasterPng, "OpenColorIO raster PNG", "png", F::OCIORasterPng, 32, 16, true, true},
  };
  for (const Expected& e : rows) {
    const TLutOutputProfile& q = OutputProfileOf(e.id);
    EXPECT_EQ(q.Caption, e.caption);
    EXPECT_EQ(q.Extension, e.ext);
    EXPECT_EQ(q.FormatIndex, e.format) << e.caption;
    EXPECT_EQ(q.DefaultSize, e.size) << e.caption;
    EXPECT_EQ(q.DefaultBits, e.bits) << e.caption;
    EXPECT_EQ(q.SizeSelectable, e.size_sel) << e.caption;
    EXPECT_EQ(q.BitsSelectable, e.bits_sel) << e.caption;
    // The kind a profile writes is its format's, but for CLF 1D and Houdini 1D.
    EXPECT_EQ(q.Is3D, e.id != P::CLF1D && e.id != P::Houdini1D && FormatOfProfile(q).Is3D) << e.caption;
  }
  // Selectable sizes and depths exist only where the dialog offers them.
  int size_selectable = 0, bits_selectable = 0;
  for (const auto& q : p) {
    size_selectable += q->SizeSelectable;
    bits_selectable += q->BitsSelectable;
    EXPECT_TRUE(FormatOfProfile(*q).CanSave()) << q->Caption;
    // A profile's own lists hold its defaults, and its format writes every depth of them.
    if (!q->Sizes.empty()) {
      EXPECT_NE(std::ranges::find(q->Sizes, q->DefaultSize), q->Sizes.end()) << q->Caption;
    }
    if (q->Depths.empty()) continue;
    EXPECT_NE(std::ranges::find(q->Depths, q->DefaultBits, &TProfileDepth::Bits), q->Depths.end()) << q->Caption;
    for (const TProfileDepth& d : q->Depths) EXPECT_TRUE(FormatOfProfile(*q).HoldsBits(d.Bits)) << q->Caption;
  }
  EXPECT_EQ(size_selectable, 19);
  EXPECT_EQ(bits_selectable, 8);
  EXPECT_EQ(OutputProfileByCaption("Cube 1D"), &OutputProfileOf(P::Cube1D));
  EXPECT_EQ(OutputProfileByCaption("cube 1d"), nullptr);
}

// One file per detection rule, and the overlaps that the order settles.
TEST(Detection, EveryRuleAndItsOverlaps) {
  using F = TLUTFormatId;
  struct Case {
    const char* name;
    const char* content;
    F expected;
  };
  const Case cases[] = {
      {"t.cube", "# iDims 3\n# oDims 3\n# width 2 2 2\n", F::Cube3DTruelight},
      {"both.cube", "# iDims oDims width\nLUT_3D_SIZE 2\n", F::Cube3DTruelight},  // Truelight is asked first
      {"a.cube", "lut_3d_size 17\n", F::Cube3D},                                  // case does not matter
      {"shaper.cube", "LUT_1D_SIZE 4\nLUT_3D_SIZE 2\n", F::Cube3D},               // 3D before 1D
      {"a.txt", "3DMESH\nMesh 4 12\n", F::Lustre3D},
      {"a.3dmesh", "3DMESH\n", F::Lustre3D},  // keyword before extension
      {"a.m3d", "channel 3d\nformat lut\n", F::Pandora3D},
      {"any.3dl", "whatever", F::ThreeDL},
      {"cube.3DL", "LUT_3D_SIZE 2\n", F::Cube3D},  // the keyword formats before it are asked first
      {"n.cms", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\nLUT_1D_SIZE 2\n", F::Nucoda3D},
      {"n1.cms", "NUCODA_3D_CUBE 2\nLUT_1D_SIZE 2\n", F::Nucoda3D},
      {"c.txt", "Lut3D:\n", F::Codex3D},
      {"c1.cube", "LUT_1D_SIZE 2\n", F::Cube1D},
      {"clip.txt", "<LUT3D N='17'>", F::Clipster3D},
      {"l.txt", "channels: c3\n", F::Luther3D},
      {"o.3dmesh", "0 0 0\n", F::ColorFrontOSD3D},
      {"d.txt", "3DLUTSIZE 2\n", F::DavinciDat3D},
      {"d.dat", "LUT: 3 2\n0.0 0.5 1.0\n", F::DavinciDat3D},  // the .dat fallback before Codex 1D
      {"q.txt", "max value 4095\nvertices 17\n", F::Quantel3D},
      {"c1d.dat", "LUT: 3 1024\n0\n", F::Codex1D},
      {"l16.lut", "LUT16\n", F::Lustre1D},
      {"l12.lut", "LUT12\n", F::Lustre1D},
      {"f.cube", "# iDims 1\n# lutLength 1024\n", F::Filmlight1D},
      {"q1.txt", "table type 1\ngMax 1023\ngSize 1024\n", F::Quantel1D},
      {"s.xml", "<lut><data><elem>", F::Stwo1D},
      {"o.1DLUT", "0 0 0\n", F::ColorFrontOSD1D},
      {"f.alut", "F5LT\n", F::Fusion1D},
      {"b.txt", "HDLink\n", F::Blackmagic1D},
      {"i.ilut", "0 0 0\n", F::DavinciILut1D},
      {"i2.ilut", "<IRIDAScript>\n", F::None},
      {"o.OLUT", "0 0 0\n", F::DavinciOLut1D},
      {"look.look", "<look><shaders>", F::SpeedgradeLook3D},
      {"x.cc", "<ColorCorrection id='a'><SOPNode>", F::ASC_CDL},
      {"x.ccc", "<ColorCorrectionCollection><ColorCorrection><SOPNode>", F::ASC_CDLCollection},
      {"x.cdl", "<ColorDecisionList><ColorDecision><ColorCorrection><SOPNode>", F::ASC_CDLCollection},
      {"y.cc", "<ColorCorrection id='a'><ASC_SOP>", F::ASC_CDL},
      {"c.csp", "\n csplutv100\n3D\n", F::Cinespace},
      {"c.txt", "CSPLUTV100\n1D\nBEGIN METADATA\nLUT_3D_SIZE 2\n", F::Cinespace},  // free text in the metadata
      {"s.spi3d", "SPILUT 1.0\n3 3\n", F::Spi3D},
      {"s.spi1d", "Version 1\nLength 2\nComponents 1\n{\n", F::Spi1D},
      {"s2.spi1d", "Version 1\nLength 2\n{\nComponents 1\n", F::None},  // the header ends at "{"
      {"h.lut", "Version 3\nType 3D\nLength 2\nLUT:\n{\n", F::Houdini},  // Codex 1D also takes "LUT:"
      {"h2.lut", "Version 1\nType C\nLength 2\nLUT: 3 2\n", F::Codex1D},  // "LUT:" with sizes is Codex's
      {"v.vf", "#Inventor V2.1 ascii\ngrid_size 2 2 2\n", F::NukeVF},
      {"v2.vf", "grid_size 2 2 2\n#Inventor V2.1 ascii\n", F::None},
      {"m.SPIMTX", "1 0 0 0\n", F::SpiMtx},
      {"m.txt", "1 0 0 0\n0 1 0 0\n0 0 1 0\n", F::None},
      {"p.pfl", "<lut><maximum>255</maximum><cube>", F::PFClean3D},
      {"nucoda-cube.cube", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\n", F::Nucoda3D},  // never a Cube or Truelight
      {"folder/with.dots/grade", "LUT_3D_SIZE 2\n", F::Cube3D},
      {"unknown.txt", "nothing to see", F::None},
      {"empty.lut", "", F::None},
  };
  // A profile header, whatever its texts hold.
  std::string header = "LUT_3D_SIZE 2\n" + std::string(22, ' ') + "acsp" + std::string(88, ' ');
  EXPECT_EQ(DetectLUTFormat(TLUTSource("p.cube", header)), F::ICCProfile);
  header.resize(127);
  EXPECT_EQ(DetectLUTFormat(TLUTSource("p.cube", header)), F::Cube3D);
  for (const Case& c : cases) {
    EXPECT_EQ(DetectLUTFormat(TLUTSource(c.name, c.content)), c.expected) << c.name;
  }
  // From a file, detection reads the same first bytes.
  test::TempDir dir;
  EXPECT_EQ(DetectLUTFormat(dir.Write("d.dat", cases[17].content)), F::DavinciDat3D);
}

// Detection looks at the first 4096 bytes; where those hold nothing but
// comments, at the block of comments and the 4096 bytes after it.
TEST(Detection, TheFirst4096BytesOrTheCommentsAndWhatFollows) {
  const std::string licence_line = "# Licensed under the terms written in the licence of this file.\n";
  std::string licence;
  while (licence.size() < 5000) licence += licence_line;
  std::string xml_licence = "<?xml version=\"1.0\"?>\n<!--\n";
  while (xml_licence.size() < 5000) xml_licence += "Licensed under the terms of the licence.\n";
  xml_licence += "-->\n";
  const std::string clf = "<ProcessList compCLFversion=\"3\" id=\"p\"><LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\">"
                          "<Array dim=\"2 1\">0 1</Array></LUT1D></ProcessList>\n";
  struct Case {
    const char* name;
    std::string text;
    TLUTFormatId expected;
  };
  const Case cases[] = {
      // Content in the first 4096 bytes: a keyword after them does not count.
      {"late.cube", "TITLE \"x\"\n" + std::string(4096, ' ') + "\nLUT_3D_SIZE 2\n", TLUTFormatId::None},
      {"split.cube", "TITLE \"x\"\n" + std::string(4080, ' ') + "LUT_3D_SIZE 2\n", TLUTFormatId::None},
      // Nothing but comments in them: the comments and what follows count.
      {"licence.cube", licence + "LUT_3D_SIZE 2\n", TLUTFormatId::Cube3D},
      {"hashes.cube", std::string(4096, '#') + "LUT_3D_SIZE 2\n", TLUTFormatId::Cube3D},
      {"licence.clf", xml_licence + clf, TLUTFormatId::CLF},
      {"comments.cube", licence + licence, TLUTFormatId::None},
      {"bin.cube", std::string("\0\xff LUT_3D_SIZE 2", 16), TLUTFormatId::Cube3D},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    EXPECT_EQ(DetectLUTFormat(TLUTSource(c.name, c.text)), c.expected) << c.name;
    // From a file, which detection reads only as far as it looks.
    EXPECT_EQ(DetectLUTFormat(dir.Write(c.name, c.text)), c.expected) << c.name << " (file)";
  }
  // A block of comments is followed no further than a megabyte.
  std::string endless;
  while (endless.size() < kMaxLeadingComments + kSignatureBytes) endless += licence_line;
  EXPECT_EQ(DetectLUTFormat(TLUTSource("endless.cube", endless + "LUT_3D_SIZE 2\n")), TLUTFormatId::None);
}

TEST(Detection, UnknownFileLeavesTheLUTAlone) {
  test::TempDir dir;
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(5);
  lut.Comments = {"old"};
  lut.FormatIndex = TLUTFormatId::Pandora3D;
  LoadLUTFile(dir.Write("u.txt", "hello"), lut);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::None);
  EXPECT_EQ(lut.Kind, TLUTKind::lk3D);
  EXPECT_EQ(lut.Size3D(), 5);
  EXPECT_TRUE(lut.Comments.empty());
}

TEST(Detection, MissingFileRaises) {
  test::TempDir dir;
  EXPECT_THROW(DetectLUTFormat(dir.File("missing.3dl")), EOSError);
  TLUT lut;
  EXPECT_THROW(LoadLUTFile(dir.File("missing.3dl"), lut), EOSError);
}

TEST(Registry, SaveUsesTheProfileDefaultBitsForMinusOne) {
  TLUT lut;
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(2);
  lut.Table1D(0) = {0.5, 0.5, 0.5};
  lut.Table1D(1) = {1, 1, 1};
  const TLutOutputProfile& cinetal = OutputProfileOf(TOutputProfileId::Cinetal1D);  // 10 bits
  EXPECT_EQ(SaveLUTText(lut, cinetal, -1, "t"), "512 512 512\n1023 1023 1023\n");
  EXPECT_EQ(SaveLUTText(lut, cinetal, 8, "t"), "128 128 128\n255 255 255\n");
  const TLutOutputProfile& shake = OutputProfileOf(TOutputProfileId::Shake1D);  // 16 bits
  EXPECT_EQ(SaveLUTText(lut, shake, -1, "t"), "32768 32768 32768\n65535 65535 65535\n");
}

TEST(Registry, LoadWithAnExplicitFormatFromMemory) {
  const std::string text = "LUT_1D_SIZE 2\n0 0 0\n1 1 1\n";
  TLUT lut;
  LoadLUTFromMemory("x.txt", text, lut, TLUTFormatId::Cube1D);
  EXPECT_EQ(lut.FormatIndex, TLUTFormatId::Cube1D);
  EXPECT_EQ(lut.Size1D(), 2);
  EXPECT_EQ(lut.Table1D(1), (TLUTEntry{1, 1, 1}));
  EXPECT_THROW(LoadLUTFromMemory("x.txt", text, lut, static_cast<TLUTFormatId>(99)), ELUTError);
}

// A file means its table as the format's readers take it (AsReadBack):
// between the points of its grid trilinearly, unless the format states how
// (CLF) or the reader is the colour engine (tetrahedrally, at 16-bit codes);
// a Cinespace pre-LUT on the curve its readers draw through its points.
// Where that is not the table, the file differs from the table itself.
TEST(Registry, AFileMeansItsTableAsItsReadersTakeIt) {
  struct Case {
    const char* profile;
    bool tetrahedral, shaper;
    bool other;  // the file means another table
    double rounding;
  };
  const Case cases[] = {
      {"Cube 3D Davinci", true, false, true, 5e-7},     {"Cube 3D Davinci", false, false, false, 5e-7},
      {"Academy/ASC CLF 3D", true, false, false, 1e-7}, {"Academy/ASC CLF 3D", false, true, false, 1e-7},
      {"Houdini 3D", false, true, false, 5e-7},         {"Cinespace 3D", false, true, true, 5e-7},
      {"ICC Device Link 3D", false, false, true, 3.0 / 65535},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + (c.tetrahedral ? ", tetrahedral" : "") + (c.shaper ? ", shaper" : ""));
    const TLutOutputProfile& profile = test::Profile(c.profile);
    TLUT lut;
    test::FillSample3D(lut, 5);
    lut.Table3D(2, 2, 3) = TLUTEntry{1, 1, 0};  // where the two interpolations part
    if (c.tetrahedral) lut.Interpolation3D = TInterpolation::Tetrahedral;
    if (c.shaper) test::AddSquareRootShaper(lut);
    TLUT meant = lut.Copy();
    EXPECT_EQ(FormatOfProfile(profile).AsReadBack(meant), c.other);
    const TFileText text = SaveLUTText(lut, profile, -1, "t");
    TLUT back;
    LoadLUTFromMemory("t." + profile.Extension, std::string_view(text.data(), text.size()), back);
    const TLUTDomain& d = lut.InputDomain();
    double from_meant = 0, from_table = 0;
    for (int i = 0; i <= 200; ++i) {
      const double t[3] = {i / 200.0, (i * 7 % 201) / 200.0, (i * 13 % 201) / 200.0};
      const TColor x{d.Min.R + t[0] * (d.Max.R - d.Min.R), d.Min.G + t[1] * (d.Max.G - d.Min.G),
                     d.Min.B + t[2] * (d.Max.B - d.Min.B)};
      const TColor b = EvaluateLUT(back, x), m = EvaluateLUT(meant, x), l = EvaluateLUT(lut, x);
      from_meant = std::max({from_meant, std::fabs(b.R - m.R), std::fabs(b.G - m.G), std::fabs(b.B - m.B)});
      from_table = std::max({from_table, std::fabs(b.R - l.R), std::fabs(b.G - l.G), std::fabs(b.B - l.B)});
    }
    EXPECT_LE(from_meant, c.rounding);
    EXPECT_EQ(from_table > 1e-3, c.other) << from_table;
  }
}

}  // namespace
}  // namespace zelvo
