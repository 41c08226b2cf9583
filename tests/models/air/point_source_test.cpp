// Point-source dispersion: the grid, the regimes, the checks in order and the maximum ground
// concentration. Hand values: Qh = 3.5 * 101.325 * 10 * 80 / 373 = 760.617 kJ/s;
// U = 2 * 5^0.07 = 2.23850 m/s; h = 0.056 * 2 / (0.0001456 sin 27 deg) = 1694.38 m;
// dH = 2 (1.5 * 12.7324 * 1 + 7.60617) / 2.23850 = 23.8595 m.
#include <gtest/gtest.h>

#include <cmath>

#include "models/air/point_source.h"

namespace models::air {
namespace {

PointSourceInput defaults() { return PointSourceInput{}; }

double maxCell(const PointSourceResult& r) {
  double m = 0;
  for (double c : r.c_mg_m3) m = std::max(m, c);
  return m;
}

TEST(PointSource, DefaultsGiveElevenByElevenGridWithZeroSourceColumn) {
  const PointSourceResult r = computePointSource(defaults());
  const core::Table t = pointSourceTable(r);
  ASSERT_EQ(t.headers.size(), 12u);
  EXPECT_EQ(t.headers[0], "Y＼X");
  EXPECT_EQ(t.headers[1], "0");
  EXPECT_EQ(t.headers[11], "1000");
  ASSERT_EQ(t.rows.size(), 11u);
  EXPECT_EQ(t.rows[0][0], "-500");
  EXPECT_EQ(t.rows[10][0], "500");
  for (const auto& row : t.rows) EXPECT_EQ(row[1], "0.000000");
  EXPECT_EQ(t.title, "点源扩散模式计算结果");
  EXPECT_EQ(t.rows[5][4], "0.010137");  // the field's peak, x = 300 on the centre line
  EXPECT_FLOAT_EQ(r.centre_mg_m3[3], static_cast<float>(r.cell(5, 3)));
}

TEST(PointSource, DefaultsReportTheHandValues) {
  const PointSourceResult r = computePointSource(defaults());
  EXPECT_TRUE(r.wind);
  EXPECT_NEAR(r.heat_kj_s, 760.617, 1e-3);
  EXPECT_NEAR(r.exit_wind_m_s, 2.23850, 1e-5);
  EXPECT_NEAR(r.mixing_m, 1694.38, 1e-2);
  EXPECT_NEAR(r.rise_m, 23.8595, 1e-4);
  EXPECT_FLOAT_EQ(r.he_m, 50 + r.rise_m);
  const std::string text = pointSourceReport(r);
  EXPECT_EQ(text.rfind("——————————有风时，各参数详细结果如下————————\r\n"
                       "烟筒下风向一次最大地面浓度cm=0.011268 [mg/m^3]\r\n"
                       "距烟筒距离Xm=329.231598 [m]\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("回归指数αy=0.901074,回归指数αz=1.523600\r\n"), std::string::npos);
  EXPECT_NE(text.find("烟气热释放率Qh=760.616577 [kJ/s]\r\n"), std::string::npos);
}

// The maximum was computed with the coefficients of the largest x (1000 m, the far vertical
// range) although Xm lies near 330 m: cm came out 0.009927, below the grid's own 0.010137.
TEST(PointSource, MaximumUsesTheDistanceRangeThatHoldsXm) {
  const PointSourceInput in = defaults();
  const PointSourceResult r = computePointSource(in);
  SigmaSet far = tabulatedSigmas(1000, 0, Surface::Rural);
  far.gy = static_cast<float>(samplingCorrected(far.gy, 1));
  const GroundMaximum old = groundMaximum(1000, r.exit_wind_m_s, r.he_m, far);
  EXPECT_NEAR(old.cm_mg_m3, 0.009927, 1e-6);

  EXPECT_NEAR(r.cm_mg_m3, 0.011268, 1e-6);
  EXPECT_GE(r.cm_mg_m3, maxCell(r));
  EXPECT_GT(r.xm_m, 300);
  EXPECT_LE(r.xm_m, 500);
  SigmaSet middle = tabulatedSigmas(r.xm_m, 0, Surface::Rural);
  middle.gy = static_cast<float>(samplingCorrected(middle.gy, 1));
  EXPECT_EQ(r.sigma, middle);
  EXPECT_FLOAT_EQ(r.sigma.az, 1.5236f);
  const core::Outcome::Grid g = pointSourceGrid(r, pointSourceTable(r));
  EXPECT_DOUBLE_EQ(g.zmax, static_cast<double>(r.cm_mg_m3));
  EXPECT_EQ(g.zmin, 0);
}

// Class D near He = 107 m: the vertical set below 2000 m puts Xm beyond 2000 m and the set
// beyond puts it back below, so the look-ups alternate; the set with the larger cm is kept.
TEST(PointSource, AlternatingRangesKeepTheLargerMaximum) {
  PointSourceInput in = defaults();
  in.stability = 3;
  in.rise_typed = true;
  in.rise_m = 57;
  const PointSourceResult r = computePointSource(in);
  auto corrected = [&](double x) {
    SigmaSet s = tabulatedSigmas(x, 3, Surface::Rural);
    s.gy = static_cast<float>(samplingCorrected(s.gy, 1));
    return s;
  };
  const SigmaSet below = corrected(1999), beyond = corrected(2001);
  const GroundMaximum a = groundMaximum(1000, r.exit_wind_m_s, r.he_m, below);
  const GroundMaximum b = groundMaximum(1000, r.exit_wind_m_s, r.he_m, beyond);
  ASSERT_GT(a.xm_m, 2000);
  ASSERT_LE(b.xm_m, 2000);
  ASSERT_GT(b.cm_mg_m3, a.cm_mg_m3);
  EXPECT_EQ(r.sigma, beyond);
  EXPECT_FLOAT_EQ(r.cm_mg_m3, static_cast<float>(b.cm_mg_m3));
  EXPECT_FLOAT_EQ(r.xm_m, static_cast<float>(b.xm_m));
  EXPECT_NE(pointSourceReport(r).find("回归指数αy=0.886940,回归指数αz=0.756410\r\n"),
            std::string::npos);
}

TEST(PointSource, GridFileTakesTheGridsOwnExtentAndDropsTheRemainder) {
  PointSourceInput in = defaults();
  in.xmax_m = 1050;
  in.ymin_m = -450;
  const PointSourceResult r = computePointSource(in);
  const core::Table t = pointSourceTable(r);
  EXPECT_EQ(t.headers.back(), "1000");
  EXPECT_EQ(t.rows.size(), 10u);  // -450 .. 450
  const core::Outcome::Grid g = pointSourceGrid(r, t);
  EXPECT_EQ(g.nx, 11);
  EXPECT_EQ(g.ny, 10);
  EXPECT_EQ(g.xmax, 1000);
  EXPECT_EQ(g.ymin, -450);
  EXPECT_EQ(g.ymax, 450);
  ASSERT_EQ(g.z.size(), 110u);
  // Row by row with y rising, each value as the table shows it.
  EXPECT_EQ(t.rows[5][0], "50");
  EXPECT_FLOAT_EQ(g.z[5 * 11 + 3], std::stof(t.rows[5][4]));
  EXPECT_FLOAT_EQ(g.z[9 * 11 + 10], std::stof(t.rows[9][11]));
}

TEST(PointSource, UpwindCellsOfTheWindCaseAreZero) {
  PointSourceInput in = defaults();
  in.xmin_m = -200;
  const PointSourceResult r = computePointSource(in);
  ASSERT_EQ(r.x_m.size(), 13u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(r.centre_mg_m3[i], 0.0f);
    for (size_t j = 0; j < r.y_m.size(); ++j) EXPECT_EQ(r.cell(j, i), 0.0) << i << "," << j;
  }
  EXPECT_GT(r.cell(5, 4), 0);
}

TEST(PointSource, RegimeBoundaryAtOnePointFiveMetresPerSecond) {
  PointSourceInput in = defaults();
  in.u10_m_s = 1.5f;
  in.lapse_k_m = 0.02f;  // only the calm formula refuses a steep gradient
  EXPECT_FALSE(checkPointSource(in));
  EXPECT_TRUE(computePointSource(in).wind);

  in.u10_m_s = 1.49f;
  ASSERT_TRUE(checkPointSource(in));
  EXPECT_EQ(checkPointSource(in)->message, "静风和小风下大气温度梯度宜小于0.01K/m，请重新输入！");
  in.lapse_k_m = 0.01f;
  EXPECT_FALSE(checkPointSource(in));
  const PointSourceResult r = computePointSource(in);
  EXPECT_FALSE(r.wind);
  const std::string text = pointSourceReport(r);
  EXPECT_EQ(text.rfind("——————————小风和静风时，各参数详细结果如下————————\r\n", 0), 0u);
  EXPECT_NE(text.find("回归系数γy=0.935670,回归系数γz=1.570000"), std::string::npos);
  EXPECT_NE(text.substr(text.size() - 2), "\r\n");  // the calm report has no closing line break
  // Calm air spreads upwind as well: the source column is not zero.
  EXPECT_GT(r.cell(5, 0), 0);
  EXPECT_FLOAT_EQ(r.centre_mg_m3[4], static_cast<float>(r.cell(5, 4)));
}

TEST(PointSource, CalmRowBelowHalfAMetrePerSecond) {
  PointSourceInput in = defaults();
  in.u10_m_s = 0.4f;
  const float t_factor = static_cast<float>(std::pow(2.0, 0.3));  // t = 1 h
  LightWindSet l = computePointSource(in).light;
  EXPECT_NEAR(l.g01, 0.93f * t_factor, 1e-6);
  EXPECT_FLOAT_EQ(l.g02, 0.15f);
  in.u10_m_s = 0.5f;
  l = computePointSource(in).light;
  EXPECT_NEAR(l.g01, 0.76f * t_factor, 1e-6);
  EXPECT_FLOAT_EQ(l.g02, 1.57f);
}

TEST(PointSource, GradesOneAndTwoAgreeAndOnlyGradeThreeDropsLayerReflections) {
  PointSourceInput in = defaults();
  in.mixing_typed = true;
  in.mixing_m = 100;  // a low lid makes the reflections count
  in.grade = 0;
  const PointSourceResult first = computePointSource(in);
  in.grade = 1;
  const PointSourceResult second = computePointSource(in);
  in.grade = 2;
  const PointSourceResult third = computePointSource(in);
  EXPECT_EQ(first.c_mg_m3, second.c_mg_m3);
  EXPECT_NEAR(first.cell(5, 3), 0.011185, 1e-6);
  EXPECT_NEAR(third.cell(5, 3), 0.010137, 1e-6);
}

TEST(PointSource, ChecksInTheOrderTheComputationMeetsThem) {
  PointSourceInput in = defaults();
  in.gas_temp_c = 10;  // below the air
  in.step_m = 0;
  in.sampling_h = 0.4f;
  in.u10_m_s = -1;
  in.stack_height_m = 0;
  in.diameter_m = 0;
  auto msg = [&] { return checkPointSource(in) ? checkPointSource(in)->message : std::string(); };
  EXPECT_EQ(msg(), "烟筒距地面几何高度 H必须大于0，请重新输入！");
  EXPECT_EQ(checkPointSource(in)->focus, "H");
  in.stack_height_m = 100;
  EXPECT_EQ(msg(), "烟筒出口直径D必须大于0，请重新输入！");
  in.diameter_m = 2;
  EXPECT_EQ(msg(), "地面10m高风速不能为负数，请重新输入！");
  in.u10_m_s = 2;
  in.latitude_deg = 0;
  EXPECT_EQ(msg(), "地理纬度必须大于0且不大于90°，请重新输入！");
  in.mixing_typed = true;  // a typed mixing height needs no latitude
  EXPECT_EQ(msg(), "烟气出口温度必须大于环境大气温度，请重新输入！");
  in.mixing_typed = false;
  in.latitude_deg = 40;
  EXPECT_EQ(msg(), "烟气出口温度必须大于环境大气温度，请重新输入！");
  in.rise_typed = true;  // a typed rise needs no gas temperature
  EXPECT_EQ(msg(), "步长必须大于0，请重新输入！");
  in.step_m = -5;
  EXPECT_EQ(msg(), "步长必须大于0，请重新输入！");
  in.step_m = 100;
  EXPECT_EQ(msg(), "取样时间不能小于0.5h，请重新输入！");
  in.sigma_typed = true;  // typed coefficients do not use t
  EXPECT_EQ(msg(), "");

  in.gas_temp_c = in.air_temp_c;  // equal temperatures pass and give Qh = 0
  in.rise_typed = false;
  EXPECT_EQ(msg(), "");
  EXPECT_EQ(computePointSource(in).heat_kj_s, 0.0f);
}

TEST(PointSource, GridOfAtMostAThousandColumnsAndRows) {
  PointSourceInput in = defaults();
  in.step_m = 1;
  in.xmax_m = 999;
  in.ymin_m = -500;
  in.ymax_m = 499;
  EXPECT_FALSE(checkPointSource(in));
  in.xmax_m = 1000;
  ASSERT_TRUE(checkPointSource(in));
  EXPECT_EQ(checkPointSource(in)->message, "下风向网格列数不能超过1000，请重新输入！");
  in.xmax_m = 999;
  in.ymax_m = 500;
  ASSERT_TRUE(checkPointSource(in));
  EXPECT_EQ(checkPointSource(in)->message, "横风向网格行数不能超过1000，请重新输入！");

  // A range too wide for a whole-number count is refused, not drawn as a single column.
  in.ymax_m = 499;
  in.xmax_m = 1e10f;
  ASSERT_TRUE(checkPointSource(in));
  EXPECT_EQ(checkPointSource(in)->message, "下风向网格列数不能超过1000，请重新输入！");
  in.xmax_m = -1e10f;  // running backwards: no columns at all
  EXPECT_FALSE(checkPointSource(in));
  EXPECT_TRUE(computePointSource(in).x_m.empty());
}

TEST(PointSource, MixingHeightCountsWindAboveSixAsSix) {
  PointSourceInput in = defaults();
  in.u10_m_s = 8;
  const float h8 = computePointSource(in).mixing_m;
  in.u10_m_s = 6;
  EXPECT_EQ(computePointSource(in).mixing_m, h8);
  in.u10_m_s = 5;
  EXPECT_LT(computePointSource(in).mixing_m, h8);
}

TEST(PointSource, DescriptionComputeFillsTableGridAndResults) {
  const core::CalculatorDesc& d = pointSourceDesc();
  core::Values v = core::defaultValues(d);
  core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.ok());
  ASSERT_EQ(o.tables.size(), 1u);
  EXPECT_EQ(o.tables[0].rows.size(), 11u);
  ASSERT_TRUE(o.grid);
  EXPECT_EQ(o.grid->nx, 11);
  EXPECT_NEAR(o.results.num("cm"), 0.011268, 1e-6);
  EXPECT_EQ(o.results.num("Qh"), static_cast<double>(computePointSource(defaults()).heat_kj_s));
  EXPECT_EQ(o.text, pointSourceReport(computePointSource(defaults())));

  v.setNum("step", 0);
  o = d.compute(v, "compute");
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(o.failure->message, "步长必须大于0，请重新输入！");
  v.setNum("step", 100);
  v.setNum("t", 0.4f);
  EXPECT_EQ(d.compute(v, "compute").failure->message, "取样时间不能小于0.5h，请重新输入！");
  v.setNum("sigmode", 1);
  EXPECT_TRUE(d.compute(v, "compute").ok());
}

}  // namespace
}  // namespace models::air
