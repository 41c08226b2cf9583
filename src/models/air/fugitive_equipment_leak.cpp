#include "models/air/fugitive_equipment_leak.h"

#include <cmath>

#include "core/binding.h"

namespace models::air {

core::Check checkEquipmentLeak(const EquipmentLeakInput& in) {
  if (!(in.volume_m3 >= 0))
    return core::fail("设备和管道内部容积 V必须大于等于0，请重新输入！", "V");
  if (!(in.temperature_k > 0))
    return core::fail("有害气体和蒸气温度 T必须大于0，请重新输入！", "T");
  if (!(in.molar_mass > 0)) return core::fail("有害气体和蒸气分子量 M必须大于0，请重新输入！", "M");
  return std::nullopt;
}

double computeEquipmentLeak(const EquipmentLeakInput& in) {
  return static_cast<double>(in.safety_k) * in.coefficient_c * in.volume_m3 *
         std::pow(static_cast<double>(in.molar_mass) / in.temperature_k, 0.5);
}

const core::CalculatorDesc& equipmentLeakDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "equipment_leak";
    c.method = "无组织排放量估算：生产设备和管道不严密处的散发量";
    c.formulas = "Gc = K·C·V·(M / T)^0.5  [kg/h]";
    c.title = "生产设备和管道不严密处散发量计算";
    c.category = "大气预测工具";
    c.command = 32801;
    c.page = 16;
    c.template_id = 168;
    c.class_name = "CEquipmentLeakDlg";
    core::Form<EquipmentLeakInput> form("生产设备和管道不严密处散发量计算");
    form.bind("V", &EquipmentLeakInput::volume_m3, 1001, "设备和管道内部容积 V", "m³")
        .nonNegative();
    form.bind("T", &EquipmentLeakInput::temperature_k, 1002, "有害气体和蒸气温度 T", "K");
    form.bind("M", &EquipmentLeakInput::molar_mass, 1003, "有害气体和蒸气分子量 M");
    form.bind("K", &EquipmentLeakInput::safety_k, 1004, "安全系数 K,视设备磨损程度,一般取1～2")
        .nonNegative();
    form.bind("C", &EquipmentLeakInput::coefficient_c, 1005, "系数 C");
    form.extra(
        core::resultField("Gc", 1006, "散发量 Gc", "kg/h", "生产设备和管道不严密处散发量计算"));
    c.fields = form.fields();
    c.actions = {{"compute", "计算", 1007}};
    c.help_topic = "大气预测模式\\无组织排放量计算\\生产设备和管道不严密处的散发量计算.htm";
    c.compute = form.compute([](const EquipmentLeakInput& in, const std::string&) {
      if (auto f = checkEquipmentLeak(in)) return core::failed(*f);
      core::Outcome o;
      o.results.setNum("Gc", static_cast<float>(computeEquipmentLeak(in)));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::air
