// Timing of the result grid with a million cells (1000 x 1000 data cells plus headers).
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <memory>

#include "core/format.h"
#include "widgets/grid_ctrl.h"

namespace {

constexpr int kN = 1000;

std::unique_ptr<widgets::CGridCtrl> makeGrid() {
  auto g = std::make_unique<widgets::CGridCtrl>();
  g->resize(1000, 700);
  g->show();
  QApplication::processEvents();
  return g;
}

void shape(widgets::CGridCtrl& g) {
  g.SetRowCount(kN + 1);
  g.SetColumnCount(kN + 1);
  g.SetFixedRowCount(1);
  g.SetFixedColumnCount(1);
}

// Texts already made: the grid's own cost.
void BM_GridFillPrepared(benchmark::State& state) {
  std::vector<QString> texts;
  for (int i = 0; i < kN; ++i) texts.push_back(QString::number(i * 0.001, 'f', 4));
  for (auto _ : state) {
    auto g = makeGrid();
    shape(*g);
    for (int r = 1; r <= kN; ++r)
      for (int c = 1; c <= kN; ++c) g->SetItemText(r, c, texts[static_cast<size_t>((r + c) % kN)]);
    QApplication::processEvents();  // the one deferred repaint
  }
}
BENCHMARK(BM_GridFillPrepared)->Unit(benchmark::kMillisecond);

// As a page fills it: every cell formatted with "%.4f" and handed over as UTF-8.
void BM_GridFillFormatted(benchmark::State& state) {
  for (auto _ : state) {
    auto g = makeGrid();
    shape(*g);
    for (int r = 1; r <= kN; ++r)
      for (int c = 1; c <= kN; ++c) g->SetItemText(r, c, core::cformat("%.4f", r * 0.1 + c * 1e-4));
    QApplication::processEvents();
  }
}
BENCHMARK(BM_GridFillFormatted)->Unit(benchmark::kMillisecond);

// Twenty jumps across the whole grid, each painted.
void BM_GridScroll20Steps(benchmark::State& state) {
  auto g = makeGrid();
  shape(*g);
  for (int r = 1; r <= kN; ++r)
    for (int c = 1; c <= kN; ++c) g->SetItemText(r, c, QString::number(r * c));
  QApplication::processEvents();
  for (auto _ : state) {
    for (int step = 0; step < 20; ++step) {
      g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum() * step / 19);
      g->horizontalScrollBar()->setValue(g->horizontalScrollBar()->maximum() * step / 19);
      g->viewport()->repaint();
    }
  }
}
BENCHMARK(BM_GridScroll20Steps)->Unit(benchmark::kMillisecond);

// Ctrl+A and the clipboard text of all million cells.
void BM_GridCopyAll(benchmark::State& state) {
  auto g = makeGrid();
  shape(*g);
  for (int r = 1; r <= kN; ++r)
    for (int c = 1; c <= kN; ++c) g->SetItemText(r, c, QString::number(r * c));
  for (auto _ : state) {
    g->SetSelectedRange(0, 0, kN, kN);
    benchmark::DoNotOptimize(g->SelectionText());
  }
}
BENCHMARK(BM_GridCopyAll)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
