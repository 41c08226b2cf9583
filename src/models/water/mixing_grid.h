// The x-y grid of the two-dimensional mixing models: one column per step along the flow, one
// row per lateral step, a concentration in every cell. Shared by the distance and the
// cumulative-flow variants of the steady mixing model.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace models::water {

// The grid limits as typed on the page (single-precision fields).
struct MixingGridSpec {
  float xmax_m = 500;  // farthest distance along the flow
  float xc_m = 20;     // step along the flow
  float ylow_m = 0;    // lateral range, lower bound
  float yhigh_m = 50;  // lateral range, upper bound
  float yc_m = 10;     // lateral step
};

// The lateral limits in rising order. The page keeps the values as typed; only the grid sees
// them swapped.
MixingGridSpec orderedLateral(MixingGridSpec g);

// Largest grid the result list takes (cells including the y column); a larger one would
// freeze the window while it is filled.
inline constexpr double kMaxGridCells = 1e7;

// The steps must be positive (a zero or negative step never reaches the far limit) and the
// grid must stay within kMaxGridCells. Expects ordered lateral limits.
core::Check checkMixingGridSteps(const MixingGridSpec& g);

// The fields both mixing pages end with: the single point x, y and its result C, then the grid
// limits and steps (only the far lateral limit's default differs between the pages).
std::vector<core::FieldDesc> mixingPointAndGridFields(double yhigh_default);

// The distance tables of the river pages (one row per step, n = far limit / step rows of
// `columns` cells) stay within kMaxGridCells as well: a far limit typed a thousand times too
// large would otherwise exhaust the memory. `step_key` is the step field the message names
// and focuses. A zero, negative or non-finite quotient (zero step) is no table, and passes.
core::Check checkDistanceTableSize(double quotient, int columns, const std::string& step_key);

// Columns i = 1, 2, ... while i <= xmax / xc; rows j = 0, 1, ... while j <= (yhigh - ylow) / yc.
// Both counts come from a quotient of single-precision fields, counted with
// core::truncatedCount so that 1 / 0.1 gives ten steps, not nine. Expects checked steps.
int mixingGridColumns(const MixingGridSpec& g);
int mixingGridRows(const MixingGridSpec& g);

struct MixingGrid {
  std::vector<double> x_m;    // x of each data column (i * xc)
  std::vector<double> y_m;    // y of each row (ylow + j * yc)
  std::vector<float> c_mg_l;  // concentrations row by row, stored in single precision
};

// Evaluate conc(x, y) over the grid of a checked spec.
MixingGrid computeMixingGrid(const MixingGridSpec& g,
                             const std::function<double(double x_m, double y_m)>& conc);

// The result list as the grid dialog shows it: column 0 "Y＼X" (40 pixels), then one column per
// x headed "%g" (60 pixels); each row headed "%g" of y, cells "%.4f".
core::Table mixingGridTable(const MixingGrid& grid, std::string title);

// The grid handed to the contour map: the cell values as the list shows them, x from 0 to the
// entered xmax, y over the entered lateral range, z maximum = the first row's first data cell.
core::Outcome::Grid mixingGridContour(const core::Table& table, const MixingGridSpec& g);

// Table and contour grid of a checked spec, in one outcome.
core::Outcome mixingGridOutcome(const MixingGridSpec& g, std::string title,
                                const std::function<double(double x_m, double y_m)>& conc);

}  // namespace models::water
