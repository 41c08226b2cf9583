// Daily mean water temperature: reference values worked by hand from the defaults
// (d = 13.5, K = 15.7 + 0.46691975 * 70.7, T0 = 10 + 90 / 11).
#include "models/water/water_temperature.h"

#include <gtest/gtest.h>

#include "core/calculator.h"

namespace models::water {
namespace {

TEST(WaterTemperature, DefaultsCoefficientMixingAndRows) {
  const WaterTempResult r = computeWaterTemp(WaterTempInput{});
  EXPECT_NEAR(r.k_w_m2_c, 48.7112, 5e-5);
  EXPECT_NEAR(r.t0_c, 18.1818, 5e-5);
  EXPECT_NEAR(r.te_c, 1.5 + 1.5 / r.k_w_m2_c, 1e-12);
  ASSERT_EQ(r.rows.size(), 40u);
  EXPECT_EQ(r.rows.front().x_m, 50.0f);
  EXPECT_NEAR(r.rows.front().t_c, 18.1722, 5e-5);
  EXPECT_EQ(r.rows.back().x_m, 2000.0f);
  EXPECT_NEAR(r.rows.back().t_c, 17.8, 5e-5);
}

TEST(WaterTemperature, GridCellsThroughTheDescription) {
  const core::CalculatorDesc& d = waterTempDesc();
  const core::Outcome o = d.compute(core::defaultValues(d), "compute");
  ASSERT_EQ(o.tables.size(), 1u);
  const core::Table& t = o.tables[0];
  EXPECT_EQ(t.title, "河流一维日均水温模式计算结果");
  EXPECT_EQ(t.headers, (std::vector<std::string>{"序号", "距离m", "日均水温℃"}));
  EXPECT_EQ(t.widths, (std::vector<int>{50, 70, 90}));
  ASSERT_EQ(t.rows.size(), 40u);
  EXPECT_EQ(t.rows[0], (std::vector<std::string>{"1", "50", "18.1722"}));
  EXPECT_EQ(t.rows[39], (std::vector<std::string>{"40", "2000", "17.8"}));
}

TEST(WaterTemperature, EqualTemperaturesStartAtBackgroundAndRelaxToEquilibrium) {
  WaterTempInput in;
  in.tp_c = in.th_c;
  in.xmax_m = 1e8f;
  in.step_m = 1e7f;
  const WaterTempResult r = computeWaterTemp(in);
  EXPECT_NEAR(r.t0_c, 10, 1e-12);
  ASSERT_EQ(r.rows.size(), 10u);
  EXPECT_LT(r.rows[0].t_c, 10.0f);
  EXPECT_NEAR(r.rows.back().t_c, r.te_c, 1e-5);
}

// 1 / 0.1f in double precision is 9.99999985; truncating it lost the 1 m row.
TEST(WaterTemperature, StepThatIsNotExactInSinglePrecisionKeepsLastRow) {
  WaterTempInput in;
  in.xmax_m = 1;
  in.step_m = 0.1f;
  EXPECT_EQ(computeWaterTemp(in).rows.size(), 10u);
}

TEST(WaterTemperature, DegenerateInputs) {
  WaterTempInput in;
  in.xmax_m = 20;
  EXPECT_TRUE(computeWaterTemp(in).rows.empty());
  in = WaterTempInput{};
  in.u_m_s = 0;  // exponent -inf: the temperature reaches equilibrium at once
  const core::Table t = waterTempTable(computeWaterTemp(in));
  ASSERT_FALSE(t.rows.empty());
  EXPECT_EQ(t.rows[0][2], "1.53079");
}

TEST(WaterTemperature, TableBeyondAHundredThousandRowsIsRefusedNamingTheStep) {
  const core::CalculatorDesc& d = waterTempDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("xmax", 1e12f);
  const core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.failure);
  EXPECT_EQ(o.failure->message, "预测点数超过100000，无法显示，请加大距离间隔xc，请重新输入！");
  EXPECT_EQ(o.failure->focus, "xc");
  WaterTempInput in;
  in.xmax_m = 100000;  // exactly 100000 rows
  in.step_m = 1;
  EXPECT_FALSE(checkWaterTemp(in));
  in.xmax_m = 100001;
  EXPECT_TRUE(checkWaterTemp(in));
}

}  // namespace
}  // namespace models::water
