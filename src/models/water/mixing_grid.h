// The x-y grid of the two-dimensional mixing models: one column per step along the flow, one
// row per lateral step, a concentration in every cell. Shared by the distance and the
// cumulative-flow variants of the steady mixing model.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/binding.h"
#include "core/calculator.h"
#include "core/counts.h"

namespace models::water {

// The grid limits as typed on the page (single-precision fields).
struct MixingGrid {
  float xmax_m = 500;  // farthest distance along the flow
  float xc_m = 20;     // step along the flow
  float ylow_m = 0;    // lateral range, lower bound
  float yhigh_m = 50;  // lateral range, upper bound
  float yc_m = 10;     // lateral step
};

// The lateral limits in rising order. The page keeps the values as typed; only the grid sees
// them swapped.
MixingGrid orderedLateral(MixingGrid g);

// Largest grid the result list takes (cells including the y column); a larger one would
// freeze the window while it is filled.
using core::kMaxGridCells;

// The steps must be positive (a zero or negative step never reaches the far limit) and the
// grid must stay within kMaxGridCells. Expects ordered lateral limits.
core::Check checkMixingGridSteps(const MixingGrid& g);
// The river of the mixing models: depth, velocity and lateral mixing coefficient divide the
// plume's spread and must be positive.
core::Check checkMixingRiver(double depth_m, double u_m_s, double my_m2_s);
// The point's distance along the stream: the plume's spread divides by it.
core::Check checkMixingPointX(double x_m);

// The fields both mixing pages end with: the single point x, y and its result C, then the grid
// limits and steps, bound to the input struct's x_m, y_m and grid (only the far lateral
// limit's default differs between the pages).
template <class S>
void bindMixingPointAndGrid(core::Form<S>& form) {
  const char* point = "单个预测点计算";
  form.group(point);
  form.bind("x", &S::x_m, 1247, "离排放口流线距离x [m]", "m");
  form.bind("y", &S::y_m, 1248, "离排放口横向距离y [m]", "m");
  form.extra(core::resultField("C", 1120, "预测点污染物浓度C [mg/L]", "mg/L", point));
  form.group("网格计算");
  form.bind("xmax", &S::grid, &MixingGrid::xmax_m, 1249, "离排放口流线最远距离xmax [m]", "m");
  form.bind("xc", &S::grid, &MixingGrid::xc_m, 1250, "距离间隔xc [m]", "m");
  form.bind("ylow", &S::grid, &MixingGrid::ylow_m, 1301, "离排放口横向距离y [m](", "m")
      .sym("y1")
      .named("离排放口横向距离下限");
  form.bind("yhigh", &S::grid, &MixingGrid::yhigh_m, 1251, "～", "m")
      .sym("y2")
      .named("离排放口横向距离上限");
  form.bind("yc", &S::grid, &MixingGrid::yc_m, 1033, "距离间隔yc [m]", "m");
}

// Columns i = 1, 2, ... while i <= xmax / xc; rows j = 0, 1, ... while j <= (yhigh - ylow) / yc.
// Both counts come from a quotient of single-precision fields, counted with
// core::truncatedCount so that 1 / 0.1 gives ten steps, not nine. Expects checked steps.
int mixingGridColumns(const MixingGrid& g);
int mixingGridRows(const MixingGrid& g);

struct MixingGridValues {
  std::vector<double> x_m;    // x of each data column (i * xc)
  std::vector<double> y_m;    // y of each row (ylow + j * yc)
  std::vector<float> c_mg_l;  // concentrations row by row, stored in single precision
};

// Evaluate conc(x, y) over the grid of a checked spec.
MixingGridValues computeMixingGrid(const MixingGrid& g,
                                   const std::function<double(double x_m, double y_m)>& conc);

// The result list as the grid dialog shows it: column 0 "Y＼X" (40 pixels), then one column per
// x headed "%g" (60 pixels); each row headed "%g" of y, cells "%.4f".
core::Table mixingGridTable(const MixingGridValues& grid, std::string title);

// The grid handed to the contour map: the cell values as the list shows them, x from 0 to the
// entered xmax, y over the entered lateral range, z maximum = the first row's first data cell.
core::Outcome::Grid mixingGridContour(const core::Table& table, const MixingGrid& g);

// Table and contour grid of a checked spec, in one outcome.
core::Outcome mixingGridOutcome(const MixingGrid& g, std::string title,
                                const std::function<double(double x_m, double y_m)>& conc);

}  // namespace models::water
