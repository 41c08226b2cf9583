#include "models/groundwater/gw_solutions.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace models::groundwater {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMgPerLPerKgPerM3 = 1000;  // kg/m³ = g/L
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Gauss-Kronrod 7-15 nodes and weights (Piessens et al., QUADPACK, 1983): Kronrod nodes from
// the outermost inwards; the Gauss nodes are the odd-numbered ones.
constexpr double kXgk[8] = {
    0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
    0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
    0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
    0.207784955007898467600689403773245, 0.0};
constexpr double kWgk[8] = {
    0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
    0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
    0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
    0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr double kWg[4] = {0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
                           0.381830050505118944950369775488975,
                           0.417959183673469387755102040816327};

template <class F>
double gk15(const F& f, double a, double b, double& err) {
  const double c = 0.5 * (a + b), h = 0.5 * (b - a);
  const double fc = f(c);
  double k = fc * kWgk[7], g = fc * kWg[3];
  for (int j = 0; j < 7; ++j) {
    const double s = f(c - h * kXgk[j]) + f(c + h * kXgk[j]);
    k += kWgk[j] * s;
    if (j % 2 == 1) g += kWg[j / 2] * s;
  }
  err = std::abs((k - g) * h);
  return k * h;
}

// Bisects a panel (integral r, error estimate err) until each part meets its share of the
// tolerance; `budget` bounds the panels, so a tolerance below the integrand's rounding noise
// cannot make it run away.
template <class F>
double refine(const F& f, double a, double b, double r, double err, double tol, int& budget) {
  if (err <= tol || --budget <= 0) return r;
  const double m = 0.5 * (a + b);
  double e1 = 0, e2 = 0;
  const double r1 = gk15(f, a, m, e1), r2 = gk15(f, m, b, e2);
  return refine(f, a, m, r1, e1, tol / 2, budget) + refine(f, m, b, r2, e2, tol / 2, budget);
}

// Integral over [lo, hi] (lo may be -inf, hi +inf) of exp(xi - e^v - q e^-v) dv, q >= 0, lo
// finite when q = 0. The exponent is concave with its peak at v = ln(q) / 2; the integrand is
// scaled by its largest value on the range and cut where it has fallen by e^-100 on each side,
// so nothing overflows and a peak of any width is resolved.
double peakIntegral(double xi, double q, double lo, double hi) {
  const auto g = [xi, q](double v) {
    const double ev = std::exp(v);
    return xi - ev - q / ev;
  };
  double vp = q > 0 ? 0.5 * std::log(q) : lo;
  vp = std::clamp(vp, lo, hi);
  const double gmax = g(vp);
  if (!(gmax > -800)) return 0;
  constexpr double kDrop = 100;
  const auto inside = [&](double v) { return g(v) >= gmax - kDrop; };
  const auto cut = [&](double dir, double limit) {
    if (std::isfinite(limit) && inside(limit)) return limit;
    double in = vp, step = 1, out = vp + dir * step;
    while (inside(out) && step < 4096) {
      in = out;
      step *= 2;
      out = vp + dir * step;
    }
    if (std::isfinite(limit) && dir * (out - limit) > 0) out = limit;
    for (int i = 0; i < 24; ++i) {  // the cut need not be sharp: a few parts in 1e7 of a step
      const double mid = 0.5 * (in + out);
      (inside(mid) ? in : out) = mid;
    }
    return out;
  };
  const double a = cut(-1, lo), b = cut(+1, hi);
  const auto f = [&](double v) { return std::exp(g(v) - gmax); };
  // Four panels on each side of an interior peak; their sum sets the tolerance of the
  // refinement. The exponent carries a rounding error of about eps (|xi| + |gmax|): no tighter.
  std::vector<double> edges;
  const auto split = [&edges](double from, double to) {
    for (int k = 0; k < 4; ++k) edges.push_back(from + (to - from) * k / 4);
  };
  if (vp > a && vp < b) {
    split(a, vp);
    split(vp, b);
  } else {
    split(a, b);
  }
  edges.push_back(b);
  const size_t panels = edges.size() - 1;
  std::vector<double> r(panels), err(panels);
  double total = 0;
  for (size_t i = 0; i < panels; ++i) total += r[i] = gk15(f, edges[i], edges[i + 1], err[i]);
  const double noise =
      20 * std::numeric_limits<double>::epsilon() * (1 + 2 * std::abs(xi) + std::abs(gmax));
  const double tol = std::max(1e-14, noise) * std::max(total, 1e-300);
  int budget = 2000;
  double s = 0;
  for (size_t i = 0; i < panels; ++i)
    s += refine(f, edges[i], edges[i + 1], r[i], err[i], tol * (edges[i + 1] - edges[i]) / (b - a),
                budget);
  return std::exp(gmax) * s;
}

// Where C falls to the level between `in` (C >= level) and `out` (C < level): the Illinois
// variant of regula falsi on ln(C / level), nearly quadratic there since C is close to a
// Gaussian or an exponential, with a halving step where C is infinite (the source) or
// underflows to 0.
double levelRoot(const std::function<double(double)>& conc, double level, double in, double out) {
  const auto f = [&](double z) { return std::log(conc(z) / level); };
  double fi = f(in), fo = f(out);
  int side = 0;
  for (int i = 0; i < 200; ++i) {
    if (std::abs(out - in) <= 1e-14 * std::max(std::abs(in), std::abs(out))) break;
    double z = 0.5 * (in + out);
    if (std::isfinite(fi) && std::isfinite(fo) && fi != fo) {
      const double secant = in - fi * (out - in) / (fo - fi);
      if (secant > std::min(in, out) && secant < std::max(in, out)) z = secant;
    }
    if (z == in || z == out) break;
    const double fz = f(z);
    if (std::abs(fz) <= 1e-14) return z;
    if (fz >= 0) {
      in = z, fi = fz;
      if (side == 1) fo /= 2;
      side = 1;
    } else {
      out = z, fo = fz;
      if (side == -1) fi /= 2;
      side = -1;
    }
  }
  return 0.5 * (in + out);
}

// A point beyond the boundary in the direction `dir` from `start` (stepping out by doubling).
double outside(const std::function<bool(double)>& inside, double start, double dir, double step) {
  double x = start + dir * step;
  for (int i = 0; i < 200 && inside(x); ++i) {
    step *= 2;
    x = start + dir * step;
  }
  return x;
}

// 2-D continuous: the region is bounded by the two axis roots and, at each x between them, the
// half width where C falls to the level (C decreases with |y|). Area = 2 ∫ y_S(x) dx over
// x = c - h cos(theta): the integrand becomes smooth and periodic in theta, so the trapezoid rule
// converges fast even with the square-root ends of y_S.
GwExtent continuousExtent(const GwSite& p, double t, double level) {
  const auto c = [&](double x, double y) {
    return gwConcentration(GwSolution::Continuous2D, p, x, y, t);
  };
  const auto axis = [&](double x) { return c(x, 0) >= level; };
  const double scale = std::sqrt(p.dl_m2_d * t) + 1;
  GwExtent e;
  const auto onAxis = [&](double x) { return c(x, 0); };
  e.x_to_m = levelRoot(onAxis, level, 0, outside(axis, p.u_m_d * t, 1, scale));
  e.x_from_m = levelRoot(onAxis, level, 0, outside(axis, 0, -1, scale));
  const double ystep = std::sqrt(p.dt_m2_d * t) + 1;
  const auto halfWidth = [&](double x) {
    if (!axis(x)) return 0.0;
    const auto in = [&](double y) { return c(x, y) >= level; };
    return levelRoot([&](double y) { return c(x, y); }, level, 0, outside(in, 0, 1, ystep));
  };
  const double mid = 0.5 * (e.x_from_m + e.x_to_m), h = 0.5 * (e.x_to_m - e.x_from_m);
  const auto xAt = [&](double th) { return mid - h * std::cos(th); };
  std::vector<double> ys;  // y_S at theta = k pi / N, k = 1 .. N - 1
  int n = 16;
  for (int k = 1; k < n; ++k) ys.push_back(halfWidth(xAt(kPi * k / n)));
  double area = 0;
  for (int round = 0; round < 7; ++round) {
    double sum = 0;
    for (int k = 1; k < n; ++k) sum += ys[static_cast<size_t>(k - 1)] * std::sin(kPi * k / n);
    const double next = 2 * h * sum * kPi / n;
    const bool done = round > 0 && std::abs(next - area) <= 1e-8 * next;
    area = next;
    if (done) break;
    std::vector<double> finer;
    for (int k = 1; k < 2 * n; ++k)
      finer.push_back(k % 2 == 0 ? ys[static_cast<size_t>(k / 2 - 1)]
                                 : halfWidth(xAt(kPi * k / (2 * n))));
    ys.swap(finer);
    n *= 2;
  }
  e.area_m2 = area;
  // The widest point: the largest sample, refined by golden-section search around it.
  const size_t k = static_cast<size_t>(std::max_element(ys.begin(), ys.end()) - ys.begin()) + 1;
  double a = kPi * static_cast<double>(k - 1) / n, b = kPi * static_cast<double>(k + 1) / n;
  const double r = (std::sqrt(5.0) - 1) / 2;
  double x1 = b - r * (b - a), x2 = a + r * (b - a);
  double f1 = halfWidth(xAt(x1)), f2 = halfWidth(xAt(x2));
  for (int i = 0; i < 24; ++i) {  // the bracket shrinks to 1e-5 of itself
    if (f1 > f2) {
      b = x2, x2 = x1, f2 = f1, x1 = b - r * (b - a), f1 = halfWidth(xAt(x1));
    } else {
      a = x1, x1 = x2, f1 = f2, x2 = a + r * (b - a), f2 = halfWidth(xAt(x2));
    }
  }
  e.y_half_max_m = std::max(f1, f2);
  e.x_at_y_half_m = xAt(f1 > f2 ? x1 : x2);
  return e;
}

}  // namespace

// erfcx(x) = exp(x^2) erfc(x). Below 25 from the library's erfc, which keeps its relative
// accuracy there, with the rounding error of x^2 carried into the exponential; above, the
// asymptotic series (Abramowitz & Stegun 7.1.23), whose ninth term is below 1e-18.
double erfcx(double x) {
  if (x < 25) {
    const double hi = x * x, lo = std::fma(x, x, -hi);
    return std::exp(hi) * (1 + lo) * std::erfc(x);
  }
  const double r = 1 / (2 * x * x);
  double term = 1, sum = 1;
  for (int k = 1; k <= 8; ++k) {
    term *= -(2 * k - 1) * r;
    sum += term;
  }
  return sum / (x * std::sqrt(kPi));
}

// With z = e^v: W(a, b) = ∫_{ln a}^{∞} exp(-e^v - (b^2/4) e^-v) dv.
double hantushW(double a, double b) {
  if (!(a > 0 && b >= 0)) return kNaN;
  return peakIntegral(0, b * b / 4, std::log(a), kInf);
}

// 2 K0(beta) = W(0, beta), so exp(xi) [2 K0 - W(T, beta)] = ∫_{-∞}^{ln T} exp(xi - e^v -
// (beta^2/4) e^-v) dv: the whole bracket in one integral, with no subtraction.
double wilsonMillerBracket(double xi, double beta, double T) {
  if (!(beta > 0 && T > 0)) return kNaN;
  return peakIntegral(xi, beta * beta / 4, -kInf, std::log(T));
}

double gwConcentration(GwSolution s, const GwSite& p, double x, double y, double t) {
  const double u = p.u_m_d, dl = p.dl_m2_d, dt = p.dt_m2_d, n = p.n;
  switch (s) {
    case GwSolution::Instant1D: {
      const double d = x - u * t;
      return kMgPerLPerKgPerM3 * p.m_kg / (2 * p.w_m2 * n * std::sqrt(kPi * dl * t)) *
             std::exp(-d * d / (4 * dl * t));
    }
    case GwSolution::Continuous1D: {
      // exp(u x / DL) erfc(b) = exp(-a^2) erfcx(b), with a, b the two erfc arguments: bounded
      // at any Péclet number (the direct product is inf * 0 far ahead of the front).
      const double root = 2 * std::sqrt(dl * t);
      const double a = (x - u * t) / root, b = (x + u * t) / root;
      const double r = 0.5 * std::erfc(a) + 0.5 * std::exp(-a * a) * erfcx(b);
      return p.c0_mg_l * std::clamp(r, 0.0, 1.0);
    }
    case GwSolution::Instant2D: {
      const double d = x - u * t;
      const double mm = p.m_kg / p.M_m;  // mass per metre of aquifer thickness
      return kMgPerLPerKgPerM3 * mm / (4 * kPi * n * t * std::sqrt(dl * dt)) *
             std::exp(-(d * d / (4 * dl * t) + y * y / (4 * dt * t)));
    }
    case GwSolution::Continuous2D: {
      if (x == 0 && y == 0) return kInf;
      const double xi = x * u / (2 * dl);
      const double beta = std::hypot(u * x / (2 * dl), u * y / (2 * std::sqrt(dl * dt)));
      const double bracket = wilsonMillerBracket(xi, beta, u * u * t / (4 * dl));
      return kMgPerLPerKgPerM3 * p.mt_kg_d / (4 * kPi * p.M_m * n * std::sqrt(dl * dt)) * bracket;
    }
  }
  return kNaN;
}

std::optional<GwPeak> gwPeak(GwSolution s, const GwSite& p, double t) {
  switch (s) {
    case GwSolution::Instant1D:
    case GwSolution::Instant2D: {
      const double x = p.u_m_d * t;
      return GwPeak{gwConcentration(s, p, x, 0, t), x};
    }
    case GwSolution::Continuous1D: return GwPeak{p.c0_mg_l, 0};
    case GwSolution::Continuous2D: break;
  }
  return std::nullopt;
}

std::optional<GwExtent> gwExtent(GwSolution s, const GwSite& p, double t, double level) {
  if (!(level > 0)) return std::nullopt;
  const double ut = p.u_m_d * t;
  switch (s) {
    case GwSolution::Instant1D:
    case GwSolution::Instant2D: {
      // Gaussian: C >= level inside ut ± sqrt(4 DL t ln(Cpeak / level)) (and the ellipse with
      // the transverse semi-axis sqrt(4 DT t ln(Cpeak / level))).
      const double peak = gwPeak(s, p, t)->c_mg_l;
      if (!(peak >= level)) return std::nullopt;
      const double lnr = std::log(peak / level);
      const double a = std::sqrt(4 * p.dl_m2_d * t * lnr);
      GwExtent e;
      e.x_from_m = ut - a;
      e.x_to_m = ut + a;
      if (s == GwSolution::Instant2D) {
        e.y_half_max_m = std::sqrt(4 * p.dt_m2_d * t * lnr);
        e.x_at_y_half_m = ut;
        e.area_m2 = kPi * a * e.y_half_max_m;
      }
      return e;
    }
    case GwSolution::Continuous1D: {
      if (!(p.c0_mg_l >= level)) return std::nullopt;
      const auto in = [&](double x) { return gwConcentration(s, p, x, 0, t) >= level; };
      GwExtent e;
      const auto conc = [&](double x) { return gwConcentration(s, p, x, 0, t); };
      e.x_to_m = levelRoot(conc, level, 0, outside(in, ut, 1, std::sqrt(p.dl_m2_d * t) + 1));
      return e;
    }
    case GwSolution::Continuous2D: return continuousExtent(p, t, level);
  }
  return std::nullopt;
}

GwCurves gwCurves(GwSolution s, const GwSite& p, const std::vector<double>& xs,
                  const std::vector<double>& ts, double x, double y) {
  constexpr int kPoints = 200;
  GwCurves c;
  if (xs.empty() || ts.empty()) return c;
  double lo = *std::min_element(xs.begin(), xs.end());
  double hi = *std::max_element(xs.begin(), xs.end());
  if (!(hi > lo)) lo -= 1, hi += 1;
  if (s == GwSolution::Continuous1D) lo = std::max(lo, 0.0);
  const double cy = isTwoD(s) ? y : 0;
  for (int k = 0; k <= kPoints; ++k) c.x_m.push_back(lo + (hi - lo) * k / kPoints);
  for (double t : ts) {
    std::vector<double> row;
    for (double xi : c.x_m) {
      const double v = gwConcentration(s, p, xi, cy, t);
      row.push_back(std::isfinite(v) ? v : kNaN);
    }
    c.c_by_t.push_back(std::move(row));
  }
  const double tmax = std::max(*std::max_element(ts.begin(), ts.end()), 0.0);
  for (int k = 1; k <= kPoints; ++k) {
    const double t = tmax * k / kPoints;
    c.t_d.push_back(t);
    const double v = gwConcentration(s, p, x, cy, t);
    c.c_at_point.push_back(std::isfinite(v) ? v : kNaN);
  }
  return c;
}

// The frame: the region above the level, widened by a fifth; the plume's own size when the
// level is reached nowhere. An even number of rows symmetric about the axis keeps every node
// off the source point, where the continuous solution is infinite.
GwGrid gwGrid(GwSolution s, const GwSite& p, double t, double level) {
  GwGrid g;
  g.nx = 81;
  g.ny = 60;
  const double ut = p.u_m_d * t;
  double x0 = ut - 4 * std::sqrt(p.dl_m2_d * t), x1 = ut + 4 * std::sqrt(p.dl_m2_d * t);
  double yh = 4 * std::sqrt(p.dt_m2_d * t);
  if (auto e = gwExtent(s, p, t, level)) {
    const double pad = 0.2 * (e->x_to_m - e->x_from_m);
    x0 = e->x_from_m - pad;
    x1 = e->x_to_m + pad;
    yh = 1.2 * e->y_half_max_m + 0.2 * pad;
  }
  if (!(x1 > x0)) x0 -= 1, x1 += 1;
  if (!(yh > 0)) yh = 1;
  g.xmin = x0, g.xmax = x1, g.ymin = -yh, g.ymax = yh;
  g.z.resize(static_cast<size_t>(g.nx * g.ny));
  // C is even in y: the upper half of the rows mirrors the lower half.
  for (int r = 0; r < g.ny / 2; ++r) {
    const double y = g.ymin + (g.ymax - g.ymin) * r / (g.ny - 1);
    for (int c = 0; c < g.nx; ++c) {
      const double x = g.xmin + (g.xmax - g.xmin) * c / (g.nx - 1);
      const double v = gwConcentration(s, p, x, y, t);
      const double z = std::isfinite(v) ? v : 0;
      g.z[static_cast<size_t>(r * g.nx + c)] = z;
      g.z[static_cast<size_t>((g.ny - 1 - r) * g.nx + c)] = z;
    }
  }
  return g;
}

}  // namespace models::groundwater
