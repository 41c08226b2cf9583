// Sedimentation-tank sludge: worked examples and the two refusals.
#include "tools/sludge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace models::tools;

TEST(Sludge, WorkedExamples) {
  // Defaults: 50 x 60 x 300 / (80 x 300 x 1000).
  EXPECT_FLOAT_EQ(computeSludge(SludgeInput{}).volume_m3_d, 0.0375f);
  // 1000 x 60 x 200 / (3 x 1 x 1000).
  EXPECT_FLOAT_EQ(computeSludge({1000, 200, 60, 97, 1}).volume_m3_d, 4000.0f);
  // By hand: 1000 m^3/d at 200 mg/L is 200 kg/d of solids, 60 % removed is 120 kg/d dry,
  // at 97 % water 4000 kg/d of sludge, at 1000 kg/m^3 that is 4 m^3/d.
  EXPECT_FLOAT_EQ(computeSludge({1000, 200, 60, 97, 1000}).volume_m3_d, 4.0f);
}

TEST(Sludge, RefusesWaterContentOfAHundredPercentAndNoDensity) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SludgeInput in;
  EXPECT_FALSE(checkSludge(in));
  for (float p : {100.0f, 120.0f, nan}) {
    in.water_pct = p;
    const auto f = checkSludge(in);
    ASSERT_TRUE(f) << p;
    EXPECT_EQ(f->message, kMsgSludgeWater);
    EXPECT_EQ(f->focus, "P");
  }
  in.water_pct = 99.9f;
  EXPECT_FALSE(checkSludge(in));
  for (float rho : {0.0f, -1.0f, nan}) {
    in.density_kg_m3 = rho;
    const auto f = checkSludge(in);
    ASSERT_TRUE(f) << rho;
    EXPECT_EQ(f->message, kMsgSludgeDensity);
    EXPECT_EQ(f->focus, "rho");
  }
}
