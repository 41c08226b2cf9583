#include "models/air/fugitive_open_storage.h"

#include <cmath>

#include "core/binding.h"

namespace models::air {

core::Check checkOpenStorage(const OpenStorageInput& in) {
  if (!(in.wind_m_s >= 0)) return core::fail("车间内风速 u必须大于等于0，请重新输入！", "u");
  if (!(in.area_m2 >= 0)) return core::fail("有害物质敞露面积 F必须大于等于0，请重新输入！", "F");
  if (!(in.molar_mass > 0)) return core::fail("有害物质分子量 M必须大于0，请重新输入！", "M");
  if (!(in.vapour_pressure_mmhg >= 0))
    return core::fail("有机溶剂在该温度时饱和蒸汽压 Pv必须大于等于0，请重新输入！", "Pv");
  return std::nullopt;
}

double computeOpenStorage(const OpenStorageInput& in) {
  return (5.38 + 4.1 * in.wind_m_s) * in.vapour_pressure_mmhg * in.area_m2 *
         std::sqrt(static_cast<double>(in.molar_mass));
}

const std::vector<VapourConstants>& openStorageSubstances() {
  static const std::vector<VapourConstants> list = {
      {"苯", 7.962, 34172},       {"甲烷", 6.863, 8516},      {"甲醇", 8.802, 38324},
      {"醋酸甲酯", 8.715, 46150}, {"四氧化碳", 8.004, 33914}, {"甲苯", 8.33, 39198},
      {"醋酸乙酯", 9.01, 51103},  {"乙醇", 7.72, 23025},      {"乙醚", 9.135, 46774},
  };
  return list;
}

std::vector<std::string> openStorageSubstanceNames() {
  std::vector<std::string> names;
  for (const auto& s : openStorageSubstances()) names.emplace_back(s.name);
  return names;
}

std::optional<double> substanceVapourPressure(const std::string& name, double temperature_k) {
  for (const auto& s : openStorageSubstances())
    if (name == s.name) return std::pow(10.0, s.a - 0.05223 * s.b / temperature_k);
  return std::nullopt;
}

const core::CalculatorDesc& openStorageDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "open_storage";
    c.method = "无组织排放量估算：有害物质敞露存放的散发量（马扎克公式）";
    c.formulas =
        "G = (5.38 + 4.1·u)·Pv·F·M^0.5  [g/h]\n"
        "Pv = 10^(A − 0.05223·B / T)  [mmHg]（所列物质）";
    c.title = "有害物质敞露存放散发量";
    c.category = "大气预测工具";
    c.command = 32787;
    c.page = 8;
    c.template_id = 151;
    c.class_name = "COpenStorageDlg";
    core::Form<OpenStorageInput> form("马扎克公式");
    form.bind("u", &OpenStorageInput::wind_m_s, 1001, "车间内风速 u", "m/s");
    form.bind("F", &OpenStorageInput::area_m2, 1002, "有害物质敞露面积 F", "m²");
    form.bind("M", &OpenStorageInput::molar_mass, 1003, "有害物质分子量 M");
    form.bind("T", &OpenStorageInput::temperature_k, 1004, "有害物质温度 T", "K");
    // The substance only fills M and Pv on the page (its hook); the model does not read it.
    core::FieldDesc substance;
    substance.key = "substance";
    substance.control_id = 1005;
    substance.label = "有害物质名称";
    substance.unit = "(选框里没有可手动输入)";
    substance.type = core::FieldType::Text;
    substance.choices = openStorageSubstanceNames();
    substance.default_text = "苯";
    form.extra(substance);
    form.bind("Pv", &OpenStorageInput::vapour_pressure_mmhg, 1006,
              "有机溶剂在该温度时饱和蒸汽压 Pv", "mmHg");
    form.extra(core::resultField("G", 1007, "有害物质散发量 G", "g/h", "马扎克公式"));
    c.fields = form.fields();
    c.actions = {{"compute", "计算", 1008}};
    c.help_topic = "大气预测模式\\无组织排放量计算\\有害物质敞露存放的散发量计算.htm";
    c.compute = form.compute([](const OpenStorageInput& in, const std::string&) {
      if (auto f = checkOpenStorage(in)) return core::failed(*f);
      core::Outcome o;
      o.results.setNum("G", static_cast<float>(computeOpenStorage(in)));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::air
