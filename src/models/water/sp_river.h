// Streeter-Phelps river model below a waste-water outfall: complete mixing of river and
// waste water, then first-order decay of the pollutant and the oxygen-deficit sag curve.
#pragma once

#include <vector>

#include "core/calculator.h"

namespace models::water {

struct SpInput {
  float qh_m3_s = 20;     // Qh, river flow, m^3/s
  float ch_mg_l = 0.5f;   // Ch, upstream concentration, mg/L
  float qp_m3_s = 2;      // Qp, waste-water flow, m^3/s
  float cp_mg_l = 100;    // Cp, waste-water concentration, mg/L
  float u_m_s = 1;        // u, river velocity, m/s
  float dp_mg_l = 4.1f;   // Dp, oxygen deficit of the waste water, mg/L
  float dh_mg_l = 1.4f;   // Dh, background oxygen deficit of the river, mg/L
  float k1_per_d = 1;     // K1, deoxygenation (decay) rate, 1/d
  float k2_per_d = 1.5f;  // K2, re-aeration rate, 1/d
  float lmax_m = 3000;    // lmax, farthest distance from the outfall, m
  float step_m = 100;     // l, distance step, m
  bool mix_only = false;  // only the complete-mixing concentration
};

struct SpRow {
  int index = 0;            // 1-based row number
  float x_m = 0;            // distance below the outfall (single precision), m
  double c_mg_l = 0;        // pollutant concentration, mg/L
  double deficit_mg_l = 0;  // oxygen deficit, mg/L
};

struct SpResult {
  float c0_mg_l = 0;        // C0, concentration after complete mixing (single precision)
  float d0_mg_l = 0;        // D0, oxygen deficit after complete mixing (single precision)
  std::vector<SpRow> rows;  // empty in the complete-mixing-only mode
};

// The table must stay within the grid size the page can show (the step field is named);
// nothing else is refused: a zero step gives no rows, K1 = K2 a non-finite deficit.
core::Check checkSp(const SpInput& in);
SpResult computeSp(const SpInput& in);

// The result grid as the page shows it: the distance table, or the single
// complete-mixing cell when only that was asked for.
core::Table spTable(const SpInput& in, const SpResult& r);

const core::CalculatorDesc& spDesc();

}  // namespace models::water
