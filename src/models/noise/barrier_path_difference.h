// Path differences of a point source over and around a thin barrier, finite or infinitely
// long (HJ 2.4-2009 appendix A, barrier attenuation: delta = SO + OP - SP over the top edge
// O1 and around the two ends O2, O3; heights vary linearly along S -> P).
//
// Plan view: the barrier lies on a straight line, the source S at normal distance d1 on one
// side, the receiver P at d2 on the other; D = d1 + d2, and m = sqrt(r^2 - D^2) is their
// separation along the barrier. The ends lie at +-L/2 from the barrier's perpendicular
// bisector; m1 is the source's distance from the bisector, m2 the receiver's.
#pragma once

#include <string>

#include "core/binding.h"
#include "core/calculator.h"

namespace models::noise {

enum class BarrierKind { Finite = 0, Infinite = 1 };
// Where source and receiver lie with respect to the perpendicular bisector (finite barrier).
enum class BarrierSide { DifferentSides = 0, SameSideM1AtLeastM2 = 1, SameSideM1BelowM2 = 2 };

struct PathDifferenceInput {
  float H_m = 4;   // barrier height H
  float h1_m = 1;  // source height h1
  float h2_m = 2;  // receiver height h2
  float d1_m = 3;  // source-to-barrier distance d1 (normal to the barrier)
  float d2_m = 5;  // receiver-to-barrier distance d2
  float L_m = 5;   // barrier length L (finite kind)
  float m1_m = 1;  // source distance from the perpendicular bisector m1 (finite kind)
  BarrierKind kind = BarrierKind::Finite;
  BarrierSide side = BarrierSide::DifferentSides;
  float r_m = 20;  // horizontal source-to-receiver distance, handed in by the caller
};

struct PathDifferenceResult {
  bool direct = false;  // the receiver sees the source: every delta is 0
  double m_m = 0;       // separation along the barrier (infinite kind)
  double m2_m = 0;      // receiver distance from the perpendicular bisector (finite kind)
  double sp_m = 0, so1_m = 0, o1p_m = 0, so2_m = 0, o2p_m = 0, so3_m = 0, o3p_m = 0;
  double delta1_m = 0, delta2_m = 0, delta3_m = 0;
  std::string text;  // the result text, lines ending in "\r\n"
};

inline constexpr const char* kMsgPathD1NotPositive = "声源距屏距离d1必须大于0，请重新输入！";
inline constexpr const char* kMsgPathD1TooFar =
    "声源距屏距离d1太远，大于声源离测点水平距离，请重新输入！";
inline constexpr const char* kMsgPathD2TooFar = "预测点距屏d2太远，请重新输入！";
inline constexpr const char* kMsgPathSameSide = "预测点跟声源位于中垂线同侧且m1>=m2，请重新选择！";
inline constexpr const char* kMsgPathOtherSide = "预测点跟声源位于中垂线不同侧，请重新选择！";
inline constexpr const char* kTextDirect = "声音能直达,声程差为0";

// The receiver's distance from the bisector for the chosen side case.
double receiverOffset(const PathDifferenceInput& in);

// Checks in order: d1 > 0, d1 <= r, r >= D, then (finite kind, barrier top blocking) a side
// case that fits the geometry.
core::Check checkPathDifference(const PathDifferenceInput& in);
PathDifferenceResult computePathDifference(const PathDifferenceInput& in);

const core::CalculatorDesc& pathDifferenceDesc();

}  // namespace models::noise
