#include "mod/vertical.h"

#include <algorithm>
#include <cmath>

#include "mod/grid.h"

namespace mod {

double stableVertical(double sigma, double h, double top, double zr) {
  const double c = -0.5 / (sigma * sigma);
  auto a = [c](double q) { return c * q * q; };
  double v;
  if (zr > top) {
    v = zr == 0.0 ? 2.0 * expFloor(c * h * h) : expFloor(a(zr - h)) + expFloor(a(zr + h));
    return v / (Consts::sqrt2Pi * sigma);
  }
  double s = 0.0;
  if (zr == 0.0) {
    v = expFloor(c * h * h);
    for (int i = 1; i <= 100; ++i) {
      const double ti = 2.0 * static_cast<double>(i) * top;
      const double ea = c * (ti - h) * (ti - h), eb = c * (ti + h) * (ti + h);
      double t = 0.0;
      if (ea > -50.0) t = t + std::exp(ea);
      if (eb > -50.0) t = t + std::exp(eb);
      s = s + t;
      if (std::fabs(t) <= 5.0e-7 * std::fabs(s)) break;
    }
    v = 2.0 * (v + s);
  } else {
    const double hp = std::max(h, h - zr), tp = std::max(top, top - zr);
    v = expFloor(a(zr - hp)) + expFloor(a(zr + hp));
    for (int i = 1; i <= 100; ++i) {
      const double ti = 2.0 * static_cast<double>(i) * tp;
      double t = 0.0;
      t = t + expFloor(a(zr - (ti - hp)));
      t = t + expFloor(a(zr + (ti - hp)));
      t = t + expFloor(a(zr - (ti + hp)));
      t = t + expFloor(a(zr + (ti + hp)));
      s = s + t;
      if (std::fabs(t) <= 1.0e-6 * std::fabs(s)) break;
    }
    v = v + s;
  }
  return v / (Consts::sqrt2Pi * sigma);
}

double convectiveVertical(const ConvectivePlume& p, double sign, double zi, double zr) {
  if (zr > zi) return 0.0;
  const double c1 = -0.5 / (p.s1 * p.s1), c2 = -0.5 / (p.s2 * p.s2);
  double s = 0.0;
  if (zr == 0.0) {
    for (int i = 0; i <= 1000; ++i) {
      if (i == 0 && sign < 0.0) continue;
      const double t = 2.0 * static_cast<double>(i) * zi * sign;
      const double t1 = expFloor(c1 * (t + p.h1) * (t + p.h1));
      const double t2 = expFloor(c2 * (t + p.h2) * (t + p.h2));
      const double term = (p.l1 / p.s1) * t1 + (p.l2 / p.s2) * t2;
      s = s + term;
      if (std::fabs(term) <= 5.0e-7 * std::fabs(s)) break;
    }
    return 2.0 * s / Consts::sqrt2Pi;
  }
  const double h1 = std::max(p.h1, p.h1 - zr), h2 = std::max(p.h2, p.h2 - zr);
  const double zip = std::max(zi, zi - zr);
  for (int i = 0; i <= 1000; ++i) {
    if (i == 0 && sign < 0.0) continue;
    const double t = 2.0 * static_cast<double>(i) * zip * sign;
    const double t1 = expFloor(c1 * (zr - (t + h1)) * (zr - (t + h1))) +
                      expFloor(c1 * (zr + (t + h1)) * (zr + (t + h1)));
    const double t2 = expFloor(c2 * (zr - (t + h2)) * (zr - (t + h2))) +
                      expFloor(c2 * (zr + (t + h2)) * (zr + (t + h2)));
    const double term = (p.l1 / p.s1) * t1 + (p.l2 / p.s2) * t2;
    s = s + term;
    if (std::fabs(term) <= 1.0e-6 * std::fabs(s)) break;
  }
  return s / Consts::sqrt2Pi;
}

}  // namespace mod
