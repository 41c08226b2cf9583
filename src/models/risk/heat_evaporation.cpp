#include "models/risk/heat_evaporation.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

core::Check checkHeatEvaporation(const HeatEvaporationInput& in) {
  if (auto f = requireNotNegative(in.s_m2, "S", "液池面积S")) return f;
  if (auto f = requirePositive(in.t_s, "t", "蒸发时间t")) return f;
  if (auto f = requireNotNegative(in.lambda_w_mk, "lambda", "表面热导系数λ")) return f;
  if (auto f = requirePositive(in.alpha_e7, "alpha", "表面热扩散系数α")) return f;
  if (auto f = requirePositive(in.t0_k, "T0", "环境温度T0")) return f;
  if (auto f = requirePositive(in.tb_k, "Tb", "沸点温度Tb")) return f;
  if (auto f = requirePositive(in.h_j_kg, "H", "液体汽化热H")) return f;
  return std::nullopt;
}

// Heat flows into the pool only from ground warmer than the liquid's boiling point; from colder
// ground none flows in and nothing boils off by conduction.
HeatEvaporationResult computeHeatEvaporation(const HeatEvaporationInput& in) {
  if (!(in.t0_k > in.tb_k)) return {0.0f};
  const double alpha_m2_s = in.alpha_e7 * 1e-7;
  const double q2 = static_cast<double>(in.lambda_w_mk) * in.s_m2 *
                    (static_cast<double>(in.t0_k) - in.tb_k) /
                    (in.h_j_kg * std::sqrt(kPi * alpha_m2_s * in.t_s));
  return {core::storeFloat(q2)};
}

const core::CalculatorDesc& heatEvaporationDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "heat_evaporation";
    c.method = "HJ/T 169-2004《建设项目环境风险评价技术导则》附录A.2：热量蒸发";
    c.formulas = "Q2 = λ·S·(T0 − Tb) / (H·√(π·α·t))（T0 ≤ Tb 时无热量传入，Q2 = 0）";
    c.title = "热量蒸发量计算";
    c.category = kCategory;
    c.class_name = "CHeatEvaporationDlg";
    using In = HeatEvaporationInput;
    core::Form<In> form;
    form.bind("S", &In::s_m2, 1001, "液池面积S", "m²");
    form.bind("t", &In::t_s, 1002, "蒸发时间t", "s");
    form.bind("lambda", &In::lambda_w_mk, 1003, "表面热导系数λ", "W/m·K");
    form.bind("alpha", &In::alpha_e7, 1004, "表面热扩散系数α", "m²/s ×10^(-7)");
    form.bind("T0", &In::t0_k, 1005, "环境温度T0", "K");
    form.bind("Tb", &In::tb_k, 1006, "沸点温度Tb", "K");
    form.bind("H", &In::h_j_kg, 1007, "液体汽化热H", "J/kg");
    core::Outputs<HeatEvaporationResult> outs;
    outs.bind("Q2", &HeatEvaporationResult::q2_kg_s, 1008, "热量蒸发量Q2", "kg/s").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1009}};
    c.result_text_id = 1010;
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkHeatEvaporation(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeHeatEvaporation(in), o.results);
      if (!(in.t0_k > in.tb_k)) o.text = kMsgNoHeatFlow;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
