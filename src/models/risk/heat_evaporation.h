// Evaporation of a boiling pool driven by heat conducted from the ground
// (HJ/T 169-2004 annex A.2):
//   Q2 = lambda S (T0 - Tb) / (H sqrt(pi alpha t))
#pragma once

#include "core/calculator.h"

namespace models::risk {

struct HeatEvaporationInput {
  float s_m2 = 5;            // S, pool area
  float t_s = 50;            // t, evaporation time
  float lambda_w_mk = 1.1f;  // lambda, thermal conductivity of the ground surface
  float alpha_e7 = 1.29f;    // alpha, thermal diffusivity of the ground, 1e-7 m^2/s
  float t0_k = 298;          // T0, ambient temperature
  float tb_k = 280;          // Tb, boiling point
  float h_j_kg = 1000;       // H, heat of vaporisation
};

struct HeatEvaporationResult {
  float q2_kg_s = 0;  // Q2, evaporation rate
};

// No input is refused: a zero time, diffusivity or heat gives a non-finite rate.
// Refuses sizes, times, ground properties and temperatures out of their physical ranges.
core::Check checkHeatEvaporation(const HeatEvaporationInput& in);
HeatEvaporationResult computeHeatEvaporation(const HeatEvaporationInput& in);

const core::CalculatorDesc& heatEvaporationDesc();

}  // namespace models::risk
