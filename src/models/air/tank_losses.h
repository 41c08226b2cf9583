// Yearly evaporation losses of oil storage tanks after the energy-saving design guideline for
// oil depots: working ("大呼吸") and standing ("小呼吸") losses of fixed-roof, floating-roof and
// internal floating-roof tanks. One page, five sub-forms, one action per sub-form.
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::air {

// Fixed-roof working loss.
struct FixedRoofWorkingInput {
  float throughput_m3_y = 20000;  // Q, yearly throughput
  float pumped_in_m3 = 20;        // V1, liquid pumped in per filling
  float volume_m3 = 200;          // V, tank volume
  float product_k1 = 0.75f;       // K1, gasoline 1, crude 0.75
  float p_min_kpa = 40;           // Py1, vapour pressure at the lowest surface temperature
  float p_max_kpa = 100;          // Py2, vapour pressure at the highest surface temperature
  float molar_kg_kmol = 30;       // μy, molar mass of the vapour
};

// Turnover factor: 1 up to 36 turnovers a year, (N + 180) / (6 N) above.
double turnoverFactor(double turnovers);
// LDw, m3/a.
double fixedRoofWorkingLoss(const FixedRoofWorkingInput& in);

enum class Product { Gasoline = 0, Crude = 1 };
enum class WallState { LightRust = 0, HeavyRust = 1, Lined = 2 };

// Wall adhesion C, m3 per 1000 m2, by product and wall state.
float wallAdhesion(Product p, WallState w);

// Floating-roof working loss (also internal floating roof).
struct FloatingRoofWorkingInput {
  float throughput_m3_y = 20000;   // Q
  float diameter_m = 2;            // D
  float density_kg_m3 = 740;       // ρ
  float adhesion = 0.00257f;       // C, from wallAdhesion()
  bool internal = false;           // internal floating roof (the support term may apply)
  bool fixed_supports = false;     // fixed roof carried on columns (internal roof only)
  float columns = 3;               // Nc
  float column_diameter_m = 0.4f;  // Fc, effective column diameter
};
// Lw, kg/a.
double floatingRoofWorkingLoss(const FloatingRoofWorkingInput& in);

// Fixed-roof breathing loss.
struct FixedRoofBreathingInput {
  float diameter_m = 2;         // D
  float vapour_space_m = 0.2f;  // H, height of the vapour space
  float paint_fp = 1;           // Fp
  float product_k3 = 1;         // K3, gasoline 1, crude 0.58
  float p_kpa = 70;             // P, vapour pressure at the bulk liquid temperature
  float pa_kpa = 101.3f;        // Pa, local atmospheric pressure
  float daily_range_c = 6;      // ΔT, mean daily temperature range
};
// Tank-size factor C: 1 from 9.14 m up.
double tankDiameterFactor(double diameter_m);
// LDs, m3/a.
double fixedRoofBreathingLoss(const FixedRoofBreathingInput& in);

// P* = (Py / Pa) / (1 + (1 - Py / Pa)^0.5)^2
double vapourPressureFunction(double py_kpa, double pa_kpa);

// Floating-roof standing loss.
struct FloatingRoofStandingInput {
  float diameter_m = 2;      // D
  float seal_kt = 1.2f;      // Kt
  float wind_m_s = 2.1f;     // v
  float wind_exp_n = 1.5f;   // n
  float product_kc = 1;      // Kc, gasoline 1, crude 0.4
  float fittings_ff = 2;     // Ff
  float molar_kg_kmol = 30;  // Mv
  float py_kpa = 70;         // Py
  float pa_kpa = 101.3f;     // Pa
};
// Ls, kg/a.
double floatingRoofStandingLoss(const FloatingRoofStandingInput& in);

// Internal floating-roof standing loss.
struct InternalFloatingRoofStandingInput {
  float diameter_m = 2;            // D
  float seam_fd = 0.3f;            // Fd, seam length per deck area
  float seam_kd = 0;               // Kd, welded deck 0, bolted 3.66
  float rim_kc = 9.8f;             // Kc, rim seal factor (also the product factor)
  float molar_kg_kmol = 30;        // Mv
  float py_kpa = 70;               // Py
  float pa_kpa = 101.3f;           // Pa
  float column_diameter_m = 0.4f;  // Fc
};
// Ls, kg/a.
double internalFloatingRoofStandingLoss(const InternalFloatingRoofStandingInput& in);

// The page's five sub-forms: the action that computes each, the caption of its input group in
// the description, and its form class.
struct TankSubForm {
  const char* action;
  const char* group;
  const char* class_name;
};
inline constexpr TankSubForm kTankSubForms[5] = {
    {"fixed_working", "拱顶罐大呼吸 参数输入", "CFixedRoofWorkingDlg"},
    {"floating_working", "浮顶油罐大呼吸 参数输入", "CFloatingRoofWorkingDlg"},
    {"fixed_breathing", "拱顶罐小呼吸 参数输入", "CFixedRoofBreathingDlg"},
    {"floating_standing", "浮顶罐小呼吸 参数输入", "CFloatingRoofStandingDlg"},
    {"internal_standing", "内浮顶罐小呼吸 参数输入", "CInternalFloatingRoofStandingDlg"},
};
// Caption of the group holding the two case drop-downs.
inline constexpr const char* kTankGroupCase = "根据石油库节能设计导则";

// Index into kTankSubForms of the sub-form for 计算类别 (0 working, 1 standing) and 罐种类
// (0 fixed roof, 1 floating roof, 2 internal floating roof). Both floating roofs share the
// working-loss form.
int tankSubFormIndex(int kind, int tank);

const core::CalculatorDesc& tankLossesDesc();

}  // namespace models::air
