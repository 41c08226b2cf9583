#include "models/water/water_temperature.h"

#include <cmath>

#include "core/binding.h"
#include "core/counts.h"
#include "core/format.h"
#include "models/water/mixing_grid.h"

namespace models::water {

namespace {
const double kWaterDensity = std::pow(10.0, 3);  // rho, kg/m^3, as the method writes it
constexpr double kWaterHeat = 4200;              // c, specific heat of water, J/(kg deg C)
constexpr const char* kGroupParams = "河流一维日均水温模式 参数输入";
constexpr const char* kGroupGrid = "网格计算";
}  // namespace

core::Check checkWaterTemp(const WaterTempInput& in) {
  // The mixed temperature divides by Qp + Qh, the decay by u H.
  if (!(in.qh_m3_s > 0)) return core::fail("河水流量Qh必须大于0，请重新输入！", "Qh");
  if (!(in.qp_m3_s >= 0)) return core::fail("废水流量Qp必须大于等于0，请重新输入！", "Qp");
  if (!(in.depth_m > 0)) return core::fail("河流平均水深H必须大于0，请重新输入！", "H");
  if (!(in.u_m_s > 0)) return core::fail("河水流速u必须大于0，请重新输入！", "u");
  if (!(in.wind_m_s >= 0)) return core::fail("水面10m高风速Wz必须大于等于0，请重新输入！", "Wz");
  return core::checkDistanceTableSize(static_cast<double>(in.xmax_m) / in.step_m, 3, "xc");
}

WaterTempResult computeWaterTemp(const WaterTempInput& in) {
  WaterTempResult r;
  const double d = static_cast<double>(in.ts_c) - in.td_c;
  const double wz = in.wind_m_s;
  // K = 15.7 + (0.515 - 0.00425 d + 0.000051 d^2)(70 + 0.7 Wz^2),  d = Ts - Td
  r.k_w_m2_c = 15.7 + (0.515 - 0.00425 * d + 0.000051 * d * d) * (70 + 0.7 * wz * wz);
  // T0 = Th + (Tp - Th) Qp / (Qp + Qh)
  r.t0_c = in.th_c + (static_cast<double>(in.tp_c) - in.th_c) * in.qp_m3_s /
                         (static_cast<double>(in.qp_m3_s) + in.qh_m3_s);
  // Te = Td + Hs / K
  r.te_c = in.td_c + in.hs_w_m2 / r.k_w_m2_c;

  const int n = core::truncatedCount(static_cast<double>(in.xmax_m) / in.step_m);
  for (int i = 1; i <= n; ++i) {
    WaterTempRow row;
    row.index = i;
    row.x_m = core::storeFloat(i * static_cast<double>(in.step_m));
    // T = Te + (T0 - Te) exp(-K x / (rho c u H))
    row.t_c = core::storeFloat(r.te_c + (r.t0_c - r.te_c) * std::exp(-r.k_w_m2_c * row.x_m /
                                                                     (kWaterDensity * kWaterHeat *
                                                                      in.u_m_s * in.depth_m)));
    r.rows.push_back(row);
  }
  return r;
}

core::Table waterTempTable(const WaterTempResult& r) {
  core::Table t;
  t.title = "河流一维日均水温模式计算结果";
  t.headers = {"序号", "距离m", "日均水温℃"};
  t.widths = {50, 70, 90};
  for (const WaterTempRow& row : r.rows)
    t.rows.push_back({core::cformat("%d", row.index),
                      core::cformat("%g", static_cast<double>(row.x_m)),
                      core::cformat("%g", static_cast<double>(row.t_c))});
  return t;
}

const core::CalculatorDesc& waterTempDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "watertemp";
    c.method = "HJ/T 2.3-93《环境影响评价技术导则 地面水环境》：一维日均水温模式";
    c.formulas =
        "K = 15.7 + (0.515 − 0.00425·Δ + 0.000051·Δ²)·(70 + 0.7·Wz²),  Δ = Ts − Td\n"
        "T0 = Th + (Tp − Th)·Qp / (Qp + Qh),  Te = Td + Hs / K\n"
        "T = Te + (T0 − Te)·exp(−K·x / (ρ·c·u·H))";
    c.title = "导则一维日均水温模式";
    c.category = "水预测工具";
    c.command = 32830;
    c.page = 36;
    c.template_id = 234;
    c.class_name = "CWaterTempDlg";
    // The labels carry their units in brackets, as the form shows them.
    core::Form<WaterTempInput> form(kGroupParams);
    form.bind("Qh", &WaterTempInput::qh_m3_s, 1283, "河水流量Qh [m³/s]");
    form.bind("Qp", &WaterTempInput::qp_m3_s, 1284, "废水流量Qp[m³/s]");
    form.bind("H", &WaterTempInput::depth_m, 1083, "河流平均水深H [m] ");
    form.bind("u", &WaterTempInput::u_m_s, 1114, "河水流速u [m/s] ");
    form.bind("Th", &WaterTempInput::th_c, 1418, "本底水温Th [℃] ");
    form.bind("Ts", &WaterTempInput::ts_c, 1240, "水面空气温度Ts [℃] ");
    form.bind("Tp", &WaterTempInput::tp_c, 1289, "废水水温Tp [℃] ");
    form.bind("Td", &WaterTempInput::td_c, 1291, "空气露点温度Td [℃] ");
    form.bind("Wz", &WaterTempInput::wind_m_s, 1288, "水面10m高风速Wz [m/s] ");
    form.bind("Hs", &WaterTempInput::hs_w_m2, 1118, "太阳短波辐射Hs [W/m²] ");
    form.group(kGroupGrid);
    form.bind("xmax", &WaterTempInput::xmax_m, 1249, "离排放口最远距离xmax[m]");
    form.bind("xc", &WaterTempInput::step_m, 1250, "距离间隔xc [m]");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1100}};
    c.compute = form.compute([](const WaterTempInput& in, const std::string&) {
      if (auto f = checkWaterTemp(in)) return core::failed(*f);
      core::Outcome o;
      o.tables.push_back(waterTempTable(computeWaterTemp(in)));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::water
