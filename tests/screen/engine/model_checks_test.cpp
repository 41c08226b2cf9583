// Intermediate single-precision values of the point model against worked checks of the method.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "screen/engine/cavity.h"
#include "screen/engine/dispersion.h"
#include "screen/engine/fumigation.h"
#include "screen/engine/point_model.h"

using namespace screen::engine;

namespace {

Source ruralFlatStack() {
  Source s;
  s.q = 100;
  s.hs = 50;
  s.ds = 2.5f;
  s.vs = 15;
  s.ts = 420;
  s.ta = 293;
  s.fb = (kGravity * s.vs * s.ds * s.ds * (s.ts - s.ta)) / (4.0f * s.ts);
  s.fm = (s.ta * s.vs * s.vs * s.ds * s.ds) / (4.0f * s.ts);
  return s;
}

}  // namespace

TEST(PointModel, BuoyantPlumeUnstableAndStable) {
  const Source s = ruralFlatStack();
  EXPECT_NEAR(s.fb, 69.49678f, 1e-4f);
  EXPECT_NEAR(s.fm, 245.2567f, 1e-3f);
  PointContext ctx;
  ctx.src = &s;
  Row r = evaluateCondition(ctx, 1000.0f, 1, 1.0f, 0.0f);
  EXPECT_NEAR(r.us, 1.119252f, 1e-5f);
  EXPECT_NEAR(r.he, 490.6300f, 1e-3f);
  EXPECT_NEAR(r.sy, 243.7373f, 1e-3f);
  EXPECT_NEAR(r.sz, 470.9875f, 1e-3f);
  EXPECT_NEAR(r.zi, 491.63f, 1e-2f);
  EXPECT_NEAR(r.conc, 291.0362f, 1e-3f);
  r = evaluateCondition(ctx, 50000.0f, 6, 1.0f, 0.0f);
  EXPECT_NEAR(r.he, 125.4946f, 1e-3f);
  EXPECT_NEAR(r.sy, 1117.631f, 1e-2f);
  EXPECT_NEAR(r.sz, 82.07709f, 1e-3f);
  EXPECT_NEAR(r.conc, 44.48883f, 1e-3f);
}

TEST(PointModel, DistanceLoopKeepsTheFirstOfEqualConditions) {
  const Source s = ruralFlatStack();
  PointContext ctx;
  ctx.src = &s;
  // at 1 m every condition gives 0: the row shows the first condition (class 1, 1 m/s)
  const Row r = evaluatePointDistance(ctx, 1.0f, 0.0f);
  EXPECT_EQ(r.conc, 0.0f);
  EXPECT_EQ(r.cls, 1);
  EXPECT_EQ(r.ua, 1.0f);
  // beyond 50 km the low speeds become 2 m/s
  const Row far = evaluatePointDistance(ctx, 60000.0f, 0.0f);
  EXPECT_GE(far.ua, 2.0f);
}

// A distance search keeps the distance-independent part of each condition; every row must stay
// the same bit for bit, whatever order the conditions and distances come in.
TEST(PointModel, RememberedConditionsGiveTheSameRows) {
  Source s = ruralFlatStack();
  s.hb = 30;  // a building, so some conditions take the wake branch
  s.l1 = 20;
  s.l2 = 40;
  s.wp = std::sqrt(s.l1 * s.l1 + s.l2 * s.l2);
  s.lb = std::min(s.hb, s.wp);
  PointContext plain;
  plain.src = &s;
  ConditionCache cache;
  PointContext cached = plain;
  cached.cache = &cache;
  for (float x : {3000.0f, 100.0f, 95.0f, 1000.0f, 20000.0f, 60000.0f, 100.0f}) {
    const Row a = evaluatePointDistance(plain, x, 0.0f);
    const Row b = evaluatePointDistance(cached, x, 0.0f);
    EXPECT_EQ(a.conc, b.conc) << x;
    EXPECT_EQ(a.cls, b.cls) << x;
    EXPECT_EQ(a.ua, b.ua) << x;
    EXPECT_EQ(a.he, b.he) << x;
    EXPECT_EQ(a.sz, b.sz) << x;
    EXPECT_EQ(a.flag, b.flag) << x;
    for (int cls = 1; cls <= 6; ++cls) {
      const Row c = evaluateCondition(plain, x, cls, 2.5f, 10.0f);
      const Row d = evaluateCondition(cached, x, cls, 2.5f, 10.0f);
      EXPECT_EQ(c.conc, d.conc) << x << " class " << cls;
      EXPECT_EQ(c.sy, d.sy) << x << " class " << cls;
    }
  }
  EXPECT_NE(cache.find(1, 1.0f), nullptr);
  EXPECT_EQ(cache.find(1, 1.25f), nullptr);
}

TEST(PointModel, HuberSnyderDownwashRow) {
  Source s;
  s.q = 10;
  s.hs = 45;
  s.ds = 1.2f;
  s.vs = 10;
  s.ts = 400;
  s.ta = 293;
  s.urban = true;
  s.hb = 25;
  s.l1 = 30;
  s.l2 = 60;
  s.wp = std::sqrt(s.l1 * s.l1 + s.l2 * s.l2);
  s.lb = std::min(s.hb, s.wp);
  s.fb = (kGravity * s.vs * s.ds * s.ds * (s.ts - s.ta)) / (4.0f * s.ts);
  s.fm = (s.ta * s.vs * s.vs * s.ds * s.ds) / (4.0f * s.ts);
  PointContext ctx;
  ctx.src = &s;
  const Row r = evaluateCondition(ctx, 100.0f, 2, 5.0f, 0.0f);
  EXPECT_EQ(r.flag, Downwash::HS);
  EXPECT_NEAR(r.he, 56.62897f, 1e-3f);
  EXPECT_NEAR(r.sy, 31.55400f, 1e-3f);
  EXPECT_NEAR(r.sz, 25.38975f, 1e-3f);
  EXPECT_NEAR(r.conc, 52.71798f, 1e-3f);
  // inside three wake lengths the condition is not computed
  EXPECT_EQ(evaluateCondition(ctx, 50.0f, 4, 10.0f, 0.0f).flag, Downwash::NA);
}

TEST(PointModel, FumigationDistancesConverge) {
  Source s = ruralFlatStack();
  const FumigationResult ib = inversionBreakup(s);
  EXPECT_NEAR(ib.distance_m, 8909.919f, 0.01f);
  const FumigationResult sh = shorelineFumigation(s, 200.0f);
  EXPECT_NEAR(sh.distance_m, 619.6390f, 0.01f);
  EXPECT_GT(sh.conc, 2011.0f);
  // a shoreline farther than the plume can reach leaves no fumigation
  EXPECT_TRUE(shorelineFumigation(s, 1.0e6f).belowTibl);
}

TEST(PointModel, RegulatoryCavityCases) {
  Source s;
  s.q = 5;
  s.hs = 30;
  s.ds = 1.5f;
  s.vs = 8;
  s.ts = 350;
  s.ta = 290;
  s.hb = 24;
  s.l1 = 20;
  s.l2 = 40;
  s.fm = (s.ta * s.vs * s.vs * s.ds * s.ds) / (4.0f * s.ts);
  const auto c = regulatoryCavity(s);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_NEAR(c[0].height_m, 37.00f, 0.01f);
  EXPECT_NEAR(c[0].critWsStack, 4.07f, 0.01f);
  EXPECT_NEAR(c[0].conc, 1708.0f, 1.0f);
  EXPECT_NEAR(c[0].length_m, 59.89f, 0.01f);
  EXPECT_NEAR(c[1].critWsAnemo, 13.06f, 0.01f);
  EXPECT_NEAR(c[1].length_m, 20.58f, 0.01f);
}
