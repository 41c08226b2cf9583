// Industrial point-source noise; reference values worked by hand (spreadsheet) from the
// divergence, wall transmission and Fresnel-number formulas.
#include "models/noise/industrial_noise.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::noise;

TEST(IndustrialNoise, IndoorSourceEquivalentPower) {
  // 100 + 10 lg(1 / (4 pi 4) + 4) - 31 + 10 = 85.04 dB.
  IndustrialNoiseInput in;
  EXPECT_NEAR(equivalentSoundPower(in), 85.0421, 1e-4);
  in.source = NoiseSourceKind::Outdoor;
  EXPECT_EQ(equivalentSoundPower(in), 100);
  in.source = NoiseSourceKind::Indoor;
  in.position = RoomPosition::ThreeWalls;  // Q = 8
  EXPECT_NEAR(equivalentSoundPower(in), 100 + 10 * std::log10(8 / (12.56636 * 4) + 4) - 21, 1e-9);
}

TEST(IndustrialNoise, DefaultsGiveLevelsByDistance) {
  const auto r = computeIndustrialNoise(IndustrialNoiseInput{});
  ASSERT_EQ(r.points.size(), 20u);
  EXPECT_NEAR(r.points[0].lpr_db, 74.0421, 1e-4);
  EXPECT_NEAR(r.points[0].lt_dba, 70.9511, 1e-4);
  EXPECT_NEAR(r.points[19].lp_db, 47.9655, 1e-4);
  EXPECT_NEAR(r.points[19].la_dba, 44.7655, 1e-4);
  EXPECT_NEAR(r.points[19].lt_dba, 55.3931, 1e-4);
  // Grid: 4 rows (headers + 3), N + 1 columns, the title column 140 px and values 45 px.
  ASSERT_EQ(r.table.headers.size(), 21u);
  EXPECT_EQ(r.table.headers[0], "距离m");
  EXPECT_EQ(r.table.headers[20], "20");
  EXPECT_EQ(r.table.rows[2][0], "叠加背景值A声级dBA");
  EXPECT_EQ(r.table.rows[2][20], "55.39");
  EXPECT_EQ(r.table.widths[0], 140);
  EXPECT_EQ(r.table.widths[1], 45);
  EXPECT_EQ(
      r.text.rfind("距声源1[m]预测点计算结果：\r\n室内声源等效室外声源声功率级Lw=85.04[dB]\r\n"
                   "几何发散衰减后Lpr=74.04[dB]\r\n空气吸收衰减Aatm=0.00[dB]\r\n"
                   "--------------------------------------------------\r\n",
                   0),
      0u);
}

TEST(IndustrialNoise, BarrierKindFollowsTheDeltas) {
  IndustrialNoiseInput in;  // t 20, f 500: lambda = 0.68582 m
  bool infinite = false;
  EXPECT_NEAR(barrierAttenuation(in, &infinite), 17.8763, 1e-4);  // delta1 = 1 only
  EXPECT_TRUE(infinite);
  in.delta2_m = 0.5f;
  in.delta3_m = 0.2f;
  EXPECT_NEAR(barrierAttenuation(in, &infinite), 9.3708, 1e-3);
  EXPECT_FALSE(infinite);
  in.delta1_m = 0;
  in.delta2_m = 0;
  in.delta3_m = 0;  // delta1 = 0: the finite sum, 3 * 1/3
  EXPECT_NEAR(barrierAttenuation(in, &infinite), 0, 1e-12);
  EXPECT_FALSE(infinite);
  in.delta1_m = 1e6;  // capped
  EXPECT_EQ(barrierAttenuation(in), 20.0);
}

TEST(IndustrialNoise, BarrierGivesOneColumnAtTheTruncatedDistance) {
  IndustrialNoiseInput in;
  in.barrier = true;
  in.rmax_m = 20;
  in.dr_m = 3;  // N = 6: r = 18
  const auto r = computeIndustrialNoise(in);
  ASSERT_EQ(r.points.size(), 1u);
  EXPECT_EQ(r.points[0].r_m, 18);
  EXPECT_EQ(r.table.headers.size(), 2u);
  EXPECT_NE(r.text.find("屏障无限长，屏障衰减Abar=17.88[dB]\r\n"), std::string::npos);
}

TEST(IndustrialNoise, GroundAndReflection) {
  EXPECT_EQ(groundAttenuation(2, 1), 0);  // 4.8 - 4 * 317 < 0
  EXPECT_NEAR(groundAttenuation(2, 100), 4.8 - 0.04 * 20, 1e-12);
  EXPECT_EQ(reflectionIncreaseForRatio(1.2), 3);
  EXPECT_EQ(reflectionIncreaseForRatio(1.2000001), 2);
  EXPECT_EQ(reflectionIncreaseForRatio(1.6), 2);
  EXPECT_EQ(reflectionIncreaseForRatio(2.5), 1);
  EXPECT_EQ(reflectionIncreaseForRatio(2.5000001), 0);
  EXPECT_EQ(reflectionIncrease(10, 1, 1), 3);   // q = 1.02
  EXPECT_EQ(reflectionIncrease(2, 1, 1), 2);    // q = 1.414
  EXPECT_EQ(reflectionIncrease(1, 1, 1), 1);    // q = 2.236
  EXPECT_EQ(reflectionIncrease(0.5, 1, 1), 0);  // q = 4.12
}

TEST(IndustrialNoise, EmptyOrRefusedPointCounts) {
  IndustrialNoiseInput in;
  in.dr_m = 0;
  EXPECT_TRUE(computeIndustrialNoise(in).points.empty());
  EXPECT_TRUE(computeIndustrialNoise(in).text.empty());
  in.dr_m = 30;  // rmax < dr
  EXPECT_TRUE(computeIndustrialNoise(in).points.empty());
  in.dr_m = -1;
  EXPECT_FALSE(checkIndustrialNoise(in).has_value());
  EXPECT_EQ(computeIndustrialNoise(in).table.headers.size(), 1u);
  in.dr_m = 1;
  in.rmax_m = 2000000000;  // would hang and exhaust memory
  ASSERT_TRUE(checkIndustrialNoise(in).has_value());
  EXPECT_EQ(checkIndustrialNoise(in)->focus, "dr");
  in.barrier = true;  // one point only
  EXPECT_FALSE(checkIndustrialNoise(in).has_value());
  in.rmax_m = 2147483647;  // the last point at the largest int ends the loop
  const auto r = computeIndustrialNoise(in);
  ASSERT_EQ(r.points.size(), 1u);
  EXPECT_EQ(r.points[0].r_m, 2147483647.0);
}

TEST(IndustrialNoise, AutomaticFieldsFromTheDescription) {
  const auto& d = industrialNoiseDesc();
  const auto v = core::defaultValues(d);
  EXPECT_NEAR(d.compute(v, "alpha").updated_inputs.num("alpha"), 2.79, 0.005);
  EXPECT_NEAR(d.compute(v, "dA").updated_inputs.num("dA"), -3.25, 0.005);
  const auto o = d.compute(v, "compute");
  ASSERT_EQ(o.tables.size(), 1u);
  EXPECT_EQ(o.tables[0].title, "工业噪声预测计算结果");
}
