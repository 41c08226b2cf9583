#include "screen/engine/plume_rise.h"

#include <algorithm>
#include <cmath>

namespace screen::engine {

float neutralMomentumDistance(float ds, float vs, float us) {
  return (((4.0f * ds) * (vs + 3.0f * us)) * (vs + 3.0f * us)) / (vs * us);
}

namespace {

void finalRiseDistance(PlumeRise& r) {
  if (!r.stable()) {
    r.xfm = neutralMomentumDistance(r.ds, r.vs, r.us);
    if (r.fb >= 55.0f)
      r.xfb = 119.0f * std::pow(r.fb, 0.4f);
    else if (r.fb > 0.0f)
      r.xfb = 49.0f * std::pow(r.fb, 0.625f);
    else
      r.xfb = r.xfm;
  } else {
    r.xfb = (2.0715f * r.us) / r.st.rootS;
    r.xfm = ((0.5f * kPi) * r.us) / r.st.rootS;
  }
  r.xf = std::max(r.xfb, r.xfm);
}

void finalRise(PlumeRise& r) {
  const float dT = r.ts - r.ta;
  const float momentumCap = 3.0f * r.ds * r.vs / r.us;
  if (!r.stable()) {
    const float dTc = r.fb >= 55.0f ? 0.00575f * r.ts * std::pow((r.vs * r.vs) / r.ds, kThird)
                                    : 0.0297f * r.ts * std::pow(r.vs / (r.ds * r.ds), kThird);
    if (dT >= dTc) {
      r.dhf = r.fb >= 55.0f ? 38.71f * std::pow(r.fb, 0.6f) / r.us
                            : 21.425f * std::pow(r.fb, 0.75f) / r.us;
    } else {
      r.dhf = momentumCap;
    }
    return;
  }
  const float dTc = 0.019582f * r.vs * r.ta * r.st.rootS;
  if (dT >= dTc) {
    const float rise = 2.6f * std::pow(r.fb / (r.us * r.st.s), kThird);
    const float calm = 4.0f * std::pow(r.fb, 0.25f) / std::pow(r.st.s, 0.375f);
    r.dhf = std::min(rise, calm);
  } else {
    const float rise = 1.5f * std::pow(r.fm / (r.us * r.st.rootS), kThird);
    r.dhf = std::min(rise, momentumCap);
  }
}

}  // namespace

PlumeRise makePlumeRise(const Source& src, int cls, float us, Stability st) {
  PlumeRise r;
  r.cls = cls;
  r.us = us;
  r.st = st;
  r.ds = src.ds;
  r.vs = src.vs;
  r.ts = src.ts;
  r.ta = src.ta;
  r.fb = src.fb;
  r.fm = src.fm;
  finalRiseDistance(r);
  finalRise(r);
  // stack-tip downwash (Briggs): h' = h - 2 d (1.5 - v/u) when v < 1.5 u
  r.hsPrime = src.hs;
  if (r.vs < 1.5f * r.us) r.hsPrime = src.hs - 2.0f * r.ds * (1.5f - r.vs / r.us);
  if (r.hsPrime < 0.0f) r.hsPrime = 0.0f;
  return r;
}

float PlumeRise::momentumRise(float x) const {
  const float betaJ = kThird + us / vs;
  const float xp = std::min(x, xfm);
  float dh;
  if (!stable()) {
    dh = std::pow(3.0f * fm * xp / (betaJ * betaJ * us * us), kThird);
  } else {
    float d = 3.0f * fm * std::sin(st.rootS * xp / us) / (betaJ * betaJ * us * st.rootS);
    d = std::max(d, 1.0e-10f);
    dh = std::pow(d, kThird);
  }
  const float cap = 3.0f * ds * vs / us;
  return std::min(dh, cap);
}

float PlumeRise::buoyantRise(float x) const {
  float xp = std::min(x, xfb);
  if (xp < 1.0f) xp = 1.0f;
  const float f = fb < 1.0e-10f ? 1.0e-10f : fb;
  return 1.60f * std::pow(f * xp * xp, kThird) / us;
}

float PlumeRise::gradualRise(float x) const {
  return std::min(std::max(buoyantRise(x), momentumRise(x)), dhf);
}

}  // namespace screen::engine
