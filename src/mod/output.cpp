#include "mod/output.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mod {

namespace {

std::string fixed(double v, int width, int decimals) { return formatFixed(v, width, decimals); }

std::string padRight(const std::string& s, size_t width) {
  std::string t = s.substr(0, width);
  t.resize(width, ' ');
  return t;
}

std::string concText(double v, bool expFormat) { return expFormat ? formatE13(v) : formatF13(v); }

std::string commonColumns(const LineFields& f, bool expFormat) {
  return " " + formatF13(f.x) + " " + formatF13(f.y) + " " + concText(f.conc, expFormat) + " " +
         fixed(f.zelev, 8, 2) + " " + fixed(f.zhill, 8, 2) + " " + fixed(f.zflag, 8, 2);
}

}  // namespace

// Both conversions round the exact binary value to the nearest decimal, as printf's %f and %E do
// (std::to_chars is the same conversion without the cost of printf).
std::string formatFixed(double v, int width, int decimals) {
  const size_t w = static_cast<size_t>(width);
  char buf[400];  // the longest fixed form of a double
  if (!std::isfinite(v)) return std::string(w, '*');
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  const size_t n = static_cast<size_t>(r.ptr - buf);
  if (r.ec != std::errc() || n > w) return std::string(w, '*');
  std::string out(w - n, ' ');
  out.append(buf, n);
  return out;
}

std::string formatE13(double v) {
  if (!std::isfinite(v)) return std::string(13, '*');
  if (v == 0.0) return " 0.000000E+00";
  char buf[64];
  // d.ddddde±xx: the six digits move behind "0." and the exponent up by one.
  const auto r =
      std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 5);
  const char* e = static_cast<const char*>(std::memchr(buf, 'e', static_cast<size_t>(r.ptr - buf)));
  int exponent = 0;
  std::from_chars(e + (e[1] == '+' ? 2 : 1), r.ptr, exponent);
  exponent += 1;
  char out[32];
  size_t k = 0;
  if (v < 0) out[k++] = '-';
  out[k++] = '0';
  out[k++] = '.';
  out[k++] = buf[0];
  for (int i = 2; i < 7; ++i) out[k++] = buf[i];
  // E±dd, or ±ddd without the E for three-digit exponents.
  const int a = std::abs(exponent);
  if (a <= 99) out[k++] = 'E';
  out[k++] = exponent < 0 ? '-' : '+';
  if (a > 99) out[k++] = static_cast<char>('0' + a / 100);
  out[k++] = static_cast<char>('0' + a / 10 % 10);
  out[k++] = static_cast<char>('0' + a % 10);
  if (k > 13) return std::string(13, '*');
  std::string text(13 - k, ' ');
  text.append(out, k);
  return text;
}

std::string formatF13(double v) { return fixed(v, 13, 5); }

std::string postLine(const LineFields& f, bool expFormat) {
  char date[16];
  std::snprintf(date, sizeof date, "%08ld", f.date);
  return commonColumns(f, expFormat) + "    1-HR  " + padRight(f.group, 8) + "  " + date + "  " +
         padRight(f.network, 8);
}

std::string plotLine(const LineFields& f, bool expFormat) {
  char date[16];
  std::snprintf(date, sizeof date, "%8ld", f.date);
  return commonColumns(f, expFormat) + "    1-HR  " + padRight(f.group, 8) + "    1ST     " +
         padRight(f.network, 8) + "  " + date;
}

PostLines::PostLines(const std::vector<LineFields>& receptors, bool expFormat) : exp_(expFormat) {
  for (const LineFields& f : receptors) {
    head_.push_back(" " + formatF13(f.x) + " " + formatF13(f.y) + " ");
    middle_.push_back(" " + fixed(f.zelev, 8, 2) + " " + fixed(f.zhill, 8, 2) + " " +
                      fixed(f.zflag, 8, 2) + "    1-HR  " + padRight(f.group, 8) + "  ");
    tail_.push_back("  " + padRight(f.network, 8) + "\n");
  }
}

void PostLines::appendHour(std::string& out, const std::vector<double>& conc, long date) const {
  char d[16];
  std::snprintf(d, sizeof d, "%08ld", date);
  for (size_t r = 0; r < head_.size(); ++r) {
    out += head_[r];
    out += concText(conc[r], exp_);
    out += middle_[r];
    out += d;
    out += tail_[r];
  }
}

std::string postFormat(bool expFormat) {
  return expFormat ? "(2(1X,F13.5),1X,E13.6,3(1X,F8.2),2X,A6,2X,A8,2X,I8.8,2X,A8)"
                   : "(3(1X,F13.5),3(1X,F8.2),2X,A6,2X,A8,2X,I8.8,2X,A8)";
}

std::string plotFormat(bool expFormat) {
  return expFormat ? "(2(1X,F13.5),1X,E13.6,3(1X,F8.2),3X,A5,2X,A8,2X,A5,5X,A8,2X,I8)"
                   : "(3(1X,F13.5),3(1X,F8.2),3X,A5,2X,A8,2X,A5,5X,A8,2X,I8)";
}

}  // namespace mod
