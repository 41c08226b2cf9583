#include "core/acoustics.h"

#include <cmath>

namespace core {

double addLevels(double l1, double l2) {
  return 10.0 * std::log10(std::pow(10.0, 0.1 * l1) + std::pow(10.0, 0.1 * l2));
}

double addLevels(const std::vector<double>& levels) {
  double sum = 0;
  for (double l : levels) sum += std::pow(10.0, 0.1 * l);
  return 10.0 * std::log10(sum);
}

double subtractLevel(double total, double part) {
  return 10.0 * std::log10(std::pow(10.0, 0.1 * total) - std::pow(10.0, 0.1 * part));
}

double airAbsorption_dB_km(double f, double t, double hr, double pa) {
  constexpr double kRefPressure_kPa = 101.325;
  constexpr double kRefTemperature_K = 293.15;
  constexpr double kTriplePoint_K = 273.16;
  const double T = t + 273.15;
  const double p = pa / kRefPressure_kPa;
  const double tr = T / kRefTemperature_K;
  // Saturation vapour pressure over the reference pressure, then the molar concentration of
  // water vapour, %.
  const double psat = std::pow(10.0, 4.6151 - 6.8346 * std::pow(kTriplePoint_K / T, 1.261));
  const double h = hr * psat / p;
  // Relaxation frequencies of oxygen and nitrogen, Hz.
  const double frO = p * (24 + 40400 * h * (0.02 + h) / (0.391 + h));
  const double frN =
      p * std::pow(tr, -0.5) * (9 + 280 * h * std::exp(-4.17 * (std::pow(tr, -1.0 / 3) - 1)));
  const double f2 = f * f;
  return 8686 * f2 *
         (1.84e-11 / p * std::sqrt(tr) +
          std::pow(tr, -2.5) * (0.01275 * std::exp(-2239.1 / T) / (frO + f2 / frO) +
                                0.1068 * std::exp(-3352.0 / T) / (frN + f2 / frN)));
}

double aWeighting_dB(double f) {
  const double f2 = f * f;
  const double num = 1.4884e8 * f2 * f2;
  const double den =
      std::sqrt((f2 + 544496.41) * (f2 + 11599.29)) * (f2 + 424.36) * (f2 + 1.4884e8);
  return 20.0 * std::log10(num / den) + 2.0;
}

}  // namespace core
