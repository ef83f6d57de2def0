// The Cinespace, Imageworks, Houdini, vector-field and ITX formats: what
// their readers make of small files, what their writers write, and that
// every written file reads back to the table it came from.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "TestFormats.h"
#include "registry/Registry.h"
#include "formats/LUTFormatImps.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

TLUT Loaded(const std::string& text, TLUTFormatId expected, const std::string& name = "memory.txt") {
  TLUT lut;
  LoadLUTFromMemory(name, text, lut);
  EXPECT_EQ(lut.FormatIndex, expected) << text;
  return lut;
}

void ExpectColour(const TLUT& lut, TColor in, TColor want, double tolerance = 1e-12) {
  const TColor got = EvaluateLUT(lut, in);
  EXPECT_NEAR(got.R, want.R, tolerance) << in.R << " " << in.G << " " << in.B;
  EXPECT_NEAR(got.G, want.G, tolerance) << in.R << " " << in.G << " " << in.B;
  EXPECT_NEAR(got.B, want.B, tolerance) << in.R << " " << in.G << " " << in.B;
}

constexpr const char* kIdentityCube = "2 2 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";

TEST(FamilyReaders, CinespacePreLuts) {
  // Breakpoints (0, 0), (0.5, 0.25), (1, 1) lie on x^2, which the pre-LUT's
  // curve (quadratic in its first and last interval) follows exactly.
  const TLUT curved = Loaded(std::string("CSPLUTV100\n3D\n\nBEGIN METADATA\nWarm\nEND METADATA\n3\n0 0.5 1\n0 0.25 1\n"
                                         "0\n2\n0 1\n0 1\n") + kIdentityCube,
                             TLUTFormatId::Cinespace);
  EXPECT_EQ(curved.Kind, TLUTKind::lk1DAnd3D);
  EXPECT_EQ(curved.Comments.front(), "Warm");
  ExpectColour(curved, {0.3, 0.3, 0.3}, {0.09, 0.3, 0.3}, 1e-9);
  ExpectColour(curved, {0.8, 1.5, -1}, {0.64, 1, 0}, 1e-9);
  // Straight pre-LUTs onto 0..1 are the table's domain, exactly.
  const TLUT straight = Loaded("CSPLUTV100\n1D\n2\n0 1\n0 1\n2\n0 2\n0 1\n3\n-1 0 3\n0 0.25 1\n"
                               "3\n0 0 0\n0.5 1 1.5\n1 1 1\n",
                               TLUTFormatId::Cinespace);
  EXPECT_EQ(straight.Kind, TLUTKind::lk1D);
  EXPECT_EQ(straight.Domain1D, (TLUTDomain{{0, 0, -1}, {1, 2, 3}}));
  // A curved pre-LUT ahead of a 1D table: the table becomes a cube of its
  // size, channel by channel, exact between its entries too.
  const TLUT both = Loaded("CSPLUTV100\n1D\n3\n0 0.5 1\n0 0.25 1\n2\n0 1\n0 1\n2\n0 1\n0 1\n"
                           "3\n0 0 0\n0.5 1 1.5\n1 1 1\n",
                           TLUTFormatId::Cinespace);
  EXPECT_EQ(both.Kind, TLUTKind::lk1DAnd3D);
  EXPECT_EQ(both.Size3D(), 3);
  ExpectColour(both, {0.6, 0.25, 0.75}, {2 * 0.36 * 0.5, 0.5, 1.5 - 0.5 * 0.5}, 1e-9);
}

TEST(FamilyReaders, Imageworks) {
  const TLUT one = Loaded("Version 1\nFrom -1 3\nLength 3\nComponents 1\n{\n\t0\n  0.5\n1\n}\n# after\n",
                          TLUTFormatId::Spi1D);
  EXPECT_EQ(one.Domain1D, (TLUTDomain{{-1, -1, -1}, {3, 3, 3}}));
  EXPECT_EQ(one.Table1D(1), (TLUTEntry{0.5, 0.5, 0.5}));
  EXPECT_EQ(one.Comments, std::vector<std::string>{"after"});
  // Rows in any order land at the point they name (red, green, blue index).
  const TLUT cube = Loaded("SPILUT 1.0\n3 3\n2 1 2\n1 0 1 0.9 0.8 0.7\n0 0 0 0.1 0.2 0.3\n1 0 0 0.4 0.5 0.6\n"
                           "0 0 1 0 0 1\n",
                           TLUTFormatId::Spi3D);
  EXPECT_EQ(cube.Size3D(), 2);
  EXPECT_EQ(cube.Table3D(1, 0, 1), (TLUTEntry{0.9, 0.8, 0.7}));
  EXPECT_EQ(cube.Table3D(1, 1, 0), (TLUTEntry{0.4, 0.5, 0.6}));  // the green axis of 1 point, held
  // A matrix with offsets in 16-bit codes, exact inside 0..1.
  const TLUT matrix = Loaded("0.5 0.25 0 0\n0 1 0 6553.5\n# mixed\n.1 .2 .3 -65535\n", TLUTFormatId::SpiMtx, "m.spimtx");
  ExpectColour(matrix, {0.2, 0.4, 0.6}, {0.2, 0.5, 0.02 + 0.08 + 0.18 - 1});
}

TEST(FamilyReaders, Houdini) {
  const std::string head = "Version 1\nFormat any\nType C\nFrom 0 2\nTo 0 2\nBlack 0\nWhite 1\nLength 3\nLUT:\n";
  const TLUT c = Loaded(head + "RGB {\n\t0\n\t1\n\t2 }\n", TLUTFormatId::Houdini);
  EXPECT_EQ(c.Kind, TLUTKind::lk1D);
  EXPECT_EQ(c.Domain1D, (TLUTDomain{{0, 0, 0}, {2, 2, 2}}));
  EXPECT_EQ(c.Table1D(1), (TLUTEntry{0.5, 0.5, 0.5}));  // values in the To range 0..2
  const TLUT rgb = Loaded(
      "Type RGBA\nLength 2\nLUT:\nR {\n0\n1\n}\nG {\n0\n0.5\n}\nB {\n1\n0\n}\nA {\n7\n7\n}\n", TLUTFormatId::Houdini);
  EXPECT_EQ(rgb.Table1D(1), (TLUTEntry{1, 0.5, 0}));
  const TLUT pre = Loaded("Type 3D+1D\nFrom 0 4\nLength 2 3\nLUT:\nPre {\n0\n0.25\n1\n}\n{\n0 0 0\n1 0 0\n0 1 0\n"
                          "1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n}\n",
                          TLUTFormatId::Houdini);
  EXPECT_EQ(pre.Kind, TLUTKind::lk1DAnd3D);
  ExpectColour(pre, {1, 3, 5}, {0.125, 0.625, 1});
}

TEST(FamilyReaders, NukeVectorFields) {
  // Rows run blue fastest; the global transform's columns are stored divided
  // by the grid size: this one doubles every input before the lookup.
  const TLUT vf = Loaded("#Inventor V2.1 ascii\ngrid_size 2 2 2\nglobal_transform 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
                         "data\n0 0 0\n0 0 1\n0 1 0\n0 1 1\n1 0 0\n1 0 1\n1 1 0\n1 1 1\n",
                         TLUTFormatId::NukeVF);
  EXPECT_EQ(vf.Table3D(0, 0, 1), (TLUTEntry{0, 0, 1}));
  ExpectColour(vf, {0.1, 0.2, 0.3}, {0.2, 0.4, 0.6});
  ExpectColour(vf, {0.7, 0.7, 0.7}, {1, 1, 1});
  // A transform that mixes channels is sampled into the table.
  const TLUT mixed = Loaded("#Inventor V2.1 ascii\ngrid_size 2 2 2\nglobal_transform 0 0.5 0 0 0.5 0 0 0 0 0 0.5 0 "
                            "0 0 0 1\ndata\n0 0 0\n0 0 1\n0 1 0\n0 1 1\n1 0 0\n1 0 1\n1 1 0\n1 1 1\n",
                            TLUTFormatId::NukeVF);
  ExpectColour(mixed, {0.25, 0.75, 0.5}, {0.75, 0.25, 0.5});
  EXPECT_NE(mixed.Comments.back().find("mixes the channels"), std::string::npos);
}

TEST(FamilyWriters, Bytes) {
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(2);
  ForEachRedFastest(2, [&](int r, int g, int b) { lut.Table3D(r, g, b) = TLUTEntry{r * 0.5, g * 0.25, b + 0.125}; });
  lut.Comments = {"warm"};
  const std::string rows = "0.000000 0.000000 0.125000\n0.500000 0.000000 0.125000\n0.000000 0.250000 0.125000\n"
                           "0.500000 0.250000 0.125000\n0.000000 0.000000 1.125000\n0.500000 0.000000 1.125000\n"
                           "0.000000 0.250000 1.125000\n0.500000 0.250000 1.125000\n";
  const auto text = [&](const char* profile, const TLUT& l) {
    const TFileText t = SaveLUTText(l, test::Profile(profile), -1, "t");
    return std::string(t.data(), t.size());
  };
  EXPECT_EQ(text("Iridas ITX 3D", lut), "# warm\n# Converted by Zelvo LUT Converter\n\nLUT_3D_SIZE 2\n" + rows);
  EXPECT_TRUE(text("Sony Imageworks 3D", lut)
                  .starts_with("SPILUT 1.0\n3 3\n2 2 2\n0 0 0 0.000000 0.000000 0.125000\n"
                               "0 0 1 0.000000 0.000000 1.125000\n"));
  EXPECT_TRUE(text("Sony Imageworks 3D", lut).ends_with("0.500000 0.250000 1.125000\n# warm\n"
                                                        "# Converted by Zelvo LUT Converter\n"));
  std::string tabbed;
  for (std::size_t pos = 0; pos < rows.size();) {
    const std::size_t end = rows.find('\n', pos) + 1;
    tabbed += '\t';
    tabbed += rows.substr(pos, end - pos);
    pos = end;
  }
  EXPECT_EQ(text("Houdini 3D", lut), "Version\t\t2\nFormat\t\tany\nType\t\t3D\nFrom\t\t0 1\nTo\t\t0 1\nBlack\t\t0\n"
                                      "White\t\t1\nLength\t\t2\nLUT:\n3D {\n" + tabbed + "}\n");
  lut.Domain3D = TLUTDomain{{-0.125, -0.125, -0.125}, {1.5, 1.5, 1.5}};
  EXPECT_EQ(text("Cinespace 3D", lut), "CSPLUTV100\n3D\n\nBEGIN METADATA\nwarm\nConverted by Zelvo LUT Converter\n"
                                        "END METADATA\n\n2\n-0.125 1.5\n0 1\n2\n-0.125 1.5\n0 1\n2\n-0.125 1.5\n0 1\n\n"
                                        "2 2 2\n" + rows);
  EXPECT_TRUE(text("Houdini 3D", lut).starts_with("Version\t\t3\nFormat\t\tany\nType\t\t3D+1D\nFrom\t\t-0.125 1.5\n"
                                                    "To\t\t0 1\nBlack\t\t0\nWhite\t\t1\nLength\t\t2 2\nLUT:\n"
                                                    "Pre {\n\t0.000000\n\t1.000000\n}\n"));
  TLUT one;
  one.Kind = TLUTKind::lk1D;
  one.SetSize1D(3);
  one.Table1D(1) = {0.25, 0.5, 0.75};
  one.Table1D(2) = {1, 1, 1};
  one.Domain1D = TLUTDomain{{0, 0, 0}, {2, 2, 2}};
  EXPECT_EQ(text("Sony Imageworks 1D", one),
            "# Converted by Zelvo LUT Converter\nVersion 1\nFrom 0 2\nLength 3\nComponents 3\n{\n"
            "    0.000000 0.000000 0.000000\n    0.250000 0.500000 0.750000\n    1.000000 1.000000 1.000000\n}\n");
  EXPECT_NE(text("Houdini 1D", one).find("Type\t\tRGB\n"), std::string::npos);  // one curve a channel
  one.Table1D(1) = {0.25, 0.25, 0.25};
  EXPECT_EQ(text("Houdini 1D", one), "Version\t\t1\nFormat\t\tany\nType\t\tC\nFrom\t\t0 2\nTo\t\t0 1\nBlack\t\t0\n"
                                      "White\t\t1\nLength\t\t3\nLUT:\nRGB {\n\t0.000000\n\t0.250000\n\t1.000000\n}\n");
  EXPECT_NE(text("Sony Imageworks 1D", one).find("Components 1\n{\n    0.000000\n"), std::string::npos);
  // One input range for all channels is all these formats state.
  one.Domain1D.Max.G = 3;
  EXPECT_NE(test::ErrorOf([&] { text("Houdini 1D", one); }).find("one input range for all channels"),
            std::string::npos);
  EXPECT_NE(test::ErrorOf([&] { text("Sony Imageworks 1D", one); }).find("one input range for all channels"),
            std::string::npos);
}

// What each writer writes, its reader reads back to the same table and
// domain (within the six decimals written), and detection finds the format.
TEST(FamilyWriters, RoundTrips) {
  struct Case {
    const char* profile;
    TLUTFormatId read_as;
    bool domain;
  };
  const Case cases[] = {
      {"Cinespace 3D", TLUTFormatId::Cinespace, false}, {"Cinespace 3D", TLUTFormatId::Cinespace, true},
      {"Houdini 3D", TLUTFormatId::Houdini, false},     {"Houdini 3D", TLUTFormatId::Houdini, true},
      {"Houdini 1D", TLUTFormatId::Houdini, true},      {"Iridas ITX 3D", TLUTFormatId::Cube3D, false},
      {"Sony Imageworks 1D", TLUTFormatId::Spi1D, true}, {"Sony Imageworks 3D", TLUTFormatId::Spi3D, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    const TLutOutputProfile& profile = test::Profile(c.profile);
    TLUT lut;
    if (profile.Is3D) test::FillSample3D(lut, 9);
    else test::FillSample1D(lut, 256);
    if (c.domain) (profile.Is3D ? lut.Domain3D : lut.Domain1D) = TLUTDomain{{-0.5, -0.5, -0.5}, {4, 4, 4}};
    const TFileText text = SaveLUTText(lut, profile, -1, "t");
    std::string name = "t.";
    name += profile.Extension;
    const TLUT back = Loaded(std::string(text.data(), text.size()), c.read_as, name);
    const std::vector<TColor> in = {{0.1, 0.5, 0.9}, {-0.3, 2.5, 3.9}, {0.77, 0.01, 0.45}, {4, 4, 4}};
    for (const TColor& x : in) ExpectColour(back, x, EvaluateLUT(lut, x), 5e-7);
  }
}

}  // namespace
}  // namespace zelvo
