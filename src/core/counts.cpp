#include "core/counts.h"

#include <cmath>

namespace core {

int truncatedCount(double q) {
  if (!std::isfinite(q) || std::fabs(q) > 2147483647.0) return 0;
  const double up = std::ceil(std::fabs(q));
  const double mag = std::fabs(q);
  if (up != std::trunc(mag) && (up - mag) <= 1e-6 * up) return static_cast<int>(q < 0 ? -up : up);
  return static_cast<int>(std::trunc(q));
}

}  // namespace core
