// Resampling between grid sizes and from 3D to 1D. Target: 33 to 65 points in
// under 15 ms.
#include "BenchSupport.h"
#include "lut/Resample.h"

namespace zelvo::bench {
namespace {

void BM_Resample(benchmark::State& state, TLUTKind kind) {
  const auto source = GradedTable(static_cast<int>(state.range(0)));
  auto target = std::make_unique<TLUT>();
  target->Kind = kind;
  if (kind == TLUTKind::lk3D) target->SetSize3D(static_cast<int>(state.range(1)));
  else target->SetSize1D(static_cast<int>(state.range(1)));
  for (auto _ : state) {
    ResampleLUT(*target, *source);
    benchmark::DoNotOptimize(target->Table3D(1, 1, 1));
  }
}
BENCHMARK_CAPTURE(BM_Resample, To3D, TLUTKind::lk3D)->Args({33, 65})->Args({65, 33})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Resample, To1D, TLUTKind::lk1D)->Args({33, 4096})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo::bench
