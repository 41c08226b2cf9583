#include "models/air/fugitive_liquid_evaporation.h"

#include "core/binding.h"

#include "core/format.h"

namespace models::air {

LiquidEvaporationResult computeLiquidEvaporation(const LiquidEvaporationInput& in) {
  LiquidEvaporationResult r;
  r.evaporation_kg_h =
      (0.000352 + 0.000786 * in.air_speed_m_s) * in.partial_mmhg * in.molar_mass * in.area_m2;
  const double gz = r.evaporation_kg_h;
  r.fugitive_kg_h = (1 - 0.01 * in.capture_pct) * gz;
  r.stack_kg_h = (1 - 0.01 * in.treatment_pct) * in.capture_pct * gz * 0.01;
  return r;
}

const core::CalculatorDesc& liquidEvaporationDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "liquid_evaporation";
    c.method = "无组织排放量估算：液体敞露表面的蒸发量";
    c.formulas =
        "Gz = (0.000352 + 0.000786·V)·P·M·F  [kg/h]\n"
        "无组织排放量 = Gz·(1 − ηc),  处理后排放量 = Gz·ηc·(1 − ηt)";
    c.title = "液体(除水以外)蒸发量的计算";
    c.category = "大气预测工具";
    c.command = 32800;
    c.page = 15;
    c.template_id = 167;
    c.class_name = "CLiquidEvaporationDlg";
    core::Form<LiquidEvaporationInput> form("液体(除水以外)蒸发量的计算");
    using In = LiquidEvaporationInput;
    form.bind("V", &In::air_speed_m_s, 1001, "蒸发液体表面空气流速 V", "m/s").nonNegative();
    form.bind("F", &In::area_m2, 1002, "液体蒸发面表面积 F", "m²").nonNegative();
    form.bind("M", &In::molar_mass, 1003, "液体分子量 M");
    form.bind("P", &In::partial_mmhg, 1004, "相应于液体温度下空气中的蒸气分压 P", "mmHg");
    form.bind("eta_c", &In::capture_pct, 1005, "集气率", "%").sym("ηc");
    form.bind("eta_t", &In::treatment_pct, 1006, "处理率", "%").sym("ηt");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1007}};
    c.result_text_id = 1237;
    c.help_topic = "大气预测模式\\无组织排放量计算\\液体蒸发量的计算.htm";
    c.compute = form.compute([](const In& in, const std::string&) {
      const LiquidEvaporationResult r = computeLiquidEvaporation(in);
      core::Outcome o;
      o.text = core::cformat(
          "计算结果如下：\r\n液体蒸发量Gz=%.8f [kg/h]\r\n排放量为%.8f [kg/h]\r\n"
          "其中无组织排放量%.8f [kg/h]；有组织排放量%.8f [kg/h]",
          r.evaporation_kg_h, r.fugitive_kg_h + r.stack_kg_h, r.fugitive_kg_h, r.stack_kg_h);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::air
