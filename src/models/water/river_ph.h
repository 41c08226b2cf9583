// pH of a river after complete mixing with an acid or alkaline waste water (fully mixed
// stretch only, valid for pH <= 9).
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::water {

enum class WasteKind { Acid = 0, Alkaline = 1 };

struct RiverPhInput {
  WasteKind kind = WasteKind::Acid;
  float qh_m3_s = 10;    // Qh, river flow, m^3/s
  float qp_m3_s = 0.5f;  // Qp, waste-water flow, m^3/s
  float ph_h = 7;        // pHh, background pH
  float cbh_mgn_l = 1;   // Cbh, background alkalinity, mgN/L
  float cw_mgn_l = 10;   // Cap or Cbp, acidity or alkalinity of the waste water, mgN/L
  float t_c = 20;        // T, mean water temperature, deg C
};

struct RiverPhResult {
  float ka1 = 0;  // first equilibrium constant of carbonic acid, x 1e6 (single precision)
  double ph = 0;  // pH after complete mixing
};

// The waste water's default acidity or alkalinity when its kind is chosen on the form.
float defaultWasteStrength(WasteKind kind);

// First equilibrium constant of carbonic acid (x 1e6) at T deg C, interpolated linearly
// between the tabulated 0, 5, 10, 15, 20, 25, 30 and 40 deg C values; below 0 deg C the
// 0 deg C value, above 40 deg C the 40 deg C value.
float carbonicKa1(float t_c);

// Refuses flows, pH and strengths out of their ranges, and waste stronger than the river's
// buffer (the logarithm's argument would not be positive).
core::Check checkRiverPh(const RiverPhInput& in);
RiverPhResult computeRiverPh(const RiverPhInput& in);

std::string riverPhText(WasteKind kind, const RiverPhResult& r);

const core::CalculatorDesc& riverPhDesc();

}  // namespace models::water
