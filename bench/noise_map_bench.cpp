// A plant of 200 point sources and 5 barriers over a 500 m x 500 m grid at 5 m (10,201
// receivers, 2.04 M source-receiver paths of 8 bands), on 1 and 2 threads. Counters: wall time
// per path and per path per core, CPU time per path, and the speed-up of 2 threads over 1 measured
// in this run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <ctime>

#include "models/noise/propagation/engine.h"

namespace np = models::noise::propagation;

namespace {

np::Scene plant() {
  np::Scene s;
  s.settings.ground_g = 0.5;
  std::uint32_t seed = 12345;
  auto next = [&seed](double lo, double hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * (seed >> 8) / double(1u << 24);
  };
  for (int i = 0; i < 200; ++i) {
    np::Source src;
    src.name = std::to_string(i);
    src.geometry = {{next(100, 400), next(100, 400)}};
    src.h_m = next(1, 8);
    for (auto& v : src.emission.lw) v = next(85, 105);
    s.sources.push_back(src);
  }
  for (int i = 0; i < 5; ++i) {
    np::Barrier b;
    const double x = next(50, 450), y = next(50, 450);
    b.line = {
        {x, y}, {x + next(-60, 60), y + next(30, 90)}, {x + next(-60, 60), y + next(90, 150)}};
    b.h_m = next(3, 6);
    s.barriers.push_back(b);
  }
  np::GridSpec g;
  g.ring = {{0, 0}, {500, 0}, {500, 500}, {0, 500}};
  g.spacing_m = 5;
  g.h_m = 1.2;
  s.grid = g;
  return s;
}

double g_one_thread_s = 0;       // seconds per grid on one thread, from the first run
double g_one_thread_cpu_ns = 0;  // CPU time per path on one thread

void BM_NoiseGrid(benchmark::State& state) {
  const np::Scene scene = plant();
  np::ComputeOptions opts;
  opts.threads = static_cast<int>(state.range(0));
  double paths = 0, seconds = 0;
  const std::clock_t cpu0 = std::clock();  // CPU time of every thread of the process
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const np::GridResult g = np::computeGrid(scene, opts);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    paths = double(g.la.size()) * double(scene.sources.size());
    benchmark::DoNotOptimize(g.la.data());
  }
  const double cpu_s = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
  const double per_grid = seconds / double(state.iterations());
  // CPU time per path: what a path costs a core, whatever else the machine is running.
  const double cpu_ns = cpu_s * 1e9 / (paths * double(state.iterations()));
  state.counters["cpu_ns_per_path"] = cpu_ns;
  // On a machine shared with other work the wall-clock speed-up says little; the CPU time per
  // path against one thread's says what the threads cost (1: no overhead).
  if (opts.threads == 1) g_one_thread_cpu_ns = cpu_ns;
  if (g_one_thread_cpu_ns > 0) state.counters["cpu_efficiency"] = g_one_thread_cpu_ns / cpu_ns;
  if (opts.threads == 1) g_one_thread_s = per_grid;
  if (g_one_thread_s > 0) {
    state.counters["speedup"] = g_one_thread_s / per_grid;
    state.counters["speedup_per_core"] = g_one_thread_s / per_grid / double(opts.threads);
  }
  state.counters["ns_per_path"] = per_grid * 1e9 / paths;
  state.counters["ns_per_path_core"] = per_grid * 1e9 * double(opts.threads) / paths;
  state.counters["paths"] = paths;
}
BENCHMARK(BM_NoiseGrid)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
