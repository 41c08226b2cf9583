// Evaporation from a free surface of a liquid other than water, split into the part that
// escapes capture (fugitive) and the captured part left after treatment:
//   Gz = (0.000352 + 0.000786 V) P M F   kg/h
#pragma once

#include "core/calculator.h"

namespace models::air {

struct LiquidEvaporationInput {
  float air_speed_m_s = 0.3f;  // V, air speed over the surface
  float area_m2 = 22;          // F
  float molar_mass = 20;       // M
  float partial_mmhg = 0.27f;  // P, vapour partial pressure at the liquid temperature
  float capture_pct = 85;      // collection efficiency
  float treatment_pct = 90;    // treatment efficiency
};

struct LiquidEvaporationResult {
  double evaporation_kg_h = 0;  // Gz
  double fugitive_kg_h = 0;     // (1 - capture) Gz
  double stack_kg_h = 0;        // (1 - treatment) capture Gz
};

LiquidEvaporationResult computeLiquidEvaporation(const LiquidEvaporationInput& in);

const core::CalculatorDesc& liquidEvaporationDesc();

}  // namespace models::air
