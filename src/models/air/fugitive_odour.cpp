#include "models/air/fugitive_odour.h"

#include <cmath>

#include "core/binding.h"

namespace models::air {

namespace {
constexpr const char* kMsgInvalid = "无效的数字，请重新输入！";
constexpr double kOneOverPi = 0.31831015504887655;
}  // namespace

double odourRootTerm(const OdourRateInput& in) {
  return in.wind_m_s * in.length_cm * in.diffusivity_cm2_s * kOneOverPi / in.correction_f;
}

core::Check checkOdourRate(const OdourRateInput& in) {
  if (!(odourRootTerm(in) > 0)) return core::fail(kMsgInvalid);
  return std::nullopt;
}

double computeOdourRate(const OdourRateInput& in) {
  return 2 * in.width_cm * in.compound_kg * in.vapour_pressure / in.total_kg *
         std::pow(odourRootTerm(in), 0.5);
}

const core::CalculatorDesc& odourRateDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "odour_rate";
    c.method = "恶臭气体散发速率估算（堆场、填埋场土壤中挥发性化合物）";
    c.formulas = "E = 2·C·W·m / M·(D·L·u / (π·F))^0.5  [cm³/s]";
    c.title = "恶臭气体散发速率";
    c.category = "大气预测工具";
    c.command = 32790;
    c.page = 9;
    c.template_id = 152;
    c.class_name = "COdourRateDlg";
    const char* group = "恶臭气体的散发速率";
    core::Form<OdourRateInput> form(group);
    form.bind("u", &OdourRateInput::wind_m_s, 1001, "风速u", "m/s");
    form.bind("D", &OdourRateInput::diffusivity_cm2_s, 1002, "扩散率D", "cm²/s");
    form.bind("W", &OdourRateInput::width_cm, 1003, "堆场或填场的宽度W", "cm");
    form.bind("L", &OdourRateInput::length_cm, 1004, "堆场或填场的长度L", "cm");
    form.bind("m", &OdourRateInput::compound_kg, 1005, "土壤中挥发性化合物的重量m", "kg");
    form.bind("M", &OdourRateInput::total_kg, 1006, "土壤与化合物的总重量M", "kg");
    form.bind("C", &OdourRateInput::vapour_pressure, 1007, "化学气体蒸汽压C", "101.325kPa");
    form.bind("F", &OdourRateInput::correction_f, 1008, "蒸汽压校正系数F");
    form.extra(
        core::resultField("E", 1009, "恶臭气体散发速率E", "cm³/s", group, core::FieldType::Double));
    c.fields = form.fields();
    c.actions = {{"compute", "计算", 1010}};
    c.compute = form.compute([](const OdourRateInput& in, const std::string&) {
      if (auto f = checkOdourRate(in)) {
        // The refused input still clears the rate: the page shows E = 0 after the message.
        core::Outcome o = core::failed(*f);
        o.results.setNum("E", 0);
        return o;
      }
      core::Outcome o;
      o.results.setNum("E", computeOdourRate(in));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::air
