#include "models/air/tank_losses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace models::air;

namespace {

core::Values defaults() { return core::defaultValues(tankLossesDesc()); }

// The number in a result line "结果：...：%f [unit]".
double numberIn(const std::string& line) {
  const auto colon = line.rfind("：");
  return std::strtod(line.c_str() + colon + std::string("：").size(), nullptr);
}

}  // namespace

TEST(TankLosses, FixedRoofWorkingDefaults) {
  // N = 100 turnovers > 36: KN = 280 / 600
  const auto o = tankLossesDesc().compute(defaults(), "fixed_working");
  EXPECT_EQ(o.text, "结果：拱顶罐大呼吸蒸发损耗量LDw：0.016660 [m^3/a]");
  FixedRoofWorkingInput in;
  EXPECT_NEAR(fixedRoofWorkingLoss(in), (280.0 / 600) * 140 * 20 * 0.75 / (570 * 103.2), 1e-15);
}

TEST(TankLosses, TurnoverFactorSwitchesAbove36) {
  EXPECT_EQ(turnoverFactor(36), 1);
  EXPECT_NEAR(turnoverFactor(36.5), 216.5 / 219, 1e-15);
  FixedRoofWorkingInput in;
  in.throughput_m3_y = 7200;  // N = 7200 / 200 = 36 exactly
  EXPECT_NEAR(fixedRoofWorkingLoss(in), 140 * 20 * 0.75 / (570 * 103.2), 1e-15);
}

TEST(TankLosses, FloatingRoofWorkingWithAndWithoutSupports) {
  core::Values v = defaults();
  v.setNum("tank", 1);
  v.setNum("lw_support", 1);  // hidden for the floating roof: ignored
  auto o = tankLossesDesc().compute(v, "floating_working");
  EXPECT_EQ(o.text, "结果：浮顶油罐大呼吸损耗量Lw：76072.000340 [kg/a]");
  EXPECT_FLOAT_EQ(o.results.f("lw_C"), 0.00257f);
  v.setNum("tank", 2);
  v.setNum("lw_support", 0);
  o = tankLossesDesc().compute(v, "floating_working");
  EXPECT_EQ(o.text, "结果：内浮顶油罐大呼吸损耗量Lw：76072.000340 [kg/a]");
  v.setNum("lw_support", 1);  // (1 + Nc Fc / D) = 1.6
  o = tankLossesDesc().compute(v, "floating_working");
  EXPECT_NEAR(numberIn(o.text), 121715.201224, 1e-6);
}

TEST(TankLosses, WallAdhesionTable) {
  EXPECT_FLOAT_EQ(wallAdhesion(Product::Gasoline, WallState::HeavyRust), 0.01284f);
  EXPECT_FLOAT_EQ(wallAdhesion(Product::Crude, WallState::Lined), 1.0268f);
  core::Values v = defaults();
  v.setNum("lw_product", 1);
  v.setNum("lw_wall", 1);
  EXPECT_FLOAT_EQ(tankLossesDesc().compute(v, "floating_working").results.f("lw_C"), 0.05134f);
}

TEST(TankLosses, FixedRoofBreathingDiameterSwitch) {
  EXPECT_EQ(tankDiameterFactor(9.14), 1);
  EXPECT_EQ(tankDiameterFactor(9.14f), 1);
  EXPECT_NEAR(tankDiameterFactor(9), 0.8528569539, 1e-12);
  core::Values v = defaults();
  EXPECT_EQ(tankLossesDesc().compute(v, "fixed_breathing").text,
            "结果：拱顶罐小呼吸蒸发损耗量LDs：0.106396 [m^3/a]");
  v.setNum("fb_D", 9);
  EXPECT_NEAR(numberIn(tankLossesDesc().compute(v, "fixed_breathing").text), 5.206241, 1e-6);
  v.setNum("fb_D", 9.14f);
  EXPECT_NEAR(numberIn(tankLossesDesc().compute(v, "fixed_breathing").text), 6.269681, 1e-6);
}

TEST(TankLosses, StandingLossesDefaults) {
  EXPECT_NEAR(vapourPressureFunction(70, 101.3),
              (70 / 101.3) / std::pow(1 + std::sqrt(1 - 70 / 101.3), 2), 1e-15);
  EXPECT_EQ(tankLossesDesc().compute(defaults(), "floating_standing").text,
            "结果：浮顶罐小呼吸蒸发损耗量Ls：324.260315 [kg/a]");
  EXPECT_EQ(tankLossesDesc().compute(defaults(), "internal_standing").text,
            "结果：内浮顶罐小呼吸蒸发损耗量Ls：755.328638 [kg/a]");
  // A vapour pressure above the air pressure has no P*: refused on the sub-form's own field.
  core::Values v = defaults();
  v.setNum("is_Py", 200);
  const core::Outcome o = tankLossesDesc().compute(v, "internal_standing");
  ASSERT_TRUE(o.failure);
  EXPECT_EQ(o.failure->message, "油品平均温度下蒸汽压 Py必须不大于当地大气压 Pa，请重新输入！");
  EXPECT_EQ(o.failure->focus, "is_Py");
}

// A bolted deck adds the seam term Fd Kd D^2 (zero for the default welded deck).
TEST(TankLosses, InternalStandingWithBoltedDeck) {
  core::Values v = defaults();
  v.setNum("is_D", 4);
  v.setNum("is_Kd", 3.66f);
  EXPECT_EQ(tankLossesDesc().compute(v, "internal_standing").text,
            "结果：内浮顶罐小呼吸蒸发损耗量Ls：2159.031408 [kg/a]");
}

TEST(TankLosses, SubFormOfTheDropDowns) {
  EXPECT_EQ(tankSubFormIndex(0, 0), 0);
  EXPECT_EQ(tankSubFormIndex(0, 1), 1);
  EXPECT_EQ(tankSubFormIndex(0, 2), 1);
  EXPECT_EQ(tankSubFormIndex(1, 0), 2);
  EXPECT_EQ(tankSubFormIndex(1, 1), 3);
  EXPECT_EQ(tankSubFormIndex(1, 2), 4);
}
