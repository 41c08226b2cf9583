#include "screen/engine/point_model.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "screen/engine/downwash.h"

namespace screen::engine {

namespace {

float expTerm(float a) { return a > -50.0f ? std::exp(a) : 0.0f; }

// ((-0.5 / sz^2) * d) * d
float gaussExponent(float sz, float d) { return ((-0.5f / (sz * sz)) * d) * d; }

}  // namespace

float verticalTerm(float he, float zr, float zi, float sz, int cls) {
  const bool unlimited = cls >= 5 || zi >= 10000.0f;
  if (zr == 0.0f) {
    if (unlimited) return 2.0f * expTerm(gaussExponent(sz, he));
    if (sz / zi >= 1.6f) return kSqrt2Pi * (sz / zi);
    const float v0 = expTerm(gaussExponent(sz, he));
    float sum = 0.0f;
    for (int i = 1; i <= 100; ++i) {
      const float a = 2.0f * static_cast<float>(i) * zi;
      const float t = expTerm(gaussExponent(sz, a - he)) + expTerm(gaussExponent(sz, a + he));
      sum = sum + t;
      if (t <= 5.0e-9f) break;
    }
    return 2.0f * (v0 + sum);
  }
  if (unlimited) return expTerm(gaussExponent(sz, zr - he)) + expTerm(gaussExponent(sz, zr + he));
  if (sz / zi >= 1.6f) return kSqrt2Pi * (sz / zi);
  const float v0 = expTerm(gaussExponent(sz, zr - he)) + expTerm(gaussExponent(sz, zr + he));
  float sum = 0.0f;
  for (int i = 1; i <= 100; ++i) {
    const float a = 2.0f * static_cast<float>(i) * zi;
    const float t =
        expTerm(gaussExponent(sz, zr - (a - he))) + expTerm(gaussExponent(sz, zr + (a - he))) +
        expTerm(gaussExponent(sz, zr - (a + he))) + expTerm(gaussExponent(sz, zr + (a + he)));
    sum = sum + t;
    if (t <= 1.0e-8f) break;
  }
  return v0 + sum;
}

float centrelineConcentration(float q, float v, float us, float sy, float sz) {
  const float t = v / (((kTwoPi * us) * sy) * sz);
  if (t > 0.0f && std::log(t) > -50.0f) return (q * 1.0e6f) * t;
  return 0.0f;
}

namespace {

// Dispersion coefficients of one class at one distance, shared by the wind speeds of the class.
struct SigmaMemo {
  bool known = false;
  float sy = 0, sz = 0;
};

Row conditionRow(const PointContext& ctx, float x, int cls, float ua, float terrain,
                 SigmaMemo& sigmas);

}  // namespace

Row evaluateCondition(const PointContext& ctx, float x, int cls, float ua, float terrain) {
  SigmaMemo sigmas;
  return conditionRow(ctx, x, cls, ua, terrain, sigmas);
}

namespace {

Row conditionRow(const PointContext& ctx, float x, int cls, float ua, float terrain,
                 SigmaMemo& sigmas) {
  const Source& src = *ctx.src;
  const float zr = ctx.zrOverride >= 0.0f ? ctx.zrOverride : src.zr;
  const ConditionSetup* known = ctx.cache ? ctx.cache->find(cls, ua) : nullptr;
  std::optional<ConditionSetup> fresh;  // built only when the cache does not have it
  if (!known) {
    fresh.emplace();
    fresh->ua = ua;
    fresh->st = stabilityParameter(cls, src.ta);
    fresh->us = stackWindSpeed(ua, src.hs, src.za, cls, src.urban);
    fresh->rise = makePlumeRise(src, cls, fresh->us, fresh->st);
    fresh->wake = ctx.noBuilding ? Wake{} : wakeRegime(src, fresh->rise);
    if (ctx.cache) known = &ctx.cache->add(cls, *fresh);
  }
  const ConditionSetup& setup = known ? *known : *fresh;
  const float us = setup.us;
  const PlumeRise& rise = setup.rise;
  const Wake& wake = setup.wake;

  Row row;
  row.x = x;
  row.cls = cls;
  row.ua = ua;
  row.us = us;
  float he = 0.0f, sy = 0.0f, sz = 0.0f;
  if (wake.regime == Downwash::No) {
    he = rise.hsPrime + rise.dhf;
    const float dh = rise.riseAt(x);
    if (!sigmas.known) {
      sigmas.sy = sigmaY(cls, src.urban, x);
      sigmas.sz = sigmaZ(cls, src.urban, x);
      sigmas.known = true;
    }
    sy = sigmas.sy;
    sz = sigmas.sz;
    const float sb = dh / 3.5f;
    const float sb2 = sb * sb;
    sy = std::sqrt(sy * sy + sb2);
    sz = std::sqrt(sz * sz + sb2);
  } else {
    const WakeSigmas w = wakePlume(src, rise, wake, x, ctx.note);
    he = w.he;
    sy = w.sy;
    sz = w.sz;
  }
  if (sz > 5000.0f) sz = 5000.0f;
  he = he - terrain;
  if (he < 0.0f) he = 0.0f;
  if (wake.regime != Downwash::No && x < 3.0f * src.lb) {
    Row na;
    na.x = x;
    na.flag = Downwash::NA;
    return na;
  }
  float zi = mixingHeight(ua, he, src.za, cls, src.urban, src.brode2);
  if (he < 1.0e-10f) he = 0.0f;
  row.zi = zi;
  row.he = he;
  row.sy = sy;
  row.sz = sz;
  row.flag = wake.regime;
  if (cls <= 4 && he > zi) {
    row.conc = 0.0f;
    return row;
  }
  const float v = verticalTerm(he, zr, zi, sz, cls);
  row.conc = centrelineConcentration(src.q, v, us, sy, sz);
  return row;
}

}  // namespace

Row evaluatePointDistance(const PointContext& ctx, float x, float terrain) {
  Row best;
  best.x = x;
  best.conc = -999.0f;
  int first = 1, last = 6;
  if (ctx.met.choice != 1) first = last = ctx.met.cls;
  for (int cls = first; cls <= last; ++cls) {
    const int n = ctx.met.choice == 3 ? 1 : windSpeedCount(cls);
    SigmaMemo sigmas;
    for (int i = 0; i < n; ++i) {
      float ua = ctx.met.choice == 3 ? ctx.met.speed : windSpeed(i);
      if (x > 50000.0f && ua < 2.0f) ua = 2.0f;
      const Row r = conditionRow(ctx, x, cls, ua, terrain, sigmas);
      if (r.conc > best.conc) best = r;
    }
  }
  return best;
}

}  // namespace screen::engine
