// Tracing the default levels of a large field: a plume-shaped concentration with a few
// secondary peaks, so every level has both open and closed lines.
#include <benchmark/benchmark.h>

#include <cmath>

#include "present/contour.h"

namespace {

present::GridData plumeField(int n) {
  present::GridData g;
  g.nx = g.ny = n;
  g.xmin = 0;
  g.xmax = 5000;  // m downwind
  g.ymin = -2500;
  g.ymax = 2500;  // m crosswind
  g.z.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double y = g.ymin + (g.ymax - g.ymin) * static_cast<float>(i) / static_cast<float>(n - 1);
    for (int j = 0; j < n; ++j) {
      const double x =
          g.xmin + (g.xmax - g.xmin) * static_cast<float>(j) / static_cast<float>(n - 1) + 1;
      const double sy = 0.08 * x + 5;
      double c = 1e3 / x * std::exp(-0.5 * y * y / (sy * sy));
      c += 0.2 * std::sin(x / 150.0) * std::cos(y / 170.0) + 0.2;  // ripples: closed lines
      const auto v = static_cast<float>(c);
      g.z[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)] =
          v;
    }
  }
  g.zmax = 0.8f;  // 11 levels 0, 0.08, ..., 0.8 through the ripples and the plume
  return g;
}

void BM_TraceDefaultLevels(benchmark::State& state) {
  const present::GridData g = plumeField(static_cast<int>(state.range(0)));
  std::size_t lines = 0;
  int levels = 0;
  for (auto _ : state) {
    present::ContourSet set(g);
    set.buildDefaultLevels();
    set.traceAll();
    levels = set.levels().count();
    lines = 0;
    for (const auto& level : set.lines()) lines += level.size();
    benchmark::DoNotOptimize(lines);
  }
  state.counters["levels"] = levels;
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_TraceDefaultLevels)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

// The same tracing handing each line to a sink that only counts, as the streamed export does.
class CountingSink : public present::ContourSink {
 public:
  std::size_t lines = 0, points = 0;
  void beginLevel(int, float) override {}
  void line(const present::ContourLine& l) override {
    ++lines;
    points += l.points.size();
  }
  void endLevel(int) override {}
};

void BM_TraceDefaultLevelsToSink(benchmark::State& state) {
  const present::GridData g = plumeField(static_cast<int>(state.range(0)));
  const present::ContourLevels levels = present::defaultLevels(g.zmin, g.zmax);
  std::size_t lines = 0;
  for (auto _ : state) {
    CountingSink sink;
    present::traceToSink(g, levels, sink);
    lines = sink.lines;
    benchmark::DoNotOptimize(sink.points);
  }
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_TraceDefaultLevelsToSink)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
