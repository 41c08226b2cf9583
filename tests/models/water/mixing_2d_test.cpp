// Two-dimensional steady mixing model: single points of both outfall branches and both modes,
// the grid list and its contour grid, and the checks in their order.
#include "models/water/mixing_2d.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/format.h"

using namespace models::water;

namespace {

core::Values defaults() { return core::defaultValues(mixing2DDesc()); }

core::Outcome run(const core::Values& v, const std::string& action) {
  return mixing2DDesc().compute(v, action);
}

std::string message(const core::Outcome& o) { return o.failure ? o.failure->message : "(none)"; }

}  // namespace

// Hand calculation: D = 400, sqrt(pi My x u) = 9.70813, C = 0.5 + 100 / (0.6 * 9.70813)
// * (e^-0.075 + e^-6.075) = 16.4667; decay factor e^(-20 / (86400 * 0.3)).
TEST(Mixing2D, DefaultPointAtTheBankInBothModes) {
  core::Values v = defaults();
  core::Outcome o = run(v, "compute");
  ASSERT_TRUE(o.ok()) << message(o);
  EXPECT_EQ(core::formatFloatField(static_cast<float>(o.results.num("C"))), "16.4667");
  v.setNum("mode", 1);
  o = run(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(core::formatFloatField(static_cast<float>(o.results.num("C"))), "16.454");
}

TEST(Mixing2D, PointAwayFromTheBankUsesThreeImages) {
  core::Values v = defaults();
  v.setNum("a", 10);
  const core::Outcome o = run(v, "compute");
  ASSERT_TRUE(o.ok()) << message(o);
  EXPECT_EQ(core::formatFloatField(static_cast<float>(o.results.num("C"))), "13.0518");
}

TEST(Mixing2D, DefaultGridHas25ColumnsAnd6Rows) {
  const core::Outcome o = run(defaults(), "grid");
  ASSERT_TRUE(o.ok()) << message(o);
  ASSERT_EQ(o.tables.size(), 1u);
  const core::Table& t = o.tables[0];
  EXPECT_EQ(t.title, "水预测－二维稳态混合模式计算结果");
  ASSERT_EQ(t.headers.size(), 26u);
  EXPECT_EQ(t.headers[0], "Y＼X");
  EXPECT_EQ(t.headers[1], "20");
  EXPECT_EQ(t.headers[25], "500");
  EXPECT_EQ(t.widths[0], 40);
  EXPECT_EQ(t.widths[1], 60);
  ASSERT_EQ(t.rows.size(), 6u);
  EXPECT_EQ(t.rows[0][0], "0");
  EXPECT_EQ(t.rows[5][0], "50");
  // y = 10, x = 20 is the default single point.
  EXPECT_EQ(t.rows[1][1], "16.4667");

  ASSERT_TRUE(o.grid.has_value());
  EXPECT_EQ(o.grid->nx, 25);
  EXPECT_EQ(o.grid->ny, 6);
  EXPECT_EQ(o.grid->xmin, 0);
  EXPECT_EQ(o.grid->xmax, 500);
  EXPECT_EQ(o.grid->ymin, 0);
  EXPECT_EQ(o.grid->ymax, 50);
  EXPECT_EQ(o.grid->zmin, 0);
  EXPECT_FLOAT_EQ(static_cast<float>(o.grid->zmax), std::stof(t.rows[0][1]));
  ASSERT_EQ(o.grid->z.size(), 150u);
  EXPECT_FLOAT_EQ(o.grid->z[25], 16.4667f);
}

TEST(Mixing2D, DecayGridHasItsOwnTitle) {
  core::Values v = defaults();
  v.setNum("mode", 1);
  const core::Outcome o = run(v, "grid");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.tables[0].title, "水预测－二维稳态混合衰减模式计算结果");
  EXPECT_STREQ(mixing2DGridCaption(1), "二维稳态混合衰减模式网格计算结果");
  EXPECT_STREQ(mixing2DGridCaption(0), "二维稳态混合模式网格计算结果");
}

TEST(Mixing2D, SwappedLateralLimitsGiveTheSameGridAndLeaveTheFormAlone) {
  core::Values v = defaults();
  v.setNum("ylow", 50);
  v.setNum("yhigh", 0);
  const core::Outcome swapped = run(v, "grid");
  const core::Outcome plain = run(defaults(), "grid");
  ASSERT_TRUE(swapped.ok()) << message(swapped);
  EXPECT_EQ(swapped.tables[0].rows, plain.tables[0].rows);
  EXPECT_EQ(swapped.grid->ymin, 0);
  EXPECT_EQ(swapped.grid->ymax, 50);
  EXPECT_FALSE(swapped.updated_inputs.has("ylow"));
  EXPECT_FALSE(swapped.updated_inputs.has("yhigh"));
}

// 1 / 0.1f is 9.99999985 in double precision; truncating it lost the last column and row.
TEST(Mixing2D, StepCountsDoNotLoseTheLastStepToRounding) {
  core::Values v = defaults();
  v.setNum("xmax", 1);
  v.setNum("xc", static_cast<float>(0.1));
  v.setNum("ylow", 0);
  v.setNum("yhigh", 1);
  v.setNum("yc", static_cast<float>(0.1));
  const core::Outcome o = run(v, "grid");
  ASSERT_TRUE(o.ok()) << message(o);
  EXPECT_EQ(o.tables[0].headers.size(), 11u);
  EXPECT_EQ(o.tables[0].headers.back(), "1");
  EXPECT_EQ(o.tables[0].rows.size(), 11u);
  EXPECT_EQ(o.tables[0].rows.back()[0], "1");
}

TEST(Mixing2D, GridShorterThanOneStepHasRowsWithoutColumns) {
  core::Values v = defaults();
  v.setNum("xmax", 10);
  const core::Outcome o = run(v, "grid");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.tables[0].headers.size(), 1u);
  EXPECT_EQ(o.tables[0].rows.size(), 6u);
  EXPECT_EQ(o.grid->nx, 0);
  EXPECT_EQ(o.grid->zmax, 0);
}

TEST(Mixing2D, PointChecksInOrder) {
  core::Values v = defaults();
  v.setNum("a", -5);
  v.setNum("y", 2);
  EXPECT_EQ(message(run(v, "compute")), "a+y必须大于等于0，请重新输入！");
  v.setNum("y", 60);
  EXPECT_EQ(message(run(v, "compute")), "a+y必须小于等于B，请重新输入！");
  v.setNum("y", 10);  // a + y within [0, B], a itself below 0
  EXPECT_EQ(message(run(v, "compute")), "a必须小于等于B且大于等于0，请重新输入！");
  EXPECT_EQ(run(v, "compute").failure->caption, "kuva环评计算");
}

TEST(Mixing2D, GridChecksInOrder) {
  core::Values v = defaults();
  v.setNum("a", 60);
  v.setNum("ylow", -100);
  EXPECT_EQ(message(run(v, "grid")), "a必须小于等于B且大于等于0，请重新输入！");
  v.setNum("a", 0);
  v.setNum("ylow", -10);  // span 60 > B comes before the bank check of a + ylow
  EXPECT_EQ(message(run(v, "grid")), "y最远间距必须小于等于B，请重新输入！");
  v.setNum("ylow", -5);
  v.setNum("yhigh", 40);
  EXPECT_EQ(message(run(v, "grid")), "a+y必须大于等于0，请重新输入！");
  v.setNum("a", 40);
  v.setNum("ylow", 20);
  v.setNum("yhigh", 30);
  EXPECT_EQ(message(run(v, "grid")), "a+y必须小于等于B，请重新输入！");
  v.setNum("a", 0);
  v.setNum("yhigh", 60);
  EXPECT_EQ(message(run(v, "grid")), "y必须小于等于B，请重新输入！");
}

TEST(Mixing2D, ZeroOrNegativeStepsAndHugeGridsAreRefused) {
  core::Values v = defaults();
  v.setNum("xc", 0);
  core::Outcome o = run(v, "grid");
  EXPECT_EQ(message(o), "距离间隔xc必须大于0，请重新输入！");
  EXPECT_EQ(o.failure->focus, "xc");
  v.setNum("xc", 20);
  v.setNum("yc", -1);
  o = run(v, "grid");
  EXPECT_EQ(message(o), "距离间隔yc必须大于0，请重新输入！");
  EXPECT_EQ(o.failure->focus, "yc");
  v.setNum("yc", static_cast<float>(0.0001));  // 500001 rows
  EXPECT_EQ(message(run(v, "grid")),
            "预测点数超过100000，无法显示，请加大距离间隔yc，请重新输入！");
  v.setNum("yc", static_cast<float>(0.001));  // 50001 rows of 501 cells
  v.setNum("xc", 1);
  EXPECT_EQ(message(run(v, "grid")),
            "网格点数超过10000000，无法显示，请加大距离间隔xc或yc，请重新输入！");
  v.setNum("xc", 20);
  v.setNum("yc", 10);
  v.setNum("xc", static_cast<float>(1e-30));
  EXPECT_FALSE(run(v, "grid").ok());
  // The lateral checks still come first.
  v.setNum("ylow", 20);
  v.setNum("yhigh", 60);
  EXPECT_EQ(message(run(v, "grid")), "y必须小于等于B，请重新输入！");
}

TEST(Mixing2D, DivisionsByZeroAreRefusedNamingTheField) {
  core::Values v = defaults();
  v.setNum("x", 0);
  core::Outcome o = run(v, "compute");
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(o.failure->message, "离排放口流线距离x必须大于0，请重新输入！");
  EXPECT_EQ(o.failure->focus, "x");
  v = defaults();
  v.setNum("u", -1);
  o = run(v, "compute");
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(o.failure->message, "流速u必须大于0，请重新输入！");
}
