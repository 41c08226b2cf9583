#include "models/air/prediction/plant.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

#include "core/format.h"
#include "mod/met.h"
#include "mod/profiles.h"

namespace models::air::prediction {

namespace {

std::string num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

std::string two(size_t i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02zu", i + 1);
  return buf;
}

std::string sourceId(char kase, size_t pollutant, size_t source) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%c%02zuS%03zu", kase, pollutant + 1, source + 1);
  return buf;
}

const char* kindName(SourceKind k) {
  switch (k) {
    case SourceKind::Point: return "排气筒";
    case SourceKind::Area: return "面源";
    case SourceKind::Volume: return "体源";
    case SourceKind::Line: return "线源";
    case SourceKind::Circle: return "圆形面源";
  }
  return "";
}

double polygonArea(const std::vector<Point>& ring) {
  double a = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const Point& p = ring[i];
    const Point& q = ring[(i + 1) % ring.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return std::fabs(a) / 2;
}

}  // namespace

double Source::exitTempK() const { return temp_unit == TempUnit::Celsius ? temp + 273.15 : temp; }

double Source::exitVelocity() const {
  if (exit_unit == ExitUnit::Velocity) return exit;
  const double area = std::acos(-1.0) * diameter_m * diameter_m / 4;
  return area > 0 ? exit / 3600 / area : 0;
}

double Source::rateGs(size_t pollutant, bool abnormal_case) const {
  const std::vector<double>& q = abnormal_case ? abnormal : normal;
  const double v = pollutant < q.size() ? q[pollutant] : 0;
  return rate_unit == RateUnit::KilogramsPerHour ? v * 1000 / 3600 : v;
}

DeckText writeDeck(const Plant& plant, const std::string& surface, const std::string& profile) {
  DeckText d;
  std::string& t = d.text;
  long line = 0;
  auto put = [&](const std::string& s, const std::string& what = {}) {
    t += s;
    t += '\n';
    ++line;
    if (!what.empty()) d.origins.push_back({line, what});
  };
  bool flagpole = false;
  for (const TargetSpec& tg : plant.targets) flagpole = flagpole || tg.height_m > 0;
  put("CO STARTING");
  put("   TITLEONE  " + (plant.title.empty() ? std::string("kuva air prediction") : plant.title));
  put("   MODELOPT  CONC  FLAT", "计算设置");
  put("   AVERTIME  1  24  PERIOD", "计算设置");
  put("   POLLUTID  OTHER");
  put("   RUNORNOT  RUN");
  if (flagpole) put("   FLAGPOLE  0.0", "预测点");
  if (plant.urban)
    put("   URBANOPT  " + num(plant.urban_population) + "  CITY  " + num(plant.urban_roughness),
        "城市选项");
  // The page's names, for reading the deck back: AERMOD ignores the comments.
  for (size_t p = 0; p < plant.pollutants.size(); ++p)
    put("** POLLUTANT " + two(p) + " " + plant.pollutants[p].name);
  put("CO FINISHED");
  put("");
  put("SO STARTING");
  put("   ELEVUNIT  METERS");
  std::vector<std::pair<std::string, std::vector<std::string>>> groups;
  std::vector<char> named(plant.sources.size(), 0);
  for (int kase = 0; kase < 2; ++kase) {
    const char k = kase == 0 ? 'N' : 'A';
    for (size_t p = 0; p < plant.pollutants.size(); ++p) {
      std::vector<std::string> members;
      for (size_t s = 0; s < plant.sources.size(); ++s) {
        const Source& src = plant.sources[s];
        const double q = src.rateGs(p, kase == 1);
        if (!(q > 0)) continue;
        const std::string id = sourceId(k, p, s);
        const std::string what = std::string(kindName(src.kind)) + " " + src.name +
                                 (kase == 0 ? "（正常排放，" : "（非正常排放，") +
                                 plant.pollutants[p].name + "）";
        const Point a = src.at.empty() ? Point{} : src.at[0];
        if (!named[s]) put("** SOURCE " + sourceId(k, p, s).substr(3) + " " + src.name);
        named[s] = true;
        switch (src.kind) {
          case SourceKind::Point:
            put("   LOCATION  " + id +
                    (src.release == Release::Capped       ? "  POINTCAP  "
                     : src.release == Release::Horizontal ? "  POINTHOR  "
                                                          : "  POINT  ") +
                    num(a.x) + "  " + num(a.y) + "  " + num(src.base_m),
                what);
            put("   SRCPARAM  " + id + "  " + num(q) + "  " + num(src.height_m) + "  " +
                    num(src.exitTempK()) + "  " + num(src.exitVelocity()) + "  " +
                    num(src.diameter_m),
                what);
            break;
          case SourceKind::Volume:
            put("   LOCATION  " + id + "  VOLUME  " + num(a.x) + "  " + num(a.y) + "  " +
                    num(src.base_m),
                what);
            put("   SRCPARAM  " + id + "  " + num(q) + "  " + num(src.height_m) + "  " +
                    num(src.sigma_y) + "  " + num(src.sigma_z),
                what);
            break;
          case SourceKind::Area: {
            const double area = polygonArea(src.at);
            put("   LOCATION  " + id + "  AREAPOLY  " + num(a.x) + "  " + num(a.y) + "  " +
                    num(src.base_m),
                what);
            put("   SRCPARAM  " + id + "  " + num(area > 0 ? q / area : 0) + "  " +
                    num(src.height_m) + "  " + std::to_string(src.at.size()),
                what);
            std::string v = "   AREAVERT  " + id;
            for (const Point& pt : src.at) v += "  " + num(pt.x) + "  " + num(pt.y);
            put(v, what);
            break;
          }
          case SourceKind::Circle: {
            const double area = std::acos(-1.0) * src.width_m * src.width_m;
            put("   LOCATION  " + id + "  AREACIRC  " + num(a.x) + "  " + num(a.y) + "  " +
                    num(src.base_m),
                what);
            put("   SRCPARAM  " + id + "  " + num(area > 0 ? q / area : 0) + "  " +
                    num(src.height_m) + "  " + num(src.width_m),
                what);
            break;
          }
          case SourceKind::Line: {
            const Point b = src.at.size() > 1 ? src.at[1] : a;
            const double len = std::hypot(b.x - a.x, b.y - a.y);
            const double area = len * src.width_m;
            put("   LOCATION  " + id + "  LINE  " + num(a.x) + "  " + num(a.y) + "  " + num(b.x) +
                    "  " + num(b.y) + "  " + num(src.base_m),
                what);
            put("   SRCPARAM  " + id + "  " + num(area > 0 ? q / area : 0) + "  " +
                    num(src.height_m) + "  " + num(src.width_m),
                what);
            break;
          }
        }
        members.push_back(id);
      }
      if (members.empty()) continue;
      groups.push_back({std::string(1, k) + two(p), members});
    }
  }
  if (plant.urban) put("   URBANSRC  ALL", "城市选项");
  for (const auto& [id, members] : groups) {
    // At most a handful of sources per line; the group is continued on further lines.
    for (size_t i = 0; i < members.size(); i += 8) {
      std::string l = "   SRCGROUP  " + id;
      for (size_t j = i; j < members.size() && j < i + 8; ++j) l += "  " + members[j];
      put(l);
    }
    d.groups.push_back(id);
  }
  put("SO FINISHED");
  put("");
  put("RE STARTING");
  for (const TargetSpec& tg : plant.targets) {
    put("** TARGET " + tg.name);
    put("   DISCCART  " + num(tg.at.x) + "  " + num(tg.at.y) +
            (flagpole ? "  0.0  0.0  " + num(tg.height_m) : std::string()),
        "环境空气保护目标 " + tg.name);
  }
  if (!plant.grid.empty()) put("** GRID");
  for (const Point& p : plant.grid)
    put("   DISCCART  " + num(p.x) + "  " + num(p.y) + (flagpole ? "  0.0  0.0  0.0" : ""),
        "预测网格");
  for (const Point& p : plant.protection)
    put("   DISCCART  " + num(p.x) + "  " + num(p.y) + (flagpole ? "  0.0  0.0  0.0" : ""),
        "大气环境防护距离网格");
  put("RE FINISHED");
  put("");
  put("ME STARTING");
  put("   SURFFILE  " + surface, "气象（地面文件）");
  put("   PROFFILE  " + profile, "气象（廓线文件）");
  put("ME FINISHED");
  put("");
  put("OU STARTING");
  put("   RECTABLE  1  FIRST");
  put("   FILEFORM  EXP");
  for (const std::string& g : d.groups) {
    d.max1h.push_back(g + "_01h_1st.plt");
    put("   PLOTFILE  1  " + g + "  FIRST  " + d.max1h.back());
    const bool normal = g[0] == 'N';
    d.daily.push_back(normal ? g + "_24h.pst" : std::string());
    d.period.push_back(normal ? g + "_per.plt" : std::string());
    if (!normal) continue;
    put("   POSTFILE  24  " + g + "  PLOT  " + d.daily.back());
    put("   PLOTFILE  PERIOD  " + g + "  " + d.period.back());
  }
  put("OU FINISHED");
  return d;
}

std::string originOf(const DeckText& deck, const std::string& message) {
  // "kuvamod: <deck>:<line>: text"
  const size_t colon = message.find(".inp:");
  if (colon == std::string::npos) return {};
  const long line = std::atol(message.c_str() + colon + 5);
  for (const DeckOrigin& o : deck.origins)
    if (o.line == line) return o.what;
  return {};
}

MetSummary readMetSummary(const std::string& surface, const std::string& profile) {
  MetSummary s;
  try {
    const mod::MetData met = mod::readMet(surface, profile);
    for (const mod::MetHour& h : met.hours) {
      const long date = mod::dateKey(h.sfc);
      const mod::HourProfiles p = mod::prepareHour(h, met.adjustedUstar, 0);
      s.dates.push_back(date);
      s.valid.push_back(p.status == mod::HourStatus::Computed);
      if (p.status == mod::HourStatus::Calm) ++s.calm;
      if (p.status == mod::HourStatus::Missing) ++s.missing;
    }
    s.hours = static_cast<long>(s.dates.size());
    if (s.hours == 0) {
      s.error = surface + "：没有逐时数据。";
      return s;
    }
    s.first = s.dates.front();
    s.last = s.dates.back();
    s.year = static_cast<int>(s.first / 1000000);
  } catch (const std::exception& e) {
    s.error = e.what();
  }
  return s;
}

namespace {

// Days of the met period in order (yymmdd) with their valid hours.
struct Days {
  std::vector<long> key;
  std::vector<int> valid;
  std::map<long, size_t> index;
};

Days daysOf(const MetSummary& met) {
  Days d;
  for (size_t i = 0; i < met.dates.size(); ++i) {
    const long day = (met.dates[i] / 100) % 1000000;
    auto [it, fresh] = d.index.emplace(day, d.key.size());
    if (fresh) {
      d.key.push_back(day);
      d.valid.push_back(0);
    }
    if (met.valid[i]) ++d.valid[it->second];
  }
  return d;
}

}  // namespace

namespace {

// The data lines of a result file, split in fields; `each` returns a message to stop with.
std::string eachLine(
    const std::string& dir, const std::string& name, const std::function<bool()>& cancelled,
    const std::function<std::string(const std::vector<std::string>&, long)>& each) {
  std::ifstream in(dir + "/" + name);
  if (!in) return "找不到计算结果文件 " + name + "。";
  std::string text;
  long lineno = 0;
  std::vector<std::string> f;
  while (std::getline(in, text)) {
    ++lineno;
    if (text.empty() || text[0] == '*') continue;
    if ((lineno & 0xffff) == 0 && cancelled && cancelled()) return "已取消";
    f.clear();
    size_t i = 0;
    while (i < text.size()) {
      while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
      const size_t j = i;
      while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
      if (i > j) f.emplace_back(text, j, i - j);
    }
    if (f.size() < 8) return name + " 第 " + std::to_string(lineno) + " 行无法读取。";
    std::string e = each(f, lineno);
    if (!e.empty()) return e;
  }
  return {};
}

bool number(const std::string& s, double& v) {
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end != s.c_str() && *end == 0 && std::isfinite(v);
}

}  // namespace

std::string readResults(const Plant& plant, const DeckText& deck, const std::string& dir,
                        const MetSummary& met, Results& out,
                        const std::function<bool()>& cancelled) {
  out = Results{};
  out.n_targets = plant.targets.size();
  out.n_grid = plant.grid.size();
  out.n_protection = plant.protection.size();
  const size_t nr = out.n_targets + out.n_grid + out.n_protection;
  const Days days = daysOf(met);
  out.normal.resize(plant.pollutants.size());
  out.abnormal.resize(plant.pollutants.size());
  auto bad = [](const std::string& name, long line) {
    return name + " 第 " + std::to_string(line) + " 行无法读取。";
  };
  auto count = [](const std::string& name, size_t k, size_t want) -> std::string {
    if (k == want) return {};
    return name + " 的行数（" + std::to_string(k) + "）与应有的行数（" + std::to_string(want) +
           "）不符。";
  };
  for (size_t g = 0; g < deck.groups.size(); ++g) {
    const std::string& id = deck.groups[g];
    const size_t p = static_cast<size_t>(std::atoi(id.c_str() + 1)) - 1;
    if (p >= plant.pollutants.size()) continue;
    GroupResult& r = (id[0] == 'N' ? out.normal : out.abnormal)[p];
    r.group = id;
    r.max1h.assign(nr, 0);
    r.max1h_date.assign(nr, 0);
    // The highest 1-hour value per receptor and its hour (the last field).
    size_t k = 0;
    std::string e = eachLine(dir, deck.max1h[g], cancelled,
                             [&](const std::vector<std::string>& f, long line) -> std::string {
                               double c = 0;
                               if (k >= nr || !number(f[2], c)) return bad(deck.max1h[g], line);
                               r.max1h[k] = c;
                               r.max1h_date[k] = std::atol(f.back().c_str());
                               ++k;
                               return {};
                             });
    if (e.empty()) e = count(deck.max1h[g], k, nr);
    if (!e.empty()) return e;
    if (deck.daily[g].empty()) continue;
    // The daily means, day by day, every receptor in each (the date is the ninth field).
    r.daily.assign(nr, std::vector<double>(days.key.size(), 0));
    k = 0;
    e = eachLine(dir, deck.daily[g], cancelled,
                 [&](const std::vector<std::string>& f, long line) -> std::string {
                   double c = 0;
                   if (f.size() < 9 || !number(f[2], c)) return bad(deck.daily[g], line);
                   const auto it = days.index.find(std::atol(f[8].c_str()) / 100);
                   if (it == days.index.end()) return bad(deck.daily[g], line);
                   r.daily[k % nr][it->second] = c;
                   ++k;
                   return {};
                 });
    if (e.empty()) e = count(deck.daily[g], k, nr * days.key.size());
    if (!e.empty()) return e;
    r.day_dates = days.key;
    // The period mean per receptor.
    r.annual.assign(nr, 0);
    k = 0;
    e = eachLine(dir, deck.period[g], cancelled,
                 [&](const std::vector<std::string>& f, long line) -> std::string {
                   double c = 0;
                   if (k >= nr || !number(f[2], c)) return bad(deck.period[g], line);
                   r.annual[k++] = c;
                   return {};
                 });
    if (e.empty()) e = count(deck.period[g], k, nr);
    if (!e.empty()) return e;
  }
  return {};
}

namespace {

TableRow row(const std::string& pol, const std::string& place, const char* avg, double v,
             const std::string& when, double limit) {
  TableRow r;
  r.pollutant = pol;
  r.place = place;
  r.average = avg;
  r.value = v;
  r.total = v;
  r.when = when;
  r.limit = limit;
  r.share_pct = limit > 0 ? 100 * v / limit : 0;
  r.exceeds = limit > 0 && v > limit;
  return r;
}

std::string placeOf(const Plant& plant, size_t rec) {
  if (rec < plant.targets.size()) return plant.targets[rec].name;
  const Point& p = plant.grid[rec - plant.targets.size()];
  return "网格最大值 (" + num(p.x) + ", " + num(p.y) + ")";
}

// The receptors to tabulate: each target, then the grid receptor of `best`.
template <class F>
void eachPlace(const Plant& plant, F&& f) {
  for (size_t t = 0; t < plant.targets.size(); ++t) f(t, false);
  if (!plant.grid.empty()) f(plant.targets.size(), true);
}

template <class V>
size_t gridArgMax(const Plant& plant, V&& value) {
  size_t best = plant.targets.size();
  double top = value(best);
  for (size_t i = 1; i < plant.grid.size(); ++i) {
    const size_t rec = plant.targets.size() + i;
    const double v = value(rec);
    if (v > top) best = rec, top = v;
  }
  return best;
}

double dailyMax(const GroupResult& g, size_t rec, size_t* day) {
  double best = 0;
  for (size_t d = 0; d < g.daily[rec].size(); ++d)
    if (g.daily[rec][d] > best || d == 0) {
      best = g.daily[rec][d];
      if (day) *day = d;
    }
  return best;
}

// The guaranteed-rate daily value (or, without a percentile, the largest) of contribution plus
// background at a receptor.
double guaranteed(const Plant& plant, size_t pi, const GroupResult& g, size_t rec, double* contrib,
                  double* bg) {
  const PollutantSpec& p = plant.pollutants[pi];
  const std::vector<double> b = backgroundAt(plant, pi, rec, g.daily[rec].size());
  std::vector<double> sum(b.size());
  for (size_t d = 0; d < b.size(); ++d) sum[d] = g.daily[rec][d] + b[d];
  if (p.percentile > 0) {
    *contrib = percentile(g.daily[rec], p.percentile).value_or(0);
    *bg = percentile(b, p.percentile).value_or(0);
    return percentile(sum, p.percentile).value_or(0);
  }
  size_t at = 0;
  for (size_t d = 0; d < sum.size(); ++d)
    if (sum[d] > sum[at]) at = d;
  *contrib = sum.empty() ? 0 : g.daily[rec][at];
  *bg = sum.empty() ? 0 : b[at];
  return sum.empty() ? 0 : sum[at];
}

void setTotal(TableRow& t, double background, double total) {
  t.background = background;
  t.total = total;
  t.share_pct = t.limit > 0 ? 100 * total / t.limit : 0;
  t.exceeds = t.limit > 0 && total > t.limit;
}

}  // namespace

Limits limitsAt(const Plant& plant, size_t pollutant, size_t receptor) {
  const PollutantSpec& p = plant.pollutants[pollutant];
  if (receptor >= plant.targets.size()) return p.limits;
  const int grade = plant.targets[receptor].grade;
  if (grade == 0 || grade == plant.grid_grade) return p.limits;
  const StandardRow* row = findStandard(p.name);
  return row ? (grade == 1 ? row->grade1 : row->grade2) : p.limits;
}

std::vector<double> backgroundAt(const Plant& plant, size_t pollutant, size_t receptor,
                                 size_t days) {
  const PollutantSpec& p = plant.pollutants[pollutant];
  if (receptor < plant.targets.size())
    for (const auto& [name, series] : p.bg_target_series)
      if (name == plant.targets[receptor].name && series.size() == days) return series;
  if (p.bg_series.size() == days) return p.bg_series;
  // Without a series for every receptor, the day's mean over the targets' series.
  std::vector<double> mean(days, 0);
  size_t n = 0;
  for (const auto& [name, series] : p.bg_target_series)
    if (series.size() == days) {
      for (size_t d = 0; d < days; ++d) mean[d] += series[d];
      ++n;
    }
  if (n == 0) return std::vector<double>(days, p.bg_daily);
  for (double& v : mean) v /= static_cast<double>(n);
  return mean;
}

double annualBackgroundAt(const Plant& plant, size_t pollutant, size_t receptor) {
  const PollutantSpec& p = plant.pollutants[pollutant];
  if (p.bg_annual_given || (p.bg_series.empty() && p.bg_target_series.empty())) return p.bg_annual;
  size_t days = p.bg_series.size();
  for (const auto& s : p.bg_target_series) days = std::max(days, s.second.size());
  const std::vector<double> b = backgroundAt(plant, pollutant, receptor, days);
  double sum = 0;
  for (double v : b) sum += v;
  return b.empty() ? 0 : sum / static_cast<double>(b.size());
}

std::vector<TableRow> contributionTable(const Plant& plant, const Results& r) {
  std::vector<TableRow> out;
  for (size_t p = 0; p < plant.pollutants.size() && p < r.normal.size(); ++p) {
    const PollutantSpec& pol = plant.pollutants[p];
    const GroupResult& g = r.normal[p];
    if (g.group.empty()) continue;
    eachPlace(plant, [&](size_t rec, bool grid) {
      const Limits lim = limitsAt(plant, p, rec);
      const size_t h = grid ? gridArgMax(plant, [&](size_t i) { return g.max1h[i]; }) : rec;
      out.push_back(row(pol.name, placeOf(plant, h), "1小时", g.max1h[h],
                        std::to_string(g.max1h_date[h]), hourlyReference(lim)));
      const size_t dd =
          grid ? gridArgMax(plant, [&](size_t i) { return dailyMax(g, i, nullptr); }) : rec;
      size_t day = 0;
      const double dv = dailyMax(g, dd, &day);
      out.push_back(row(pol.name, placeOf(plant, dd), "日平均", dv,
                        g.day_dates.empty() ? "" : std::to_string(g.day_dates[day]), lim.h24));
      const size_t a = grid ? gridArgMax(plant, [&](size_t i) { return g.annual[i]; }) : rec;
      out.push_back(row(pol.name, placeOf(plant, a), "年平均", g.annual[a], "全年", lim.annual));
    });
  }
  return out;
}

std::vector<TableRow> superposedTable(const Plant& plant, const Results& r) {
  std::vector<TableRow> out;
  for (size_t p = 0; p < plant.pollutants.size() && p < r.normal.size(); ++p) {
    const PollutantSpec& pol = plant.pollutants[p];
    const GroupResult& g = r.normal[p];
    if (g.group.empty()) continue;
    eachPlace(plant, [&](size_t rec, bool grid) {
      const Limits lim = limitsAt(plant, p, rec);
      double c = 0, b = 0;
      const size_t d =
          grid ? gridArgMax(plant, [&](size_t i) { return guaranteed(plant, p, g, i, &c, &b); })
               : rec;
      const double total = guaranteed(plant, p, g, d, &c, &b);
      TableRow t =
          row(pol.name, placeOf(plant, d), pol.percentile > 0 ? "保证率日平均" : "日平均最大值", c,
              pol.percentile > 0 ? num(pol.percentile) + "%" : "", lim.h24);
      setTotal(t, b, total);
      out.push_back(t);
      const size_t a =
          grid ? gridArgMax(plant,
                            [&](size_t i) { return g.annual[i] + annualBackgroundAt(plant, p, i); })
               : rec;
      TableRow y = row(pol.name, placeOf(plant, a), "年平均", g.annual[a], "全年", lim.annual);
      const double ab = annualBackgroundAt(plant, p, a);
      setTotal(y, ab, g.annual[a] + ab);
      out.push_back(y);
    });
  }
  return out;
}

std::vector<TableRow> abnormalTable(const Plant& plant, const Results& r) {
  std::vector<TableRow> out;
  for (size_t p = 0; p < plant.pollutants.size() && p < r.abnormal.size(); ++p) {
    const PollutantSpec& pol = plant.pollutants[p];
    const GroupResult& g = r.abnormal[p];
    if (g.group.empty()) continue;
    eachPlace(plant, [&](size_t rec, bool grid) {
      const size_t h = grid ? gridArgMax(plant, [&](size_t i) { return g.max1h[i]; }) : rec;
      out.push_back(row(pol.name, placeOf(plant, h), "1小时", g.max1h[h],
                        std::to_string(g.max1h_date[h]), hourlyReference(limitsAt(plant, p, rec))));
    });
  }
  return out;
}

ProtectionResult protectionOf(const Plant& plant, const Results& r) {
  const size_t first = plant.targets.size() + plant.grid.size();
  std::vector<double> ratio(plant.protection.size(), 0);
  for (size_t p = 0; p < plant.pollutants.size() && p < r.normal.size(); ++p) {
    const GroupResult& g = r.normal[p];
    if (g.group.empty()) continue;
    const double h1 = plant.pollutants[p].hourly(), h24 = plant.pollutants[p].limits.h24;
    for (size_t i = 0; i < ratio.size(); ++i) {
      const size_t rec = first + i;
      if (h1 > 0) ratio[i] = std::max(ratio[i], g.max1h[rec] / h1);
      if (h24 > 0) ratio[i] = std::max(ratio[i], dailyMax(g, rec, nullptr) / h24);
    }
  }
  return protectionDistance(plant.boundary, plant.protection, ratio);
}

core::Table sourceValuesTable(const Plant& plant) {
  auto used = [](double v) { return core::cformat("%.6g", v); };
  core::Table t;
  t.title = "源参数（计算取值）";
  t.headers = {"名称", "出口温度 (K)", "出口速度 (m/s)"};
  for (const auto& p : plant.pollutants) {
    t.headers.push_back(p.name + " 正常 (g/s)");
    t.headers.push_back(p.name + " 非正常 (g/s)");
  }
  for (const Source& s : plant.sources) {
    const bool stack = s.kind == SourceKind::Point;
    std::vector<std::string> row = {s.name, stack ? used(s.exitTempK()) : "—",
                                    stack ? used(s.exitVelocity()) : "—"};
    for (size_t p = 0; p < plant.pollutants.size(); ++p) {
      row.push_back(used(s.rateGs(p, false)));
      row.push_back(used(s.rateGs(p, true)));
    }
    t.rows.push_back(row);
  }
  return t;
}

}  // namespace models::air::prediction
