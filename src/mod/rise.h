// Briggs plume rise as the model uses it: the convective direct-plume rise, the stable rise
// with its neutral and calm limits (Cimorelli et al. 2004, eqs. (91), (95)–(99)).
#pragma once

#include "mod/plume.h"

namespace mod {

constexpr double kBeta1 = 0.6;  // entrainment, convective direct plume rise
constexpr double kBeta2 = 0.4;  // buoyancy-induced dispersion, indirect plume radius

// Δh_d(x) = (3·F_m·x/(β₁²·u²) + 3·F_b·x²/(2·β₁²·u³))^(1/3)
inline double directRise(const SourceHour& sh, double x, double up) {
  return std::pow(3.0 * sh.fm * x / (kBeta1 * kBeta1 * up * up) +
                      3.0 * sh.fb * x * x / (2.0 * kBeta1 * kBeta1 * up * up * up),
                  kThird);
}

// Neutral limit: L_n = F_b/(u·u*²), Δh_n = 1.2·L_n^0.6·(h_s′ + 1.2·L_n)^0.4
inline double neutralRise(const SourceHour& sh, double up, double ustar) {
  const double ln = sh.fb / (up * ustar * ustar);
  return 1.2 * std::pow(ln, 0.6) * std::pow(sh.hsp + 1.2 * ln, 0.4);
}

// Stack-top to mid-plume averages of u, dθ/dz and θ at z_m, and N from them.
struct RiseMet {
  double up, n, np;
};
RiseMet averagedRiseMet(const HourProfiles& h, const SourceHour& sh, double zm);

}  // namespace mod
