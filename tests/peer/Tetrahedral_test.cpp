// Tetrahedral interpolation of a 33-point cube against OpenColorIO's, at
// random colours between the grid points.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "PeerSupport.h"
#include "TestFormats.h"

namespace zelvo {
namespace {

TEST(TetrahedralPeer, ThirtyThreePointCubeAtRandomColours) {
  test::TempDir dir;
  TLUT graded;
  test::FillSample3D(graded, 33);
  const std::string file = dir.File("graded.cube");
  SaveLUTFile(file, graded, test::Profile("Cube 3D Davinci"));
  TLUT lut;
  LoadLUTFile(file, lut);
  lut.Interpolation3D = TInterpolation::Tetrahedral;
  const auto peer = test::PeerProcessor(file, nullptr, OCIO_NAMESPACE::INTERP_TETRAHEDRAL);
  ASSERT_NE(peer, nullptr);
  std::mt19937 random(33);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<TColor> in(10000);
  for (TColor& c : in) c = TColor{unit(random), unit(random), unit(random)};
  const std::vector<TColor> theirs = test::PeerEvaluate(peer, in);
  double worst = 0.0, worst_trilinear = 0.0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const TColor ours = EvaluateLUT(lut, in[i]);
    const TColor tri = Interpolate3D(lut, in[i]);
    for (const auto& [a, b, t] : {std::tuple{ours.R, theirs[i].R, tri.R}, std::tuple{ours.G, theirs[i].G, tri.G},
                                  std::tuple{ours.B, theirs[i].B, tri.B}}) {
      worst = std::max(worst, std::fabs(a - b));
      worst_trilinear = std::max(worst_trilinear, std::fabs(t - b));
    }
  }
  // The peer works in single precision.
  EXPECT_LT(worst, 2e-6);
  // And it is not the trilinear reading that agrees.
  EXPECT_GT(worst_trilinear, 1e-4);
  RecordProperty("largest difference", std::to_string(worst));
}

}  // namespace
}  // namespace zelvo
