// Loading and saving the 65,536-entry 1D tables that the "Autodesk Lustre 1D"
// and "Fusion 1D" profiles write by default.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "formats/LUTFormat.h"

namespace zelvo {
namespace {

constexpr int kEntries = 65536;

void FillCurves(TLUT& lut) {
  lut.Kind = TLUTKind::lk1D;
  lut.Size1D = kEntries;
  for (int i = 0; i < kEntries; ++i) {
    const double x = static_cast<double>(i) / (kEntries - 1);
    lut.Table1D(i) = TLUTEntry{std::pow(x, 1.0 / 2.2), x * x, 0.5 * x + 0.5 * x * x * x};
  }
}

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("zelvo-bench-" + name)).string();
}

void BM_Save1D(benchmark::State& state, const char* caption, const char* file_name) {
  auto lut = std::make_unique<TLUT>();
  FillCurves(*lut);
  const std::string file = TempFile(file_name);
  const TLutOutputProfile& profile = *OutputProfileByCaption(caption);
  for (auto _ : state) SaveLUTFile(file, *lut, profile);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
  std::filesystem::remove(file);
}

void BM_Load1D(benchmark::State& state, const char* caption, const char* file_name) {
  auto lut = std::make_unique<TLUT>();
  FillCurves(*lut);
  const std::string file = TempFile(file_name);
  SaveLUTFile(file, *lut, *OutputProfileByCaption(caption));
  for (auto _ : state) {
    // A fresh LUT per load, as the conversion job does.
    TLUT target;
    LoadLUTFile(file, target);
    benchmark::DoNotOptimize(target.Table1D(kEntries - 1));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
  std::filesystem::remove(file);
}

BENCHMARK_CAPTURE(BM_Save1D, Lustre1D, "Autodesk Lustre 1D", "save.lut")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load1D, Lustre1D, "Autodesk Lustre 1D", "load.lut")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save1D, Fusion1D, "Fusion 1D", "save.alut")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load1D, Fusion1D, "Fusion 1D", "load.alut")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo
