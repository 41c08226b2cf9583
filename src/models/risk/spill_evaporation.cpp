#include "models/risk/spill_evaporation.h"

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

SpillEvaporationResult computeSpillEvaporation(const SpillEvaporationInput& in) {
  const double wp = static_cast<double>(in.q1_kg_s) * in.t1_s +
                    static_cast<double>(in.q2_kg_s) * in.t2_s +
                    static_cast<double>(in.q3_kg_s) * in.t3_s;
  return {core::storeFloat(wp)};
}

const core::CalculatorDesc& spillEvaporationDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "spill_evaporation";
    c.method = "HJ/T 169-2004《建设项目环境风险评价技术导则》附录A.2：泄漏液体蒸发总量";
    c.formulas = "Wp = Q1·t1 + Q2·t2 + Q3·t3";
    c.title = "液体蒸发量计算";
    c.category = kCategory;
    c.command = 32796;
    c.page = 12;
    c.template_id = 161;
    c.class_name = "CSpillEvaporationDlg";
    using In = SpillEvaporationInput;
    core::Form<In> form("液体蒸发量计算");
    form.bind("Q1", &In::q1_kg_s, 1001, "过热液体闪蒸量Q1", "kg/s");
    form.bind("Q2", &In::q2_kg_s, 1002, "热量蒸发速度Q2", "kg/s");
    form.bind("Q3", &In::q3_kg_s, 1003, "质量蒸发速度Q3", "kg/s");
    form.bind("t1", &In::t1_s, 1004, "闪蒸蒸发时间t1", "s");
    form.bind("t2", &In::t2_s, 1005, "热量蒸发时间t2", "s");
    form.bind("t3", &In::t3_s, 1006, "从液体泄漏到液体全部处理完毕时间t3", "s");
    core::Outputs<SpillEvaporationResult> outs("液体蒸发量计算");
    outs.bind("Wp", &SpillEvaporationResult::wp_kg, 1007, "液体蒸发总量Wp", "kg").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    // The stage buttons ("闪蒸量计算", "热量蒸发计算", "质量蒸发计算") open the stage
    // calculators as dialogs; only the sum is computed here.
    c.actions = {{"compute", "计算", 1011}};
    c.compute = form.compute([outs](const In& in, const std::string&) {
      core::Outcome o;
      outs.write(computeSpillEvaporation(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
