#include "models/air/fugitive_dust.h"

#include <cmath>

namespace models::air {

namespace {
constexpr double kOneOver6_8 = 0.14705882352941177;
}

double computeTransportDust(const TransportDustInput& in) {
  const double m = in.load_t;
  return 0.123 * in.speed_km_h * std::pow(m * kOneOver6_8, 0.85) *
         std::pow(2.0 * in.road_dust_kg_m2, 0.72) * in.distance_km * in.amount_t_y / (m * 5);
}

double computeCoalPileDust(const CoalPileDustInput& in) {
  return 11.7 * std::pow(in.wind_m_s, 2.45) * std::pow(in.surface_m2, 0.345) *
         std::exp(-0.5 * in.moisture_pct);
}

namespace {

core::Outcome run(const core::Values& v, const std::string& action) {
  core::Outcome o;
  if (action == "coal") {
    CoalPileDustInput in;
    in.wind_m_s = v.f("U");
    in.surface_m2 = v.f("S");
    in.moisture_pct = v.f("W");
    o.results.setNum("Qc", static_cast<float>(computeCoalPileDust(in)));
    return o;
  }
  TransportDustInput in;
  in.speed_km_h = v.f("V");
  in.load_t = v.f("M");
  in.distance_km = v.f("L");
  in.amount_t_y = v.f("Q");
  in.road_dust_kg_m2 = v.f("P");
  o.results.setNum("Qt", static_cast<float>(computeTransportDust(in)));
  return o;
}

core::FieldDesc field(const char* key, int id, const char* label, const char* unit, double def,
                      const char* group) {
  return core::inputField(key, id, label, unit, def, group);
}

core::FieldDesc result(const char* key, int id, const char* label, const char* unit,
                       const char* group) {
  core::FieldDesc f = field(key, id, label, unit, 0, group);
  f.result = true;
  return f;
}

}  // namespace

const core::CalculatorDesc& fugitiveDustDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "dust";
    c.title = "扬尘计算";
    c.category = "大气预测工具";
    c.command = 32804;
    c.page = 20;
    c.template_id = 200;
    c.class_name = "CDustDlg";
    const char* t = kDustGroupTransport;
    const char* k = kDustGroupCoalPile;
    c.fields = {
        field("V", 1001, "车辆行驶速度 V", "Km/h", 30, t),
        field("M", 1002, "车辆载重 M", "t/辆", 1, t),
        field("L", 1003, "运输距离 L", "Km", 0.1, t),
        field("Q", 1004, "运输量 Q", "t/a", 3000, t),
        field("P", 1005, "路面状况 P", "Kg/m^2 (以每平方米路面灰尘覆盖率表示)", 0.01, t),
        result("Qt", 1006, "运输起尘量 Qt", "Kg/a", t),
        field("U", 1011, "地面平均风速 U", "m/s", 1.5, k),
        field("S", 1012, "煤堆表面积 S", "m^2", 40, k),
        field("W", 1013, "储煤含水量 W", "%", 10, k),
        result("Qc", 1014, "煤堆起尘强度 Q", "mg/s", k),
    };
    c.actions = {{"transport", "计算结果", 1007}, {"coal", "计算结果", 1015}};
    c.help_topic = "大气预测模式\\无组织排放量计算\\扬尘计算.htm";
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::air
