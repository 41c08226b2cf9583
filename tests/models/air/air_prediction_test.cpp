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

TEST(AirPredictionRules, TypedUnitsReachTheDeckConverted) {
  ap::Plant plant;
  plant.pollutants.push_back({});
  plant.pollutants[0].name = "SO2";
  ap::Source s;
  s.name = "P1";
  s.at = {{0, 0}};
  s.height_m = 40;
  s.diameter_m = 2;
  s.temp = 126.85, s.temp_unit = ap::TempUnit::Celsius;                    // 400 K
  s.exit = 3600 * std::acos(-1.0) * 10, s.exit_unit = ap::ExitUnit::Flow;  // 10 m/s through d = 2 m
  s.normal = {36}, s.abnormal = {7.2}, s.rate_unit = ap::RateUnit::KilogramsPerHour;
  plant.sources.push_back(s);
  const ap::DeckText d = ap::writeDeck(plant, "m.sfc", "m.pfl");
  EXPECT_NE(d.text.find("SRCPARAM  N01S001  10  40  400  10  2\n"), std::string::npos) << d.text;
  EXPECT_NE(d.text.find("SRCPARAM  A01S001  2  40  400  10  2\n"), std::string::npos) << d.text;
  EXPECT_NE(d.text.find("** SOURCE S001 P1\n"), std::string::npos);
}

TEST(AirPredictionRules, BackgroundsPerTargetAndFunctionClasses) {
  ap::Plant plant;
  plant.targets = {{"村A", {0, 0}, 0, 1}, {"村B", {1, 0}, 0, 0}, {"村C", {2, 0}, 0, 0}};
  plant.pollutants.resize(2);
  plant.pollutants[0].name = "SO2";
  plant.pollutants[0].limits = ap::findStandard("SO2")->grade2;
  plant.pollutants[1].name = "氨";
  plant.pollutants[1].limits = {200, 0, 0, 0};
  // A target in a class-1 area takes the grade-1 limits; a pollutant outside the standard keeps
  // its.
  EXPECT_EQ(ap::limitsAt(plant, 0, 0).h1, 150.0);
  EXPECT_EQ(ap::limitsAt(plant, 0, 1).h1, 500.0);
  EXPECT_EQ(ap::limitsAt(plant, 1, 0).h1, 200.0);

  ap::MetSummary met;
  met.dates = {2023010101, 2023010124, 2023010201, 2023010301};
  met.year = 2023;
  ap::PollutantSpec& p = plant.pollutants[0];
  p.bg_file = "bg.csv";
  ASSERT_EQ(ap::readBackgroundCsv("\xEF\xBB\xBF日期,村A,村B\n2023-01-01,1,4\n2023/01/02,2,5\n"
                                  "20230103,3,9\n20230104,0,0\n",
                                  "bg.csv", p.bg_table),
            "");
  ASSERT_EQ(ap::applyBackground(met, plant.targets, p), "");
  EXPECT_EQ(ap::backgroundAt(plant, 0, 0, 3), (std::vector<double>{1, 2, 3}));
  // 村C has no column and there is no "全部": the day's mean of the monitored series.
  EXPECT_EQ(ap::backgroundAt(plant, 0, 2, 3), (std::vector<double>{2.5, 3.5, 6}));
  p.bg_annual_given = false;
  EXPECT_DOUBLE_EQ(ap::annualBackgroundAt(plant, 0, 1), 6.0);

  // What a file can get wrong, each named.
  const std::pair<const char*, const char*> bad[] = {
      {"日期,村A\n2023-01-01,1\n2023-01-02\n", "第 3 行有 1 列，应为 2 列"},
      {"日期,村A\n2023-01-01,x\n", "第 2 行第 2 列“x”不是非负的数字"},
      {"日期,村A\n2023-01-01,-1\n", "第 2 行第 2 列“-1”不是非负的数字"},
      {"日期,村A\n2023-02-30,1\n", "第 2 行的日期“2023-02-30”无法读取"},
  };
  for (const auto& [text, want] : bad) {
    ap::BackgroundTable t;
    EXPECT_NE(ap::readBackgroundCsv(text, "bg.csv", t).find(want), std::string::npos) << text;
  }
  const std::pair<const char*, const char*> misfit[] = {
      {"日期,村A\n2022-01-01,1\n", "是 2022 年的，气象数据是 2023 年的"},
      {"日期,村A\n2023-01-01,1\n2023-01-03,1\n", "缺少 2023-01-02 的数据"},
      {"1,5\n2,6\n", "有 2 天，与气象数据（2023 年）的 3 天不符"},
      {"日期,村A,村D\n2023-01-01,1,1\n2023-01-02,1,1\n2023-01-03,1,1\n",
       "列“村D”不是保护目标的名称"},
  };
  for (const auto& [text, want] : misfit) {
    ASSERT_EQ(ap::readBackgroundCsv(text, "bg.csv", p.bg_table), "") << text;
    EXPECT_NE(ap::applyBackground(met, plant.targets, p).find(want), std::string::npos) << text;
  }
}
