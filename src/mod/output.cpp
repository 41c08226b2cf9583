#include "mod/output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mod {

namespace {

std::string fixed(double v, int width, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, v);
  if (std::strlen(buf) > static_cast<size_t>(width) || !std::isfinite(v))
    return std::string(static_cast<size_t>(width), '*');
  return buf;
}

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

std::string formatE13(double v) {
  if (!std::isfinite(v)) return std::string(13, '*');
  if (v == 0.0) return " 0.000000E+00";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.5E", std::fabs(v));  // d.dddddE±xx
  const std::string s = buf;
  const size_t e = s.find('E');
  const int exponent = std::atoi(s.c_str() + e + 1) + 1;
  std::string digits = s.substr(0, 1) + s.substr(2, 5);
  std::string out = std::string(v < 0 ? "-" : "") + "0." + digits;
  char ex[16];
  const int a = std::abs(exponent);
  if (a <= 99)
    std::snprintf(ex, sizeof ex, "E%c%02d", exponent < 0 ? '-' : '+', a);
  else
    std::snprintf(ex, sizeof ex, "%c%03d", exponent < 0 ? '-' : '+', a);
  out += ex;
  if (out.size() > 13) return std::string(13, '*');
  return std::string(13 - out.size(), ' ') + out;
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
