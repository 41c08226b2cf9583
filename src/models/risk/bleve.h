// Fireball of a boiling liquid expanding vapour explosion (BLEVE), after the fireball model of
// major-hazard classification practice (Roberts' fireball correlations):
//   D = 2.665 M^0.327,  t = 1.089 M^0.327,  H = D,  eta = 0.27 P^0.32
//   q0 = eta M (Hc - Hv - Cp T) / (pi D^2 t)
//   R = sqrt(x^2 + D^2),  tau = 2.02 (Pw RH (R - r))^-0.09,  q = q0 tau (r / R)^2
#pragma once

#include <string>

#include "core/calculator.h"
#include "models/risk/thermal_harm.h"

namespace models::risk {

enum class StorageMode { Single = 0, Double = 1, Multiple = 2 };

struct BleveInput {
  float w_kg = 100;                           // W, tank capacity
  StorageMode storage = StorageMode::Single;  // share of the content in the fireball
  float hv_j_kg = 434256.4f;                  // Hv, heat of vaporisation at the boiling point
  float hc_j_kg = 41825632;                   // Hc, heat of combustion
  float pw_pa = 4245.5f;                      // Pw, saturated water vapour pressure
  float cp_j_kg_k = 1737.2f;                  // Cp, specific heat of the liquid
  float rh = 0.5f;                            // RH, relative humidity (fraction)
  float p_mpa = 1.936f;                       // P, saturated vapour pressure at the rupture
  float dt_k = 1700;                          // T, flame temperature above ambient
  float x_m = 10;                             // x, horizontal distance of the target
};

struct BleveResult {
  double m_kg = 0;      // M, mass in the fireball
  double d_m = 0;       // D, fireball diameter
  double t_s = 0;       // t, fireball duration
  double h_m = 0;       // H, lift height
  double q0_w_m2 = 0;   // q0, surface emissive power
  double q_w_m2 = 0;    // q, flux received at x
  bool inside = false;  // the target lies within the fireball radius
  ThermalHarm harm;
  std::string text;
};

// Share of the tank content in the fireball: single 0.5, double 0.7, multiple 0.9.
double storageFactor(StorageMode mode);

// No input is refused; a target inside the fireball radius gets probabilities 1.
BleveResult computeBleve(const BleveInput& in);

inline constexpr const char* kBleveIntro =
    "    易燃易爆的液化气体容器在外部火焰的烘烤下可能发生突然破裂，压力平衡被破坏，液体急剧气化，"
    "并随即被火焰点燃而发生爆炸，产生巨大的火球。这种事故被称为沸腾液体扩展为蒸气云爆炸。";

// First refused input: W, Hv, Pw > 0; Cp, T >= 0; RH in (0, 1]; P > 0; Hc > Hv + Cp T; x >= 0.
core::Check checkBleve(const BleveInput& in);

const core::CalculatorDesc& bleveDesc();

}  // namespace models::risk
