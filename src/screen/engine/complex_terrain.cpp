#include "screen/engine/complex_terrain.h"

#include <algorithm>
#include <cmath>

#include "screen/engine/dispersion.h"
#include "screen/engine/plume_rise.h"
#include "screen/engine/point_model.h"

namespace screen::engine {

namespace {

// Screening stability: class F (rural) or E (urban) with 2.5 m/s at release height.
PlumeRise screeningRise(const Source& src) {
  const int cls = src.urban ? 5 : 6;
  const float dtdz = src.urban ? 0.020f : 0.035f;
  const float s = (kGravity * dtdz) / src.ta;
  return makePlumeRise(src, cls, 2.5f, Stability{s, std::sqrt(s)});
}

}  // namespace

ValleyPlume valleyPlume(const Source& src) {
  const PlumeRise r = screeningRise(src);
  return {r.hsPrime + r.dhf, r.xf};
}

ValleyRow valleyRow(const Source& src, float terrain, float x, const NoteSink& note) {
  const PlumeRise r = screeningRise(src);
  ValleyRow row;
  row.terrain = terrain;
  row.x = x;
  const float dh = r.riseAt(x);
  const float hc = r.hsPrime + dh;
  row.valleyHeight = hc;
  const float hv = hc <= terrain ? 10.0f : std::max(10.0f, hc - terrain);
  float sz = sigmaZ(r.cls, src.urban, x);
  const float sb = dh / 3.5f;
  sz = std::sqrt(sz * sz + sb * sb);
  if (sz > 5000.0f) sz = 5000.0f;
  // sector-averaged valley concentration, 1 hour, then 24 hours (factor 0.25)
  const float c1 =
      (((2.032f * src.q) / ((sz * 2.5f) * x)) * std::exp(-0.5f * std::pow(hv / sz, 2.0f))) * 1.0e6f;
  row.valley24 = 0.25f * c1;
  if (hc > terrain) {
    PointContext ctx;
    ctx.src = &src;
    ctx.met = MetChoice{};
    ctx.note = note;
    ctx.noBuilding = true;
    ctx.zrOverride = 0.0f;
    const Row best = evaluatePointDistance(ctx, x, src.hs);
    row.simple24 = 0.40f * best.conc;
    row.simpleHeight = best.he;
    row.cls = best.cls;
    row.ua = best.ua;
    row.us = best.us;
  }
  row.conc24 = std::max(row.valley24, row.simple24);
  return row;
}

}  // namespace screen::engine
