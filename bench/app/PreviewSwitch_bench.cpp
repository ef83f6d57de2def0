// The preview pane on the offscreen platform: selecting another row of a
// 65-point cube, from the click to the repainted window, and the steps it
// takes on its own. Target: a switch in under 50 ms on a 2-core machine.
//   QT_QPA_PLATFORM=offscreen zelvo_app_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>
#include <filesystem>

#include "../BenchSupport.h"
#include "app/MainForm.h"
#include "convert/PreviewFile.h"
#include "image/ApplyLUT.h"

namespace zelvo::bench {
namespace {

// Two 65-point cubes of different grades, written once for every benchmark.
const std::vector<std::string>& Cubes() {
  static const std::vector<std::string> files = [] {
    const TLutOutputProfile& profile = OutputProfileOf(TOutputProfileId::Cube3DDavinci);
    std::vector<std::string> names{BenchFile("switch-a.cube"), BenchFile("switch-b.cube")};
    SaveLUTFile(names[0], *GradedTable(65), profile);
    auto other = GradedTable(65);
    for (int i = 0; i < 65 * 65 * 65; ++i) other->Data3D()[i].B *= 0.9;
    SaveLUTFile(names[1], *other, profile);
    return names;
  }();
  return files;
}

void SelectRows(benchmark::State& state, bool curves) {
  TfrmMain window;
  window.AddFiles({QString::fromStdString(Cubes()[0]), QString::fromStdString(Cubes()[1])});
  window.show();
  if (curves) window.ShowCurvesWindow();
  QApplication::processEvents();
  int row = 0;
  for (auto _ : state) {
    row ^= 1;
    window.lvwFiles->setCurrentItem(window.lvwFiles->topLevelItem(row));
    window.repaint();  // the pane drawn, as the next frame would
    if (curves) window.CurvesWindow()->repaint();
  }
}

void BM_SelectRowCube65(benchmark::State& state) { SelectRows(state, false); }
BENCHMARK(BM_SelectRowCube65)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SelectRowCube65WithCurves(benchmark::State& state) { SelectRows(state, true); }
BENCHMARK(BM_SelectRowCube65WithCurves)->Unit(benchmark::kMillisecond)->UseRealTime();

// The steps: detecting the format, reading the table, applying it to the
// pane's picture.
void BM_DetectCube65(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(DetectLUTFormat(Cubes()[0]));
}
BENCHMARK(BM_DetectCube65)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadCube65(benchmark::State& state) {
  for (auto _ : state) {
    TLUT lut;
    LoadLUTFile(Cubes()[0], lut);
    benchmark::DoNotOptimize(lut.Data3D());
  }
}
BENCHMARK(BM_LoadCube65)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApplyCube65ToPane(benchmark::State& state) {
  TLUT lut;
  LoadLUTFile(Cubes()[0], lut);
  TfrmMain window;
  for (auto _ : state) {
    TBitmap24 picture = window.UngradedPicture().Copy();
    ApplyLUTToBitmap(lut, picture);
    benchmark::DoNotOptimize(picture.Pixels());
  }
}
BENCHMARK(BM_ApplyCube65ToPane)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zelvo::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (const std::string& file : zelvo::bench::Cubes()) std::filesystem::remove(file);
  for (const char* name : {"combine-a.cube", "combine-b.cube"}) std::filesystem::remove(zelvo::bench::BenchFile(name));
  return 0;
}
