#include "present/calc_sheet.h"

#include <algorithm>
#include <cmath>

#include "core/format.h"
#include "core/project_file.h"

namespace present {

namespace {

// The text width of the sheet's printed pages: A4 less 15 mm margins, in points.
constexpr double kPageWidthPt = 500;
constexpr double kTableFontPt = 8;
constexpr double kCellPaddingPt = 5;  // padding and rules of a table cell
constexpr double kTextFontPt = 7;
constexpr size_t kRowsPerPiece = 50;
constexpr double kTextColumnGapPt = 12;
constexpr size_t kTextColumnsFrom = 40;  // a result text of more lines is set in columns

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

// A large number the field shows in exponent form ("4.18256e+07") is printed whole, with its
// thousands grouped ("41,825,632"), as long as that fits in a sheet's cell.
std::string readableNumber(const core::FieldDesc& f, const core::Values& v, std::string shown) {
  const bool numeric = f.type == core::FieldType::Float || f.type == core::FieldType::Double;
  if (!numeric || !v.has(f.key) || shown.find('e') == std::string::npos) return shown;
  const double x = v.num(f.key);
  if (!std::isfinite(x) || std::fabs(x) < 1e6 || std::fabs(x) >= 1e15) return shown;
  std::string fixed = core::cformat(std::floor(x) == x ? "%.0f" : "%.2f", x);
  const size_t point = fixed.find('.');
  const size_t digits_end = point == std::string::npos ? fixed.size() : point;
  const size_t digits_begin = fixed[0] == '-' ? 1 : 0;
  for (size_t i = digits_end; i > digits_begin + 3;) {
    i -= 3;
    fixed.insert(i, 1, ',');
  }
  return fixed;
}

SheetRow sheetRow(const core::FieldDesc& f, std::string value) {
  const core::Notation n = core::notationOf(f);
  return {n.name, n.symbol, std::move(value), n.unit};
}

// Widths of text at a font size, in points: ideographs and full-width forms take a full em,
// Latin letters and digits a little over half of one.
double textWidth(const std::string& s, double font_pt) {
  double em = 0;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      em += (c == '.' || c == ',' || c == ' ' || c == 'i' || c == 'l') ? 0.3 : 0.56;
      ++i;
    } else if (c >= 0xE0) {
      em += 1.0;
      i += c >= 0xF0 ? 4 : 3;
    } else {
      em += 0.6;
      i += 2;
    }
  }
  return em * font_pt;
}

// The narrowest a header can be set: it may wrap between ideographs onto three lines, never
// inside a run of Latin letters or digits.
double headerWidth(const std::string& s, double font_pt) {
  double longest_run = 0, run = 0;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 && c != ' ') {
      run += 0.6 * font_pt;
      ++i;
      continue;
    }
    longest_run = std::max(longest_run, run);
    run = 0;
    i += c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  }
  longest_run = std::max(longest_run, run);
  return std::max(longest_run, textWidth(s, font_pt) / 3);
}

std::vector<double> columnWidths(const std::vector<std::string>& headers,
                                 const std::vector<std::vector<std::string>>& rows) {
  std::vector<double> w(headers.size(), 0);
  for (size_t c = 0; c < headers.size(); ++c) w[c] = headerWidth(headers[c], kTableFontPt);
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size() && c < w.size(); ++c)
      w[c] = std::max(w[c], textWidth(row[c], kTableFontPt));
  for (auto& x : w) x += kCellPaddingPt;
  return w;
}

// "Y＼X" read the other way round.
std::string swappedCorner(const std::string& corner) {
  for (const std::string sep : {"＼", "\\", "/"}) {
    const size_t at = corner.find(sep);
    if (at != std::string::npos) return corner.substr(at + sep.size()) + sep + corner.substr(0, at);
  }
  return corner;
}

void rowsHtml(std::string& h, const std::vector<SheetRow>& rows) {
  h += "<table class=\"fields\" border=\"1\" cellspacing=\"0\" cellpadding=\"1\" width=\"100%\">"
       "<thead><tr><th width=\"52%\">名称</th><th width=\"14%\">符号</th><th width=\"20%\">数值"
       "</th><th width=\"14%\">单位</th></tr></thead><tbody>";
  for (const auto& r : rows)
    h += "<tr><td>" + htmlEscape(r.label) + "</td><td>" + htmlEscape(r.symbol) + "</td><td>" +
         htmlEscape(r.value) + "</td><td>" + htmlEscape(r.unit) + "</td></tr>";
  h += "</tbody></table>";
}

void tableHtml(std::string& h, const SheetTable& t) {
  if (!t.title.empty()) h += "<h3>" + htmlEscape(t.title) + "</h3>";
  const auto blocks = columnBlocks(t, kPageWidthPt);
  for (size_t b = 0; b < blocks.size(); ++b) {
    if (blocks.size() > 1)
      h += "<p class=\"note\">（第 " + std::to_string(b + 1) + " 部分，共 " +
           std::to_string(blocks.size()) + " 部分）</p>";
    // Cells never wrap, so no number is split. A long table is set as a run of tables of
    // kRowsPerPiece rows, each led by the header row (the text layout takes time growing faster
    // than the rows of one table); the header sits in <thead> so a piece running over a page
    // repeats it there.
    std::string head =
        "<table class=\"data\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">"
        "<thead><tr>";
    for (size_t c : blocks[b]) head += "<th>" + htmlEscape(t.headers[c]) + "</th>";
    head += "</tr></thead><tbody>";
    for (size_t from = 0; from < t.rows.size() || from == 0; from += kRowsPerPiece) {
      h += head;
      for (size_t r = from; r < std::min(t.rows.size(), from + kRowsPerPiece); ++r) {
        h += "<tr>";
        for (size_t c : blocks[b])
          h += "<td class=\"n\">" +
               htmlEscape(c < t.rows[r].size() ? t.rows[r][c] : std::string()) + "</td>";
        h += "</tr>";
      }
      h += "</tbody></table>";
    }
  }
  if (t.omitted_rows > 0)
    h += "<p class=\"note\">另有 " + std::to_string(t.omitted_rows) +
         " 行未列出，完整结果表见“结果导入EXCEL”导出的电子表格。</p>";
}

// The result text; a long one in side-by-side columns when its lines are short enough.
void textHtml(std::string& h, const CalcSheet& s) {
  const auto& lines = s.text;
  size_t columns = 1;
  if (lines.size() > kTextColumnsFrom) {
    double widest = 0;
    for (const auto& l : lines) widest = std::max(widest, textWidth(l, kTextFontPt));
    columns = static_cast<size_t>(kPageWidthPt / (widest + kTextColumnGapPt));
    columns = std::clamp<size_t>(columns, 1, 3);
  }
  const size_t per_column = (lines.size() + columns - 1) / columns;
  auto block = [&](size_t from) {
    std::string t;
    for (size_t i = from; i < std::min(lines.size(), from + per_column); ++i)
      t += htmlEscape(lines[i]) + "\n";
    if (!t.empty()) t.pop_back();
    return "<pre>" + t + "</pre>";
  };
  if (columns == 1) {
    h += block(0);
  } else {
    h += "<table class=\"text\" cellspacing=\"0\" cellpadding=\"0\" width=\"100%\"><tr>";
    for (size_t c = 0; c < columns; ++c)
      h += "<td valign=\"top\" width=\"" + std::to_string(100 / columns) + "%\">" +
           block(c * per_column) + "</td>";
    h += "</tr></table>";
  }
  if (s.omitted_text_lines > 0)
    h += "<p class=\"note\">以下 " + std::to_string(s.omitted_text_lines) +
         " 行未列出，完整结果见计算页面的结果文本。</p>";
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

SheetTable sheetTable(const core::Table& t) {
  SheetTable s;
  s.title = t.title;
  const size_t ncols = t.headers.size();
  double wide = 0;
  // Only the first rows are measured: enough to tell a table running across the page.
  const std::vector<std::vector<std::string>> probe(
      t.rows.begin(),
      t.rows.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(t.rows.size(), 50)));
  for (double w : columnWidths(t.headers, probe)) wide += w;
  const bool turn = ncols > 1 && wide > kPageWidthPt && t.rows.size() + 1 < ncols;
  if (!turn) {
    s.headers = t.headers;
    const size_t keep = std::min(t.rows.size(), kSheetRowLimit);
    s.rows.assign(t.rows.begin(), t.rows.begin() + static_cast<std::ptrdiff_t>(keep));
    s.omitted_rows = t.rows.size() - keep;
    return s;
  }
  // Turned: the first column of each row becomes a column header, each further column a row.
  s.headers.push_back(swappedCorner(t.headers[0]));
  for (const auto& row : t.rows) s.headers.push_back(row.empty() ? std::string() : row[0]);
  const size_t keep = std::min(ncols - 1, kSheetRowLimit);
  s.rows.reserve(keep);
  for (size_t c = 1; c <= keep; ++c) {
    std::vector<std::string> r{t.headers[c]};
    for (const auto& row : t.rows) r.push_back(c < row.size() ? row[c] : std::string());
    s.rows.push_back(std::move(r));
  }
  s.omitted_rows = ncols - 1 - keep;
  return s;
}

std::vector<std::vector<size_t>> columnBlocks(const SheetTable& t, double width_pt) {
  std::vector<std::vector<size_t>> blocks;
  if (t.headers.empty()) return blocks;
  const std::vector<double> w = columnWidths(t.headers, t.rows);
  std::vector<size_t> cur{0};
  double used = w[0];
  for (size_t c = 1; c < w.size(); ++c) {
    if (cur.size() > 1 && used + w[c] > width_pt) {
      blocks.push_back(cur);
      cur = {0};
      used = w[0];
    }
    cur.push_back(c);
    used += w[c];
  }
  blocks.push_back(cur);
  return blocks;
}

CalcSheet buildSheet(const core::CalculatorDesc& desc, const core::Values& inputs,
                     const core::Outcome& outcome, const std::string& date) {
  CalcSheet s;
  s.title = "计算书：" + desc.title;
  s.date = date;
  s.method = desc.method;
  size_t from = 0;
  while (from < desc.formulas.size()) {
    size_t end = desc.formulas.find('\n', from);
    if (end == std::string::npos) end = desc.formulas.size();
    if (end > from) s.formulas.push_back(desc.formulas.substr(from, end - from));
    from = end + 1;
  }
  for (const auto& f : desc.fields) {
    if (f.result) {
      if (outcome.results.has(f.key))
        s.results.push_back(sheetRow(
            f, readableNumber(f, outcome.results, core::displayValue(f, outcome.results))));
      continue;
    }
    // A value the compute rewrote is shown as the page then shows it.
    const core::Values& from_values =
        outcome.updated_inputs.has(f.key) ? outcome.updated_inputs : inputs;
    s.inputs.push_back(sheetRow(f, readableNumber(f, from_values, inputText(f, from_values))));
  }
  // The result text line by line, without carriage returns, cut at the line limit.
  size_t at = 0, lines = 0;
  const std::string& text = outcome.text;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (lines < kSheetTextLineLimit) {
      std::string line = text.substr(at, end - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      s.text.push_back(std::move(line));
    } else {
      ++s.omitted_text_lines;
    }
    ++lines;
    at = end + 1;
  }
  for (const auto& t : outcome.tables) s.tables.push_back(sheetTable(t));
  return s;
}

std::string sheetToHtml(const CalcSheet& s, const HtmlOptions& options) {
  // The printed sheet sets ideographs in a font that maps each of them to a glyph of its own
  // (so text copied from the PDF is the text written) and Latin text in the CJK font's Latin.
  const std::string body_font = options.for_print
                                    ? "'Droid Sans Fallback','Noto Sans CJK SC'"
                                    : "'Noto Sans CJK SC','Noto Serif CJK SC',sans-serif";
  const std::string mono_font = options.for_print ? "'Noto Sans Mono','Droid Sans Fallback'"
                                                  : "'Noto Sans Mono CJK SC',monospace";
  std::string h =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + htmlEscape(s.title) +
      "</title><style>body{font-family:" + body_font +
      ";font-size:9pt;} h1{font-size:15pt;} h2{font-size:11pt;margin-top:8pt;margin-bottom:3pt;}"
      " h3{font-size:9pt;margin-bottom:2pt;} table{border-collapse:collapse;}"
      " th{background:#e8e8e8;font-size:8pt;} td{font-size:8pt;line-height:90%;}"
      " td.n{white-space:nowrap;}"
      " p.note{font-size:8pt;}"
      " pre{font-family:" +
      mono_font +
      ";font-size:7pt;margin:0;white-space:pre-wrap;} "
      "td.formula{font-size:9pt;}</style></head><body>";
  if (!options.for_print && !s.project.empty())
    h += "<p class=\"note\">工程：" + htmlEscape(s.project) + "</p>";
  h += "<h1>" + htmlEscape(s.title) + "</h1>";
  h += "<p>日期：" + htmlEscape(s.date) + "</p>";
  h += "<h2>计算方法</h2>";
  if (!s.method.empty()) h += "<p>依据：" + htmlEscape(s.method) + "</p>";
  if (!s.formulas.empty()) {
    h += "<table cellspacing=\"0\" cellpadding=\"1\">";
    for (const auto& f : s.formulas)
      h += "<tr><td class=\"formula\">" + htmlEscape(f) + "</td></tr>";
    h += "</table>";
  }
  h += "<h2>输入参数</h2>";
  rowsHtml(h, s.inputs);
  if (!s.results.empty()) {
    h += "<h2>计算结果</h2>";
    rowsHtml(h, s.results);
  }
  if (!s.text.empty()) {
    h += "<h2>结果说明</h2>";
    textHtml(h, s);
  }
  if (!s.tables.empty()) {
    h += "<h2>结果表</h2>";
    for (const auto& t : s.tables) tableHtml(h, t);
  }
  if (!options.picture_src.empty() || !options.figures.empty()) h += "<h2>图</h2>";
  if (!options.picture_src.empty())
    h += "<p><img src=\"" + htmlEscape(options.picture_src) + "\"></p>";
  // The caption below its image, in the image's paragraph.
  for (const auto& f : options.figures)
    h += "<p align=\"center\"><img src=\"" + htmlEscape(f.src) + "\"><br>" + htmlEscape(f.caption) +
         "</p>";
  if (!options.for_print && !s.version.empty())
    h += "<p class=\"note\">" + htmlEscape(s.version) + "</p>";
  h += "</body></html>\n";
  return h;
}

}  // namespace present
