// The assessment rules of the further prediction: the percentile of a daily series, the 1-hour
// reference value, the protection distance on a synthetic field, and the met summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "models/air/prediction/plant.h"
#include "models/air/prediction/rules.h"

namespace ap = models::air::prediction;

TEST(AirPredictionRules, PercentileByHj663) {
  std::vector<double> year(365);
  std::iota(year.begin(), year.end(), 1.0);
  // k = 1 + 364·0.98 = 357.72: between the 357th and 358th value.
  EXPECT_NEAR(*ap::percentile(year, 98), 357.72, 1e-9);
  EXPECT_NEAR(*ap::percentile(year, 95), 346.8, 1e-9);
  std::vector<double> leap(366);
  std::iota(leap.begin(), leap.end(), 1.0);
  std::reverse(leap.begin(), leap.end());                // any order in, ascending inside
  EXPECT_NEAR(*ap::percentile(leap, 95), 347.75, 1e-9);  // k = 1 + 365·0.95
  EXPECT_NEAR(*ap::percentile(leap, 98), 358.7, 1e-9);
  // Ties: k = 4.8 lies between the tied 4th value and the 5th.
  EXPECT_NEAR(*ap::percentile({2, 3, 1, 2, 2}, 95), 2.8, 1e-12);
  EXPECT_NEAR(*ap::percentile({2, 3, 1, 2, 2}, 50), 2.0, 1e-12);
  EXPECT_EQ(*ap::percentile({7}, 98), 7.0);
  EXPECT_EQ(*ap::percentile({1, 9}, 100), 9.0);
  EXPECT_FALSE(ap::percentile({}, 95).has_value());
}

TEST(AirPredictionRules, StandardsAndHourlyReference) {
  const ap::StandardRow* pm10 = ap::findStandard("pm10");
  ASSERT_NE(pm10, nullptr);
  EXPECT_EQ(ap::hourlyReference(pm10->grade2), 450.0);    // 3 × daily 150
  EXPECT_EQ(ap::hourlyReference({0, 0, 0, 0.5}), 3.0);    // 6 × annual (Pb)
  EXPECT_EQ(ap::hourlyReference({0, 100, 0, 0}), 200.0);  // 2 × 8-hour
  EXPECT_EQ(ap::hourlyReference(ap::findStandard("SO2")->grade1), 150.0);
  EXPECT_EQ(ap::findStandard("PM2.5")->percentile, 95.0);
  EXPECT_EQ(ap::findStandard("xyz"), nullptr);
}

TEST(AirPredictionRules, ProtectionDistanceOnASyntheticField) {
  const std::vector<ap::Point> ring = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  const auto cells = ap::protectionCells(ring, 50, 300);
  std::vector<double> ratio;
  for (const ap::Point& c : cells) {
    const bool east = c.x > 100 && c.x <= 250 && c.y >= 0 && c.y <= 100;
    const bool corner = c.x == -50 && c.y == -50;
    ratio.push_back(east || corner ? 2.0 : 0.5);
  }
  const ap::ProtectionResult r = ap::protectionDistance(ring, cells, ratio);
  EXPECT_DOUBLE_EQ(r.distance_m, 150.0);  // the cells at x = 250, 150 m beyond the east side
  EXPECT_EQ(r.exceeding.size(), 3u * 3u + 1u);
  ASSERT_FALSE(r.edges.empty());
  bool east_edge = false;
  for (auto [edge, d] : r.edges) east_edge = east_edge || (edge == 1 && d == 150.0);
  EXPECT_TRUE(east_edge);
  // Nothing exceeds: 0; an exceeding cell inside the boundary does not count.
  EXPECT_EQ(ap::protectionDistance(ring, {{50, 50}, {400, 400}}, {5, 0.9}).distance_m, 0.0);
  EXPECT_TRUE(ap::selfIntersecting({{0, 0}, {100, 100}, {100, 0}, {0, 100}}));
  EXPECT_FALSE(ap::selfIntersecting(ring));
}

TEST(AirPredictionRules, NestedGridSpacing) {
  const auto g = ap::nestedGrid({{0, 0}}, 6000);
  // 100 m lattice out to 5 km (101 × 101 points), then 250 m points between 5 and 6 km.
  size_t inner = 0, outer = 0;
  for (const ap::Point& p : g) (std::max(std::fabs(p.x), std::fabs(p.y)) <= 5000 ? inner : outer)++;
  EXPECT_EQ(inner, 101u * 101u);
  EXPECT_EQ(outer, 49u * 49u - 41u * 41u);
}

TEST(AirPredictionRules, MetSummaryAndRefusal) {
  const std::string dir = std::string(KUVA_TEST_DATA_DIR) + "/aermod/a1_nws/";
  const ap::MetSummary s = ap::readMetSummary(dir + "a1_nws.sfc", dir + "a1_nws.pfl");
  ASSERT_TRUE(s.ok()) << s.error;
  EXPECT_EQ(s.hours, 24);
  EXPECT_EQ(s.first, 2023072101);
  EXPECT_EQ(s.last, 2023072124);
  EXPECT_EQ(s.calm, 1);     // 03
  EXPECT_EQ(s.missing, 1);  // 20
  const ap::MetSummary bad = ap::readMetSummary(dir + "a1_nws.pfl", dir + "a1_nws.pfl");
  EXPECT_FALSE(bad.ok());
  EXPECT_NE(bad.error.find("a1_nws.pfl"), std::string::npos) << bad.error;
}
