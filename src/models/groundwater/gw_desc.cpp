#include "models/groundwater/gw_desc.h"

#include <algorithm>
#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "core/parse.h"

namespace models::groundwater {

namespace {

constexpr const char* kCategory = "地下水预测工具";
constexpr const char* kGroupSite = "含水层与源强";
constexpr const char* kGroupPoint = "预测点";
constexpr const char* kGroupTable = "浓度预测表与超标范围";
constexpr size_t kMostListEntries = 200;
constexpr const char* kUnits =
    "单位：长度 m，时间 d，质量 kg；公式给出 kg/m³（= g/L），乘以1000得 mg/L；C "
    "为背景值之上的增量；"
    "u 为实际流速（渗流速度）u = K·I / n";

std::string num(double v) { return core::cformat("%.6g", v); }

core::Check positive(double v, const char* key, const char* name) {
  if (v > 0 && std::isfinite(v)) return std::nullopt;
  return core::fail(std::string(name) + "必须大于0，请重新输入！", key);
}

// The entries of a list, checked: numbers, at least one, at most kMostListEntries, and each
// accepted by `ok` (else `message`).
template <class Ok>
core::Check checkList(const std::string& text, const char* key, const char* name, Ok ok,
                      const char* message) {
  const auto list = parseNumberList(text);
  if (!list) return core::fail(std::string(name) + "中有不是数字的内容，请重新输入！", key);
  if (list->empty()) return core::fail(std::string(name) + "至少要有一个数，请重新输入！", key);
  if (list->size() > kMostListEntries)
    return core::fail(std::string(name) + "最多200个数，请重新输入！", key);
  for (double v : *list)
    if (!(std::isfinite(v) && ok(v))) return core::fail(std::string(name) + message, key);
  return std::nullopt;
}

// C as a table cell: 6 significant digits (small values in scientific notation, never 0.000);
// the source point of the continuous 2-D solution, where C is infinite, as "—".
std::string cell(double c) { return std::isfinite(c) ? num(c) : "—"; }

core::Table concentrationTable(GwSolution s, const GwInput& in, const std::vector<double>& xs,
                               const std::vector<double>& ts) {
  core::Table t;
  t.title = isTwoD(s) ? core::cformat("浓度预测表 C [mg/L]（y = %s m）", num(in.y_m).c_str())
                      : std::string("浓度预测表 C [mg/L]");
  t.headers.push_back("t [d] \\ x [m]");
  for (double x : xs) t.headers.push_back(num(x));
  for (double tt : ts) {
    std::vector<std::string> row{num(tt)};
    for (double x : xs) row.push_back(cell(gwConcentration(s, in.site, x, in.y_m, tt)));
    t.rows.push_back(std::move(row));
  }
  return t;
}

// One row per time and level: the extent where C >= the standard (超标范围) and where C >= the
// detection limit (影响范围).
core::Table extentTable(GwSolution s, const GwInput& in, const std::vector<double>& ts,
                        std::string& text) {
  core::Table t;
  t.title = "超标范围与影响范围";
  t.headers = {"t [d]", "范围", "浓度限值 [mg/L]", "上游最远 x [m]", "下游最远 x [m]"};
  if (s == GwSolution::Instant1D) t.headers.push_back("长度 [m]");
  if (isTwoD(s)) t.headers.insert(t.headers.end(), {"最大半宽 [m]", "面积 [m²]"});
  for (double tt : ts) {
    for (int k = 0; k < 2; ++k) {
      const double level = k == 0 ? in.s_mg_l : in.sdet_mg_l;
      const char* name = k == 0 ? "超标范围" : "影响范围";
      std::vector<std::string> row{num(tt), name, num(level)};
      const auto e = gwExtent(s, in.site, tt, level);
      if (!e) {
        row.resize(t.headers.size(), "无");
        text += core::cformat("t = %s d：%s（C ≥ %s mg/L）无\r\n", num(tt).c_str(), name,
                              num(level).c_str());
      } else {
        row.push_back(num(e->x_from_m));
        row.push_back(num(e->x_to_m));
        if (s == GwSolution::Instant1D) row.push_back(num(e->x_to_m - e->x_from_m));
        if (isTwoD(s)) {
          row.push_back(num(e->y_half_max_m));
          row.push_back(num(e->area_m2));
        }
        std::string line =
            core::cformat("t = %s d：%s（C ≥ %s mg/L）x 从 %s m 至 %s m", num(tt).c_str(), name,
                          num(level).c_str(), num(e->x_from_m).c_str(), num(e->x_to_m).c_str());
        if (isTwoD(s))
          line +=
              core::cformat("，最大半宽 %s m（x = %s m），面积 %s m²", num(e->y_half_max_m).c_str(),
                            num(e->x_at_y_half_m).c_str(), num(e->area_m2).c_str());
        text += line + "\r\n";
      }
      t.rows.push_back(std::move(row));
    }
  }
  return t;
}

core::Outcome::Grid contourGrid(GwSolution s, const GwInput& in) {
  const GwGrid g = gwGrid(s, in.site, in.t_d, in.sdet_mg_l);
  core::Outcome::Grid out;
  out.nx = g.nx;
  out.ny = g.ny;
  out.xmin = g.xmin, out.xmax = g.xmax, out.ymin = g.ymin, out.ymax = g.ymax;
  out.z.reserve(g.z.size());
  for (double v : g.z) out.z.push_back(static_cast<float>(std::min(v, 3e38)));
  const auto [lo, hi] = std::minmax_element(out.z.begin(), out.z.end());
  out.zmin = *lo;
  out.zmax = *hi;
  return out;
}

struct DescSpec {
  GwSolution s;
  const char* id;
  const char* title;
  int command, page, template_id;
  const char* class_name;
  const char* method;
  const char* formulas;
};

core::CalculatorDesc makeDesc(const DescSpec& spec) {
  const GwSolution s = spec.s;
  core::CalculatorDesc c;
  c.id = spec.id;
  c.title = spec.title;
  c.category = kCategory;
  c.command = spec.command;
  c.page = spec.page;
  c.template_id = spec.template_id;
  c.class_name = spec.class_name;
  c.method = spec.method;
  c.formulas = std::string(spec.formulas) + "\n" + kUnits;
  using In = GwInput;
  core::Form<In> form(kGroupSite);
  switch (s) {
    case GwSolution::Instant1D:
      form.bind("m", &In::site, &GwSite::m_kg, 1001, "瞬时注入的污染物质量m", "kg");
      form.bind("w", &In::site, &GwSite::w_m2, 1002, "横截面面积w", "m²");
      break;
    case GwSolution::Continuous1D:
      form.bind("C0", &In::site, &GwSite::c0_mg_l, 1008, "注入端（x = 0）浓度C0", "mg/L");
      break;
    case GwSolution::Instant2D:
      form.bind("m", &In::site, &GwSite::m_kg, 1001, "瞬时注入的污染物质量m", "kg");
      form.bind("M", &In::site, &GwSite::M_m, 1007, "含水层厚度M", "m");
      break;
    case GwSolution::Continuous2D:
      form.bind("mt", &In::site, &GwSite::mt_kg_d, 1009, "单位时间注入的污染物质量mt", "kg/d");
      form.bind("M", &In::site, &GwSite::M_m, 1007, "含水层厚度M", "m");
      break;
  }
  if (s != GwSolution::Continuous1D) form.bind("n", &In::site, &GwSite::n, 1003, "有效孔隙度n");
  form.bind("u", &In::site, &GwSite::u_m_d, 1004, "地下水实际流速u", "m/d").tooltip =
      "渗流速度 u = K·I / n（不是达西流速 K·I）";
  form.bind("DL", &In::site, &GwSite::dl_m2_d, 1005, "纵向弥散系数DL", "m²/d");
  if (isTwoD(s)) form.bind("DT", &In::site, &GwSite::dt_m2_d, 1006, "横向弥散系数DT", "m²/d");
  form.group(kGroupPoint);
  form.bind("x", &In::x_m, 1010, "沿水流方向距注入点的距离x", "m");
  if (isTwoD(s)) form.bind("y", &In::y_m, 1011, "垂直水流方向距轴线的距离y", "m");
  form.bind("t", &In::t_d, 1012, "预测时间t", "d");
  form.group(kGroupTable);
  form.bind("xs", &In::xs, 1013, "预测距离x（逗号分隔）", "m").sym("x", "m");
  form.bind("ts", &In::ts, 1014, "预测时间t（逗号分隔）", "d").sym("t", "d");
  form.bind("S", &In::s_mg_l, 1015, "水质标准限值S", "mg/L");
  form.bind("Sdet", &In::sdet_mg_l, 1016, "检出限", "mg/L").sym("Sd", "mg/L");
  c.fields = form.fields();
  c.fields.push_back(
      core::resultField("C", 1020, "预测点浓度C", "mg/L", "计算结果", core::FieldType::Double));
  c.fields.back().format = "%.6g";
  if (s == GwSolution::Instant2D) {
    c.fields.push_back(core::resultField("mM", 1021, "单位厚度注入质量mM（m/M）", "kg/m",
                                         "计算结果", core::FieldType::Double));
    c.fields.back().sym("mM", "kg/m").format = "%.6g";
  }
  c.actions = {{"compute", "计算", 1030}, {"curves", "浓度曲线", 1031}};
  if (isTwoD(s)) c.actions.push_back({"map", "等值线图", 1032});
  c.result_text_id = 1040;
  c.compute = form.compute([s](const In& in, const std::string& action) {
    if (auto f = checkGw(s, in)) return core::failed(*f);
    core::Outcome o = computeGw(s, in);
    if (action == "map") {
      o.grid = contourGrid(s, in);
      const double reach = std::max({std::abs(o.grid->xmin), std::abs(o.grid->xmax), o.grid->ymax});
      if (!(reach < 1e30))  // the map's coordinates are single precision
        return core::failed(core::fail("等值线图的范围过大，无法绘制，请减小预测时间t！", "t"));
    }
    return o;
  });
  return c;
}

}  // namespace

std::optional<std::vector<double>> parseNumberList(const std::string& text) {
  std::string t = text;
  for (const char* sep : {"，", "；", "、", "　"})
    for (size_t at; (at = t.find(sep)) != std::string::npos;)
      t.replace(at, std::char_traits<char>::length(sep), ",");
  for (char& ch : t)
    if (ch == ';' || ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') ch = ',';
  std::vector<double> out;
  size_t start = 0;
  while (start <= t.size()) {
    const size_t end = std::min(t.find(',', start), t.size());
    const std::string part = t.substr(start, end - start);
    if (!part.empty()) {
      const core::ParsedNumber p = core::parseNumber(part);
      if (!p.ok()) return std::nullopt;
      out.push_back(p.value);
    }
    start = end + 1;
  }
  return out;
}

std::optional<GwSolution> gwSolutionOf(const std::string& id) {
  if (id == "gw_1d_instant") return GwSolution::Instant1D;
  if (id == "gw_1d_continuous") return GwSolution::Continuous1D;
  if (id == "gw_2d_instant") return GwSolution::Instant2D;
  if (id == "gw_2d_continuous") return GwSolution::Continuous2D;
  return std::nullopt;
}

GwInput gwReadInput(const core::Values& v) {
  GwInput in;
  const auto read = [&v](const char* key, double& to) {
    if (v.has(key)) to = v.num(key);
  };
  read("m", in.site.m_kg);
  read("w", in.site.w_m2);
  read("n", in.site.n);
  read("u", in.site.u_m_d);
  read("DL", in.site.dl_m2_d);
  read("DT", in.site.dt_m2_d);
  read("M", in.site.M_m);
  read("C0", in.site.c0_mg_l);
  read("mt", in.site.mt_kg_d);
  read("x", in.x_m);
  read("y", in.y_m);
  read("t", in.t_d);
  read("S", in.s_mg_l);
  read("Sdet", in.sdet_mg_l);
  if (v.has("xs")) in.xs = v.text("xs");
  if (v.has("ts")) in.ts = v.text("ts");
  return in;
}

core::Check checkGw(GwSolution s, const GwInput& in) {
  const GwSite& p = in.site;
  switch (s) {
    case GwSolution::Instant1D:
      if (auto f = positive(p.m_kg, "m", "瞬时注入的污染物质量m")) return f;
      if (auto f = positive(p.w_m2, "w", "横截面面积w")) return f;
      break;
    case GwSolution::Continuous1D:
      if (auto f = positive(p.c0_mg_l, "C0", "注入端浓度C0")) return f;
      break;
    case GwSolution::Instant2D:
      if (auto f = positive(p.m_kg, "m", "瞬时注入的污染物质量m")) return f;
      if (auto f = positive(p.M_m, "M", "含水层厚度M")) return f;
      break;
    case GwSolution::Continuous2D:
      if (auto f = positive(p.mt_kg_d, "mt", "单位时间注入的污染物质量mt")) return f;
      if (auto f = positive(p.M_m, "M", "含水层厚度M")) return f;
      break;
  }
  if (s != GwSolution::Continuous1D && !(p.n > 0 && p.n <= 1))
    return core::fail("有效孔隙度n必须大于0且不大于1，请重新输入！", "n");
  if (s == GwSolution::Continuous2D) {
    // With u = 0, beta = 0 and u^2 t / (4 DL) = 0 at every point: 2 K0(0) - W(0, 0) is
    // infinity minus infinity.
    if (p.u_m_d == 0)
      return core::fail(
          "地下水实际流速u = 0时二维连续点源解无定义（β = 0，2K0(β) − W(u²t/(4DL), β) 成为 ∞ − "
          "∞），请输入大于0的流速u！",
          "u");
    if (auto f = positive(p.u_m_d, "u", "地下水实际流速u")) return f;
  } else if (!(p.u_m_d >= 0 && std::isfinite(p.u_m_d))) {
    return core::fail("地下水实际流速u必须大于等于0，请重新输入！", "u");
  }
  if (auto f = positive(p.dl_m2_d, "DL", "纵向弥散系数DL")) return f;
  if (isTwoD(s))
    if (auto f = positive(p.dt_m2_d, "DT", "横向弥散系数DT")) return f;
  if (!std::isfinite(in.x_m)) return core::fail("距离x必须是有限的数，请重新输入！", "x");
  if (s == GwSolution::Continuous1D && !(in.x_m >= 0))
    return core::fail("一维半无限长柱体只有x ≥ 0的部分，距离x必须大于等于0，请重新输入！", "x");
  if (isTwoD(s) && !std::isfinite(in.y_m))
    return core::fail("距离y必须是有限的数，请重新输入！", "y");
  if (s == GwSolution::Continuous2D && in.x_m == 0 && in.y_m == 0)
    return core::fail("预测点(x, y) = (0, 0)是注入点，那里的浓度为无穷大，请输入其他位置！", "x");
  if (auto f = positive(in.t_d, "t", "预测时间t")) return f;
  const bool half = s == GwSolution::Continuous1D;
  if (auto f = checkList(
          in.xs, "xs", "预测距离列表", [half](double x) { return !half || x >= 0; },
          "中的距离必须大于等于0（半无限长柱体），请重新输入！"))
    return f;
  if (auto f = checkList(
          in.ts, "ts", "预测时间列表", [](double t) { return t > 0; },
          "中的时间必须大于0，请重新输入！"))
    return f;
  if (auto f = positive(in.s_mg_l, "S", "水质标准限值S")) return f;
  if (auto f = positive(in.sdet_mg_l, "Sdet", "检出限")) return f;
  return std::nullopt;
}

core::Outcome computeGw(GwSolution s, const GwInput& in) {
  const std::vector<double> xs = *parseNumberList(in.xs), ts = *parseNumberList(in.ts);
  core::Outcome o;
  const double c = gwConcentration(s, in.site, in.x_m, in.y_m, in.t_d);
  o.results.setNum("C", c);
  const std::string where =
      isTwoD(s) ? core::cformat("x = %s m，y = %s m", num(in.x_m).c_str(), num(in.y_m).c_str())
                : core::cformat("x = %s m", num(in.x_m).c_str());
  std::string text = core::cformat("预测点 %s，t = %s d：C = %s mg/L（背景值之上的增量）\r\n",
                                   where.c_str(), num(in.t_d).c_str(), num(c).c_str());
  if (s == GwSolution::Instant2D) {
    const double mm = in.site.m_kg / in.site.M_m;
    o.results.setNum("mM", mm);
    text += core::cformat("单位厚度注入质量 mM = m/M = %s kg/m\r\n", num(mm).c_str());
  }
  if (const auto peak = gwPeak(s, in.site, in.t_d))
    text += core::cformat("t = %s d 时峰值浓度 %s mg/L，位于 x = %s m\r\n", num(in.t_d).c_str(),
                          num(peak->c_mg_l).c_str(), num(peak->x_m).c_str());
  o.tables.push_back(concentrationTable(s, in, xs, ts));
  o.tables.push_back(extentTable(s, in, ts, text));
  o.text = std::move(text);
  return o;
}

const core::CalculatorDesc& gw1DInstantDesc() {
  static const core::CalculatorDesc d = makeDesc(
      {GwSolution::Instant1D, "gw_1d_instant", "一维瞬时注入（无限长柱体）", 32834, 40, 241,
       "CGw1DInstantDlg",
       "HJ 610-2016《环境影响评价技术导则 地下水环境》附录D 解析法：一维稳定流动一维水动力弥散，"
       "一维无限长多孔介质柱体，示踪剂瞬时注入（Bear 1972）",
       "C(x,t) = m / (2·w·n·√(π·DL·t)) · exp(−(x − u·t)² / (4·DL·t)) × 1000  [mg/L]\n"
       "超标范围：x = u·t ± √(4·DL·t·ln(Cmax / S))，Cmax = m / (2·w·n·√(π·DL·t))"});
  return d;
}

const core::CalculatorDesc& gw1DContinuousDesc() {
  static const core::CalculatorDesc d = makeDesc(
      {GwSolution::Continuous1D, "gw_1d_continuous", "一维连续注入（定浓度边界）", 32835, 41, 242,
       "CGw1DContinuousDlg",
       "HJ 610-2016《环境影响评价技术导则 地下水环境》附录D 解析法：一维稳定流动一维水动力弥散，"
       "一维半无限长多孔介质柱体，一端为定浓度边界（Ogata & Banks 1961，含第二项）",
       "C(x,t) / C0 = ½·erfc((x − u·t) / (2·√(DL·t))) + ½·exp(u·x / DL)·erfc((x + u·t) / "
       "(2·√(DL·t)))\n"
       "第二项按 exp(u·x/DL)·erfc(b) = exp(−(x − u·t)²/(4·DL·t))·erfcx(b) 计算，不溢出\n"
       "超标范围：0 ≤ x ≤ x_S，C(x_S, t) = S 的根"});
  return d;
}

const core::CalculatorDesc& gw2DInstantDesc() {
  static const core::CalculatorDesc d = makeDesc(
      {GwSolution::Instant2D, "gw_2d_instant", "二维瞬时点源", 32836, 42, 243, "CGw2DInstantDlg",
       "HJ 610-2016《环境影响评价技术导则 地下水环境》附录D 解析法：一维稳定流动二维水动力弥散，"
       "瞬时注入示踪剂——平面瞬时点源（Bear 1972）；mM 取单位含水层厚度的质量 m/M",
       "C(x,y,t) = mM / (4·π·n·t·√(DL·DT)) · exp(−[(x − u·t)² / (4·DL·t) + y² / (4·DT·t)]) × "
       "1000  [mg/L]，mM = m / M\n"
       "超标范围：以 (u·t, 0) 为中心、半轴 a = √(4·DL·t·L)、b = √(4·DT·t·L) 的椭圆，L = ln(Cmax / "
       "S)，面积 π·a·b"});
  return d;
}

const core::CalculatorDesc& gw2DContinuousDesc() {
  static const core::CalculatorDesc d = makeDesc(
      {GwSolution::Continuous2D, "gw_2d_continuous", "二维连续点源", 32837, 43, 244,
       "CGw2DContinuousDlg",
       "HJ 610-2016《环境影响评价技术导则 地下水环境》附录D 解析法：一维稳定流动二维水动力弥散，"
       "连续注入示踪剂——平面连续点源（Wilson & Miller 1978；Hantush 第一类越流系统井函数）",
       "C(x,y,t) = mt / (4·π·M·n·√(DL·DT)) · exp(x·u / (2·DL)) · [2·K0(β) − W(u²·t / (4·DL), "
       "β)] × 1000  [mg/L]\n"
       "β = √(u²·x² / (4·DL²) + u²·y² / (4·DL·DT))\n"
       "exp(ξ)·[2·K0(β) − W(T, β)] = ∫ exp(ξ − e^v − β²·e^(−v) / 4) dv（v 从 −∞ 到 ln T）\n"
       "超标范围：轴线上 C(x, 0, t) = S 的上下游两根，半宽 y_S(x) 为 C(x, y, t) = S 的根，面积 "
       "2·∫ y_S(x) dx"});
  return d;
}

}  // namespace models::groundwater
