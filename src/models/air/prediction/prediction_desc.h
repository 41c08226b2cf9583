// The further air-quality prediction page (HJ 2.2-2018): a whole plant kept as one text field
// (JSON: the page's tables, site plan, met files and the last results), computed on the page
// by the dispersion program.
#pragma once

#include "core/calculator.h"

namespace models::air {

inline constexpr const char* kAirPredictionKey = "plant";

const core::CalculatorDesc& airPredictionDesc();

}  // namespace models::air
