// Agreement with OpenColorIO, the peer that reads many of the same formats:
// a file both tools read must give the same colours, within the float
// precision OpenColorIO computes in.
#include <gtest/gtest.h>

#include <OpenColorIO/OpenColorIO.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "registry/Registry.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

namespace OCIO = OCIO_NAMESPACE;

// OpenColorIO's reading of a file, applied with linear interpolation; null
// when OpenColorIO refuses the file.
OCIO::ConstCPUProcessorRcPtr PeerProcessor(const std::string& file) {
  try {
    const auto config = OCIO::Config::CreateRaw();
    const auto transform = OCIO::FileTransform::Create();
    transform->setSrc(file.c_str());
    transform->setInterpolation(OCIO::INTERP_LINEAR);
    return config->getProcessor(transform)->getDefaultCPUProcessor();
  } catch (const OCIO::Exception&) {
    return nullptr;
  }
}

TColor PeerEvaluate(const OCIO::ConstCPUProcessorRcPtr& cpu, const TColor& in) {
  float px[3] = {static_cast<float>(in.R), static_cast<float>(in.G), static_cast<float>(in.B)};
  cpu->applyRGB(px);
  return TColor{px[0], px[1], px[2]};
}

// Inputs over the LUT's own input range and a little beyond it on both sides.
std::vector<TColor> Probes(const TLUTDomain& domain) {
  std::vector<TColor> probes;
  constexpr int kSteps = 9;
  for (int i = -1; i <= kSteps + 1; ++i)
    for (int j = -1; j <= kSteps + 1; ++j)
      for (int k = -1; k <= kSteps + 1; ++k) {
        const auto at = [](double min, double max, int step) { return min + (max - min) * step / kSteps; };
        // Slightly off the grid, so that every probe interpolates.
        probes.push_back(TColor{at(domain.Min.R, domain.Max.R, i) + 1e-3, at(domain.Min.G, domain.Max.G, j) + 2e-3,
                                at(domain.Min.B, domain.Max.B, k) + 3e-3});
      }
  return probes;
}

void ExpectSameColours(const std::string& file) {
  SCOPED_TRACE(file);
  const auto peer = PeerProcessor(file);
  ASSERT_NE(peer, nullptr) << "OpenColorIO cannot read it";
  TLUT lut;
  LoadLUTFile(file, lut);
  ASSERT_NE(lut.FormatIndex, TLUTFormatId::None);
  int reported = 0;
  for (const TColor& in : Probes(lut.InputDomain())) {
    const TColor ours = EvaluateLUT(lut, in);
    const TColor theirs = PeerEvaluate(peer, in);
    const double ours_v[] = {ours.R, ours.G, ours.B}, theirs_v[] = {theirs.R, theirs.G, theirs.B};
    for (int c = 0; c < 3; ++c) {
      const double tolerance = 1e-5 * std::max(1.0, std::fabs(theirs_v[c]));
      if (std::fabs(ours_v[c] - theirs_v[c]) > tolerance && reported++ < 5) {
        ADD_FAILURE() << "at " << in.R << " " << in.G << " " << in.B << " channel " << c << ": " << ours_v[c]
                      << " against " << theirs_v[c];
      }
    }
  }
}

TEST(OpenColorIOPeer, CubeFilesWithDomainsEvaluateAlike) {
  const char* files[] = {
      "OpenColorIO/iridas_1d.cube",
      "OpenColorIO/iridas_3d.cube",
      "OpenColorIO/resolve_1d3d.cube",
      "ociobakelut/shaper_log2_resolve_cube.cube",
      "colour/iridas_cube/Demo.cube",
      "colour/iridas_cube/eotf_sRGB_3D.cube",
  };
  for (const char* relative : files) {
    const std::string file = test::PeerFile(relative);
    if (file.empty()) GTEST_SKIP() << "peer files missing";
    ExpectSameColours(file);
  }
}

// Every cube file of the peers that OpenColorIO reads, with a domain or not.
TEST(OpenColorIOPeer, EveryCubeFileOpenColorIOReads) {
  const std::string root = test::PeerFile("");
  if (root.empty()) GTEST_SKIP() << "peer files missing";
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.path().extension() != ".cube") continue;
    const std::string file = entry.path().string();
    if (PeerProcessor(file) == nullptr) continue;  // OpenColorIO refuses it
    TLUT lut;
    try {
      LoadLUTFile(file, lut);
    } catch (const EZelvoError& e) {
      ADD_FAILURE() << file << ": " << e.what();
      continue;
    }
    ExpectSameColours(file);
    ++compared;
  }
  EXPECT_GE(compared, 15);
}

}  // namespace
}  // namespace zelvo
