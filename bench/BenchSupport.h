// Tables and loops shared by the benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "registry/Registry.h"

namespace zelvo::bench {

// A grade as a real tool would bake it: a colour matrix and a display gamma, so
// the values are not short binary fractions and span the whole code range.
inline std::unique_ptr<TLUT> GradedTable(int n) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = TLUTKind::lk3D;
  lut->SetSize3D(n);
  const double s = n - 1;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const double x = r / s, y = g / s, z = b / s;
        lut->Table3D(r, g, b) = TLUTEntry{std::pow(0.8123 * x + 0.1377 * y + 0.05 * z, 1 / 2.4),
                                          std::pow(0.0731 * x + 0.8892 * y + 0.0377 * z, 1 / 2.4),
                                          std::pow(0.0213 * x + 0.1044 * y + 0.8743 * z, 1 / 2.4)};
      }
  return lut;
}

inline std::unique_ptr<TLUT> GradedCurve(int m) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = TLUTKind::lk1D;
  lut->SetSize1D(m);
  for (int i = 0; i < m; ++i) {
    const double x = static_cast<double>(i) / (m - 1);
    lut->Table1D(i) = TLUTEntry{std::pow(x, 1.0 / 2.2), x * x, 0.5 * x + 0.5 * x * x * x};
  }
  return lut;
}

inline std::string BenchFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("zelvo-bench-" + name)).string();
}

inline void CountBytes(benchmark::State& state, const std::string& file) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(file)));
}

// Loads `file` once per iteration into a fresh LUT, as the conversion job does.
inline void LoadLoop(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    TLUT target;
    LoadLUTFile(file, target);
    benchmark::DoNotOptimize(target.Table3D(0, 0, 0));
  }
  CountBytes(state, file);
  std::filesystem::remove(file);
}

// Saving and loading a table of `size` points (3D) or entries (1D) through a profile.
inline std::unique_ptr<TLUT> TableFor(const TLutOutputProfile& profile, int size) {
  return profile.Is3D ? GradedTable(size) : GradedCurve(size);
}

inline void SaveBenchmark(benchmark::State& state, const char* caption) {
  const TLutOutputProfile& profile = *OutputProfileByCaption(caption);
  const auto lut = TableFor(profile, static_cast<int>(state.range(0)));
  const std::string file = BenchFile("save." + profile.Extension);
  for (auto _ : state) SaveLUTFile(file, *lut, profile);
  CountBytes(state, file);
  std::filesystem::remove(file);
}

inline void LoadBenchmark(benchmark::State& state, const char* caption) {
  const TLutOutputProfile& profile = *OutputProfileByCaption(caption);
  const std::string file = BenchFile("load." + profile.Extension);
  SaveLUTFile(file, *TableFor(profile, static_cast<int>(state.range(0))), profile);
  LoadLoop(state, file);
}

}  // namespace zelvo::bench
