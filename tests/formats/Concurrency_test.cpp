// Format objects keep no state of their own: any number of loads may run at
// once. Every reader family, on several threads at the same time, gives the
// tables that one load after another gives, and a load from memory gives what
// a load of the same bytes from a file gives.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "TestLUTs.h"
#include "registry/Registry.h"

namespace zelvo {
namespace {

struct Sample {
  std::string name;  // its extension matters to some formats
  std::string text;
};

// One file of every readable format: written by our writers where there is
// one, by hand for the read-only formats.
std::vector<Sample> Samples() {
  std::vector<Sample> samples;
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat& format = FormatOfProfile(*profile);
    if (!format.CanLoad()) continue;
    TLUT lut;
    if (profile->Is3D) test::FillSample3D(lut, profile->Id == TOutputProfileId::Lustre3D ? 17 : 9);
    else test::FillSample1D(lut, 257);
    lut.Comments = {"sample"};
    const auto text = SaveLUTText(lut, *profile, -1, "sample");
    samples.push_back({"sample." + profile->Extension, std::string(text.data(), text.size())});
  }
  {
    // Pictures, read by the one image LUT reader.
    TLUT lut;
    test::FillSample3D(lut, 9);
    const auto png = SaveLUTText(lut, OutputProfileOf(TOutputProfileId::HaldPng), 8, "sample");
    samples.push_back({"sample.png", std::string(png.data(), png.size())});
  }
  samples.push_back({"sample.ilut", "0 0 0\n8192 4096 16383\n16383 16383 16383\n"});
  samples.push_back({"sample.olut", "0 0 0\n2048 1024 4095\n4095 4095 4095\n"});
  samples.push_back({"sample.look",
                     "<look><shaders></shaders><LUT><size>\"2\"</size><data>\"" + std::string(8 * 3 * 8, '0') +
                         "\"</data></LUT></look>"});
  samples.push_back({"sample.spimtx", "0.9 0.1 0 0\n0 1 0 0\n0 0.2 0.8 655.35\n"});
  samples.push_back({"sample.vf", "#Inventor V2.1 ascii\ngrid_size 2 2 2\ndata\n0 0 0\n0 0 1\n0 1 0\n0 1 1\n1 0 0\n"
                                  "1 0 1\n1 1 0\n1 1 1\n"});
  samples.push_back({"sample.ccc",
                     "<ColorCorrectionCollection><ColorCorrection id='s'><SOPNode><Slope>1.1 1 0.9</Slope>"
                     "<Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection></ColorCorrectionCollection>"});
  samples.push_back({"sample.cc",
                     "<ColorCorrection id='s'><SOPNode><Slope>1.1 1 0.9</Slope><Offset>0 0 0</Offset>"
                     "<Power>1 1 1</Power></SOPNode></ColorCorrection>"});
  return samples;
}

bool SameTable(const TLUT& a, const TLUT& b) {
  const auto n = static_cast<std::size_t>(a.Size3D());
  return a.FormatIndex == b.FormatIndex && a.Kind == b.Kind && a.Comments == b.Comments &&
         a.Size3D() == b.Size3D() && a.Size1D() == b.Size1D() &&
         (n == 0 || std::memcmp(a.Data3D(), b.Data3D(), n * n * n * sizeof(TLUTEntry)) == 0) &&
         (a.Size1D() == 0 ||
          std::memcmp(a.Data1D(), b.Data1D(), static_cast<std::size_t>(a.Size1D()) * sizeof(TLUTEntry)) == 0);
}

TEST(Concurrency, EveryFamilyLoadsFromMemoryAsFromAFile) {
  test::TempDir dir;
  const std::vector<Sample> samples = Samples();
  std::vector<bool> seen(kLUTFormatCount);
  for (const Sample& s : samples) {
    TLUT from_memory, from_file;
    LoadLUTFromMemory(s.name, s.text, from_memory);
    LoadLUTFile(dir.Write(s.name, s.text), from_file);
    ASSERT_NE(from_memory.FormatIndex, TLUTFormatId::None) << s.name;
    EXPECT_TRUE(SameTable(from_memory, from_file)) << s.name;
    seen[static_cast<std::size_t>(IndexOf(from_memory.FormatIndex))] = true;
  }
  for (const auto& format : LUTFormats()) {
    EXPECT_EQ(seen[static_cast<std::size_t>(IndexOf(format->Id))], format->CanLoad()) << format->Name;
  }
}

TEST(Concurrency, LoadsOnSeveralThreadsGiveTheSequentialTables) {
  const std::vector<Sample> samples = Samples();
  std::vector<TLUT> expected(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) LoadLUTFromMemory(samples[i].name, samples[i].text, expected[i]);

  constexpr int kThreads = 4;
  constexpr int kRounds = 6;
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread walks the samples from another starting point, so that
      // different formats and the same format both overlap.
      for (int round = 0; round < kRounds; ++round) {
        for (std::size_t k = 0; k < samples.size(); ++k) {
          const std::size_t i = (k + static_cast<std::size_t>(t) * 3) % samples.size();
          TLUT lut;
          try {
            LoadLUTFromMemory(samples[i].name, samples[i].text, lut);
          } catch (const std::exception&) {
            ++mismatches;
            continue;
          }
          if (!SameTable(lut, expected[i])) ++mismatches;
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace zelvo
