// The two screening calculators run for real: kuvascreen on the answer scripts the pages write.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

#define REQUIRE_ENGINE() \
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
  EXPECT_EQ(r.pollutants[static_cast<size_t>(r.chosen)].name,
            "NO2");  // 0.5/0.24 is the larger share of its standard
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
  EXPECT_NE(r.pollutants[0].report.find("=         AREA"), std::string::npos);
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

// A tall stack has its maximum beyond the first range: the maximum row stands once, between
// the lines around its distance, not also at the end of the first range.
TEST(Screen3RealRun, MaximumRowOnceWhereItsDistanceFits) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.source.stack_m = 200;
  in.source.automated = {{"500", "0"}};
  const Screen3Result r = runOk(in);
  ASSERT_EQ(count(r, Screen3RowKind::Maximum), 1u);
  const float dmax = r.pollutants[0].max_distance_m;
  ASSERT_GT(dmax, 500);
  for (size_t k = 0; k < r.row_kinds.size(); ++k) {
    if (r.row_kinds[k] != Screen3RowKind::Maximum) continue;
    ASSERT_GT(k, 0u);
    ASSERT_LT(k + 1, r.table.rows.size());
    EXPECT_LE(cell(r, k - 1, 2), dmax);
    EXPECT_GT(cell(r, k + 1, 2), dmax);
  }
}

// A volume source has no complex-terrain screen: a maximum on raised terrain is still simple
// terrain, whatever the (hidden) stack height of the point-source fields.
TEST(Screen3RealRun, VolumeMaximumOnRaisedTerrainIsSimpleTerrain) {
  REQUIRE_ENGINE();
  Screen3Input in = defaults();
  in.source.type = screen::SourceType::Volume;
  in.source.stack_m = 5;
  in.source.points = {{"150", "100"}, {"300", "100"}};
  const Screen3Result r = runOk(in);
  ASSERT_GT(r.pollutants[0].max_terrain_m, 5);
  for (size_t k = 0; k < r.row_kinds.size(); ++k) {
    if (r.row_kinds[k] == Screen3RowKind::Maximum) {
      EXPECT_EQ(r.table.rows[k][0], "最大值简单地形");
    }
  }
  EXPECT_EQ(count(r, Screen3RowKind::Maximum), 1u);
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

size_t lineCount(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::string line;
  size_t n = 0;
  while (std::getline(in, line)) ++n;
  return n;
}

// Runs kuvascreen on a script in a fresh directory; returns that directory.
std::filesystem::path runInDir(const std::string& script, const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("kuva-dialogue-" + std::to_string(getpid())) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "screen3.inp", std::ios::binary) << script;
  const std::string cmd =
      "cd '" + dir.string() + "' && '" + kProgram + "' <screen3.inp >console.txt 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << name;
  return dir;
}

// The program echoes every accepted answer to SCREEN.DAT, one line each: a script that answers
// exactly the questions asked has as many lines as the echo, and no answer is taken for the
// hardcopy question (which would write the file PRN).
TEST(Screen3RealRun, ScriptsAnswerExactlyTheQuestionsAsked) {
  REQUIRE_ENGINE();
  using screen::SourceType;
  int runs = 0;
  for (int type = 0; type < 4; ++type)
    for (int urban = 0; urban < 2; ++urban)
      for (int met = 0; met < 3; ++met)
        for (int option = 0; option < 4; ++option)
          for (int table = 0; table < 3; ++table) {
            const bool stack = type == 0 || type == 3;
            if (!stack && option > 1) continue;
            screen::EstimateSource s = defaults().source;
            s.type = static_cast<SourceType>(type);
            s.urban = urban == 1;
            s.met = static_cast<screen::MetMode>(met);
            s.stability = 4;
            s.wind10_m_s = 3;
            s.downwash = option == 1 || option == 3;
            s.fumigation = option >= 2;
            s.shoreline = option == 3;
            s.area_search = option == 0;
            if (table == 1) s.points = {{"300", "5"}, {"800", "10"}};
            if (table == 2) {
              s.automated = {{"1000", "0"}, {"3000", "10"}, {"6000", "40"}};
              s.points = {{"300", "5"}, {"800", "70"}, {"1200", "80"}, {"2000", "0.5"}};
            }
            const std::string name = "t" + std::to_string(type) + "u" + std::to_string(urban) +
                                     "m" + std::to_string(met) + "o" + std::to_string(option) +
                                     "p" + std::to_string(table);
            const std::string script = screen::estimateScript(s, 1, "SO2");
            const auto dir = runInDir(script, name);
            EXPECT_EQ(lineCount(dir / "SCREEN.DAT"), lineCount(dir / "screen3.inp")) << name;
            EXPECT_FALSE(std::filesystem::exists(dir / "PRN")) << name;
            ++runs;
          }
  // Low stacks and flares released below 10 m are not asked about fumigation.
  screen::EstimateSource s = defaults().source;
  s.stack_m = 8;
  s.fumigation = true;
  s.points = {{"300", "0.5"}};
  auto dir = runInDir(screen::estimateScript(s, 1, "SO2"), "low");
  EXPECT_EQ(lineCount(dir / "SCREEN.DAT"), lineCount(dir / "screen3.inp"));
  s.type = SourceType::Flare;
  s.flare_stack_m = 5;
  s.heat_cal_s = 100;
  dir = runInDir(screen::estimateScript(s, 1, "SO2"), "lowflare");
  EXPECT_EQ(lineCount(dir / "SCREEN.DAT"), lineCount(dir / "screen3.inp"));
  dir = runInDir(screen::protectionScript(10, 2, 20, 2), "protection");
  EXPECT_EQ(lineCount(dir / "SCREEN.DAT"), lineCount(dir / "screen3.inp"));
  std::filesystem::remove_all(dir.parent_path());
  EXPECT_GT(runs, 100);
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
