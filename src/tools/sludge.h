// Daily volume of the sludge settled in a sedimentation tank, from the suspended solids it
// removes and the water content of the sludge:
//   V = Q eta C / ((100 - P) rho 1000)
// with Q in m^3/d, C in mg/L (= g/m^3), eta and P in percent and rho in kg/m^3, V in m^3/d
// (dry solids Q C eta / 100 in g/d, wet sludge x 100 / (100 - P), volume / (rho 1000 g/m^3);
// 《给水排水设计手册》第5册 城镇排水, sludge quantity of primary settling tanks).
#pragma once

#include "core/calculator.h"

namespace models::tools {

struct SludgeInput {
  float flow_m3_d = 50;       // Q, waste-water flow
  float ss_mg_l = 300;        // C, suspended solids of the influent
  float removal_pct = 60;     // eta, removal rate
  float water_pct = 20;       // P, water content of the sludge
  float density_kg_m3 = 300;  // rho, density of the settled sludge
};

struct SludgeResult {
  float volume_m3_d = 0;  // V
};

inline constexpr const char* kMsgSludgeWater = "污泥含水率P必须小于100%，请重新输入！";
inline constexpr const char* kMsgSludgeDensity = "沉淀污泥密度ρ必须大于0，请重新输入！";

// Refuses P >= 100 % and rho <= 0, which would divide by zero or give a negative volume.
core::Check checkSludge(const SludgeInput& in);
SludgeResult computeSludge(const SludgeInput& in);

const core::CalculatorDesc& sludgeDesc();

}  // namespace models::tools
