// Calculation sheet model: inputs as the reviewer reads them, results, text and tables in HTML.
#include "present/calc_sheet.h"

#include <gtest/gtest.h>

namespace {

core::CalculatorDesc makeDesc() {
  core::CalculatorDesc d;
  d.id = "demo";
  d.title = "示例";
  d.category = "水预测工具";
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
  EXPECT_EQ(s.method, "水预测工具 / 示例");
  ASSERT_EQ(s.inputs.size(), 3u);
  EXPECT_EQ(s.inputs[0].value, "2.50") << "a number as typed";
  EXPECT_EQ(s.inputs[1].value, "油") << "the entry the compute chose";
  EXPECT_EQ(s.inputs[2].value, "否");
  ASSERT_EQ(s.results.size(), 1u) << "only results the outcome holds";
  EXPECT_EQ(s.results[0].value, "0.8125");
  EXPECT_EQ(s.text, "第一行\n第二行\n");

  const std::string h = present::sheetToHtml(s, "pic.png");
  EXPECT_NE(h.find("<thead><tr><th>距离m</th><th>浓度</th></tr></thead>"), std::string::npos);
  EXPECT_NE(h.find("<td>&lt;1&gt;</td>"), std::string::npos);
  EXPECT_NE(h.find("<img src=\"pic.png\">"), std::string::npos);
  EXPECT_EQ(present::sheetToHtml(s).find("<img"), std::string::npos);
}

}  // namespace
