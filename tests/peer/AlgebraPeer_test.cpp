// Chains of LUTs, some inverted, against the same chains built in
// OpenColorIO's library (its exact inverses: no optimisation), at many
// colours: the inverse of a cube where it is unique, a cube then an inverted
// curve then a cube, curves with flat stretches and reversals, and a grade
// where the two CDL maths agree.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "PeerSupport.h"
#include "TestFormats.h"
#include "convert/LUTChain.h"

namespace zelvo {
namespace {

namespace OCIO = OCIO_NAMESPACE;

struct TPeerStep {
  TPeerStep(std::string f, bool inverted = false) : file(std::move(f)), inverse(inverted) {}
  explicit TPeerStep(OCIO::ConstTransformRcPtr transform) : other(std::move(transform)) {}
  std::string file;
  bool inverse = false;
  OCIO::ConstTransformRcPtr other;  // instead of a file
};

OCIO::ConstCPUProcessorRcPtr PeerChain(const std::vector<TPeerStep>& steps) {
  const auto group = OCIO::GroupTransform::Create();
  for (const TPeerStep& step : steps) {
    if (step.other) {
      group->appendTransform(step.other->createEditableCopy());
      continue;
    }
    const auto t = OCIO::FileTransform::Create();
    t->setSrc(step.file.c_str());
    t->setInterpolation(OCIO::INTERP_TETRAHEDRAL);
    if (step.inverse) t->setDirection(OCIO::TRANSFORM_DIR_INVERSE);
    group->appendTransform(t);
  }
  return OCIO::Config::CreateRaw()->getProcessor(group)->getOptimizedCPUProcessor(
      OCIO::BIT_DEPTH_F32, OCIO::BIT_DEPTH_F32, OCIO::OPTIMIZATION_NONE);
}

std::string WriteCube(const test::TempDir& dir, const std::string& name, int n,
                      const std::function<TColor(const TColor&)>& f) {
  TLUT lut;
  lut.Kind = TLUTKind::lk3D;
  lut.SetSize3D(n);
  BakeLUT(lut, [&](const TColor* in, TColor* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out[i] = f(in[i]);
  });
  const std::string file = dir.File(name);
  SaveLUTFile(file, lut, test::Profile("Cube 3D Davinci"), -1);
  return file;
}

std::string WriteCurve(const test::TempDir& dir, const std::string& name, const std::vector<double>& values) {
  TLUT lut;
  lut.Kind = TLUTKind::lk1D;
  lut.SetSize1D(static_cast<int>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) lut.Table1D(static_cast<int>(i)) = {values[i], values[i], values[i]};
  const std::string file = dir.File(name);
  SaveLUTFile(file, lut, test::Profile("Cube 1D"), -1);
  return file;
}

std::vector<TColor> Random(int count, unsigned seed, double lo = 0.0, double hi = 1.0) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(lo, hi);
  std::vector<TColor> colours(static_cast<std::size_t>(count));
  for (TColor& c : colours) c = TColor{value(random), value(random), value(random)};
  return colours;
}

double Largest(const std::vector<TColor>& a, const std::vector<TColor>& b) {
  double largest = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    largest = std::max({largest, std::fabs(a[i].R - b[i].R), std::fabs(a[i].G - b[i].G), std::fabs(a[i].B - b[i].B)});
  }
  return largest;
}

std::vector<TColor> Ours(const std::vector<TChainStep>& steps, std::vector<TColor> colours) {
  const TLUT chain = BuildChainLUT(steps, TInterpolation::Tetrahedral);
  EvaluateLUTSpan(chain, colours.data(), colours.data(), colours.size());
  return colours;
}

const auto kMix = [](const TColor& c) {
  return TColor{std::pow(0.85 * c.R + 0.075 * c.G + 0.075 * c.B, 0.8), std::pow(0.075 * c.R + 0.85 * c.G + 0.075 * c.B, 1.1),
                std::pow(0.075 * c.R + 0.075 * c.G + 0.85 * c.B, 0.9)};
};

// The inverse of a smooth cube at colours it reaches (where the inverse is
// unique both searches find the same position).
TEST(AlgebraPeer, InverseOfACubeWhereItReaches) {
  test::TempDir dir;
  const std::string cube = WriteCube(dir, "mix.cube", 33, kMix);
  TLUT lut;
  LoadLUTFile(cube, lut);
  lut.Interpolation3D = TInterpolation::Tetrahedral;
  std::vector<TColor> reached = Random(5000, 1);
  EvaluateLUTSpan(lut, reached.data(), reached.data(), reached.size());
  const auto peer = PeerChain({{cube, true}});
  const double largest = Largest(Ours({LUTStep(cube, true)}, reached), test::PeerEvaluate(peer, reached));
  EXPECT_LT(largest, 2e-5);
  RecordProperty("largest difference", std::to_string(largest));
}

// A cube, an inverted gamma curve, a second cube: every colour of 0..1.
TEST(AlgebraPeer, CubeThenInvertedCurveThenCube) {
  test::TempDir dir;
  const std::string first = WriteCube(dir, "first.cube", 17, kMix);
  const std::string second = WriteCube(dir, "second.cube", 33, [](const TColor& c) {
    return TColor{0.9 * c.R + 0.05 * c.G * c.B + 0.05, 0.1 * c.R + 0.8 * c.G + 0.1 * c.B * c.B, 0.2 + 0.7 * c.B * c.G};
  });
  std::vector<double> gamma;
  for (int i = 0; i < 1024; ++i) gamma.push_back(std::pow(i / 1023.0, 1 / 2.2));
  const std::string curve = WriteCurve(dir, "gamma.cube", gamma);
  const std::vector<TColor> colours = Random(10000, 2);
  const auto peer = PeerChain({{first}, {curve, true}, {second}});
  const double largest =
      Largest(Ours({LUTStep(first), LUTStep(curve, true), LUTStep(second)}, colours), test::PeerEvaluate(peer, colours));
  EXPECT_LT(largest, 1e-5);
  RecordProperty("largest difference", std::to_string(largest));
}

// Curves with flat stretches (inside and at both ends), reversals and a
// falling curve, inverted at values on their flats, between and beyond.
TEST(AlgebraPeer, CurvesWithFlatStretchesAndReversals) {
  test::TempDir dir;
  const std::vector<std::vector<double>> curves = {
      {0.1, 0.1, 0.1, 0.3, 0.3, 0.6, 0.9, 0.9},
      {0.0, 0.4, 0.3, 0.5, 0.45, 0.8, 1.0},
      {1.0, 0.8, 0.8, 0.5, 0.6, 0.2, 0.0, 0.0},
  };
  std::vector<TColor> values;
  for (int i = -10; i <= 110; ++i) values.push_back(TColor{i / 100.0, (i + 0.5) / 100.0, 0.3});
  values.push_back(TColor{0.8, 0.45, 0.6});
  for (std::size_t k = 0; k < curves.size(); ++k) {
    const std::string file = WriteCurve(dir, "curve" + std::to_string(k) + ".cube", curves[k]);
    const double largest = Largest(Ours({LUTStep(file, true)}, values), test::PeerEvaluate(PeerChain({{file, true}}), values));
    EXPECT_LT(largest, 1e-6) << k;
  }
}

// A grade of saturation 1 whose results stay within 0..1, where the peer's
// clamping changes nothing: the same colours.
TEST(AlgebraPeer, GradeWhereTheMathsAgree) {
  test::TempDir dir;
  const auto cdl = OCIO::CDLTransform::Create();
  const double slope[] = {0.9, 0.8, 0.7}, offset[] = {0.05, 0.02, 0.1}, power[] = {1.2, 0.9, 1.0};
  cdl->setSlope(slope);
  cdl->setOffset(offset);
  cdl->setPower(power);
  TCDLData ours;
  for (int c = 0; c < 3; ++c) {
    ours.SOP[c] = TCDLChannel{static_cast<float>(slope[c]), static_cast<float>(offset[c]), static_cast<float>(power[c])};
  }
  const std::vector<TColor> colours = Random(5000, 3);
  const double largest =
      Largest(Ours({CDLStep(ours)}, colours), test::PeerEvaluate(PeerChain({TPeerStep(cdl)}), colours));
  EXPECT_LT(largest, 2e-6);
}

}  // namespace
}  // namespace zelvo
