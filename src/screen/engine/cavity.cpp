#include "screen/engine/cavity.h"

#include <algorithm>
#include <cmath>

#include "screen/engine/dispersion.h"
#include "screen/engine/plume_rise.h"

namespace screen::engine {

namespace {

// Plume height under neutral conditions at two building heights for a stack-top speed u.
float neutralWakeHeight(const Source& src, float u) {
  const PlumeRise r = makePlumeRise(src, 4, u, Stability{1e-10f, 1e-10f});
  return r.hsPrime + r.momentumRise(2.0f * src.hb);
}

struct Critical {
  float u, hem;
  bool converged;
};

// Bisection-like search for the stack-top speed at which the plume just reaches the cavity top.
Critical criticalSpeed(const Source& src, float hc) {
  const float scale = std::pow(std::max(10.0f, src.hs) / src.za, 0.20f);
  float u0 = 1.0f * scale, u1 = 20.0f * scale;
  float h0 = neutralWakeHeight(src, u0);
  if (h0 < hc) return {u0, h0, true};
  float h1 = neutralWakeHeight(src, u1);
  if (h1 > hc) return {u1, h1, true};
  for (int pass = 0; pass < 20; ++pass) {
    float un;
    if (h0 < hc && h1 < hc)
      un = std::min(u0, u1) - std::fabs(u1 - u0) * 0.5f;
    else if ((h0 < hc) != (h1 < hc))
      un = (u0 + u1) * 0.5f;
    else
      un = std::max(u0, u1) + std::fabs(u1 - u0) * 0.5f;
    u0 = u1;
    u1 = un;
    h0 = h1;
    h1 = neutralWakeHeight(src, u1);
    if (std::fabs((h0 - h1) / (0.5f * (h0 + h1))) < 0.01f && std::fabs(u0 - u1) < 0.1f)
      return {(u1 + u0) * 0.5f, hc, true};
  }
  // no convergence: use the last estimate and treat the plume as trapped
  return {(u0 + u1) * 0.5f, hc, false};
}

CavityCase oneOrientation(const Source& src, float la, float lc) {
  CavityCase c;
  const float hb = src.hb;
  c.alongWind_m = la;
  c.height_m = la > 5.0f * hb ? hb : hb * (1.0f + 1.6f * std::exp(-1.3f * la / hb));
  const Critical crit = criticalSpeed(src, c.height_m);
  c.converged = crit.converged;
  c.critWsStack = crit.u;
  c.critWsAnemo = crit.u * std::pow(src.za / std::max(10.0f, src.hs), 0.20f);
  c.dilutionWs = std::max(1.0f, std::min(10.0f, 0.5f * crit.u));
  if (crit.hem > c.height_m || c.critWsAnemo > 20.0f) {
    c.flagged = true;
    c.conc = 0.0f;
    c.critWsAnemo = c.critWsStack = c.dilutionWs = 99.99f;
  } else {
    c.conc = src.q / (((1.5f * lc) * hb) * c.dilutionWs) * 1.0e6f;
  }
  const float r = la / hb;
  if (r < 2.0f) {
    const float a = -2.0f + 3.7f / std::pow(r, 0.33333f);
    const float b = -0.15f + 0.305f / std::pow(r, 0.33333f);
    c.length_m = a * lc / (1.0f + b * lc / hb);
  } else {
    c.length_m = 1.75f * lc / (1.0f + 0.25f * lc / hb);
  }
  return c;
}

constexpr float kPiSS = 3.1415927f;

SsCavityCase ssCase(const Source& src, float along, float width, float xst) {
  SsCavityCase out;
  out.stackDistance_m = xst;
  const float hb = src.hb, hs = src.hs, vs = src.vs, ds = src.ds, ts = src.ts, ta = src.ta;
  const float xd = along - xst;
  const float above = std::max(0.0f, hs - hb);
  float S = std::sqrt(above * above + xd * xd) + hb;
  if (S == 0.0f) S = 1.0e-5f;
  const float fm = (vs * vs) * (ds * ds) / (4.0f * ts);
  const float fb = (9.81f * vs) * (ds * ds) / (4.0f * ts);
  float h = hb, w = width;
  if (h > 8.0f * w) h = 8.0f * w;
  if (w > 8.0f * h) w = 8.0f * h;
  const float R = std::pow(std::min(h, w), 0.6666667f) * std::pow(std::max(h, w), 0.3333333f);
  const float vf = (kPiSS * (ds * ds)) * vs / 4.0f;
  const float lcRoof = 0.9f * R;
  const float hrc = 0.22f * R;
  if (w / h <= 0.2f) {
    out.tooNarrow = true;
    return out;
  }
  float lambda = std::clamp(along / hb, 0.3f, 3.0f);
  out.length_m = 1.8f * w / (std::pow(lambda, 0.3f) * (1.0f + 0.24f * w / hb));
  out.reattached = lcRoof < along;
  out.height_m = out.reattached ? hb : hb + hrc;
  const float xnw = (along - xst) + out.length_m;
  const float xv = 2.35f * std::pow(ds / std::pow(R, 0.25f), 1.333333f);
  const float sigNw = (0.21f * std::pow(R, 0.25f)) * std::pow(xnw + xv, 0.75f);
  const float k4096 = 1.6f * (1.6f * 1.6f);
  for (int iu = 1; iu <= 20; ++iu) {
    const float U = static_cast<float>(iu);
    const float ub = U * std::pow(hb / 10.0f, 0.2f);
    const float uh = U * std::pow(std::max(hs, hb) / 10.0f, 0.2f);
    const float d1 = vs / uh <= 2.0f ? 1.0f + 7.0f * (ta / ts) * ((vs / uh) * (vs / uh))
                                     : 1.0f + 28.0f * (ta / ts);
    const float u = std::max(uh, 1.0f);
    const float Fm = ta * fm;
    const float Fb = fb * (ts - ta);
    const float beta = 0.3333333f + u / vs;
    const float t = 3.0f * Fm / (beta * beta * (u * u));
    const float xmax = (((4.0f * ds) * (vs + 3.0f * u)) * (vs + 3.0f * u)) / (vs * u);
    const float zmax = std::pow(t * xmax, 0.3333333f);
    float ze = 0.0f;
    if (xnw > 0.0f) {
      const float buoy = k4096 * Fb * (xnw * xnw) / (u * (u * u));
      const float z = xnw < xmax ? std::pow(buoy + t * xnw, 0.3333333f)
                                 : std::pow(buoy + zmax * (zmax * zmax), 0.33333333f);
      ze = hs + z;
    }
    const float phi =
        0.5f * (1.0f + std::erf(((out.height_m - ze) / std::max(sigNw, 1.0e-5f)) / 1.4142136f));
    const float conc = (src.q * phi * 1.0e6f) / (vf * d1 + ub * (S * S) / 16.0f);
    out.speeds.push_back({U, ub, uh, phi, conc});
    if (conc >= out.maxConc) {
      out.maxConc = conc;
      out.maxU10 = U;
    }
  }
  return out;
}

}  // namespace

std::vector<CavityCase> regulatoryCavity(const Source& src) {
  return {oneOrientation(src, src.l1, src.l2), oneOrientation(src, src.l2, src.l1)};
}

std::vector<SsCavityCase> schulmanScireCavity(const Source& src, float xlLong, float xlShort) {
  std::vector<SsCavityCase> cases(4);
  const float x1 = (0.5f - xlShort) * src.l1;
  cases[0] = ssCase(src, src.l1, src.l2, x1);
  cases[1] = xlShort == 0.0f ? cases[0] : ssCase(src, src.l1, src.l2, src.l1 - x1);
  const float x3 = (0.5f - xlLong) * src.l2;
  cases[2] = ssCase(src, src.l2, src.l1, x3);
  cases[3] = xlLong == 0.0f ? cases[2] : ssCase(src, src.l2, src.l1, src.l2 - x3);
  return cases;
}

}  // namespace screen::engine
