// Error function as SLAB evaluates it: in double from a float argument, with constants that carry
// single-precision values, rounded to float. Series for |x| <= 1; for 1 < |x| <= 26.56 the
// continued fraction for erfc of NBS J. Res. 74B (1970); beyond, +-1.

#include <cmath>

#include "slab/state.h"

namespace slab::detail {

float errint(float xf) {
  const double x = xf;
  if (x == 0) return 0.f;
  if (std::isnan(x)) return 1.f;
  const double twoOverSqrtPi = static_cast<float>(1.1283791670955);
  const double tol = static_cast<float>(3.5527136788005e-15);
  const double cutoff = static_cast<float>(26.56);
  const double big = static_cast<float>(3.4028235e+38);
  const double y = std::fabs(x);
  double erf;
  if (y <= 1) {
    const double x2 = 2 * x * x;
    double term = 1, sum = 1;
    for (int n = 1; n < 200; ++n) {
      term = term * x2 / (2 * n + 1);
      sum += term;
      if (term < tol) break;
    }
    return static_cast<float>(twoOverSqrtPi * x * std::exp(-x * x) * sum);
  }
  if (y > cutoff) {
    erf = 1;
  } else {
    // Approximants f/g of erfc(y) sqrt(pi) exp(y^2) = 2y / (2y^2+1 - 1*2/(2y^2+5 - 3*4/(...))).
    double fm = 0, gm = 1;
    double f = 2 * y, g = 2 * y * y + 1;
    double bn = g;
    double prev = f / g;
    for (int n = 1, w = 1; n < 5000; ++n, w += 2) {
      bn += 4;
      const double an = -static_cast<double>(w) * (w + 1);
      const double fn = bn * f + an * fm, gn = bn * g + an * gm;
      fm = f;
      gm = g;
      f = fn;
      g = gn;
      if (std::fabs(f) > big || std::fabs(g) > big) {
        f /= big;
        g /= big;
        fm /= big;
        gm /= big;
      }
      const double cur = f / g;
      if (!(cur >= prev)) break;
      const bool done = std::fabs(1 - cur / prev) <= tol;
      prev = cur;
      if (done) break;
    }
    const double erfc = prev * std::exp(-y * y) * (0.5 * twoOverSqrtPi);
    erf = 1 - erfc;
  }
  return static_cast<float>(x < 0 ? -erf : erf);
}

float ipow(float a, int n) {
  if (n < 0) return 1.f / ipow(a, -n);
  float p = a, y = (n % 2 != 0) ? a : 1.f;
  for (;;) {
    n /= 2;
    if (n == 0) break;
    p = p * p;
    if (n % 2 != 0) y = y * p;
  }
  return y;
}

}  // namespace slab::detail
