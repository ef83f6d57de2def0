#include "formats/clf/CLFFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "TestFormats.h"
#include "formats/clf/CLFNodes.h"
#include "registry/Registry.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using F = TLUTFormatId;

std::string Doc(const std::string& nodes, const std::string& head = R"(<?xml version="1.0" encoding="UTF-8"?>)") {
  return head + "\n<ProcessList compCLFversion=\"3\" id=\"t\">\n" + nodes + "</ProcessList>\n";
}

const std::string kRange = R"(<Range inBitDepth="32f" outBitDepth="32f">
<minInValue>-0.25</minInValue><maxInValue>1.75</maxInValue><minOutValue>0</minOutValue><maxOutValue>1</maxOutValue>
</Range>
)";
const std::string kLUT1D = R"(<LUT1D inBitDepth="32f" outBitDepth="10i"><Array dim="3 3">
0 0 0
511.5 255.75 1023
1023 1023 1023
</Array></LUT1D>
)";
const std::string kLUT3D = R"(<LUT3D inBitDepth="32f" outBitDepth="32f" interpolation="tetrahedral">
<Array dim="2 2 2 3">
0 0 0  0 0 1  0 1 0  0 1 1  1 0 0  1 0 1  1 1 0  1 1 0.5
</Array></LUT3D>
)";
const std::string kMatrix = R"(<Matrix inBitDepth="32f" outBitDepth="32f"><Array dim="3 4">
0.5 0 0 0.25
0 1 0 0
0 0 1 0
</Array></Matrix>
)";

TEST(CLFFormat, DetectedByItsFirstElementAheadOfTheFormatsItsWordsResemble) {
  struct Case {
    std::string text;
    TLUTFormatId expected;
  };
  const Case cases[] = {
      {Doc(kLUT3D), F::CLF},  // holds "<LUT3D", Clipster 3D's word
      {Doc("<Description>LUT_3D_SIZE 33</Description>\n" + kLUT1D), F::CLF},
      {"<!-- made by hand -->\n<?xml version=\"1.0\"?>\n<!-- x -->" + Doc(kLUT1D, ""), F::CLF},
      {R"(<ProcessList id="urn:x:LUT: 3 1024" version="1.3">)" "\n" + kLUT1D + "</ProcessList>", F::CLF},
      {"<clf:ProcessList xmlns:clf=\"ns\" id=\"p\">" + kLUT1D + "</clf:ProcessList>", F::CLF},
      // Other documents keep their formats, even when they mention it later.
      {"<?xml version=\"1.0\"?>\n<LUT3D><ProcessList/></LUT3D>", F::Clipster3D},
      {"<ProcessListing>\n", F::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectLUTFormat(TLUTSource("x.clf", c.text)), c.expected) << c.text;
  }
}

// Elements of a namespace are read by their local name, nodes and their
// parameters alike: a prefixed document gives the table of the plain one.
TEST(CLFFormat, NamespacePrefixesAreReadByLocalName) {
  const std::string plain = Doc(kRange + kMatrix + kLUT3D);
  std::string prefixed;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    prefixed.push_back(plain[i]);
    // Every element name (not the declaration): "<X" and "</X" become "<clf:X".
    if (plain[i] == '<' && i + 1 < plain.size() && plain[i + 1] != '?') {
      if (plain[i + 1] == '/') prefixed.push_back(plain[++i]);
      prefixed += "clf:";
    }
  }
  ASSERT_NE(prefixed.find("<clf:minInValue>"), std::string::npos);
  TLUT a, b;
  test::LoadText(plain, a, F::None, "a.clf");
  test::LoadText(prefixed, b, F::None, "b.clf");
  ASSERT_EQ(b.FormatIndex, F::CLF);
  ASSERT_EQ(b.Kind, a.Kind);
  ASSERT_EQ(b.Size3D(), a.Size3D());
  EXPECT_EQ(b.Domain3D, a.Domain3D);
  EXPECT_EQ(test::MaxDifference3D(a, b, a.Size3D()), 0.0);
}

TEST(CLFFormat, RangeLUT1DAndLUT3DBecomeTheDomainAndStagesAsTheyAre) {
  TLUT lut;
  std::string lut3d = kLUT3D;
  lut3d.replace(lut3d.find("32f"), 3, "10i");  // the depth the LUT1D gives
  const TLoadInfo info = test::LoadText(Doc("<Description>first &amp; last</Description>\n" + kRange + kLUT1D + lut3d),
                                        lut, F::None, "a.clf");
  EXPECT_EQ(lut.FormatIndex, F::CLF);
  EXPECT_EQ(info.Bits, 0);
  ASSERT_EQ(lut.Kind, TLUTKind::lk1DAnd3D);
  EXPECT_EQ(lut.Domain1D, (TLUTDomain{{-0.25, -0.25, -0.25}, {1.75, 1.75, 1.75}}));
  EXPECT_TRUE(lut.Domain3D.IsUnit());
  // Codes of the outBitDepth scaled to 0..1; the 3D table turned from blue
  // fastest in the file to red fastest in memory.
  EXPECT_EQ(lut.Table1D(1), (TLUTEntry{0.5, 0.25, 1.0}));
  EXPECT_EQ(lut.Table3D(1, 1, 1), (TLUTEntry{1.0, 1.0, 0.5}));
  EXPECT_EQ(lut.Table3D(0, 0, 1), (TLUTEntry{0.0, 0.0, 1.0}));
  EXPECT_EQ(lut.Comments, (std::vector<std::string>{"id: t", "first & last"}));
  EXPECT_EQ(lut.Interpolation3D, TInterpolation::Tetrahedral);
}

// Any other chain is kept as its nodes: a colour is the chain's own, between
// grid points and near zero alike, with no table in between.
TEST(CLFFormat, OtherChainsAreEvaluatedNodeByNode) {
  TLUT lut;
  test::LoadText(Doc(kRange + kMatrix + kLUT1D), lut, F::CLF);
  ASSERT_EQ(lut.Kind, TLUTKind::lkChain);
  EXPECT_EQ(DescribeLUT(lut), (std::vector<std::string>{"Type: Process list", "Nodes: Range, Matrix, LUT1D"}));
  EXPECT_EQ(lut.InputDomain(), (TLUTDomain{{-0.25, -0.25, -0.25}, {1.75, 1.75, 1.75}}));
  EXPECT_TRUE(HasUsableTable(lut));
  // Red 1.75 -> 1 -> 0.75 -> halfway between 0.5 and 1 of the 1D table.
  const TColor top = EvaluateLUT(lut, TColor{1.75, -0.25, 1.75});
  EXPECT_NEAR(top.R, 0.75, 1e-12);
  EXPECT_NEAR(top.G, 0.0, 1e-12);
  EXPECT_NEAR(top.B, 1.0, 1e-12);
  // Red 0.1 -> 0.175 -> 0.3375 -> 0.3375 x 2 of the way along the first
  // interval (0 to 0.5): a value no 65-point table holds exactly.
  EXPECT_NEAR(EvaluateLUT(lut, TColor{0.1, 0.5, 0.5}).R, 0.3375, 1e-12);
  // A log10 node near zero gives the log itself.
  TLUT log;
  test::LoadText(Doc(R"(<Log inBitDepth="32f" outBitDepth="32f" style="log10"/>)"), log, F::CLF);
  EXPECT_NEAR(EvaluateLUT(log, TColor{0.005, 0.0005, 1e-6}).R, std::log10(0.005), 1e-12);
  EXPECT_NEAR(EvaluateLUT(log, TColor{0.005, 0.0005, 1e-6}).G, std::log10(0.0005), 1e-12);
}

// The nodes evaluated against values worked out by hand.
TEST(CLFFormat, NodesEvaluateAsTheirStylesSay) {
  struct Case {
    std::string node;
    TColor in, expected;
  };
  const Case cases[] = {
      {R"(<Log inBitDepth="32f" outBitDepth="32f" style="log10"/>)", {100, 0.001, 1}, {2, -3, 0}},
      {R"(<Log inBitDepth="32f" outBitDepth="32f" style="antiLog2"/>)", {3, -1, 0}, {8, 0.5, 1}},
      {R"(<Log inBitDepth="32f" outBitDepth="32f" style="linToLog"><LogParams base="10" logSideSlope="0.5"
         logSideOffset="0.25" linSideSlope="2" linSideOffset="0"/></Log>)",
       {5, 0.05, 50}, {0.75, 0.25 - 0.5, 1.25}},
      {R"(<Log inBitDepth="32f" outBitDepth="32f" style="cameraLinToLog"><LogParams base="2" linSideBreak="1"
         linearSlope="3"/></Log>)",
       {4, 0.5, -1}, {2, -1.5, -6}},
      {R"(<Exponent inBitDepth="32f" outBitDepth="32f" style="basicMirrorFwd"><ExponentParams exponent="2"/>
         </Exponent>)",
       {0.5, -0.5, 3}, {0.25, -0.25, 9}},
      {R"(<Exponent inBitDepth="32f" outBitDepth="32f" style="basicPassThruRev"><ExponentParams exponent="2"/>
         </Exponent>)",
       {0.25, -0.5, 4}, {0.5, -0.5, 2}},
      // sRGB: 12.92 below the break, the 2.4 curve above it.
      {R"(<Exponent inBitDepth="32f" outBitDepth="32f" style="monCurveRev"><ExponentParams exponent="2.4"
         offset="0.055"/></Exponent>)",
       {0.001, 1, 0.5}, {0.01292, 1, 0.735356983}},
      {R"(<ASC_CDL inBitDepth="32f" outBitDepth="32f" style="FwdNoClamp"><SOPNode><Slope>2 1 1</Slope>
         <Offset>0 0 -0.5</Offset><Power>1 2 1</Power></SOPNode></ASC_CDL>)",
       {0.75, 0.5, 0.25}, {1.5, 0.25, -0.25}},
      {R"(<ASC_CDL inBitDepth="32f" outBitDepth="32f" style="Fwd"><SOPNode><Slope>2 1 1</Slope>
         <Offset>0 0 -0.5</Offset><Power>1 2 1</Power></SOPNode><SatNode><Saturation>0</Saturation></SatNode>
         </ASC_CDL>)",
       {0.75, 0.5, 0.25}, {0.2126 + 0.7152 * 0.25, 0.2126 + 0.7152 * 0.25, 0.2126 + 0.7152 * 0.25}},
      {R"(<InverseLUT1D inBitDepth="10i" outBitDepth="32f"><Array dim="3 1"> 0 256 1023 </Array>
         </InverseLUT1D>)",
       {128.0 / 1023, 1, -1}, {0.25, 1, 0}},
      {R"(<Range inBitDepth="10i" outBitDepth="32f"><minInValue>64</minInValue><maxInValue>940</maxInValue>
         <minOutValue>0</minOutValue><maxOutValue>1</maxOutValue></Range>)",
       {502.0 / 1023, 0, 1}, {0.5, 0, 1}},
      {R"(<Matrix inBitDepth="10i" outBitDepth="12i"><Array dim="3 3 3"> 4 0 0 0 2 0 0 0 1 </Array></Matrix>)",
       {0.5, 0.5, 0.5}, {0.5 * 4 * 1023 / 4095, 0.5 * 2 * 1023 / 4095, 0.5 * 1023 / 4095}},
  };
  for (const Case& c : cases) {
    const TCLFChain chain = ReadCLFDocument(Doc(c.node + "\n"));
    TColor out;
    chain.Evaluate(&c.in, &out, 1);
    EXPECT_NEAR(out.R, c.expected.R, 1e-5) << c.node;
    EXPECT_NEAR(out.G, c.expected.G, 1e-5) << c.node;
    EXPECT_NEAR(out.B, c.expected.B, 1e-5) << c.node;
  }
}

// A 3D table node with `f` sampled on n points, values times `scale`.
std::string GridNode(const std::string& element, const std::string& depths, int n, double scale,
                     const std::function<TColor(double, double, double)>& f) {
  // (Built in steps: GCC 12 warns falsely about "<" + a string.)
  const std::string side = std::to_string(n) + " ";
  std::string node = "<";
  node += element;
  node += " " + depths + " interpolation=\"tetrahedral\"><Array dim=\"" + side + side + side + "3\">\n";
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const TColor c = f(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0));
        char row[96];
        std::snprintf(row, sizeof row, "%.10g %.10g %.10g\n", c.R * scale, c.G * scale, c.B * scale);
        node += row;
      }
  node += "</Array></";
  node += element;
  return node + ">\n";
}

// The inverse finds the position whose tetrahedral interpolation gives the
// colour; colours beyond the table's gamut go to its edge; a table that folds
// everywhere ends in an error rather than hours of search.
TEST(CLFFormat, InverseLUT3DUndoesItsTable) {
  // Smooth, with some crosstalk, inside 0.05..0.95.
  const auto f = [](double r, double g, double b) {
    return TColor{0.05 + 0.8 * std::pow(r, 1.3) + 0.1 * g, 0.05 + 0.8 * std::pow(g, 0.8) + 0.05 * b * r,
                  0.05 + 0.6 * b + 0.2 * b * b + 0.1 * r};
  };
  const TCLFChain round =
      ReadCLFDocument(Doc(GridNode("LUT3D", R"(inBitDepth="32f" outBitDepth="12i")", 9, 4095, f) +
                          GridNode("InverseLUT3D", R"(inBitDepth="12i" outBitDepth="32f")", 9, 4095, f)));
  std::mt19937 random(5);
  std::uniform_real_distribution<double> value(0.0, 1.0);
  std::vector<TColor> in = {{0, 0, 0}, {1, 1, 1}, {1, 0, 0.5}, {0.125, 0.5, 0.875}};
  for (int i = 0; i < 500; ++i) in.push_back(TColor{value(random), value(random), value(random)});
  std::vector<TColor> out(in.size());
  round.Evaluate(in.data(), out.data(), in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    EXPECT_NEAR(out[i].R, in[i].R, 1e-6) << i;
    EXPECT_NEAR(out[i].G, in[i].G, 1e-6) << i;
    EXPECT_NEAR(out[i].B, in[i].B, 1e-6) << i;
  }
  // Beyond the gamut: a position in the table's grown edge, clamped; NaN
  // counts as 0, values above 1 as 1.
  const TCLFChain inverse =
      ReadCLFDocument(Doc(GridNode("InverseLUT3D", R"(inBitDepth="32f" outBitDepth="32f")", 9, 1, f)));
  TColor edges[] = {{0, 0, 0}, {1, 1, 1}, {std::nan(""), 0.02, 2}, {0, 0.02, 1}};
  inverse.Evaluate(edges, edges, 4);
  EXPECT_EQ(edges[2], edges[3]);
  for (const TColor& c : edges) {
    for (double v : {c.R, c.G, c.B}) EXPECT_TRUE(v >= 0 && v <= 1) << v;
  }

  // Flat: no direction to solve for; the search still ends inside 0..1.
  const auto flat = [](double, double, double) { return TColor{0.5, 0.5, 0.5}; };
  const TCLFChain degenerate =
      ReadCLFDocument(Doc(GridNode("InverseLUT3D", R"(inBitDepth="32f" outBitDepth="32f")", 3, 1, flat)));
  TColor grey[] = {{0.5, 0.5, 0.5}, {0.25, 0.5, 0.75}};
  degenerate.Evaluate(grey, grey, 2);
  for (const TColor& c : grey) {
    for (double v : {c.R, c.G, c.B}) EXPECT_TRUE(v >= 0 && v <= 1) << v;
  }

  // Random colours on one plane: every cell spans much of the cube and holds
  // no colour off the plane.
  std::mt19937 noise(11);
  std::uniform_real_distribution<double> half(0.25, 0.75);
  const auto folded = [&](double, double, double) {
    const double r = half(noise), g = half(noise);
    return TColor{r, g, 1.5 - r - g};
  };
  std::string nodes = "\n";  // (its line is 4)
  nodes += GridNode("InverseLUT3D", R"(inBitDepth="32f" outBitDepth="32f")", 17, 1, folded);
  // The node reads; a bake that asks it for a grid of colours ends with the
  // error at its line rather than searching for hours.
  TLUT lut;
  test::LoadText(Doc(nodes), lut, F::None, "folded.ctf");
  ASSERT_EQ(lut.Kind, TLUTKind::lkChain);
  std::string message;
  try {
    ResampledLUT(std::move(lut), TLUTKind::lk3D, 33);
  } catch (const EZelvoError& e) {
    message = e.Described();
  }
  EXPECT_EQ(message, "The table of \"InverseLUT3D\" folds over itself too much to be inverted (line 4).");
}

// Refusals name the element and the line; the file's lines are counted from
// the declaration (line 1) and the ProcessList (line 2).
TEST(CLFFormat, RefusalsNameTheElementAndTheLine) {
  struct Case {
    std::string nodes;
    std::string message;
  };
  const Case cases[] = {
      {"<ExposureContrast inBitDepth=\"32f\" outBitDepth=\"32f\"/>\n",
       "read as Academy/ASC CLF: The \"ExposureContrast\" node is not supported (line 3)."},
      {"\n<LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\">\n</LUT1D>\n",
       "read as Academy/ASC CLF: The \"Array\" node is not found (line 4)"},
      {"<LUT3D inBitDepth=\"32f\" outBitDepth=\"32f\">\n<Array dim=\"2 2 2 3\">0 0 0 1 1 1</Array></LUT3D>\n",
       "read as Academy/ASC CLF: The \"Array\" of \"LUT3D\" holds 6 values where its dim \"2 2 2 3\" asks for 24 (line 4)."},
      {"<LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"2 1\">\n0 5x\n</Array></LUT1D>\n",
       "read as Academy/ASC CLF: '5x' is not a valid floating point value (line 3)"},
      {"<LUT1D inBitDepth=\"11i\" outBitDepth=\"32f\"><Array dim=\"2 1\">0 1</Array></LUT1D>\n",
       "read as Academy/ASC CLF: The inBitDepth \"11i\" of \"LUT1D\" is not supported (8i, 10i, 12i, 16i, 16f or "
       "32f; line 3)."},
      {kLUT1D + kLUT3D,
       "read as Academy/ASC CLF: The inBitDepth \"32f\" of \"LUT3D\" differs from the outBitDepth \"10i\" of the node "
       "before it (line 8)."},
      {"<LUT1D inBitDepth=\"16f\" outBitDepth=\"32f\" halfDomain=\"true\"><Array dim=\"2 1\">0 1</Array></LUT1D>\n",
       "read as Academy/ASC CLF: The \"LUT1D\" over the half-float domain needs 65536 entries, one per half-float code; "
       "its \"Array\" has 2 (line 3)."},
      {"<InverseLUT1D inBitDepth=\"16f\" outBitDepth=\"32f\" halfDomain=\"true\"><Array dim=\"2 1\">0 1</Array>"
       "</InverseLUT1D>\n",
       "read as Academy/ASC CLF: The \"halfDomain\" form of \"InverseLUT1D\" is not supported (line 3)."},
      {"<LUT1D inBitDepth=\"32f\" outBitDepth=\"16f\" rawHalfs=\"true\"><Array dim=\"2 1\">\n0 31744</Array></LUT1D>\n",
       "read as Academy/ASC CLF: The value 31744 of the \"Array\" is not the code of a finite half float (rawHalfs; "
       "line 3)."},
      {"<LUT1D inBitDepth=\"32f\" outBitDepth=\"16f\" rawHalfs=\"true\"><Array dim=\"2 1\">\n0 1.5</Array></LUT1D>\n",
       "read as Academy/ASC CLF: The value 1.5 of the \"Array\" is not the code of a finite half float (rawHalfs; "
       "line 3)."},
      {"<Matrix inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"2 2\">1 0 0 1</Array></Matrix>\n",
       "read as Academy/ASC CLF: The dim \"2 2\" of the \"Array\" of \"Matrix\" is not a shape it can have (line 3)."},
      {"<Log inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"cameraLinToLog\"><LogParams base=\"10\"/></Log>\n",
       "read as Academy/ASC CLF: The \"Log\" style \"cameraLinToLog\" needs a linSideBreak (line 3)."},
      {"<Description>nothing</Description>\n",
       "read as Academy/ASC CLF: The \"ProcessList\" holds no process nodes (line 2)."},
  };
  for (const Case& c : cases) {
    std::string message;
    try {
      TLUT lut;
      test::LoadText(Doc(c.nodes), lut, F::None, "bad.clf");
    } catch (const EZelvoError& e) {
      message = e.Described();
    }
    EXPECT_EQ(message, c.message);
  }
}

// A table over the half-float domain whose entries are their own codes
// (rawHalfs): every input up to the largest half float comes out as it went
// in, the entries around it interpolated; beyond, the largest.
TEST(CLFFormat, HalfDomainTablesLookUpTheHalfFloatsAroundEachInput) {
  std::string values;
  for (unsigned code = 0; code < 65536; ++code) {
    const bool finite = (code & 0x7C00) != 0x7C00;
    values += std::to_string(finite ? code : 0) + (code % 16 == 15 ? "\n" : " ");
  }
  const TCLFChain chain = ReadCLFDocument(
      Doc("<LUT1D inBitDepth=\"16f\" outBitDepth=\"16f\" halfDomain=\"true\" rawHalfs=\"true\">\n"
          "<Array dim=\"65536 1\">\n" + values + "</Array></LUT1D>\n"));
  TLUT lut;
  test::LoadText(Doc("<LUT1D inBitDepth=\"16f\" outBitDepth=\"16f\" halfDomain=\"true\">\n<Array dim=\"65536 1\">\n" +
                     values + "</Array></LUT1D>\n"),
                 lut, F::None, "half.clf");
  EXPECT_EQ(lut.Kind, TLUTKind::lkChain);  // not a table over 0..1
  struct Case {
    double in, out;
  };
  const Case cases[] = {{0.0, 0.0},      {0.5, 0.5},        {1.0 / 3, 1.0 / 3},     {-1.0 / 3, -1.0 / 3},
                        {1e-7, 1e-7},    {-3e-8, -3e-8},    {6.1e-5, 6.1e-5},       {1000.3, 1000.3},
                        {-65503, -65503}, {65504, 65504},   {65519.9, 65504},       {-1e9, -65504}};
  for (const Case& c : cases) {
    TColor color{c.in, c.in, c.in};
    chain.Evaluate(&color, &color, 1);
    EXPECT_NEAR(color.R, c.out, std::fabs(c.out) * 1e-15) << c.in;
  }
}

TEST(CLFFormat, WritesTheDocumentWithItsDomainAsARange) {
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(1, 1, 1) = TLUTEntry{0.1, 1.0 / 3, 1e-9};
  lut.Domain3D = TLUTDomain{{-0.125, -0.125, -0.125}, {1.5, 1.5, 1.5}};
  lut.Comments = {"grade <A & B>"};
  const TFileText text = SaveLUTText(lut, test::Profile("Academy/ASC CLF 3D"), -1, "my \"look\"");
  EXPECT_EQ(std::string(text.data(), text.size()), R"(<?xml version="1.0" encoding="UTF-8"?>
<ProcessList compCLFversion="3" id="my _look_" name="my _look_">
  <Description>grade &lt;A &amp; B&gt;</Description>
  <Description>Converted by Zelvo LUT Converter</Description>
  <Range inBitDepth="32f" outBitDepth="32f">
    <minInValue>-0.125</minInValue>
    <maxInValue>1.5</maxInValue>
    <minOutValue>0</minOutValue>
    <maxOutValue>1</maxOutValue>
  </Range>
  <LUT3D inBitDepth="32f" outBitDepth="32f" interpolation="trilinear">
    <Array dim="2 2 2 3">
0 0 0
0 0 1
0 1 0
0 1 1
1 0 0
1 0 1
1 1 0
0.1 0.33333334 1e-09
    </Array>
  </LUT3D>
</ProcessList>
)");
}

// Float tables come back bit for bit, the domains with them; channels with
// domains of their own go through a scaling Matrix.
TEST(CLFFormat, FloatTablesAndDomainsReadBackAsWritten) {
  test::TempDir dir;
  for (const bool is_3d : {true, false}) {
    TLUT lut;
    if (is_3d) test::FillSample3D(lut, 9);
    else test::FillSample1D(lut, 1000);
    TLUTDomain& domain = is_3d ? lut.Domain3D : lut.Domain1D;
    domain = TLUTDomain{{-0.5, 0.0, 0.25}, {2.0, 1.0, 4.0}};
    const auto to_float = [](TLUTEntry& e) {
      for (double* v : {&e.R, &e.G, &e.B}) {
        volatile float f = static_cast<float>(*v * 3 - 1);  // (GCC 12 folds a plain cast pair)
        *v = f;
      }
    };
    for (int i = 0; i < (is_3d ? 9 * 9 * 9 : 1000); ++i) to_float(is_3d ? lut.Data3D()[i] : lut.Data1D()[i]);
    const std::string file = dir.File(is_3d ? "a.clf" : "b.clf");
    SaveLUTFile(file, lut, test::Profile(is_3d ? "Academy/ASC CLF 3D" : "Academy/ASC CLF 1D"));
    TLUT back;
    LoadLUTFile(file, back);
    ASSERT_EQ(back.Kind, lut.Kind);
    EXPECT_EQ(is_3d ? test::MaxDifference3D(lut, back, 9) : test::MaxDifference1D(lut, back, 1000), 0.0);
    const TLUTDomain& read = is_3d ? back.Domain3D : back.Domain1D;
    for (const auto& [a, b] : {std::pair{read.Min, domain.Min}, std::pair{read.Max, domain.Max}}) {
      EXPECT_NEAR(a.R, b.R, 1e-12);
      EXPECT_NEAR(a.G, b.G, 1e-12);
      EXPECT_NEAR(a.B, b.B, 1e-12);
    }
  }
}

TEST(CLFFormat, ValuesAFloatCannotHoldAreRefused) {
  TLUT lut;
  test::FillIdentity3D(lut, 2);
  lut.Table3D(0, 1, 0).G = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(test::ErrorOf([&] { SaveLUTText(lut, test::Profile("Academy/ASC CLF 3D"), -1, "t"); }),
            "The table holds a value that is not a finite 32-bit float number; a CLF file cannot store it.");
  lut.Table3D(0, 1, 0).G = 1e39;
  EXPECT_NE(test::ErrorOf([&] { SaveLUTText(lut, test::Profile("Academy/ASC CLF 3D"), -1, "t"); }), "");
}

// Every 3D and 1D profile's file, converted to CLF and back: the table is
// the one the first format read, within a float's precision.
TEST(CLFFormat, EveryProfilesOutputSurvivesARoundTripThroughCLF) {
  test::TempDir dir;
  for (const auto& profile : OutputProfiles()) {
    // (A device link reads back as the engine's transform, not as a table:
    // tests/convert/ICCFormat_test.cpp.)
    if (profile->FormatIndex == F::CLF || profile->FormatIndex == F::ICCProfile ||
        !FormatOfProfile(*profile).CanLoad()) {
      continue;
    }
    SCOPED_TRACE(profile->Caption);
    TLUT lut;
    if (profile->Is3D) test::FillSample3D(lut, profile->DefaultSize);
    else test::FillSample1D(lut, profile->DefaultSize);
    const std::string first = dir.File("first." + profile->Extension);
    SaveLUTFile(first, lut, *profile);
    TLUT read;
    LoadLUTFile(first, read);
    const bool is_3d = read.Kind != TLUTKind::lk1D;
    const std::string clf = dir.File("second.clf");
    SaveLUTFile(clf, read, test::Profile(is_3d ? "Academy/ASC CLF 3D" : "Academy/ASC CLF 1D"));
    TLUT back;
    LoadLUTFile(clf, back);
    ASSERT_EQ(back.Kind, read.Kind);
    EXPECT_EQ(back.Domain1D, read.Domain1D);
    EXPECT_EQ(back.Domain3D, read.Domain3D);
    const double step = 6e-8;  // a float's precision at 1
    if (read.Kind != TLUTKind::lk3D) {
      EXPECT_LE(test::MaxDifference1D(read, back, read.Size1D()), step);
    }
    if (read.Kind != TLUTKind::lk1D) {
      EXPECT_LE(test::MaxDifference3D(read, back, read.Size3D()), step);
    }
  }
}

}  // namespace
}  // namespace zelvo
