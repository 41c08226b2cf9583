// Hourly meteorology from the surface file (.SFC) and the profile file (.PFL) of the AERMET
// meteorological preprocessor (US EPA, AERMET User's Guide, file layouts of the stage 3 output).
#pragma once

#include <string>
#include <vector>

namespace mod {

// One line of the surface file, as read (missing values keep their codes).
struct SurfaceRecord {
  int year = 0, month = 0, day = 0, julianDay = 0, hour = 0;  // two-digit year, hour ending 1–24
  double heatFlux = 0;                                        // sensible heat flux H, W/m²
  double ustar = 0;                                           // friction velocity u*, m/s
  double wstar = 0;                                           // convective velocity w*, m/s
  double thetaGradAbove = 0;  // dθ/dz in the 500 m above the convective mixing height, K/m
  double zic = 0;             // convective mixing height, m
  double zim = 0;             // mechanical mixing height, m
  double monin = 0;           // Monin–Obukhov length L, m
  double z0 = 0;              // surface roughness length, m
  double uref = 0;            // reference wind speed, m/s (0 = calm)
  double wdref = 0;           // reference wind direction (from), degrees
  double zref = 0;            // height of the reference wind, m
  double temp = 0;            // temperature, K
  double ztemp = 0;           // height of the temperature, m
  long line = 0;              // line in the surface file
};

// One level of the profile file after the unit conversions made as it is read.
struct ProfileLevel {
  double z = 0;         // height, m
  double wd = -999;     // wind direction (from), degrees; -999 missing
  double ws = -99;      // wind speed, m/s; -99 missing
  double temp = -999;   // temperature, K (converted from °C); -999 missing
  double sigmaV = -99;  // lateral turbulence σ_v from σ_θ, m/s; -99 missing
  double sigmaW = -99;  // vertical turbulence σ_w, m/s; -99 missing
};

struct MetHour {
  SurfaceRecord sfc;
  std::vector<ProfileLevel> levels;  // upward
};

struct MetData {
  bool adjustedUstar = false;   // the surface header carries "ADJ_U*"
  bool bulkRichardson = false;  // the surface header carries "BULKRN"
  long turbulenceLine = 0;      // first profile line with a measured σ_θ or σ_w (0: none)
  std::vector<MetHour> hours;
};

// Reads both files; throws InputError naming the file and line of the first fault.
MetData readMet(const std::string& surfacePath, const std::string& profilePath);

// Calendar key yyyymmddhh (four-digit year) of a surface record.
long dateKey(const SurfaceRecord& r);

}  // namespace mod
