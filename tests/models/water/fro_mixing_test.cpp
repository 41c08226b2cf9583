// Mixing-stretch model: reference values worked by hand from the defaults
// (alpha = 0.604 (0.5 * 0.05 * 0.2 / 100^(1/6))^(1/3)).
#include "models/water/fro_mixing.h"

#include <gtest/gtest.h>

#include "core/calculator.h"

namespace models::water {
namespace {

TEST(FroMixing, DefaultsBothModes) {
  FroInput in;
  FroResult r = computeFro(in);
  EXPECT_NEAR(r.alpha, 0.079968, 1e-6);
  ASSERT_EQ(r.rows.size(), 100u);
  EXPECT_EQ(r.rows.front().x_m, 10.0f);
  EXPECT_NEAR(r.rows.front().c_mg_l, 85.6270, 5e-5);
  EXPECT_EQ(r.rows.back().x_m, 1000.0f);
  EXPECT_NEAR(r.rows.back().c_mg_l, 50.0021, 5e-5);

  in.mode = FroMode::Decay;
  r = computeFro(in);
  ASSERT_EQ(r.rows.size(), 100u);
  EXPECT_NEAR(r.rows.front().c_mg_l, 85.5775, 5e-5);
  EXPECT_NEAR(r.rows.back().c_mg_l, 47.1906, 5e-5);
}

TEST(FroMixing, ListCellsThroughTheDescription) {
  const core::CalculatorDesc& d = froDesc();
  core::Values v = core::defaultValues(d);
  core::Outcome o = d.compute(v, "compute");
  ASSERT_EQ(o.tables.size(), 1u);
  EXPECT_EQ(o.tables[0].headers, (std::vector<std::string>{"距离m", "浓度值mg/L"}));
  EXPECT_EQ(o.tables[0].widths, (std::vector<int>{60, 80}));
  ASSERT_EQ(o.tables[0].rows.size(), 100u);
  EXPECT_EQ(o.tables[0].rows[0], (std::vector<std::string>{"10", "85.6270"}));
  EXPECT_EQ(o.tables[0].rows[99], (std::vector<std::string>{"1000", "50.0021"}));
  v.setNum("mode", 1);
  o = d.compute(v, "compute");
  EXPECT_EQ(o.tables[0].rows[0], (std::vector<std::string>{"10", "85.5775"}));
  EXPECT_EQ(o.tables[0].rows[99], (std::vector<std::string>{"1000", "47.1906"}));
}

TEST(FroMixing, FarDownstreamTendsToCompleteMixing) {
  FroInput in;
  in.xmax_m = 1e7f;
  in.step_m = 1e7f;
  const FroResult r = computeFro(in);
  ASSERT_EQ(r.rows.size(), 1u);
  EXPECT_NEAR(r.rows[0].c_mg_l, (100.0 * 1 + 0.1 * 10) / 11, 1e-3);
}

// 1 / 0.1f in double precision is 9.99999985; truncating it lost the 1 m row.
TEST(FroMixing, StepThatIsNotExactInSinglePrecisionKeepsLastRow) {
  FroInput in;
  in.xmax_m = 1;
  in.step_m = 0.1f;
  EXPECT_EQ(computeFro(in).rows.size(), 10u);
}

TEST(FroMixing, DegenerateInputs) {
  FroInput in;
  in.xmax_m = 5;
  EXPECT_TRUE(computeFro(in).rows.empty());
  in = FroInput{};
  in.qp_m3_s = 0;
  const core::Table t = froTable(computeFro(in));
  ASSERT_FALSE(t.rows.empty());
  EXPECT_NE(t.rows[0][1].find("nan"), std::string::npos) << t.rows[0][1];
}

TEST(FroMixing, ListBeyondAHundredThousandRowsIsRefusedNamingTheStep) {
  const core::CalculatorDesc& d = froDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("xc", 1e-4f);
  const core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.failure);
  EXPECT_EQ(o.failure->message, "预测点数超过100000，无法显示，请加大距离间隔xc，请重新输入！");
  EXPECT_EQ(o.failure->focus, "xc");
  FroInput in;
  in.xmax_m = 100000;  // exactly 100000 rows
  in.step_m = 1;
  EXPECT_FALSE(checkFro(in));
  in.xmax_m = 100001;
  EXPECT_TRUE(checkFro(in));
}

}  // namespace
}  // namespace models::water
