#include "screen/engine/distance_search.h"

#include <cmath>

namespace screen::engine {

std::vector<float> rangeDistances(float xmin, float xmax) {
  static const std::vector<float> kArray = [] {
    std::vector<float> a{1.0f};
    for (int d = 100; d <= 3000; d += 100) a.push_back(static_cast<float>(d));
    for (int d = 3500; d <= 10000; d += 500) a.push_back(static_cast<float>(d));
    for (float d : {15000.0f, 20000.0f, 25000.0f, 30000.0f, 40000.0f, 50000.0f}) a.push_back(d);
    return a;
  }();
  std::vector<float> out{xmin};
  for (float d : kArray)
    if (d > xmin && d <= xmax) out.push_back(d);
  return out;
}

namespace {

constexpr float kAreaProbes[] = {-0.75f, -0.5f, -0.25f, -0.1f, 0.1f, 0.25f,
                                 0.5f,   0.75f, 1.0f,   2.0f,  5.0f, 10.0f};
constexpr float kPointProbes[] = {-0.95f, -0.90f, -0.85f, -0.80f, -0.75f, -0.70f, -0.65f,
                                  -0.60f, -0.55f, -0.50f, -0.45f, -0.40f, -0.35f, -0.30f,
                                  -0.25f, -0.20f, -0.15f, -0.10f, -0.05f, 0.05f,  0.10f,
                                  0.20f,  0.30f,  0.40f,  0.50f};

struct Point {
  float c, x;
  int k;
};

// Coarse scan around the range maximum: the best probe at or beyond the range minimum.
Point coarseScan(DistanceEvaluator& ev, const Row& arr, float xmin, int& kout) {
  const bool area = ev.isArea();
  Point p{arr.conc, arr.x, arr.cls};
  const float* probes = area ? kAreaProbes : kPointProbes;
  const int nProbes = area ? 12 : 25;
  for (int i = 0; i < nProbes; ++i) {
    ev.setLastStep(i == 0 ? -1.0f : 0.0f);
    float x = arr.x + arr.x * probes[i];
    if (!area && x < 1.0f) x = 1.0f;
    const Row r = ev.evaluate(x);
    kout = r.cls;
    if (r.conc > p.c && x >= xmin) p = {r.conc, x, r.cls};
  }
  return p;
}

// Steps of the refining walk: each turn reverses the walk with a tenth of the step.
constexpr float kStepTurn = -0.1f;
// The walk gives up after this many evaluations (the coarse maximum counts as the first).
constexpr int kMaxSearchEvaluations = 50;
// The walk stops at the far end of the distance array, m.
constexpr float kFarthestDistance_m = 50000.0f;

// What the refining walk found.
struct Walk {
  Point best;               // the largest concentration met, and its distance
  int cls = 0;              // stability class of the best point
  Row last;                 // the last row evaluated (the maximum line keeps its columns)
  bool haveLast = false;    // whether the walk evaluated any row
  bool stopped = false;     // it ran out of evaluations
  bool leftFarEnd = false;  // it walked beyond the far end of the array
};

// Refine the distance of the maximum from the best coarse probe p: walk by a step (100 m below
// 1 km, 1 km below 10 km, 10 km beyond; inward for area sources and from the range minimum)
// while the concentration keeps rising; where it falls, turn round with a tenth of the step;
// stop when the step is below 1 m, at 1 m, beyond the far end, or out of evaluations.
Walk refineMaximum(DistanceEvaluator& ev, Point p, float xmin, int cls) {
  const bool area = ev.isArea();
  Walk w;
  w.cls = cls;
  float x = p.x;
  float step = x <= 1000.0f ? 100.0f : (x <= 10000.0f ? 1000.0f : 10000.0f);
  if (area || x == xmin) step = -step;
  ev.forgetClass();
  w.best = {p.c, p.x, 0};
  int n = 1;
  for (;;) {
    step = kStepTurn * step;
    if (std::fabs(step) < 1.0f) {
      ev.setLastStep(step);
      return w;
    }
    bool reversed = false;
    while (!reversed) {
      x = x + step;
      if (!area && x < 1.0f) x = 1.0f;
      ev.setLastStep(step);
      const Row r = ev.evaluate(x);
      w.last = r;
      w.haveLast = true;
      w.cls = r.cls;
      ++n;
      if (n > kMaxSearchEvaluations) {
        w.stopped = true;
        return w;
      }
      if (r.conc < p.c) {
        w.best = {p.c, p.x, 0};
        w.cls = p.k;
        p = {r.conc, x, p.k};
        reversed = true;
      } else {
        w.best = {r.conc, x, 0};
        p = {r.conc, x, w.cls};
        if (x > kFarthestDistance_m) {
          w.leftFarEnd = true;
          return w;
        }
        if (x == 1.0f) return w;
      }
    }
  }
}

}  // namespace

// The rows of the distance array, then the maximum's distance refined: a coarse scan of
// probes around the array maximum, then a walk with shrinking steps. A walk that ends below the
// range minimum keeps the array maximum (as does one out of evaluations, unless it got beyond
// the minimum: then the result is marked as stopped); the refined point replaces the array
// maximum only when it is larger.
RangeResult automatedRange(DistanceEvaluator& ev, float xmin, float xmax) {
  RangeResult out;
  Row arr;  // range maximum: starts at distance 1 with every column zero
  arr.x = 1.0f;
  for (float x : rangeDistances(xmin, xmax)) {
    const Row r = ev.evaluate(x);
    out.rows.push_back(r);
    if (r.conc > arr.conc) arr = r;
  }
  out.maxLine = arr;
  if (arr.conc == 0.0f) return out;

  int kout = arr.cls;
  const Point p = coarseScan(ev, arr, xmin, kout);
  Walk w = refineMaximum(ev, p, xmin, kout);
  if (w.stopped) {
    if (w.best.x < xmin) {
      w.best = {arr.conc, arr.x, 0};
      w.cls = arr.cls;
    } else {
      out.iterationStopped = true;
    }
  } else if (!w.leftFarEnd && w.best.x < xmin) {
    w.best = {arr.conc, arr.x, 0};
    w.cls = arr.cls;
  }
  if (arr.conc >= w.best.c || !w.haveLast) return out;
  Row m = w.last;
  m.x = w.best.x;
  m.conc = w.best.c;
  m.cls = w.cls;
  out.maxLine = m;
  return out;
}

}  // namespace screen::engine
