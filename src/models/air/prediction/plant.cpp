#include "models/air/prediction/plant.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

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
  put("   AVERTIME  1", "计算设置");
  put("   POLLUTID  OTHER");
  put("   RUNORNOT  RUN");
  if (flagpole) put("   FLAGPOLE  0.0", "预测点");
  if (plant.urban)
    put("   URBANOPT  " + num(plant.urban_population) + "  CITY  " + num(plant.urban_roughness),
        "城市选项");
  put("CO FINISHED");
  put("");
  put("SO STARTING");
  put("   ELEVUNIT  METERS");
  std::vector<std::pair<std::string, std::vector<std::string>>> groups;
  for (int kase = 0; kase < 2; ++kase) {
    const char k = kase == 0 ? 'N' : 'A';
    for (size_t p = 0; p < plant.pollutants.size(); ++p) {
      std::vector<std::string> members;
      for (size_t s = 0; s < plant.sources.size(); ++s) {
        const Source& src = plant.sources[s];
        const auto& rates = kase == 0 ? src.normal_gs : src.abnormal_gs;
        const double q = p < rates.size() ? rates[p] : 0;
        if (!(q > 0)) continue;
        const std::string id = sourceId(k, p, s);
        const std::string what = std::string(kindName(src.kind)) + " " + src.name +
                                 (kase == 0 ? "（正常排放，" : "（非正常排放，") +
                                 plant.pollutants[p].name + "）";
        const Point a = src.at.empty() ? Point{} : src.at[0];
        switch (src.kind) {
          case SourceKind::Point:
            put("   LOCATION  " + id + "  POINT  " + num(a.x) + "  " + num(a.y) + "  " +
                    num(src.base_m),
                what);
            put("   SRCPARAM  " + id + "  " + num(q) + "  " + num(src.height_m) + "  " +
                    num(src.temp_K) + "  " + num(src.velocity) + "  " + num(src.diameter_m),
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
  for (const TargetSpec& tg : plant.targets)
    put("   DISCCART  " + num(tg.at.x) + "  " + num(tg.at.y) +
            (flagpole ? "  0.0  0.0  " + num(tg.height_m) : std::string()),
        "环境空气保护目标 " + tg.name);
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
  put("   FILEFORM  EXP");
  for (const std::string& g : d.groups) {
    d.posts.push_back(g + "_01h.pst");
    put("   POSTFILE  1  " + g + "  PLOT  " + d.posts.back());
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

std::string readResults(const Plant& plant, const DeckText& deck, const std::string& dir,
                        const MetSummary& met, Results& out,
                        const std::function<bool()>& cancelled) {
  out = Results{};
  out.n_targets = plant.targets.size();
  out.n_grid = plant.grid.size();
  out.n_protection = plant.protection.size();
  const size_t nr = out.n_targets + out.n_grid + out.n_protection;
  const Days days = daysOf(met);
  long valid_total = 0;
  for (int v : days.valid) valid_total += v;
  out.normal.resize(plant.pollutants.size());
  out.abnormal.resize(plant.pollutants.size());
  for (size_t g = 0; g < deck.groups.size(); ++g) {
    const std::string& id = deck.groups[g];
    const size_t p = static_cast<size_t>(std::atoi(id.c_str() + 1)) - 1;
    if (p >= plant.pollutants.size()) continue;
    GroupResult& r = (id[0] == 'N' ? out.normal : out.abnormal)[p];
    r.group = id;
    r.max1h.assign(nr, 0);
    r.max1h_date.assign(nr, 0);
    std::vector<std::vector<double>> sums(nr, std::vector<double>(days.key.size(), 0));
    std::vector<double> total(nr, 0);
    const std::string path = dir + "/" + deck.posts[g];
    std::ifstream in(path);
    if (!in) return "找不到计算结果文件 " + deck.posts[g] + "。";
    std::string text;
    size_t k = 0;
    long lineno = 0;
    while (std::getline(in, text)) {
      ++lineno;
      if (text.empty() || text[0] == '*') continue;
      if ((lineno & 0xffff) == 0 && cancelled && cancelled()) return "已取消";
      double x = 0, y = 0, c = 0;
      char ave[16] = {}, grp[16] = {};
      long date = 0;
      double z1, z2, z3;
      if (std::sscanf(text.c_str(), "%lf %lf %lf %lf %lf %lf %15s %15s %ld", &x, &y, &c, &z1, &z2,
                      &z3, ave, grp, &date) != 9)
        return deck.posts[g] + " 第 " + std::to_string(lineno) + " 行无法读取。";
      const size_t rec = k % nr;
      ++k;
      if (c > r.max1h[rec]) {
        r.max1h[rec] = c;
        r.max1h_date[rec] = date;
      }
      const auto it = days.index.find(date / 100);
      if (it != days.index.end()) sums[rec][it->second] += c;
      total[rec] += c;
    }
    if (k != nr * met.dates.size())
      return deck.posts[g] + " 的行数（" + std::to_string(k) + "）与预测点数乘小时数（" +
             std::to_string(nr * met.dates.size()) + "）不符。";
    r.daily.assign(nr, std::vector<double>(days.key.size(), 0));
    r.annual.assign(nr, 0);
    for (size_t rec = 0; rec < nr; ++rec) {
      for (size_t d = 0; d < days.key.size(); ++d)
        r.daily[rec][d] = sums[rec][d] / std::max(days.valid[d], 18);
      r.annual[rec] = valid_total > 0 ? total[rec] / static_cast<double>(valid_total) : 0;
    }
    r.day_dates = days.key;
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
  for (size_t i = 0; i < plant.grid.size(); ++i) {
    const size_t rec = plant.targets.size() + i;
    if (value(rec) > value(best)) best = rec;
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

std::vector<double> backgroundSeries(const PollutantSpec& p, size_t days) {
  if (p.bg_series.size() == days) return p.bg_series;
  return std::vector<double>(days, p.bg_daily);
}

// The guaranteed-rate daily value (or, without a percentile, the largest) of contribution plus
// background at a receptor.
double guaranteed(const PollutantSpec& p, const GroupResult& g, size_t rec, double* contrib,
                  double* bg) {
  const std::vector<double> b = backgroundSeries(p, g.daily[rec].size());
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

}  // namespace

std::vector<TableRow> contributionTable(const Plant& plant, const Results& r) {
  std::vector<TableRow> out;
  for (size_t p = 0; p < plant.pollutants.size() && p < r.normal.size(); ++p) {
    const PollutantSpec& pol = plant.pollutants[p];
    const GroupResult& g = r.normal[p];
    if (g.group.empty()) continue;
    eachPlace(plant, [&](size_t rec, bool grid) {
      const size_t h = grid ? gridArgMax(plant, [&](size_t i) { return g.max1h[i]; }) : rec;
      out.push_back(row(pol.name, placeOf(plant, h), "1小时", g.max1h[h],
                        std::to_string(g.max1h_date[h]), pol.hourly()));
      const size_t dd =
          grid ? gridArgMax(plant, [&](size_t i) { return dailyMax(g, i, nullptr); }) : rec;
      size_t day = 0;
      const double dv = dailyMax(g, dd, &day);
      out.push_back(row(pol.name, placeOf(plant, dd), "日平均", dv,
                        g.day_dates.empty() ? "" : std::to_string(g.day_dates[day]),
                        pol.limits.h24));
      const size_t a = grid ? gridArgMax(plant, [&](size_t i) { return g.annual[i]; }) : rec;
      out.push_back(
          row(pol.name, placeOf(plant, a), "年平均", g.annual[a], "全年", pol.limits.annual));
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
      double c = 0, b = 0;
      const size_t d =
          grid ? gridArgMax(plant, [&](size_t i) { return guaranteed(pol, g, i, &c, &b); }) : rec;
      const double total = guaranteed(pol, g, d, &c, &b);
      TableRow t =
          row(pol.name, placeOf(plant, d), pol.percentile > 0 ? "保证率日平均" : "日平均最大值", c,
              pol.percentile > 0 ? num(pol.percentile) + "%" : "", pol.limits.h24);
      t.background = b;
      t.total = total;
      t.share_pct = t.limit > 0 ? 100 * total / t.limit : 0;
      t.exceeds = t.limit > 0 && total > t.limit;
      out.push_back(t);
      const size_t a = grid ? gridArgMax(plant, [&](size_t i) { return g.annual[i]; }) : rec;
      TableRow y =
          row(pol.name, placeOf(plant, a), "年平均", g.annual[a], "全年", pol.limits.annual);
      y.background = pol.bg_annual;
      y.total = g.annual[a] + pol.bg_annual;
      y.share_pct = y.limit > 0 ? 100 * y.total / y.limit : 0;
      y.exceeds = y.limit > 0 && y.total > y.limit;
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
                        std::to_string(g.max1h_date[h]), pol.hourly()));
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

}  // namespace models::air::prediction
