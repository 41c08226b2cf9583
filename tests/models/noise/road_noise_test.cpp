// Road traffic noise; reference values worked by hand (spreadsheet) from the class formula.
#include "models/noise/road_noise.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::noise;

TEST(RoadNoise, DefaultsGiveTheHourlyLevel) {
  const auto r = computeRoadNoise(RoadNoiseInput{});
  EXPECT_NEAR(r.slope_db[0], 4.90, 1e-9);
  EXPECT_NEAR(r.slope_db[1], 3.65, 1e-9);
  EXPECT_NEAR(r.slope_db[2], 2.50, 1e-9);
  EXPECT_NEAR(r.aatm_db, 0.056, 1e-6);
  EXPECT_NEAR(r.leq_class_db[0], 55.7416, 1e-3);
  EXPECT_NEAR(r.leq_db, 58.6694, 1e-3);
  EXPECT_NEAR(r.lt_db, 60.2215, 1e-3);
  EXPECT_EQ(
      r.text.rfind(
          "总车流小时等效声级Leq=58.67[dB]\r\n总车流小时等效声级＋背景噪声=60.22[dB]\r\n"
          "----------------------------------------------------------\r\n详细结果如下：\r\n"
          "纵坡修正量△L坡度:\r\n大型车＝4.90[dB]，中型车＝3.65[dB]，小型车＝2.50[dB]\r\n"
          "路面修正量△L路面:\r\n大型车＝0.00[dB]，中型车＝0.00[dB]，小型车＝0.00[dB]\r\n"
          "声屏障衰减量Abar=10.00[dB]\r\n空气吸收衰减Aatm=0.06[dB]\r\n各车型小时等效声级:\r\n",
          0),
      0u);
}

// A road without medium trucks: that class adds nothing and its speed is not needed.
// Leq = 55.7416 ⊕ 50.8709 = 56.9663 dB; with the 55 dB background 59.1038 dB.
TEST(RoadNoise, AClassWithoutVehiclesAddsNothing) {
  RoadNoiseInput in;
  in.n_per_h[1] = 0;
  in.v_kmh[1] = 0;
  EXPECT_FALSE(checkRoadNoise(in));
  const auto r = computeRoadNoise(in);
  EXPECT_NEAR(r.leq_db, 56.9663, 1e-3);
  EXPECT_NEAR(r.lt_db, 59.1038, 1e-3);
  EXPECT_NE(
      r.text.find("各车型小时等效声级:\r\n大型车＝55.74[dB]，中型车＝无车流，小型车＝50.87[dB]"),
      std::string::npos)
      << r.text;
  in.n_per_h[1] = -1;
  EXPECT_EQ(checkRoadNoise(in)->message, "中型车平均小时车流量N必须大于等于0，请重新输入！");
  in.n_per_h[1] = 10;  // a class that runs needs its speed
  EXPECT_EQ(checkRoadNoise(in)->focus, "VM");
  in = RoadNoiseInput{};
  in.n_per_h[0] = in.n_per_h[1] = in.n_per_h[2] = 0;
  EXPECT_EQ(checkRoadNoise(in)->message, "各类型车的平均小时车流量N不能都为0，请重新输入！");
}

TEST(RoadNoise, CementPavementBySpeed) {
  EXPECT_NEAR(pavementCorrection(Pavement::Cement, 30), 1.0, 1e-12);
  EXPECT_NEAR(pavementCorrection(Pavement::Cement, 40), 1.5, 1e-12);
  EXPECT_EQ(pavementCorrection(Pavement::Cement, 50), 2.0);
  EXPECT_EQ(pavementCorrection(Pavement::Cement, 120), 2.0);
  EXPECT_EQ(pavementCorrection(Pavement::Asphalt, 30), 0);
}

TEST(RoadNoise, RuralHousesCappedAndOptionalTerms) {
  RoadNoiseInput in;
  in.houses = true;
  in.ahouse_db = 12;
  in.intersection = true;
  in.crossing = IntersectionDistance::UpTo70;
  in.ground = true;  // hm 2, r 20: 4.8 - 0.2 * 32 < 0 -> 0
  const auto r = computeRoadNoise(in);
  EXPECT_EQ(r.ahouse_db, 10);
  EXPECT_NE(r.text.find("农村房屋附加衰减量Abar=10.00[dB]\r\n"), std::string::npos);
  EXPECT_NE(r.text.find("城市道路交叉路口噪声修正值Abar=＋2.00[dB]\r\n"), std::string::npos);
  EXPECT_NE(r.text.find("地面效应衰减Agr=0.00[dB]\r\n"), std::string::npos);
  // The intersection raises each class by 2 dB, houses take 10 dB off.
  const auto base = computeRoadNoise(RoadNoiseInput{});
  EXPECT_NEAR(r.leq_class_db[1] - base.leq_class_db[1], 2 - 10, 1e-9);
}

TEST(RoadNoise, ReferenceLevelFromSpeed) {
  EXPECT_NEAR(referenceLevel(VehicleClass::Large, 50), 83.71, 0.005);
  EXPECT_NEAR(referenceLevel(VehicleClass::Medium, 60), 80.78, 0.005);
  EXPECT_NEAR(referenceLevel(VehicleClass::Small, 70), 76.68, 0.005);
  EXPECT_NEAR(referenceLevel(VehicleClass::Large, 80), 91.12, 0.005);
}

TEST(RoadNoise, LineBarrierAttenuation) {
  // delta = 0: x = 0, 10 lg(3 pi / (4 pi / 4)) = 10 lg 3.
  EXPECT_NEAR(lineBarrierAttenuation(0, 500, 20), 4.7712, 1e-4);
  // x = 1 exactly (c = 331 at 0 C, delta = 3 c / (40 f)): the limit of both branches.
  const double one = 3 * 331.0 / (40 * 500);
  EXPECT_NEAR(lineBarrierAttenuation(one, 500, 0), 6.7324, 1e-4);
  EXPECT_NEAR(lineBarrierAttenuation(one * 0.999999, 500, 0), 6.7324, 1e-3);
  EXPECT_NEAR(lineBarrierAttenuation(one * 1.000001, 500, 0), 6.7324, 1e-3);
  // x = 3 at 20 C, 500 Hz.
  EXPECT_NEAR(lineBarrierAttenuation(0.1543096, 500, 20), 8.7860, 1e-3);
}

TEST(RoadNoise, DescriptionActions) {
  const auto& d = roadNoiseDesc();
  auto v = core::defaultValues(d);
  EXPECT_NEAR(d.compute(v, "barrier").updated_inputs.num("Abar"), 4.7712, 1e-4);
  EXPECT_NEAR(d.compute(v, "alpha").updated_inputs.num("alpha"), 2.79, 0.005);
  EXPECT_NE(d.compute(v, "compute").text.find("Leq=58.67"), std::string::npos);
}
