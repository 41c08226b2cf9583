// Design rainstorm intensity of a Chinese city from its local intensity formula, and the
// rain-water flow of a catchment (water supply and drainage design manual, volume 5).
#pragma once

#include <string>
#include <vector>

#include "core/calculator.h"

namespace models::water {

struct RainstormInput {
  int province = 0;           // index in rainstormProvinces()
  int city = 0;               // index in the province's city list (ignored when it has none)
  float return_period_y = 2;  // P
  float duration_min = 15;    // t
  float area_m2 = 10000;      // S, catchment area
  float runoff_coeff = 0.9f;  // psi
};

struct RainstormResult {
  double q_l_s_ha = 0;   // q, rainstorm intensity, L/(s·ha)
  double flow_l_s = 0;   // Q, rain-water flow, L/s
  double flow_m3_h = 0;  // the same flow in m3/h
};

// The provinces in list order, and the cities of one (empty for a province whose one formula
// covers it).
const std::vector<std::string>& rainstormProvinces();
std::vector<std::string> rainstormCities(int province);

// The four-line reference text of a city: numerator, the left side with a fraction bar and the
// unit, exponent, denominator base. city is ignored for a province without cities.
std::string rainstormReferenceText(int province, int city);
// What the page shows before any province or city is chosen.
extern const char* const kRainstormInitialReference;

// Province and city must name a row of the formula table (the page's lists always do).
core::Check checkRainstorm(const RainstormInput& in);
RainstormResult computeRainstorm(const RainstormInput& in);

const core::CalculatorDesc& rainstormDesc();

}  // namespace models::water
