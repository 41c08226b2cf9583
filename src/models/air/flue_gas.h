// Flue gas of an oil- or coal-fired boiler: yearly gas volume, SO2 and dust emissions, their
// raw concentrations, the emissions the standards allow and the reductions needed.
#pragma once

#include "core/calculator.h"

namespace models::air {

enum class Fuel { Oil = 0, Coal = 1 };

struct FlueGasInput {
  Fuel fuel = Fuel::Oil;
  float fuel_t_y = 0;          // B, yearly fuel use, t
  float so2_std_mg_m3 = 500;   // Cs, SO2 emission standard
  float dust_std_mg_m3 = 100;  // Cd, dust emission standard
  float sulphur_pct = 0.3f;    // S
  float ash_pct = 12;          // A (coal)
  float ash_to_dust_pct = 20;  // dfh, share of the ash leaving as flue dust (coal)
  float dust_comb_pct = 20;    // Cfh, combustible share of the flue dust (coal)
};

// Every real result is stored in a single-precision field; the concentrations are whole
// numbers (kept here as whole-valued doubles).
struct FlueGasResult {
  float gas_1e4nm3_y = 0;      // V, 10^4 Nm3 a year
  double so2_conc_mg_m3 = 0;   // raw SO2 concentration, rounded half up
  double dust_conc_mg_m3 = 0;  // raw dust concentration, rounded half up
  float so2_t_y = 0;           // G_s
  float dust_t_y = 0;          // G_d
  float so2_std_t_y = 0;       // allowed SO2
  float dust_std_t_y = 0;      // allowed dust
  float so2_cut_t_y = 0;       // reduction, never negative
  float dust_cut_t_y = 0;
};

// Values a fuel choice writes into the form.
struct FuelPreset {
  const char* sulphur_text;
  const char* so2_std_text;
  const char* dust_std_text;
};
FuelPreset fuelPreset(Fuel fuel);

core::Check checkFlueGas(const FlueGasInput& in);
FlueGasResult computeFlueGas(const FlueGasInput& in);

const core::CalculatorDesc& flueGasDesc();

}  // namespace models::air
