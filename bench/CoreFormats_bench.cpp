// Loading and saving cube files, and resampling, at the sizes colourists use.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "formats/LUTFormat.h"
#include "lut/Resample.h"

namespace zelvo {
namespace {

// A grade as a real tool would bake it: a colour matrix and a display gamma,
// so the values are not short binary fractions.
void FillSample(TLUT& lut, int n) {
  lut.Kind = TLUTKind::lk3D;
  lut.Size3D = n;
  const double s = n - 1;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const double x = r / s, y = g / s, z = b / s;
        lut.Table3D(r, g, b) = TLUTEntry{std::pow(0.8123 * x + 0.1377 * y + 0.05 * z, 1 / 2.4),
                                         std::pow(0.0731 * x + 0.8892 * y + 0.0377 * z, 1 / 2.4),
                                         std::pow(0.0213 * x + 0.1044 * y + 0.8743 * z, 1 / 2.4)};
      }
}

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("zelvo-bench-" + name)).string();
}

void BM_SaveCube3D(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto lut = std::make_unique<TLUT>();
  FillSample(*lut, n);
  const std::string file = TempFile("save.cube");
  const TLutOutputProfile& profile = *OutputProfileByCaption("Cube 3D Davinci");
  for (auto _ : state) SaveLUTFile(file, *lut, profile);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
  std::filesystem::remove(file);
}
BENCHMARK(BM_SaveCube3D)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_LoadCube3D(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto lut = std::make_unique<TLUT>();
  FillSample(*lut, n);
  const std::string file = TempFile("load.cube");
  SaveLUTFile(file, *lut, *OutputProfileByCaption("Cube 3D Davinci"));
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
BENCHMARK(BM_LoadCube3D)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_Resample3D(benchmark::State& state) {
  const int from = static_cast<int>(state.range(0));
  const int to = static_cast<int>(state.range(1));
  auto source = std::make_unique<TLUT>();
  FillSample(*source, from);
  auto target = std::make_unique<TLUT>();
  target->Kind = TLUTKind::lk3D;
  target->Size3D = to;
  for (auto _ : state) {
    ResampleLUT(*target, *source);
    benchmark::DoNotOptimize(target->Table3D(1, 1, 1));
  }
}
BENCHMARK(BM_Resample3D)->Args({33, 65})->Args({65, 33})->Unit(benchmark::kMillisecond);

void BM_Resample3DTo1D(benchmark::State& state) {
  auto source = std::make_unique<TLUT>();
  FillSample(*source, 33);
  auto target = std::make_unique<TLUT>();
  target->Kind = TLUTKind::lk1D;
  target->Size1D = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ResampleLUT(*target, *source);
    benchmark::DoNotOptimize(target->Table1D(1));
  }
}
BENCHMARK(BM_Resample3DTo1D)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo
