// Finite-barrier correction of a line source's infinite-barrier attenuation (HJ 2.4-2009
// appendix A, correction chart for a finite barrier): the user reads the attenuation of the
// finite barrier off the chart from the infinite-barrier value and the shielding-angle ratio
// beta / theta.
//
// The chart's curves follow the energy split of the line source's angle of view theta into the
// shielded part beta, attenuated by dL_inf, and the open part theta - beta:
//   A = -10 lg[(1 - p) + p 10^(-dL_inf / 10)],  p = beta / theta.
#pragma once

#include <string>

#include "core/binding.h"
#include "core/calculator.h"

namespace models::noise {

struct FiniteBarrierInput {
  float infinite_db = 10;  // the caller's infinite-barrier attenuation
  float finite_db = 0;     // the finite-barrier attenuation the user read off the chart
};

// "无限长屏障衰减量为%.2fdB，根据上图，请输入有限长屏障衰减量[dB]"
std::string finiteBarrierPrompt(double infinite_db);

// Attenuation of a finite barrier, dB, from the shielding ratio beta / theta (0..1) and the
// infinite-barrier attenuation.
double finiteBarrierCurve_dB(double ratio, double infinite_db);

// The chart's range: ratio 60 % .. 100 %, curves for dL_inf = 3 .. 16 dB.
inline constexpr double kChartRatioMin_pct = 60;
inline constexpr double kChartRatioMax_pct = 100;
inline constexpr int kChartCurveMin_db = 3;
inline constexpr int kChartCurveMax_db = 16;

const core::CalculatorDesc& finiteBarrierDesc();

}  // namespace models::noise
