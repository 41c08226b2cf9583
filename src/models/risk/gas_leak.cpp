#include "models/risk/gas_leak.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

namespace {
constexpr double kGasConstant = 8.31451;  // R, J/(mol K)
constexpr const char* kCritical = "气体流速在音速范围，是临界流。";
constexpr const char* kSubcritical = "气体流速在亚音速范围，是次临界流。";
}  // namespace

float breachDischargeCoefficient(BreachShape shape) {
  switch (shape) {
    case BreachShape::Triangle: return 0.95f;
    case BreachShape::Rectangle: return 0.90f;
    case BreachShape::Circle: break;
  }
  return 1.00f;
}

double criticalPressureRatio(double kappa) {
  return std::pow(2.0 / (kappa + 1), kappa / (kappa - 1));
}

bool isCriticalFlow(double ratio, double kappa) { return ratio <= criticalPressureRatio(kappa); }

double subcriticalOutflowCoefficient(double p, double k) {
  return std::pow(p, 1 / k) * std::sqrt(1 - std::pow(p, (k - 1) / k)) *
         std::sqrt(2 / (k - 1) * std::pow((k + 1) / 2, (k + 1) / (k - 1)));
}

core::Check checkGasLeak(const GasLeakInput& in) {
  if (auto f = requirePositive(in.a_m2, "A", "裂口面积 A")) return f;
  if (auto f = requirePositive(in.p_pa, "P", "容器内介质压力 P")) return f;
  if (auto f = requireNotNegative(in.p0_pa, "P0", "环境压力 P0")) return f;
  if (!(in.p0_pa <= in.p_pa))
    return core::fail("环境压力 P0必须小于等于容器内介质压力 P，请重新输入！", "P0");
  if (auto f = requirePositive(in.m_g_mol, "M", "气体分子量 M")) return f;
  if (auto f = requirePositive(in.tg_k, "TG", "气体温度 TG")) return f;
  // An adiabatic exponent is above 1 (1.4 for air); at 1 the flow formula divides by zero.
  if (!(in.kappa > 1)) return core::fail("气体绝热指数κ必须大于1，请重新输入！", "k");
  return std::nullopt;
}

GasLeakResult computeGasLeak(const GasLeakInput& in) {
  GasLeakResult r;
  const double k = in.kappa;
  const double p = static_cast<double>(in.p0_pa) / in.p_pa;
  r.cd = breachDischargeCoefficient(in.shape);
  r.critical = isCriticalFlow(p, k);
  if (!r.critical) r.y = subcriticalOutflowCoefficient(p, k);
  // M is typed in g/mol; the formula takes kg/mol.
  const double flow = static_cast<double>(in.m_g_mol) * k * 0.001 / (kGasConstant * in.tg_k) *
                      std::pow(2 / (k + 1), (k + 1) / (k - 1));
  r.qg_kg_s = r.y * r.cd * in.a_m2 * in.p_pa * std::sqrt(flow);
  r.text = core::cformat("%s\r\n气体泄漏速率为：%.13f [kg/s]",
                         r.critical ? kCritical : kSubcritical, r.qg_kg_s);
  return r;
}

const core::CalculatorDesc& gasLeakDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "gas_leak";
    c.method = "HJ/T 169-2004《建设项目环境风险评价技术导则》附录A.1：气体泄漏速率";
    c.formulas =
        "临界流：P0/P ≤ (2/(κ + 1))^(κ/(κ − 1))\n"
        "QG = Y·Cd·A·P·√(M·κ/(R·TG)·(2/(κ + 1))^((κ + 1)/(κ − 1)))\n"
        "临界流 Y = 1；次临界流 Y = (P0/P)^(1/κ)·√(1 − (P0/P)^((κ − 1)/κ))·√(2/(κ − 1)·((κ + "
        "1)/2)^((κ + 1)/(κ − 1)))";
    c.title = "气体泄漏速率计算";
    c.category = kCategory;
    c.command = 32797;
    c.page = 13;
    c.template_id = 165;
    c.class_name = "CGasLeakDlg";
    using In = GasLeakInput;
    core::Form<In> form("气体泄漏速率");
    form.bind("A", &In::a_m2, 1001, "裂口面积 A", "m²");
    form.choice("shape", &In::shape, 1002, "裂口形状", {"圆形", "三角形", "长方形"});
    form.bind("P", &In::p_pa, 1003, "容器内介质压力 P", "Pa");
    form.bind("P0", &In::p0_pa, 1004, "环境压力 P0", "Pa");
    form.bind("M", &In::m_g_mol, 1005, "气体分子量 M", "g/mol");
    form.bind("TG", &In::tg_k, 1006, "气体温度 TG", "K");
    form.bind("k", &In::kappa, 1007, "气体绝热指数(热容比)κ");
    c.fields = form.fields();
    c.actions = {{"compute", "计算", 1008}};
    c.result_text_id = 1237;
    c.compute = form.compute([](const In& in, const std::string&) {
      if (auto f = checkGasLeak(in)) return core::failed(*f);
      core::Outcome o;
      o.text = computeGasLeak(in).text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
