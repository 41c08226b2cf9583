// Vapour cloud explosion (major-hazard classification practice). The flashed share of the
// fuel forms the cloud:  F = 1 - exp(-Cp (T1 - T2) / L),  Wf = 2 F W.
// TNT equivalent method:  W_TNT = ae Wf Hf / H_TNT,  R' = x / W_TNT^(1/3); the overpressure is
// read off the scaled-distance chart (overpressure_chart.h).
// Direct method:  E = 1.8 a eta Hf Wf,  R = x / (E / Pa)^(1/3),  L = ln R,
//   dP = Pa exp(-0.9126 - 1.5058 L + 0.1675 L^2 - 0.032 L^3).
// Death probability from the overpressure:  P = (2.47 + 1.43 lg dP) / 10, limited to [0, 1].
#pragma once

#include <optional>
#include <string>

#include "core/calculator.h"

namespace models::risk {

enum class VceMethod { Tnt = 0, Direct = 1 };

struct VceInput {
  VceMethod method = VceMethod::Tnt;
  float w_kg = 100;           // W, fuel released
  float hf_j_kg = 41825632;   // Hf, heat of combustion of the fuel
  float t1_c = 200;           // T1, temperature in the vessel, deg C
  float t2_c = 80.1f;         // T2, boiling point of the fuel, deg C
  float htnt_j_kg = 4.52e6f;  // H_TNT, explosion heat of TNT (TNT method)
  float l_j_kg = 434259.4f;   // L, heat of vaporisation of the fuel
  float ae = 0.03f;           // ae, TNT equivalence factor (TNT method)
  float cp_j_kg_k = 1737.2f;  // Cp, mean specific heat of the fuel
  float eta = 0.03f;          // eta, explosion efficiency (direct method)
  float a = 0.04f;            // a, vapour cloud equivalence factor (direct method)
  float pa_pa = 101325;       // Pa, ambient pressure (direct method)
  float x_m = 10;             // x, distance from the explosion
  float dp_pa = 0;            // overpressure read off the chart (chart lookup)
};

// Wf = 2 F W, the mass of the cloud, kg.
// First refused input: W, Hf > 0; T1 > T2; L, Cp > 0; HTNT > 0 and ae in (0, 1] (TNT method
// and chart lookup) or eta in (0, 1] and a, Pa > 0 (direct method); x > 0; dP >= 0 (lookup).
core::Check checkVce(const VceInput& in, const std::string& action);

double cloudMass(const VceInput& in);

struct VceTntResult {
  double wtnt_kg = 0;  // TNT equivalent
  double rs = 0;       // R', scaled distance
  std::string text;
};
VceTntResult computeVceTnt(const VceInput& in);

// The text after a chart lookup with the overpressure dP read off (Pa); nothing (an empty
// optional) when dP is 0, so the page keeps its text.
std::optional<std::string> vceLookupText(double wtnt_kg, double rs, double dp_pa);

// P = (2.47 + 1.43 lg dP) / 10 limited to [0, 1].
double blastDeathProbability(double dp_pa);

struct VceDirectResult {
  double e_j = 0;    // explosion energy
  double r_bar = 0;  // scaled distance
  double dp_pa = 0;  // overpressure
  double p = 0;      // death probability
  std::string text;
};
VceDirectResult computeVceDirect(const VceInput& in);

inline constexpr const char* kVceLookupAction = "lookup";

inline constexpr const char* kVceIntro =
    "    易燃易爆气体如H2、天然气等，泄漏后随着风向扩散，与周围空气混合成易燃易爆混合物，"
    "在扩散扩过程中如遇到点火源，延迟点火，由于存在某些特殊原因和条件，火焰加速传播，"
    "产生爆炸冲击波超压，发生蒸气云爆炸。\r\n    易燃易爆的液化气体如液化石油气、液化丙烷、"
    "液化丁烷等，其沸点远小于环境温度，泄漏后将会由于自身的热量、地面传热、太阳辐射、"
    "气流运动等迅速蒸发，在液池上面形成蒸气云，与周围空气混合成易燃易爆混合物，并且随着风向"
    "扩散，扩散扩过程中如遇到点火源，也会发生蒸气云爆炸。";

const core::CalculatorDesc& vceDesc();

}  // namespace models::risk
