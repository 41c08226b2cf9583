// Spill evaporation stages and their sum, from the defaults worked by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "core/calculator.h"
#include "models/risk/flash_evaporation.h"
#include "models/risk/heat_evaporation.h"
#include "models/risk/mass_evaporation.h"
#include "models/risk/spill_evaporation.h"

namespace {

using namespace models::risk;

TEST(FlashEvaporation, NoMoreFlashesThanWasSpilled) {
  // The defaults: Fv = 1000 * (298 - 85) / 4500 = 47.3, so the whole 20 kg flashes in 50 s.
  FlashEvaporationInput in;
  EXPECT_FALSE(checkFlashEvaporation(in));
  EXPECT_FLOAT_EQ(computeFlashEvaporation(in).q1_kg_s, 0.4f);
  EXPECT_EQ(flashEvaporationText(in),
            "闪蒸比例Fv = Cp·(TL − Tb)/H = 47.3333\r\n液体将全部闪蒸，Q1 = WT/t1");
  // Fv = 1 exactly: still all of it; 450 kJ/kg: 213 * 1000 / 450000 * 20 / 50 = 0.189333.
  in.h_j_kg = 213000;
  EXPECT_FLOAT_EQ(computeFlashEvaporation(in).q1_kg_s, 0.4f);
  EXPECT_NE(flashEvaporationText(in).find("液体将全部闪蒸"), std::string::npos);
  in.h_j_kg = 450000;
  EXPECT_NEAR(computeFlashEvaporation(in).q1_kg_s, 0.189333, 1e-6);
  EXPECT_EQ(flashEvaporationText(in), "闪蒸比例Fv = Cp·(TL − Tb)/H = 0.473333");
}

TEST(FlashEvaporation, ChecksHeatBeforeTime) {
  FlashEvaporationInput in;
  in.h_j_kg = 0;
  in.t1_s = 0;
  auto f = checkFlashEvaporation(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "液体气化热要大于0");
  EXPECT_EQ(f->focus, "H");
  in.h_j_kg = -1;
  EXPECT_EQ(checkFlashEvaporation(in)->message, "液体气化热要大于0");
  in.h_j_kg = 4500;
  f = checkFlashEvaporation(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "闪蒸蒸发时间要大于0");
  EXPECT_EQ(f->focus, "t1");
  in.t1_s = 1e-6f;
  in.h_j_kg = 450000;  // Cp (TL - Tb) / H = 0.47: less than the whole spill flashes
  EXPECT_FALSE(checkFlashEvaporation(in));
}

TEST(FlashEvaporation, DescriptionRefusesBeforeComputing) {
  const auto& d = flashEvaporationDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("t1", 0);
  const core::Outcome o = d.compute(v, "compute");
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(o.failure->message, "闪蒸蒸发时间要大于0");
  EXPECT_FALSE(o.results.has("Q1"));
}

TEST(HeatEvaporation, DefaultsTakeDiffusivityInUnitsOfTenToMinusSeven) {
  // 1.1 * 5 * 18 / (1000 * sqrt(3.14159 * 1.29e-7 * 50))
  EXPECT_NEAR(computeHeatEvaporation(HeatEvaporationInput{}).q2_kg_s, 21.9928, 1e-3);
}

TEST(HeatEvaporation, NoHeatFlowsInFromColderGround) {
  HeatEvaporationInput in;
  in.tb_k = 334.7f;  // ground at 298 K under a liquid boiling at 334.7 K: -36.7 kg/s before
  EXPECT_EQ(computeHeatEvaporation(in).q2_kg_s, 0.0f);
  const auto& d = heatEvaporationDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("Tb", 334.7);
  const core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.results.num("Q2"), 0);
  EXPECT_EQ(o.text, kMsgNoHeatFlow);
}

TEST(HeatEvaporation, ZeroTimeGivesNonFiniteRate) {
  HeatEvaporationInput in;
  in.t_s = 0;
  EXPECT_TRUE(std::isinf(computeHeatEvaporation(in).q2_kg_s));
}

TEST(MassEvaporation, DefaultsUnstable) {
  // 3.846e-3 * 2000 * 320 / (8.31451 * 298) * 2^(1.8/2.2) * 5^(4.2/2.2)
  EXPECT_NEAR(computeMassEvaporation(MassEvaporationInput{}).q3_kg_s, 37.8295, 1e-3);
}

TEST(MassEvaporation, StabilitySetsTheCoefficients) {
  MassEvaporationInput in;
  in.stability = PoolStability::Neutral;
  // 4.685e-3 * 258.3016 * 2^(1.75/2.25) * 5^(4.25/2.25) = 4.685e-3 * 258.3016 * 1.71449 * 20.9063
  EXPECT_NEAR(computeMassEvaporation(in).q3_kg_s, 43.3758, 1e-3);
  in.stability = PoolStability::Stable;
  const auto k = poolStabilityCoefficients(in.stability);
  EXPECT_DOUBLE_EQ(k.n, 0.3);
  EXPECT_DOUBLE_EQ(k.alpha, 5.285e-3);
}

TEST(SpillEvaporation, SumsTheStages) {
  SpillEvaporationInput in;
  in.q3_kg_s = 37.8295f;
  in.t3_s = 100;
  EXPECT_NEAR(computeSpillEvaporation(in).wp_kg, 3782.95, 1e-2);  // only Q3 t3
  in.q1_kg_s = 18.9333f;
  in.t1_s = 50;
  in.q2_kg_s = 21.9928f;
  in.t2_s = 50;
  EXPECT_NEAR(computeSpillEvaporation(in).wp_kg, 946.665 + 1099.64 + 3782.95, 2e-2);
}

}  // namespace
