// The fixed height grid on which the hourly profiles are built, with the search and the linear
// interpolation that every profile look-up uses. Levels are numbered 1..87 (index 0 is unused) so
// that the formulas read as the model's description writes them.
#pragma once

#include <cmath>

namespace mod {

constexpr int kLevels = 87;
// A value per grid level, [1..87].
struct Column {
  double v[kLevels + 1] = {};
  constexpr double& operator[](int i) { return v[i]; }
  constexpr double operator[](int i) const { return v[i]; }
};

// Grid heights, m: 0, 0.5, 1, 2, 4, 8, 14, 20, 30 … 100 by 10, 120 … 200 by 20, 250 … 2000 by 50,
// 2100 … 5000 by 100.
inline constexpr Column kGridHeights = [] {
  Column h{};
  const double low[] = {0,  0.5, 1,  2,  4,   8,   14,  20,  30,  40, 50,
                        60, 70,  80, 90, 100, 120, 140, 160, 180, 200};
  int i = 1;
  for (double z : low) h.v[i++] = z;
  for (int z = 250; z <= 2000; z += 50) h.v[i++] = z;
  for (int z = 2100; z <= 5000; z += 100) h.v[i++] = z;
  return h;
}();
inline const Column& gridHeights() { return kGridHeights; }

// Largest level i with z >= H(i), limited to `top` - 1 so that level i + 1 exists.
inline int locate(double z, int top = kLevels) {
  const Column& h = gridHeights();
  int lo = 1, hi = top;  // invariant: h[lo] <= z, answer in [lo, hi]
  if (!(z >= h[1])) return 1;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (z >= h[mid])
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo < top ? lo : top - 1;
}
// The search over the first 29 levels (0 … 600 m), used for the stack-top level.
inline int locate29(double z) { return locate(z, 29); }

// v = v_lo + ((z - z_lo)/(z_hi - z_lo))·(v_hi - v_lo), evaluated in exactly this order.
inline double interpolate(double zLo, double zHi, double vLo, double vHi, double z) {
  return vLo + ((z - zLo) / (zHi - zLo)) * (vHi - vLo);
}

// Profile value at z between levels k and k + 1.
inline double atLevel(const Column& p, int k, double z) {
  const Column& h = gridHeights();
  return interpolate(h[k], h[k + 1], p[k], p[k + 1], z);
}
inline double at(const Column& p, double z) { return atLevel(p, locate(z), z); }

// Exponential with the model's floor: arguments at or below -50 give 0.
inline double expFloor(double a) { return a > -50.0 ? std::exp(a) : 0.0; }

// Constants as the model derives them at start-up.
struct Consts {
  static inline const double pi = 4.0 * std::atan(1.0);
  static inline const double twoPi = 2.0 * pi;
  static inline const double sqrtPi = std::sqrt(pi);
  static inline const double sqrt2Pi = std::sqrt(twoPi);
  static inline const double sqrt2 = std::sqrt(2.0);
  static inline const double degToRad = pi / 180.0;
};

constexpr double kG = 9.80616;        // gravity, m/s²
constexpr double kKarman = 0.4;       // von Kármán constant
constexpr double kGOverCp = 0.00977;  // dry adiabatic lapse, K/m
constexpr double kThird = 1.0 / 3.0;

}  // namespace mod
