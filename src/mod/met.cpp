#include "mod/met.h"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "mod/errors.h"
#include "mod/grid.h"
#include "mod/line_reader.h"

namespace mod {

namespace {

const char* const kSurfaceColumns[] = {"year",
                                       "month",
                                       "day",
                                       "Julian day",
                                       "hour",
                                       "sensible heat flux",
                                       "u*",
                                       "w*",
                                       "dtheta/dz above the mixing height",
                                       "convective mixing height",
                                       "mechanical mixing height",
                                       "Monin-Obukhov length",
                                       "roughness length",
                                       "Bowen ratio",
                                       "albedo",
                                       "wind speed",
                                       "wind direction",
                                       "wind height",
                                       "temperature",
                                       "temperature height"};
const char* const kProfileColumns[] = {
    "year",           "month",      "day",         "hour",        "height", "top flag",
    "wind direction", "wind speed", "temperature", "sigma-theta", "sigma-w"};

int fullYear(int yy) { return yy >= 100 ? yy : (yy < 50 ? 2000 + yy : 1900 + yy); }

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
long daysFromCivil(long y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// Hours since 1970-01-01 00:00 of a record whose hour 1–24 ends the hour.
long hourNumber(const SurfaceRecord& r) {
  return daysFromCivil(fullYear(r.year), r.month, r.day) * 24 + r.hour;
}

std::string dateText(const SurfaceRecord& r) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d hour %02d", fullYear(r.year), r.month, r.day,
                r.hour);
  return buf;
}

// Reads the first `count` words of a line as numbers.
std::vector<double> numbers(const LineReader& r, const std::string& line, size_t count,
                            const char* const* names) {
  const std::vector<std::string> words = splitWords(line);
  if (words.size() < count)
    throw fileError(
        r.name(), r.lineNo(),
        "expected " + std::to_string(count) + " columns, found " + std::to_string(words.size()));
  std::vector<double> v(count);
  for (size_t i = 0; i < count; ++i)
    if (!parseNumber(words[i], v[i]))
      throw fileError(r.name(), r.lineNo(),
                      "column " + std::to_string(i + 1) + " (" + names[i] +
                          ") is not a number: \"" + words[i] + "\"");
  return v;
}

int wholeNumber(const LineReader& r, double v, const char* what) {
  if (!(v == std::floor(v) && std::fabs(v) < 1e6))
    throw fileError(r.name(), r.lineNo(), std::string(what) + " is not a whole number");
  return static_cast<int>(v);
}

SurfaceRecord surfaceRecord(const LineReader& r, const std::string& line) {
  const std::vector<double> v = numbers(r, line, 20, kSurfaceColumns);
  SurfaceRecord s;
  s.year = wholeNumber(r, v[0], "year");
  s.month = wholeNumber(r, v[1], "month");
  s.day = wholeNumber(r, v[2], "day");
  s.julianDay = wholeNumber(r, v[3], "Julian day");
  s.hour = wholeNumber(r, v[4], "hour");
  if (s.month < 1 || s.month > 12 || s.day < 1 || s.hour < 1 || s.hour > 24 ||
      daysFromCivil(fullYear(s.year), s.month, s.day) >=
          daysFromCivil(fullYear(s.year) + (s.month == 12), s.month % 12 + 1, 1))
    throw fileError(r.name(), r.lineNo(), "date or hour out of range");
  s.heatFlux = v[5];
  s.ustar = v[6];
  s.wstar = v[7];
  s.thetaGradAbove = v[8];
  s.zic = v[9];
  s.zim = v[10];
  s.monin = v[11];
  s.z0 = v[12];
  s.uref = v[15];
  s.wdref = v[16];
  s.zref = v[17];
  s.temp = v[18];
  s.ztemp = v[19];
  s.line = r.lineNo();
  return s;
}

// Unit conversions and missing codes of one profile level, in the order the model applies them.
ProfileLevel profileLevel(double z, double wd, double ws, double tempC, double sigmaTheta,
                          double sigmaW) {
  ProfileLevel p;
  p.z = z;
  if (ws < 0.0 || ws > 90.0) ws = -99.0;
  if (ws > 0.0 && ws <= 90.0 && wd == 0.0) wd = 360.0;
  if (wd > 900.0 || wd < 0.0) wd = -999.0;
  if (ws == 0.0 && wd == 0.0) {
    ws = -99.0;
    wd = -999.0;
  }
  p.ws = ws;
  p.wd = wd;
  // σ_v = s·u·√(1 − ε²), ε = sin(s)·(1 − 0.073864·s), s = σ_θ in radians
  if (ws > 0.0 && sigmaTheta >= 0.0 && sigmaTheta < 99.0) {
    const double s = sigmaTheta * Consts::degToRad;
    const double eps = std::sin(s) * (1.0 - 0.073864 * s);
    p.sigmaV = std::max(0.2, s * (ws * std::sqrt(1.0 - eps * eps)));
  }
  if (tempC > -90.0 && tempC < 90.0) p.temp = tempC + 273.16;
  if (!(sigmaW < 0.0 || sigmaW > 90.0)) p.sigmaW = std::max(0.02, sigmaW);
  return p;
}

}  // namespace

long dateKey(const SurfaceRecord& r) {
  return ((static_cast<long>(fullYear(r.year)) * 100 + r.month) * 100 + r.day) * 100 + r.hour;
}

MetData readMet(const std::string& surfacePath, const std::string& profilePath) {
  std::ifstream sfcIn(surfacePath, std::ios::binary);
  if (!sfcIn) throw InputError("cannot open the surface file \"" + surfacePath + "\"");
  std::ifstream pflIn(profilePath, std::ios::binary);
  if (!pflIn) throw InputError("cannot open the profile file \"" + profilePath + "\"");
  LineReader sfc(sfcIn, surfacePath), pfl(pflIn, profilePath);

  MetData met;
  std::string line;
  if (!sfc.next(line)) throw fileError(surfacePath, 1, "the surface file is empty");
  met.adjustedUstar = line.find("ADJ_U*") != std::string::npos;
  met.bulkRichardson = line.find("BULKRN") != std::string::npos;

  while (sfc.next(line)) {
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    MetHour hour;
    hour.sfc = surfaceRecord(sfc, line);
    // Every hour is present, missing ones flagged: an absent hour is a broken file, not a calm.
    if (!met.hours.empty()) {
      const SurfaceRecord& last = met.hours.back().sfc;
      const long step = hourNumber(hour.sfc) - hourNumber(last);
      if (step <= 0)
        throw fileError(surfacePath, sfc.lineNo(), "hour out of order (after the previous line)");
      if (step > 1)
        throw fileError(surfacePath, sfc.lineNo(),
                        "hours missing from the file: " + dateText(hour.sfc) + " follows " +
                            dateText(last) + " (line " + std::to_string(last.line) + ")");
    }
    // The profile levels of the same hour, up to the level flagged as the top.
    for (;;) {
      if (!pfl.next(line))
        throw fileError(profilePath, pfl.lineNo() + 1,
                        "the profile file ends before the hour of surface line " +
                            std::to_string(sfc.lineNo()));
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      const std::vector<double> v = numbers(pfl, line, 11, kProfileColumns);
      const int yy = wholeNumber(pfl, v[0], "year"), mm = wholeNumber(pfl, v[1], "month"),
                dd = wholeNumber(pfl, v[2], "day"), hh = wholeNumber(pfl, v[3], "hour");
      if (yy % 100 != hour.sfc.year % 100 || mm != hour.sfc.month || dd != hour.sfc.day ||
          hh != hour.sfc.hour)
        throw fileError(
            profilePath, pfl.lineNo(),
            "profile hour does not match the surface hour of line " + std::to_string(sfc.lineNo()));
      if (!hour.levels.empty() && !(v[4] > hour.levels.back().z))
        throw fileError(profilePath, pfl.lineNo(), "profile heights must increase upward");
      hour.levels.push_back(profileLevel(v[4], v[6], v[7], v[8], v[9], v[10]));
      const ProfileLevel& l = hour.levels.back();
      if (met.turbulenceLine == 0 && (l.sigmaV >= 0.0 || l.sigmaW >= 0.0))
        met.turbulenceLine = pfl.lineNo();
      if (v[5] == 1.0) break;
    }
    met.hours.push_back(std::move(hour));
  }
  if (met.hours.empty()) throw fileError(surfacePath, sfc.lineNo(), "no hours in the surface file");
  return met;
}

}  // namespace mod
