#include "models/risk/flash_evaporation.h"

#include <algorithm>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

core::Check checkFlashEvaporation(const FlashEvaporationInput& in) {
  if (!(in.h_j_kg > 0)) return core::fail(kMsgFlashHeat, "H");
  if (!(in.t1_s > 0)) return core::fail(kMsgFlashTime, "t1");
  if (auto f = requirePositive(in.wt_kg, "WT", "液体泄漏总量WT")) return f;
  if (auto f = requirePositive(in.cp_j_kg_k, "Cp", "液体定压比热Cp")) return f;
  // Only a superheated liquid flashes.
  if (!(in.tl_k >= in.tb_k))
    return core::fail("泄漏前液体温度TL必须大于等于液体常压下沸点Tb，请重新输入！", "TL");
  return std::nullopt;
}

double flashFraction(const FlashEvaporationInput& in) {
  return (static_cast<double>(in.tl_k) - in.tb_k) * in.cp_j_kg_k / in.h_j_kg;
}

// The flashed share cannot exceed the spill: at Fv >= 1 the whole spill flashes.
FlashEvaporationResult computeFlashEvaporation(const FlashEvaporationInput& in) {
  const double fv = std::min(flashFraction(in), 1.0);
  return {core::storeFloat(fv * in.wt_kg / in.t1_s)};
}

std::string flashEvaporationText(const FlashEvaporationInput& in) {
  const double fv = flashFraction(in);
  std::string t = core::cformat("闪蒸比例Fv = Cp·(TL − Tb)/H = %g", fv);
  if (fv >= 1) t += "\r\n液体将全部闪蒸，Q1 = WT/t1";
  return t;
}

const core::CalculatorDesc& flashEvaporationDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "flash_evaporation";
    c.method = "HJ/T 169-2004《建设项目环境风险评价技术导则》附录A.2：闪蒸蒸发";
    c.formulas =
        "Fv = Cp·(TL − Tb) / H\n"
        "Q1 = Fv·WT / t1（Fv ≥ 1 时液体全部闪蒸，Q1 = WT / t1）";
    c.title = "过热液体闪蒸量计算";
    c.category = kCategory;
    c.class_name = "CFlashEvaporationDlg";
    using In = FlashEvaporationInput;
    core::Form<In> form;
    form.bind("WT", &In::wt_kg, 1001, "液体泄漏总量WT", "kg");
    form.bind("t1", &In::t1_s, 1002, "闪蒸蒸发时间t1", "s");
    form.bind("Cp", &In::cp_j_kg_k, 1003, "液体定压比热Cp", "J/kg·K");
    form.bind("TL", &In::tl_k, 1004, "泄漏前液体温度TL", "K");
    form.bind("Tb", &In::tb_k, 1005, "液体常压下沸点Tb", "K");
    form.bind("H", &In::h_j_kg, 1006, "液体汽化热H", "J/kg");
    core::Outputs<FlashEvaporationResult> outs;
    outs.bind("Q1", &FlashEvaporationResult::q1_kg_s, 1007, "闪蒸量Q1", "kg/s").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1008}};
    c.result_text_id = 1009;
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkFlashEvaporation(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeFlashEvaporation(in), o.results);
      o.text = flashEvaporationText(in);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
