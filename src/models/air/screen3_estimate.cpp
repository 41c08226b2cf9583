#include "models/air/screen3_estimate.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "core/format.h"
#include "core/parse.h"

namespace models::air {

namespace {

constexpr double kMgPerUg = 0.001;
constexpr double kShareFactor = 0.1;  // ug/m3 over mg/m3, in percent
constexpr double kD10Share_pct = 10;
constexpr float kGradeOnePmax = 80, kGradeOneD10 = 5000, kGradeTwoPmax = 10;
// Side ratio of an area source beyond which it must be split.
constexpr double kMaxSideRatio = 10;
// Receptors farther than this are refused by the screening program, m.
constexpr double kMaxDistance_m = 100000;
constexpr double kAbsoluteZero_c = -273.15;
// Highest 10 m wind speed the screening program accepts per stability class A..F, m/s.
constexpr double kMaxWind_m_s[6] = {3, 5, 10, 20, 5, 4};
constexpr const char* kAutoTable = "简单地形连续自动点输入";
constexpr const char* kPointTable = "任意地形任意点输入";
constexpr const char* kPollutantTable = "污染物表格";
constexpr const char* kRateColumn = "源强[g/s]";
constexpr const char* kStandardColumn = "标准[mg/m^3]";

double cellNumber(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

std::string toCrLf(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

core::Check notBelow(double v, double min, const char* label, const char* key) {
  if (v >= min) return std::nullopt;
  if (min == 0) return core::fail(std::string(label) + "不能小于0，请重新输入！", key);
  return core::fail(std::string(label) + "不能低于-273.15℃，请重新输入！", key);
}

core::Check checkStackFields(const screen::EstimateSource& s) {
  core::Check f;
  if (s.type == screen::SourceType::Point) {
    if ((f = notBelow(s.stack_m, 0, "烟囱几何高度", "H"))) return f;
    if ((f = notBelow(s.gas_c, kAbsoluteZero_c, "烟气排放温度", "Ts"))) return f;
    if ((f = notBelow(s.diameter_m, 0, "烟囱内径", "D"))) return f;
    if ((f = notBelow(s.velocity_m_s, 0, "烟气流速", "Vs"))) return f;
    if ((f = notBelow(s.ambient_c, kAbsoluteZero_c, "环境温度", "Ta"))) return f;
  } else {
    if ((f = notBelow(s.flare_stack_m, 0, "烟囱几何高度", "flare_h"))) return f;
    if ((f = notBelow(s.heat_cal_s, 0, "总的热释放率", "heat"))) return f;
  }
  if (s.downwash) {
    if ((f = notBelow(s.building_length_m, 0, "建筑物长", "bl"))) return f;
    if ((f = notBelow(s.building_width_m, 0, "建筑物宽", "bw"))) return f;
    if ((f = notBelow(s.building_height_m, 0, "建筑物高", "bh"))) return f;
  }
  return std::nullopt;
}

// Values the screening program would refuse and ask again for; a refused answer shifts every
// later answer of the script onto the wrong question.
core::Check checkSourceFields(const screen::EstimateSource& s) {
  core::Check f;
  if ((f = notBelow(s.receptor_m, 0, "计算点离地高度", "zr"))) return f;
  switch (s.type) {
    case screen::SourceType::Point:
    case screen::SourceType::Flare: return checkStackFields(s);
    case screen::SourceType::Area: {
      if ((f = notBelow(s.area_height_m, 0, "面源有效高度", "area_he"))) return f;
      const double w = s.area_width_m, l = s.area_length_m;
      if (!(w > 0 && l > 0)) return core::fail("面源宽度和长度必须大于0，请重新输入！", "area_w");
      if (l / w > kMaxSideRatio || w / l > kMaxSideRatio)
        return core::fail("要求面源的两条边比值不超过10，超出的宜分成多个面源！", "area_w");
      return std::nullopt;
    }
    case screen::SourceType::Volume:
      if ((f = notBelow(s.volume_height_m, 0, "体源有效高度", "vol_he"))) return f;
      if ((f = notBelow(s.sigma_z0_m, 0, "初始垂直扩散参数σz0", "sz0"))) return f;
      return notBelow(s.sigma_y0_m, 0, "初始横向扩散参数σy0", "sy0");
  }
  return std::nullopt;
}

core::Check checkWind(const screen::EstimateSource& s) {
  if (s.met != screen::MetMode::StabilityWind) return std::nullopt;
  const int k = s.stability < 0 || s.stability > 5 ? 0 : s.stability;
  const double u = s.wind10_m_s;
  if (u >= 1 && u <= kMaxWind_m_s[k]) return std::nullopt;
  return core::fail(core::cformat("稳定度%c时10m风速应在1到%g m/s之间，请重新输入！",
                                  static_cast<char>('A' + k), kMaxWind_m_s[k]),
                    "u10");
}

core::Check tableFail(const char* table, size_t row, const char* what) {
  return core::fail(core::cformat("%s第%zu行%s，请重新输入！", table, row, what));
}

// Ranges of elevated simple terrain: numbers, distances rising, heights not falling.
core::Check checkAutomated(const std::vector<screen::TerrainRow>& t) {
  if (t.empty()) return core::fail("简单地形连续自动点输入表格中没有数据，请至少输入一行！");
  double prev_d = 0, prev_h = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const auto d = core::parseNumber(t[i].distance), h = core::parseNumber(t[i].height);
    if (!d.ok()) return tableFail(kAutoTable, i + 1, "的距离不是数字");
    if (!h.ok()) return tableFail(kAutoTable, i + 1, "的相对源高不是数字");
    if (!(d.value > prev_d && d.value <= kMaxDistance_m))
      return tableFail(kAutoTable, i + 1,
                       i == 0 ? "的距离应大于0且不超过100000 m" : "的距离必须大于上一行的距离");
    if (!(h.value >= 0)) return tableFail(kAutoTable, i + 1, "的相对源高不能小于0");
    if (i > 0 && h.value < prev_h)
      return tableFail(kAutoTable, i + 1, "的相对源高不能低于上一行的相对源高");
    prev_d = d.value;
    prev_h = h.value;
  }
  return std::nullopt;
}

core::Check checkPoints(const std::vector<screen::TerrainRow>& t, bool area) {
  for (size_t i = 0; i < t.size(); ++i) {
    const auto d = core::parseNumber(t[i].distance), h = core::parseNumber(t[i].height);
    if (!d.ok()) return tableFail(kPointTable, i + 1, "的距离不是数字");
    if (!h.ok()) return tableFail(kPointTable, i + 1, "的相对源高不是数字");
    const bool in_range = area ? d.value > 0 : d.value >= 1;
    if (!(in_range && d.value <= kMaxDistance_m))
      return tableFail(kPointTable, i + 1,
                       area ? "的距离应大于0且不超过100000 m" : "的距离应在1到100000 m之间");
    if (!area && !(h.value >= 0)) return tableFail(kPointTable, i + 1, "的相对源高不能小于0");
  }
  return std::nullopt;
}

core::Check cellFail(size_t row, const char* column, const char* what) {
  return core::fail(
      core::cformat("%s第%zu行的%s%s，请重新输入！", kPollutantTable, row, column, what));
}

// A cell of the pollutant table read by the form's number rule. An empty cell or 0 is "empty"
// (nothing); text that is not one whole number is refused.
core::Check pollutantCell(const std::string& text, size_t row, const char* column, double* v) {
  const core::ParsedNumber p = core::parseNumber(text);
  *v = 0;
  if (p.error == core::ParseError::Empty) return std::nullopt;
  if (!p.ok()) return cellFail(row, column, "不是数字");
  *v = p.value;
  return std::nullopt;
}

// The rate and the standard of one pollutant row, in the order the page checks them. Both must
// be positive finite numbers that single precision holds: the program reads the rate as one,
// and a vanishing standard would make the shares infinite.
core::Check checkPollutantRow(const Screen3Pollutant& row, size_t n, double* q, double* standard) {
  core::Check f;
  if ((f = pollutantCell(row.q_text, n, kRateColumn, q))) return f;
  if (*q == 0) return core::fail("污染物" + row.name + "源强不能为空");
  if ((f = pollutantCell(row.standard_text, n, kStandardColumn, standard))) return f;
  if (*standard == 0) return core::fail("污染物" + row.name + "标准值不能为空");
  if (row.name.empty()) return core::fail("污染物名称不能为空");
  // A negative rate would make the screening program start its questions over.
  if (*q < 0) return core::fail("污染物" + row.name + "源强必须大于0");
  const auto usable = [](double v) { return std::isfinite(v) && v >= FLT_MIN && v <= FLT_MAX; };
  if (!usable(*q)) return cellFail(n, kRateColumn, "必须是大于0的有限数值");
  if (!usable(*standard)) return cellFail(n, kStandardColumn, "必须是大于0的有限数值");
  return std::nullopt;
}

std::string detailLine(const Screen3PollutantResult& p) {
  return p.name + ":Pmax=" + core::cformat("%g", static_cast<double>(p.pmax_pct)) + "[%];" +
         (p.d10_text.empty() ? std::string("D10=无\n") : "D10=" + p.d10_text + "[m]\n");
}

}  // namespace

const std::vector<std::string>& screen3PollutantNames() {
  static const std::vector<std::string> names = {"SO2", "TSP", "PM10", "NO2",    "氟化物",
                                                 "HCl", "H2S", "苯",   "二甲苯", "甲苯"};
  return names;
}

std::string screen3DefaultStandard(const std::string& name) {
  static const std::vector<std::pair<std::string, std::string>> standards = {
      {"SO2", "0.5"},  {"TSP", "0.9"},  {"PM10", "0.45"}, {"NO2", "0.24"},  {"氟化物", "0.02"},
      {"HCl", "0.05"}, {"H2S", "0.01"}, {"苯", "2.4"},    {"二甲苯", "0.3"}};
  for (const auto& [n, s] : standards)
    if (n == name) return s;
  return {};
}

VolumeDims volumeInitialDims(float length_m, float width_m, float height_m, int placement,
                             float building_height_m) {
  // sigma-y0 = longer side / 4.3; sigma-z0 = height / 2.15 on the ground, / 4.3 on a height,
  // building height / 2.15 on a building.
  VolumeDims d;
  const double l = length_m, w = width_m;
  if (l > w || w > l) {
    d.sigma_y0_changed = true;
    d.sigma_y0_m = static_cast<float>((l > w ? l : w) / 4.3);
  }
  if (placement == 1)
    d.sigma_z0_m = static_cast<float>(height_m / 4.3);
  else if (placement == 2)
    d.sigma_z0_m = static_cast<float>(building_height_m / 2.15);
  else
    d.sigma_z0_m = static_cast<float>(height_m / 2.15);
  return d;
}

core::Check checkScreen3Source(const Screen3Input& in) {
  const auto& s = in.source;
  core::Check f;
  if (!in.table_error.empty()) return core::fail(in.table_error);
  if ((f = checkSourceFields(s))) return f;
  if ((f = checkWind(s))) return f;
  if (s.type != screen::SourceType::Area && (f = checkAutomated(s.automated))) return f;
  if ((f = checkPoints(s.points, s.type == screen::SourceType::Area))) return f;
  if (in.pollutants.empty()) return core::fail("污染物表格中没有数据，请至少输入一种污染物！");
  return std::nullopt;
}

void addPollutantReport(Screen3Result& r, const Screen3Input& in, size_t i,
                        const screen::Report& report, double standard_mg_m3) {
  auto& p = r.pollutants[i];
  const size_t c = 4 + 2 * i;
  const size_t cols = r.table.headers.size();
  const screen::SummaryMax m = screen::summaryMax(report);
  p.cmax_mg_m3 = static_cast<float>(m.conc_ug_m3 * kMgPerUg);
  p.pmax_pct = static_cast<float>(m.conc_ug_m3 / standard_mg_m3 * kShareFactor);
  p.max_distance_m = static_cast<float>(m.distance_m);
  p.max_terrain_m = static_cast<float>(m.terrain_m);

  size_t k = 0;
  int number = 0;
  auto put = [&](Screen3RowKind kind, const std::string& label, double dist, double terrain,
                 double conc_mg, double share) {
    if (i == 0) {
      std::vector<std::string> row(cols);
      if (kind == Screen3RowKind::Maximum) {
        row[0] = label;
      } else {
        row[0] = core::cformat("%d", ++number);
        row[1] = label;
      }
      row[2] = core::cformat("%g", dist);
      row[3] = core::cformat("%g", terrain);
      r.table.rows.push_back(std::move(row));
      r.row_kinds.push_back(kind);
    }
    if (k < r.table.rows.size() && c + 1 < cols) {
      r.table.rows[k][c] = core::cformat("%g", conc_mg);
      r.table.rows[k][c + 1] = core::cformat("%g", share);
    }
    ++k;
  };
  auto share = [&](double ug) { return ug / standard_mg_m3 * kShareFactor; };
  const double dmax = p.max_distance_m;
  // Only points and flares have a complex-terrain screen.
  const bool stack_like =
      in.source.type == screen::SourceType::Point || in.source.type == screen::SourceType::Flare;
  const bool max_complex = stack_like && p.max_terrain_m > screen::terrainLimit_m(in.source);
  const std::vector<screen::Block> blocks = screen::automatedBlocks(report);
  // The maximum row goes once into the automated rows: after the last line at or before the
  // maximum's distance whose next line in its range lies beyond it (or that ends its range).
  // An earlier range that ends short of the maximum does not take it.
  size_t max_block = blocks.size(), max_line = 0;
  for (size_t bi = 0; bi < blocks.size(); ++bi) {
    const auto& rows = blocks[bi].rows;
    for (size_t j = 0; j < rows.size(); ++j) {
      const bool range_end = j + 1 == rows.size();
      if (rows[j].distance_m <= dmax && (range_end || rows[j + 1].distance_m > dmax)) {
        max_block = bi;
        max_line = j;
      }
    }
  }
  for (size_t bi = 0; bi < blocks.size(); ++bi) {
    const auto& b = blocks[bi];
    for (size_t j = 0; j < b.rows.size(); ++j) {
      const auto& l = b.rows[j];
      put(Screen3RowKind::Automated, "简单地形", l.distance_m, b.terrain_m, l.conc_ug_m3 * kMgPerUg,
          share(l.conc_ug_m3));
      if (bi == max_block && j == max_line)
        put(Screen3RowKind::Maximum, max_complex ? "最大值复杂地形(24小时)" : "最大值简单地形",
            p.max_distance_m, p.max_terrain_m, p.cmax_mg_m3, p.pmax_pct);
    }
  }
  for (const auto& b : screen::discreteBlocks(report))
    for (const auto& l : b.rows)
      put(Screen3RowKind::Discrete, "简单地形", l.distance_m, b.terrain_m, l.conc_ug_m3 * kMgPerUg,
          share(l.conc_ug_m3));
  for (const auto& l : screen::complexLines(report))
    put(Screen3RowKind::Complex, "复杂地形", l.distance_m, l.terrain_m, l.conc_ug_m3 * kMgPerUg,
        share(l.conc_ug_m3));
  findD10(r, i, &p.d10_m, &p.d10_text);
}

void findD10(const Screen3Result& r, size_t i, float* d10_m, std::string* text) {
  const size_t c = 4 + 2 * i;
  *d10_m = 0;
  text->clear();
  // The farthest qualifying row wins, wherever it stands in the table (discrete and
  // complex-terrain rows follow the automated ones).
  const std::vector<std::string>* best = nullptr;
  double best_d = 0;
  for (const auto& row : r.table.rows) {
    if (c + 1 >= row.size() || !(cellNumber(row[c + 1]) >= kD10Share_pct)) continue;
    const double d = cellNumber(row[2]);
    if (!best || d > best_d) {
      best = &row;
      best_d = d;
    }
  }
  if (!best) return;
  bool farther = false;
  for (const auto& row : r.table.rows) farther = farther || cellNumber(row[2]) > best_d;
  *d10_m = static_cast<float>(best_d);
  *text = farther ? core::cformat("%g", static_cast<double>(*d10_m)) : "大于" + (*best)[2];
}

std::string gradeText(float pmax_pct, float d10_m) {
  if (pmax_pct >= kGradeOnePmax && d10_m >= kGradeOneD10) return "一级";
  if (pmax_pct >= kGradeTwoPmax && d10_m != 0)
    return core::cformat("二级\n如果污染源距厂界最近距离>%gm,调整评价工作等级为三级。",
                         static_cast<double>(d10_m));
  return "三级";
}

void finishSummary(Screen3Result& r) {
  if (r.pollutants.empty()) return;
  float best = 0;
  r.chosen = 0;
  std::string detail;
  for (size_t i = 0; i < r.pollutants.size(); ++i) {
    if (r.pollutants[i].pmax_pct > best) {
      best = r.pollutants[i].pmax_pct;
      r.chosen = static_cast<int>(i);
    }
    detail += detailLine(r.pollutants[i]);
  }
  const auto& p = r.pollutants[static_cast<size_t>(r.chosen)];
  r.grade = gradeText(p.pmax_pct, p.d10_m);
  const std::string s = core::cformat(
      "所筛选的污染物中%s的Pmax最大\n建议评价工作等级：%s\n%s下风向最大浓度C：%g [mg/m^3],"
      "浓度占标率P：%g [％]\n下风向最大距离：%g [m],相对源高：%g [m]\n各污染物详细结果如下：\n%s",
      p.name.c_str(), r.grade.c_str(), p.name.c_str(), static_cast<double>(p.cmax_mg_m3),
      static_cast<double>(p.pmax_pct), static_cast<double>(p.max_distance_m),
      static_cast<double>(p.max_terrain_m), detail.c_str());
  r.summary = toCrLf(s);
}

Screen3Result computeScreen3(const Screen3Input& in, const screen::RunStep& run,
                             const std::function<void(size_t)>& progress) {
  Screen3Result r;
  r.table.title = "估算模式Screen3计算结果";
  if ((r.stop = checkScreen3Source(in))) {
    r.stop->tab = 0;
    return r;
  }
  const size_t n = in.pollutants.size();
  r.table.headers.assign(2 * n + 4, std::string());
  r.table.headers[0] = "序号";
  r.table.headers[1] = "地形";
  r.table.headers[2] = "距离m";
  r.table.headers[3] = "源高m";
  r.table.widths = {37, 60, 50, 50};
  for (size_t i = 0; i < n; ++i) {
    const auto& row = in.pollutants[i];
    double q = 0, standard = 0;
    if ((r.stop = checkPollutantRow(row, i + 1, &q, &standard))) {
      r.stop->tab = 0;
      return r;
    }
    r.table.headers[4 + 2 * i] = row.name + "下风向浓度mg／m＾3";
    r.table.headers[5 + 2 * i] = row.name + "浓度占标率％";
    if (progress) progress(i);
    const screen::RunResult res = run(screen::estimateScript(in.source, q, row.name));
    if (!res.ok()) {
      r.stop = core::fail(res.message);
      return r;
    }
    const screen::Report report = screen::parseReport(res.report);
    // A run that ended before its results summary (an answer it did not accept, a crash)
    // leaves a report whose numbers would be read from the wrong lines.
    if (!report.has_summary) {
      r.stop = core::fail("污染物" + row.name +
                          "的SCREEN.OUT中没有计算结果汇总，筛选程序没有正常结束（退出码 " +
                          std::to_string(res.exit_code) + "）。");
      return r;
    }
    Screen3PollutantResult p;
    p.name = row.name;
    p.ran = true;
    p.report = res.report;
    // A field the program could not print ("*****") stops the run: its results are unknown.
    Screen3Result next = r;
    next.pollutants.push_back(std::move(p));
    try {
      addPollutantReport(next, in, i, report, standard);
    } catch (const screen::ReportError& e) {
      r.stop = core::fail("污染物" + row.name + "的" + e.what() + "，筛选程序的结果不可用。");
      return r;
    }
    r = std::move(next);
  }
  finishSummary(r);
  return r;
}

}  // namespace models::air
