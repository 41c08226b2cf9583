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

// Refuses sizes, times, ground properties and temperatures out of their physical ranges.
core::Check checkHeatEvaporation(const HeatEvaporationInput& in);
// Q2 = 0 when the ground is not warmer than the boiling point (T0 <= Tb).
HeatEvaporationResult computeHeatEvaporation(const HeatEvaporationInput& in);

inline constexpr const char* kMsgNoHeatFlow =
    "环境温度T0不高于沸点温度Tb，没有热量传入液池，热量蒸发量Q2 = 0";

const core::CalculatorDesc& heatEvaporationDesc();

}  // namespace models::risk
