#include "models/water/water_temperature.h"

#include <cmath>

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
  return checkDistanceTableSize(static_cast<double>(in.xmax_m) / in.step_m, 3, "xc");
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

namespace {

core::Outcome run(const core::Values& v, const std::string&) {
  WaterTempInput in;
  in.qh_m3_s = v.f("Qh");
  in.qp_m3_s = v.f("Qp");
  in.depth_m = v.f("H");
  in.u_m_s = v.f("u");
  in.th_c = v.f("Th");
  in.ts_c = v.f("Ts");
  in.tp_c = v.f("Tp");
  in.td_c = v.f("Td");
  in.wind_m_s = v.f("Wz");
  in.hs_w_m2 = v.f("Hs");
  in.xmax_m = v.f("xmax");
  in.step_m = v.f("xc");
  if (auto f = checkWaterTemp(in)) return core::failed(*f);
  core::Outcome o;
  o.tables.push_back(waterTempTable(computeWaterTemp(in)));
  return o;
}

// The labels carry their units in brackets, as the form shows them.
core::FieldDesc input(const char* key, int id, const char* label, double def,
                      const char* group = kGroupParams) {
  return core::inputField(key, id, label, "", def, group);
}

}  // namespace

const core::CalculatorDesc& waterTempDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "watertemp";
    c.title = "导则一维日均水温模式";
    c.category = "水预测工具";
    c.command = 32830;
    c.page = 36;
    c.template_id = 234;
    c.class_name = "CWaterTempDlg";
    c.fields = {
        input("Qh", 1283, "河水流量Qh [m^3/s]", 10),
        input("Qp", 1284, "废水流量Qp[m^3/s]", 1),
        input("H", 1083, "河流平均水深H [m] ", 1),
        input("u", 1114, "河水流速u [m/s] ", 1),
        input("Th", 1418, "本底水温Th [℃] ", 10),
        input("Ts", 1240, "水面空气温度Ts [℃] ", 15),
        input("Tp", 1289, "废水水温Tp [℃] ", 100),
        input("Td", 1291, "空气露点温度Td [℃] ", 1.5),
        input("Wz", 1288, "水面10m高风速Wz [m/s] ", 1),
        input("Hs", 1118, "太阳短波辐射Hs [W/m^2] ", 1.5),
        input("xmax", 1249, "离排放口最远距离xmax[m]", 2000, kGroupGrid),
        input("xc", 1250, "距离间隔xc [m]", 50, kGroupGrid),
    };
    c.actions = {{"compute", "计算结果", 1100}};
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::water
