// Building blocks shared by every source kind's plume: effective (point and layer-averaged)
// meteorology, the PDF of the convective vertical velocity, the ambient dispersion coefficients,
// the reflecting height, the lateral terms and the meander fraction (Cimorelli et al. 2004,
// sections 5.1–5.5; Weil et al. 1997).
#pragma once

#include "mod/profiles.h"

namespace mod {

constexpr double kR = 2.0;           // shape constant of the vertical velocity PDF
constexpr double kHalfDepth = 2.15;  // plume half-depth in σ_z

// Effective wind speed, σ_v, σ_w and dθ/dz seen by a plume.
struct Eff {
  double u = 0, sv = 0, sw = 0, tg = 0;
};

// σ_w ≥ 0.02, σ_v ≥ max(0.2, 0.05·u) with the unfloored u, u ≥ 0.2828.
void floors(Eff& e);
// Profile values interpolated at z, with the floors.
Eff pointValues(const HourProfiles& h, double z);
// Trapezoid averages over [zLo, zHi], with the floors; dθ/dz only `withGradient`.
Eff layerValues(const HourProfiles& h, double zLo, double zHi, bool withGradient);

// Parameters of the bi-Gaussian vertical velocity PDF of the convective boundary layer.
struct Pdf {
  double a1 = 0, a2 = 0, b1 = 0, b2 = 0, l1 = 0, l2 = 0;
};
Pdf pdfParameters(double wstar, double sw, double zc, double zi, bool surface);

// Lateral spread in stable air: σ_ya = σ_v/u·X/(1 + X/(2·u·T_y))^0.3.
double stableSigmaY(double X, const Eff& e, double zim, double hPlume);
// Lateral spread of the convective direct plume: σ_ya = σ_v/u·X/(1 + α·X_n)^0.3.
double convectiveSigmaY(double X, const Eff& d, double zi, double hs);
// Surface-layer vertical spread of a stable hour (0 in a convective hour).
double surfaceSigmaZ(const HourProfiles& h, double X, double u);
// Elevated vertical spread in stable air (Venkatram et al.): σ_ze = σ_w·t/√(1 + σ_w·t·(1/(0.72·z)
// + N/(0.54·σ_w))).
double elevatedSigmaZ(double sw, double t, double zt, double nn);
// Ambient vertical spread of a plume at height he in the stable branch (elevated and surface
// parts blended below z_i; without the N term in the urban layer).
double stableSigmaZ(const HourProfiles& h, double X, const Eff& e, double he, double hs);
// Reflecting height above a plume at height hp: max(z_i, hp + 2.15·√(σ_b² + σ_r² + σ_z0²))
// (Cimorelli et al. eq. (68)).
double reflectionHeight(const HourProfiles& h, double X, double hs, double hp, double sb,
                        double sz0);
// The same in two steps, for a plume whose height does not change with distance: the point
// values at hp, then the height at X.
struct ReflectionPoint {
  double hp = 0, u = 0, sw = 0, nn = 0;
};
ReflectionPoint reflectionPoint(const HourProfiles& h, double hp);
double reflectionHeight(const HourProfiles& h, const ReflectionPoint& p, double X, double hs,
                        double sb, double sz0);
// Gaussian lateral term exp(−y²/(2σ²))/(√(2π)·σ), 0 below e^−50.
double gaussianY(double y, double sigma);
// Random-plume fraction (meander): σ_r² = 2σ_v² + ū²·(1 − exp(−t/T_r)), f_r = σ_r²/u².
double randomFraction(double u, double sv, double d);

}  // namespace mod
