#include "models/risk/liquid_leak.h"

#include <cmath>

#include "core/binding.h"
#include "models/risk/risk_common.h"

namespace models::risk {

namespace {
constexpr double kTwoG = 19.6;  // 2 g, m/s^2, as the method rounds it
}

core::Check checkLiquidLeak(const LiquidLeakInput& in) {
  if (auto f = requirePositive(in.a_m2, "A", "裂口面积 A")) return f;
  if (auto f = requireNotNegative(in.p0_pa, "P0", "环境压力 P0")) return f;
  if (!(in.p_pa >= in.p0_pa))
    return core::fail("容器内介质压力 P必须大于等于环境压力 P0，请重新输入！", "P");
  if (auto f = requireNotNegative(in.h_m, "h", "裂口之上液位高度 h")) return f;
  if (auto f = requireFraction(in.cd, "Cd", "液体泄漏系数Cd")) return f;
  if (auto f = requirePositive(in.rho_kg_m3, "rho", "液体密度 ρ")) return f;
  return std::nullopt;
}

LiquidLeakResult computeLiquidLeak(const LiquidLeakInput& in) {
  const double rho = in.rho_kg_m3;
  const double head = 2.0 * (static_cast<double>(in.p_pa) - in.p0_pa) / rho + kTwoG * in.h_m;
  return {static_cast<double>(in.cd) * in.a_m2 * rho * std::sqrt(head)};
}

const core::CalculatorDesc& liquidLeakDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "liquid_leak";
    c.method = "HJ/T 169-2004《建设项目环境风险评价技术导则》附录A.1：液体泄漏速率";
    c.formulas = "QL = Cd·A·ρ·√(2(P − P0)/ρ + 2g·h)";
    c.title = "液体泄漏速率计算";
    c.category = kCategory;
    c.command = 32795;
    c.page = 11;
    c.template_id = 160;
    c.class_name = "CLiquidLeakDlg";
    using In = LiquidLeakInput;
    core::Form<In> form("液体泄漏速度－柏努利方程");
    form.bind("A", &In::a_m2, 1001, "裂口面积 A", "m²");
    form.bind("P", &In::p_pa, 1002, "容器内介质压力 P", "Pa");
    form.bind("P0", &In::p0_pa, 1003, "环境压力 P0", "Pa");
    form.bind("h", &In::h_m, 1004, "裂口之上液位高度 h", "m");
    form.bind("Cd", &In::cd, 1005, "液体泄漏系数Cd 常取0.6-0.64");
    form.bind("rho", &In::rho_kg_m3, 1006, "液体密度 ρ", "kg/m³");
    core::Outputs<LiquidLeakResult> outs("液体泄漏速度－柏努利方程");
    outs.bind("QL", &LiquidLeakResult::ql_kg_s, 1007, "液体泄漏速度 QL", "kg/s").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1008}};
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkLiquidLeak(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeLiquidLeak(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
