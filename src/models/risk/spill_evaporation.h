// Total mass evaporated from a spilled liquid: the flash, heat and mass-transfer stages, each
// rate times its duration (HJ/T 169-2004 annex A.2):
//   Wp = Q1 t1 + Q2 t2 + Q3 t3
// The stage rates come from the three stage calculators (flash_evaporation.h,
// heat_evaporation.h, mass_evaporation.h), which the page opens as dialogs.
#pragma once

#include "core/calculator.h"

namespace models::risk {

struct SpillEvaporationInput {
  float q1_kg_s = 0;  // Q1, flash evaporation rate
  float q2_kg_s = 0;  // Q2, heat evaporation rate
  float q3_kg_s = 0;  // Q3, mass-transfer evaporation rate
  float t1_s = 0;     // t1, flash evaporation time
  float t2_s = 0;     // t2, heat evaporation time
  float t3_s = 0;     // t3, time from the release until the liquid is cleared
};

struct SpillEvaporationResult {
  float wp_kg = 0;  // Wp, total mass evaporated
};

SpillEvaporationResult computeSpillEvaporation(const SpillEvaporationInput& in);

const core::CalculatorDesc& spillEvaporationDesc();

}  // namespace models::risk
