// Streeter-Phelps river model: reference values worked by hand from the defaults
// (C0 = 210/22, D0 = 36.2/22, t = x / 86400 days).
#include "models/water/sp_river.h"

#include <gtest/gtest.h>

#include "core/calculator.h"

namespace models::water {
namespace {

TEST(SpRiver, DefaultsMixAndTabulateThirtyRows) {
  const SpResult r = computeSp(SpInput{});
  EXPECT_NEAR(r.c0_mg_l, 9.5455, 1e-4);
  EXPECT_NEAR(r.d0_mg_l, 1.6455, 1e-4);
  ASSERT_EQ(r.rows.size(), 30u);
  EXPECT_EQ(r.rows.front().x_m, 100.0f);
  EXPECT_NEAR(r.rows.front().c_mg_l, 9.5344, 5e-5);
  EXPECT_NEAR(r.rows.front().deficit_mg_l, 1.6536, 5e-5);
  EXPECT_EQ(r.rows.back().x_m, 3000.0f);
  EXPECT_NEAR(r.rows.back().c_mg_l, 9.2197, 5e-5);
  EXPECT_NEAR(r.rows.back().deficit_mg_l, 1.8793, 5e-5);
}

TEST(SpRiver, TableCellsAsThePageShowsThem) {
  const core::CalculatorDesc& d = spDesc();
  const core::Outcome o = d.compute(core::defaultValues(d), "compute");
  ASSERT_TRUE(o.ok());
  ASSERT_EQ(o.tables.size(), 1u);
  const core::Table& t = o.tables[0];
  EXPECT_EQ(t.title, "SP模式计算结果");
  EXPECT_EQ(t.headers, (std::vector<std::string>{"序号", "距离m", "浓度值mg／L", "氧亏值mg／L"}));
  EXPECT_EQ(t.widths, (std::vector<int>{50, 60, 80, 80}));
  ASSERT_EQ(t.rows.size(), 30u);
  EXPECT_EQ(t.rows[0], (std::vector<std::string>{"1", "100", "9.5344", "1.6536"}));
  EXPECT_EQ(t.rows[29], (std::vector<std::string>{"30", "3000", "9.2197", "1.8793"}));
}

TEST(SpRiver, MixOnlyGivesOneCellWithC0) {
  const core::CalculatorDesc& d = spDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("mixonly", 1);
  const core::Outcome o = d.compute(v, "compute");
  ASSERT_EQ(o.tables.size(), 1u);
  EXPECT_EQ(o.tables[0].headers, (std::vector<std::string>{"完全混合浓度值mg／L"}));
  EXPECT_EQ(o.tables[0].widths, (std::vector<int>{150}));
  ASSERT_EQ(o.tables[0].rows.size(), 1u);
  EXPECT_EQ(o.tables[0].rows[0], (std::vector<std::string>{"9.54545"}));
}

// 1 / 0.1f in double precision is 9.99999985; truncating it lost the 1 m row.
TEST(SpRiver, StepThatIsNotExactInSinglePrecisionKeepsLastRow) {
  SpInput in;
  in.lmax_m = 1;
  in.step_m = 0.1f;
  const SpResult r = computeSp(in);
  ASSERT_EQ(r.rows.size(), 10u);
  EXPECT_EQ(r.rows.back().x_m, 1.0f);
  EXPECT_EQ(spTable(in, r).rows.back()[1], "1");
}

TEST(SpRiver, DegenerateInputsGiveEmptyTablesOrLibraryTexts) {
  SpInput in;
  in.lmax_m = 50;  // smaller than the step
  EXPECT_TRUE(computeSp(in).rows.empty());
  in = SpInput{};
  in.step_m = 0;
  EXPECT_TRUE(computeSp(in).rows.empty());
  in = SpInput{};
  in.k2_per_d = in.k1_per_d;  // division by K2 - K1 = 0
  const SpResult r = computeSp(in);
  const core::Table t = spTable(in, r);
  ASSERT_FALSE(t.rows.empty());
  EXPECT_EQ(t.rows[0][2], "9.5344");
  EXPECT_TRUE(t.rows[0][3] == "inf" || t.rows[0][3] == "-inf" ||
              t.rows[0][3].find("nan") != std::string::npos)
      << t.rows[0][3];
}

// A far limit typed far too large must be refused, not fill the memory with rows; the
// complete-mixing mode has no table and is never refused.
TEST(SpRiver, TableBeyondAHundredThousandRowsIsRefusedNamingTheStep) {
  const core::CalculatorDesc& d = spDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("lmax", 1e9);
  v.setNum("l", 1);
  core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.failure);
  EXPECT_EQ(o.failure->message, "预测点数超过100000，无法显示，请加大距离间隔l，请重新输入！");
  EXPECT_EQ(o.failure->focus, "l");
  EXPECT_TRUE(o.tables.empty());
  SpInput in;
  in.lmax_m = 100000;  // exactly 100000 rows
  in.step_m = 1;
  EXPECT_FALSE(checkSp(in));
  in.lmax_m = 100001;
  EXPECT_TRUE(checkSp(in));
  in.mix_only = true;
  EXPECT_FALSE(checkSp(in));
  in = SpInput{};
  in.step_m = 0;  // a zero step still gives an empty table, unrefused
  EXPECT_FALSE(checkSp(in));
  in.lmax_m = 0;
  EXPECT_FALSE(checkSp(in));
  v = core::defaultValues(d);
  v.setNum("mixonly", 1);
  v.setNum("l", 1e-9f);
  EXPECT_TRUE(d.compute(v, "compute").ok());
}

}  // namespace
}  // namespace models::water
