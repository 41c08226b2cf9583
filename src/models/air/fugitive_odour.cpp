#include "models/air/fugitive_odour.h"

#include <cmath>

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

namespace {

core::Outcome run(const core::Values& v, const std::string&) {
  OdourRateInput in;
  in.wind_m_s = v.num("u");
  in.diffusivity_cm2_s = v.num("D");
  in.width_cm = v.num("W");
  in.length_cm = v.num("L");
  in.compound_kg = v.num("m");
  in.total_kg = v.num("M");
  in.vapour_pressure = v.num("C");
  in.correction_f = v.num("F");
  if (auto f = checkOdourRate(in)) {
    // The refused input still clears the rate: the page shows E = 0 after the message.
    core::Outcome o = core::failed(*f);
    o.results.setNum("E", 0);
    return o;
  }
  core::Outcome o;
  o.results.setNum("E", computeOdourRate(in));
  return o;
}

core::FieldDesc field(const char* key, int id, const char* label, const char* unit) {
  return core::inputField(key, id, label, unit, 0, "恶臭气体的散发速率", core::FieldType::Double);
}

}  // namespace

const core::CalculatorDesc& odourRateDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "odour_rate";
    c.title = "恶臭气体散发速率";
    c.category = "大气预测工具";
    c.command = 32790;
    c.page = 9;
    c.template_id = 152;
    c.class_name = "COdourRateDlg";
    auto e = field("E", 1009, "恶臭气体散发速率E", "cm^3/s");
    e.result = true;
    c.fields = {
        field("u", 1001, "风速u", "m/s"),
        field("D", 1002, "扩散率D", "cm^2/s"),
        field("W", 1003, "堆场或填场的宽度W", "cm"),
        field("L", 1004, "堆场或填场的长度L", "cm"),
        field("m", 1005, "土壤中挥发性化合物的重量m", "kg"),
        field("M", 1006, "土壤与化合物的总重量M", "kg"),
        field("C", 1007, "化学气体蒸汽压C", "101.325kPa"),
        field("F", 1008, "蒸汽压校正系数F", ""),
        e,
    };
    c.actions = {{"compute", "计算", 1010}};
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::air
