#include "models/air/flue_gas.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::air;

namespace {
core::Outcome run(double fuel, double b) {
  core::Values v = core::defaultValues(flueGasDesc());
  v.setNum("fuel", fuel);
  if (fuel == 1) {  // what choosing 煤 writes into the form
    v.setNum("S", 0.7f);
    v.setNum("Cs", 900);
    v.setNum("Cd", 200);
  }
  v.setNum("B", b);
  return flueGasDesc().compute(v, "compute");
}
}  // namespace

TEST(FlueGas, OilThousandTonnes) {
  const auto o = run(0, 1000);
  ASSERT_TRUE(o.ok());
  EXPECT_FLOAT_EQ(o.results.f("V"), 1400);
  EXPECT_FLOAT_EQ(o.results.f("Gs"), 6);
  EXPECT_EQ(o.results.num("Cso2"), 429);
  EXPECT_FLOAT_EQ(o.results.f("Gd"), 1000.0f / 680);
  EXPECT_EQ(o.results.num("Cdust"), 105);
  EXPECT_FLOAT_EQ(o.results.f("Gs_std"), 7);
  EXPECT_FLOAT_EQ(o.results.f("Gd_std"), 1.4f);
  EXPECT_EQ(o.results.num("Gs_cut"), 0);  // 6 - 7 < 0 shows 0
  EXPECT_FLOAT_EQ(o.results.f("Gd_cut"), 1000.0f / 680 - 1.4f);
}

TEST(FlueGas, CoalThousandTonnes) {
  const auto o = run(1, 1000);
  ASSERT_TRUE(o.ok());
  EXPECT_FLOAT_EQ(o.results.f("V"), 1000);
  EXPECT_FLOAT_EQ(o.results.f("Gd"), 30);
  EXPECT_FLOAT_EQ(o.results.f("Gs"), 11.2f);
  EXPECT_EQ(o.results.num("Cdust"), 3000);
  EXPECT_EQ(o.results.num("Cso2"), 1120);
  EXPECT_FLOAT_EQ(o.results.f("Gs_cut"), 11.2f - 9);
  EXPECT_FLOAT_EQ(o.results.f("Gd_cut"), 28);
}

// Flue-dust share and combustible share play different parts: dfh scales the dust, Cfh
// only enters through 1 - 0.01 Cfh.
TEST(FlueGas, CoalDustShares) {
  core::Values v = core::defaultValues(flueGasDesc());
  v.setNum("fuel", 1);
  v.setNum("B", 1000);
  v.setNum("dfh", 30);
  v.setNum("Cfh", 10);
  const auto o = flueGasDesc().compute(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_FLOAT_EQ(o.results.f("Gd"), 40);  // 30 x 12 x 1000 / 0.9 x 1e-4
  EXPECT_EQ(o.results.num("Cdust"), 4000);
}

// With no fuel there is no flue gas; the concentrations used to keep stale values.
TEST(FlueGas, ZeroFuelShowsZeroConcentrations) {
  const auto o = run(1, 0);
  ASSERT_TRUE(o.ok());
  ASSERT_TRUE(o.results.has("Cso2"));
  ASSERT_TRUE(o.results.has("Cdust"));
  EXPECT_EQ(o.results.num("Cso2"), 0);
  EXPECT_EQ(o.results.num("Cdust"), 0);
  EXPECT_EQ(o.results.num("Gs"), 0);
  EXPECT_EQ(o.results.num("Gs_cut"), 0);
}

TEST(FlueGas, NegativeFuelRefused) {
  for (double b : {-1.0, std::nan("")}) {
    const auto o = run(0, b);
    ASSERT_FALSE(o.ok());
    EXPECT_EQ(o.failure->message, "不能是负数，请重新输入");
    EXPECT_EQ(o.failure->caption, "错误");
    EXPECT_EQ(o.failure->focus, "B");
  }
}

TEST(FlueGas, FuelPresets) {
  EXPECT_STREQ(fuelPreset(Fuel::Oil).sulphur_text, "0.3");
  EXPECT_STREQ(fuelPreset(Fuel::Coal).so2_std_text, "900");
  EXPECT_STREQ(fuelPreset(Fuel::Coal).dust_std_text, "200");
}
