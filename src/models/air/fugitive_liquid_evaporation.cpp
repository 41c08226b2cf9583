#include "models/air/fugitive_liquid_evaporation.h"

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

namespace {

core::Outcome run(const core::Values& v, const std::string&) {
  LiquidEvaporationInput in;
  in.air_speed_m_s = v.f("V");
  in.area_m2 = v.f("F");
  in.molar_mass = v.f("M");
  in.partial_mmhg = v.f("P");
  in.capture_pct = v.f("eta_c");
  in.treatment_pct = v.f("eta_t");
  const LiquidEvaporationResult r = computeLiquidEvaporation(in);
  core::Outcome o;
  o.text = core::cformat(
      "计算结果如下：\r\n液体蒸发量Gz=%.8f [kg/h]\r\n排放量为%.8f [kg/h]\r\n"
      "其中无组织排放量%.8f [kg/h]；有组织排放量%.8f [kg/h]",
      r.evaporation_kg_h, r.fugitive_kg_h + r.stack_kg_h, r.fugitive_kg_h, r.stack_kg_h);
  return o;
}

core::FieldDesc field(const char* key, int id, const char* label, const char* unit, double def) {
  return core::inputField(key, id, label, unit, def, "液体(除水以外)蒸发量的计算");
}

}  // namespace

const core::CalculatorDesc& liquidEvaporationDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "liquid_evaporation";
    c.title = "液体(除水以外)蒸发量的计算";
    c.category = "大气预测工具";
    c.command = 32800;
    c.page = 15;
    c.template_id = 167;
    c.class_name = "CLiquidEvaporationDlg";
    c.fields = {
        field("V", 1001, "蒸发液体表面空气流速 V", "m/s", 0.3),
        field("F", 1002, "液体蒸发面表面积 F", "m^2", 22),
        field("M", 1003, "液体分子量 M", "", 20),
        field("P", 1004, "相应于液体温度下空气中的蒸气分压 P", "mmHg", 0.27),
        field("eta_c", 1005, "集气率", "%", 85),
        field("eta_t", 1006, "处理率", "%", 90),
    };
    c.actions = {{"compute", "计算结果", 1007}};
    c.result_text_id = 1237;
    c.help_topic = "大气预测模式\\无组织排放量计算\\液体蒸发量的计算.htm";
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::air
