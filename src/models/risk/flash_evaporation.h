// Flash evaporation of a superheated liquid released at a temperature above its boiling point
// (HJ/T 169-2004 annex A.2):
//   Q1 = Fv WT / t1,  Fv = Cp (TL - Tb) / H
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::risk {

struct FlashEvaporationInput {
  float wt_kg = 20;        // WT, total mass released
  float t1_s = 50;         // t1, duration of the flash evaporation
  float cp_j_kg_k = 1000;  // Cp, specific heat of the liquid at constant pressure
  float tl_k = 298;        // TL, liquid temperature before the release
  float tb_k = 85;         // Tb, boiling point at ambient pressure
  float h_j_kg = 4500;     // H, heat of vaporisation
};

struct FlashEvaporationResult {
  float q1_kg_s = 0;  // Q1, flash evaporation rate
};

// H, then t1, must be above 0; WT and Cp above 0; TL at least Tb. A flash fraction
// Cp (TL - Tb) / H of 1 or more flashes the whole spill: Q1 = WT / t1.
core::Check checkFlashEvaporation(const FlashEvaporationInput& in);
FlashEvaporationResult computeFlashEvaporation(const FlashEvaporationInput& in);
// "闪蒸比例Fv = ..." and, when the whole spill flashes, "液体将全部闪蒸".
std::string flashEvaporationText(const FlashEvaporationInput& in);

inline constexpr const char* kMsgFlashHeat = "液体气化热要大于0";
inline constexpr const char* kMsgFlashTime = "闪蒸蒸发时间要大于0";

// The stage dialog opened from the spill page (no page and no menu item of its own).
const core::CalculatorDesc& flashEvaporationDesc();

}  // namespace models::risk
