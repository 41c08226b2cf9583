#include "present/calc_sheet.h"

#include "core/project_file.h"

namespace present {

namespace {

// An input as a reviewer reads it: the entry of a drop-down or radio group, 是/否 for a box.
std::string inputText(const core::FieldDesc& f, const core::Values& v) {
  const auto& all = v.all();
  auto it = all.find(f.key);
  const core::Value val = it == all.end() ? core::Value{} : it->second;
  if (f.type == core::FieldType::CheckBox) return val.num != 0 ? "是" : "否";
  if (f.type == core::FieldType::Radio || f.type == core::FieldType::Choice) {
    const auto i = static_cast<long long>(val.num);
    if (i >= 0 && static_cast<size_t>(i) < f.choices.size())
      return f.choices[static_cast<size_t>(i)];
  }
  return core::shownValue(f, val);
}

void rowsHtml(std::string& h, const std::vector<SheetRow>& rows) {
  h += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
       "<thead><tr><th>名称</th><th>符号</th><th>数值</th><th>单位</th></tr></thead><tbody>";
  for (const auto& r : rows)
    h += "<tr><td>" + htmlEscape(r.label) + "</td><td>" + htmlEscape(r.symbol) + "</td><td>" +
         htmlEscape(r.value) + "</td><td>" + htmlEscape(r.unit) + "</td></tr>";
  h += "</tbody></table>";
}

void tableHtml(std::string& h, const core::Table& t) {
  if (!t.title.empty()) h += "<h3>" + htmlEscape(t.title) + "</h3>";
  // The header row sits in <thead> so a table running over pages repeats it on each page.
  h += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\"><thead><tr>";
  for (const auto& c : t.headers) h += "<th>" + htmlEscape(c) + "</th>";
  h += "</tr></thead><tbody>";
  for (const auto& row : t.rows) {
    h += "<tr>";
    for (const auto& c : row) h += "<td>" + htmlEscape(c) + "</td>";
    h += "</tr>";
  }
  h += "</tbody></table>";
}

}  // namespace

std::string htmlEscape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

CalcSheet buildSheet(const core::CalculatorDesc& desc, const core::Values& inputs,
                     const core::Outcome& outcome, const std::string& date) {
  CalcSheet s;
  s.title = "计算书：" + desc.title;
  s.date = date;
  s.method = desc.category.empty() ? desc.title : desc.category + " / " + desc.title;
  for (const auto& f : desc.fields) {
    if (f.result) {
      if (outcome.results.has(f.key))
        s.results.push_back({f.label, f.key, core::displayValue(f, outcome.results), f.unit});
      continue;
    }
    // A value the compute rewrote is shown as the page then shows it.
    const core::Values& from = outcome.updated_inputs.has(f.key) ? outcome.updated_inputs : inputs;
    s.inputs.push_back({f.label, f.key, inputText(f, from), f.unit});
  }
  for (char c : outcome.text)
    if (c != '\r') s.text += c;
  s.tables = outcome.tables;
  return s;
}

std::string sheetToHtml(const CalcSheet& s, const std::string& picture_src) {
  std::string h =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + htmlEscape(s.title) +
      "</title><style>body{font-family:'Noto Sans CJK SC','Noto Serif CJK SC',sans-serif;}"
      "table{border-collapse:collapse;} th{background:#e8e8e8;}</style></head><body>";
  h += "<h1>" + htmlEscape(s.title) + "</h1>";
  h += "<p>日期：" + htmlEscape(s.date) + "<br>计算方法：" + htmlEscape(s.method) + "</p>";
  h += "<h2>输入参数</h2>";
  rowsHtml(h, s.inputs);
  if (!s.results.empty()) {
    h += "<h2>计算结果</h2>";
    rowsHtml(h, s.results);
  }
  if (!s.text.empty()) h += "<h2>结果说明</h2><pre>" + htmlEscape(s.text) + "</pre>";
  if (!s.tables.empty()) {
    h += "<h2>结果表</h2>";
    for (const auto& t : s.tables) tableHtml(h, t);
  }
  if (!picture_src.empty()) h += "<h2>图</h2><p><img src=\"" + htmlEscape(picture_src) + "\"></p>";
  h += "</body></html>\n";
  return h;
}

}  // namespace present
