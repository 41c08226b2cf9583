// Noise a workshop building radiates to the plant boundary (Environmental Impact Assessment
// Engineers' training textbook, noise chapter; Stueber's method after Stueber, Lärmbekämpfung):
//   Green:    Lp3 = Lp1 - TL + 10 lg(F / r^2) - 11
//   Stueber:  Lp = 10 lg S + LR - dLR - 10 lg(2 pi r^2) - Abar,
//             S = 2ab + 2(a + b)(H + 0.0255 sqrt(ab)),
//             Abar = -10 lg(sum 1 / (3 + 20 Nk)),  Nk = 2 dk f / c
//   inner level near the wall:  Lp1 = Lw + 10 lg(Q / (4 pi r^2) + 4 / R),  R = S a / (1 - a)
// The background level is added by energy; the distance at which the total meets a limit
// solves the same formula for r.
#pragma once

#include <vector>

#include "core/calculator.h"

namespace models::noise {

// Message of both pages when the limit does not exceed the background.
inline constexpr const char* kMsgLimitBelowBackground = "达标值必须大于背景值，请重新输入！";

struct GreenInput {
  float lp1_db = 80;     // Lp1, level 1 m inside the wall
  float wall_m2 = 100;   // F, outer wall area facing the boundary
  float tl_db = 15;      // TL, sound reduction of the wall
  float lmax_m = 200;    // lmax, farthest receiver
  float step_m = 10;     // l, distance step
  float lbg_db = 58.4f;  // background level
  float lreq_db = 60;    // limit to meet
};

struct GreenRow {
  double r_m = 0;
  double lp_db = 0;  // predicted level (never below 0)
  double lt_db = 0;  // with the background
};

// The list stays within the size the window can show (the step is named).
core::Check checkGreenList(const GreenInput& in);
std::vector<GreenRow> computeGreenRows(const GreenInput& in);
core::Table greenTable(const std::vector<GreenRow>& rows);

// The limit must exceed the background (energy difference D > 0).
core::Check checkGreenDistance(const GreenInput& in);
double computeGreenDistance(const GreenInput& in);

struct StueberInput {
  float lr_db = 90;        // LR, mean level in the workshop
  float dlr_db = 0;        // dLR, mean screening of the workshop
  float h_m = 1;           // H, mean source height
  float f_hz = 500;        // f, frequency
  float a_m = 10;          // a, workshop length
  float b_m = 10;          // b, workshop width
  float delta1_m = 0.63f;  // path differences over the barrier top and around its ends
  float delta2_m = 1.2f;
  float delta3_m = 1.58f;
  float r_m = 20;        // r, farthest receiver
  float lbg_db = 58.4f;  // background level
  float lreq_db = 60;    // limit to meet
};

inline constexpr double kSoundSpeed_m_s = 340.29;  // c

// Fresnel number N = 2 delta f / c.
double fresnelNumber(double delta_m, double f_hz);
double stueberBarrier(const StueberInput& in);  // Abar
double stueberSurface(const StueberInput& in);  // S

struct StueberResult {
  double lp_db = 0;  // without the background (never below 0)
  double lt_db = 0;  // LT
};
StueberResult computeStueber(const StueberInput& in);

// The workshop's size, source height, frequency and path differences; the distance r > 0.
core::Check checkStueber(const StueberInput& in);
core::Check checkStueberDistance(const StueberInput& in);
double computeStueberDistance(const StueberInput& in);

struct Lp1Input {
  float lw_db = 90;     // Lw, source sound power level
  float q = 1;          // Q, directivity factor
  float s_m2 = 300;     // S, inner surface including roof and floor
  float alpha = 0.01f;  // a, mean absorption coefficient
  float r_m = 2;        // r, distance from the source
};

// 0 < a < 1 (the room constant would be 0 or infinite).
core::Check checkLp1(const Lp1Input& in);
double computeLp1(const Lp1Input& in);

const core::CalculatorDesc& greenDesc();
const core::CalculatorDesc& stueberDesc();
const core::CalculatorDesc& lp1Desc();

}  // namespace models::noise
