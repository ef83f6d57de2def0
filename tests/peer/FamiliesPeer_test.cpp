// The formats added in the families (Cinespace, Sony Imageworks, Houdini,
// Nuke vector fields, Iridas ITX) in both tools: every such file of the test
// data that both read gives the same colours, and what our writers write
// OpenColorIO reads as we meant it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "PeerSupport.h"
#include "TestFormats.h"
#include "registry/Registry.h"
#include "formats/LUTFormatImps.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

using test::PeerEvaluate;
using test::PeerProcessor;

// Colours over a domain, on a lattice of 11 steps a channel and a few more
// between, each exactly a single-precision number, so that both tools look
// up the very same input.
std::vector<TColor> Probes(const TLUTDomain& d) {
  std::vector<TColor> probes;
  constexpr int kSteps = 10;
  const auto at = [](double min, double max, int step, double nudge) {
    return double(float(min + (max - min) * (step + nudge) / kSteps));
  };
  for (int i = 0; i <= kSteps; ++i)
    for (int j = 0; j <= kSteps; ++j)
      for (int k = 0; k <= kSteps; ++k) {
        const double ni = i < kSteps ? 0.37 : 0.0, nj = j < kSteps ? 0.61 : 0.0, nk = k < kSteps ? 0.13 : 0.0;
        probes.push_back(TColor{at(d.Min.R, d.Max.R, i, 0), at(d.Min.G, d.Max.G, j, 0), at(d.Min.B, d.Max.B, k, 0)});
        probes.push_back(TColor{at(d.Min.R, d.Max.R, i, ni), at(d.Min.G, d.Max.G, j, nj), at(d.Min.B, d.Max.B, k, nk)});
      }
  return probes;
}

// The largest difference of any channel, relative to the peer's value where
// that is beyond 1 (single precision keeps about 7 digits of it).
double LargestDifference(const std::vector<TColor>& ours, const std::vector<TColor>& theirs) {
  double worst = 0.0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    for (const auto c : {&TColor::R, &TColor::G, &TColor::B}) {
      const double scale = std::max(1.0, std::fabs(theirs[i].*c));
      worst = std::max(worst, std::fabs(ours[i].*c - theirs[i].*c) / scale);
    }
  }
  return worst;
}

TEST(FamiliesPeer, TestDataEvaluatesAlike) {
  const std::string root = test::PeerFile("");
  if (root.empty()) GTEST_SKIP() << "peer files missing";
  const std::vector<std::string> extensions = {".csp", ".spi1d", ".spi3d", ".spimtx", ".vf", ".lut", ".itx"};
  std::map<std::string, int> compared;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (std::find(extensions.begin(), extensions.end(), ext) == extensions.end()) continue;
    const std::string file = entry.path().string();
    SCOPED_TRACE(file);
    std::string why;
    const auto peer = PeerProcessor(file, &why);
    TLUT lut;
    try {
      LoadLUTFile(file, lut);
    } catch (const EZelvoError& e) {
      // Files both tools refuse (broken on purpose) are no disagreement.
      if (peer != nullptr) ADD_FAILURE() << "OpenColorIO reads it, we refuse it: " << e.Described();
      continue;
    }
    // Of the .lut files, only Houdini's are ours to compare here.
    if (ext == ".lut" && lut.FormatIndex != TLUTFormatId::Houdini) continue;
    if (peer == nullptr) {
      std::cout << "[ peer refuses ] " << file << ": " << why << "\n";
      continue;
    }
    // A matrix is held over 0..1 only (beyond it we clamp, the matrix goes on).
    const std::vector<TColor> in = Probes(lut.InputDomain());
    std::vector<TColor> ours(in.size());
    EvaluateLUTSpan(lut, in.data(), ours.data(), in.size());
    const double worst = LargestDifference(ours, PeerEvaluate(peer, in));
    std::cout << "[ difference  ] " << file << ": " << worst << "\n";
    EXPECT_LE(worst, 1e-6);
    ++compared[ext];
  }
  // Every file of each kind that both tools read (the counts of the test data).
  EXPECT_EQ(compared[".csp"], 15);
  EXPECT_EQ(compared[".spi1d"], 7);
  EXPECT_EQ(compared[".spi3d"], 4);
  EXPECT_EQ(compared[".spimtx"], 4);
  EXPECT_EQ(compared[".vf"], 1);
  EXPECT_EQ(compared[".lut"], 2);  // OpenColorIO refuses the third (its own bake of a "Type RGB" 1D)
  EXPECT_EQ(compared[".itx"], 2);
}

// The inputs at which a written table is exact: its grid points (3D), its
// entries with the channels apart (1D), the breakpoints of a 1D stage.
std::vector<TColor> GridInputs(const TLUT& lut) {
  const TLUTDomain& d = lut.InputDomain();
  const bool cube = lut.Kind == TLUTKind::lk3D;
  const int n = cube ? lut.Size3D() : lut.Size1D();
  const auto at = [&](double min, double max, int i) { return min + (max - min) * i / (n - 1); };
  std::vector<TColor> in;
  if (cube) {
    ForEachRedFastest(n, [&](int r, int g, int b) {
      in.push_back(TColor{at(d.Min.R, d.Max.R, r), at(d.Min.G, d.Max.G, g), at(d.Min.B, d.Max.B, b)});
    });
  } else {
    for (int i = 0; i < n; ++i) {
      const int g = (i * 7) % n, b = (i * 13) % n;
      in.push_back(TColor{at(d.Min.R, d.Max.R, i), at(d.Min.G, d.Max.G, g), at(d.Min.B, d.Max.B, b)});
    }
  }
  return in;
}

TEST(FamiliesPeer, OpenColorIOReadsWhatWeWrite) {
  struct Case {
    const char* profile;
    const char* extension;
    bool domain;   // an input domain of -0.125..1.5
    bool neutral;  // a 1D table alike in all channels
    bool shaper;   // a 1D stage ahead of the cube (written with SaveLUTText directly)
  };
  const Case cases[] = {
      {"Cinespace 3D", "csp", false, false, false},    {"Cinespace 3D", "csp", true, false, false},
      {"Cinespace 3D", "csp", false, false, true},     {"Houdini 3D", "lut", false, false, false},
      {"Houdini 3D", "lut", true, false, false},       {"Houdini 3D", "lut", false, false, true},
      {"Houdini 1D", "lut", false, true, false},       {"Houdini 1D", "lut", true, true, false},
      {"Iridas ITX 3D", "itx", false, false, false},   {"Sony Imageworks 1D", "spi1d", false, false, false},
      {"Sony Imageworks 1D", "spi1d", true, true, false}, {"Sony Imageworks 3D", "spi3d", false, false, false},
  };
  test::TempDir dir;
  int index = 0;
  for (const Case& c : cases) {
    const TLutOutputProfile& profile = test::Profile(c.profile);
    SCOPED_TRACE(std::string(c.profile) + (c.domain ? " with a domain" : "") + (c.shaper ? " with a shaper" : ""));
    TLUT lut;
    if (profile.Is3D) test::FillSample3D(lut, 17);
    else test::FillSample1D(lut, profile.DefaultSize);
    if (c.neutral) {
      for (int i = 0; i < lut.Size1D(); ++i) lut.Table1D(i).G = lut.Table1D(i).B = lut.Table1D(i).R;
    }
    const TLUTDomain domain{{-0.125, -0.125, -0.125}, {1.5, 1.5, 1.5}};
    if (c.domain) (profile.Is3D ? lut.Domain3D : lut.Domain1D) = domain;
    if (c.shaper) test::AddSquareRootShaper(lut);
    const TFileText text = SaveLUTText(lut, profile, -1, "written");
    // A name of its own for each file: OpenColorIO keeps what it read by name.
    const std::string file = dir.Write("written" + std::to_string(index++) + "." + c.extension,
                                       std::string_view(text.data(), text.size()));
    std::string why;
    const auto peer = PeerProcessor(file, &why);
    if (peer == nullptr) {
      ADD_FAILURE() << "OpenColorIO refuses it: " << why;
      continue;
    }
    std::vector<TColor> in = GridInputs(lut);
    if (c.shaper) {
      // The shaper's breakpoints, where its curve in OpenColorIO (a spline
      // through them) and ours (straight lines) meet.
      in.clear();
      for (int i = 0; i < 64; ++i) in.push_back(TColor{4.0 * i / 63, 4.0 * ((i * 7) % 64) / 63, 4.0 * ((i * 13) % 64) / 63});
    }
    std::vector<TColor> ours(in.size());
    EvaluateLUTSpan(lut, in.data(), ours.data(), in.size());
    const double worst = LargestDifference(ours, PeerEvaluate(peer, in));
    std::cout << "[ difference  ] " << c.profile << (c.domain ? ", domain" : "") << (c.shaper ? ", shaper" : "")
              << ": " << worst << "\n";
    EXPECT_LE(worst, 1e-6);
  }
}

}  // namespace
}  // namespace zelvo
