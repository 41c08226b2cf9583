// One receptor: the coherent plume at the downwind distance and the random plume at the radial
// distance, each with its own rise, layer averages and dispersion, blended by the meander
// fraction.

#include "mod/plume.h"

#include <algorithm>
#include <cmath>

#include "mod/plume_parts.h"
#include "mod/rise.h"
#include "mod/spread.h"
#include "mod/vertical.h"

namespace mod {

namespace {

// Indirect-plume rise constants (Weil et al. 1997).
constexpr double kAlphaR = 1.4, kLambdaY = 2.3, kAe = 0.1;

// Trapezoid average of a profile over [zLo, zHi] (bounds already limited to 0.5 and 0.51 m).
double layerAverage(const Column& p, const Column& piece, double zLo, double zHi, int ia, int ib) {
  const Column& H = gridHeights();
  if (ib < ia) return atLevel(p, ia - 1, 0.5 * (zLo + zHi));
  double s = 0.0;
  for (int i = ia + 1; i <= ib; ++i) s = s + piece[i];
  const double pLo = atLevel(p, ia - 1, zLo);
  s = s + (H[ia] - zLo) * 0.5 * (pLo + p[ia]);
  const double pHi = atLevel(p, ib, zHi);
  s = s + (zHi - H[ib]) * 0.5 * (pHi + p[ib]);
  return s / (zHi - zLo);
}

}  // namespace

void floors(Eff& e) {
  e.sw = std::max(e.sw, 0.02);
  e.sv = std::max({e.sv, 0.2, 0.05 * e.u});
  e.u = std::max(e.u, 0.2828);
}

Eff pointValues(const HourProfiles& h, double z) {
  const int k = locate(z);
  Eff e;
  e.u = atLevel(h.u, k, z);
  e.sv = atLevel(h.sigmaV, k, z);
  e.sw = atLevel(h.sigmaW, k, z);
  e.tg = atLevel(h.thetaGrad, k, z);
  floors(e);
  return e;
}

Eff layerValues(const HourProfiles& h, double zLo, double zHi, bool withGradient) {
  int ia = locate(zLo) + 1, ib = locate(zHi);
  if (zLo < 0.5) {
    zLo = 0.5;
    ia = 2;
  }
  if (zHi < 0.51) {
    zHi = 0.51;
    ib = 2;
  }
  Eff e;
  e.u = layerAverage(h.u, h.uPiece, zLo, zHi, ia, ib);
  e.sv = layerAverage(h.sigmaV, h.sigmaVPiece, zLo, zHi, ia, ib);
  e.sw = layerAverage(h.sigmaW, h.sigmaWPiece, zLo, zHi, ia, ib);
  if (withGradient) e.tg = layerAverage(h.thetaGrad, h.thetaGradPiece, zLo, zHi, ia, ib);
  floors(e);
  return e;
}

Pdf pdfParameters(double wstar, double sw, double zc, double zi, bool surface) {
  const double ws = wstar;
  const double w3 = surface ? 1.25 * (ws * ws * ws) * (zc / zi) : 0.125 * (ws * ws * ws);
  const double sk = w3 / (sw * sw * sw);
  const double alpha = (1.0 + kR * kR) / (1.0 + 3.0 * kR * kR), beta = 1.0 + kR * kR;
  const double dd = (alpha * alpha) * (sk * sk) + 4.0 / beta;
  const double r = sw / ws;
  Pdf p;
  p.a1 = r * (0.5 * alpha * sk + 0.5 * std::sqrt(dd));
  p.a2 = r * (0.5 * alpha * sk - 0.5 * std::sqrt(dd));
  p.b1 = kR * p.a1;
  p.b2 = -kR * p.a2;
  p.l1 = p.a2 / (p.a2 - p.a1);
  p.l2 = 1.0 - p.l1;
  return p;
}

double stableSigmaY(double X, const Eff& e, double zim, double hPlume) {
  const double s = std::max(0.05, e.sv / e.u);
  const double ty = (zim / (156.0 * e.sv)) * (std::max(hPlume, 0.46) / 0.46);
  return s * X / std::pow(1.0 + X / (2.0 * e.u * ty), 0.3);
}

double convectiveSigmaY(double X, const Eff& d, double zi, double hs) {
  const double s = std::max(0.05, d.sv / d.u);
  const double xn = s * X / zi;
  const double alpha = std::max(78.0 * (0.46 / std::max(hs, 0.46)), 0.7);
  return s * X / std::pow(1.0 + alpha * xn, 0.3);
}

double surfaceSigmaZ(const HourProfiles& h, double X, double u) {
  if (!h.stable) return 0.0;
  // The plume's spread and its reflecting height ask for the same distance one after the other.
  thread_local double lastBase = 0.0, lastPower = 1.0;
  const double base = 1.0 + 0.7 * X / h.monin;
  if (base != lastBase) {
    lastBase = base;
    lastPower = std::pow(base, -kThird);
  }
  return (Consts::sqrt2 / Consts::sqrtPi) * h.ustar * (X / u) * lastPower;
}

double elevatedSigmaZ(double sw, double t, double zt, double nn) {
  return sw * t / std::sqrt(1.0 + sw * t * (1.0 / (0.72 * zt) + nn / (0.54 * sw)));
}

double stableSigmaZ(const HourProfiles& h, double X, const Eff& e, double he, double hs) {
  const double t = X / e.u;
  const double the = at(h.theta, he);
  const double ne = std::max(e.tg > 0.0 ? std::sqrt(kG * e.tg / the) : 1e-10, 1e-10);
  const double zt = std::max({hs, he, 1e-4});
  // In the urban layer the stratification does not limit the vertical spread.
  const double sze = h.urban ? e.sw * t / std::sqrt(1.0 + e.sw * t * (1.0 / (0.72 * zt)))
                             : elevatedSigmaZ(e.sw, t, zt, ne);
  if (!(he < h.zi)) return sze;
  const double szg = surfaceSigmaZ(h, X, e.u);
  const double f = std::min(he / h.zi, 1.0);
  return (1.0 - f) * szg + f * sze;
}

ReflectionPoint reflectionPoint(const HourProfiles& h, double hp) {
  const int k = locate(hp);
  double sv = atLevel(h.sigmaV, k, hp), sw = atLevel(h.sigmaW, k, hp), u = atLevel(h.u, k, hp);
  const double tg = atLevel(h.thetaGrad, k, hp), th = atLevel(h.theta, k, hp);
  sw = std::max(sw, 0.02);
  sv = std::max(sv, std::max(0.2, 0.05 * u));
  u = std::max(u, 0.2828);
  (void)sv;
  return {hp, u, sw, std::max(std::sqrt(kG * tg / th), 1e-10)};
}

double reflectionHeight(const HourProfiles& h, const ReflectionPoint& p, double X, double hs,
                        double sb, double sz0) {
  const double hp = p.hp;
  const double szg = surfaceSigmaZ(h, X, p.u);
  const double t = X / p.u;
  const double zt = std::max({hs, hp, 1e-4});
  const double sze = elevatedSigmaZ(p.sw, t, zt, p.nn);
  double sr = sze;
  if (hp < h.zi) {
    const double f = std::min(hp / h.zi, 1.0);
    sr = (1.0 - f) * szg + f * sze;
  }
  const double sh = std::sqrt(sb * sb + sr * sr + sz0 * sz0);
  return std::max(h.zi, hp + kHalfDepth * sh);
}

double reflectionHeight(const HourProfiles& h, double X, double hs, double hp, double sb,
                        double sz0) {
  return reflectionHeight(h, reflectionPoint(h, hp), X, hs, sb, sz0);
}

double gaussianY(double y, double sigma) {
  const double e = -(y * y / (2.0 * sigma * sigma));
  return e > -50.0 ? std::exp(e) / (Consts::sqrt2Pi * sigma) : 0.0;
}

double randomFraction(double u, double sv, double d) {
  const double tr = 24.0 * 3600.0;
  const double q = u * u - 2.0 * sv * sv;
  const double ub = q >= 0.01 ? std::sqrt(q) : 0.1;
  const double e = u * u;
  const double t = d / u;
  const double sr2 = 2.0 * sv * sv + ub * ub * (1.0 - std::exp(-t / tr));
  double fr = sr2 / e;
  fr = std::min(fr, 1.0);
  return std::max(fr, 0.0);
}

namespace {

// State of one plume calculation at one distance X.
struct Calc {
  Calc(const HourProfiles& hh, const PointSource& ss, const SourceHour& shh)
      : h(hh), s(ss), sh(shh) {}
  const HourProfiles& h;
  const PointSource& s;
  const SourceHour& sh;
  double X = 0, zr = 0;
  // stable branch
  double dh = 0, he = 0, sb = 0, sy = 0, sz = 0;
  Eff e;
  // convective branch
  double zc = 0;
  bool surface = false;
  double dhd = 0, dhi = 0, h3 = 0, hd1 = 0, hd2 = 0, hn1 = 0, hn2 = 0;
  Eff d, p3;
  Pdf pdf;
  double sbd = 0, sb3 = 0, syd = 0, szd1 = 0, szd2 = 0, sy3 = 0, sz3 = 0;
};

// Distance-dependent rise in the stable branch: the transitional rise (Cimorelli et al. eq. (95))
// iterated on u and N averaged over the rise, limited by the final rise.
double stableRise(const Calc& c) {
  const SourceHour& sh = c.sh;
  if (c.X >= sh.xf) return sh.dhf;
  auto rise = [&](double x, const RiseMet& m) {
    const double a = sh.fb / (m.n * m.n * m.up);
    const double b = m.np * sh.fm / sh.fb;
    const double cs = std::sin(m.np * x / m.up), cc = std::cos(m.np * x / m.up);
    double dh = b * cs + 1.0 - cc > 0.0 ? 2.66 * std::pow(a * (b * cs + 1.0 - cc), kThird)
                                        : 2.66 * std::pow(a * b * cs, kThird);
    dh = std::min(dh, sh.dhf);
    return std::min(dh, neutralRise(sh, m.up, c.h.ustar));
  };
  auto xMax = [&](const RiseMet& m) { return m.up * std::atan2(sh.fm * m.np, -sh.fb) / m.np; };
  RiseMet m{sh.us, sh.n, sh.np};
  double dh = rise(std::min(c.X, xMax(m)), m);
  for (int k = 1;; ++k) {
    const double zm = sh.hsp + 0.5 * dh;
    const double old = dh;
    m = averagedRiseMet(c.h, sh, zm);
    dh = rise(std::min(c.X, xMax(m)), m);
    if (dh > 0.0 && std::fabs((old - dh) / dh) < 0.001 && k >= 5) {
      dh = std::max(dh, 1e-5);
      break;
    }
    if (k >= 10) {
      dh = 0.5 * (dh + old);
      break;
    }
  }
  dh = std::min(dh, directRise(sh, c.X, sh.us));
  return std::min(dh, sh.dhf);
}

// Height of the plume centroid in the convective layer: the rising plume until final rise, then
// a linear approach to mid-layer, reached at the distance of full mixing.
void centroid(Calc& c) {
  const SourceHour& sh = c.sh;
  const double zi = c.h.zi;
  const double xt = std::max(c.X, 1.0);
  const double ht = std::min(sh.hsp + directRise(sh, xt, sh.us), zi);
  if (xt < sh.xf) {
    c.zc = ht;
  } else if (xt >= sh.xm) {
    c.zc = 0.5 * zi;
  } else {
    const double hc = std::min(sh.hsp + sh.dhCrit, zi);
    c.zc = hc + ((xt - sh.xf) / (sh.xm - sh.xf)) * (0.5 * zi - hc);
  }
  c.surface = c.zc < 0.1 * zi;
}

void convectiveRise(Calc& c) {
  const SourceHour& sh = c.sh;
  const double up = sh.us, ws = c.h.wstar;
  c.dhd = directRise(sh, c.X, up);
  const double rh = kBeta2 * (c.h.zi - sh.hsp);
  const double r2 =
      rh * rh + 0.25 * kAe * std::pow(kLambdaY, 1.5) * ws * ws * c.X * c.X / (up * up);
  c.dhi = std::sqrt((2.0 * sh.fb * c.h.zi) / (kAlphaR * up * r2)) * (c.X / up);
}

void pdfParameters(Calc& c) {
  c.pdf = mod::pdfParameters(c.h.wstar, c.d.sw, c.zc, c.h.zi, c.surface);
}

void convectiveHeights(Calc& c) {
  const double base = c.sh.hsp + c.dhd, ws = c.h.wstar;
  c.hd1 = base + c.pdf.a1 * ws * c.X / c.d.u;
  c.hd2 = base + c.pdf.a2 * ws * c.X / c.d.u;
  c.hn1 = base - c.dhi + c.pdf.a1 * ws * c.X / c.d.u;
  c.hn2 = base - c.dhi + c.pdf.a2 * ws * c.X / c.d.u;
  c.h3 = c.sh.fp > 0.0 ? c.sh.hsp + c.sh.dh3 : 0.0;
}

void sigmas(Calc& c) {
  const HourProfiles& h = c.h;
  const double X = c.X;
  if (c.sh.stableBranch) {
    const double sya = stableSigmaY(X, c.e, h.zim, c.he);
    const double sza = stableSigmaZ(h, X, c.e, c.he, c.s.hs);
    c.sb = kBeta2 * c.dh / Consts::sqrt2;
    c.sy = std::sqrt(c.sb * c.sb + sya * sya);
    c.sz = std::sqrt(c.sb * c.sb + sza * sza);
    return;
  }
  const double fp = c.sh.fp;
  double sya = 0, sza1 = 1, sza2 = 1;
  if (fp < 1.0) {
    sya = convectiveSigmaY(X, c.d, h.zi, c.s.hs);
    const double ab = c.surface ? 0.6 + 0.4 * (c.zc / (0.1 * h.zi)) : 1.0;
    sza1 = ab * c.pdf.b1 * h.wstar * X / c.d.u;
    sza2 = ab * c.pdf.b2 * h.wstar * X / c.d.u;
    double szs = 0.0;
    if (c.surface)
      szs = 0.5 * (1.0 - 10.0 * (c.zc / h.zi)) * (h.ustar / c.d.u) * (h.ustar / c.d.u) *
            (X * X / std::fabs(h.monin));
    sza1 = std::sqrt(sza1 * sza1 + szs * szs);
    sza2 = std::sqrt(sza2 * sza2 + szs * szs);
  }
  double sya3 = 0, sza3 = 0;
  if (fp > 0.0) {
    sya3 = stableSigmaY(X, c.p3, h.zim, c.h3);
    const double t = X / c.p3.u;
    sza3 = c.p3.sw * t / std::sqrt(1.0 + c.p3.sw * t * (1.0 / (0.72 * c.h3)));
  }
  c.sbd = kBeta2 * c.dhd / Consts::sqrt2;
  c.sb3 = fp > 0.0 ? kBeta2 * fp * c.sh.dh3 / Consts::sqrt2 : 0.0;
  c.syd = std::sqrt(c.sbd * c.sbd + sya * sya);
  c.szd1 = std::sqrt(c.sbd * c.sbd + sza1 * sza1);
  c.szd2 = std::sqrt(c.sbd * c.sbd + sza2 * sza2);
  c.sy3 = std::sqrt(c.sb3 * c.sb3 + sya3 * sya3);
  c.sz3 = std::sqrt(c.sb3 * c.sb3 + sza3 * sza3);
}

// Layer over which the plume samples the profiles: from its centre 2.15·σ_z towards the receptor.
void plumeLayer(double zc, double sigma, double zr, double& lo, double& hi) {
  if (zc > zr) {
    lo = std::max(zc - kHalfDepth * sigma, zr);
    hi = zc;
  } else {
    lo = zc;
    hi = std::min(zc + kHalfDepth * sigma, zr);
  }
}

// Effective (layer-averaged) meteorology: a first guess at the plume height sizes the layer.
void effectiveValues(Calc& c) {
  const HourProfiles& h = c.h;
  const double fp = c.sh.fp;
  if (c.sh.stableBranch) {
    c.e = pointValues(h, c.he);
    sigmas(c);
    double lo, hi;
    if (c.he <= 5.0 && c.zr <= 5.0) {
      lo = 0.0;
      hi = std::min(5.0, h.zi);
    } else {
      plumeLayer(c.he, c.sz, c.zr, lo, hi);
    }
    c.e = layerValues(h, lo, hi, true);
    return;
  }
  if (fp < 1.0) c.d = pointValues(h, c.zc);
  if (fp > 0.0) c.p3 = pointValues(h, c.h3);
  sigmas(c);
  if (fp > 0.0) {
    double lo, hi;
    plumeLayer(c.h3, c.sz3, c.zr, lo, hi);
    c.p3 = layerValues(h, lo, hi, true);
  }
  if (fp < 1.0) {
    const double sigma = 0.5 * (c.szd1 + c.szd2);
    double lo, hi;
    if (c.zc <= 5.0 && c.zr <= 5.0) {
      lo = 0.0;
      hi = std::min(5.0, h.zi);
    } else if (c.zc > c.zr) {
      lo = std::max(c.zc - kHalfDepth * sigma, c.zr);
      hi = std::min(c.zc, h.zi);
    } else {
      lo = c.zc;
      hi = std::min(std::min(c.zc + kHalfDepth * sigma, c.zr), h.zi);
    }
    if (hi > lo) {
      c.d = layerValues(h, lo, hi, false);
    } else {
      c.d = pointValues(h, h.zi);
    }
  }
}

// Reflecting height above the plume: the mixing height, or the top of the plume where it
// reaches above it (Cimorelli et al. eq. (68)).
double reflectionHeight(const Calc& c, double hp, double sb) {
  return mod::reflectionHeight(c.h, c.X, c.s.hs, hp, sb, 0.0);
}

struct Result {
  double a = 0;   // µg/m³
  double fr = 0;  // meander fraction from this call's effective values
  PlumeTrace trace;
};

// C = (Q/u)·F_y·F_z of a plume in stable air, g/m³.
double stableConcentration(const Calc& c, bool coherent, double y, PlumeTrace& tr) {
  const double fy = coherent ? gaussianY(y, c.sy) : 1.0 / (Consts::twoPi * c.X);
  tr = {c.dh, c.he, c.e.u, c.e.sv, c.e.sw, c.e.tg, c.sy, c.sz, fy, 0, 0, 0};
  if (fy == 0.0) return 0.0;
  tr.zieff = reflectionHeight(c, c.he, c.sb);
  tr.fz = stableVertical(c.sz, std::max(0.0, c.he), tr.zieff, c.zr);
  return (c.s.q / c.e.u) * (fy * tr.fz);
}

// The direct, indirect and penetrated plumes of the convective layer, weighted by the
// penetrated fraction f_p, g/m³.
double convectiveConcentration(const Calc& c, bool coherent, double y) {
  const double fp = c.sh.fp, q = c.s.q, zi = c.h.zi;
  const double fy = coherent ? gaussianY(y, c.syd) : 1.0 / (Consts::twoPi * c.X);
  double fy3 = 0.0;
  if (fp > 0.0) fy3 = coherent ? gaussianY(y, c.sy3) : 1.0 / (Consts::twoPi * c.X);
  if (fy == 0.0 && fy3 == 0.0) return 0.0;
  double fzd = 0, fzn = 0, fz3 = 0;
  if (fp < 1.0) {
    const ConvectivePlume pd{c.hd1, c.hd2, c.szd1, c.szd2, c.pdf.l1, c.pdf.l2};
    const ConvectivePlume pn{c.hn1, c.hn2, c.szd1, c.szd2, c.pdf.l1, c.pdf.l2};
    fzd = convectiveVertical(pd, 1.0, zi, c.zr);
    fzn = convectiveVertical(pn, -1.0, zi, c.zr);
  }
  if (fp > 0.0) {
    const double zieff = reflectionHeight(c, c.h3, c.sb3);
    fz3 = stableVertical(c.sz3, std::max(0.0, c.h3), zieff, c.zr);
  }
  if (fp > 0.0 && fp < 1.0)
    return (q * (1.0 - fp) / c.d.u) * (fy * fzd) + (q * (1.0 - fp) / c.d.u) * (fy * fzn) +
           (q * fp / c.p3.u) * (fy3 * fz3);
  if (fp == 0.0) return (q / c.d.u) * (fy * fzd) + (q / c.d.u) * (fy * fzn);
  return (q * fp / c.p3.u) * (fy3 * fz3);
}

[[gnu::flatten]] Result plume(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                              double X, double y, bool coherent, double zr) {
  Result res;
  if (X < 1.0) return res;
  Calc c(h, s, sh);
  c.X = X;
  c.zr = zr;
  c.e = Eff{sh.us, sh.svs, sh.sws, sh.tgs};
  c.d = c.p3 = c.e;
  if (sh.stableBranch) {
    c.zc = sh.hsp;
    c.dh = stableRise(c);
    c.he = std::max(0.0, sh.hsp + c.dh);
    effectiveValues(c);
    sigmas(c);
    res.fr = randomFraction(c.e.u, c.e.sv, X);
  } else {
    centroid(c);
    convectiveRise(c);
    pdfParameters(c);
    convectiveHeights(c);
    effectiveValues(c);
    pdfParameters(c);
    convectiveHeights(c);
    sigmas(c);
    res.fr = randomFraction(c.d.u, c.d.sv, X);
    if (sh.fp > 0.0) res.fr = sh.fp * randomFraction(c.p3.u, c.p3.sv, X) + (1.0 - sh.fp) * res.fr;
  }
  const double conc = sh.stableBranch ? stableConcentration(c, coherent, y, res.trace)
                                      : convectiveConcentration(c, coherent, y);
  res.a = (c.s.emissionUnit) * (0.5 * conc + 0.5 * conc) * 1.0;
  res.trace.a = res.a;
  return res;
}

struct Geometry {
  double x, y, d;
};

Geometry geometry(const PointSource& s, const SourceHour& sh, const Receptor& r) {
  Geometry g;
  g.x = -((r.x - s.x) * sh.sinW + (r.y - s.y) * sh.cosW);
  g.y = (r.x - s.x) * sh.cosW - (r.y - s.y) * sh.sinW;
  g.d = std::sqrt(g.x * g.x + g.y * g.y);
  return g;
}

}  // namespace

double concentration(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                     const Receptor& r) {
  if (s.kind == SourceKind::Volume) return volumeConcentration(h, s, sh, r);
  if (isAreaKind(s.kind)) return areaConcentration(h, s, sh, r);
  const Geometry g = geometry(s, sh, r);
  if (g.d < 0.99) return 0.0;
  const double ac = plume(h, s, sh, g.x, g.y, true, r.zflag).a;
  const Result rnd = plume(h, s, sh, g.d, g.y, false, r.zflag);
  return rnd.fr * rnd.a + (1.0 - rnd.fr) * ac;
}

PlumeTrace tracePlume(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                      const Receptor& r, bool coherent) {
  const Geometry g = geometry(s, sh, r);
  return plume(h, s, sh, coherent ? g.x : g.d, g.y, coherent, r.zflag).trace;
}

}  // namespace mod
