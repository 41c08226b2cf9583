// Release rate of a liquid through a breach below the liquid level (Bernoulli equation):
//   QL = Cd A rho sqrt(2 (P - P0) / rho + 2 g h)
// (HJ/T 169-2004 Technical guidelines for environmental risk assessment on projects, annex A.1;
// valid while the liquid does not flash inside the opening).
#pragma once

#include "core/calculator.h"

namespace models::risk {

struct LiquidLeakInput {
  float a_m2 = 0.05f;     // A, area of the breach
  float p_pa = 110000;    // P, pressure of the medium in the vessel
  float p0_pa = 101300;   // P0, ambient pressure
  float h_m = 2;          // h, liquid level above the breach
  float cd = 0.62f;       // Cd, discharge coefficient (usually 0.6-0.64)
  float rho_kg_m3 = 900;  // rho, liquid density, kg/m^3
};

struct LiquidLeakResult {
  double ql_kg_s = 0;  // QL, release rate (double-precision field)
};

// No input is refused: P < P0 or a negative root argument shows as a non-finite rate.
LiquidLeakResult computeLiquidLeak(const LiquidLeakInput& in);

// Static texts of the page, under the result.
inline constexpr const char* kLiquidLeakNotes[] = {
    "计算公式如下:", "QL=Cd*A*ρ*(2*(P-P0)/ρ+2*g*h)^0.5", "应用条件：液体在喷口内不应有急剧蒸发"};

// First refused input: A > 0; P0 >= 0; P >= P0; h >= 0; Cd in (0, 1]; rho > 0.
core::Check checkLiquidLeak(const LiquidLeakInput& in);

const core::CalculatorDesc& liquidLeakDesc();

}  // namespace models::risk
