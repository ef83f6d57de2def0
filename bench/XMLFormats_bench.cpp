// Loading and saving the XML-based formats at their profile sizes and above,
// the XML reader alone on a large document, and building the ASC CDL table.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "formats/LUTFormat.h"
#include "formats/TextFile.h"
#include "formats/XMLNode.h"

namespace zelvo {
namespace {

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

std::unique_ptr<TLUT> GradedCurve(int m) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = TLUTKind::lk1D;
  lut->Size1D = m;
  for (int i = 0; i < m; ++i) {
    const double x = static_cast<double>(i) / (m - 1);
    lut->Table1D(i) = TLUTEntry{std::sqrt(x), x * x, x};
  }
  return lut;
}

std::string BenchFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("zelvo-bench-xml-" + name)).string();
}

void LoadLoop(benchmark::State& state, const std::string& file) {
  for (auto _ : state) {
    TLUT target;
    LoadLUTFile(file, target);
    benchmark::DoNotOptimize(target.Table3D(0, 0, 0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
  std::filesystem::remove(file);
}

void BM_SaveClipster(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto lut = GradedTable(n);
  const std::string file = BenchFile("save.txt");
  for (auto _ : state) SaveLUTFile(file, *lut, *OutputProfileByCaption("Clipster 3D"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(file)));
  std::filesystem::remove(file);
}
BENCHMARK(BM_SaveClipster)->Arg(17)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_LoadClipster(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string file = BenchFile("load.txt");
  SaveLUTFile(file, *GradedTable(n), *OutputProfileByCaption("Clipster 3D"));
  LoadLoop(state, file);
}
BENCHMARK(BM_LoadClipster)->Arg(17)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_LoadPFClean(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string file = BenchFile("load.pfl");
  SaveLUTFile(file, *GradedTable(n), *OutputProfileByCaption("PixelFarm PFClean 3D"));
  LoadLoop(state, file);
}
BENCHMARK(BM_LoadPFClean)->Arg(16)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_LoadStwo(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  const std::string file = BenchFile("load.swto.xml");
  SaveLUTFile(file, *GradedCurve(m), *OutputProfileByCaption("S.two 1D"));
  LoadLoop(state, file);
}
BENCHMARK(BM_LoadStwo)->Arg(1024)->Arg(65536)->Unit(benchmark::kMillisecond);

void BM_LoadSpeedgradeLook(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::string data;
  data.reserve(static_cast<std::size_t>(n) * n * n * 24 + 64);
  for (long long i = 0; i < static_cast<long long>(n) * n * n * 3; ++i) {
    data += (i % 2 == 0) ? "0000803F" : "0000003F";
    if (i % 8 == 7) data += "\n";
  }
  const std::string file = BenchFile("load.look");
  WriteFileAtomically(file, "<?xml version=\"1.0\" ?>\n<look>\n<shaders></shaders>\n<LUT>\n<size>\"" +
                                std::to_string(n) + "\"</size>\n<data>\"" + data + "\"</data>\n</LUT>\n</look>\n");
  LoadLoop(state, file);
}
BENCHMARK(BM_LoadSpeedgradeLook)->Arg(33)->Arg(65)->Unit(benchmark::kMillisecond);

void BM_LoadCDL(benchmark::State& state) {
  const std::string file = BenchFile("load.cc");
  WriteFileAtomically(file,
                      "<ColorCorrection id=\"a\"><SOPNode><Slope>1.1 1 0.9</Slope><Offset>0.01 0 -0.02</Offset>"
                      "<Power>1 1.2 0.8</Power></SOPNode><SatNode><Saturation>0.8</Saturation></SatNode>"
                      "</ColorCorrection>\n");
  LoadLoop(state, file);
}
BENCHMARK(BM_LoadCDL)->Unit(benchmark::kMillisecond);

// The reader alone: many small elements, as in a long S.two file.
void BM_XMLReaderElements(benchmark::State& state) {
  std::string text = "<lut><data>\n";
  for (int i = 0; i < 65536; ++i) text += "<elem r=\"1023\" g=\"512\" b=\"0\"/>\n";
  text += "</data></lut>\n";
  for (auto _ : state) {
    TXMLNode doc;
    doc.LoadFromString(text);
    benchmark::DoNotOptimize(doc.ChildCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_XMLReaderElements)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo
