// One-dimensional daily mean water temperature below a warm (or cold) outfall: complete
// mixing, then relaxation toward the equilibrium temperature at the rate of the surface
// heat-exchange coefficient.
#pragma once

#include <vector>

#include "core/calculator.h"

namespace models::water {

struct WaterTempInput {
  float qh_m3_s = 10;    // Qh, river flow, m^3/s
  float qp_m3_s = 1;     // Qp, waste-water flow, m^3/s
  float depth_m = 1;     // H, mean depth, m
  float u_m_s = 1;       // u, river velocity, m/s
  float th_c = 10;       // Th, background water temperature, deg C
  float ts_c = 15;       // Ts, air temperature above the water, deg C
  float tp_c = 100;      // Tp, waste-water temperature, deg C
  float td_c = 1.5f;     // Td, dew point of the air, deg C
  float wind_m_s = 1;    // Wz, wind speed 10 m above the water, m/s
  float hs_w_m2 = 1.5f;  // Hs, short-wave solar radiation, W/m^2
  float xmax_m = 2000;   // xmax, farthest distance, m
  float step_m = 50;     // xc, distance step, m
};

struct WaterTempRow {
  int index = 0;  // 1-based row number
  float x_m = 0;  // distance below the outfall (single precision), m
  float t_c = 0;  // daily mean water temperature (single precision), deg C
};

struct WaterTempResult {
  double k_w_m2_c = 0;  // K, surface heat-exchange coefficient, W/(m^2 deg C)
  double t0_c = 0;      // T0, temperature after complete mixing, deg C
  double te_c = 0;      // Te, equilibrium temperature, deg C
  std::vector<WaterTempRow> rows;
};

// The table must stay within the grid size the page can show (the step field is named);
// nothing else is refused: u = 0 or H = 0 give non-finite temperatures, a zero step no rows.
core::Check checkWaterTemp(const WaterTempInput& in);
WaterTempResult computeWaterTemp(const WaterTempInput& in);

// The result grid as the page shows it.
core::Table waterTempTable(const WaterTempResult& r);

const core::CalculatorDesc& waterTempDesc();

}  // namespace models::water
