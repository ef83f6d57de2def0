// The read-only XML formats, and the XML reader alone on a large document.
#include <string>

#include "BenchSupport.h"
#include "base/TextFile.h"
#include "base/XMLNode.h"

namespace zelvo::bench {
namespace {

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

// One tag with many attributes: the names are indexed, so the time grows with
// the count, not with its square (compare the two sizes).
void BM_XMLReaderManyAttributes(benchmark::State& state) {
  std::string tag = "<a";
  for (int i = 0; i < state.range(0); ++i) tag += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
  tag += "/>";
  for (auto _ : state) {
    TXMLNode doc;
    doc.LoadFromString(tag);
    benchmark::DoNotOptimize(doc.ChildCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_XMLReaderManyAttributes)->Arg(5'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvo::bench
