// Concentrations from a run's results without printing: the contour-parameter formula at any
// (x, y, z, t), and the maximum over the cloud's passage at any (x, y, z), interpolated linearly
// between the printed rows.

#include <cmath>
#include <cstddef>
#include <vector>

#include "slab/slab.h"

namespace slab {

namespace {

constexpr double kSqrt2 = 1.4142135623730951;

// Index i and weight w with key = (1 - w) * keys[i] + w * keys[i + 1]; false outside the range.
bool bracket(const std::vector<double>& keys, double key, size_t& i, double& w) {
  for (size_t k = 0; k + 1 < keys.size(); ++k) {
    const double a = keys[k], b = keys[k + 1];
    if ((key >= a && key <= b) || (key <= a && key >= b)) {
      i = k;
      w = b == a ? 0 : (key - a) / (b - a);
      return true;
    }
  }
  return false;
}

double lerp(double a, double b, double w) { return a + (b - a) * w; }

double crosswind(double y, double b, double betac) {
  if (!(betac > 0)) return std::fabs(y) <= b ? 2 : 0;
  return std::erf((y + b) / (kSqrt2 * betac)) - std::erf((y - b) / (kSqrt2 * betac));
}

double vertical(double z, double zc, double sig) {
  if (!(sig > 0)) return z == zc ? 2 : 0;
  const double a = (z - zc) / (kSqrt2 * sig), b = (z + zc) / (kSqrt2 * sig);
  return std::exp(-a * a) + std::exp(-b * b);
}

// Peak concentration of one row at (y, z).
double rowPeak(const ConcRow& c, double y, double z) {
  return std::fmin(1.0, c.fcx * crosswind(y, c.b, c.betac) * vertical(z, c.zc, c.sig));
}

// Time key of row k: the printed t, except the first row of a puff (never set: release time 0).
double timeKey(const RunResult& run, size_t k) {
  if (run.puffForm) return k == 0 ? 0.0 : run.conc[k].tmax;
  return run.contour[k].t;
}

}  // namespace

double concentration(const RunResult& run, double x, double y, double z, double t) {
  const size_t n = run.contour.size();
  if (n < 2) return 0;
  std::vector<double> tk(n), xk(n);
  for (size_t k = 0; k < n; ++k) {
    tk[k] = timeKey(run, k);
    xk[k] = run.contour[k].x;
  }
  size_t it, ix;
  double wt, wx;
  if (!bracket(tk, t, it, wt)) return 0;
  const ContourRow& ta = run.contour[it];
  const ContourRow& tb = run.contour[it + 1];
  double cc, b, betac, zc, sig;
  if (run.puffForm) {
    cc = lerp(ta.cc, tb.cc, wt), b = lerp(ta.b, tb.b, wt), betac = lerp(ta.betac, tb.betac, wt);
    zc = lerp(ta.zc, tb.zc, wt), sig = lerp(ta.sig, tb.sig, wt);
  } else {
    if (!bracket(xk, x, ix, wx)) return 0;
    const ContourRow& xa = run.contour[ix];
    const ContourRow& xb = run.contour[ix + 1];
    cc = lerp(xa.cc, xb.cc, wx), b = lerp(xa.b, xb.b, wx), betac = lerp(xa.betac, xb.betac, wx);
    zc = lerp(xa.zc, xb.zc, wx), sig = lerp(xa.sig, xb.sig, wx);
  }
  const double xc = lerp(ta.xc, tb.xc, wt), bx = lerp(ta.bx, tb.bx, wt);
  const double betax = lerp(ta.betax, tb.betax, wt);
  double along;
  if (betax > 0) {
    along = std::erf((x - xc + bx) / (kSqrt2 * betax)) - std::erf((x - xc - bx) / (kSqrt2 * betax));
  } else {
    along = std::fabs(x - xc) <= bx ? 2 : 0;
  }
  const double c = cc * along * crosswind(y, b, betac) * vertical(z, zc, sig);
  return std::isfinite(c) ? std::fmin(1.0, std::fmax(0.0, c)) : 0;
}

std::vector<double> receptorSeries(const RunResult& run, double x, double y, double z,
                                   const std::vector<double>& times) {
  std::vector<double> out;
  out.reserve(times.size());
  for (double t : times) out.push_back(concentration(run, x, y, z, t));
  return out;
}

double peakConcentration(const RunResult& run, double x, double y, double z) {
  for (size_t k = 0; k + 1 < run.conc.size(); ++k) {
    const ConcRow& a = run.conc[k];
    const ConcRow& b = run.conc[k + 1];
    if (x >= a.x && x <= b.x) {
      const double w = b.x == a.x ? 0 : (x - a.x) / (b.x - a.x);
      return lerp(rowPeak(a, y, z), rowPeak(b, y, z), w);
    }
  }
  return 0;
}

Reach farthestDistance(const RunResult& run, double level, double z) {
  Reach r;
  const size_t n = run.conc.size();
  for (size_t k = n; k-- > 0;) {
    const ConcRow& a = run.conc[k];
    const double ca = rowPeak(a, 0, z);
    if (!(ca >= level)) continue;
    r.found = true;
    if (k + 1 == n) {
      r.beyondLastRow = true;
      r.x = a.x;
      r.tmax = a.tmax;
      return r;
    }
    const ConcRow& b = run.conc[k + 1];
    const double cb = rowPeak(b, 0, z);
    const double w = ca == cb ? 0 : (ca - level) / (ca - cb);
    r.x = lerp(a.x, b.x, w);
    r.tmax = lerp(a.tmax, b.tmax, w);
    return r;
  }
  return r;
}

}  // namespace slab
