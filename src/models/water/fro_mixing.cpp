#include "models/water/fro_mixing.h"

#include <cmath>

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
  return checkDistanceTableSize(static_cast<double>(in.xmax_m) / in.step_m, 2, "xc");
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

namespace {

core::Outcome run(const core::Values& v, const std::string&) {
  FroInput in;
  in.mode = v.i("mode") == 1 ? FroMode::Decay : FroMode::Plain;
  in.ch_mg_l = v.f("Ch");
  in.qh_m3_s = v.f("Qh");
  in.cp_mg_l = v.f("Cp");
  in.qp_m3_s = v.f("Qp");
  in.k1_per_d = v.f("K1");
  in.depth_m = v.f("H");
  in.u_m_s = v.f("u");
  in.radius_m = v.f("R");
  in.roughness = v.f("n");
  in.outfall = v.f("eps");
  in.xmax_m = v.f("xmax");
  in.step_m = v.f("xc");
  if (auto f = checkFro(in)) return core::failed(*f);
  core::Outcome o;
  o.tables.push_back(froTable(computeFro(in)));
  return o;
}

// The labels carry their units in brackets, as the form shows them.
core::FieldDesc input(const char* key, int id, const char* label, double def,
                      const char* group = kGroupParams) {
  return core::inputField(key, id, label, "", def, group);
}

}  // namespace

const core::CalculatorDesc& froDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "fro";
    c.title = "弗－罗模式";
    c.category = "水预测工具";
    c.command = 32810;
    c.page = 24;
    c.template_id = 209;
    c.class_name = "CFuLuoDlg";
    core::FieldDesc mode = input("mode", 1093, "", 0);
    mode.type = core::FieldType::Radio;
    mode.choices = {"弗－罗模式", "弗－罗衰减模式"};
    c.fields = {
        mode,
        input("Ch", 1285, "河流上游污染物浓度Ch[mg/L]", 0.1),
        input("Qh", 1283, "河水流量Qh [m^3/s]", 10),
        input("Cp", 1204, "污染物排放浓度Cp [mg/L]", 100),
        input("Qp", 1284, "废水排放量Qp [m^3/s]", 1),
        input("K1", 1289, "降解系数K1 [1/d]", 1),
        input("H", 1083, "平均水深H [m]", 0.5),
        input("u", 1114, "河水流速u [m/s]", 0.2),
        input("R", 1077, "水力半径R [m]", 100),
        input("n", 1087, "河床糙率n []", 0.05),
        input("eps", 1121, "排放口系数ε[]", 1),
        input("xmax", 1249, "离排放口最远距离xmax[m]", 1000, kGroupGrid),
        input("xc", 1250, "距离间隔xc [m]", 10, kGroupGrid),
    };
    c.actions = {{"compute", "计算结果", 1100}};
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::water
