// Path difference over the shoulder of a high road embankment or the edge of a low cutting
// (HJ 2.4-2009 appendix A, road traffic noise, attenuation in the shadow zone of a high
// embankment or low cutting): delta = a + b - c with a = SO, b = OP and c = SP in the road's
// cross-section; the attenuation is then read from the Abar - delta curve (f = 500 Hz).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/binding.h"
#include "core/calculator.h"

namespace models::noise {

struct EmbankmentInput {
  float h1_m = 1;        // source height above the road surface h1
  float h2_m = 1.2f;     // receiver height above the ground h2
  float h_m = 2;         // embankment height h
  float d1_m = 5;        // source-to-shoulder distance d1
  float slope_deg = 45;  // slope angle a
  float r_m = 20;        // horizontal source-to-receiver distance, handed in by the caller
  float abar_db = 0;     // attenuation the user read from the curve, handed back
};

struct EmbankmentResult {
  double delta_m = 0;  // path difference delta
  double abar_db = 0;  // the attenuation handed back
};

inline constexpr const char* kMsgEmbankmentSlopeFoot = "预测点离声源水平距离不符合逻辑，请重输！";
inline constexpr const char* kMsgEmbankmentIlluminated = "预测点处于声照区，Abar=0！";

// Checks in order: the prediction point beyond the slope foot, then in the shadow zone.
core::Check checkEmbankment(const EmbankmentInput& in);
// delta = sqrt(h1^2 + d1^2) + sqrt((h - h2)^2 + (r - d1)^2) - sqrt((h + h1 - h2)^2 + r^2)
double embankmentPathDifference(const EmbankmentInput& in);

// The reading curve of the dialog: Abar (dB) against delta (m) at 500 Hz, interpolated in
// lg(delta) between the curve's read-off points; 0.01 m to 100 m, clamped outside.
double embankmentCurve_dB(double delta_m);
const std::vector<std::pair<double, double>>& embankmentCurvePoints();

const core::CalculatorDesc& embankmentDesc();

}  // namespace models::noise
