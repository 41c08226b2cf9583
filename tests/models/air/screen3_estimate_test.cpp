#include "models/air/screen3_estimate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using models::air::Screen3Input;
using models::air::Screen3Result;
using models::air::Screen3RowKind;

screen::Report sampleReport(const std::string& name) {
  std::ifstream in(std::string(KUVA_TEST_DATA_DIR) + "/screen3/" + name + "/SCREEN.OUT");
  std::ostringstream s;
  s << in.rdbuf();
  return screen::parseReport(s.str());
}

Screen3Input defaultInput() {
  return models::air::screen3InputFromValues(
      core::defaultValues(models::air::screen3EstimateDesc()));
}

// The table the computation builds for `standards.size()` pollutants from one report.
Screen3Result tableFromSample(const std::vector<double>& standards) {
  Screen3Input in = defaultInput();
  in.source.stack_m = 60;
  Screen3Result r;
  r.table.headers.assign(4 + 2 * standards.size(), "");
  const screen::Report report = sampleReport("io-point-multirange");
  for (size_t i = 0; i < standards.size(); ++i) {
    r.pollutants.push_back({});
    r.pollutants.back().name = i == 0 ? "SO2" : "NO2";
    models::air::addPollutantReport(r, in, i, report, standards[i]);
  }
  return r;
}

TEST(Screen3Estimate, TableFromAMultiRangeReport) {
  const Screen3Result r = tableFromSample({0.5});
  ASSERT_EQ(r.table.rows.size(), 52u);  // 21 + max + 17 + 11 automated, 2 complex
  const auto& first = r.table.rows[0];
  EXPECT_EQ(first, (std::vector<std::string>{"1", "简单地形", "1", "0", "0", "0"}));
  // The maximum row follows the last line not beyond the maximum's distance (700 m < 751 m).
  EXPECT_EQ(r.row_kinds[8], Screen3RowKind::Maximum);
  EXPECT_EQ(r.table.rows[8],
            (std::vector<std::string>{"最大值简单地形", "", "751", "0", "0.2479", "49.58"}));
  EXPECT_EQ(r.table.rows[9][0], "9");
  EXPECT_EQ(r.table.rows[9][2], "800");
  EXPECT_EQ(r.table.rows[22][3], "10");  // second range at 10 m terrain
  // Complex-terrain rows carry the controlling 24-hour value, the one the summary gives for the
  // same point (the valley value of this line is 36.31 ug/m3).
  EXPECT_EQ(r.table.rows[50],
            (std::vector<std::string>{"50", "复杂地形", "2000", "80", "0.1311", "26.22"}));
  EXPECT_EQ(r.row_kinds[51], Screen3RowKind::Complex);

  const auto& p = r.pollutants[0];
  EXPECT_FLOAT_EQ(p.pmax_pct, 49.58f);
  EXPECT_FLOAT_EQ(p.max_distance_m, 751);
  // The farthest row reaching 10 %: the last automated line (20000 m, 12.58 %), although the
  // complex-terrain rows at 2000 and 5000 m stand below it; no row lies farther out.
  EXPECT_FLOAT_EQ(p.d10_m, 20000);
  EXPECT_EQ(p.d10_text, "大于20000");
}

TEST(Screen3Estimate, SecondPollutantFillsTheSameRows) {
  const Screen3Result r = tableFromSample({0.5, 0.2});
  ASSERT_EQ(r.table.rows.size(), 52u);
  EXPECT_EQ(r.table.rows[8][6], "0.2479");
  EXPECT_EQ(r.table.rows[8][7], "123.95");
  // At 0.2 mg/m3 the last complex row reaches 46.4 %, but the automated line at 20000 m
  // (31.45 %) lies farther out.
  EXPECT_EQ(r.table.rows[51][7], "46.445");
  EXPECT_FLOAT_EQ(r.pollutants[1].d10_m, 20000);
  EXPECT_EQ(r.pollutants[1].d10_text, "大于20000");
}

TEST(Screen3Estimate, SummaryNamesTheLargestPmax) {
  Screen3Result r = tableFromSample({0.5, 0.2});
  models::air::finishSummary(r);
  EXPECT_EQ(r.chosen, 1);
  EXPECT_EQ(r.summary,
            "所筛选的污染物中NO2的Pmax最大\r\n建议评价工作等级：一级\r\n"
            "NO2下风向最大浓度C：0.2479 [mg/m^3],浓度占标率P：123.95 [％]\r\n"
            "下风向最大距离：751 [m],相对源高：0 [m]\r\n各污染物详细结果如下：\r\n"
            "SO2:Pmax=49.58[%];D10=大于20000[m]\r\nNO2:Pmax=123.95[%];D10=大于20000[m]\r\n");
  // Equal Pmax: the first pollutant in the table is named.
  r = tableFromSample({0.5, 0.5});
  r.pollutants[1].name = "TSP";
  models::air::finishSummary(r);
  EXPECT_EQ(r.chosen, 0);
}

TEST(Screen3Estimate, GradeRule) {
  EXPECT_EQ(models::air::gradeText(80, 5000), "一级");
  EXPECT_EQ(models::air::gradeText(79.9f, 5000),
            "二级\n如果污染源距厂界最近距离>5000m,调整评价工作等级为三级。");
  EXPECT_EQ(models::air::gradeText(80, 4999),
            "二级\n如果污染源距厂界最近距离>4999m,调整评价工作等级为三级。");
  EXPECT_EQ(models::air::gradeText(10, 0), "三级");
  EXPECT_EQ(models::air::gradeText(9.99f, 3000), "三级");
}

TEST(Screen3Estimate, ChecksBeforeAnyRun) {
  screen::RunOptions never;
  never.program = "/nonexistent/kuvascreen";
  auto stop = [&](const Screen3Input& in) {
    const Screen3Result r = models::air::computeScreen3(in, screen::programStep(never));
    return r.stop ? r.stop->message : std::string("(none)");
  };
  Screen3Input in = defaultInput();
  in.source.met = screen::MetMode::StabilityWind;
  in.source.stability = 0;
  in.source.wind10_m_s = 3.5f;
  EXPECT_EQ(stop(in), "稳定度A时10m风速应在1到3 m/s之间，请重新输入！");
  in.source.stability = 3;
  in.source.wind10_m_s = 0.5f;
  EXPECT_EQ(stop(in), "稳定度D时10m风速应在1到20 m/s之间，请重新输入！");

  in = defaultInput();
  in.source.automated.clear();
  EXPECT_EQ(stop(in), "简单地形连续自动点输入表格中没有数据，请至少输入一行！");
  in.source.automated = {{"1000", "10"}, {"800", "10"}};
  EXPECT_EQ(stop(in), "简单地形连续自动点输入第2行的距离必须大于上一行的距离，请重新输入！");
  in.source.automated = {{"1000", "10"}, {"2000", "5"}};
  EXPECT_EQ(stop(in),
            "简单地形连续自动点输入第2行的相对源高不能低于上一行的相对源高，请重新输入！");
  in.source.automated = {{"1000", "x"}};
  EXPECT_EQ(stop(in), "简单地形连续自动点输入第1行的相对源高不是数字，请重新输入！");

  in = defaultInput();
  in.source.points = {{"300", "0"}, {"0.5", "0"}};
  EXPECT_EQ(stop(in), "任意地形任意点输入第2行的距离应在1到100000 m之间，请重新输入！");
  in.source.points = {{"300", "-2"}};
  EXPECT_EQ(stop(in), "任意地形任意点输入第1行的相对源高不能小于0，请重新输入！");

  // A negative exit velocity makes the program start its questions over.
  in = defaultInput();
  in.source.velocity_m_s = -1;
  const Screen3Result refused = models::air::computeScreen3(in, screen::programStep(never));
  ASSERT_TRUE(refused.stop);
  EXPECT_EQ(refused.stop->message, "烟气流速不能小于0，请重新输入！");
  EXPECT_EQ(refused.stop->focus, "Vs");

  in = defaultInput();
  in.source.type = screen::SourceType::Area;
  in.source.automated.clear();  // not used by an area source
  in.source.area_length_m = 110;
  EXPECT_EQ(stop(in), "要求面源的两条边比值不超过10，超出的宜分成多个面源！");
}

TEST(Screen3Estimate, PollutantRowMessagesInOrder) {
  screen::RunOptions never;
  never.program = "/nonexistent/kuvascreen";
  Screen3Input in = defaultInput();
  in.pollutants = {{"NO2", "", "0.24"}};
  Screen3Result r = models::air::computeScreen3(in, screen::programStep(never));
  ASSERT_TRUE(r.stop);
  EXPECT_EQ(r.stop->message, "污染物NO2源强不能为空");
  EXPECT_EQ(r.stop->tab, 0);
  in.pollutants = {{"NO2", "1", "0"}};
  EXPECT_EQ(models::air::computeScreen3(in, screen::programStep(never)).stop->message,
            "污染物NO2标准值不能为空");
  in.pollutants = {{"", "1", "0.5"}};
  EXPECT_EQ(models::air::computeScreen3(in, screen::programStep(never)).stop->message,
            "污染物名称不能为空");
  // A program that cannot be started is reported, not waited for.
  in.pollutants = {{"SO2", "1", "0.5"}};
  r = models::air::computeScreen3(in, screen::programStep(never));
  ASSERT_TRUE(r.stop);
  EXPECT_NE(r.stop->message.find("/nonexistent/kuvascreen"), std::string::npos);
  EXPECT_EQ(r.stop->tab, -1);

  // A run that stops before its results summary is reported, not read as zeros.
  const std::filesystem::path fake =
      std::filesystem::temp_directory_path() / "kuva-screen3-truncated.sh";
  std::ofstream(fake) << "#!/bin/sh\nhead -c 200 > SCREEN.OUT\nexit 2\n";
  std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
  screen::RunOptions truncated;
  truncated.program = fake.string();
  r = models::air::computeScreen3(in, screen::programStep(truncated));
  std::filesystem::remove(fake);
  ASSERT_TRUE(r.stop);
  EXPECT_EQ(r.stop->message,
            "污染物SO2的SCREEN.OUT中没有计算结果汇总，筛选程序没有正常结束（退出码 2）。");
  EXPECT_TRUE(r.pollutants.empty());
}

// Cells were read loosely: "0x10" as 16, "1abc" as 1, and a standard of -0.5, nan or 1e-320
// gave negative, nan or infinite shares. They are read by the form's number rule now.
TEST(Screen3Estimate, PollutantCellsAreReadStrictly) {
  screen::RunOptions never;
  never.program = "/nonexistent/kuvascreen";
  auto stop = [&](const std::string& q, const std::string& standard) {
    Screen3Input in = defaultInput();
    in.pollutants = {{"NO2", q, standard}};
    const Screen3Result r = models::air::computeScreen3(in, screen::programStep(never));
    return r.stop ? r.stop->message : std::string("(none)");
  };
  const std::string rate = "污染物表格第1行的源强[g/s]";
  const std::string standard = "污染物表格第1行的标准[mg/m^3]";
  EXPECT_EQ(stop("0x10", "0.24"), rate + "不是数字，请重新输入！");
  EXPECT_EQ(stop("1abc", "0.24"), rate + "不是数字，请重新输入！");
  EXPECT_EQ(stop("nan", "0.24"), rate + "不是数字，请重新输入！");
  EXPECT_EQ(stop("1e39", "0.24"), rate + "必须是大于0的有限数值，请重新输入！");
  EXPECT_EQ(stop("1", "一级"), standard + "不是数字，请重新输入！");
  EXPECT_EQ(stop("1", "-0.5"), standard + "必须是大于0的有限数值，请重新输入！");
  EXPECT_EQ(stop("1", "1e-320"), standard + "必须是大于0的有限数值，请重新输入！");
  EXPECT_EQ(stop("1", "inf"), standard + "不是数字，请重新输入！");
  EXPECT_EQ(stop("-2", "0.24"), "污染物NO2源强必须大于0");
  // A good row gets as far as the run.
  EXPECT_NE(stop(" 0.5 ", "0.24").find("/nonexistent/kuvascreen"), std::string::npos);

  // The row number counts from the first data row.
  Screen3Input in = defaultInput();
  in.pollutants = {{"SO2", "1", "0.5"}, {"NO2", "1", "x"}};
  const auto fake = [](const std::string&) {
    screen::RunResult res;
    res.status = screen::RunStatus::Ok;
    std::ifstream f(std::string(KUVA_TEST_DATA_DIR) + "/screen3/io-point-multirange/SCREEN.OUT");
    std::ostringstream s;
    s << f.rdbuf();
    res.report = s.str();
    return res;
  };
  const Screen3Result r = models::air::computeScreen3(in, fake);
  ASSERT_TRUE(r.stop);
  EXPECT_EQ(r.stop->message, "污染物表格第2行的标准[mg/m^3]不是数字，请重新输入！");
  EXPECT_EQ(r.pollutants.size(), 1u);  // the first pollutant's columns are kept
}

std::string sampleText(const std::string& name) {
  std::ifstream f(std::string(KUVA_TEST_DATA_DIR) + "/screen3/" + name + "/SCREEN.OUT");
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// A run step that hands back a report without starting anything.
screen::RunStep reportStep(std::string report) {
  return [report = std::move(report)](const std::string&) {
    screen::RunResult res;
    res.status = screen::RunStatus::Ok;
    res.exit_code = 0;
    res.report = report;
    return res;
  };
}

// Pmax follows the run's true maximum: here the second building-cavity line (1081 ug/m3),
// which the first two summary lines (491.7 and 855.6) do not hold.
TEST(Screen3Estimate, PmaxFromTheLargestSummaryLine) {
  const Screen3Result r =
      models::air::computeScreen3(defaultInput(), reportStep(sampleText("pt-ss-cavity")));
  ASSERT_FALSE(r.stop) << r.stop->message;
  const auto& p = r.pollutants[0];
  EXPECT_FLOAT_EQ(p.cmax_mg_m3, 1.081f);
  EXPECT_FLOAT_EQ(p.pmax_pct, 216.2f);
  EXPECT_FLOAT_EQ(p.max_distance_m, 50);
  EXPECT_FLOAT_EQ(p.max_terrain_m, 0);
  size_t maxima = 0;
  for (size_t k = 0; k < r.table.rows.size(); ++k) {
    if (r.row_kinds[k] != Screen3RowKind::Maximum) continue;
    ++maxima;
    EXPECT_EQ(r.table.rows[k][0], "最大值简单地形");
    EXPECT_EQ(r.table.rows[k][5], "216.2");
  }
  EXPECT_EQ(maxima, 1u);
}

// An overflowed concentration ("*****", e.g. a rate of 1e37 g/s) was read as 0 and the run
// ended "三级" as if it had succeeded.
TEST(Screen3Estimate, UnreadableReportFieldStopsTheRun) {
  std::string text = sampleText("pt-complex");
  const size_t at = text.find(" SIMPLE TERRAIN       194.5");
  ASSERT_NE(at, std::string::npos);
  text.replace(at + 19, 10, "**********");
  const Screen3Result r = models::air::computeScreen3(defaultInput(), reportStep(text));
  ASSERT_TRUE(r.stop);
  EXPECT_EQ(r.stop->message.rfind("污染物SO2的SCREEN.OUT第", 0), 0u) << r.stop->message;
  EXPECT_NE(r.stop->message.find("的数字无法读取：“**********”，筛选程序的结果不可用。"),
            std::string::npos)
      << r.stop->message;
  EXPECT_TRUE(r.pollutants.empty());
  EXPECT_TRUE(r.table.rows.empty());
}

// D10 is the largest distance among the rows reaching 10 %, not the bottom-most such row.
TEST(Screen3Estimate, D10IsTheFarthestQualifyingRow) {
  Screen3Result r;
  r.table.headers.assign(6, "");
  auto row = [&](const char* d, const char* share) {
    r.table.rows.push_back({"", "", d, "0", "0", share});
  };
  row("1000", "50");
  row("25000", "12");  // the last automated row
  row("751", "148");   // the maximum row
  row("4000", "30");   // a complex-terrain point at the bottom
  float d10 = 0;
  std::string text;
  models::air::findD10(r, 0, &d10, &text);
  EXPECT_FLOAT_EQ(d10, 25000);
  EXPECT_EQ(text, "大于25000");
  EXPECT_EQ(models::air::gradeText(148, d10), "一级");
  // A farther row below 10 % makes the text a plain distance.
  row("30000", "9.99");
  models::air::findD10(r, 0, &d10, &text);
  EXPECT_FLOAT_EQ(d10, 25000);
  EXPECT_EQ(text, "25000");
  // No row reaching 10 %: no D10.
  for (auto& x : r.table.rows) x[5] = "1";
  models::air::findD10(r, 0, &d10, &text);
  EXPECT_FLOAT_EQ(d10, 0);
  EXPECT_EQ(text, "");
}

TEST(Screen3Estimate, TableTextForms) {
  using Rows = std::vector<std::vector<std::string>>;
  EXPECT_EQ(models::air::parseTableText("SO2\t1\t0.5\nNO2\t0.5\t0.24\n"),
            (Rows{{"SO2", "1", "0.5"}, {"NO2", "0.5", "0.24"}}));
  EXPECT_EQ(models::air::parseTableText("污染物,源强[g/s],标准[mg/m^3];SO2, 1 ,0.5"),
            (Rows{{"SO2", "1", "0.5"}}));
  EXPECT_EQ(models::air::parseTableText(R"([["SO2", 1, "0.5"], {"d": 5000, "h": "0"}])"),
            (Rows{{"SO2", "1", "0.5"}, {"5000", "0"}}));
  EXPECT_TRUE(models::air::parseTableText("").empty());
  // JSON escapes are decoded; malformed JSON is refused with its position.
  EXPECT_EQ(models::air::parseTableText(R"([["a\tb", "\u4e8c\u7532\u82ef"]])"),
            (Rows{{"a\tb", "二甲苯"}}));
  try {
    models::air::parseTableText("[[\"unclosed\"");
    ADD_FAILURE() << "malformed JSON was read";
  } catch (const models::air::TableTextError& e) {
    EXPECT_NE(std::string(e.what()).find("第13个字符处"), std::string::npos) << e.what();
  }
  EXPECT_THROW(models::air::parseTableText("[[1, true]]"), models::air::TableTextError);
  EXPECT_THROW(models::air::parseTableText("[1, 2]"), models::air::TableTextError);
  core::Values v = core::defaultValues(models::air::screen3EstimateDesc());
  v.setText("pollutants", "[[\"SO2\", 1, 0.5]");
  const Screen3Input bad = models::air::screen3InputFromValues(v);
  EXPECT_EQ(bad.table_error.rfind("污染物表格的JSON文本在第", 0), 0u) << bad.table_error;
  screen::RunOptions never;
  never.program = "/nonexistent/kuvascreen";
  const Screen3Result refused = models::air::computeScreen3(bad, screen::programStep(never));
  ASSERT_TRUE(refused.stop);
  EXPECT_EQ(refused.stop->message, bad.table_error);
  const Rows rows{{"5000", "0"}, {"6000", "10"}};
  EXPECT_EQ(models::air::parseTableText(models::air::tableText(rows)), rows);
}

TEST(Screen3Estimate, PollutantStandardsAndVolumeDimensions) {
  EXPECT_EQ(models::air::screen3DefaultStandard("NO2"), "0.24");
  EXPECT_EQ(models::air::screen3DefaultStandard("苯"), "2.4");
  EXPECT_EQ(models::air::screen3DefaultStandard("甲苯"), "");
  auto d = models::air::volumeInitialDims(100, 100, 15, 0, 10);
  EXPECT_FALSE(d.sigma_y0_changed);
  EXPECT_NEAR(d.sigma_z0_m, 6.97674f, 1e-5);
  d = models::air::volumeInitialDims(43, 20, 15, 1, 10);
  EXPECT_TRUE(d.sigma_y0_changed);
  EXPECT_FLOAT_EQ(d.sigma_y0_m, 10);
  EXPECT_FLOAT_EQ(d.sigma_z0_m, static_cast<float>(15 / 4.3));
  d = models::air::volumeInitialDims(20, 43, 15, 2, 21.5f);
  EXPECT_FLOAT_EQ(d.sigma_y0_m, 10);
  EXPECT_FLOAT_EQ(d.sigma_z0_m, 10);
}

}  // namespace
