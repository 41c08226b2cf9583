// Steady mixing in cumulative flow: single points, the default grid and the checks.
#include "models/water/cumulative_flow.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/format.h"

using namespace models::water;

namespace {

core::Values defaults() { return core::defaultValues(cumulativeFlowDesc()); }

core::Outcome run(const core::Values& v, const std::string& action) {
  return cumulativeFlowDesc().compute(v, action);
}

std::string message(const core::Outcome& o) { return o.failure ? o.failure->message : "(none)"; }

std::string shown(const core::Outcome& o) {
  return core::formatFloatField(static_cast<float>(o.results.num("C")));
}

}  // namespace

// q = 1, M = 0.25, D = 20: C = 0.1 + 100 / sqrt(pi * 0.25 * 20) * (e^-0.05 + e^-18.05).
TEST(CumulativeFlow, DefaultPointInBothModes) {
  core::Values v = defaults();
  core::Outcome o = run(v, "compute");
  ASSERT_TRUE(o.ok()) << message(o);
  EXPECT_EQ(shown(o), "24.1008");
  v.setNum("mode", 1);
  o = run(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(shown(o), "24.0729");
}

// Away from the bank: three images, qa = u H a.
TEST(CumulativeFlow, PointAwayFromTheBank) {
  CumulativeFlowInput in;
  in.a_m = 5;
  const double q = 0.2 * 0.5 * 10, qa = 0.2 * 0.5 * 5, m = 5 * 0.2 * 0.25, d = 4 * m * 20;
  const double expected =
      0.1 + 100 / (2 * std::sqrt(3.14159 * m * 20)) *
                (std::exp(-q * q / d) + std::exp(-(2 * qa + q) * (2 * qa + q) / d) +
                 std::exp(-(20 - 2 * qa - q) * (20 - 2 * qa - q) / d));
  EXPECT_NEAR(cumulativeFlowConcentration(in, 20, 10), expected, 1e-4);
}

TEST(CumulativeFlow, DefaultGridHas25ColumnsAnd11Rows) {
  const core::Outcome o = run(defaults(), "grid");
  ASSERT_TRUE(o.ok()) << message(o);
  const core::Table& t = o.tables[0];
  EXPECT_EQ(t.title, "水预测－稳态混合累积流量模式计算结果");
  EXPECT_EQ(t.headers.size(), 26u);
  EXPECT_EQ(t.headers[25], "500");
  ASSERT_EQ(t.rows.size(), 11u);
  EXPECT_EQ(t.rows[10][0], "100");
  EXPECT_EQ(t.rows[1][1], "24.1008");
  EXPECT_EQ(o.grid->nx, 25);
  EXPECT_EQ(o.grid->ny, 11);
  EXPECT_EQ(o.grid->ymax, 100);
  EXPECT_STREQ(cumulativeFlowGridCaption(1), "稳态混合衰减累积流量模式网格计算结果");
  EXPECT_STREQ(cumulativeFlowExportTitle(1), "水预测－稳态混合衰减累积流量模式计算结果");
}

TEST(CumulativeFlow, PointChecksInOrder) {
  core::Values v = defaults();
  v.setNum("a", -20);
  EXPECT_EQ(message(run(v, "compute")), "a+y必须大于等于0，请重新输入！");
  v.setNum("a", -1);  // a + y = 9 passes, a itself does not
  EXPECT_EQ(message(run(v, "compute")), "a必须大于等于0，请重新输入！");
  // There is no upper bound on the single point.
  v.setNum("a", 0);
  v.setNum("y", 1000);
  EXPECT_TRUE(run(v, "compute").ok());
}

TEST(CumulativeFlow, GridChecksInOrder) {
  core::Values v = defaults();
  v.setNum("a", -1);
  v.setNum("ylow", -100);
  EXPECT_EQ(message(run(v, "grid")), "a必须大于等于0，请重新输入！");
  v.setNum("a", 0);
  EXPECT_EQ(message(run(v, "grid")), "a+y必须大于等于0，请重新输入！");
  v.setNum("ylow", 0);
  v.setNum("xc", -20);
  EXPECT_EQ(message(run(v, "grid")), "距离间隔xc必须大于0，请重新输入！");
}

TEST(CumulativeFlow, SwappedLateralLimitsAreOrderedForTheGrid) {
  core::Values v = defaults();
  v.setNum("ylow", 100);
  v.setNum("yhigh", 0);
  const core::Outcome o = run(v, "grid");
  ASSERT_TRUE(o.ok()) << message(o);
  EXPECT_EQ(o.tables[0].rows.size(), 11u);
  EXPECT_EQ(o.tables[0].rows[0][0], "0");
}

TEST(CumulativeFlow, ZeroDepthIsRefusedForPointAndGrid) {
  core::Values v = defaults();
  v.setNum("H", 0);
  for (const char* action : {"compute", "grid"}) {
    const core::Outcome o = run(v, action);
    ASSERT_FALSE(o.ok()) << action;
    EXPECT_EQ(o.failure->message, "平均水深H必须大于0，请重新输入！");
    EXPECT_EQ(o.failure->focus, "H");
  }
}
