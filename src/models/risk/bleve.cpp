#include "models/risk/bleve.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

double storageFactor(StorageMode mode) {
  switch (mode) {
    case StorageMode::Double: return 0.7;
    case StorageMode::Multiple: return 0.9;
    case StorageMode::Single: break;
  }
  return 0.5;
}

core::Check checkBleve(const BleveInput& in) {
  if (auto f = requirePositive(in.w_kg, "W", "储罐容量W")) return f;
  if (auto f = requirePositive(in.hv_j_kg, "Hv", "常压沸点下的蒸发热Hv")) return f;
  if (auto f = requirePositive(in.pw_pa, "Pw", "饱和水蒸气压Pw")) return f;
  if (auto f = requireNotNegative(in.cp_j_kg_k, "Cp", "液体比定压热容Cp")) return f;
  if (auto f = requireFraction(in.rh, "RH", "相对湿度RH")) return f;
  if (auto f = requirePositive(in.p_mpa, "P", "储罐破裂瞬间储存物料饱和蒸气压力P")) return f;
  if (auto f = requireNotNegative(in.dt_k, "T", "火球表面火焰温度与环境温度之差T")) return f;
  // The heat the fireball radiates comes from what burning leaves after vaporising and heating.
  const double released =
      static_cast<double>(in.hc_j_kg) - in.hv_j_kg - static_cast<double>(in.cp_j_kg_k) * in.dt_k;
  if (!(released > 0)) return core::fail("物质燃烧热Hc必须大于Hv+Cp·T，请重新输入！", "Hc");
  if (auto f = requireNotNegative(in.x_m, "x", "预测点离储罐水平距离x")) return f;
  return std::nullopt;
}

BleveResult computeBleve(const BleveInput& in) {
  BleveResult r;
  r.m_kg = in.w_kg * storageFactor(in.storage);
  r.d_m = 2.665 * std::pow(r.m_kg, 0.327);
  r.t_s = 1.089 * std::pow(r.m_kg, 0.327);
  r.h_m = r.d_m;
  const double eta = 0.27 * std::pow(static_cast<double>(in.p_mpa), 0.32);
  const double released =
      static_cast<double>(in.hc_j_kg) - in.hv_j_kg - static_cast<double>(in.cp_j_kg_k) * in.dt_k;
  r.q0_w_m2 = eta * r.m_kg * released / (kPi * r.d_m * r.d_m * r.t_s);
  const double x = in.x_m;
  const double big_r = std::sqrt(x * x + r.d_m * r.d_m);
  const double radius = r.d_m / 2;
  const double tau =
      2.02 * std::pow(static_cast<double>(in.pw_pa) * in.rh * (big_r - radius), -0.09);
  r.q_w_m2 = r.q0_w_m2 * tau * (radius / big_r) * (radius / big_r);
  r.harm = thermalHarm(r.q_w_m2, r.t_s);
  std::string line;
  r.inside = x <= radius;
  if (r.inside) {
    line = "距离储罐距离小于火球半径，热辐射强度不能计算";
    r.harm = {1, 1, 1};
  } else {
    line = core::cformat("距离储罐%g米处热辐射强度为 %g[W/m^2]", x, r.q_w_m2);
  }
  r.text = core::cformat(
      "火球直径为 %g[m];火球持续时间为 %g[s]\r\n火球抬升高度为 %g[m]\r\n火球表面热辐射能量为 "
      "%g[W/m^2]\r\n%s\r\n死亡概率为 %g\r\n二度烧伤概率为 %g\r\n一度烧伤概率为 %g",
      r.d_m, r.t_s, r.h_m, r.q0_w_m2, line.c_str(), r.harm.death, r.harm.second_burn,
      r.harm.first_burn);
  return r;
}

const core::CalculatorDesc& bleveDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "bleve";
    c.method = "沸腾液体扩展蒸气爆炸（BLEVE）火球模型；伤害概率按 Pietersen 概率方程";
    c.formulas =
        "D = 2.665·W^0.327,  t = 1.089·W^0.327,  η = 0.27·P^0.32\n"
        "q0 = η·W·(Hc − Hv − Cp·T) / (π·D²·t)\n"
        "R = √(x² + D²),  τ = 2.02·(Pw·RH·(R − r))^(−0.09),  q = q0·τ·(r/R)²\n"
        "L = ln(t·(0.4q)^(4/3)),  Pd = (2.56L − 36.38)/10,  P2 = (3.0188L − 43.14)/10,  P1 = "
        "(3.0186L − 39.83)/10（限于 0～1）";
    c.title = "沸腾液体扩展为蒸气云爆炸事故(BLEVE事故)后果模型 ";
    c.category = kCategory;
    c.command = 32815;
    c.page = 27;
    c.template_id = 215;
    c.class_name = "CBleveDlg";
    using In = BleveInput;
    core::Form<In> form("沸腾液体扩展为蒸气云爆炸事故(BLEVE事故)后果模型 参数输入");
    form.bind("W", &In::w_kg, 1001, "储罐容量W", "kg");
    form.choice("storage", &In::storage, 1002, "物质存储方式",
                {"单罐储存", "双罐储存", "多罐储存"});
    form.bind("Hv", &In::hv_j_kg, 1003, "常压沸点下的蒸发热Hv", "J/kg");
    form.bind("Hc", &In::hc_j_kg, 1004, "物质燃烧热Hc", "J/kg");
    form.bind("Pw", &In::pw_pa, 1005, "饱和水蒸气压Pw", "Pa");
    form.bind("Cp", &In::cp_j_kg_k, 1006, "液体比定压热容Cp", "J/(kg·K)");
    form.bind("RH", &In::rh, 1007, "相对湿度RH");
    form.bind("P", &In::p_mpa, 1008, "储罐破裂瞬间储存物料饱和蒸气压力P", "MPa");
    form.bind("T", &In::dt_k, 1009, "火球表面火焰温度与环境温度之差T", "K");
    form.group(kGroupPrediction).bind("x", &In::x_m, 1010, "预测点离储罐水平距离x", "m");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1011}};
    c.result_text_id = 1237;
    c.compute = form.compute([](const In& in, const std::string&) {
      if (auto f = checkBleve(in)) return core::failed(*f);
      core::Outcome o;
      o.text = computeBleve(in).text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
