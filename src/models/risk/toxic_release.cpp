#include "models/risk/toxic_release.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

const std::string& substanceTableText();  // generated from resources/risk/substances.csv

namespace {

constexpr double kG = 9.81;             // m/s2
constexpr double kR = 8.314462618;      // J/(mol K)
constexpr double kPa = 101325;          // Pa
constexpr double kAirMolar = 0.028966;  // kg/mol, dry air
constexpr double kKelvin = 273.15;
constexpr const char* kStab[] = {"A", "B", "C", "D", "E", "F"};
constexpr const char* kNeutralNote =
    "注：导则对轻质和中性气体推荐AFTOX模型，本程序尚未提供；此处仍以kuvaslab计算"
    "（中性云团时该模型趋于被动扩散）。";

std::string trim(const std::string& s) {
  const auto a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> out;
  std::string cell;
  for (char ch : line) {
    if (ch == ',') {
      out.push_back(trim(cell));
      cell.clear();
    } else {
      cell += ch;
    }
  }
  out.push_back(trim(cell));
  return out;
}

bool number(const std::string& s, double& v) {
  if (s.empty()) {
    v = 0;
    return true;
  }
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return end && *end == 0 && std::isfinite(v);
}

std::string g(double v) { return core::cformat("%g", v); }
std::string f1(double v) { return core::cformat("%.1f", v); }

}  // namespace

std::vector<Substance> parseSubstances(const std::string& csv, std::string* errors,
                                       std::vector<std::string>* unreadable) {
  std::vector<Substance> rows;
  std::istringstream in(csv);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    line = trim(line);
    if (line.empty() || line.rfind("name_zh", 0) == 0) continue;
    const auto c = splitCsv(line);
    Substance s;
    double v[11];
    bool ok = c.size() == 14 && !c[0].empty();
    for (size_t i = 0; ok && i < 11; ++i) ok = number(c[3 + i], v[i]);
    if (!ok) {
      if (errors) *errors += "第" + std::to_string(n) + "行无法读取；";
      if (unreadable) unreadable->push_back(line);
      continue;
    }
    s.name_zh = c[0], s.name_en = c[1], s.cas = c[2];
    s.wms = v[0], s.tbp = v[1], s.dhe = v[2], s.cps = v[3], s.cpsl = v[4], s.rhosl = v[5];
    s.spb = v[7], s.spc = v[8], s.endpoint1 = v[9], s.endpoint2 = v[10];
    rows.push_back(s);
  }
  return rows;
}

std::string writeSubstances(const std::vector<Substance>& rows) {
  std::string out =
      "name_zh,name_en,cas,molar_mass_kg_per_mol,tb_K,dhe_J_per_kg,cps_J_per_kgK,cpsl_J_per_kgK,"
      "rhosl_kg_per_m3,spa,spb,spc,endpoint1_mg_m3,endpoint2_mg_m3\n";
  const auto cell = [](double v) { return v == 0 ? std::string() : core::cformat("%.10g", v); };
  for (const auto& s : rows) {
    const double spa = s.tbp + s.spc != 0 ? s.spb / (s.tbp + s.spc) : 0;
    out += s.name_zh + "," + s.name_en + "," + s.cas + "," + cell(s.wms) + "," + cell(s.tbp) + "," +
           cell(s.dhe) + "," + cell(s.cps) + "," + cell(s.cpsl) + "," + cell(s.rhosl) + "," +
           core::cformat("%.4f", spa) + "," + cell(s.spb) + "," + cell(s.spc) + "," +
           cell(s.endpoint1) + "," + cell(s.endpoint2) + "\n";
  }
  return out;
}

const std::vector<Substance>& builtinSubstances() {
  static const std::vector<Substance> rows = parseSubstances(substanceTableText());
  return rows;
}

std::vector<Substance> mergeSubstances(const std::vector<Substance>& builtin,
                                       const std::vector<Substance>& user) {
  std::vector<Substance> out = builtin;
  for (const auto& u : user) {
    auto it = std::find_if(out.begin(), out.end(),
                           [&](const Substance& s) { return s.name_zh == u.name_zh; });
    if (it != out.end())
      *it = u;
    else
      out.push_back(u);
  }
  return out;
}

const std::vector<LandCover>& landCovers() {
  static const std::vector<LandCover> v = {
      {"水面", 0.0002},
      {"平坦开阔地（草地、农田）", 0.03},
      {"农村（零星建筑）", 0.1},
      {"郊区、工业区", 0.5},
      {"城市", 1.0},
      {"高楼密集城区", 3.0},
  };
  return v;
}

double richardsonContinuous(double rho_rel, double rho_a, double q_kg_s, double d_rel_m,
                            double ur) {
  const double b = kG * (rho_rel - rho_a) / rho_a * (q_kg_s / rho_rel) / d_rel_m;
  return std::cbrt(b) / ur;
}

double richardsonInstantaneous(double rho_rel, double rho_a, double qt_kg, double ur) {
  return kG * (rho_rel - rho_a) / rho_a * std::cbrt(qt_kg / rho_rel) / (ur * ur);
}

bool denseContinuous(double ri) { return ri >= 1.0 / 6.0; }
bool denseInstantaneous(double ri) { return ri > 0.04; }

ModelChoice chooseModel(const ToxicReleaseInput& in, double ua, double ta_k) {
  ModelChoice m;
  m.ur = ua;
  m.x_m = in.decision_x_m;
  m.x_basis = "判定距离X";
  std::vector<Receptor> rs;
  if (in.x_nearest_receptor && !parseReceptors(in.receptors, rs))
    for (const auto& r : rs) {
      const double d = std::hypot(r.x - in.src_x_m, r.y - in.src_y_m);
      if (m.x_basis == "判定距离X" || d < m.x_m) {
        m.x_m = d;
        m.x_basis = "最近敏感目标“" + r.name + "”";
      }
    }
  m.t_s = 2 * m.x_m / ua;
  const bool inst = in.source == SourceType::Instantaneous;
  m.td_s = inst ? 0 : in.tsd_s;
  // Td > T: continuous; otherwise instantaneous.
  m.continuous = m.td_s > m.t_s;
  const double ts = std::max(in.ts_c + kKelvin, in.tbp_c + kKelvin);
  const double m_kg = in.wms_g_mol / 1000;
  const double rho_v = kPa * m_kg / (kR * ts);
  const double fl = std::clamp(in.cmed0, 0.0, 0.999);
  m.rho_rel = 1 / ((1 - fl) / rho_v + (in.rhosl_kg_m3 > 0 ? fl / in.rhosl_kg_m3 : 0));
  m.rho_a = kPa * kAirMolar / (kR * ta_k);
  m.d_rel = std::sqrt(4 * in.as_m2 / kPi);
  if (m.continuous) {
    m.q = in.qs_kg_s;
    m.ri = richardsonContinuous(m.rho_rel, m.rho_a, m.q, m.d_rel, ua);
    m.threshold = 1.0 / 6.0;
    m.dense = denseContinuous(m.ri);
  } else {
    m.q = inst ? in.qtis_kg : in.qs_kg_s * in.tsd_s;
    m.ri = richardsonInstantaneous(m.rho_rel, m.rho_a, m.q, ua);
    m.threshold = 0.04;
    m.dense = denseInstantaneous(m.ri);
  }
  if (!std::isfinite(m.ri)) m.ri = 0;  // lighter than air: the cube root of a negative
  return m;
}

std::vector<WeatherCase> weatherCases(const ToxicReleaseInput& in) {
  std::vector<WeatherCase> v = {{"最不利气象条件", 5, 1.5, 25, 50}};
  if (in.common_case)
    v.push_back({"最常见气象条件", in.common_stab, in.common_ua_m_s, in.common_ta_c, in.common_rh});
  return v;
}

core::Check parseReceptors(const std::string& text, std::vector<Receptor>& out) {
  out.clear();
  // Receptors are separated by line ends or ';' (the field is one line on the page).
  std::string all = text;
  std::replace(all.begin(), all.end(), ';', '\n');
  std::istringstream in(all);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    std::replace(line.begin(), line.end(), '\t', ',');
    if (trim(line).empty()) continue;
    const auto c = splitCsv(line);
    Receptor r;
    bool ok = c.size() >= 3 && c.size() <= 4 && !c[0].empty();
    ok = ok && number(c[1], r.x) && number(c[2], r.y) && !c[1].empty() && !c[2].empty();
    if (ok && c.size() == 4) ok = number(c[3], r.z) && r.z >= 0;
    if (!ok)
      return core::fail(
          "敏感目标第" + std::to_string(n) + "行应为“名称, X, Y[, 高度]”，请重新输入！",
          "receptors");
    r.name = c[0];
    out.push_back(r);
  }
  return std::nullopt;
}

core::Check checkToxicRelease(const ToxicReleaseInput& in) {
  const bool inst = in.source == SourceType::Instantaneous;
  const std::string who = "物质“" + in.substance + "”缺少";
  if (!(in.wms_g_mol > 0)) return core::fail(who + "摩尔质量，请补充！", "wms");
  if (!(in.tbp_c > -kKelvin)) return core::fail(who + "沸点，请补充！", "tbp");
  if (!(in.dhe_j_kg > 0)) return core::fail(who + "汽化热，请补充！", "dhe");
  if (!(in.cps_j_kg_k > 0)) return core::fail(who + "气体比热容，请补充！", "cps");
  if (!(in.rhosl_kg_m3 > 0)) return core::fail(who + "液体密度，请补充！", "rhosl");
  if ((in.source == SourceType::Pool || in.cmed0 > 0) && !(in.cpsl_j_kg_k > 0))
    return core::fail(who + "液体比热容（液池或含液相的释放需要），请补充！", "cpsl");
  if (!std::isfinite(in.spb_k) || !std::isfinite(in.spc_k) ||
      (in.spb_k >= 0 && in.tbp_c + kKelvin + in.spc_k <= 0))
    return core::fail(who + "可用的饱和蒸气压常数B、C，请补充！", "spb");
  if (!(in.endpoint1_mg_m3 > 0)) return core::fail(who + "毒性终点浓度-1，请补充！", "ep1");
  if (!(in.endpoint2_mg_m3 > 0)) return core::fail(who + "毒性终点浓度-2，请补充！", "ep2");
  if (!(in.ts_c > -kKelvin)) return core::fail("源温度必须高于绝对零度，请重新输入！", "ts");
  if (inst) {
    if (auto f = requirePositive(in.qtis_kg, "qtis", "释放质量")) return f;
  } else {
    if (auto f = requirePositive(in.qs_kg_s, "qs", "释放速率")) return f;
    if (auto f = requirePositive(in.tsd_s, "tsd", "释放持续时间")) return f;
  }
  if (auto f = requirePositive(in.as_m2, "as", "源面积")) return f;
  if (auto f = requireNotNegative(in.hs_m, "hs", "源高度")) return f;
  if (!(in.cmed0 >= 0 && in.cmed0 <= 0.999))
    return core::fail("液相质量分数必须在0～0.999之间，请重新输入！", "cmed0");
  if (auto f = requirePositive(in.decision_x_m, "X", "判定距离X")) return f;
  if (in.common_case) {
    if (!(in.common_ua_m_s > 0))
      return core::fail("最常见气象条件的风速必须大于0，请重新输入！", "ua2");
    if (!(in.common_ta_c > -kKelvin))
      return core::fail("最常见气象条件的气温必须高于绝对零度，请重新输入！", "ta2");
    if (!(in.common_rh >= 0 && in.common_rh <= 100))
      return core::fail("最常见气象条件的相对湿度必须在0～100%之间，请重新输入！", "rh2");
  }
  if (!(in.z0_m > 0 && in.z0_m <= 10))
    return core::fail("地表粗糙度必须大于0且不大于10 m，请重新输入！", "z0");
  if (auto f = requirePositive(in.za_m, "za", "风速测量高度")) return f;
  if (auto f = requireNotNegative(in.tav_s, "tav", "浓度平均时间")) return f;
  if (auto f = requirePositive(in.xffm_m, "xffm", "最远计算距离")) return f;
  if (auto f = requireNotNegative(in.zp_m, "zp", "预测高度")) return f;
  std::vector<Receptor> rs;
  if (auto f = parseReceptors(in.receptors, rs)) return f;
  for (const auto& r : rs)
    if (std::hypot(r.x - in.src_x_m, r.y - in.src_y_m) < 0.01)
      return core::fail("敏感目标“" + r.name + "”位于泄漏源处，请重新输入！", "receptors");
  return std::nullopt;
}

slab::Deck toxicReleaseDeck(const ToxicReleaseInput& in, const WeatherCase& w) {
  slab::Deck d;
  d.idspl = static_cast<int>(in.source) + 1;
  d.ncalc = 1;
  d.wms = in.wms_g_mol / 1000;
  d.cps = in.cps_j_kg_k;
  d.tbp = in.tbp_c + kKelvin;
  d.cmed0 = in.cmed0;
  d.dhe = in.dhe_j_kg;
  d.cpsl = in.cpsl_j_kg_k;
  d.rhosl = in.rhosl_kg_m3;
  d.spb = in.spb_k;
  d.spc = in.spc_k;
  d.ts = in.ts_c + kKelvin;
  const bool inst = in.source == SourceType::Instantaneous;
  d.qs = inst ? 0 : in.qs_kg_s;
  d.tsd = inst ? 0 : in.tsd_s;
  d.qtis = inst ? in.qtis_kg : 0;
  d.as = in.as_m2;
  d.hs = inst ? 0 : in.hs_m;
  d.tav = in.tav_s;
  d.xffm = in.xffm_m;
  d.zp = {in.zp_m, 0, 0, 0};
  slab::Met m;
  m.z0 = in.z0_m;
  m.za = in.za_m;
  m.ua = w.ua;
  m.ta = w.ta_c + kKelvin;
  m.rh = w.rh;
  m.stab = w.stab + 1;
  d.mets = {m};
  return d;
}

double mgPerM3(double volume_fraction, double wms_kg_mol, double t_k) {
  return volume_fraction * wms_kg_mol * kPa / (kR * t_k) * 1e6;
}

double volumeFraction(double mg_m3, double wms_kg_mol, double t_k) {
  return mg_m3 / (wms_kg_mol * kPa / (kR * t_k) * 1e6);
}

namespace {

// Half width at distance x where the peak concentration reaches `level` (0 when the centreline
// does not).
double halfWidth(const slab::RunResult& run, double x, double z, double level) {
  if (slab::peakConcentration(run, x, 0, z) < level) return 0;
  double lo = 0, hi = 1;
  while (slab::peakConcentration(run, x, hi, z) >= level && hi < 1e5) {
    lo = hi;
    hi *= 2;
  }
  for (int i = 0; i < 40; ++i) {
    const double mid = 0.5 * (lo + hi);
    (slab::peakConcentration(run, x, mid, z) >= level ? lo : hi) = mid;
  }
  return lo;
}

ReceptorResult receptorResult(const ToxicReleaseInput& in, const CaseResult& c, const Receptor& r,
                              const double level[2], double tend) {
  ReceptorResult out;
  out.name = r.name;
  const double th = in.wind_to_deg * std::numbers::pi / 180;
  const double dx = r.x - in.src_x_m, dy = r.y - in.src_y_m;
  out.downwind = dx * std::sin(th) + dy * std::cos(th);
  out.crosswind = dx * std::cos(th) - dy * std::sin(th);
  const int n = 300;
  for (int i = 0; i <= n; ++i) out.times.push_back(tend * i / n);
  const auto series =
      slab::receptorSeries(c.run, out.downwind, std::fabs(out.crosswind), r.z, out.times);
  const double tk = c.weather.ta_c + kKelvin;
  const double dt = tend / n;
  for (size_t i = 0; i < series.size(); ++i) {
    const double v = mgPerM3(series[i], in.wms_g_mol / 1000, tk);
    out.conc_mg_m3.push_back(v);
    if (v > out.max_mg_m3) out.max_mg_m3 = v, out.tmax_s = out.times[i];
    for (int k = 0; k < 2; ++k)
      if (v >= level[k]) {
        if (out.first_s[k] < 0) out.first_s[k] = out.times[i];
        out.duration_s[k] += dt;
      }
  }
  return out;
}

}  // namespace

ToxicReleaseResult computeToxicRelease(const ToxicReleaseInput& in) {
  ToxicReleaseResult out;
  std::vector<Receptor> receptors;
  parseReceptors(in.receptors, receptors);
  const double m_kg = in.wms_g_mol / 1000;
  for (const auto& w : weatherCases(in)) {
    slab::Deck deck = toxicReleaseDeck(in, w);
    out.decks.push_back(deck);
    slab::Result res = slab::run(deck);
    if (res.status != slab::Status::Ok || res.runs.empty()) {
      out.status = res.status == slab::Status::Ok ? slab::Status::Failed : res.status;
      out.message = w.name + "：" + res.message;
      out.cases.clear();
      return out;
    }
    CaseResult c;
    c.weather = w;
    const double tk = w.ta_c + kKelvin;
    c.choice = chooseModel(in, w.ua, tk);
    c.run = std::move(res.runs.front());
    const double levels[2] = {in.endpoint1_mg_m3, in.endpoint2_mg_m3};
    for (int k = 0; k < 2; ++k) {
      c.endpoints[k].level_mg_m3 = levels[k];
      const double vf = volumeFraction(levels[k], m_kg, tk);
      c.endpoints[k].reach = slab::farthestDistance(c.run, vf, in.zp_m);
      for (const auto& row : c.run.conc) {
        c.footprints[k].x.push_back(row.x);
        c.footprints[k].half_width.push_back(halfWidth(c.run, row.x, in.zp_m, vf));
      }
    }
    // One time axis for every receptor: long enough for the farthest to see the cloud pass.
    double tend = c.run.tsd + 600;
    const double th = in.wind_to_deg * std::numbers::pi / 180;
    for (const auto& r : receptors) {
      const double down = (r.x - in.src_x_m) * std::sin(th) + (r.y - in.src_y_m) * std::cos(th);
      tend = std::max(tend, c.run.tsd + 3 * std::max(0.0, down) / w.ua + 600);
    }
    for (const auto& r : receptors) c.receptors.push_back(receptorResult(in, c, r, levels, tend));
    out.cases.push_back(std::move(c));
  }
  return out;
}

std::vector<AxialPoint> axialConcentrations(const ToxicReleaseInput& in, const CaseResult& c) {
  std::vector<AxialPoint> out;
  for (const auto& row : c.run.conc)
    out.push_back({row.x, mgPerM3(row.cz.empty() ? 0 : row.cz[0][0], in.wms_g_mol / 1000,
                                  c.weather.ta_c + kKelvin)});
  return out;
}

std::vector<core::Table> toxicReleaseTables(const ToxicReleaseInput& in,
                                            const ToxicReleaseResult& r) {
  std::vector<core::Table> t;
  {
    core::Table tb;
    tb.title = "模型选择（附录G）";
    tb.headers = {"气象条件", "Ur (m/s)", "X (m)",        "X取值",      "T=2X/Ur (s)",
                  "Td (s)",   "排放形式", "ρrel (kg/m³)", "ρa (kg/m³)", "Drel (m)",
                  "Q",        "Ri",       "判据",         "气体类型",   "计算模型"};
    for (const auto& c : r.cases) {
      const auto& m = c.choice;
      tb.rows.push_back({c.weather.name, g(m.ur), f1(m.x_m), m.x_basis, g(m.t_s), g(m.td_s),
                         m.continuous ? "连续排放" : "瞬时排放", core::cformat("%.4g", m.rho_rel),
                         core::cformat("%.4g", m.rho_a), core::cformat("%.4g", m.d_rel),
                         g(m.q) + (m.continuous ? " kg/s" : " kg"), core::cformat("%.4g", m.ri),
                         m.continuous ? "Ri≥1/6为重质气体" : "Ri>0.04为重质气体",
                         m.dense ? "重质气体" : "轻质或中性气体",
                         m.dense ? "kuvaslab" : "kuvaslab（见注）"});
    }
    t.push_back(tb);
  }
  {
    core::Table tb;
    tb.title = "预测结果：毒性终点浓度最远影响距离";
    tb.headers = {"气象条件", "毒性终点", "浓度 (mg/m³)", "最远影响距离 (m)", "到达时间 (min)"};
    for (const auto& c : r.cases)
      for (int k = 0; k < 2; ++k) {
        const auto& e = c.endpoints[k];
        std::string dist = "未达到", time = "—";
        if (e.reach.found) {
          dist = f1(e.reach.x) + (e.reach.beyondLastRow ? "（超出计算范围）" : "");
          time = core::cformat("%.2f", e.reach.tmax / 60);
        }
        tb.rows.push_back({c.weather.name, k == 0 ? "大气毒性终点浓度-1" : "大气毒性终点浓度-2",
                           g(e.level_mg_m3), dist, time});
      }
    t.push_back(tb);
  }
  {
    // Each weather case has its own downwind steps (where the source phase ends depends on the
    // wind): a distance column per case, to two decimals so that the close steps near the
    // source stay apart.
    core::Table tb;
    tb.title = "下风向轴线最大浓度";
    std::vector<std::vector<AxialPoint>> axes;
    std::size_t rows = 0;
    for (const auto& c : r.cases) {
      tb.headers.push_back(c.weather.name + " 距离 (m)");
      tb.headers.push_back(c.weather.name + " 浓度 (mg/m³)");
      tb.widths.insert(tb.widths.end(), {180, 210});  // the case's name stays readable
      axes.push_back(axialConcentrations(in, c));
      rows = std::max(rows, axes.back().size());
    }
    for (size_t i = 0; i < rows; ++i) {
      std::vector<std::string> row;
      for (const auto& axis : axes) {
        if (i >= axis.size()) {
          row.insert(row.end(), {"", ""});
          continue;
        }
        row.push_back(core::cformat("%.2f", axis[i].x_m));
        row.push_back(core::cformat("%.4g", axis[i].c_mg_m3));
      }
      tb.rows.push_back(row);
    }
    t.push_back(tb);
  }
  if (!r.cases.empty() && !r.cases[0].receptors.empty()) {
    core::Table tb;
    tb.title = "敏感目标浓度";
    tb.headers = {"气象条件",
                  "敏感目标",
                  "下风向距离 (m)",
                  "侧风向距离 (m)",
                  "最大浓度 (mg/m³)",
                  "出现时间 (min)",
                  "超终点浓度-1时刻 (min)",
                  "超终点浓度-1持续 (min)",
                  "超终点浓度-2时刻 (min)",
                  "超终点浓度-2持续 (min)"};
    for (const auto& c : r.cases)
      for (const auto& rr : c.receptors) {
        std::vector<std::string> row = {c.weather.name,
                                        rr.name,
                                        f1(rr.downwind),
                                        f1(rr.crosswind),
                                        core::cformat("%.4g", rr.max_mg_m3),
                                        core::cformat("%.2f", rr.tmax_s / 60)};
        for (int k = 0; k < 2; ++k) {
          row.push_back(rr.first_s[k] < 0 ? "未超过" : core::cformat("%.2f", rr.first_s[k] / 60));
          row.push_back(core::cformat("%.2f", rr.duration_s[k] / 60));
        }
        tb.rows.push_back(row);
      }
    t.push_back(tb);
    core::Table ts;
    ts.title = "敏感目标浓度随时间变化";
    ts.headers = {"时间 (min)"};
    for (const auto& c : r.cases)
      for (const auto& rr : c.receptors)
        ts.headers.push_back(c.weather.name + " " + rr.name + " (mg/m³)");
    const auto& times = r.cases[0].receptors[0].times;
    for (size_t i = 0; i < times.size(); i += 5) {
      std::vector<std::string> row = {core::cformat("%.2f", times[i] / 60)};
      for (const auto& c : r.cases)
        for (const auto& rr : c.receptors)
          row.push_back(core::cformat("%.4g", i < rr.conc_mg_m3.size() ? rr.conc_mg_m3[i] : 0.0));
      ts.rows.push_back(row);
    }
    t.push_back(ts);
  }
  return t;
}

namespace {

std::string resultText(const ToxicReleaseInput& in, const ToxicReleaseResult& r) {
  std::string s;
  const double m_kg = in.wms_g_mol / 1000;
  s += "物质：" + in.substance + "\r\n";
  for (const auto& c : r.cases) {
    const double tk = c.weather.ta_c + kKelvin;
    s += core::cformat("%s：稳定度%s，风速%g m/s，气温%g ℃，相对湿度%g %%\r\n",
                       c.weather.name.c_str(), kStab[std::clamp(c.weather.stab, 0, 5)],
                       c.weather.ua, c.weather.ta_c, c.weather.rh);
    s += core::cformat(
        "  体积分数与质量浓度换算：c(mg/m³) = φ·M·p/(R·T)·10⁶，p = 101325 Pa，T = %.2f K，"
        "1 ppm(体积) = %.4g mg/m³\r\n",
        tk, mgPerM3(1e-6, m_kg, tk));
    s += core::cformat("  X = %.1f m（%s），T = 2X/Ur = %.4g s，Td = %.4g s：%s，Ri = %.4g，%s\r\n",
                       c.choice.x_m, c.choice.x_basis.c_str(), c.choice.t_s, c.choice.td_s,
                       c.choice.continuous ? "连续排放" : "瞬时排放", c.choice.ri,
                       c.choice.dense ? "重质气体，采用kuvaslab" : "轻质或中性气体");
    if (!c.choice.dense) s += std::string("  ") + kNeutralNote + "\r\n";
    for (int k = 0; k < 2; ++k) {
      const auto& e = c.endpoints[k];
      if (e.reach.found)
        s += core::cformat(
            "  毒性终点浓度-%d（%g mg/m³）：最远影响距离 %.1f m%s，到达时间 %.2f min\r\n", k + 1,
            e.level_mg_m3, e.reach.x, e.reach.beyondLastRow ? "（已达最远计算距离）" : "",
            e.reach.tmax / 60);
      else
        s += core::cformat("  毒性终点浓度-%d（%g mg/m³）：未达到\r\n", k + 1, e.level_mg_m3);
    }
  }
  s += core::cformat("浓度平均时间 %g s（导则未规定，默认60 s）\r\n", in.tav_s);
  return s;
}

}  // namespace

namespace {
const core::Form<ToxicReleaseInput>& toxicReleaseForm();
}  // namespace

ToxicReleaseInput toxicReleaseInput(const core::Values& v) { return toxicReleaseForm().read(v); }

namespace {

const core::Form<ToxicReleaseInput>& toxicReleaseForm() {
  using In = ToxicReleaseInput;
  static const core::Form<In> f = [] {
    core::Form<In> form("物质");
    form.bind("substance", &In::substance, 4001, "物质名称");
    form.bind("wms", &In::wms_g_mol, 4002, "摩尔质量M", "g/mol");
    form.bind("tbp", &In::tbp_c, 4003, "常压沸点Tb", "℃");
    form.bind("dhe", &In::dhe_j_kg, 4004, "沸点汽化热ΔHv", "J/kg");
    form.bind("cps", &In::cps_j_kg_k, 4005, "气体比热容cps", "J/(kg·K)");
    form.bind("cpsl", &In::cpsl_j_kg_k, 4006, "液体比热容cpsl", "J/(kg·K)").sym("cp,l");
    form.bind("rhosl", &In::rhosl_kg_m3, 4007, "液体密度ρl", "kg/m³");
    form.bind("spb", &In::spb_k, 4008, "饱和蒸气压常数B", "K");
    form.bind("spc", &In::spc_k, 4009, "饱和蒸气压常数C", "K");
    form.bind("ep1", &In::endpoint1_mg_m3, 4010, "大气毒性终点浓度-1", "mg/m³").sym("C1");
    form.bind("ep2", &In::endpoint2_mg_m3, 4011, "大气毒性终点浓度-2", "mg/m³").sym("C2");
    form.group("释放");
    form.choice("source", &In::source, 4020, "源类型",
                {"蒸发液池", "水平喷射", "垂直喷射或烟囱", "瞬时释放"});
    form.bind("ts", &In::ts_c, 4021, "源温度Ts", "℃");
    form.bind("qs", &In::qs_kg_s, 4022, "释放速率Q", "kg/s");
    form.bind("tsd", &In::tsd_s, 4023, "释放持续时间Td", "s");
    form.bind("qtis", &In::qtis_kg, 4024, "瞬时释放质量Qt", "kg");
    form.bind("as", &In::as_m2, 4025, "源面积A", "m²");
    form.bind("hs", &In::hs_m, 4026, "源高度Hs", "m");
    form.bind("cmed0", &In::cmed0, 4027, "液相质量分数");
    form.bind("X", &In::decision_x_m, 4028, "判定距离X", "m");
    form.check("xnear", &In::x_nearest_receptor, 4029, "X取最近敏感目标距离");
    form.group("气象");
    form.check("common", &In::common_case, 4040, "计算最常见气象条件");
    form.choice("stab2", &In::common_stab, 4041, "最常见稳定度", {"A", "B", "C", "D", "E", "F"});
    form.bind("ua2", &In::common_ua_m_s, 4042, "最常见风速", "m/s");
    form.bind("ta2", &In::common_ta_c, 4043, "最常见气温", "℃");
    form.bind("rh2", &In::common_rh, 4044, "最常见相对湿度", "%");
    std::vector<std::string> covers;
    for (const auto& lc : landCovers())
      covers.push_back(std::string(lc.name) + core::cformat("（%g m）", lc.z0_m));
    form.choice("cover", &In::land_cover, 4045, "下垫面", covers);
    form.bind("z0", &In::z0_m, 4046, "地表粗糙度z0", "m");
    form.bind("za", &In::za_m, 4047, "风速测量高度", "m");
    form.bind("tav", &In::tav_s, 4048, "浓度平均时间", "s");
    form.bind("xffm", &In::xffm_m, 4049, "最远计算距离", "m").sym("xmax");
    form.bind("zp", &In::zp_m, 4050, "预测高度", "m");
    form.group("平面与敏感目标");
    form.bind("srcx", &In::src_x_m, 4060, "泄漏源X", "m");
    form.bind("srcy", &In::src_y_m, 4061, "泄漏源Y", "m");
    form.bind("wind", &In::wind_to_deg, 4062, "风向（下风方位角）", "°").sym("θ");
    form.bind("receptors", &In::receptors, 4063, "敏感目标（名称、X、Y、高度）");
    return form;
  }();
  return f;
}

}  // namespace

const core::CalculatorDesc& toxicReleaseDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "toxic_release";
    c.title = "有毒物质扩散预测 (HJ 169-2018)";
    c.category = kCategory;
    c.command = 32839;
    c.page = 45;
    c.template_id = 242;
    c.class_name = "CToxicReleaseDlg";
    c.method =
        "HJ 169-2018 建设项目环境风险评价技术导则 附录G（模型选择）、附录H（毒性终点浓度）；"
        "重质气体扩散 kuvaslab（Ermak 1990, UCRL-MA-105607）";
    c.formulas =
        "T = 2X/Ur，X 为泄漏源至最近受体点（敏感目标）的距离，Ur 为10 m高处风速；"
        "Td > T 为连续排放，否则为瞬时排放\n"
        "连续排放 Ri = [g·(ρrel − ρa)/ρa · (Q/ρrel)/Drel]^(1/3) / Ur，Ri ≥ 1/6 为重质气体\n"
        "瞬时排放 Ri = g·(ρrel − ρa)/ρa · (Qt/ρrel)^(1/3) / Ur²，Ri > 0.04 为重质气体\n"
        "c(mg/m³) = φ·M·p/(R·T)·10⁶";
    using In = ToxicReleaseInput;
    const auto& form = toxicReleaseForm();
    c.fields = form.fields();
    c.actions = {{"compute", "计算", 4090}};
    c.result_text_id = 4091;
    c.compute = form.compute([](const In& in, const std::string&) {
      if (auto f = checkToxicRelease(in)) return core::failed(*f);
      const auto r = computeToxicRelease(in);
      if (r.status != slab::Status::Ok)
        return core::failed(core::fail("kuvaslab拒绝计算：" + r.message));
      core::Outcome o;
      o.text = resultText(in, r);
      o.tables = toxicReleaseTables(in, r);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
