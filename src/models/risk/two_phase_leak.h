// Release rate of a flashing liquid as a two-phase flow (HJ/T 169-2004 annex A.1):
//   Fv = Cp (TLG - Tc) / H,  rho_m = 1 / ((1 - Fv) / rho2 + Fv / rho1),
//   QLG = Cd A sqrt(2 rho_m (P - Pc)),  Cd = 0.8,  Pc = 0.55 P.
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::risk {

struct TwoPhaseLeakInput {
  float a_m2 = 0.05f;       // A, area of the breach
  float rho1_kg_m3 = 1000;  // rho1, density of the evaporated vapour
  float rho2_kg_m3 = 1100;  // rho2, liquid density
  float h_j_kg = 1100;      // H, heat of vaporisation
  float tc_k = 400;         // Tc, boiling point at the critical pressure
  float p_pa = 300;         // P, operating or vessel pressure
  float tlg_k = 410;        // TLG, temperature of the two-phase mixture
  float cp_j_kg_k = 80;     // Cp, specific heat of the mixture at constant pressure
};

struct TwoPhaseLeakResult {
  double fv = 0;        // evaporated fraction
  double rho_m = 0;     // mixture density, kg/m^3
  double qlg_kg_s = 0;  // QLG, release rate (double-precision field)
  std::string text;     // the evaporated-fraction line
};

// No input is refused. Fv above 1 still gives a rate, with the advice to treat the release as
// a gas leak.
// Refuses sizes, densities, heats and pressures out of their physical ranges, and a mixture
// below the boiling point (a negative evaporated fraction).
core::Check checkTwoPhaseLeak(const TwoPhaseLeakInput& in);
TwoPhaseLeakResult computeTwoPhaseLeak(const TwoPhaseLeakInput& in);

const core::CalculatorDesc& twoPhaseLeakDesc();

}  // namespace models::risk
