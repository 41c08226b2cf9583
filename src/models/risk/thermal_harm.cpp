#include "models/risk/thermal_harm.h"

#include <cmath>

namespace models::risk {

double clipUnit(double p) {
  if (p < 0) return 0;
  if (p > 1) return 1;
  return p;
}

ThermalHarm thermalHarm(double q, double t) {
  const double dose = std::log(t * std::pow(0.4 * q, 4.0 / 3.0));
  ThermalHarm h;
  h.death = clipUnit(0.1 * (2.56 * dose - 36.38));
  h.second_burn = clipUnit(0.1 * (3.0188 * dose - 43.14));
  h.first_burn = clipUnit(0.1 * (3.0186 * dose - 39.83));
  return h;
}

}  // namespace models::risk
