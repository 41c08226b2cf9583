#include "models/air/fugitive_dust.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::air;

TEST(FugitiveDust, TransportDefaults) {
  const auto o = fugitiveDustDesc().compute(core::defaultValues(fugitiveDustDesc()), "transport");
  // 0.123 x 6 x (1/6.8)^0.85 x 0.02^0.72 x 0.1 x 3000
  EXPECT_NEAR(o.results.num("Qt"), 2.595892105, 2e-6);
  EXPECT_FALSE(o.results.has("Qc"));
}

// The load enters twice: (M / 6.8)^0.85 and the division by M.
TEST(FugitiveDust, TransportWithAHeavierLoad) {
  core::Values v = core::defaultValues(fugitiveDustDesc());
  v.setNum("M", 5);
  const auto o = fugitiveDustDesc().compute(v, "transport");
  // 0.123 x 6 x (5/6.8)^0.85 x 0.02^0.72 x 0.1 x 3000 / 5
  EXPECT_FLOAT_EQ(o.results.f("Qt"), 2.0391123f);
}

TEST(FugitiveDust, CoalPile) {
  core::Values v = core::defaultValues(fugitiveDustDesc());
  auto o = fugitiveDustDesc().compute(v, "coal");
  EXPECT_NEAR(o.results.num("Qc"), 0.760059749, 1e-7);
  v.setNum("W", 0);  // dry coal: 11.7 U^2.45 S^0.345
  o = fugitiveDustDesc().compute(v, "coal");
  EXPECT_NEAR(o.results.num("Qc"), 11.7 * std::pow(1.5, 2.45) * std::pow(40, 0.345), 1e-4);
  EXPECT_FALSE(o.results.has("Qt"));
}
