// Pool fire of a spilled flammable liquid (major-hazard classification practice):
//   D = sqrt(4 W / (hmin rho pi))                      pool diameter from the minimum layer
//   m" = 0.001 Hc / (Cp (Tb - Ta) + Hv)  (Tb > Ta),  0.001 Hc / Hv otherwise   (Burgess)
//   L = 42 D (m" / (rho_air sqrt(g D)))^0.61            flame height (Thomas)
//   T = 4 W / (m" pi D^2),   q0 = f Hc m" (D/4) / (D/4 + L)
// Flux at the target, point-source model (CCPS, Guidelines for Chemical Process Quantitative
// Risk Analysis, 2nd ed., 2000, section 2.2.6): the radiated power of the burning area
// Qr = f m" Hc pi D^2 / 4 sent out from a point at half the flame height,
//   q = tau Qr / (4 pi R^2),  R^2 = x^2 + (L/2)^2,  tau = 1 (no atmospheric absorption),
// and the harm of q over the exposure time t as for the fireball and the jet fire.
#pragma once

#include <string>

#include "core/calculator.h"
#include "models/risk/thermal_harm.h"

namespace models::risk {

enum class GroundType { Grass = 0, Rough = 1, Flat = 2, Concrete = 3, CalmWater = 4 };

struct PoolFireInput {
  float w_kg = 100;       // W, mass of liquid spilled
  float ta_c = 25;        // Ta, ambient temperature, deg C
  float t_s = 40;         // t, exposure time
  float rho_kg_m3 = 880;  // rho, liquid density
  GroundType ground = GroundType::Flat;
  float hc_j_kg = 41825632;   // Hc, heat of combustion
  float hv_j_kg = 434256.4f;  // Hv, heat of vaporisation at the boiling point
  float cp_j_kg_k = 1737.2f;  // Cp, specific heat of the liquid
  float tb_c = 80.1f;         // Tb, boiling point, deg C
  float f = 0.35f;            // f, fraction of heat radiated
  float x_m = 10;             // x, horizontal distance of the target from the pool centre
};

struct PoolFireResult {
  double d_m = 0;           // pool diameter
  double burn_kg_m2_s = 0;  // burning rate per area
  double l_m = 0;           // flame height
  double duration_s = 0;    // burning time
  double q0_w_m2 = 0;       // surface heat flux
  double qr_w = 0;          // power radiated by the fire
  double q_w_m2 = 0;        // flux received at x
  bool inside = false;      // the target stands in the burning pool (x < D/2)
  ThermalHarm harm;         // at x over the exposure time
  std::string text;
};

// Minimum layer thickness of the spread liquid, m: grass 0.02, rough 0.025, flat 0.01,
// concrete 0.005, calm water 0.0018.
double minimumLayer(GroundType g);

// First refused input: W, rho, Hc, Hv > 0; Cp >= 0; f in (0, 1]; t > 0; x >= 0.
core::Check checkPoolFire(const PoolFireInput& in);
PoolFireResult computePoolFire(const PoolFireInput& in);

const core::CalculatorDesc& poolFireDesc();

}  // namespace models::risk
