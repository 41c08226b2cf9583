// Area sources (AREA, AREAPOLY, AREACIRC, LINE): the concentration of a uniform area source is the
// double integral of the plume over the area. Across the wind it is integrated analytically (a
// difference of normal distribution values); along the wind the area integral becomes a sum over
// the sides of the polygon of one-dimensional integrals, each by Romberg's method (Cimorelli et
// al. 2004, section 5.6 of the formulation; the integration follows the published model's
// sequence, in which the effective meteorology of one evaluation of the integrand is the starting
// point of the next).

#include <algorithm>
#include <cmath>
#include <vector>

#include "mod/spread.h"

namespace mod {

namespace {

// The standard normal distribution function at −3.9, −3.8, … 3.9, rounded to four decimals, as
// the model tabulates it (its flat steps are part of the results).
constexpr double kNormal[80] = {
    0,      0.0000, 0.0001, 0.0001, 0.0002, 0.0002, 0.0003, 0.0005, 0.0007, 0.0010, 0.0013, 0.0019,
    0.0026, 0.0035, 0.0047, 0.0062, 0.0082, 0.0107, 0.0139, 0.0179, 0.0227, 0.0287, 0.0359, 0.0446,
    0.0548, 0.0668, 0.0808, 0.0968, 0.1151, 0.1357, 0.1587, 0.1841, 0.2119, 0.2420, 0.2742, 0.3085,
    0.3445, 0.3821, 0.4207, 0.4602, 0.5000, 0.5398, 0.5793, 0.6179, 0.6555, 0.6915, 0.7258, 0.7580,
    0.7881, 0.8159, 0.8413, 0.8643, 0.8849, 0.9032, 0.9192, 0.9332, 0.9452, 0.9554, 0.9641, 0.9713,
    0.9773, 0.9821, 0.9861, 0.9893, 0.9918, 0.9938, 0.9953, 0.9965, 0.9974, 0.9981, 0.9987, 0.9990,
    0.9993, 0.9995, 0.9997, 0.9998, 0.9998, 0.9999, 0.9999, 1.0000};

constexpr double kClip = 1.01;  // m: the part of the source nearer than this upwind is left out
constexpr double kEdge = 3.9;   // lateral σ beyond which a side is all in or all out

// Fraction of a crosswind Gaussian on the far side of a side at normalised offset n.
double lateralFraction(double n) {
  const double t = 10.0 * n + 40.0;
  if (t >= 79.0) return 1.0;
  if (!(t >= 1.0)) return 0.0;
  const int i = static_cast<int>(t);
  return kNormal[i] + (t - i) * (kNormal[i + 1] - kNormal[i]);
}

// Working lists of one receptor's integration, kept by each thread from one receptor to the next
// (a receptor-hour is too short to allocate them anew).
struct Scratch {
  std::vector<double> u, w, nk, U, V;
  std::vector<std::pair<double, double>> segments;
  std::vector<double> points, lo, hi, sign, from, to, factor;
};
thread_local Scratch scratch;

class AreaIntegral {
 public:
  AreaIntegral(const HourProfiles& h, const PointSource& s, const SourceHour& sh, double zr)
      : p_(h, s, sh, zr) {}

  double total(const Receptor& r, const PointSource& s, const SourceHour& sh);

 private:
  // σ_y at u and the normalised offset n = V/σ_y (the second pass of the plume).
  [[gnu::flatten]] double offset(double u, double v) {
    p_.centroid(u);
    if (p_.convective()) p_.pdf();
    p_.heights(u);
    p_.effective(u, false);
    return v / p_.areaSigmaY(u);
  }
  // Crosswind offset of the current side at u.
  double sideOffset(double u) const {
    const size_t k = side_;
    return V_[k] + ((u - U_[k]) * (V_[k + 1] - V_[k])) / (U_[k + 1] - U_[k]);
  }
  // The integrand at u: the plume's vertical term over u_eff times the lateral fraction. In the
  // convective layer the plume heights are needed only once the effective values are known, and
  // the second pass finds the centroid, the PDF and the heights just computed.
  [[gnu::flatten]] double integrand(double u) {
    p_.centroid(u);
    if (p_.convective()) {
      p_.pdf();
    } else {
      p_.heights(u);
    }
    p_.effective(u, false);
    double g = 1.0;
    if (p_.convective()) {
      p_.pdf();
      p_.heights(u);
      if (!fullWidth_) {
        p_.effective(u, false);
        g = lateralFraction(sideOffset(u) / p_.areaSigmaY(u));
      }
    } else if (!fullWidth_) {
      // In stable air nothing is carried from one pass to the next: the second pass of the model
      // would find the same effective values, so σ_y is taken from them directly.
      g = lateralFraction(sideOffset(u) / p_.areaSigmaY(u));
    }
    p_.areaSpread(u);
    const double c = p_.concentration(u, g, 1.0);
    return (1.0 * (0.5 * c + 0.5 * c)) * 1.0;
  }
  double romberg(double a, double b);
  double root(double sign, double u1, double u2, double n1, double n2);
  double fullWidthSegments();

  LowPlume p_;
  Scratch& w_ = scratch;
  // The clipped polygon in (upwind distance, crosswind offset).
  std::vector<double>&U_ = w_.U, &V_ = w_.V;
  size_t side_ = 0;
  bool fullWidth_ = false;
  std::vector<std::pair<double, double>>& segments_ = w_.segments;
};

// Romberg integration: mean value over [a, b] by trapezoids of halved steps, extrapolated; at
// least five and at most twelve levels; R = (b − a)·mean.
double AreaIntegral::romberg(double a, double b) {
  double t[13];
  const double pa = integrand(a);
  const double pb = integrand(b);
  t[1] = 0.5 * (pa + pb);
  const double h = b - a;
  if (h == 0.0 || t[1] == 0.0) return 0.0;
  double hh = h, p = 1.0;
  long m = 1;
  for (int i = 2; i <= 12; ++i) {
    const double y = t[1];
    const double hd = hh;
    hh = 0.5 * hh;
    p = 0.5 * p;
    double x = a + hh, sum = 0.0;
    for (long j = 0; j < m; ++j) {
      sum = sum + integrand(x);
      x = x + hd;
    }
    t[i] = 0.5 * t[i - 1] + p * sum;
    double q = 1.0;
    for (int j = 1; j <= i - 1; ++j) {
      const int k = i - j;
      q = q + q;
      q = q + q;
      t[k] = t[k + 1] + (t[k + 1] - t[k]) / (q - 1.0);
    }
    const double delta = std::fabs(y - t[1]);
    if (i >= 5 &&
        (std::fabs(t[1]) < 1.0e-5 || delta <= 0.01 * std::fabs(t[1]) || std::fabs(hh) < 1.0))
      return h * t[1];
    m = m + m;
  }
  return h * t[1];
}

// Brent's search for the point of the current side where n = sign·3.9 (tolerance 0.001, ten
// iterations at most).
double AreaIntegral::root(double sign, double u1, double u2, double n1, double n2) {
  const double tol = 0.001, target = sign * kEdge;
  double a = u1, b = u2, c = 0.0, d = 0.0, e = 0.0;
  double fa = n1 - target, fb = n2 - target;
  if (fa * fb > 0.0) return b;
  double fc = fb;
  for (int iter = 0; iter < 10; ++iter) {
    if (fb * fc > 0.0) {
      c = a;
      fc = fa;
      d = b - a;
      e = d;
    }
    if (std::fabs(fc) < std::fabs(fb)) {
      a = b;
      b = c;
      c = a;
      fa = fb;
      fb = fc;
      fc = fa;
    }
    const double tol1 = 2.0 * tol * std::fabs(b) + 0.5 * tol;
    const double xm = 0.5 * (c - b);
    if (std::fabs(xm) <= tol1 || fb == 0.0) return b;
    if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
      const double s = fb / fa;
      double p, q;
      if (a == c) {
        p = 2.0 * xm * s;
        q = 1.0 - s;
      } else {
        const double q1 = fa / fc, r = fb / fc;
        p = s * (2.0 * xm * q1 * (q1 - r) - (b - a) * (r - 1.0));
        q = (q1 - 1.0) * (r - 1.0) * (s - 1.0);
      }
      if (p > 0.0) q = -q;
      p = std::fabs(p);
      if (2.0 * p < std::min(3.0 * xm * q - std::fabs(tol1 * q), std::fabs(e - q))) {
        e = d;
        d = p / q;
      } else {
        d = xm;
        e = d;
      }
    } else {
      d = xm;
      e = d;
    }
    a = b;
    fa = fb;
    b = std::fabs(d) > tol1 ? b + d : b + (xm >= 0.0 ? std::fabs(tol1) : -std::fabs(tol1));
    fb = offset(b, sideOffset(b)) - target;
  }
  return b;
}

// The parts of sides beyond +3.9σ see the whole crosswind distribution: they are integrated once
// per distance interval, with their directions summed.
double AreaIntegral::fullWidthSegments() {
  std::vector<double>&points = w_.points, &lo = w_.lo, &hi = w_.hi, &sign = w_.sign;
  points.clear();
  lo.clear();
  hi.clear();
  sign.clear();
  for (const auto& [a, b] : segments_) {
    points.push_back(a);
    points.push_back(b);
    lo.push_back(std::min(a, b));
    hi.push_back(std::max(a, b));
    sign.push_back(a > b ? -1.0 : (a == b ? 0.0 : 1.0));
  }
  std::sort(points.begin(), points.end());
  std::vector<double>&from = w_.from, &to = w_.to, &factor = w_.factor;
  from.clear();
  to.clear();
  factor.clear();
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const double p = points[i], q = points[i + 1];
    if (p == q) continue;
    double f = 0.0;
    for (size_t j = 0; j < lo.size(); ++j)
      if (p >= lo[j] && q <= hi[j]) f += sign[j];
    if (f != 0.0) {
      from.push_back(p);
      to.push_back(q);
      factor.push_back(f);
    }
  }
  for (size_t k = 1; k < from.size(); ++k)
    if (from[k] == to[k - 1] && (factor[k] > 0.0) == (factor[k - 1] > 0.0)) {
      factor[k - 1] = 0.0;
      from[k] = from[k - 1];
    }
  fullWidth_ = true;
  double sum = 0.0;
  for (size_t k = 0; k < from.size(); ++k)
    if (factor[k] != 0.0) sum = sum + factor[k] * romberg(from[k], to[k]);
  fullWidth_ = false;
  return sum;
}

double AreaIntegral::total(const Receptor& r, const PointSource& s, const SourceHour& sh) {
  const std::vector<Vertex>& v = s.vertices;
  const size_t n = v.size() - 1;
  std::vector<double>&u = w_.u, &w = w_.w;
  u.resize(n + 1);
  w.resize(n + 1);
  double uMax = -9.0e10, wMax = -9.0e10, wMin = 9.0e10;
  for (size_t i = 0; i <= n; ++i) {
    u[i] = -((r.x - v[i].x) * sh.sinW + (r.y - v[i].y) * sh.cosW);
    w[i] = (r.x - v[i].x) * sh.cosW - (r.y - v[i].y) * sh.sinW;
    uMax = std::max(uMax, u[i]);
    wMax = std::max(wMax, w[i]);
    wMin = std::min(wMin, w[i]);
  }
  const double y = (r.x - s.xc) * sh.cosW - (r.y - s.yc) * sh.sinW;
  // Upwind of the whole source, or far to its side at the farthest vertex distance.
  if (uMax < 1.0) return 0.0;
  p_.reset();
  const double beside = std::fabs(y) - 0.5 * (wMax - wMin);
  if (beside > 0.0 && beside >= 5.0 * p_.areaSigmaY(uMax)) return 0.0;

  // The part of the source at least 1.01 m upwind of the receptor.
  U_.clear();
  V_.clear();
  for (size_t i = 0; i < n; ++i) {
    if (u[i] >= kClip) {
      U_.push_back(u[i]);
      V_.push_back(w[i]);
    }
    if ((u[i] >= kClip && kClip > u[i + 1]) || (u[i] < kClip && kClip <= u[i + 1])) {
      U_.push_back(kClip);
      V_.push_back(w[i] + ((kClip - u[i]) * (w[i + 1] - w[i])) / (u[i + 1] - u[i]));
    }
  }
  const size_t k = U_.size();
  if (k <= 2) return 0.0;
  U_.push_back(U_[0]);
  V_.push_back(V_[0]);

  // Normalised crosswind offsets of the vertices: nothing when all lie beyond 3.9σ on one side.
  std::vector<double>& nk = w_.nk;
  nk.resize(k + 1);
  double nMin = kEdge, nMax = -kEdge;
  for (size_t i = 0; i < k; ++i) {
    nk[i] = offset(U_[i], V_[i]);
    nMin = std::min(nMin, nk[i]);
    nMax = std::max(nMax, nk[i]);
  }
  if (nMin >= kEdge || nMax <= -kEdge) return 0.0;
  nk[k] = nk[0];

  double t = 0.0;
  segments_.clear();
  for (size_t i = 0; i < k; ++i) {
    const double u1 = U_[i], u2 = U_[i + 1];
    if (std::fabs(u1 - u2) < 0.01) continue;
    side_ = i;
    const int plus = (nk[i] > kEdge ? 1 : 0) + (nk[i + 1] > kEdge ? 2 : 0);
    const int minus = (nk[i] < -kEdge ? 1 : 0) + (nk[i + 1] < -kEdge ? 2 : 0);
    double up = 0.0, um = 0.0;
    if (plus == 1 || plus == 2) up = root(1.0, u1, u2, nk[i], nk[i + 1]);
    if (minus == 1 || minus == 2) um = root(-1.0, u1, u2, nk[i], nk[i + 1]);
    double value = 0.0;
    if (plus == 0) {
      if (minus == 0)
        value = romberg(u1, u2);
      else if (minus == 1)
        value = romberg(um, u2);
      else if (minus == 2)
        value = romberg(u1, um);
    } else if (plus == 1) {
      value = minus == 2 ? romberg(up, um) : romberg(up, u2);
      segments_.emplace_back(u1, up);
    } else if (plus == 2) {
      value = minus == 1 ? romberg(um, up) : romberg(u1, up);
      segments_.emplace_back(up, u2);
    } else {
      segments_.emplace_back(u1, u2);
    }
    t = t + value;
  }
  if (!segments_.empty()) t = t + fullWidthSegments();
  return t;
}

}  // namespace

double areaConcentration(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                         const Receptor& r) {
  AreaIntegral a(h, s, sh, r.zflag);
  return (std::fabs(a.total(r, s, sh)) * s.q) * s.emissionUnit;
}

}  // namespace mod
