// A plant of 200 point sources and 5 barriers over a 500 m x 500 m grid at 5 m (10,201
// receivers, 2.04 M source-receiver paths of 8 bands), on 1 and 2 threads. Counters: wall time
// per path and per path per core, CPU time per path, and the speed-up of 2 threads over 1 measured
// in this run.
//
// BM_NoiseGridBuildings: the same grid over a plant of 200 sources among 50 buildings and 10
// reflecting barriers on 2 threads, with side diffraction, without reflections (arg 0) and with
// first-order reflections (arg 1); arg 2 and 3 the same with every third building L-shaped. Its
// wall time against BM_NoiseGrid/2 of the same run is the ratio to quote on a shared machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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

// 50 buildings (6-20 m, 15-40 m by 10-30 m) on a jittered grid of plots, 10 reflecting
// barriers, 200 point sources between them.
np::Scene plantWithBuildings(int reflection_order, bool l_shaped = false) {
  np::Scene s;
  s.settings.ground_g = 0.5;
  s.settings.lateral_diffraction = true;
  s.settings.reflection_order = reflection_order;
  std::uint32_t seed = 424242;
  auto next = [&seed](double lo, double hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * (seed >> 8) / double(1u << 24);
  };
  for (int k = 0; k < 50; ++k) {
    const double cx = 60 + 55 * (k % 8) + next(-5, 5), cy = 60 + 60 * (k / 8) + next(-5, 5);
    const double w = next(15, 40) / 2, h = next(10, 30) / 2;
    np::Building b;
    b.footprint = {{cx - w, cy - h}, {cx + w, cy - h}, {cx + w, cy + h}, {cx - w, cy + h}};
    b.h_m = next(6, 20);
    b.reflective = false;
    if (l_shaped && k % 3 == 0)  // a quarter cut off: an L
      b.footprint = {{cx - w, cy - h}, {cx + w, cy - h}, {cx + w, cy},
                     {cx, cy},         {cx, cy + h},     {cx - w, cy + h}};
    s.buildings.push_back(b);
  }
  // Within 1 m of a building's box (an L's box is its whole plot).
  auto inBuilding = [&](double x, double y) {
    for (const auto& b : s.buildings) {
      double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
      for (const auto& q : b.footprint) {
        x0 = std::min(x0, q.x), x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
      }
      if (x >= x0 - 1 && x <= x1 + 1 && y >= y0 - 1 && y <= y1 + 1) return true;
    }
    return false;
  };
  for (int i = 0; i < 200; ++i) {
    np::Source src;
    src.name = std::to_string(i);
    double x, y;
    do {
      x = next(50, 450);
      y = next(50, 450);
    } while (inBuilding(x, y));
    src.geometry = {{x, y}};
    src.h_m = next(1, 8);
    for (auto& v : src.emission.lw) v = next(85, 105);
    s.sources.push_back(src);
  }
  for (int i = 0; i < 10; ++i) {
    np::Barrier b;
    const double x = next(20, 480), y = next(20, 480), a = next(0, 3.14159);
    const double l = next(40, 120);
    b.line = {{x, y}, {x + l * std::cos(a), y + l * std::sin(a)}};
    b.h_m = next(3, 6);
    b.reflective = true;
    s.barriers.push_back(b);
  }
  np::GridSpec g;
  g.ring = {{0, 0}, {500, 0}, {500, 500}, {0, 500}};
  g.spacing_m = 5;
  g.h_m = 1.2;
  s.grid = g;
  return s;
}

double g_peer_two_threads_s = 0;  // BM_NoiseGrid/2 of this run
double g_one_thread_s = 0;        // seconds per grid on one thread, from the first run
double g_one_thread_cpu_ns = 0;   // CPU time per path on one thread

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
  if (opts.threads == 2) g_peer_two_threads_s = per_grid;
  if (g_one_thread_s > 0) {
    state.counters["speedup"] = g_one_thread_s / per_grid;
    state.counters["speedup_per_core"] = g_one_thread_s / per_grid / double(opts.threads);
  }
  state.counters["ns_per_path"] = per_grid * 1e9 / paths;
  state.counters["ns_per_path_core"] = per_grid * 1e9 * double(opts.threads) / paths;
  state.counters["paths"] = paths;
}
BENCHMARK(BM_NoiseGrid)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NoiseGridBuildings(benchmark::State& state) {
  const np::Scene scene =
      plantWithBuildings(static_cast<int>(state.range(0) % 2), state.range(0) >= 2);
  np::ComputeOptions opts;
  opts.threads = 2;
  double paths = 0, seconds = 0;
  const std::clock_t cpu0 = std::clock();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const np::GridResult g = np::computeGrid(scene, opts);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!g.error.empty()) state.SkipWithError(g.error.c_str());
    paths = double(g.la.size()) * double(scene.sources.size());
    benchmark::DoNotOptimize(g.la.data());
  }
  const double per_grid = seconds / double(state.iterations());
  const double cpu_s = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
  state.counters["ns_per_path"] = per_grid * 1e9 / paths;
  state.counters["cpu_ns_per_path"] = cpu_s * 1e9 / (paths * double(state.iterations()));
  state.counters["paths"] = paths;
  if (g_peer_two_threads_s > 0) state.counters["x_plain_grid"] = per_grid / g_peer_two_threads_s;
}
BENCHMARK(BM_NoiseGridBuildings)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
