// One hour of meteorology made ready for the dispersion calculation: the checks and adjustments
// of the surface values, and the gridded profiles of wind speed and direction, σ_v, σ_w, the
// potential temperature gradient and the potential temperature built from the observed levels and
// the similarity profiles (Cimorelli et al. 2004, AERMOD: Description of Model Formulation,
// EPA-454/R-03-004, section 4).
#pragma once

#include "mod/grid.h"
#include "mod/met.h"

namespace mod {

enum class HourStatus { Computed, Calm, Missing };

struct HourProfiles {
  HourStatus status = HourStatus::Missing;
  bool stable = false;      // Monin–Obukhov length L > 0
  bool urban = false;       // the urban boundary layer of an urban source
  double zi = 0;            // mixing height, m
  double zic = 0, zim = 0;  // convective and mechanical mixing heights (after the limits), m
  double ustar = 0, wstar = 0, monin = 0, z0 = 0;
  double thetaGradAbove = 0;  // dθ/dz above the convective mixing height (after its floor), K/m
  double thetaStar = 0;       // temperature scale θ*, K (stable hours)
  int iZi = 1;                // locate(z_i)

  Column u, wd, sigmaV, sigmaW, thetaGrad, theta;
  // Trapezoid pieces (H(i) − H(i−1))·0.5·(P(i) + P(i−1)) of u, σ_v, σ_w and dθ/dz, summed by the
  // layer averages.
  Column uPiece, sigmaVPiece, sigmaWPiece, thetaGradPiece;
  double uZi = 0, thetaZi = 0, sigmaVZi = 0, sigmaWZi = 0;  // values at z_i
  double uAvg = 0, sigmaVAvg = 0, sigmaWAvg = 0;            // averages over 0 … z_i
};

// Checks, adjusts and grids one hour. `zBase` is the elevation of the base of the profile, m.
HourProfiles prepareHour(const MetHour& hour, bool adjustedUstar, double zBase);

// Fills the trapezoid pieces from the profiles.
void trapezoidPieces(HourProfiles& h);

// Potential temperature on the grid from the temperature T at height z_T and the gradient grid,
// by the trapezoid rule up and down from the level of z_T.
void potentialTemperature(Column& theta, const Column& thetaGrad, double temp, double zTemp,
                          double zBase);

}  // namespace mod
