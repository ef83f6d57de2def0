// Agreement with OpenColorIO on the CLF and CTF files of the peers: every
// file that both tools read gives the same colours, node by node evaluated
// whole, and as the LUT it becomes.
#include <OpenColorIO/OpenColorIO.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "formats/clf/CLFNodes.h"
#include "registry/Registry.h"
#include "base/TextFile.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

namespace OCIO = OCIO_NAMESPACE;

OCIO::ConstCPUProcessorRcPtr PeerProcessor(const std::string& file) {
  try {
    const auto config = OCIO::Config::CreateRaw();
    const auto transform = OCIO::FileTransform::Create();
    transform->setSrc(file.c_str());
    return config->getProcessor(transform)->getOptimizedCPUProcessor(OCIO::BIT_DEPTH_F32, OCIO::BIT_DEPTH_F32,
                                                                     OCIO::OPTIMIZATION_NONE);
  } catch (const OCIO::Exception&) {
    return nullptr;
  }
}

std::vector<TColor> PeerEvaluate(const OCIO::ConstCPUProcessorRcPtr& cpu, const std::vector<TColor>& in) {
  std::vector<float> px;
  for (const TColor& c : in) px.insert(px.end(), {float(c.R), float(c.G), float(c.B)});
  OCIO::PackedImageDesc desc(px.data(), static_cast<long>(in.size()), 1, 3);
  cpu->apply(desc);
  std::vector<TColor> out;
  for (std::size_t i = 0; i < in.size(); ++i) out.push_back(TColor{px[3 * i], px[3 * i + 1], px[3 * i + 2]});
  return out;
}

// Random colours over 0..1 and a little beyond, the channels apart.
std::vector<TColor> Probes() {
  std::mt19937 random(13);
  std::uniform_real_distribution<double> value(-0.05, 1.05);
  std::vector<TColor> probes;
  for (int i = 0; i < 2000; ++i) probes.push_back(TColor{value(random), value(random), value(random)});
  return probes;
}

double Magnitude(const TColor& c) { return std::max({std::fabs(c.R), std::fabs(c.G), std::fabs(c.B)}); }

// Our chain at the probes, and per probe the largest value it passed through:
// OpenColorIO computes in single precision, so its error follows the largest
// value in play, which a matrix may cancel down to a small output.
std::vector<TColor> EvaluateTracked(const TCLFChain& chain, const std::vector<TColor>& probes,
                                    std::vector<double>& scale) {
  std::vector<TColor> v = probes;
  scale.assign(v.size(), 1.0);
  for (const auto& op : chain.Ops) {
    TSearchBudget budget = TSearchBudget::ForColours(v.size());
    op->Apply(v.data(), v.size(), budget);
    for (std::size_t i = 0; i < v.size(); ++i) scale[i] = std::max(scale[i], Magnitude(v[i]));
  }
  return v;
}

// Files whose last node is a power below 1 of values that earlier matrices
// cancel to almost 0: its slope there magnifies the single-precision
// rounding of those matrices far beyond 1e-5. Outputs below 0.05 are held to
// 1e-3 instead; the rest to the usual bound.
bool PowerNearZero(const std::string& file) { return file.ends_with("gamma_comp_test2.ctf"); }

// The inverse of a 3D table whose clipped edges map many positions onto one
// colour: where the two tools find different positions, InverseOfClippedTable
// checks that both are inverses.
bool InverseNotUnique(const std::string& file) { return file.ends_with("lut3d_example_Inv.ctf"); }

int CountDifferences(const std::vector<TColor>& in, const std::vector<TColor>& ours, const std::vector<TColor>& theirs,
                     const std::vector<double>& scale, double tolerance, const std::string& what,
                     bool power_near_zero = false) {
  int differ = 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const double o[] = {ours[i].R, ours[i].G, ours[i].B}, t[] = {theirs[i].R, theirs[i].G, theirs[i].B};
    for (int c = 0; c < 3; ++c) {
      if (std::fabs(o[c] - t[c]) <= tolerance * std::max(scale[i], std::fabs(t[c]))) continue;
      if (power_near_zero && std::fabs(t[c]) < 0.05 && std::fabs(o[c] - t[c]) <= 1e-3) continue;
      if (differ++ < 3) {
        ADD_FAILURE() << what << " at " << in[i].R << " " << in[i].G << " " << in[i].B << " channel " << c << ": "
                      << o[c] << " against " << t[c];
      }
    }
  }
  return differ;
}

// Our chain of a file, or none when we refuse it.
bool ReadChain(const std::string& file, TCLFChain& chain) {
  try {
    chain = ReadCLFDocument(test::ReadAll(file));
    return true;
  } catch (const EZelvoError&) {
    return false;
  }
}

// The CLF and CTF files of the peers, each with OpenColorIO's processor (null
// when it refuses the file).
template <typename F>
void ForEachCLFFile(F&& f) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(test::PeerFile(""))) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".clf" && ext != ".ctf") continue;
    const std::string file = entry.path().string();
    f(file, PeerProcessor(file));
  }
}

TEST(CLFPeer, EveryFileBothReadEvaluatesAlike) {
  if (test::PeerFile("").empty()) GTEST_SKIP() << "peer files missing";
  const std::vector<TColor> probes = Probes();
  int compared = 0;
  ForEachCLFFile([&](const std::string& file, const OCIO::ConstCPUProcessorRcPtr& peer) {
    TCLFChain chain;
    if (peer == nullptr || !ReadChain(file, chain)) return;
    SCOPED_TRACE(file);
    if (InverseNotUnique(file)) return;
    std::vector<double> scale;
    const std::vector<TColor> ours = EvaluateTracked(chain, probes, scale);
    CountDifferences(probes, ours, PeerEvaluate(peer, probes), scale, 1e-5, "chain", PowerNearZero(file));
    ++compared;
  });
  // Of the 216 files, those OpenColorIO refuses and those with nodes we do
  // not read (docs/interop.md lists them) are left out.
  EXPECT_GE(compared, 120);
}

// The LUT a file becomes, at the inputs of its grid (where a baked table
// holds the chain exactly): the same colours as OpenColorIO.
TEST(CLFPeer, LoadedTablesHoldThePeersColoursAtTheirGridPoints) {
  if (test::PeerFile("").empty()) GTEST_SKIP() << "peer files missing";
  int compared = 0;
  ForEachCLFFile([&](const std::string& file, const OCIO::ConstCPUProcessorRcPtr& peer) {
    TLUT lut;
    try {
      LoadLUTFile(file, lut);
    } catch (const EZelvoError&) {
      return;
    }
    if (peer == nullptr || InverseNotUnique(file)) return;
    SCOPED_TRACE(file);
    // The grid of the first stage, through its domain; of a 1D stage every
    // entry on the grey axis and the channels apart.
    std::vector<TColor> in;
    const TLUTDomain& d = lut.InputDomain();
    const auto at = [&](double min, double max, int i, int n) { return min + (max - min) * i / (n - 1); };
    if (lut.Kind == TLUTKind::lk3D || lut.Kind == TLUTKind::lkChain) {
      // A chain has no grid of its own: 17 points per axis over its domain.
      const int n = lut.Kind == TLUTKind::lkChain ? 17 : lut.Size3D();
      const int step = std::max(1, n / 17);
      for (int b = 0; b < n; b += step)
        for (int g = 0; g < n; g += step)
          for (int r = 0; r < n; r += step)
            in.push_back(TColor{at(d.Min.R, d.Max.R, r, n), at(d.Min.G, d.Max.G, g, n), at(d.Min.B, d.Max.B, b, n)});
      // And a thousand colours between grid points: a chain is evaluated
      // node by node, so it holds the peer's colours everywhere.
      std::mt19937 random(7);
      std::uniform_real_distribution<double> unit(0.0, 1.0);
      for (int k = 0; k < 1000 && lut.Kind == TLUTKind::lkChain; ++k) {
        in.push_back(TColor{d.Min.R + (d.Max.R - d.Min.R) * unit(random), d.Min.G + (d.Max.G - d.Min.G) * unit(random),
                            d.Min.B + (d.Max.B - d.Min.B) * unit(random)});
      }
    } else {
      const int n = lut.Size1D();
      for (int i = 0; i < n; ++i) {
        in.push_back(TColor{at(d.Min.R, d.Max.R, i, n), at(d.Min.G, d.Max.G, (i * 7) % n, n),
                            at(d.Min.B, d.Max.B, (i * 13) % n, n)});
      }
    }
    std::vector<TColor> ours(in.size());
    EvaluateLUTSpan(lut, in.data(), ours.data(), in.size());
    std::vector<double> scale(in.size(), 1.0);
    TCLFChain chain;
    if (ReadChain(file, chain)) EvaluateTracked(chain, in, scale);
    CountDifferences(in, ours, PeerEvaluate(peer, in), scale, 1e-5, "table", PowerNearZero(file));
    ++compared;
  });
  EXPECT_GE(compared, 120);
}

// Our inverse of a 17-point table with many clipped entries, at random
// colours and at the grid points of the table it is baked into: OpenColorIO's
// colours, or where the two searches end in different cells, positions that
// the table maps back onto the colour all the same.
TEST(CLFPeer, InverseOfClippedTable) {
  const std::string file = test::PeerFile("OpenColorIO/lut3d_example_Inv.ctf");
  if (file.empty()) GTEST_SKIP() << "peer files missing";
  const auto peer = PeerProcessor(file);
  ASSERT_NE(peer, nullptr);
  TCLFChain inverse;
  ASSERT_TRUE(ReadChain(file, inverse));
  // The same table forward.
  std::string text = test::ReadAll(file);
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"<InverseLUT3D", "<LUT3D"},
                                 {"</InverseLUT3D", "</LUT3D"},
                                 {R"(inBitDepth="12i" outBitDepth="32f")", R"(inBitDepth="32f" outBitDepth="12i")"}}) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  }
  const TCLFChain forward = ReadCLFDocument(text);

  std::vector<TColor> in = Probes();
  const std::size_t probes = in.size();
  TLUT lut;
  LoadLUTFile(file, lut);
  const int n = lut.Size3D();
  for (int b = 0; b < n; b += 4)
    for (int g = 0; g < n; g += 4)
      for (int r = 0; r < n; r += 4) in.push_back(TColor{r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
  std::vector<TColor> ours(in.size()), baked(in.size());
  inverse.Evaluate(in.data(), ours.data(), in.size());
  EvaluateLUTSpan(lut, in.data(), baked.data(), in.size());
  const std::vector<TColor> theirs = PeerEvaluate(peer, in);
  const auto distance = [](const TColor& a, const TColor& b) {
    return Magnitude(TColor{a.R - b.R, a.G - b.G, a.B - b.B});
  };
  int other_cell = 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const TColor target{std::clamp(in[i].R, 0.0, 1.0), std::clamp(in[i].G, 0.0, 1.0), std::clamp(in[i].B, 0.0, 1.0)};
    // The baked table at its own grid points holds our inverse.
    if (i >= probes) {
      EXPECT_LE(distance(baked[i], ours[i]), 1e-6) << i;
    }
    if (distance(ours[i], theirs[i]) <= 1e-5) continue;
    ++other_cell;
    TColor back[2];
    forward.Evaluate(&ours[i], &back[0], 1);
    forward.Evaluate(&theirs[i], &back[1], 1);
    EXPECT_LE(distance(back[0], target), 1e-5) << "ours at " << i;
    EXPECT_LE(distance(back[1], target), 1e-5) << "theirs at " << i;
  }
  // Few colours lie where the table is clipped.
  EXPECT_LT(other_cell, static_cast<int>(in.size()) / 50);
}

// Tables over the half-float domain, on every finite half float of both
// signs, half way between neighbours, a third of the way, and beyond the
// largest half float: OpenColorIO's colours within single precision.
TEST(CLFPeer, HalfDomainTablesAtEveryHalfFloat) {
  std::vector<TColor> in;
  const auto half = [](unsigned code) {
    const unsigned e = (code >> 10) & 0x1F, f = code & 0x3FF;
    const double m = e == 0 ? std::ldexp(f, -24) : std::ldexp(1024.0 + f, static_cast<int>(e) - 25);
    return (code & 0x8000) != 0 ? -m : m;
  };
  for (unsigned code = 0; code < 0x7BFF; ++code) {
    const double a = half(code), b = half(code + 1);
    in.push_back(TColor{a, -(a + b) / 2, a + (b - a) / 3});
    in.push_back(TColor{-a, (a + b) / 2, -(a + (b - a) * 0.75)});
  }
  for (const double v : {65504.0, 65519.0, 65520.0, 1e6, -0.0}) in.push_back(TColor{v, -v, v / 2});
  // The second file puts a 1D and a 3D table ahead of the half-domain one:
  // their single-precision rounding, through the steep start of its curve,
  // is held to the bound of every chain.
  for (const auto& [relative, tolerance] : {std::pair{"OpenColorIO/clf/lut1d_half_domain_raw_half_set.clf", 1e-6},
                                            std::pair{"OpenColorIO/clf/lut1d_lut3d_lut1d.clf", 1e-5}}) {
    const std::string file = test::PeerFile(relative);
    if (file.empty()) GTEST_SKIP() << "peer files missing";
    SCOPED_TRACE(relative);
    const auto peer = PeerProcessor(file);
    ASSERT_NE(peer, nullptr);
    TCLFChain chain;
    ASSERT_TRUE(ReadChain(file, chain));
    std::vector<double> scale;
    const std::vector<TColor> ours = EvaluateTracked(chain, in, scale);
    const std::vector<TColor> theirs = PeerEvaluate(peer, in);
    EXPECT_EQ(CountDifferences(in, ours, theirs, scale, tolerance, "half-domain table"), 0);
  }
}

}  // namespace
}  // namespace zelvo
