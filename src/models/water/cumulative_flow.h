// Steady mixing model in cumulative flow: the two-dimensional steady mixing model with the
// lateral coordinate expressed as the flow q = u H y between the bank and the point, bounded by
// the river's total flow instead of its width.
#pragma once

#include "core/calculator.h"
#include "models/water/mixing_grid.h"

namespace models::water {

struct CumulativeFlowInput {
  int mode = 0;          // 0 mixing, 1 mixing with first-order decay
  float ch_mg_l = 0.1f;  // Ch, upstream concentration
  float qh_m3_s = 10;    // Qh, river flow
  float depth_m = 0.5f;  // H, mean depth
  float u_m_s = 0.2f;    // u, river velocity
  float cp_mg_l = 100;   // Cp, concentration of the discharge
  float my_m2_s = 5;     // My, lateral mixing coefficient
  float qp_m3_s = 1;     // Qp, discharge flow
  float a_m = 0;         // a, distance of the outfall from the bank
  float k1_per_d = 1;    // K1, decay coefficient (mode 1)
  float x_m = 20;        // x, single point along the flow
  float y_m = 10;        // y, single point across the flow
  MixingGrid grid{500, 20, 0, 100, 10};
};

// C(x, y) in mg/L, in double precision.
double cumulativeFlowConcentration(const CumulativeFlowInput& in, double x_m, double y_m);

// Checks of the single point and of the grid (the grid expects ordered lateral limits).
core::Check checkCumulativeFlowPoint(const CumulativeFlowInput& in);
core::Check checkCumulativeFlowGrid(const CumulativeFlowInput& in);

// The single point result as its field stores it.
float computeCumulativeFlowPoint(const CumulativeFlowInput& in);

// Caption of the grid result dialog and title of its export, by mode.
const char* cumulativeFlowGridCaption(int mode);
const char* cumulativeFlowExportTitle(int mode);

const core::CalculatorDesc& cumulativeFlowDesc();

}  // namespace models::water
