// Vertical distribution terms with image sources: the Gaussian plume reflected at the ground and
// at an elevated reflecting height, and the bi-Gaussian convective plume reflected at the ground
// and at the mixing height (Cimorelli et al. 2004, eqs. (54), (59)–(67)).
#pragma once

namespace mod {

// F_z of a Gaussian plume of spread `sigma` centred at `h`, reflected at 0 and at `top`, for a
// receptor at height `zr`. Above `top` only the ground image counts.
double stableVertical(double sigma, double h, double top, double zr);

// Updraft (1) and downdraft (2) parts of a convective plume: heights, spreads and weights.
struct ConvectivePlume {
  double h1, h2, s1, s2, l1, l2;
};
// F_z of the direct (sign +1) or indirect (sign -1) plume in a mixed layer of depth `zi`.
double convectiveVertical(const ConvectivePlume& p, double sign, double zi, double zr);

}  // namespace mod
