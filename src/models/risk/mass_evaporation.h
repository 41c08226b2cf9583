// Wind-driven (mass-transfer) evaporation from a liquid pool (HJ/T 169-2004 annex A.2):
//   Q3 = alpha P M / (R T0) u^((2 - n) / (2 + n)) r^((4 + n) / (2 + n))
// with n and alpha tabulated by atmospheric stability.
#pragma once

#include "core/calculator.h"

namespace models::risk {

enum class PoolStability { Unstable = 0, Neutral = 1, Stable = 2 };

struct MassEvaporationInput {
  float p_pa = 2000;  // P, vapour pressure at the liquid surface
  float r_m = 5;      // r, pool radius
  PoolStability stability = PoolStability::Unstable;
  float m = 320;     // M, molar mass
  float t0_k = 298;  // T0, ambient temperature
  float u_m_s = 2;   // u, wind speed
};

struct MassEvaporationResult {
  float q3_kg_s = 0;  // Q3, evaporation rate
};

struct StabilityCoefficients {
  double n, alpha;
};
// Unstable (A, B) 0.2 / 3.846e-3, neutral (D) 0.25 / 4.685e-3, stable (E, F) 0.3 / 5.285e-3.
StabilityCoefficients poolStabilityCoefficients(PoolStability s);

// No input is refused: a zero temperature gives a non-finite rate.
// Refuses pressures, sizes, masses, temperatures and wind speeds out of their physical ranges.
core::Check checkMassEvaporation(const MassEvaporationInput& in);
MassEvaporationResult computeMassEvaporation(const MassEvaporationInput& in);

const core::CalculatorDesc& massEvaporationDesc();

}  // namespace models::risk
