// Barrier path differences and the embankment path difference; reference values worked by
// hand from the geometry (S, P, the barrier top O1 and the ends O2, O3).
#include <gtest/gtest.h>

#include <cmath>

#include "models/noise/barrier_path_difference.h"
#include "models/noise/embankment_attenuation.h"
#include "models/noise/finite_barrier.h"

using namespace models::noise;

namespace {
PathDifferenceInput pathInput(float r, BarrierKind kind = BarrierKind::Finite) {
  PathDifferenceInput in;  // H 4, h1 1, h2 2, d1 3, d2 5, L 5, m1 1
  in.r_m = r;
  in.kind = kind;
  return in;
}

std::string message(const core::Check& c) { return c ? c->message : std::string(); }
}  // namespace

TEST(PathDifference, ChecksInOrder) {
  auto in = pathInput(8);
  in.d1_m = 0;
  EXPECT_EQ(message(checkPathDifference(in)), kMsgPathD1NotPositive);
  in = pathInput(2.5f);
  EXPECT_EQ(message(checkPathDifference(in)), kMsgPathD1TooFar);
  EXPECT_EQ(checkPathDifference(in)->focus, "d1");
  in = pathInput(7.9f);
  EXPECT_EQ(message(checkPathDifference(in)), kMsgPathD2TooFar);
  // NaN distance fails too.
  in = pathInput(std::nanf(""));
  EXPECT_TRUE(checkPathDifference(in).has_value());
}

TEST(PathDifference, DefaultsAtEightMetresAskForTheOtherSideCase) {
  // Top sight line (8*4 - 5*1)/3 = 9 > 2 blocks; case 0 gives m2 = 0 - 1 < 0.
  auto in = pathInput(8);
  EXPECT_EQ(message(checkPathDifference(in)), kMsgPathSameSide);
  in.side = BarrierSide::SameSideM1AtLeastM2;  // m2 = 1 - 0 = 1: accepted
  EXPECT_FALSE(checkPathDifference(in).has_value());
  in.r_m = 12;  // m2 = 1 - 8.944 < 0
  EXPECT_EQ(message(checkPathDifference(in)), kMsgPathOtherSide);
  in.side = BarrierSide::SameSideM1BelowM2;  // never negative
  EXPECT_FALSE(checkPathDifference(in).has_value());
}

TEST(PathDifference, ReceiverAboveTheTopSightLineSeesTheSource) {
  auto in = pathInput(8);
  in.h2_m = 10;  // the sight line is 9 m high at P
  EXPECT_FALSE(checkPathDifference(in).has_value());
  const auto r = computePathDifference(in);
  EXPECT_TRUE(r.direct);
  EXPECT_EQ(r.delta1_m, 0);
  EXPECT_EQ(r.delta2_m, 0);
  EXPECT_EQ(r.delta3_m, 0);
  EXPECT_EQ(r.text, "声音能直达,声程差为0");
  in.h2_m = 9;  // exactly on the line: still direct
  EXPECT_TRUE(computePathDifference(in).direct);
}

TEST(PathDifference, InfiniteBarrierWithReceiverStraightBehind) {
  // r = D: m = 0, delta1 = sqrt(9 + 9) + sqrt(25 + 4) - sqrt(64 + 1).
  auto in = pathInput(8, BarrierKind::Infinite);
  ASSERT_FALSE(checkPathDifference(in).has_value());
  const auto r = computePathDifference(in);
  EXPECT_NEAR(r.m_m, 0, 1e-12);
  EXPECT_NEAR(r.delta1_m, std::sqrt(18.0) + std::sqrt(29.0) - std::sqrt(65.0), 1e-9);
  EXPECT_EQ(r.delta2_m, 0);
  EXPECT_EQ(
      r.text.rfind("点声源屏障无限长\r\n声源与测点在屏障上的投影距离m=0[m]\r\nSP=8.06226[m]", 0),
      0u);
}

TEST(PathDifference, InfiniteBarrierAtTwelveMetres) {
  const auto r = computePathDifference(pathInput(12, BarrierKind::Infinite));
  EXPECT_NEAR(r.m_m, 8.94427, 1e-5);
  EXPECT_NEAR(r.sp_m, 12.04159, 1e-5);
  EXPECT_NEAR(r.delta1_m, 1.12882, 1e-5);
  EXPECT_NE(r.text.find("声程差δ1=SO1+O1P-SP=1.12882[m]"), std::string::npos);
}

TEST(PathDifference, FiniteBarrierDifferentSides) {
  // r = 12: m2 = 8.944 - 1 = 7.944; the end sight line (1 + 2.5) 5/3 + 2.5 = 8.33 > m2 blocks.
  const auto r = computePathDifference(pathInput(12));
  EXPECT_FALSE(r.direct);
  EXPECT_NEAR(r.m2_m, 7.94427, 1e-5);
  EXPECT_NEAR(r.sp_m, 12.04159, 1e-5);
  EXPECT_NEAR(r.delta1_m, 1.12882, 1e-5);
  EXPECT_NEAR(r.delta2_m, 2.92967, 1e-5);
  EXPECT_NEAR(r.delta3_m, 0.00167, 1e-5);
  EXPECT_EQ(r.text.rfind("点声源屏障有限长\r\n预测点距屏障中垂线距离m2=7.94427[m]\r\n", 0), 0u);
  EXPECT_EQ(r.text.substr(r.text.size() - 2), "\r\n");
}

TEST(PathDifference, FiniteBarrierSeenAroundAnEnd) {
  // Same side, m1 < m2: m2 = 8.944 + 1 passes (8*2.5 - 5*1)/3 = 5 on the end sight line.
  auto in = pathInput(12);
  in.side = BarrierSide::SameSideM1BelowM2;
  const auto r = computePathDifference(in);
  EXPECT_TRUE(r.direct);
  EXPECT_EQ(r.delta1_m + r.delta2_m + r.delta3_m, 0);
  EXPECT_EQ(r.text,
            "点声源屏障有限长\r\n预测点距屏障中垂线距离m2=9.94427[m]\r\n声音能直达,声程差为0");
}

TEST(PathDifference, DescriptionHandsBackTheDeltas) {
  const auto& d = pathDifferenceDesc();
  auto v = core::defaultValues(d);
  v.setNum("r", 12);
  const auto o = d.compute(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_NEAR(o.results.num("delta2"), 2.92967, 1e-5);
  v.setNum("r", 8);
  EXPECT_EQ(d.compute(v, "compute").failure->message, kMsgPathSameSide);
}

TEST(Embankment, WorkedExamples) {
  EmbankmentInput in;  // h 2, h1 1, h2 1.2, d1 5, a 45
  in.r_m = 6;          // slope foot at 5 + 2 = 7 > 6
  EXPECT_EQ(message(checkEmbankment(in)), kMsgEmbankmentSlopeFoot);
  in.r_m = 7;  // at the foot, but tan(45 deg) with pi = 3.14159 is just below 1
  EXPECT_EQ(message(checkEmbankment(in)), kMsgEmbankmentSlopeFoot);
  in.r_m = 7.01f;  // past the foot: sight line 3 - 1.4 = 1.6 > 1.2 shadows the point
  EXPECT_FALSE(checkEmbankment(in).has_value());
  in.r_m = 20;  // sight line 3 - 4 = -1 <= 1.2
  EXPECT_EQ(message(checkEmbankment(in)), kMsgEmbankmentIlluminated);
  in.r_m = 8;  // sight line 1.4 m: shadowed
  EXPECT_FALSE(checkEmbankment(in).has_value());
  EXPECT_NEAR(embankmentPathDifference(in), std::sqrt(26.0) + std::sqrt(9.64) - std::sqrt(67.24),
              1e-6);
  EXPECT_NEAR(embankmentPathDifference(in), 0.0039, 5e-5);
}

TEST(Embankment, CurveRisesFromFourToTwentyDecibels) {
  EXPECT_DOUBLE_EQ(embankmentCurve_dB(0.01), 4.0);
  EXPECT_DOUBLE_EQ(embankmentCurve_dB(0.001), 4.0);
  EXPECT_DOUBLE_EQ(embankmentCurve_dB(50), 20.0);
  EXPECT_DOUBLE_EQ(embankmentCurve_dB(1e6), 20.0);
  double last = 0;
  for (double d = 0.01; d <= 100; d *= 1.3) {
    EXPECT_GE(embankmentCurve_dB(d), last) << d;
    last = embankmentCurve_dB(d);
  }
}

TEST(Embankment, OkHandsTheReadValueBack) {
  const auto& d = embankmentDesc();
  auto v = core::defaultValues(d);
  v.setNum("Abar", 7.5);
  const auto o = d.compute(v, "ok");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.updated_inputs.num("Abar"), 7.5);
}

TEST(FiniteBarrier, CurveEndsAndPrompt) {
  // A fully shielded angle gives the infinite-barrier value; 60 % of a 10 dB barrier:
  // -10 lg(0.4 + 0.6 * 0.1) = 3.37 dB.
  EXPECT_NEAR(finiteBarrierCurve_dB(1.0, 10), 10, 1e-9);
  EXPECT_NEAR(finiteBarrierCurve_dB(0.6, 10), 3.3724, 1e-4);
  EXPECT_LT(finiteBarrierCurve_dB(0.9, 16), finiteBarrierCurve_dB(0.95, 16));
  EXPECT_EQ(finiteBarrierPrompt(4.7712),
            "无限长屏障衰减量为4.77dB，根据上图，请输入有限长屏障衰减量[dB]");
}
