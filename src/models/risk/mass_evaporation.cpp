#include "models/risk/mass_evaporation.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

namespace {
constexpr double kGasConstant = 8.31451;  // R, J/(mol K)
}

StabilityCoefficients poolStabilityCoefficients(PoolStability s) {
  switch (s) {
    case PoolStability::Neutral: return {0.25, 4.685e-3};
    case PoolStability::Stable: return {0.3, 5.285e-3};
    case PoolStability::Unstable: break;
  }
  return {0.2, 3.846e-3};
}

core::Check checkMassEvaporation(const MassEvaporationInput& in) {
  if (auto f = requireNotNegative(in.p_pa, "P", "液体表面蒸气压P")) return f;
  if (auto f = requireNotNegative(in.r_m, "r", "液池半径r")) return f;
  if (auto f = requirePositive(in.m, "M", "分子量M")) return f;
  if (auto f = requirePositive(in.t0_k, "T0", "环境温度T0")) return f;
  if (auto f = requireNotNegative(in.u_m_s, "u", "风速u")) return f;
  return std::nullopt;
}

MassEvaporationResult computeMassEvaporation(const MassEvaporationInput& in) {
  const auto [n, alpha] = poolStabilityCoefficients(in.stability);
  const double q3 = alpha * in.p_pa * in.m / (kGasConstant * in.t0_k) *
                    std::pow(in.u_m_s, (2 - n) / (2 + n)) * std::pow(in.r_m, (4 + n) / (2 + n));
  return {core::storeFloat(q3)};
}

const core::CalculatorDesc& massEvaporationDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "mass_evaporation";
    c.method = "HJ/T 169-2004《建设项目环境风险评价技术导则》附录A.2：质量蒸发";
    c.formulas =
        "Q3 = a·P·M / (R·T0)·u^((2 − n)/(2 + n))·r^((4 + n)/(2 + n))\n"
        "a、n 按大气稳定度取值";
    c.title = "质量蒸发量计算";
    c.category = kCategory;
    c.class_name = "CMassEvaporationDlg";
    using In = MassEvaporationInput;
    core::Form<In> form;
    form.bind("P", &In::p_pa, 1001, "液体表面蒸气压P", "Pa");
    form.bind("r", &In::r_m, 1002, "液池半径r", "m");
    form.choice("stability", &In::stability, 1003, "大气稳定度",
                {"不稳定(A,B)", "中性(D)", "稳定(E,F)"});
    form.bind("M", &In::m, 1004, "分子量M");
    form.bind("T0", &In::t0_k, 1005, "环境温度T0", "K");
    form.bind("u", &In::u_m_s, 1006, "风速u", "m/s");
    core::Outputs<MassEvaporationResult> outs;
    outs.bind("Q3", &MassEvaporationResult::q3_kg_s, 1007, "质量蒸发量Q3", "kg/s").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1008}};
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkMassEvaporation(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeMassEvaporation(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
