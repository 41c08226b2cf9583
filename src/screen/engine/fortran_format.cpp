#include "screen/engine/fortran_format.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace screen::engine {

std::string strFormat(const char* format, ...) {
  char buf[512];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(big.data(), big.size(), format, args);
  va_end(args);
  big.resize(static_cast<size_t>(n));
  return big;
}

namespace {

std::string stars(int width) { return std::string(static_cast<size_t>(width), '*'); }

// Fit a printf result into a Fortran field: drop a lone leading zero first, then give up.
std::string fitField(std::string text, int width) {
  if (static_cast<int>(text.size()) <= width) return text;
  const auto zero = text.find("0.");
  if (zero != std::string::npos && (zero == 0 || text[zero - 1] == '-' || text[zero - 1] == ' ')) {
    const bool onlyBlanksBefore = text.find_first_not_of(" -") >= zero;
    if (onlyBlanksBefore) {
      text.erase(zero, 1);
      if (static_cast<int>(text.size()) <= width) return text;
    }
  }
  return stars(width);
}

// Decimal exponent E of the value rounded to `digits` significant digits (m.mmm x 10^E).
int roundedExponent(double value, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
  const char* e = std::strchr(buf, 'e');
  return e ? std::atoi(e + 1) : 0;
}

}  // namespace

std::string fmtF(double value, int width, int decimals) {
  if (std::isnan(value) || std::isinf(value)) return stars(width);
  const std::string text = decimals == 0 ? strFormat("%#*.0f", width, value)
                                         : strFormat("%*.*f", width, decimals, value);
  return fitField(text, width);
}

std::string fmtI(long long value, int width) {
  const std::string text = strFormat("%*lld", width, value);
  return static_cast<int>(text.size()) <= width ? text : stars(width);
}

std::string fmtG(double value, int width, int digits) {
  if (std::isnan(value) || std::isinf(value)) return stars(width);
  if (value == 0.0) return fmtF(value, width - 4, digits - 1) + "    ";
  const int e = roundedExponent(value, digits) + 1;
  if (e >= 0 && e <= digits) return fmtF(value, width - 4, digits - e) + "    ";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, std::fabs(value));
  // buf = "d.ddde+XX": the mantissa digits without the point, shifted into 0.dddd form
  std::string mant;
  for (const char* p = buf; *p && *p != 'e'; ++p)
    if (*p != '.') mant += *p;
  std::string text = value < 0 ? "-0." : "0.";
  text += mant;
  const int ae = std::abs(e);
  if (ae > 99)
    text += strFormat("%c%d", e < 0 ? '-' : '+', ae);
  else
    text += strFormat("E%c%02d", e < 0 ? '-' : '+', ae);
  if (static_cast<int>(text.size()) > width) return stars(width);
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

std::string fmtLdr(float value) {
  const double v = value;
  if (std::isnan(v)) return strFormat("%17s", "NaN");
  if (std::isinf(v)) return strFormat("%17s", v < 0 ? "-Infinity" : "Infinity");
  if (v == 0.0) return std::signbit(v) ? "  -0.00000000    " : "   0.00000000    ";
  const int e = roundedExponent(v, 9) + 1;
  if (e >= 0 && e <= 9) {
    const int dec = 9 - e;
    const std::string f = dec == 0 ? strFormat("%#12.0f", v) : strFormat("%12.*f", dec, v);
    return std::string(" ").append(f).append("    ");
  }
  return std::string(" ").append(strFormat("%16.8E", v));
}

std::string fmtLdi(long long value) { return strFormat("%12lld", value); }

}  // namespace screen::engine
