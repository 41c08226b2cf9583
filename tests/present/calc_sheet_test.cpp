// Calculation sheet model: inputs as the reviewer reads them (name, symbol, value, unit), the
// method, results, text and tables in HTML; wide tables turned or split, long ones cut.
#include "present/calc_sheet.h"

#include <gtest/gtest.h>

#include "core/format.h"

namespace {

core::CalculatorDesc makeDesc() {
  core::CalculatorDesc d;
  d.id = "demo";
  d.title = "示例";
  d.category = "水预测工具";
  d.method = "手册";
  d.formulas = "C = q·2\nD = C + 1";
  d.fields.push_back(core::inputField("q", 1, "流量q", "m^3/s", 2.5));
  auto fuel = core::inputField("fuel", 2, "原料", "", 1, {}, core::FieldType::Choice);
  fuel.choices = {"油", "煤"};
  d.fields.push_back(fuel);
  d.fields.push_back(core::inputField("flag", 3, "只算混合", "", 0, {}, core::FieldType::CheckBox));
  d.fields.push_back(core::resultField("C", 4, "浓度", "mg/L"));
  d.fields.push_back(core::resultField("D", 5, "未算", "m"));
  return d;
}

TEST(CalcSheet, RowsFollowTheFormAndTheOutcome) {
  const auto d = makeDesc();
  core::Values in = core::defaultValues(d);
  in.setText("q", "2.50");
  core::Outcome o;
  o.results.setNum("C", 0.8125);
  o.updated_inputs.setNum("fuel", 0);
  o.text = "第一行\r\n第二行\r\n";
  o.tables.push_back({"浓度表", {"距离m", "浓度"}, {{"100", "<1>"}}, {}});
  const auto s = present::buildSheet(d, in, o, "2026-12-07");
  EXPECT_EQ(s.title, "计算书：示例");
  EXPECT_EQ(s.method, "手册");
  EXPECT_EQ(s.formulas, (std::vector<std::string>{"C = q·2", "D = C + 1"}));
  ASSERT_EQ(s.inputs.size(), 3u);
  EXPECT_EQ(s.inputs[0].value, "2.50") << "a number as typed";
  EXPECT_EQ(s.inputs[0].label, "流量");
  EXPECT_EQ(s.inputs[0].symbol, "q");
  EXPECT_EQ(s.inputs[0].unit, "m³/s");
  EXPECT_EQ(s.inputs[1].value, "油") << "the entry the compute chose";
  EXPECT_EQ(s.inputs[2].value, "否");
  ASSERT_EQ(s.results.size(), 1u) << "only results the outcome holds";
  EXPECT_EQ(s.results[0].value, "0.8125");
  EXPECT_EQ(s.text, (std::vector<std::string>{"第一行", "第二行"}));
  // A large number is printed whole where the field would show an exponent.
  core::Values big = in;
  big.setNum("q", 41825632.f);
  big.setText("q", "");
  o.results.setNum("C", -12345678.25);
  const auto wide = present::buildSheet(d, big, o, "2026-12-07");
  EXPECT_EQ(wide.inputs[0].value, "41,825,632");
  EXPECT_EQ(wide.results[0].value, "-12,345,678.25");

  const std::string h = present::sheetToHtml(s, {"pic.png"});
  EXPECT_NE(h.find("<thead><tr><th>距离m</th><th>浓度</th></tr></thead>"), std::string::npos);
  EXPECT_NE(h.find("<td class=\"n\">&lt;1&gt;</td>"), std::string::npos);
  EXPECT_NE(h.find("<td class=\"formula\">D = C + 1</td>"), std::string::npos);
  EXPECT_NE(h.find("<img src=\"pic.png\">"), std::string::npos);
  EXPECT_EQ(present::sheetToHtml(s).find("<img"), std::string::npos);
}

core::Table distancesAcross(size_t n) {
  core::Table t{"噪声", {"距离m"}, {{"声压级dB"}, {"A声级dBA"}}, {}};
  for (size_t i = 1; i <= n; ++i) {
    t.headers.push_back(std::to_string(i));
    t.rows[0].push_back(core::cformat("%.2f", 80.0 - static_cast<double>(i) / 100));
    t.rows[1].push_back(core::cformat("%.2f", 70.0 - static_cast<double>(i) / 100));
  }
  return t;
}

// A table with the distances across the page is printed one row per distance; one that fits
// stays as the program shows it; past the row limit the rest is counted and named.
TEST(CalcSheet, WideTablesTurnToOneRowPerDistanceAndLongOnesAreCut) {
  const auto narrow = present::sheetTable(distancesAcross(3));
  EXPECT_EQ(narrow.headers.size(), 4u);
  EXPECT_EQ(narrow.rows.size(), 2u);

  const auto turned = present::sheetTable(distancesAcross(20));
  EXPECT_EQ(turned.headers, (std::vector<std::string>{"距离m", "声压级dB", "A声级dBA"}));
  ASSERT_EQ(turned.rows.size(), 20u);
  EXPECT_EQ(turned.rows[19], (std::vector<std::string>{"20", "79.80", "69.80"}));
  EXPECT_EQ(turned.omitted_rows, 0u);

  core::Table grid{"浓度", {"Y＼X", "20", "40"}, {{"0", "1.5", "1.2"}}, {}};
  for (int x = 60; x <= 2000; x += 20) {
    grid.headers.push_back(std::to_string(x));
    grid.rows[0].push_back("0.0001");
  }
  EXPECT_EQ(present::sheetTable(grid).headers.front(), "X＼Y");

  const auto cut = present::sheetTable(distancesAcross(present::kSheetRowLimit + 500));
  EXPECT_EQ(cut.rows.size(), present::kSheetRowLimit);
  EXPECT_EQ(cut.omitted_rows, 500u);
  present::CalcSheet s;
  s.tables.push_back(cut);
  EXPECT_NE(present::sheetToHtml(s).find(
                "另有 500 行未列出，完整结果表见“结果导入EXCEL”导出的电子表格。"),
            std::string::npos);
}

// A table wide and long at once is split into column blocks, each led by the row titles, and
// none wider than the page.
TEST(CalcSheet, WideLongTablesSplitIntoColumnBlocks) {
  present::SheetTable t;
  t.headers = {"Y＼X"};
  t.rows.assign(40, {"-500"});
  for (int c = 0; c < 30; ++c) {
    t.headers.push_back(std::to_string(100 * c));
    for (auto& r : t.rows) r.push_back("0.000123");
  }
  const auto blocks = present::columnBlocks(t, 500);
  ASSERT_GE(blocks.size(), 2u);
  size_t columns = 0;
  for (const auto& b : blocks) {
    EXPECT_EQ(b.front(), 0u);
    EXPECT_LE(b.size(), blocks.front().size()) << "the first blocks as full as the page allows";
    columns += b.size() - 1;
  }
  EXPECT_EQ(columns, 30u) << "every column printed once";
}

}  // namespace
