// Green and Stueber workshop formulas and the inner level near the wall; reference values by
// hand (a calculator, double precision):
//   Green at 10 m: 80 - 15 - 11 + 10 lg(100/100) = 54.0, with 58.4 dB background 59.7;
//   Green distance: D = 10^6 - 10^5.84, L = sqrt(100 / 10^(0.1 (10 lg D + 26 - 80))) = 9.028 m;
//   Stueber: N1 = 2*0.63*500/340.29 = 1.8514, Abar = 13.0967, S = 250.2, LT = 67.460,
//   L = 79.584 m; Lp1 = 90 + 10 lg(1/(12.56636*4) + 4/3.0303) = 91.271 dB.
#include "models/noise/workshop_noise.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::noise;

namespace {

TEST(Green, RowsOfTheDefaults) {
  const GreenInput in;
  ASSERT_FALSE(checkGreenList(in));
  const auto rows = computeGreenRows(in);
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_DOUBLE_EQ(rows[0].r_m, 10);
  EXPECT_NEAR(rows[0].lp_db, 54.0, 1e-9);
  EXPECT_NEAR(rows[0].lt_db, 59.745, 1e-3);
  EXPECT_DOUBLE_EQ(rows[19].r_m, 200);
  EXPECT_NEAR(rows[19].lp_db, 54 - 10 * std::log10(400), 1e-9);
  const core::Table t = greenTable(rows);
  EXPECT_EQ(t.headers, (std::vector<std::string>{"距离m", "预测值dB", "叠加后预测值dB"}));
  EXPECT_EQ(t.widths, (std::vector<int>{50, 60, 100}));
  EXPECT_EQ(t.rows[0], (std::vector<std::string>{"10", "54.0", "59.7"}));
}

TEST(Green, NegativeLevelsBecomeZeroAndCountsAreTruncated) {
  GreenInput in;
  in.lp1_db = 0;
  in.lmax_m = 1;
  in.step_m = 0.1f;  // 1 / 0.1f lands just below 10: still ten rows
  const auto rows = computeGreenRows(in);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[9].lp_db, 0);
  EXPECT_NEAR(rows[9].lt_db, 10 * std::log10(std::pow(10, 5.84f) + 1), 1e-3);
  in.lmax_m = 1e9f;
  in.step_m = 1;
  const auto f = checkGreenList(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->focus, "l");
}

TEST(Green, DistanceToTheLimit) {
  GreenInput in;
  ASSERT_FALSE(checkGreenDistance(in));
  EXPECT_NEAR(computeGreenDistance(in), 9.028, 1e-3);
  in.lreq_db = in.lbg_db;
  auto f = checkGreenDistance(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "达标值必须大于背景值，请重新输入！");
  in.lreq_db = 50;
  EXPECT_TRUE(checkGreenDistance(in));
  in.lreq_db = NAN;
  EXPECT_TRUE(checkGreenDistance(in));
}

TEST(Stueber, DefaultsAndDistance) {
  StueberInput in;
  EXPECT_NEAR(fresnelNumber(in.delta1_m, in.f_hz), 1.8514, 1e-4);
  EXPECT_NEAR(stueberBarrier(in), 13.0967, 1e-3);
  EXPECT_NEAR(stueberSurface(in), 250.2, 1e-9);
  const StueberResult r = computeStueber(in);
  EXPECT_NEAR(r.lp_db, 66.884, 1e-3);
  EXPECT_NEAR(r.lt_db, 67.460, 1e-3);
  ASSERT_FALSE(checkStueberDistance(in));
  EXPECT_NEAR(computeStueberDistance(in), 79.584, 2e-3);
  // At the distance found the level equals the limit.
  in.r_m = static_cast<float>(computeStueberDistance(in));
  EXPECT_NEAR(computeStueber(in).lt_db, in.lreq_db, 1e-4);
  in.lreq_db = 58;
  EXPECT_EQ(checkStueberDistance(in)->message, kMsgLimitBelowBackground);
}

TEST(Lp1, DefaultsAndAbsorptionLimits) {
  Lp1Input in;
  ASSERT_FALSE(checkLp1(in));
  EXPECT_NEAR(computeLp1(in), 91.271, 1e-3);
  for (float a : {0.0f, 1.0f, -0.1f, 1.5f, NAN}) {
    in.alpha = a;
    const auto f = checkLp1(in);
    ASSERT_TRUE(f) << a;
    EXPECT_EQ(f->focus, "a");
  }
}

}  // namespace
