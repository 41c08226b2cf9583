// Two-dimensional steady mixing model of a wide river: the plume of an outfall before it has
// mixed across the width, with reflections at both banks, optionally with first-order decay.
#pragma once

#include "core/calculator.h"
#include "models/water/mixing_grid.h"

namespace models::water {

struct Mixing2DInput {
  int mode = 0;          // 0 mixing, 1 mixing with first-order decay
  float ch_mg_l = 0.5f;  // Ch, upstream concentration
  float depth_m = 0.6f;  // H, mean depth
  float u_m_s = 0.3f;    // u, mean velocity of the section
  float width_m = 50;    // B, river width
  float cp_mg_l = 100;   // Cp, concentration of the discharge
  float my_m2_s = 5;     // My, lateral mixing coefficient
  float qp_m3_s = 1;     // Qp, discharge flow
  float a_m = 0;         // a, distance of the outfall from the bank
  float k1_per_d = 1;    // K1, decay coefficient (mode 1)
  float x_m = 20;        // x, single point along the flow
  float y_m = 10;        // y, single point across the flow
  MixingGrid grid{500, 20, 0, 50, 10};
};

// C(x, y) in mg/L, in double precision.
double mixing2DConcentration(const Mixing2DInput& in, double x_m, double y_m);

// Checks of the single point and of the grid (the grid expects ordered lateral limits).
core::Check checkMixing2DPoint(const Mixing2DInput& in);
core::Check checkMixing2DGrid(const Mixing2DInput& in);

// The single point result as its field stores it.
float computeMixing2DPoint(const Mixing2DInput& in);

// Caption of the grid result dialog and title of its export, by mode.
const char* mixing2DGridCaption(int mode);
const char* mixing2DExportTitle(int mode);

const core::CalculatorDesc& mixing2DDesc();

}  // namespace models::water
