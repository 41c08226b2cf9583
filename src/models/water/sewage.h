// Domestic sewage and garbage of a plant's staff.
#pragma once

#include "core/calculator.h"

namespace models::water {

struct SewageInput {
  float staff = 0;            // N, staff
  float resident = 0;         // Nr, staff living on site
  float days = 300;           // d, working days per year
  float water_nonres_l = 50;  // wn, litres per day per non-resident
  float water_res_l = 100;    // wr, litres per day per resident
  float sewage_pct = 80;      // p, sewage as a percentage of water use
  float cod0_mg_l = 500;      // COD before treatment
  float cods_mg_l = 100;      // COD at the discharge standard
  float nh0_mg_l = 35;        // NH3-N before treatment
  float nhs_mg_l = 15;        // NH3-N at the discharge standard
};

// Every result is stored in a single-precision field.
struct SewageResult {
  float water_t_y = 0;   // yearly water use, t
  float sewage_t_d = 0;  // Qd, daily sewage, t
  float sewage_t_y = 0;  // Qy, yearly sewage, t
  float cod_t_y = 0;
  float cod_std_t_y = 0;
  float nh_t_y = 0;
  float nh_std_t_y = 0;
  float cod_cut_t_y = 0;
  float nh_cut_t_y = 0;
  float garbage_kg_d = 0;
  float garbage_t_y = 0;
};

core::Check checkSewage(const SewageInput& in);
SewageResult computeSewage(const SewageInput& in);

const core::CalculatorDesc& sewageDesc();

}  // namespace models::water
