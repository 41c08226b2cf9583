// Ground-level concentrations of one elevated point source (a stack) by the Gaussian plume
// model of the air guideline: a receptor grid downwind of the source, the centre line, and the
// maximum ground concentration with its distance. Two regimes by the 10 m wind speed: the wind
// case (U10 >= 1.5 m/s) and the calm and light-wind case (0 <= U10 < 1.5 m/s).
#pragma once

#include <string>
#include <vector>

#include "core/calculator.h"
#include "models/air/point_source_steps.h"

namespace models::air {

// Assessment grades of the grade drop-down.
enum class Grade { First = 0, Second = 1, Third = 2 };

// Largest grid: columns are limited by the centre-line room of 1000 values; rows the same, so
// that a grid never grows beyond a million cells.
inline constexpr int kMaxGridColumns = 1000;
inline constexpr int kMaxGridRows = 1000;

// Every input of the source and meteorology tabs (single precision as the forms hold them).
struct PointSourceInput {
  // Source.
  float stack_height_m = 50;          // H
  float emission_mg_s = 1000;         // Q
  float xmin_m = 0, xmax_m = 1000;    // downwind extent of the grid
  float ymin_m = -500, ymax_m = 500;  // crosswind extent
  float step_m = 100;                 // grid step in x and y
  int grade = 2;                      // Grade
  bool exit_wind_typed = false;       // exit wind speed typed (true) or computed
  float exit_wind_m_s = 3;            // typed U
  bool rise_typed = false;            // plume rise typed (true) or computed
  float rise_m = 20;                  // typed dH
  float gas_flow_m3_s = 10;           // Qv
  float gas_temp_c = 100;             // Ts
  float diameter_m = 1;               // D
  float lapse_k_m = 0.01f;            // dT/dz above stack height
  float air_temp_c = 20;              // Ta
  float pressure_kpa = 101.325f;      // Pa
  // Meteorology.
  float u10_m_s = 2;          // wind speed at 10 m
  int stability = 0;          // A..F = 0..5
  int surface = 0;            // 0 rural, 1 urban
  bool mixing_typed = false;  // mixing-layer height typed (true) or computed
  float latitude_deg = 27;
  int region = 0;            // index of the region list
  float mixing_m = 350;      // typed h
  bool sigma_typed = false;  // dispersion coefficients typed (true) or tabulated
  float sampling_h = 1;      // sampling time t
  float ay = 0.901074f, az = 1.12154f, gy = 0.425809f, gz = 0.0799904f;  // typed coefficients
};

struct PointSourceResult {
  bool wind = true;  // wind case (U10 >= 1.5)
  // Values used, as the page keeps them (single precision).
  float mixing_m = 0;       // h
  float exit_wind_m_s = 0;  // U
  float rise_m = 0;         // dH
  float he_m = 0;           // effective height He = H + dH
  float heat_kj_s = 0;      // Qh (0 when the rise was typed)
  SigmaSet sigma;           // coefficients of the maximum ground concentration
  LightWindSet light;       // gamma01, gamma02 of the light-wind formula
  float cm_mg_m3 = 0;       // maximum ground concentration
  float xm_m = 0;           // its distance
  // The grid: x of each column and y of each row as the table heads them (advanced by adding
  // the step to a running single-precision value), the values row by row (y rising).
  std::vector<float> x_m, y_m;
  std::vector<double> c_mg_m3;      // y_m.size() rows of x_m.size() values
  std::vector<float> centre_mg_m3;  // C(x, 0) per column

  double cell(size_t row, size_t col) const { return c_mg_m3[row * x_m.size() + col]; }
};

// The checks in the order the computation meets them; the first failure.
core::Check checkPointSource(const PointSourceInput& in);
// Grid steps nx, ny (a remainder of the range is dropped; negative when the range runs
// backwards, so the grid has no columns or rows).
int gridSteps(float from_m, float to_m, float step_m);
// The whole computation of checked input.
PointSourceResult computePointSource(const PointSourceInput& in);

// Presentation of a result.
std::string pointSourceReport(const PointSourceResult& r);
core::Table pointSourceTable(const PointSourceResult& r);
// Concentration grid for the contour map: the grid's own extent, z from 0 to the larger of cm
// and the largest cell (cells as the table shows them).
core::Outcome::Grid pointSourceGrid(const PointSourceResult& r, const core::Table& table);

// Field values to input and back to the description.
PointSourceInput pointSourceInput(const core::Values& v);

const core::CalculatorDesc& pointSourceDesc();

}  // namespace models::air
