#include "models/air/fugitive_equipment_leak.h"

#include <cmath>

namespace models::air {

double computeEquipmentLeak(const EquipmentLeakInput& in) {
  return static_cast<double>(in.safety_k) * in.coefficient_c * in.volume_m3 *
         std::pow(static_cast<double>(in.molar_mass) / in.temperature_k, 0.5);
}

namespace {

core::Outcome run(const core::Values& v, const std::string&) {
  EquipmentLeakInput in;
  in.volume_m3 = v.f("V");
  in.temperature_k = v.f("T");
  in.molar_mass = v.f("M");
  in.safety_k = v.f("K");
  in.coefficient_c = v.f("C");
  core::Outcome o;
  o.results.setNum("Gc", static_cast<float>(computeEquipmentLeak(in)));
  return o;
}

core::FieldDesc field(const char* key, int id, const char* label, const char* unit, double def) {
  return core::inputField(key, id, label, unit, def, "生产设备和管道不严密处散发量计算");
}

}  // namespace

const core::CalculatorDesc& equipmentLeakDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "equipment_leak";
    c.title = "生产设备和管道不严密处散发量计算";
    c.category = "大气预测工具";
    c.command = 32801;
    c.page = 16;
    c.template_id = 168;
    c.class_name = "CEquipmentLeakDlg";
    auto gc = field("Gc", 1006, "散发量 Gc", "kg/h", 0);
    gc.result = true;
    c.fields = {
        field("V", 1001, "设备和管道内部容积 V", "m^3", 2),
        field("T", 1002, "有害气体和蒸气温度 T", "K", 298),
        field("M", 1003, "有害气体和蒸气分子量 M", "", 78),
        field("K", 1004, "安全系数 K,视设备磨损程度,一般取1～2", "", 1.5),
        field("C", 1005, "系数 C", "", 0.21),
        gc,
    };
    c.actions = {{"compute", "计算", 1007}};
    c.help_topic = "大气预测模式\\无组织排放量计算\\生产设备和管道不严密处的散发量计算.htm";
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::air
