// The combine dialog's preview on the offscreen platform: a change to a
// chain of two 33-point cubes, from the click to the repainted dialog (the
// chain built anew by the core and applied to the pane's picture). Target:
// under 100 ms on a 2-core machine.
//   QT_QPA_PLATFORM=offscreen zelvo_app_bench --benchmark_filter=Combine
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "../BenchSupport.h"
#include "app/CombineForm.h"
#include "app/MainForm.h"
#include "image/ApplyLUT.h"

namespace zelvo::bench {
namespace {

// Two 33-point cubes of different grades, written once.
const std::vector<std::string>& Cubes33() {
  static const std::vector<std::string> files = [] {
    const TLutOutputProfile& profile = OutputProfileOf(TOutputProfileId::Cube3DDavinci);
    std::vector<std::string> names{BenchFile("combine-a.cube"), BenchFile("combine-b.cube")};
    SaveLUTFile(names[0], *GradedTable(33), profile);
    auto other = GradedTable(33);
    for (int i = 0; i < 33 * 33 * 33; ++i) other->Data3D()[i].R *= 0.92;
    SaveLUTFile(names[1], *other, profile);
    return names;
  }();
  return files;
}

// The dialog with both cubes in its chain, shown on the pane's picture.
std::unique_ptr<TfrmCombine> DialogWithTwoCubes(const TfrmMain& window) {
  auto dialog = std::make_unique<TfrmCombine>(nullptr, window.UngradedPicture(), TInterpolation::Trilinear,
                                              TListRows{{}, Cubes33()});
  dialog->btnAddChecked->click();
  dialog->show();
  QApplication::processEvents();
  return dialog;
}

// The two cubes swapped, back and forth.
void BM_CombineMoveStep(benchmark::State& state) {
  TfrmMain window;
  const auto dialog = DialogWithTwoCubes(window);
  for (auto _ : state) {
    dialog->lvwSteps->setCurrentItem(dialog->lvwSteps->topLevelItem(0));
    dialog->btnMoveDown->click();
    dialog->repaint();
  }
}
BENCHMARK(BM_CombineMoveStep)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The first cube inverted (timed), then back (not timed): the inverse is
// prepared and searched for every pixel of the picture.
void BM_CombineInvertStep(benchmark::State& state) {
  TfrmMain window;
  const auto dialog = DialogWithTwoCubes(window);
  QTreeWidgetItem* first = dialog->lvwSteps->topLevelItem(0);
  for (auto _ : state) {
    first->setCheckState(colInvert, Qt::Checked);
    dialog->repaint();
    state.PauseTiming();
    first->setCheckState(colInvert, Qt::Unchecked);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CombineInvertStep)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// A number of a grade between the cubes typed.
void BM_CombineTypeCDLNumber(benchmark::State& state) {
  TfrmMain window;
  const auto dialog = DialogWithTwoCubes(window);
  dialog->btnAddCDL->click();
  dialog->btnMoveUp->click();
  QLineEdit* slope = dialog->edtCDL[cdlSlopeR];
  bool other = false;
  for (auto _ : state) {
    const QString text = (other = !other) ? QStringLiteral("1.1") : QStringLiteral("1.2");
    slope->setText(text);
    emit slope->textEdited(text);
    dialog->repaint();
  }
}
BENCHMARK(BM_CombineTypeCDLNumber)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
}  // namespace zelvo::bench

namespace zelvo::bench {
namespace {

// The parts of an inverted change: the chain made (its inverse prepared),
// and the chain applied to every pixel of the pane's picture as the main
// window's pane applies a LUT (the dialog evaluates each colour once).
void BM_CombineBuildInvertedChain(benchmark::State& state) {
  const std::vector<TChainStep> steps{LUTStep(Cubes33()[0], true), LUTStep(Cubes33()[1])};
  for (auto _ : state) benchmark::DoNotOptimize(BuildChainLUT(steps, TInterpolation::Trilinear).Evaluator);
}
BENCHMARK(BM_CombineBuildInvertedChain)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_CombineApplyInvertedChainToEveryPixel(benchmark::State& state) {
  const TLUT chain = BuildChainLUT({LUTStep(Cubes33()[0], true), LUTStep(Cubes33()[1])}, TInterpolation::Trilinear);
  TfrmMain window;
  for (auto _ : state) {
    TBitmap24 picture = window.UngradedPicture().Copy();
    ApplyLUTToBitmap(chain, picture);
    benchmark::DoNotOptimize(picture.Pixels());
  }
}
BENCHMARK(BM_CombineApplyInvertedChainToEveryPixel)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
}  // namespace zelvo::bench
