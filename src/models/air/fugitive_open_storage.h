// Evaporation of a hazardous substance stored in the open (Mackay-type formula, "马扎克公式"):
//   G = (5.38 + 4.1 u) Pv F M^0.5   g/h
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace models::air {

struct OpenStorageInput {
  float wind_m_s = 0.8f;                // u, air speed in the workshop
  float area_m2 = 1.44f;                // F, exposed area
  float molar_mass = 78;                // M
  float temperature_k = 298;            // T (used by the substance choice only)
  float vapour_pressure_mmhg = 93.98f;  // Pv, saturated vapour pressure at T
};

// G, g/h.
// Refuses a wind speed, area or vapour pressure below zero and a molar mass not above zero.
core::Check checkOpenStorage(const OpenStorageInput& in);
double computeOpenStorage(const OpenStorageInput& in);

// Vapour pressure constants of the listed substances: Pv = 10^(A - 0.05223 B / T) mmHg.
struct VapourConstants {
  const char* name;
  double a, b;
};
const std::vector<VapourConstants>& openStorageSubstances();
std::vector<std::string> openStorageSubstanceNames();

// Pv of a listed substance at T, mmHg; nothing for a name not in the list.
std::optional<double> substanceVapourPressure(const std::string& name, double temperature_k);

const core::CalculatorDesc& openStorageDesc();

}  // namespace models::air
