#include "models/water/fro_mixing.h"

#include <cmath>

#include "core/binding.h"
#include "core/counts.h"
#include "core/format.h"
#include "models/water/mixing_grid.h"

namespace models::water {

namespace {
constexpr double kSecondsPerDay = 86400;  // K1 is per day, u per second
constexpr double kAlphaFactor = 0.604;    // coefficient of the mixing-coefficient formula
constexpr const char* kGroupParams = "弗罗模式 参数输入";
constexpr const char* kGroupGrid = "网格计算";
}  // namespace

core::Check checkFro(const FroInput& in) {
  if (!(in.qh_m3_s >= 0)) return core::fail("河水流量Qh必须大于等于0，请重新输入！", "Qh");
  if (!(in.qp_m3_s > 0)) return core::fail("废水排放量Qp必须大于0，请重新输入！", "Qp");
  if (!(in.depth_m > 0)) return core::fail("平均水深H必须大于0，请重新输入！", "H");
  if (!(in.u_m_s > 0)) return core::fail("河水流速u必须大于0，请重新输入！", "u");
  if (!(in.radius_m > 0)) return core::fail("水力半径R必须大于0，请重新输入！", "R");
  if (!(in.roughness > 0)) return core::fail("河床糙率n必须大于0，请重新输入！", "n");
  return core::checkDistanceTableSize(static_cast<double>(in.xmax_m) / in.step_m, 2, "xc");
}

FroResult computeFro(const FroInput& in) {
  FroResult r;
  const double qh = in.qh_m3_s, qp = in.qp_m3_s, ch = in.ch_mg_l, cp = in.cp_mg_l;
  // alpha = 0.604 eps (H n u / (R^(1/6) Qp))^(1/3)
  const double base = static_cast<double>(in.depth_m) * in.roughness * in.u_m_s /
                      (std::pow(static_cast<double>(in.radius_m), 1.0 / 6.0) * qp);
  r.alpha = core::storeFloat(kAlphaFactor * in.outfall * std::pow(base, 1.0 / 3.0));

  const int n = core::truncatedCount(static_cast<double>(in.xmax_m) / in.step_m);
  for (int i = 1; i <= n; ++i) {
    FroRow row;
    row.x_m = core::storeFloat(i * static_cast<double>(in.step_m));
    const double x = row.x_m;
    const double e = std::exp(-r.alpha * std::pow(x, 1.0 / 3.0));
    // eta: share of the river flow mixed so far; D: dilution ratio
    const double eta = (1 - e) / (1 + (qh / qp) * e);
    const double dil = (qp + eta * qh) / qp;
    // C = Cp / D + (D - 1) Ch / D = (Cp Qp + Ch eta Qh) / (Qp + eta Qh)
    double c = cp / dil + (dil - 1) * ch / dil;
    if (in.mode == FroMode::Decay) c *= std::exp(-in.k1_per_d * x / (kSecondsPerDay * in.u_m_s));
    row.c_mg_l = c;
    r.rows.push_back(row);
  }
  return r;
}

core::Table froTable(const FroResult& r) {
  core::Table t;
  t.title = "弗－罗模式";
  t.headers = {"距离m", "浓度值mg/L"};
  t.widths = {60, 80};
  for (const FroRow& row : r.rows)
    t.rows.push_back(
        {core::cformat("%g", static_cast<double>(row.x_m)), core::cformat("%.4f", row.c_mg_l)});
  return t;
}

const core::CalculatorDesc& froDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "fro";
    c.method = "HJ/T 2.3-93《环境影响评价技术导则 地面水环境》：弗－罗混合过程段模式";
    c.formulas =
        "α = 0.604·ε·(H·n·u / (R^(1/6)·Qp))^(1/3)\n"
        "η = (1 − exp(−α·x^(1/3))) / (1 + Qh/Qp·exp(−α·x^(1/3)))\n"
        "C = (Cp·Qp + Ch·η·Qh) / (Qp + η·Qh)\n"
        "考虑降解时乘以 exp(−K1·x / (86400·u))";
    c.title = "弗－罗模式";
    c.category = "水预测工具";
    c.command = 32810;
    c.page = 24;
    c.template_id = 209;
    c.class_name = "CFuLuoDlg";
    // The labels carry their units in brackets, as the form shows them.
    core::Form<FroInput> form(kGroupParams);
    form.radio("mode", &FroInput::mode, 1093, "", {"弗－罗模式", "弗－罗衰减模式"});
    form.bind("Ch", &FroInput::ch_mg_l, 1285, "河流上游污染物浓度Ch[mg/L]").nonNegative();
    form.bind("Qh", &FroInput::qh_m3_s, 1283, "河水流量Qh [m³/s]").nonNegative();
    form.bind("Cp", &FroInput::cp_mg_l, 1204, "污染物排放浓度Cp [mg/L]").nonNegative();
    form.bind("Qp", &FroInput::qp_m3_s, 1284, "废水排放量Qp [m³/s]").nonNegative();
    form.bind("K1", &FroInput::k1_per_d, 1289, "降解系数K1 [1/d]");
    form.bind("H", &FroInput::depth_m, 1083, "平均水深H [m]");
    form.bind("u", &FroInput::u_m_s, 1114, "河水流速u [m/s]");
    form.bind("R", &FroInput::radius_m, 1077, "水力半径R [m]");
    form.bind("n", &FroInput::roughness, 1087, "河床糙率n []");
    form.bind("eps", &FroInput::outfall, 1121, "排放口系数ε[]");
    form.group(kGroupGrid);
    form.bind("xmax", &FroInput::xmax_m, 1249, "离排放口最远距离xmax[m]");
    form.bind("xc", &FroInput::step_m, 1250, "距离间隔xc [m]");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1100}};
    c.compute = form.compute([](const FroInput& in, const std::string&) {
      if (auto f = checkFro(in)) return core::failed(*f);
      core::Outcome o;
      o.tables.push_back(froTable(computeFro(in)));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::water
