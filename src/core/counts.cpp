#include "core/counts.h"

#include <cmath>

#include "core/format.h"

namespace core {

int truncatedCount(double q) {
  if (!std::isfinite(q) || std::fabs(q) > 2147483647.0) return 0;
  const double up = std::ceil(std::fabs(q));
  const double mag = std::fabs(q);
  if (up != std::trunc(mag) && (up - mag) <= 1e-6 * up) return static_cast<int>(q < 0 ? -up : up);
  return static_cast<int>(std::trunc(q));
}

Check checkDistanceTableSize(double quotient, int columns, const std::string& step_key) {
  // A zero step (an infinite or undefined quotient) gives no rows, as the count of it does.
  if (!std::isfinite(quotient)) return std::nullopt;
  if (quotient >= kMaxTableRows + 1)
    return fail(
        cformat("预测点数超过100000，无法显示，请加大距离间隔%s，请重新输入！", step_key.c_str()),
        step_key);
  if (!(quotient * columns > kMaxGridCells)) return std::nullopt;
  return fail(
      cformat("网格点数超过10000000，无法显示，请加大距离间隔%s，请重新输入！", step_key.c_str()),
      step_key);
}

}  // namespace core
