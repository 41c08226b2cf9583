// Fire consequence models: the defaults worked by hand (calculator, 6 digits) and the harm step.
#include <gtest/gtest.h>

#include <cmath>

#include "models/risk/bleve.h"
#include "models/risk/jet_fire.h"
#include "models/risk/pool_fire.h"
#include "models/risk/thermal_harm.h"

namespace {

using namespace models::risk;

TEST(ThermalHarm, EachQuantityIsClippedOnItsOwn) {
  // q = 60 kW/m^2 for 1 s: L = 4/3 ln 24000 = 13.4477; Pd = -0.1954, P2 = -0.2544, P1 = 0.0763.
  // First-degree burns happen although nobody dies: they must not be reported as 0.
  const ThermalHarm h = thermalHarm(60000, 1);
  EXPECT_DOUBLE_EQ(h.death, 0);
  EXPECT_DOUBLE_EQ(h.second_burn, 0);
  EXPECT_NEAR(h.first_burn, 0.076336, 1e-5);
  // Above 1 on one side only: Pd stays where it is when only the burns saturate.
  // q = 1e6 W/m^2 for 1 s: L = 17.1990; Pd = 0.76493, P2 = 0.87802, P1 = 1.2087 -> 1.
  const ThermalHarm high = thermalHarm(1e6, 1);
  EXPECT_NEAR(high.death, 0.76493, 1e-4);
  EXPECT_NEAR(high.second_burn, 0.87802, 1e-4);
  EXPECT_DOUBLE_EQ(high.first_burn, 1);
}

TEST(ThermalHarm, AllOnOneSideIsUnchanged) {
  const ThermalHarm low = thermalHarm(10, 1);
  EXPECT_DOUBLE_EQ(low.death + low.second_burn + low.first_burn, 0);
  const ThermalHarm high = thermalHarm(1e9, 100);
  EXPECT_DOUBLE_EQ(high.death, 1);
  EXPECT_DOUBLE_EQ(high.second_burn, 1);
  EXPECT_DOUBLE_EQ(high.first_burn, 1);
  EXPECT_DOUBLE_EQ(clipUnit(-3), 0);
  EXPECT_DOUBLE_EQ(clipUnit(0.25), 0.25);
  EXPECT_TRUE(std::isnan(clipUnit(std::nan(""))));
}

TEST(Bleve, Defaults) {
  const BleveResult r = computeBleve(BleveInput{});
  EXPECT_DOUBLE_EQ(r.m_kg, 50);
  EXPECT_NEAR(r.d_m, 9.57768, 1e-4);
  EXPECT_NEAR(r.t_s, 3.91373, 1e-4);
  EXPECT_DOUBLE_EQ(r.h_m, r.d_m);
  EXPECT_NEAR(r.q0_w_m2, 568387, 2);
  EXPECT_NEAR(r.q_w_m2, 56520.9, 0.5);
  EXPECT_NEAR(r.harm.death, 0.13354, 1e-4);
  EXPECT_NEAR(r.harm.second_burn, 0.13347, 1e-4);
  EXPECT_NEAR(r.harm.first_burn, 0.46418, 1e-4);
  EXPECT_EQ(r.text.rfind("火球直径为 9.57768[m];火球持续时间为 3.91373[s]\r\n火球抬升高度为 "
                         "9.57768[m]\r\n火球表面热辐射能量为 ",
                         0),
            0u)
      << r.text;
  EXPECT_NE(r.text.find("\r\n距离储罐10米处热辐射强度为 5652"), std::string::npos) << r.text;
  EXPECT_NE(r.text.find("\r\n一度烧伤概率为 0.464"), std::string::npos) << r.text;
}

TEST(Bleve, StorageModeAndTargetInsideTheFireball) {
  BleveInput in;
  in.storage = StorageMode::Multiple;
  EXPECT_NEAR(computeBleve(in).m_kg, 90, 1e-9);
  in.storage = StorageMode::Single;
  const double radius = computeBleve(in).d_m / 2;
  // The largest distance the form can hold that does not pass the radius.
  float x = static_cast<float>(radius);
  if (static_cast<double>(x) > radius) x = std::nextafter(x, 0.0f);
  in.x_m = x;
  const BleveResult r = computeBleve(in);
  EXPECT_TRUE(r.inside);
  EXPECT_NE(
      r.text.find("\r\n距离储罐距离小于火球半径，热辐射强度不能计算\r\n死亡概率为 1\r\n二度烧伤"
                  "概率为 1\r\n一度烧伤概率为 1"),
      std::string::npos)
      << r.text;
  in.x_m = std::nextafter(static_cast<float>(radius), 100.0f);
  if (static_cast<double>(in.x_m) <= radius) in.x_m = std::nextafter(in.x_m, 100.0f);
  EXPECT_FALSE(computeBleve(in).inside);
}

TEST(JetFire, Defaults) {
  const JetFireResult r = computeJetFire(JetFireInput{});
  EXPECT_NEAR(r.q_release_w, 418256.32, 0.1);
  EXPECT_NEAR(r.l_m, 1.93784, 1e-4);
  EXPECT_NEAR(r.tau, 0.869904, 1e-6);
  EXPECT_NEAR(r.q_kw_m2, 0.0868611, 1e-6);  // f = 0.3 as the form stores it: 0.0868612
  EXPECT_EQ(r.text,
            "喷射火的火焰长度为 1.93784[m]\r\n距离火焰点源10米处接收的热辐射能量为 "
            "0.0868612[KW/m^2]\r\n死亡概率为 0\r\n二度烧伤概率为 0\r\n一度烧伤概率为 0");
}

TEST(JetFire, UnitDistanceHasFullTransmissivityAndReportsBurnsWithoutDeath) {
  JetFireInput in;
  in.x_m = 1;
  in.m_kg_s = 1;
  in.hc_j_kg = 753981.625f;  // Q / (4 pi 1000) = 60 kW/m^2
  in.f = 1;
  in.t_s = 1;
  const JetFireResult r = computeJetFire(in);
  EXPECT_DOUBLE_EQ(r.tau, 1);
  EXPECT_NEAR(r.q_kw_m2, 60, 1e-4);
  EXPECT_NE(r.text.find("死亡概率为 0\r\n二度烧伤概率为 0\r\n一度烧伤概率为 0.0763"),
            std::string::npos)
      << r.text;
}

TEST(JetFire, ZeroDistanceIsRefusedNotShownAsInfinite) {
  JetFireInput in;
  in.x_m = 0;
  EXPECT_FALSE(std::isfinite(computeJetFire(in).q_kw_m2));
  const auto f = checkJetFire(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->focus, "x");
}

TEST(PoolFire, Defaults) {
  const PoolFireResult r = computePoolFire(PoolFireInput{});
  EXPECT_NEAR(r.d_m, 3.80377, 1e-4);
  EXPECT_NEAR(r.burn_kg_m2_s, 0.0789198, 1e-6);
  EXPECT_NEAR(r.l_m, 9.6246, 1e-3);
  EXPECT_NEAR(r.duration_s, 111.506, 1e-2);
  EXPECT_NEAR(r.q0_w_m2, 103884, 2);
  EXPECT_EQ(r.text.rfind("液池直径为3.803767[m]", 0), 0u) << r.text;
  EXPECT_NE(r.text.find("[m]\r\n液体单位面积燃烧速率为0.078920[kg/(m^2·s)]\r\n火焰高度为9.62"),
            std::string::npos)
      << r.text;
  // Point source at L/2 = 4.8123 m over the pool centre, 10 m away: R^2 = 123.158 m^2;
  // Qr = 0.35 * 0.0789198 * 41825632 * pi * 3.80377^2 / 4 = 1.312847e7 W;
  // q = Qr / (4 pi R^2) = 8482.84 W/m^2; over 40 s L = ln(40 (0.4 q)^(4/3)) = 14.5829,
  // Pd = 0.08123, P2 = 0.07178, P1 = 0.40249.
  EXPECT_NEAR(r.qr_w, 1.312847e7, 10);
  EXPECT_NEAR(r.q_w_m2, 8482.84, 0.05);
  EXPECT_NEAR(r.harm.death, 0.081226, 1e-5);
  EXPECT_NEAR(r.harm.second_burn, 0.071781, 1e-5);
  EXPECT_NEAR(r.harm.first_burn, 0.402490, 1e-5);
  EXPECT_NE(r.text.find("[W/m^2]\r\n距离液池中心10米处热辐射强度为 8482.84[W/m^2]\r\n死亡概率为 "
                        "0.0812258\r\n二度烧伤概率为 0.0717808\r\n一度烧伤概率为 0.40249"),
            std::string::npos)
      << r.text;
  EXPECT_EQ(r.text.find("完善中"), std::string::npos);
}

TEST(PoolFire, FluxFallsWithDistanceAndInsideThePoolHarmIsCertain) {
  PoolFireInput in;
  in.x_m = 20;  // R^2 = 423.158: q = 2468.89 W/m^2, below every harm threshold over 40 s
  PoolFireResult r = computePoolFire(in);
  EXPECT_NEAR(r.q_w_m2, 2468.89, 0.05);
  EXPECT_DOUBLE_EQ(r.harm.first_burn, 0);
  in.x_m = 1;  // within the pool radius 1.90 m
  r = computePoolFire(in);
  EXPECT_TRUE(r.inside);
  EXPECT_NE(r.text.find("预测点位于液池内，热辐射强度不能计算\r\n死亡概率为 1"), std::string::npos)
      << r.text;
}

TEST(PoolFire, BoilingPointNotAboveAmbientUsesHeatOfVaporisationOnly) {
  PoolFireInput in;
  in.ta_c = 80.1f;  // Tb == Ta
  EXPECT_NEAR(computePoolFire(in).burn_kg_m2_s, 0.0963155, 1e-6);
  in.ta_c = 90;
  EXPECT_NEAR(computePoolFire(in).burn_kg_m2_s, 0.0963155, 1e-6);
  in.ground = GroundType::CalmWater;  // thinner layer, wider pool
  EXPECT_NEAR(computePoolFire(in).d_m, 3.80377 * std::sqrt(0.01 / 0.0018), 1e-3);
}

TEST(PoolFire, ZeroMassIsRefusedNotShownAsNan) {
  PoolFireInput in;
  in.w_kg = 0;
  EXPECT_NE(computePoolFire(in).text.find("nan"), std::string::npos);
  const auto f = checkPoolFire(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "泄漏液体质量W必须大于0，请重新输入！");
}

}  // namespace
