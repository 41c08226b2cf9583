#include "models/noise/propagation/engine.h"

#include <chrono>
#include <cmath>
#include <limits>

#include "models/noise/propagation/emitters.h"
#include "models/noise/propagation/scene_file.h"
#include "models/noise/propagation/scene_io_detail.h"

#ifdef _OPENMP
#include <omp.h>
#endif

namespace models::noise::propagation {

namespace {

using namespace detail;

constexpr double kDayHours = 16;   // 06:00-22:00
constexpr double kNightHours = 8;  // 22:00-06:00

double tenLg(double energy) {
  return energy > 0 ? 10 * std::log10(energy) : -std::numeric_limits<double>::infinity();
}

int threadCount(const ComputeOptions& opts) {
#ifdef _OPENMP
  return opts.threads > 0 ? opts.threads : omp_get_max_threads();
#else
  (void)opts;
  return 1;
#endif
}

int threadIndex() {
#ifdef _OPENMP
  return omp_get_thread_num();
#else
  return 0;
#endif
}

// Runs body(i, scratch) for i in [0, n) on the worker threads, reporting progress from the
// first one and skipping the rest once cancelled. Returns false when cancelled.
template <class Body>
bool forEachReceiver(std::size_t n, const ComputeOptions& opts, Body body) {
  std::atomic<std::size_t> done{0};
  std::atomic<bool> stopped{false};
  const auto start = std::chrono::steady_clock::now();
  auto last = start;
  const auto count = static_cast<long long>(n);
#pragma omp parallel num_threads(threadCount(opts))
  {
    Scratch sc;
#pragma omp for schedule(dynamic, 8)
    for (long long i = 0; i < count; ++i) {
      if (stopped.load(std::memory_order_relaxed)) continue;
      if (opts.cancel && opts.cancel->load(std::memory_order_relaxed)) {
        stopped = true;
        continue;
      }
      body(static_cast<std::size_t>(i), sc);
      const std::size_t k = ++done;
      if (opts.progress && threadIndex() == 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last > std::chrono::milliseconds(200)) {
          last = now;
          opts.progress(k, n);
        }
      }
    }
  }
  if (stopped) return false;
  if (opts.progress) opts.progress(n, n);
  return true;
}

// Leqg = 10 lg((1/T) sum t_i 10^(0.1 LA_i)), then (+) the background and the exceedance.
PeriodLevels period(double hours, double weighted_energy, std::optional<double> background,
                    std::optional<double> limit) {
  PeriodLevels p;
  p.hours = hours;
  p.contribution_db = tenLg(weighted_energy / hours);
  p.background_db = background;
  p.predicted_db =
      tenLg(weighted_energy / hours + (background ? std::pow(10.0, 0.1 * *background) : 0));
  p.limit_db = limit;
  if (limit) p.exceedance_db = p.predicted_db - *limit;
  return p;
}

PathEnd receiverAt(const Prepared& p, Point2 at, double h) {
  return {at, p.groundZ(at.x, at.y), h, heightTerms(h)};
}

}  // namespace

double aWeightedSum(const Bands& lp) {
  double e = 0;
  for (std::size_t b = 0; b < kBands; ++b) e += std::pow(10.0, 0.1 * (lp[b] + kAWeight[b]));
  return tenLg(e);
}

ReceptorsResult computeReceptors(const Scene& scene, const ComputeOptions& opts) {
  ReceptorsResult out;
  if (auto e = checkScene(scene)) {
    out.error = *e;
    return out;
  }
  out.warnings = sceneWarnings(scene);
  const Prepared p = prepare(scene);
  const std::vector<Emitter> emitters = buildEmitters(scene, p);
  const std::size_t ne = emitters.size();
  out.receptors.resize(scene.receptors.size());
  const bool done = forEachReceiver(scene.receptors.size(), opts, [&](std::size_t i, Scratch& sc) {
    const Receptor& r = scene.receptors[i];
    const PathEnd rcv = receiverAt(p, r.at, r.h_m);
    std::vector<double> bands(kBands * ne, 0.0), a(ne, 0.0);
    receive(p, emitters, rcv, sc, bands.data(), a.data());
    ReceptorResult& rr = out.receptors[i];
    rr.name = r.name;
    rr.at = r.at;
    rr.h_m = r.h_m;
    rr.ground_z_m = rcv.ground_z;
    rr.boundary = r.boundary;
    Bands total{};
    double a_total = 0, day = 0, night = 0;
    for (std::size_t k = 0; k < ne; ++k) {
      SourceLevel s;
      s.name = emitters[k].name;
      for (std::size_t b = 0; b < kBands; ++b) {
        s.lp[b] = tenLg(bands[kBands * k + b]);
        total[b] += bands[kBands * k + b];
      }
      s.la_db = tenLg(a[k]);
      a_total += a[k];
      day += emitters[k].hours_day * a[k];
      night += emitters[k].hours_night * a[k];
      rr.sources.push_back(std::move(s));
    }
    for (std::size_t b = 0; b < kBands; ++b) rr.lp[b] = tenLg(total[b]);
    rr.la_db = tenLg(a_total);
    rr.day = period(kDayHours, day, r.background_day, r.limit_day);
    rr.night = period(kNightHours, night, r.background_night, r.limit_night);
  });
  out.cancelled = !done;
  return out;
}

GridResult computeGrid(const Scene& scene, const ComputeOptions& opts) {
  GridResult out;
  if (auto e = checkScene(scene)) {
    out.error = *e;
    return out;
  }
  if (!scene.grid) {
    out.error = "场景中没有计算网格";
    return out;
  }
  out.warnings = sceneWarnings(scene);
  const GridSpec& g = *scene.grid;
  out.nx = g.columns();
  out.ny = g.rows();
  out.xmin = g.xmin();
  out.ymin = g.ymin();
  out.spacing_m = g.spacing_m;
  const std::size_t n = static_cast<std::size_t>(out.nx) * static_cast<std::size_t>(out.ny);
  out.la.assign(n, 0.0f);
  out.day.assign(n, 0.0f);
  out.night.assign(n, 0.0f);
  const Prepared p = prepare(scene);
  const std::vector<Emitter> emitters = buildEmitters(scene, p);
  const std::size_t ne = emitters.size();
  // Levels below 0 dB(A) (no source running) are written as 0 so the grid stays finite.
  auto level = [](double energy) { return static_cast<float>(std::max(0.0, tenLg(energy))); };
  const bool done = forEachReceiver(n, opts, [&](std::size_t i, Scratch& sc) {
    thread_local std::vector<double> a;
    a.assign(ne, 0.0);
    const std::size_t row = i / static_cast<std::size_t>(out.nx);
    const std::size_t col = i % static_cast<std::size_t>(out.nx);
    const Point2 at{out.xmin + static_cast<double>(col) * g.spacing_m,
                    out.ymin + static_cast<double>(row) * g.spacing_m};
    if (buildingAt(p, at) >= 0) {
      // Inside a building: not computed.
      out.la[i] = out.day[i] = out.night[i] = std::numeric_limits<float>::quiet_NaN();
      return;
    }
    receive(p, emitters, receiverAt(p, at, g.h_m), sc, nullptr, a.data());
    double total = 0, day = 0, night = 0;
    for (std::size_t k = 0; k < ne; ++k) {
      total += a[k];
      day += emitters[k].hours_day * a[k];
      night += emitters[k].hours_night * a[k];
    }
    out.la[i] = level(total);
    out.day[i] = level(day / kDayHours);
    out.night[i] = level(night / kNightHours);
  });
  out.cancelled = !done;
  return out;
}

std::optional<PathReport> describePath(const Scene& scene, std::size_t source,
                                       std::size_t receptor) {
  if (checkScene(scene) || source >= scene.sources.size() || receptor >= scene.receptors.size() ||
      scene.sources[source].kind != SourceKind::Point)
    return std::nullopt;
  const Prepared p = prepare(scene);
  const Source& s = scene.sources[source];
  const Receptor& r = scene.receptors[receptor];
  const Point2 at = s.geometry[0];
  const PathEnd src{at, p.groundZ(at.x, at.y), s.h_m, heightTerms(s.h_m)};
  const PathEnd rcv = receiverAt(p, r.at, r.h_m);
  Scratch sc;
  ScreenTerms t;
  PathReport out;
  attenuationFolded(p, src, rcv, nullptr, sc, &t, &out.agr);
  out.screened = t.screened;
  out.top = {t.z, t.e, t.edges, t.dz_top};
  out.dss = t.dss;
  out.dsr = t.dsr;
  if (t.left.found) out.left = PathReport::Path{t.left.z, t.left.e, t.left.edges, t.left.dz};
  if (t.right.found) out.right = PathReport::Path{t.right.z, t.right.e, t.right.edges, t.right.dz};
  Bands lw{};
  Bands reflected{};
  out.reflections = p.reflectors.empty() ? 0 : reflections(p, src, rcv, lw, sc, reflected);
  return out;
}

}  // namespace models::noise::propagation
