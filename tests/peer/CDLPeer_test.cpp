// ASC CDL corrections in both tools: we turn a correction into a 33-point
// table, OpenColorIO evaluates it. They differ by design in two rules, and
// this test holds each tool to its own rule at every grid point:
//  - we saturate around the plain mean of the three channels and clamp
//    nothing but a negative base of the power (to 0);
//  - OpenColorIO saturates around Rec. 709 luma, and a negative base of the
//    power passes through unchanged.
// Where the rules coincide (saturation 1, no negative base), the two tables
// agree.
#include <gtest/gtest.h>

#include <OpenColorIO/OpenColorIO.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "formats/CDLLib.h"
#include "registry/Registry.h"
#include "formats/LUTFormatImps.h"
#include "base/TextFile.h"

namespace zelvo {
namespace {

namespace OCIO = OCIO_NAMESPACE;

// Each tool's rule for one colour, in double precision.
void OurRule(const TCDLData& cdl, const double in[3], double out[3]) {
  for (int c = 0; c < 3; ++c) {
    const double v = in[c] * cdl.SOP[c].Slope + cdl.SOP[c].Offset;
    out[c] = v > 0 ? std::pow(v, double(cdl.SOP[c].Power)) : 0.0;
  }
  const double mean = (out[0] + out[1] + out[2]) / 3;
  for (int c = 0; c < 3; ++c) out[c] = mean + cdl.Saturation * (out[c] - mean);
}

void PeerRule(const TCDLData& cdl, const double in[3], double out[3]) {
  for (int c = 0; c < 3; ++c) {
    const double v = in[c] * cdl.SOP[c].Slope + cdl.SOP[c].Offset;
    out[c] = v > 0 ? std::pow(v, double(cdl.SOP[c].Power)) : v;
  }
  const double luma = 0.2126 * out[0] + 0.7152 * out[1] + 0.0722 * out[2];
  for (int c = 0; c < 3; ++c) out[c] = luma + cdl.Saturation * (out[c] - luma);
}

std::string Correction(const char* slope, const char* offset, const char* power, const char* sat) {
  return std::string("<ColorCorrection id=\"made\">\n <SOPNode>\n  <Slope>") + slope + "</Slope>\n  <Offset>" +
         offset + "</Offset>\n  <Power>" + power + "</Power>\n </SOPNode>\n <SATNode><Saturation>" + sat +
         "</Saturation></SATNode>\n</ColorCorrection>\n";
}

TEST(CDLPeer, EachToolKeepsItsOwnRuleAndTheyAgreeWhereTheRulesDo) {
  test::TempDir dir;
  std::vector<std::string> files;
  for (const char* name : {"cdl_test1.cc", "cdl_test2.cc", "cdl_test_ASC_SAT.cc", "cdl_test_SATNode.cc"}) {
    files.push_back(test::PeerFile(std::string("OpenColorIO/") + name));
    if (files.back().empty()) GTEST_SKIP() << "the peers' test files are not here";
  }
  // Corrections that stay in range, with and without saturation.
  files.push_back(dir.Write("in_range.cc", Correction("1.1 1.0 0.9", "0.01 0 -0.02", "1.2 1 0.8", "1")));
  files.push_back(dir.Write("saturated.cc", Correction("1.1 1.0 0.9", "0.01 0 -0.02", "1.2 1 0.8", "0.7")));
  files.push_back(dir.Write("negative.cc", Correction("0.8 1 1.2", "-0.1 -0.05 0.02", "1.5 2 0.9", "1")));
  int agreeing = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    TLUT lut;
    LoadLUTFile(file, lut);
    TCDLData cdl;
    ReadCDL(test::ReadAll(file), cdl);
    const auto config = OCIO::Config::CreateRaw();
    const auto transform = OCIO::FileTransform::Create();
    transform->setSrc(file.c_str());
    const auto peer = config->getProcessor(transform)->getDefaultCPUProcessor();

    // OpenColorIO passes over the ASC_SAT spelling of SATNode (saturation 1);
    // we read it.
    TCDLData peer_cdl = cdl;
    if (file.ends_with("cdl_test_ASC_SAT.cc")) peer_cdl.Saturation = 1.0f;
    const int n = lut.Size3D();
    ASSERT_EQ(n, 33);
    int reported = 0;
    ForEachRedFastest(n, [&](int r, int g, int b) {
      const double in[3] = {double(r) / (n - 1), double(g) / (n - 1), double(b) / (n - 1)};
      double mine[3];
      OurRule(cdl, in, mine);
      double theirs[3];
      PeerRule(peer_cdl, in, theirs);
      float px[3] = {float(in[0]), float(in[1]), float(in[2])};
      peer->applyRGB(px);
      const TLUTEntry& e = lut.Table3D(r, g, b);
      const double ours[3] = {e.R, e.G, e.B};
      bool same_rule = cdl.Saturation == 1.0f && peer_cdl.Saturation == 1.0f;
      for (int c = 0; c < 3; ++c) same_rule = same_rule && in[c] * cdl.SOP[c].Slope + cdl.SOP[c].Offset >= 0;
      for (int c = 0; c < 3; ++c) {
        const double scale = std::max(1.0, std::fabs(theirs[c]));
        const bool fault = std::fabs(ours[c] - mine[c]) > 1e-5 * scale || std::fabs(px[c] - theirs[c]) > 1e-5 * scale ||
                           (same_rule && std::fabs(ours[c] - px[c]) > 1e-5 * scale);
        if (fault && reported++ < 3) {
          ADD_FAILURE() << r << " " << g << " " << b << " channel " << c << ": ours " << ours[c] << " (rule "
                        << mine[c] << "), OpenColorIO " << px[c] << " (rule " << theirs[c] << ")";
        }
      }
      agreeing += same_rule;
    });
  }
  // The files above include corrections the rules treat alike.
  EXPECT_GT(agreeing, 33 * 33 * 33);
}

// A correction of a decision list, picked by its id, in both tools (one whose
// saturation is 1 and whose values stay positive, where the rules agree).
TEST(CDLPeer, CorrectionOfACollectionByItsId) {
  const std::string file = test::PeerFile("OpenColorIO/configs/context_test1/looks.cdl");
  if (file.empty()) GTEST_SKIP() << "peer files missing";
  TLUT lut;
  LoadLUTFile(file, lut, TLUTFormatId::None, "look-03");
  const auto config = OCIO::Config::CreateRaw();
  const auto transform = OCIO::FileTransform::Create();
  transform->setSrc(file.c_str());
  transform->setCCCId("look-03");
  const auto peer = config->getProcessor(transform)->getDefaultCPUProcessor();
  double worst = 0.0;
  const int n = lut.Size3D();
  ForEachRedFastest(n, [&](int r, int g, int b) {
    float px[3] = {float(r) / (n - 1), float(g) / (n - 1), float(b) / (n - 1)};
    peer->applyRGB(px);
    const TLUTEntry& e = lut.Table3D(r, g, b);
    worst = std::max({worst, std::fabs(e.R - px[0]), std::fabs(e.G - px[1]), std::fabs(e.B - px[2])});
  });
  EXPECT_LE(worst, 1e-6);
}

}  // namespace
}  // namespace zelvo
