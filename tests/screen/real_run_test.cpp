// The two screening calculators run for real: kuvascreen on the answer scripts the pages write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "models/air/protection_distance.h"
#include "models/air/screen3_estimate.h"

namespace {

using models::air::Screen3Input;
using models::air::Screen3Result;
using models::air::Screen3RowKind;

const std::string kProgram = std::string(KUVA_BIN_DIR) + "/kuvascreen";

screen::RunOptions engine() {
  screen::RunOptions o;
  o.program = kProgram;
  o.timeout_s = 120;
  return o;
}

#define REQUIRE_ENGINE()                                                        \
  if (!std::filesystem::exists(kProgram)) GTEST_SKIP() << kProgram << " is not built"

Screen3Input defaults() {
  return models::air::screen3InputFromValues(
      core::defaultValues(models::air::screen3EstimateDesc()));
}

Screen3Result runOk(const Screen3Input& in) {
  Screen3Result r = models::air::computeScreen3(in, engine());
  EXPECT_FALSE(r.stop) << (r.stop ? r.stop->message : "");
  return r;
}

size_t count(const Screen3Result& r, Screen3RowKind kind) {
  size_t n = 0;
  for (auto k : r.row_kinds) n += k == kind;
  return n;
}

double cell(const Screen3Result& r, size_t row, size_t col) {
  return std::strtod(r.table.rows[row][col].c_str(), nullptr);
}

TEST(Screen3RealRun, PointSourceOnePollutant) {
  REQUIRE_ENGINE();
  const Screen3Result r = runOk(defaults());
  ASSERT_EQ(r.pollutants.size(), 1u);
  EXPECT_EQ(r.table.headers.size(), 6u);
  EXPECT_EQ(r.table.headers[4], "SO2下风向浓度mg／m＾3");
  EXPECT_EQ(r.summary.rfind("所筛选的污染物中SO2的Pmax最大\r\n", 0), 0u) << r.summary;
  EXPECT_EQ(count(r, Screen3RowKind::Maximum), 1u);
  EXPECT_GT(r.pollutants[0].pmax_pct, 0);
  // The automated ranges run out to 25000 m.
  EXPECT_EQ(r.table.rows.back()[2], "25000");
  const std::string& report = r.pollutants[0].report;
  EXPECT_NE(report.find("BUILDING HEIGHT (M)    =       0.0000"), std::string::npos);
  EXPECT_NE(report.find("EMISSION RATE (G/S)    =      1.00000"), std::string::npos);
}

TEST(Screen3RealRun, TwoPollutantsScaleWithTheirRates) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.pollutants = {{"SO2", "1", "0.5"}, {"NO2", "0.5", "0.24"}};
  const Screen3Result r = runOk(in);
  ASSERT_EQ(r.pollutants.size(), 2u);
  ASSERT_EQ(r.table.headers.size(), 8u);
  for (size_t k = 0; k < r.table.rows.size(); ++k)
    EXPECT_NEAR(cell(r, k, 6), cell(r, k, 4) * 0.5, 2e-3 * cell(r, k, 4) + 1e-9) << k;
  EXPECT_EQ(r.pollutants[r.chosen].name, "NO2");  // 0.5/0.24 is the larger share of its standard
}

TEST(Screen3RealRun, DownwashAndTerrainAboveAndBelowTheStack) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.source.downwash = true;
  in.source.automated = {{"1000", "0"}, {"3000", "10"}};
  in.source.points = {{"800", "50"}, {"300", "5"}};  // stack 30 m: 50 m is complex terrain
  const Screen3Result r = runOk(in);
  ASSERT_EQ(count(r, Screen3RowKind::Complex), 1u);
  ASSERT_EQ(count(r, Screen3RowKind::Discrete), 1u);
  const auto& complex = r.table.rows.back();
  EXPECT_EQ(complex[1], "复杂地形");
  EXPECT_EQ(complex[2], "800");
  EXPECT_EQ(complex[3], "50");
  const auto& discrete = r.table.rows[r.table.rows.size() - 2];
  EXPECT_EQ(discrete[2], "300");
  EXPECT_EQ(discrete[3], "5");
  EXPECT_GT(cell(r, r.table.rows.size() - 2, 4), 0);
  const std::string& report = r.pollutants[0].report;
  EXPECT_NE(report.find("BUILDING HEIGHT (M)    =      50.0000"), std::string::npos);
  EXPECT_NE(report.find("TERRAIN HEIGHT OF   10. M ABOVE STACK BASE"), std::string::npos);
}

TEST(Screen3RealRun, RuralFumigationAndChosenWind) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.source.fumigation = true;
  in.source.shoreline = true;
  in.source.met = screen::MetMode::StabilityWind;
  in.source.stability = 3;
  in.source.wind10_m_s = 4.5f;
  const Screen3Result r = runOk(in);
  const std::string& report = r.pollutants[0].report;
  EXPECT_NE(report.find("*** STABILITY CLASS  4 ONLY ***"), std::string::npos);
  EXPECT_NE(report.find("WIND SPEED OF   4.50 M/S ONLY"), std::string::npos);
  EXPECT_NE(report.find("INVERSION BREAK-UP FUMIGATION CALC."), std::string::npos);
  EXPECT_NE(report.find("DISTANCE TO SHORELINE OF   200.00 M."), std::string::npos);
}

TEST(Screen3RealRun, AreaSourceListsItsDiscreteDistances) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.source.type = screen::SourceType::Area;
  in.source.points = {{"50", "0"}, {"250", "3"}};
  const Screen3Result r = runOk(in);
  ASSERT_EQ(count(r, Screen3RowKind::Discrete), 2u);
  EXPECT_EQ(r.table.rows[r.table.rows.size() - 2][2], "50");
  EXPECT_EQ(r.table.rows.back()[2], "250");
  EXPECT_GT(cell(r, r.table.rows.size() - 1, 4), 0);
  EXPECT_NE(r.pollutants[0].report.find("=         AREA"),
            std::string::npos);
}

TEST(Screen3RealRun, VolumeAndFlareSources) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.source.type = screen::SourceType::Volume;
  in.source.points = {{"200", "100"}, {"400", "0"}};
  Screen3Result r = runOk(in);
  ASSERT_EQ(count(r, Screen3RowKind::Discrete), 2u);
  // A terrain above the release height is taken at the release height.
  EXPECT_EQ(r.table.rows[r.table.rows.size() - 2][3], "15");
  EXPECT_NE(r.pollutants[0].report.find("VOLUME"), std::string::npos);

  in = defaults();
  in.source.type = screen::SourceType::Flare;
  in.source.downwash = true;
  in.source.points = {{"500", "10"}};
  r = runOk(in);
  EXPECT_EQ(count(r, Screen3RowKind::Discrete), 1u);
  EXPECT_NE(r.pollutants[0].report.find("FLARE"), std::string::npos);
  EXPECT_GT(r.pollutants[0].pmax_pct, 0);
}

// A flare releases above its stack: a receptor between the stack top and the effective
// release height used to be sent to the complex-terrain screen, which refuses it, and was lost.
TEST(Screen3RealRun, FlareReceptorBelowReleaseHeightIsComputed) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.source.type = screen::SourceType::Flare;
  in.source.flare_stack_m = 30;
  in.source.heat_cal_s = 1e7f;  // release height 30 + 4.56e-3 * 1e7^0.478 = 40.1 m
  in.source.points = {{"800", "35"}, {"900", "50"}};
  const Screen3Result r = runOk(in);
  EXPECT_EQ(count(r, Screen3RowKind::Discrete), 1u);
  EXPECT_EQ(count(r, Screen3RowKind::Complex), 1u);
  bool found = false;
  for (const auto& row : r.table.rows)
    if (row[2] == "800" && row[3] == "35") found = true;
  EXPECT_TRUE(found) << "the 800 m receptor at 35 m is missing";
}

TEST(ProtectionRealRun, WeakAndStrongSources) {
  REQUIRE_ENGINE();
  models::air::ProtectionInput in;
  in.q_g_s = 0.001f;
  auto o = models::air::computeProtection(in, engine());
  ASSERT_FALSE(o.failure) << o.failure->message;
  EXPECT_EQ(o.text, "无超标点");

  in.q_g_s = 10;
  o = models::air::computeProtection(in, engine());
  ASSERT_FALSE(o.failure) << o.failure->message;
  EXPECT_EQ(o.text, "大气环境防护距离建议值 = 500 [m]");

  in.q_g_s = 2000;
  in.length_m = in.width_m = 20;
  o = models::air::computeProtection(in, engine());
  ASSERT_FALSE(o.failure) << o.failure->message;
  EXPECT_EQ(o.text.rfind("最大超标距离", 0), 0u) << o.text;
}

}  // namespace
