// Comparing two LUTs, as `zelvo-lut diff` does. Target: two 65-point cubes
// compared, loads included, in under 50 ms.
#include "BenchSupport.h"
#include "lut/Compare.h"

namespace zelvo::bench {
namespace {

// A second table a little away from the first everywhere, as a conversion
// through six decimals leaves it.
std::unique_ptr<TLUT> Rounded(const TLUT& source) {
  auto lut = std::make_unique<TLUT>(source.Copy());
  const std::size_t n = static_cast<std::size_t>(lut->Size3D());
  for (TLUTEntry* e = lut->Data3D(); e != lut->Data3D() + n * n * n; ++e) {
    *e = TLUTEntry{std::round(e->R * 1e6) / 1e6, std::round(e->G * 1e6) / 1e6, std::round(e->B * 1e6) / 1e6};
  }
  return lut;
}

void BM_CompareLUTs(benchmark::State& state, TCompareSpace space) {
  const auto a = GradedTable(static_cast<int>(state.range(0)));
  const auto b = Rounded(*a);
  TCompareOptions options;
  options.Space = space;
  for (auto _ : state) {
    const TCompareReport report = CompareLUTs(*a, *b, options);
    benchmark::DoNotOptimize(report.MaxDE);
  }
}
BENCHMARK_CAPTURE(BM_CompareLUTs, SRGB, TCompareSpace::csSRGB)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CompareLUTs, NoColourDifference, TCompareSpace::csNone)->Arg(65)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo::bench
