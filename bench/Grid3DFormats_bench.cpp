// Loading and saving 3dl files at the grid sizes of the 3DL profiles and above.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "formats/LUTFormat.h"

namespace zelvo {
namespace {

// A smooth table whose codes span the whole 12-bit range.
std::unique_ptr<TLUT> GradedTable(int n) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = TLUTKind::lk3D;
  lut->Size3D = n;
  const double s = n - 1;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        lut->Table3D(r, g, b) = TLUTEntry{std::sqrt(r / s), 0.7 * g / s + 0.3 * b / s, b / s * r / s};
  return lut;
}

std::string BenchFile(const char* name) {
  return (std::filesystem::temp_directory_path() / (std::string("zelvo-bench-grid3d-") + name)).string();
}

const TLutOutputProfile& ThreeDlProfile() { return *OutputProfileByCaption("3DL Fusion"); }

void BM_Save3dl(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto lut = GradedTable(n);
  const std::string file = BenchFile("save.3dl");
  for (auto _ : state) SaveLUTFile(file, *lut, ThreeDlProfile());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
  std::filesystem::remove(file);
}
BENCHMARK(BM_Save3dl)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_Load3dl(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string file = BenchFile("load.3dl");
  SaveLUTFile(file, *GradedTable(n), ThreeDlProfile());
  for (auto _ : state) {
    // A fresh LUT per load, as the conversion job does.
    TLUT target;
    LoadLUTFile(file, target);
    benchmark::DoNotOptimize(target.Table3D(n - 1, n - 1, n - 1));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
  std::filesystem::remove(file);
}
BENCHMARK(BM_Load3dl)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo
