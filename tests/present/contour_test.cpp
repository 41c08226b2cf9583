// Contour levels, tracing and level styles, from hand-checkable grids up to random fields.
#include "present/contour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using present::ContourLevels;
using present::ContourLine;
using present::ContourSet;
using present::GridData;

namespace {

// A grid over x 0..nx-1 and y 0..ny-1 (unit cells) from rows listed bottom row first.
GridData unitGrid(std::vector<std::vector<float>> rows) {
  GridData g;
  g.ny = static_cast<int>(rows.size());
  g.nx = static_cast<int>(rows.front().size());
  g.xmax = static_cast<float>(g.nx - 1);
  g.ymax = static_cast<float>(g.ny - 1);
  for (const auto& r : rows) g.z.insert(g.z.end(), r.begin(), r.end());
  return g;
}

void expectPoints(const ContourLine& line, std::vector<std::pair<float, float>> pts) {
  ASSERT_EQ(line.points.size(), pts.size());
  for (std::size_t i = 0; i < pts.size(); ++i) {
    EXPECT_NEAR(line.points[i].x, pts[i].first, 1e-5) << "point " << i;
    EXPECT_NEAR(line.points[i].y, pts[i].second, 1e-5) << "point " << i;
  }
}

}  // namespace

TEST(ContourLevels, InsertKeepsOrderWithoutDuplicates) {
  ContourLevels l;
  for (float v : {0.5f, 0.1f, 0.9f, 0.3f, 0.5f, 0.1f, std::nanf("")}) l.insert(v);
  EXPECT_EQ(l.values(), (std::vector<float>{0.1f, 0.3f, 0.5f, 0.9f}));
  EXPECT_FALSE(l.remove(0.2f));
  l.replace(0.3f, 0.95f);
  EXPECT_EQ(l.values(), (std::vector<float>{0.1f, 0.5f, 0.9f, 0.95f}));
}

TEST(ContourLevels, DefaultsForZMaximumHalf) {
  const ContourLevels l = present::defaultLevels(0.0f, 0.5f);
  // Accumulating 0.05f in single precision: 0, 0.05, ..., up to 11 levels none above 0.5.
  ASSERT_GE(l.count(), 10);
  ASSERT_LE(l.count(), 11);
  for (int k = 0; k < l.count(); ++k) EXPECT_NEAR(l.at(k), 0.05 * k, 1e-6) << k;
  EXPECT_LE(l.at(l.count() - 1), 0.5f);
  EXPECT_EQ(present::defaultLevels(0.0f, 1.0f).count(), 10);  // 10 × 0.1f overshoots 1
}

TEST(ContourLevels, DefaultLoopEndsForDegenerateRanges) {
  EXPECT_EQ(present::defaultLevels(2.0f, 2.0f).values(), std::vector<float>{2.0f});
  EXPECT_EQ(present::defaultLevels(1.0f, 0.0f).count(), 0);
  // A tenth of the range is below the float spacing at 1e8: the sum never moves.
  EXPECT_EQ(present::defaultLevels(1e8f, 1e8f + 8.0f).count(), 1);
  EXPECT_EQ(present::defaultLevels(std::nanf(""), 1.0f).count(), 0);
}

TEST(ContourTrace, RampGivesOneStraightSegmentBorderToBorder) {
  const GridData g = unitGrid({{0, 0}, {1, 1}});
  const auto lines = present::traceLevel(g, 0.5f);
  ASSERT_EQ(lines.size(), 1u);
  expectPoints(lines[0], {{0, 0.5f}, {1, 0.5f}});
}

TEST(ContourTrace, ConstantFieldAndTinyGridsGiveNoLines) {
  EXPECT_TRUE(present::traceLevel(unitGrid({{3, 3, 3}, {3, 3, 3}}), 3.0f).empty());
  EXPECT_TRUE(present::traceLevel(unitGrid({{0, 1, 2}}), 0.5f).empty());
  EXPECT_TRUE(present::traceLevel(unitGrid({{0}, {1}}), 0.5f).empty());
  GridData broken = unitGrid({{0, 0}, {1, 1}});
  broken.z.pop_back();  // fewer values than nx × ny
  EXPECT_TRUE(present::traceLevel(broken, 0.5f).empty());
}

TEST(ContourTrace, BumpGivesClosedLoopWithEqualEnds) {
  const GridData g = unitGrid({{0, 0, 0}, {0, 1, 0}, {0, 0, 0}});
  const auto lines = present::traceLevel(g, 0.5f);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].closed());
  expectPoints(lines[0], {{1, 0.5f}, {1.5f, 1}, {1, 1.5f}, {0.5f, 1}, {1, 0.5f}});
}

TEST(ContourTrace, SaddleIsSplitByEntryPosition) {
  // Both sides crossed at one half. Entering at t = 0.5 takes the lower side (left) ...
  auto lines = present::traceLevel(unitGrid({{2, 0}, {0, 2}}), 1.0f);
  ASSERT_EQ(lines.size(), 2u);
  expectPoints(lines[0], {{0.5f, 0}, {0, 0.5f}});
  expectPoints(lines[1], {{0.5f, 1}, {1, 0.5f}});
  // ... entering past the middle (t = 2/3) takes the higher side (right).
  lines = present::traceLevel(unitGrid({{0, 1.5f}, {2, 0.5f}}), 1.0f);
  ASSERT_EQ(lines.size(), 2u);
  expectPoints(lines[0], {{2.0f / 3, 0}, {1, 0.5f}});
  expectPoints(lines[1], {{0, 0.5f}, {2.0f / 3, 1}});
}

// A node on the level counts as just above it, so the line passes beside the node column.
TEST(ContourTrace, NodesOnTheLevelAreTreatedAsAbove) {
  const auto lines = present::traceLevel(unitGrid({{0, 1, 2}, {0, 1, 2}, {0, 1, 2}}), 1.0f);
  ASSERT_EQ(lines.size(), 1u);
  expectPoints(lines[0], {{0.999f, 0}, {0.999f, 1}, {0.999f, 2}});
}

// Regression: the raised node gave the right side a fraction above 1; the next-edge choice took
// that uncrossed side and put a point above the cell (y = 1.001) instead of crossing the top.
TEST(ContourTrace, UncrossedSideOfRaisedNodeIsNotFollowed) {
  const auto lines = present::traceLevel(unitGrid({{0, 2}, {0, 1}}), 1.0f);
  ASSERT_EQ(lines.size(), 1u);
  expectPoints(lines[0], {{0.5f, 0}, {0.999f, 1}});
}

// Regression: a node on the level next to one just above it (by far less than 0.001) gave a
// fraction that rounded to exactly 1 and counted as a crossing, starting lines that stopped
// in the middle of the grid.
TEST(ContourTrace, NodeJustAboveARaisedNodeIsNotACrossing) {
  EXPECT_TRUE(present::traceLevel(unitGrid({{0, 1e-12f}, {1e-12f, 0}}), 0.0f).empty());
}

// Regression: above 32768, z + 0.001 rounds back to z, so the node stayed on the level and every
// edge touching it counted as crossed at its end: the line was traced twice.
TEST(ContourTrace, NodesOnLargeLevelsAreRaisedToo) {
  const auto lines =
      present::traceLevel(unitGrid({{40000, 40001, 40002}, {40000, 40001, 40002}}), 40001.0f);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].points.size(), 2u);
  EXPECT_GT(lines[0].points[0].x, 0.99f);
  EXPECT_LT(lines[0].points[0].x, 1.0f);
}

TEST(ContourTrace, UnusableValuesStopTracesWithoutRunningAway) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const GridData g = unitGrid({{0, 0, 0, 0}, {0, 1, nan, 0}, {0, 1, 1, 0}, {0, 0, 0, 0}});
  for (const ContourLine& line : present::traceLevel(g, 0.5f)) {
    EXPECT_GE(line.points.size(), 2u);
    EXPECT_LE(line.points.size(), 24u);  // never more points than edges
  }
  // Random grids mixing NaN, infinities and values on the level: points stay on the grid.
  const float pool[] = {0, 0.5f, 1, -1, nan, std::numeric_limits<float>::infinity(), 0.5f, 2};
  std::mt19937 rng(3);
  for (int round = 0; round < 200; ++round) {
    GridData r;
    r.nx = 2 + static_cast<int>(rng() % 6);
    r.ny = 2 + static_cast<int>(rng() % 6);
    r.xmax = 1;
    r.ymax = 1;
    for (int k = 0; k < r.nx * r.ny; ++k) r.z.push_back(pool[rng() % 8]);
    for (const ContourLine& line : present::traceLevel(r, 0.5f))
      for (const auto& q : line.points) EXPECT_TRUE(q.x >= 0 && q.x <= 1 && q.y >= 0 && q.y <= 1);
  }
}

// Every crossed edge of a random field appears exactly once, each step stays within one cell,
// open lines run border to border and closed lines end where they start. Values on a 0.1 raster
// put many nodes exactly on the levels.
TEST(ContourTrace, RandomFieldsUseEveryCrossingOnceAndStayInCells) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> tenth(0, 10);
  for (int round = 0; round < 20; ++round) {
    GridData g;
    g.nx = 9;
    g.ny = 7;
    g.xmin = -4;
    g.xmax = 4;  // unit cells
    g.ymin = 10;
    g.ymax = 16;
    for (int k = 0; k < g.nx * g.ny; ++k) g.z.push_back(static_cast<float>(tenth(rng)) * 0.1f);
    for (float level : {0.3f, 0.5f, 0.7f}) {
      std::size_t crossed = 0;
      auto above = [&](int i, int j) { return g.at(i, j) >= level; };
      for (int i = 0; i < g.ny; ++i)
        for (int j = 0; j < g.nx; ++j) {
          if (j + 1 < g.nx && above(i, j) != above(i, j + 1)) ++crossed;
          if (i + 1 < g.ny && above(i, j) != above(i + 1, j)) ++crossed;
        }
      std::size_t points = 0;
      for (const ContourLine& line : present::traceLevel(g, level)) {
        const auto& p = line.points;
        points += p.size() - (line.closed() ? 1 : 0);
        for (std::size_t k = 1; k < p.size(); ++k) {
          EXPECT_LE(std::fabs(p[k].x - p[k - 1].x), 1.0f + 1e-5f);
          EXPECT_LE(std::fabs(p[k].y - p[k - 1].y), 1.0f + 1e-5f);
        }
        for (const auto& q : p) {
          EXPECT_TRUE(q.x >= -4 && q.x <= 4 && q.y >= 10 && q.y <= 16) << q.x << "," << q.y;
        }
        if (!line.closed()) {
          auto onBorder = [](present::ContourPoint q) {
            return q.x == -4 || q.x == 4 || q.y == 10 || q.y == 16;
          };
          EXPECT_TRUE(onBorder(p.front()) && onBorder(p.back())) << "round " << round;
        }
      }
      EXPECT_EQ(points, crossed) << "round " << round << " level " << level;
    }
  }
}

TEST(ContourSet, TracesEveryLevelInOrder) {
  const GridData g = unitGrid({{0, 0, 0}, {0, 1, 0}, {0, 0, 0}});
  ContourSet set(g);
  set.levels().insert(0.5f);
  set.levels().insert(7.0f);  // outside the data: traced, no lines
  set.levels().insert(0.25f);
  ASSERT_TRUE(set.traceAll());
  EXPECT_TRUE(set.traced());
  ASSERT_EQ(set.lines().size(), 3u);
  EXPECT_EQ(set.lines()[0].size(), 1u);
  EXPECT_EQ(set.lines()[1].size(), 1u);
  EXPECT_TRUE(set.lines()[2].empty());
  // The 0.25 loop lies outside the 0.5 loop.
  EXPECT_NEAR(set.lines()[0][0].points[0].y, 0.25f, 1e-6);
}

TEST(LevelStyles, DefaultsShadeFromBlackToRed) {
  ContourLevels l = present::defaultLevels(0, 0.5f);
  present::LevelStyleTable t;
  t.resetToDefaults(l);
  ASSERT_EQ(t.count(), l.count());
  EXPECT_EQ(t.entries()[0].colour, (present::Rgb{0, 0, 0}));
  EXPECT_EQ(t.entries()[1].colour.r, 255 / l.count());
  EXPECT_EQ(t.entries().back().colour.r, 255 * (l.count() - 1) / l.count());
  EXPECT_FLOAT_EQ(t.entries()[3].width_mm, 0.3f);
}

TEST(LevelStyles, LookupTakesLastEntryWithin1e7) {
  present::LevelStyleTable t;
  t.append(1.0f, 0.3f, {1, 0, 0});
  t.append(1.0f, 0.5f, {2, 0, 0});
  t.append(2.0f, 0.7f, {3, 0, 0});
  EXPECT_EQ(t.styleFor(1.0f).colour.r, 2);
  EXPECT_EQ(t.styleFor(std::nextafter(2.0f, 3.0f)).colour.r,
            0);  // one float step above 2 is 2.4e-7 away
  EXPECT_EQ(t.styleFor(std::nextafter(2.0f, 3.0f)).width_mm, 0.0f);
  EXPECT_EQ(t.insertOrdered({1.5f, 0.3f, {}}), 2);
  EXPECT_TRUE(t.removeFor(1.0f));
  EXPECT_EQ(t.styleFor(1.0f).colour.r, 1);
}
