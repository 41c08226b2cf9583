// Source-hour values: stack-top meteorology, fluxes, stack-tip downwash, final plume rise,
// penetration of the convective mixed layer and the transport direction.

#include <algorithm>
#include <cmath>

#include "mod/plume.h"
#include "mod/rise.h"
#include "mod/spread.h"

namespace mod {

RiseMet averagedRiseMet(const HourProfiles& h, const SourceHour& sh, double zm) {
  const int k = locate(zm);
  double um = atLevel(h.u, k, zm);
  um = std::max(um, 0.2828);
  const double gp = 0.5 * (sh.tgs + atLevel(h.thetaGrad, k, zm));
  const double thp = 0.5 * (sh.ths + atLevel(h.theta, k, zm));
  RiseMet m;
  m.up = 0.5 * (sh.us + um);
  m.n = std::max(gp > 0.0 ? std::sqrt(kG * gp / thp) : 0.0, 1e-10);
  m.np = 0.7 * m.n;
  return m;
}

namespace {

// Final rise in stable air (Briggs), limited by the neutral, convective and calm forms. In the
// urban layer a plume that reaches z_i rises as far as it penetrates the inversion above it.
void stableFinalRise(SourceHour& sh, const HourProfiles& h, const RiseMet& m) {
  sh.xf = m.up * std::atan2(sh.fm * m.np, -sh.fb) / m.np;
  double dh = 2.66 * std::pow(sh.fb / (m.n * m.n * m.up), kThird);
  dh = std::min(dh, neutralRise(sh, m.up, h.ustar));
  dh = std::min(dh, directRise(sh, sh.xb, m.up));
  dh = std::min(dh, 4.0 * std::pow(sh.fb, 0.25) / std::pow(m.n * m.n, 0.375));
  if (h.urban && sh.hsp + dh >= h.zi && sh.hsp < h.zi) {
    const double nh2 = (kG / h.thetaZi) * 0.005;
    const double dz = h.zi - sh.hsp;
    const double ps = sh.fb / ((((m.up * nh2) * dz) * dz) * dz);
    const double r = std::pow(17.576 * ps + 0.296296, kThird);
    const double f = r < 2.0 * kThird ? 0.0 : (r > 2.0 ? 1.0 : 1.5 - 1.0 / r);
    if (f > 0.0) dh = f == 1.0 ? r * dz : ((0.75 * dz) * r) + 0.5 * dz;
  }
  sh.dhf = dh;
}

// The final rise is recomputed with u, N averaged between stack top and mid-rise until it
// settles within 1 %, at most five times.
void iterateStableFinalRise(SourceHour& sh, const HourProfiles& h) {
  stableFinalRise(sh, h, RiseMet{sh.us, sh.n, sh.np});
  for (int k = 1;; ++k) {
    const double zm = sh.hsp + 0.5 * sh.dhf;
    const double old = sh.dhf;
    stableFinalRise(sh, h, averagedRiseMet(h, sh, zm));
    if (std::fabs((old - sh.dhf) / sh.dhf) < 0.01) break;
    if (k >= 5) {
      sh.dhf = 0.5 * (sh.dhf + old);
      break;
    }
  }
}

// Fraction of the plume that penetrates the elevated inversion (Cimorelli et al. eqs. (55)–(58)).
void penetration(SourceHour& sh, const HourProfiles& h, const PointSource& s) {
  if (h.stable) return;
  if (s.hs >= h.zi) {
    sh.fp = 1.0;
    return;
  }
  const double nh2 = (kG / h.thetaZi) * h.thetaGradAbove;
  const double dz = h.zi - sh.hsp;
  const double ps = sh.fb / (sh.us * nh2 * dz * dz * dz);
  sh.r = std::pow(17.576 * ps + 0.296296, kThird);
  if (sh.r < 2.0 * kThird)
    sh.fp = 0.0;
  else if (sh.r > 2.0)
    sh.fp = 1.0;
  else
    sh.fp = 1.5 - 1.0 / sh.r;
  if (sh.fp > 0.0) sh.dh3 = sh.fp == 1.0 ? sh.r * dz : 0.75 * dz * sh.r + 0.5 * dz;
}

void transportDirection(SourceHour& sh, const HourProfiles& h, const PointSource& s) {
  const Column& H = gridHeights();
  const double zt = std::min(4000.0, s.hs + 0.5 * sh.dhf);
  const int k = locate(zt);
  const double lo = h.wd[k];
  double hi = h.wd[k + 1];
  if (hi - lo < -180.0)
    hi += 360.0;
  else if (hi - lo > 180.0)
    hi -= 360.0;
  double phi = lo == hi ? lo : interpolate(H[k], H[k + 1], lo, hi, zt);
  if (phi > 360.0)
    phi -= 360.0;
  else if (phi <= 0.0)
    phi += 360.0;
  sh.sinW = std::sin(phi * Consts::degToRad);
  sh.cosW = std::cos(phi * Consts::degToRad);
}

}  // namespace

SourceHour setupSource(const HourProfiles& h, const PointSource& s, double zBase) {
  if (!isPointKind(s.kind)) return setupLowSource(h, s);
  SourceHour sh = meteorologyAtRelease(h, s);
  sh.ta = sh.ths - kGOverCp * (s.hs + zBase);
  sh.n = sh.tgs > 0.0 && sh.stableBranch ? std::sqrt(kG * sh.tgs / sh.ths) : 1e-10;
  sh.n = std::max(sh.n, 1e-10);
  sh.np = 0.7 * sh.n;

  // Fluxes (Briggs): F_b = g·v·d²·(T_s − T_a)/(4·T_s), F_m = v²·d²·T_a/(4·T_s).
  double ts = s.ts;
  if (ts < 0.0) ts = sh.ta + std::fabs(ts);
  if (ts < sh.ta) ts = sh.ta;
  sh.fb = std::max((0.25 / ts) * (s.vs * s.ds * s.ds) * kG * (ts - sh.ta), 1e-10);
  sh.fm = std::max((0.25 / ts) * (s.vs * s.ds * s.ds) * s.vs * sh.ta, 1e-10);
  // A capped or horizontal stack keeps its buoyancy but loses its upward momentum: that of an
  // equivalent stack with the same volume flow leaving at 1 mm/s.
  constexpr double kVe = 0.001;
  if (s.kind != SourceKind::Point) {
    const double de = s.ds * std::sqrt(s.vs / kVe);
    sh.fm = std::max((0.25 / ts) * (kVe * de * de) * kVe * sh.ta, 1e-10);
  }

  // Stack-tip downwash (Briggs 1974); none for a horizontal release, full for a capped stack.
  const double vs = s.kind == SourceKind::PointCap ? kVe : s.vs;
  sh.hsp = vs < 1.5 * sh.us ? s.hs - 2.0 * s.ds * (1.5 - vs / sh.us) : s.hs;
  sh.hsp = std::max(sh.hsp, 0.0);
  if (s.kind == SourceKind::PointHor) sh.hsp = s.hs;

  sh.xb = sh.fb >= 55.0 ? 119.0 * std::pow(sh.fb, 0.4) : 49.0 * std::pow(sh.fb, 0.625);
  if (sh.stableBranch) {
    iterateStableFinalRise(sh, h);
  } else {
    sh.xf = sh.xb;
    sh.dhf = directRise(sh, sh.xb, sh.us);
  }
  penetration(sh, h, s);
  if (!sh.stableBranch) {
    sh.xm = h.zi * h.uAvg / h.sigmaWAvg;
    sh.dhCrit = sh.dhf;
    if (sh.xm < 1.25 * sh.xf) {
      sh.xf = 0.8 * sh.xm;
      sh.dhCrit = directRise(sh, sh.xf, sh.us);
    }
  }
  transportDirection(sh, h, s);
  return sh;
}

}  // namespace mod
