// The four groundwater calculators (HJ 610-2016 Appendix D analytical solutions): the point value,
// the table of C by time and distance, the exceedance extent (超标范围, C >= the standard) and the
// reach (影响范围, C >= the detection limit) at each time, and for the 2-D solutions a grid for
// the contour map.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "models/groundwater/gw_solutions.h"

namespace models::groundwater {

struct GwInput {
  GwSite site;
  double x_m = 50;   // x, distance along the flow from the injection point
  double y_m = 0;    // y, distance across the flow
  double t_d = 100;  // t, time since the release began (also the contour map's time)
  std::string xs = "10,20,50,100,200,500";  // distances of the table, m
  std::string ts = "100,1000,7300";         // times of the table and the extents, d
  double s_mg_l = 0.5;       // S, quality standard (e.g. GB/T 14848 class III ammonia nitrogen)
  double sdet_mg_l = 0.025;  // detection limit
};

// Numbers typed as a list ("10, 50，100" or blanks): nullopt when an entry is not a number.
std::optional<std::vector<double>> parseNumberList(const std::string& text);

// The solution a calculator id computes (gw_1d_instant, gw_1d_continuous, gw_2d_instant,
// gw_2d_continuous).
std::optional<GwSolution> gwSolutionOf(const std::string& id);

// The inputs from form values (keys the calculator does not declare keep their defaults).
GwInput gwReadInput(const core::Values& v);

// First refused input, with the field named and focused.
core::Check checkGw(GwSolution s, const GwInput& in);

// Everything a page shows for checked input: C at the point, the table, the extents.
core::Outcome computeGw(GwSolution s, const GwInput& in);

const core::CalculatorDesc& gw1DInstantDesc();
const core::CalculatorDesc& gw1DContinuousDesc();
const core::CalculatorDesc& gw2DInstantDesc();
const core::CalculatorDesc& gw2DContinuousDesc();

}  // namespace models::groundwater
