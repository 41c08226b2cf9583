#include "core/format.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace core {

std::string cformat(const char* fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  std::string out;
  if (n < 0) {
    va_end(ap2);
    return out;
  }
  if (static_cast<size_t>(n) < sizeof buf) {
    out.assign(buf, static_cast<size_t>(n));
  } else {
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, ap2);
    out.assign(big.data(), static_cast<size_t>(n));
  }
  va_end(ap2);
  return out;
}

std::string formatFloatField(float v) { return cformat("%g", static_cast<double>(v)); }

std::string formatDoubleField(double v) { return cformat("%.15g", v); }

std::string formatIntField(long long v) { return cformat("%lld", v); }

}  // namespace core
