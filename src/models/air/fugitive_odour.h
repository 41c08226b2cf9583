// Emission rate of an odorous gas from a waste pile or landfill:
//   E = 2 C W m / M (D L u / (π F))^0.5
#pragma once

#include "core/calculator.h"

namespace models::air {

// All fields are double precision; no unit conversion is applied.
struct OdourRateInput {
  double wind_m_s = 0;           // u
  double diffusivity_cm2_s = 0;  // D
  double width_cm = 0;           // W, width of the pile
  double length_cm = 0;          // L, length of the pile
  double compound_kg = 0;        // m, mass of the volatile compound in the soil
  double total_kg = 0;           // M, mass of soil and compound
  double vapour_pressure = 0;    // C, vapour pressure of the gas, in 101.325 kPa
  double correction_f = 0;       // F, vapour pressure correction factor
};

// u L D / (π F); the rate needs it positive.
double odourRootTerm(const OdourRateInput& in);

core::Check checkOdourRate(const OdourRateInput& in);
// E, cm3/s.
double computeOdourRate(const OdourRateInput& in);

const core::CalculatorDesc& odourRateDesc();

}  // namespace models::air
