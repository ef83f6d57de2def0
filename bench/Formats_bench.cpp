// Loading and saving through the output profiles, at their default sizes and
// at the largest ones colourists use. Targets on a 2-core machine: a 65-point
// cube or 3dl loads in under 30 ms and saves in under 25 ms; a 65,536-entry
// Lustre 1D or Fusion 1D table loads and saves in under 20 ms. A CLF chain
// that must be baked into a 65-point table reads in under 30 ms.
#include "BenchSupport.h"

namespace zelvo::bench {
namespace {

#define ZELVO_FORMAT_BENCH(name, caption, ...)                                                         \
  BENCHMARK_CAPTURE(SaveBenchmark, name, caption)->Unit(benchmark::kMillisecond)->Arg(__VA_ARGS__); \
  BENCHMARK_CAPTURE(LoadBenchmark, name, caption)->Unit(benchmark::kMillisecond)->Arg(__VA_ARGS__)

ZELVO_FORMAT_BENCH(Cube3D_33, "Cube 3D Davinci", 33);
ZELVO_FORMAT_BENCH(Cube3D_65, "Cube 3D Davinci", 65);
ZELVO_FORMAT_BENCH(ThreeDL_33, "3DL Fusion", 33);
ZELVO_FORMAT_BENCH(ThreeDL_65, "3DL Fusion", 65);
ZELVO_FORMAT_BENCH(Clipster_65, "Clipster 3D", 65);
ZELVO_FORMAT_BENCH(PFClean_65, "PixelFarm PFClean 3D", 65);
ZELVO_FORMAT_BENCH(Lustre1D_65536, "Autodesk Lustre 1D", 65536);
ZELVO_FORMAT_BENCH(Fusion1D_65536, "Fusion 1D", 65536);
ZELVO_FORMAT_BENCH(Stwo1D_65536, "S.two 1D", 65536);
ZELVO_FORMAT_BENCH(CLF3D_65, "Academy/ASC CLF 3D", 65);
ZELVO_FORMAT_BENCH(CLF1D_65536, "Academy/ASC CLF 1D", 65536);

}  // namespace
}  // namespace zelvo::bench

namespace zelvo::bench {
namespace {

// The same without the file system: parsing into a table, and printing a table.
void BM_ParseCube(benchmark::State& state) {
  const TLutOutputProfile& profile = OutputProfileOf(TOutputProfileId::Cube3DDavinci);
  const auto text = SaveLUTText(*GradedTable(static_cast<int>(state.range(0))), profile, -1, "bench");
  for (auto _ : state) {
    TLUT lut;
    LoadLUTFromMemory("bench.cube", text, lut);
    benchmark::DoNotOptimize(lut.Data3D());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseCube)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_PrintCube(benchmark::State& state) {
  const TLutOutputProfile& profile = OutputProfileOf(TOutputProfileId::Cube3DDavinci);
  const auto lut = GradedTable(static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto text = SaveLUTText(*lut, profile, -1, "bench");
    bytes += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_PrintCube)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo::bench

namespace zelvo::bench {
namespace {

// A camera log curve and its gamut matrix: a chain that is baked into a
// 65-point table when it is read.
void BM_BakeCLFChain(benchmark::State& state) {
  const std::string text = R"(<?xml version="1.0" encoding="UTF-8"?>
<ProcessList compCLFversion="3" id="bench">
  <Log inBitDepth="32f" outBitDepth="32f" style="cameraLogToLin">
    <LogParams base="10" linSideSlope="155.975327" linSideOffset="2.55975327" logSideSlope="0.224282"
      logSideOffset="0" linSideBreak="-0.01"/>
  </Log>
  <Matrix inBitDepth="32f" outBitDepth="32f"><Array dim="3 3">
0.785058804068092 0.0838587565440846 0.131082439387823
0.0231738348454756 1.08789754919233 -0.111071384037806
-0.0737604353682082 -0.314590072290208 1.38835050765842
  </Array></Matrix>
</ProcessList>
)";
  for (auto _ : state) {
    TLUT lut;
    LoadLUTFromMemory("bench.clf", text, lut);
    benchmark::DoNotOptimize(lut.Data3D());
  }
}
BENCHMARK(BM_BakeCLFChain)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo::bench
