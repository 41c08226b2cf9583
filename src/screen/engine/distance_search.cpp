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

}  // namespace

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

  const bool area = ev.isArea();
  int kout = arr.cls;
  Point p = coarseScan(ev, arr, xmin, kout);

  float x = p.x;
  float step = x <= 1000.0f ? 100.0f : (x <= 10000.0f ? 1000.0f : 10000.0f);
  if (area || x == xmin) step = -step;
  ev.forgetClass();
  Point res{p.c, p.x, 0};
  Row last;
  bool haveLast = false;
  int n = 1;
  bool checkBelowMin = true;
  bool limit = false;
  for (;;) {
    step = -0.1f * step;
    if (std::fabs(step) < 1.0f) {
      ev.setLastStep(step);
      break;
    }
    bool reversed = false;
    while (!reversed) {
      x = x + step;
      if (!area && x < 1.0f) x = 1.0f;
      ev.setLastStep(step);
      const Row r = ev.evaluate(x);
      last = r;
      haveLast = true;
      kout = r.cls;
      ++n;
      if (n > 50) {
        limit = true;
        break;
      }
      if (r.conc < p.c) {
        res = {p.c, p.x, 0};
        kout = p.k;
        p = {r.conc, x, p.k};
        reversed = true;
      } else {
        res = {r.conc, x, 0};
        p = {r.conc, x, kout};
        if (x > 50000.0f) {
          checkBelowMin = false;
          break;
        }
        if (x == 1.0f) break;
      }
    }
    if (!reversed) break;
  }
  if (limit) {
    if (res.x < xmin) {
      res = {arr.conc, arr.x, 0};
      kout = arr.cls;
    } else {
      out.iterationStopped = true;
    }
  } else if (checkBelowMin && res.x < xmin) {
    res = {arr.conc, arr.x, 0};
    kout = arr.cls;
  }
  if (arr.conc >= res.c || !haveLast) return out;
  Row m = last;
  m.x = res.x;
  m.conc = res.c;
  m.cls = kout;
  out.maxLine = m;
  return out;
}

}  // namespace screen::engine
