// Speed of the screening engine: a full-meteorology point source over the automated distances
// to 25 km, through the whole dialogue and report, and the distance table alone.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "screen/engine/distance_search.h"
#include "screen/engine/engine.h"

namespace {

const std::string kPointScript =
    "Rural point source, full meteorology, automated distances to 25 km\n"
    "P\n 100\n 50\n 2.5\n 15\n 420\n 293\n 0\nR\nN\nN\nN\n 1\nY\n 1 25000\nN\nN\nN\n";

void BM_FullRunPointToTwentyFiveKm(benchmark::State& state) {
  for (auto _ : state) {
    std::istringstream in(kPointScript);
    std::ostringstream console, report, echo;
    const auto r = screen::engine::runScreen(in, console, report, echo, {"20260101", "000000.0"});
    benchmark::DoNotOptimize(r.exitCode);
    benchmark::DoNotOptimize(report.str().size());
  }
}
BENCHMARK(BM_FullRunPointToTwentyFiveKm)->Unit(benchmark::kMillisecond);

void BM_AutomatedRangeOnly(benchmark::State& state) {
  using namespace screen::engine;
  Source s;
  s.q = 100;
  s.hs = 50;
  s.ds = 2.5f;
  s.vs = 15;
  s.ts = 420;
  s.ta = 293;
  s.fb = (9.80616f * s.vs * s.ds * s.ds * (s.ts - s.ta)) / (4.0f * s.ts);
  s.fm = (s.ta * s.vs * s.vs * s.ds * s.ds) / (4.0f * s.ts);
  PointContext ctx;
  ctx.src = &s;
  for (auto _ : state) {
    PointEvaluator ev(ctx, 0.0f);
    const RangeResult r = automatedRange(ev, 1.0f, 25000.0f);
    benchmark::DoNotOptimize(r.maxLine.conc);
  }
}
BENCHMARK(BM_AutomatedRangeOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
