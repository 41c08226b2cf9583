#include "models/risk/jet_fire.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

namespace {
constexpr double kFlameLengthCoefficient = 0.0061858220957565265;
constexpr double kFourPiKilo = 12566.36;  // 4 pi with the factor 1000 for kW
constexpr double kFarthest_m = 1e7;
}  // namespace

core::Check checkJetFire(const JetFireInput& in) {
  if (auto f = requirePositive(in.m_kg_s, "m", "质量流速m")) return f;
  if (auto f = requirePositive(in.hc_j_kg, "Hc", "物质燃烧热Hc")) return f;
  if (auto f = requireFraction(in.f, "f", "热辐射率f")) return f;
  if (auto f = requirePositive(in.t_s, "t", "暴露时间t")) return f;
  // The point source has no flux at its own place; the transmissivity 1 - 0.0565 ln x stays
  // positive up to e^(1/0.0565) m.
  if (!(in.x_m > 0 && in.x_m <= kFarthest_m))
    return core::fail("预测点离火焰点源距离x必须大于0且不超过10000000m，请重新输入！", "x");
  return std::nullopt;
}

JetFireResult computeJetFire(const JetFireInput& in) {
  JetFireResult r;
  r.q_release_w = static_cast<double>(in.m_kg_s) * in.hc_j_kg;
  r.l_m = kFlameLengthCoefficient * std::pow(r.q_release_w, 0.444);
  const double x = in.x_m;
  r.tau = 1 - 0.0565 * std::log(x);
  r.q_kw_m2 = in.f * r.q_release_w * r.tau / (kFourPiKilo * x * x);
  r.harm = thermalHarm(1000 * r.q_kw_m2, in.t_s);
  r.text = core::cformat(
      "喷射火的火焰长度为 %g[m]\r\n距离火焰点源%g米处接收的热辐射能量为 %g[KW/m^2]\r\n死亡概率为 "
      "%g\r\n二度烧伤概率为 %g\r\n一度烧伤概率为 %g",
      r.l_m, x, r.q_kw_m2, r.harm.death, r.harm.second_burn, r.harm.first_burn);
  return r;
}

const core::CalculatorDesc& jetFireDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "jet_fire";
    c.method = "喷射火模型（点源模型）；伤害概率按 Pietersen 概率方程";
    c.formulas =
        "Q = m·Hc,  L = 0.0061858·Q^0.444\n"
        "τ = 1 − 0.0565·ln x,  q = f·Q·τ / (4π·x²)\n"
        "L = ln(t·(0.4q)^(4/3)),  Pd = (2.56L − 36.38)/10,  P2 = (3.0188L − 43.14)/10,  P1 = "
        "(3.0186L − 39.83)/10（限于 0～1）";
    c.title = "喷射火事故后果模型";
    c.category = kCategory;
    c.command = 32817;
    c.page = 29;
    c.template_id = 218;
    c.class_name = "CJetFireDlg";
    using In = JetFireInput;
    core::Form<In> form("喷射火事故后果模型  参数输入");
    form.bind("m", &In::m_kg_s, 1001, "质量流速m", "kg/s");
    form.bind("Hc", &In::hc_j_kg, 1002, "物质燃烧热Hc", "J/kg");
    form.bind("f", &In::f, 1003, "热辐射率f");
    form.bind("t", &In::t_s, 1004, "暴露时间t", "s");
    form.group(kGroupPrediction).bind("x", &In::x_m, 1005, "预测点离火焰点源距离x", "m");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1006}};
    c.result_text_id = 1237;
    c.compute = form.compute([](const In& in, const std::string&) {
      if (auto f = checkJetFire(in)) return core::failed(*f);
      core::Outcome o;
      o.text = computeJetFire(in).text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
