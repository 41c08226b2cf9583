#include "models/risk/pool_fire.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

namespace {
constexpr double kAirDensity = 1.293;  // kg/m^3
constexpr double kG = 9.8;             // m/s^2
}  // namespace

double minimumLayer(GroundType g) {
  switch (g) {
    case GroundType::Grass: return 0.02;
    case GroundType::Rough: return 0.025;
    case GroundType::Concrete: return 0.005;
    case GroundType::CalmWater: return 0.0018;
    case GroundType::Flat: break;
  }
  return 0.01;
}

core::Check checkPoolFire(const PoolFireInput& in) {
  if (auto f = requirePositive(in.w_kg, "W", "泄漏液体质量W")) return f;
  if (auto f = requirePositive(in.t_s, "t", "暴露时间t")) return f;
  if (auto f = requirePositive(in.rho_kg_m3, "rho", "液体密度 ρ")) return f;
  if (auto f = requirePositive(in.hc_j_kg, "Hc", "液体燃烧热Hc")) return f;
  if (auto f = requirePositive(in.hv_j_kg, "Hv", "常压沸点下的蒸发热Hv")) return f;
  if (auto f = requireNotNegative(in.cp_j_kg_k, "Cp", "液体比定压热容Cp")) return f;
  if (auto f = requireFraction(in.f, "f", "热辐射系数f")) return f;
  if (auto f = requireNotNegative(in.x_m, "x", "预测点离液池中心水平距离x")) return f;
  return std::nullopt;
}

PoolFireResult computePoolFire(const PoolFireInput& in) {
  PoolFireResult r;
  const double w = in.w_kg;
  r.d_m = std::sqrt(4 * w / (minimumLayer(in.ground) * in.rho_kg_m3 * kPi));
  const double hc = in.hc_j_kg;
  if (in.tb_c > in.ta_c)
    r.burn_kg_m2_s =
        0.001 * hc /
        (static_cast<double>(in.cp_j_kg_k) * (static_cast<double>(in.tb_c) - in.ta_c) + in.hv_j_kg);
  else
    r.burn_kg_m2_s = 0.001 * hc / in.hv_j_kg;
  const double d = r.d_m, m = r.burn_kg_m2_s;
  r.l_m = 42 * d * std::pow(m / (kAirDensity * std::sqrt(kG * d)), 0.61);
  r.duration_s = 4 * w / (m * kPi * d * d);
  // The flux of the burning area pi D^2 / 4 spread over the flame surface pi D^2 / 4 + pi D L.
  r.q0_w_m2 = in.f * hc * m * (d / 4) / (d / 4 + r.l_m);
  // Point source at half the flame height over the pool centre.
  r.qr_w = in.f * m * hc * kPi * d * d / 4;
  const double x = in.x_m;
  const double half_flame = r.l_m / 2;
  r.q_w_m2 = r.qr_w / (4 * kPi * (x * x + half_flame * half_flame));
  r.inside = x < d / 2;
  std::string line;
  if (r.inside) {
    line = "预测点位于液池内，热辐射强度不能计算";
    r.harm = {1, 1, 1};
  } else {
    line = core::cformat("距离液池中心%g米处热辐射强度为 %g[W/m^2]", x, r.q_w_m2);
    r.harm = thermalHarm(r.q_w_m2, in.t_s);
  }
  r.text = core::cformat(
      "液池直径为%f[m]\r\n液体单位面积燃烧速率为%f[kg/"
      "(m^2·s)]\r\n火焰高度为%f[m]\r\n燃烧持续时间为%f["
      "s]\r\n火焰表面热通量为%f[W/m^2]\r\n%s\r\n死亡概率为 %g\r\n二度烧伤概率为 "
      "%g\r\n一度烧伤概率为 "
      "%g",
      r.d_m, r.burn_kg_m2_s, r.l_m, r.duration_s, r.q0_w_m2, line.c_str(), r.harm.death,
      r.harm.second_burn, r.harm.first_burn);
  return r;
}

const core::CalculatorDesc& poolFireDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "pool_fire";
    c.method = "池火灾模型（Burgess 燃烧速率，Thomas 火焰高度）";
    c.formulas =
        "D = √(4W / (hmin·ρ·π))\n"
        "m = 0.001Hc / (Cp·(Tb − Ta) + Hv)（Tb > Ta），否则 m = 0.001Hc / Hv\n"
        "L = 42D·(m / (ρ0·√(gD)))^0.61\n"
        "T = 4W / (m·π·D²),  q0 = f·Hc·m·(D/4) / (D/4 + L)";
    c.title = "池火灾事故后果模型";
    c.category = kCategory;
    c.command = 32813;
    c.page = 26;
    c.template_id = 214;
    c.class_name = "CPoolFireDlg";
    using In = PoolFireInput;
    core::Form<In> form("池火灾事故后果模型 参数输入");
    form.bind("W", &In::w_kg, 1001, "泄漏液体质量W", "kg");
    form.bind("Ta", &In::ta_c, 1002, "环境温度Ta", "℃");
    form.bind("t", &In::t_s, 1003, "暴露时间t", "s");
    form.bind("rho", &In::rho_kg_m3, 1004, "液体密度 ρ", "kg/m³");
    form.choice("ground", &In::ground, 1005, "地面性质",
                {"草地", "粗糙地面", "平整地面", "混凝土地面", "平静的水面"});
    form.bind("Hc", &In::hc_j_kg, 1006, "液体燃烧热Hc", "J/kg");
    form.bind("Hv", &In::hv_j_kg, 1007, "常压沸点下的蒸发热Hv", "J/kg");
    form.bind("Cp", &In::cp_j_kg_k, 1008, "液体比定压热容Cp", "J/(kg·K)");
    form.bind("Tb", &In::tb_c, 1009, "液体常压下沸点Tb", "℃");
    form.bind("f", &In::f, 1010, "热辐射系数f");
    form.group(kGroupPrediction).bind("x", &In::x_m, 1011, "预测点离液池中心水平距离x", "m");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1012}};
    c.result_text_id = 1237;
    c.compute = form.compute([](const In& in, const std::string&) {
      if (auto f = checkPoolFire(in)) return core::failed(*f);
      core::Outcome o;
      o.text = computePoolFire(in).text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
