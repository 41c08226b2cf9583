// Area and volume source pieces: the numerical integration tools, the direction-search
// tables and the volume receptor rule.

#include <gtest/gtest.h>

#include <cmath>

#include "screen/engine/area_integral.h"
#include "screen/engine/area_model.h"
#include "screen/engine/distance_search.h"
#include "screen/engine/volume_model.h"

using namespace screen::engine;

TEST(AreaIntegral, RombergFollowsTheDirectionOfTheInterval) {
  const auto square = [](float u) { return u * u; };
  EXPECT_NEAR(romberg(square, 0.0f, 1.0f), 1.0f / 3.0f, 1e-5f);
  EXPECT_NEAR(romberg(square, 1.0f, 0.0f), -1.0f / 3.0f, 1e-5f);
  EXPECT_NEAR(romberg([](float u) { return std::exp(-u); }, 0.0f, 5.0f), 1.0f - std::exp(-5.0f),
              1e-4f);
}

TEST(AreaIntegral, BrentFindsABracketedRootOnly) {
  EXPECT_NEAR(brentRoot([](float u) { return u - 0.3f; }, 0.0f, 1.0f), 0.3f, 2e-4f);
  EXPECT_NEAR(brentRoot([](float u) { return 4.0f - u * u; }, 3.0f, 1.0f), 2.0f, 5e-4f);
  EXPECT_EQ(brentRoot([](float u) { return u + 1.0f; }, 0.0f, 1.0f), -1.0f);
}

TEST(AreaModel, SearchAnglesSpanTheNeighbouringCells) {
  // 100 x 30 m, rural class 4, 222 m: aspect 3.33 (column 3.0), xi = 4.44 (row 4.0)
  const AngleRange r = searchAngles(100.0f, 30.0f, 222.0f, 4, false);
  EXPECT_LE(r.lo, r.hi);
  EXPECT_GE(r.lo, 0);
  EXPECT_LE(r.hi, 45);
  // far away and very elongated: the last row and column, no neighbours beyond the tables
  const AngleRange far = searchAngles(100.0f, 10.0f, 1.0e6f, 6, true);
  EXPECT_LE(far.hi - far.lo, 45);
}

TEST(AreaModel, SquareIsSymmetricAndNothingReachesAnUpwindReceptor) {
  AreaCase c;
  c.cls = 4;
  c.he = 2.0f;
  c.zi = 320.0f;
  c.us = 1.0f;
  const float a = areaConcentration(40.0f, 40.0f, 0.0f, 1e-3f, 100.0f, c);
  const float b = areaConcentration(40.0f, 40.0f, 90.0f, 1e-3f, 100.0f, c);
  EXPECT_GT(a, 0.0f);
  EXPECT_NEAR(a, b, a * 1e-3f);
  // every corner lies downwind of a receptor 100 m upwind of the centre
  EXPECT_EQ(areaConcentration(40.0f, 40.0f, 0.0f, 1e-3f, -100.0f, c), 0.0f);
}

TEST(VolumeModel, ReceptorInsideTheSourceIsNotComputed) {
  Source v;
  v.kind = SourceKind::Volume;
  v.q = 1;
  v.hs = 10;
  v.sy0 = 5;
  v.sz0 = 3;
  EXPECT_TRUE(volumeReceptorInside(v, 5.0f));  // 5 - 2.15 * 5 < 0.99
  EXPECT_FALSE(volumeReceptorInside(v, 100.0f));
  const Row r = volumeCondition(v, 100.0f, 4, 1.0f, 12.0f, {});
  EXPECT_EQ(r.he, 0.0f);  // terrain above the release height leaves the plume on the ground
  EXPECT_GT(r.conc, 0.0f);
}

TEST(DistanceSearch, RangeDistancesStartAtTheMinimum) {
  const auto d = rangeDistances(250.0f, 1000.0f);
  ASSERT_EQ(d.size(), 9u);
  EXPECT_EQ(d.front(), 250.0f);
  EXPECT_EQ(d[1], 300.0f);
  EXPECT_EQ(d.back(), 1000.0f);
  EXPECT_EQ(rangeDistances(5000.0f, 100.0f).size(), 1u);
  EXPECT_EQ(rangeDistances(1.0f, 50000.0f).size(), 51u);
}
