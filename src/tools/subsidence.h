// Surface subsidence above a rectangular longwall panel by the probability-integral method
// (何国清 等《矿山开采沉陷学》, 中国矿业大学出版社 1991; 《建筑物、水体、铁路及主要井巷煤柱
// 留设与压煤开采规范》, 国家安全监管总局 等 2017, appendix on the probability-integral method).
//
// Coordinates on the surface, m: X along the strike from the panel's starting edge (the panel
// lies over 0 <= X <= p), Y along the dip from its up-dip edge (over 0 <= Y <= a). With the
// major influence radius r = H0 / tan(beta) and the shift of the basin toward the dip
// s = H0 cot(theta) caused by the angle of maximum subsidence theta:
//   W0 = m q cos(alpha)
//   Cx = 1/2 [erf(sqrt(pi) x / r) - erf(sqrt(pi) (x - p) / r)],  x = X
//   Cy = 1/2 [erf(sqrt(pi) y / r) - erf(sqrt(pi) (y - a) / r)],  y = Y - s
//   W = W0 Cx Cy
//   i_x = dW/dx = W0 Cy (1/r) [exp(-pi x^2/r^2) - exp(-pi (x-p)^2/r^2)]
//   K_x = d2W/dx2 = W0 Cy (2 pi / r^3) [(x-p) exp(-pi (x-p)^2/r^2) - x exp(-pi x^2/r^2)]
//   U_x = b r i_x,  eps_x = b r K_x            (and the same in y with Cx)
// For a panel mined to full extent the extremes are i0 = W0/r, K0 = 1.52 W0/r^2, U0 = b W0
// and eps0 = 1.52 b W0 / r.
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::tools {

struct SubsidenceInput {
  float depth_m = 500;    // H0, mean mining depth
  float tan_beta = 2.1f;  // tan(beta), tangent of the angle of major influence
  float theta_deg = 85;   // theta, angle of maximum subsidence
  float length_m = 70;    // p, panel length along the strike
  float width_m = 50;     // a, horizontal panel width along the dip
  float thickness_m = 2;  // m, mined thickness
  float q = 0.7f;         // subsidence factor
  float b = 0.3f;         // horizontal movement factor
  float dip_deg = 0;      // alpha, seam dip
  float x_m = 50;         // X of the surface point
  float y_m = 50;         // Y of the surface point
};

// Lengths in m; subsidence and movements in mm, tilts and strains in mm/m, curvatures in
// 1e-3/m (mm/m^2).
struct SubsidenceResult {
  double w0_mm = 0;                          // maximum subsidence of a fully mined panel
  double r_m = 0;                            // major influence radius
  double shift_m = 0;                        // shift of the basin toward the dip
  double w_mm = 0;                           // subsidence at (X, Y)
  double ix = 0, iy = 0;                     // tilts
  double kx = 0, ky = 0;                     // curvatures
  double ux_mm = 0, uy_mm = 0;               // horizontal movements
  double ex = 0, ey = 0;                     // horizontal strains
  double i0 = 0, k0 = 0, u0_mm = 0, e0 = 0;  // extremes of a fully mined panel
};

core::Check checkSubsidence(const SubsidenceInput& in);
SubsidenceResult computeSubsidence(const SubsidenceInput& in);
std::string subsidenceText(const SubsidenceInput& in, const SubsidenceResult& r);

const core::CalculatorDesc& subsidenceDesc();

}  // namespace models::tools
