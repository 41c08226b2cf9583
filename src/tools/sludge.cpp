#include "tools/sludge.h"

#include "core/binding.h"

namespace models::tools {

core::Check checkSludge(const SludgeInput& in) {
  if (!(in.water_pct < 100)) return core::fail(kMsgSludgeWater, "P");
  if (!(in.density_kg_m3 > 0)) return core::fail(kMsgSludgeDensity, "rho");
  return std::nullopt;
}

SludgeResult computeSludge(const SludgeInput& in) {
  const double q = in.flow_m3_d, eta = in.removal_pct, c = in.ss_mg_l;
  const double p = in.water_pct, rho = in.density_kg_m3;
  SludgeResult r;
  r.volume_m3_d = static_cast<float>(q * eta * c / ((100 - p) * rho * 1000));
  return r;
}

const core::CalculatorDesc& sludgeDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "sludge";
    c.method = "《给水排水设计手册》第5册 城镇排水：初次沉淀池污泥量";
    c.formulas = "V = Q·η·C / ((100 − P)·ρ·1000)  [m³/d]";
    c.title = "沉淀池污泥量计算";
    c.category = "固废预测工具";
    c.command = 32806;
    c.page = 21;
    c.template_id = 204;
    c.class_name = "CSludgeDlg";
    core::Form<SludgeInput> form("沉淀池污泥量计算");
    form.bind("Q", &SludgeInput::flow_m3_d, 1001, "污水流量 Q [m³/d]").nonNegative();
    form.bind("C", &SludgeInput::ss_mg_l, 1002, "进水悬浮物浓度 C [mg/L]").nonNegative();
    form.bind("eta", &SludgeInput::removal_pct, 1003, "去除率 η [%]");
    form.bind("P", &SludgeInput::water_pct, 1004, "污泥含水率 P [%]");
    // The formula's factor 1000 takes the density in kg/m^3 (a density in t/m^3 would give a
    // volume a thousand times too large).
    form.bind("rho", &SludgeInput::density_kg_m3, 1005, "沉淀污泥密度  ρ [kg/m³]");
    core::Outputs<SludgeResult> outs("沉淀池污泥量计算");
    outs.bind("V", &SludgeResult::volume_m3_d, 1006, "沉淀污泥量 V [m³/d]").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算结果", 1007}};
    c.help_topic = "固废预测\\沉淀池污泥量计算.htm";
    c.compute = form.compute([outs](const SludgeInput& in, const std::string&) {
      if (auto f = checkSludge(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeSludge(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::tools
