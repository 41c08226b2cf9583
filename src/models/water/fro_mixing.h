// Mixing stretch of a river below an outfall: the share of the river flow that has mixed
// with the waste water grows with distance at a rate set by the mixing coefficient alpha;
// optionally with first-order decay.
#pragma once

#include <vector>

#include "core/calculator.h"

namespace models::water {

enum class FroMode { Plain = 0, Decay = 1 };

struct FroInput {
  FroMode mode = FroMode::Plain;
  float ch_mg_l = 0.1f;     // Ch, upstream concentration, mg/L
  float qh_m3_s = 10;       // Qh, river flow, m^3/s
  float cp_mg_l = 100;      // Cp, discharge concentration, mg/L
  float qp_m3_s = 1;        // Qp, discharge flow, m^3/s
  float k1_per_d = 1;       // K1, decay rate (decay mode only), 1/d
  float depth_m = 0.5f;     // H, mean depth, m
  float u_m_s = 0.2f;       // u, river velocity, m/s
  float radius_m = 100;     // R, hydraulic radius, m
  float roughness = 0.05f;  // n, bed roughness
  float outfall = 1;        // epsilon, outfall coefficient
  float xmax_m = 1000;      // xmax, farthest distance, m
  float step_m = 10;        // xc, distance step, m
};

struct FroRow {
  float x_m = 0;      // distance below the outfall (single precision), m
  double c_mg_l = 0;  // concentration, mg/L
};

struct FroResult {
  float alpha = 0;  // mixing coefficient (single precision)
  std::vector<FroRow> rows;
};

// The list must stay within the grid size the page can show (the step field is named);
// nothing else is refused: Qp = 0, u = 0 or R <= 0 give non-finite values, a zero step no rows.
core::Check checkFro(const FroInput& in);
FroResult computeFro(const FroInput& in);

// The result list as the page shows it.
core::Table froTable(const FroResult& r);

const core::CalculatorDesc& froDesc();

}  // namespace models::water
