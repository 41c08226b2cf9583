#include "screen/engine/downwash.h"

#include <algorithm>
#include <cmath>

namespace screen::engine {

Wake wakeRegime(const Source& src, const PlumeRise& rise) {
  Wake w;
  if (src.hb == 0.0f || src.wp == 0.0f || src.hs > src.hb + 1.5f * src.lb) return w;
  const bool hsCandidate = src.hs > src.hb + 0.5f * src.lb;
  w.hm = src.hs + rise.momentumRise(2.0f * src.hb);
  if (hsCandidate) {
    if (!(w.hm <= src.hb + 1.5f * src.lb)) return w;
    w.regime = Downwash::HS;
  } else {
    if (!(w.hm <= src.hb + 2.0f * src.lb)) return w;
    w.regime = Downwash::SS;
  }
  if (src.wp < src.hb)
    w.shape = BuildingShape::Tall;
  else if (src.wp <= 5.0f * src.hb)
    w.shape = BuildingShape::Squat;
  else
    w.shape = BuildingShape::SuperSquat;
  if (w.regime == Downwash::SS) {
    if (w.hm <= src.hb)
      w.decay = 1.0f;
    else if (w.hm <= src.hb + 2.0f * src.lb)
      w.decay = (src.hb - w.hm) / (2.0f * src.lb) + 1.0f;
    else
      w.decay = 0.0f;
  }
  return w;
}

namespace {

// Building-enhanced sigma-y: the near-wake linear growth, or a virtual source far away.
float enhancedSigmaY(const Source& src, const Wake& w, int cls, float x) {
  const float lb = src.lb;
  if (x < 10.0f * lb) {
    float near;
    if (w.shape == BuildingShape::Squat)
      near = 0.35f * src.wp + 0.067f * (x - 3.0f * src.hb);
    else
      near = 0.35f * lb + 0.067f * (x - 3.0f * lb);
    return std::max(near, sigmaY(cls, src.urban, x));
  }
  const float sy0 = w.shape == BuildingShape::Squat ? 0.35f * src.wp + 0.5f * src.hb : 0.85f * lb;
  const float xy = std::max(0.0f, lateralVirtualDistance(cls, src.urban, sy0) - 10.0f * lb);
  return sigmaY(cls, src.urban, x + xy);
}

float enhancedSigmaZ(const Source& src, int cls, float x, float decay, const NoteSink& note) {
  const float lb = src.lb;
  const float sz0 = 1.2f * lb * decay;
  const float xz = std::max(
      0.0f, verticalVirtualDistance(cls, src.urban, sz0, x - 10.0f * lb, note) - 10.0f * lb);
  if (x < 10.0f * lb)
    return std::max((0.7f * lb + 0.067f * (x - 3.0f * lb)) * decay, sigmaZ(cls, src.urban, x));
  return sigmaZ(cls, src.urban, x + xz);
}

float cubicRoot(float a, float b, float c, const NoteSink& note) {
  float start = 0.01f;
  if (c < -1.0e-5f)
    start = std::pow(std::fabs(c), kThird);
  else
    c = -1.0e-5f;
  return solveCubic(a, b, c, start, 1.0e-4f, note);
}

// Schulman-Scire line-source rise at distance x (Schulman and Scire 1980).
float lineSourceRise(const Source& src, const PlumeRise& r, const Wake& w, float x,
                     const NoteSink& note) {
  constexpr float beta = 0.6f;
  const int cls = r.cls;
  const float x3 = 3.0f * src.lb;
  float ly = 0.0f;
  float szs;
  if (w.hm > 1.2f * src.hb) {
    szs = enhancedSigmaZ(src, cls, x3, w.decay, note);
  } else {
    const float sys = enhancedSigmaY(src, w, cls, x3);
    szs = enhancedSigmaZ(src, cls, x3, w.decay, note);
    ly = sys >= szs ? kSqrt2Pi * (sys - szs) : 0.0f;
  }
  const float r0 = 1.414214f * szs;
  const float a = (3.0f * ly) / (kPi * beta) + (3.0f * r0) / beta;
  const float b = (6.0f * r0 * ly) / (kPi * beta * beta) + (3.0f * r0 * r0) / (beta * beta);
  const float us = r.us;
  float xp = std::min(x, r.xfb);
  const float neutralB = (3.0f * r.fb * xp * xp) / (2.0f * beta * beta * us * us * us);
  float cb;
  if (!r.stable())
    cb = -neutralB;
  else
    cb = -std::min((6.0f * r.fb) / (beta * beta * us * r.st.s), neutralB);
  const float betaJ = kThird + us / r.vs;
  xp = std::min(x, r.xfm);
  float cm;
  if (!r.stable()) {
    cm = -((3.0f * r.fm * xp) / (betaJ * betaJ * us * us));
  } else {
    const float cms =
        (3.0f * r.fm * std::sin(r.st.rootS * xp / us)) / (betaJ * betaJ * us * r.st.rootS);
    const float xfmn = neutralMomentumDistance(r.ds, r.vs, us);
    const float xpn = std::min(x, xfmn);
    const float cmn = (3.0f * r.fm * xpn) / (betaJ * betaJ * us * us);
    cm = -std::min(cms, cmn);
  }
  const float zb = cubicRoot(a, b, cb, note);
  const float zm = cubicRoot(a, b, cm, note);
  return std::max(zb, zm);
}

}  // namespace

WakeSigmas wakePlume(const Source& src, const PlumeRise& rise, const Wake& w, float x,
                     const NoteSink& note) {
  const int cls = rise.cls;
  WakeSigmas out{};
  if (w.regime == Downwash::HS) {
    const float dh = rise.riseAt(x);
    out.he = rise.hsPrime + dh;
    out.sy = w.hm > 1.2f * src.hb ? sigmaY(cls, src.urban, x) : enhancedSigmaY(src, w, cls, x);
    out.sz = enhancedSigmaZ(src, cls, x, 1.0f, note);
    const float sb = dh / 3.5f;
    const float sb2 = sb * sb;
    out.sy = std::sqrt(out.sy * out.sy + sb2);
    out.sz = std::sqrt(out.sz * out.sz + sb2);
    return out;
  }
  const float dh = x < rise.xf ? lineSourceRise(src, rise, w, x, note)
                               : lineSourceRise(src, rise, w, rise.xf, note);
  out.he = src.hs + dh;
  out.sy = w.hm > 1.2f * src.hb ? sigmaY(cls, src.urban, x) : enhancedSigmaY(src, w, cls, x);
  out.sz = enhancedSigmaZ(src, cls, x, w.decay, note);
  return out;
}

}  // namespace screen::engine
