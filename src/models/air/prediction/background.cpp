// Daily background concentrations of a further prediction: the monitored daily series read from a
// CSV, laid over the days of the met year, per protection target or for every receptor. Where
// several monitoring series exist and a receptor has none of its own, the day's mean over them is
// its background (HJ 2.2-2018, 6.4.3: the mean of the monitoring points at the same time).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "models/air/prediction/plant.h"

namespace models::air::prediction {

namespace {

std::string trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  std::string t = s.substr(a, b - a);
  if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
  return t;
}

std::vector<std::string> cellsOf(const std::string& line) {
  std::vector<std::string> out;
  const char sep =
      line.find('\t') != std::string::npos && line.find(',') == std::string::npos ? '\t' : ',';
  size_t a = 0;
  for (;;) {
    const size_t b = line.find(sep, a);
    out.push_back(trim(line.substr(a, b == std::string::npos ? std::string::npos : b - a)));
    if (b == std::string::npos) break;
    a = b + 1;
  }
  return out;
}

bool numberOf(const std::string& s, double& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return *end == 0 && std::isfinite(v);
}

// yyyy-mm-dd, yyyy/mm/dd or yyyymmdd as yyyymmdd; 0 when it is not a date of the calendar.
long dateOf(const std::string& s) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (s.size() == 8 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    y = std::atoi(s.substr(0, 4).c_str()), m = std::atoi(s.substr(4, 2).c_str()),
    d = std::atoi(s.substr(6, 2).c_str());
  else if (std::sscanf(s.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3 &&
           std::sscanf(s.c_str(), "%d/%d/%d%c", &y, &m, &d, &tail) != 3)
    return 0;
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (y < 1900 || y > 2200 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1] ||
      (m == 2 && d == 29 && !leap))
    return 0;
  return (static_cast<long>(y) * 100 + m) * 100 + d;
}

bool isDateHeader(const std::string& s) {
  std::string k;
  for (char c : s) k += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k == "date" || k == "日期";
}

}  // namespace

std::string readBackgroundCsv(const std::string& text, const std::string& file,
                              BackgroundTable& out) {
  out = BackgroundTable{};
  const std::string where = "背景日均序列文件 " + file;
  size_t width = 0;  // cells per line
  bool dated = false, decided = false;
  std::vector<std::string> header;
  long lineno = 0;
  size_t a = 0;
  while (a <= text.size()) {
    size_t b = text.find('\n', a);
    if (b == std::string::npos) b = text.size();
    std::string line = text.substr(a, b - a);
    a = b + 1;
    ++lineno;
    if (lineno == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // a UTF-8 BOM
    if (trim(line).empty()) continue;
    const std::vector<std::string> c = cellsOf(line);
    if (width == 0) {
      width = c.size();
      double v = 0;
      bool values = true;
      for (size_t i = 0; i < c.size(); ++i)
        values = values && (numberOf(c[i], v) || (i == 0 && dateOf(c[i]) != 0));
      if (!values) {  // a header
        header = c;
        continue;
      }
    }
    if (!decided) {
      // A date column: named so in the header, or written with separators, or without a header
      // a date before the values.
      const bool written = c[0].find_first_of("-/") != std::string::npos;
      dated =
          c.size() > 1 && (header.empty() ? dateOf(c[0]) != 0 : isDateHeader(header[0]) || written);
      if (!header.empty()) out.names.assign(header.begin() + (dated ? 1 : 0), header.end());
      decided = true;
    }
    if (c.size() != width)
      return where + " 第 " + std::to_string(lineno) + " 行有 " + std::to_string(c.size()) +
             " 列，应为 " + std::to_string(width) + " 列。";
    // Without a header the last cell is the day's value for every receptor (a day number or
    // other cells before it are passed over).
    const size_t first = header.empty() ? width - 1 : dated ? 1 : 0;
    if (out.columns.empty()) out.columns.resize(width - first);
    if (out.columns.empty()) return where + " 没有浓度列。";
    if (dated) {
      const long d = dateOf(c[0]);
      if (d == 0)
        return where + " 第 " + std::to_string(lineno) + " 行的日期“" + c[0] + "”无法读取。";
      if (!out.dates.empty() && d <= out.dates.back())
        return where + " 第 " + std::to_string(lineno) + " 行的日期“" + c[0] + "”不在上一行之后。";
      out.dates.push_back(d);
    }
    for (size_t i = first; i < c.size(); ++i) {
      double v = 0;
      if (!numberOf(c[i], v) || v < 0)
        return where + " 第 " + std::to_string(lineno) + " 行第 " + std::to_string(i + 1) + " 列“" +
               c[i] + "”不是非负的数字。";
      out.columns[i - first].push_back(v);
    }
  }
  if (out.columns.empty() || out.columns[0].empty()) return where + " 没有数据行。";
  return {};
}

std::string applyBackground(const MetSummary& met, const std::vector<TargetSpec>& targets,
                            PollutantSpec& p) {
  p.bg_series.clear();
  p.bg_target_series.clear();
  const BackgroundTable& t = p.bg_table;
  if (t.empty()) return {};
  const std::string where = "污染物“" + p.name + "”的背景日均序列文件 " + p.bg_file;
  std::vector<long> days;  // yyyymmdd of the met period
  for (long h : met.dates)
    if (days.empty() || h / 100 != days.back()) days.push_back(h / 100);
  // The row of each met day.
  std::vector<size_t> row(days.size());
  if (t.dates.empty()) {
    if (t.columns[0].size() != days.size())
      return where + " 有 " + std::to_string(t.columns[0].size()) + " 天，与气象数据（" +
             std::to_string(met.year) + " 年）的 " + std::to_string(days.size()) + " 天不符。";
    for (size_t d = 0; d < days.size(); ++d) row[d] = d;
  } else {
    std::map<long, size_t> at;
    std::set<long> years;
    for (size_t r = 0; r < t.dates.size(); ++r)
      at[t.dates[r]] = r, years.insert(t.dates[r] / 10000);
    for (size_t d = 0; d < days.size(); ++d) {
      const auto it = at.find(days[d]);
      if (it != at.end()) {
        row[d] = it->second;
        continue;
      }
      if (!years.count(days[d] / 10000))
        return where + " 是 " + std::to_string(*years.begin()) + " 年的，气象数据是 " +
               std::to_string(days[d] / 10000) + " 年的。";
      const long k = days[d];
      return where + " 缺少 " + std::to_string(k / 10000) + "-" +
             std::to_string(k / 100 % 100 + 100).substr(1) + "-" +
             std::to_string(k % 100 + 100).substr(1) + " 的数据。";
    }
  }
  auto series = [&](size_t col) {
    std::vector<double> s(days.size());
    for (size_t d = 0; d < days.size(); ++d) s[d] = t.columns[col][row[d]];
    return s;
  };
  if (t.columns.size() == 1) {
    p.bg_series = series(0);
    return {};
  }
  for (size_t c = 0; c < t.columns.size(); ++c) {
    const std::string& n = t.names[c];
    if (n == "全部" || n == "所有") {
      p.bg_series = series(c);
      continue;
    }
    const bool known = std::any_of(targets.begin(), targets.end(),
                                   [&](const TargetSpec& tg) { return tg.name == n; });
    if (!known)
      return where + " 的列“" + n + "”不是保护目标的名称（适用于其余各点的列写作“全部”）。";
    p.bg_target_series.emplace_back(n, series(c));
  }
  return {};
}

}  // namespace models::air::prediction
