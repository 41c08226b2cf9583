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

}  // namespace core
