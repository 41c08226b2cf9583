#include "screen/engine/fumigation.h"

#include <cmath>

#include "screen/engine/dispersion.h"
#include "screen/engine/plume_rise.h"

namespace screen::engine {

namespace {

struct FumigationPlume {
  PlumeRise rise;
  float he;
};

FumigationPlume fumigationPlume(const Source& src) {
  const float s = (kGravity * 0.035f) / src.ta;
  const Stability st{s, std::sqrt(s)};
  FumigationPlume p{makePlumeRise(src, 6, 2.5f, st), 0.0f};
  p.he = p.rise.hsPrime + p.rise.dhf;
  return p;
}

struct Sigmas {
  float sy, sz;
};

Sigmas fumigationSigmas(const FumigationPlume& p, float x) {
  if (!(x >= 1.0f)) x = 1.0f;  // keep the logarithm of the curves defined
  float sy = sigmaY(6, false, x);
  float sz = sigmaZ(6, false, x);
  const float sb = p.rise.riseAt(x) / 3.5f;
  const float sb2 = sb * sb;
  sy = std::sqrt(sy * sy + sb2);
  sz = std::sqrt(sz * sz + sb2);
  if (sz > 5000.0f) sz = 5000.0f;
  return {sy, sz};
}

// C = Q / (sqrt(2 pi) u (sigma-y + he/8) (he + 2 sigma-z))
float fumigationConcentration(const Source& src, float he, Sigmas s) {
  return src.q / (((2.50663f * 2.5f) * (s.sy + he / 8.0f)) * (he + 2.0f * s.sz)) * 1.0e6f;
}

}  // namespace

FumigationResult inversionBreakup(const Source& src) {
  const FumigationPlume p = fumigationPlume(src);
  const float hs = src.hs;
  FumigationResult r;
  float x0 = 5000.0f, x1 = x0;
  Sigmas s{};
  bool done = false;
  for (int pass = 0; pass < 20 && !done; ++pass) {
    s = fumigationSigmas(p, x0);
    x1 = (((2.5f * 0.1511f) * (p.he + 2.0f * s.sz - hs)) * 0.5f) * (hs + p.he + 2.0f * s.sz);
    if (std::fabs(x1 - x0) < 10.0f) {
      r.distance_m = x1;
      s = fumigationSigmas(p, x1);
      done = true;
    } else {
      x0 = x1;
      if (x1 < 100.0f) {
        r.distance_m = 100.0f;
        done = true;
      }
    }
  }
  if (!done) r.distance_m = x1;
  r.conc = fumigationConcentration(src, p.he, s);
  if (r.distance_m < 2000.0f) {
    r.conc = 0.0f;
    r.tooClose = true;
  }
  return r;
}

FumigationResult shorelineFumigation(const Source& src, float shoreDistance_m) {
  const FumigationPlume p = fumigationPlume(src);
  FumigationResult r;
  float x0 = std::pow(p.he / 6.0f, 2.0f) - shoreDistance_m;
  if (!(x0 > 0.0f)) {
    r.belowTibl = true;
    return r;
  }
  Sigmas s{};
  float x1 = x0;
  bool done = false;
  for (int pass = 0; pass < 20 && !done; ++pass) {
    s = fumigationSigmas(p, x0);
    x1 = std::pow((p.he + 2.0f * s.sz) / 6.0f, 2.0f) - shoreDistance_m;
    if (std::fabs(x1 - x0) < 10.0f)
      done = true;
    else
      x0 = x1;
  }
  r.distance_m = x1;
  s = fumigationSigmas(p, x1);
  r.conc = fumigationConcentration(src, p.he, s);
  if (r.distance_m < 200.0f) {
    r.conc = 0.0f;
    r.tooClose = true;
  }
  return r;
}

}  // namespace screen::engine
