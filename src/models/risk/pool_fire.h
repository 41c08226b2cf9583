// Pool fire of a spilled flammable liquid (major-hazard classification practice):
//   D = sqrt(4 W / (hmin rho pi))                      pool diameter from the minimum layer
//   m" = 0.001 Hc / (Cp (Tb - Ta) + Hv)  (Tb > Ta),  0.001 Hc / Hv otherwise   (Burgess)
//   L = 42 D (m" / (rho_air sqrt(g D)))^0.61            flame height (Thomas)
//   T = 4 W / (m" pi D^2),   q0 = f Hc m" (D/4) / (D/4 + L)
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::risk {

enum class GroundType { Grass = 0, Rough = 1, Flat = 2, Concrete = 3, CalmWater = 4 };

struct PoolFireInput {
  float w_kg = 100;       // W, mass of liquid spilled
  float ta_c = 25;        // Ta, ambient temperature, deg C
  float t_s = 40;         // t, exposure time (not used by the model)
  float rho_kg_m3 = 880;  // rho, liquid density
  GroundType ground = GroundType::Flat;
  float hc_j_kg = 41825632;   // Hc, heat of combustion
  float hv_j_kg = 434256.4f;  // Hv, heat of vaporisation at the boiling point
  float cp_j_kg_k = 1737.2f;  // Cp, specific heat of the liquid
  float tb_c = 80.1f;         // Tb, boiling point, deg C
  float f = 0.35f;            // f, fraction of heat radiated
  float x_m = 10;             // x, distance of the target (not used by the model)
};

struct PoolFireResult {
  double d_m = 0;           // pool diameter
  double burn_kg_m2_s = 0;  // burning rate per area
  double l_m = 0;           // flame height
  double duration_s = 0;    // burning time
  double q0_w_m2 = 0;       // surface heat flux
  std::string text;
};

// Minimum layer thickness of the spread liquid, m: grass 0.02, rough 0.025, flat 0.01,
// concrete 0.005, calm water 0.0018.
double minimumLayer(GroundType g);

// No input is refused: a zero mass gives non-finite numbers in the text.
PoolFireResult computePoolFire(const PoolFireInput& in);

const core::CalculatorDesc& poolFireDesc();

}  // namespace models::risk
