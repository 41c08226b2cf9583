#include "models/water/sp_river.h"

#include <cmath>

#include "core/binding.h"
#include "core/counts.h"
#include "core/format.h"
#include "models/water/mixing_grid.h"

namespace models::water {

namespace {
constexpr double kSecondsPerDay = 86400;  // K1 and K2 are per day, u per second
constexpr const char* kGroupParams = "S-P模式 参数输入";
constexpr const char* kGroupGrid = "网格计算";
}  // namespace

core::Check checkSp(const SpInput& in) {
  // The mixed concentration divides by Qh + Qp.
  if (!(in.qh_m3_s > 0)) return core::fail("河水流量Qh必须大于0，请重新输入！", "Qh");
  if (!(in.qp_m3_s >= 0)) return core::fail("污水流量Qp必须大于等于0，请重新输入！", "Qp");
  if (in.mix_only) return std::nullopt;
  if (!(in.u_m_s > 0)) return core::fail("河水流速u必须大于0，请重新输入！", "u");
  // The oxygen-deficit term divides by K2 - K1.
  if (!(in.k2_per_d != in.k1_per_d))
    return core::fail("河流复氧系数K2不能等于耗氧系数K1，请重新输入！", "K2");
  return core::checkDistanceTableSize(static_cast<double>(in.lmax_m) / in.step_m, 4, "l");
}

SpResult computeSp(const SpInput& in) {
  SpResult r;
  const double qh = in.qh_m3_s, qp = in.qp_m3_s;
  // C0 = (Ch Qh + Cp Qp) / (Qh + Qp),  D0 = (Dh Qh + Dp Qp) / (Qh + Qp)
  r.c0_mg_l = core::storeFloat((in.ch_mg_l * qh + in.cp_mg_l * qp) / (qh + qp));
  r.d0_mg_l = core::storeFloat((in.dh_mg_l * qh + in.dp_mg_l * qp) / (qh + qp));
  if (in.mix_only) return r;

  const int n = core::truncatedCount(static_cast<double>(in.lmax_m) / in.step_m);
  const double c0 = r.c0_mg_l, d0 = r.d0_mg_l;
  const double k1 = in.k1_per_d, k2 = in.k2_per_d;
  for (int i = 1; i <= n; ++i) {
    SpRow row;
    row.index = i;
    row.x_m = core::storeFloat(i * static_cast<double>(in.step_m));
    const double t_d = row.x_m / (kSecondsPerDay * in.u_m_s);  // travel time, days
    // C = C0 exp(-K1 t)
    row.c_mg_l = c0 * std::exp(-k1 * t_d);
    // D = D0 exp(-K2 t) + K1 C0 / (K2 - K1) (exp(-K1 t) - exp(-K2 t))   (Streeter-Phelps)
    row.deficit_mg_l = d0 * std::exp(-k2 * t_d) +
                       k1 * c0 / (k2 - k1) * (std::exp(-k1 * t_d) - std::exp(-k2 * t_d));
    r.rows.push_back(row);
  }
  return r;
}

core::Table spTable(const SpInput& in, const SpResult& r) {
  core::Table t;
  t.title = "SP模式计算结果";
  if (in.mix_only) {
    t.headers = {"完全混合浓度值mg／L"};
    t.widths = {150};
    t.rows.push_back({core::cformat("%g", static_cast<double>(r.c0_mg_l))});
    return t;
  }
  t.headers = {"序号", "距离m", "浓度值mg／L", "氧亏值mg／L"};
  t.widths = {50, 60, 80, 80};
  for (const SpRow& row : r.rows)
    t.rows.push_back({core::cformat("%d", row.index),
                      core::cformat("%g", static_cast<double>(row.x_m)),
                      core::cformat("%.4f", row.c_mg_l), core::cformat("%.4f", row.deficit_mg_l)});
  return t;
}

const core::CalculatorDesc& spDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "sp";
    c.method = "HJ/T 2.3-93《环境影响评价技术导则 地面水环境》：Streeter-Phelps 模式";
    c.formulas =
        "C0 = (Ch·Qh + Cp·Qp) / (Qh + Qp),  D0 = (Dh·Qh + Dp·Qp) / (Qh + Qp)\n"
        "t = x / (86400·u)\n"
        "C = C0·exp(−K1·t)\n"
        "D = D0·exp(−K2·t) + K1·C0 / (K2 − K1)·(exp(−K1·t) − exp(−K2·t))";
    c.title = "S-P模式";
    c.category = "水预测工具";
    c.command = 32808;
    c.page = 22;
    c.template_id = 205;
    c.class_name = "CSPModelDlg";
    // The labels carry their units in brackets, as the form shows them.
    core::Form<SpInput> form(kGroupParams);
    form.bind("Qh", &SpInput::qh_m3_s, 1283, "河水流量Qh [m³/s]").nonNegative();
    form.bind("Ch", &SpInput::ch_mg_l, 1285, "上游污染物浓度Ch [mg/L]").nonNegative();
    form.bind("Qp", &SpInput::qp_m3_s, 1284, "污水流量Qp [m³/s]").nonNegative();
    form.bind("Cp", &SpInput::cp_mg_l, 1204, "废水污染物浓度Cp [mg/L]").nonNegative();
    form.bind("u", &SpInput::u_m_s, 1114, "河水流速u [m/s]");
    form.bind("Dp", &SpInput::dp_mg_l, 1287, "污水中亏氧量Dp [mg/L]");
    form.bind("Dh", &SpInput::dh_mg_l, 1288, "河流本底氧亏Dh [mg/L]");
    form.bind("K1", &SpInput::k1_per_d, 1289, "河流耗氧系数K1 [1/d]");
    form.bind("K2", &SpInput::k2_per_d, 1290, "河流复氧系数K2 [1/d]");
    form.group(kGroupGrid);
    form.bind("lmax", &SpInput::lmax_m, 1057, "距排污口最远距离lmax [m]");
    form.bind("l", &SpInput::step_m, 1058, "距离间隔l [m]");
    form.group(kGroupParams).check("mixonly", &SpInput::mix_only, 1291, "只计算完全混合浓度");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1293}};
    c.compute = form.compute([](const SpInput& in, const std::string&) {
      if (auto f = checkSp(in)) return core::failed(*f);
      core::Outcome o;
      o.tables.push_back(spTable(in, computeSp(in)));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::water
