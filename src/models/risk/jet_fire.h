// Jet fire of an ignited gas release, as a point source placed at 4/5 of the flame length
// (major-hazard classification practice):
//   Q = m Hc,  L = 0.0061858 Q^0.444 (flame length),  tau = 1 - 0.0565 ln x,
//   q = f Q tau / (4 pi x^2)   (kW/m^2 with the factor 1000)
#pragma once

#include <string>

#include "core/calculator.h"
#include "models/risk/thermal_harm.h"

namespace models::risk {

struct JetFireInput {
  float m_kg_s = 0.01f;      // m, mass flow rate
  float hc_j_kg = 41825632;  // Hc, heat of combustion
  float f = 0.3f;            // f, fraction of heat radiated
  float t_s = 40;            // t, exposure time
  float x_m = 10;            // x, distance from the point source
};

struct JetFireResult {
  double q_release_w = 0;  // Q, heat release rate
  double l_m = 0;          // L, flame length
  double tau = 0;          // atmospheric transmissivity
  double q_kw_m2 = 0;      // q, received flux
  ThermalHarm harm;
  std::string text;
};

// No input is refused: x <= 0 gives non-finite numbers in the text.
JetFireResult computeJetFire(const JetFireInput& in);

inline constexpr const char* kJetFireIntro =
    "    对于易燃易爆气体如H2、天然气，以及易燃易爆的液化气体来说，泄漏后可能因摩擦产生的静电立即"
    "点火，产生喷射火。\r\n    "
    "本模型假定火焰为圆锥形，并用从泄漏处到火焰长度4/5处的点源模型来表示。";

// First refused input: m, Hc, t > 0; f in (0, 1]; x in (0, 1e7] m.
core::Check checkJetFire(const JetFireInput& in);

const core::CalculatorDesc& jetFireDesc();

}  // namespace models::risk
