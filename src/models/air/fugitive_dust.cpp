#include "models/air/fugitive_dust.h"

#include <cmath>

#include "core/binding.h"

namespace models::air {

namespace {
constexpr double kOneOver6_8 = 0.14705882352941177;

core::Check requireNotNegative(double v, const char* key, const std::string& name) {
  if (v >= 0) return std::nullopt;
  return core::fail(name + "必须大于等于0，请重新输入！", key);
}
}  // namespace

core::Check checkTransportDust(const TransportDustInput& in) {
  if (auto f = requireNotNegative(in.speed_km_h, "V", "车辆行驶速度 V")) return f;
  if (!(in.load_t > 0)) return core::fail("车辆载重 M必须大于0，请重新输入！", "M");
  if (auto f = requireNotNegative(in.distance_km, "L", "运输距离 L")) return f;
  if (auto f = requireNotNegative(in.amount_t_y, "Q", "运输量 Q")) return f;
  return requireNotNegative(in.road_dust_kg_m2, "P", "路面状况 P");
}

core::Check checkCoalPileDust(const CoalPileDustInput& in) {
  if (auto f = requireNotNegative(in.wind_m_s, "U", "地面平均风速 U")) return f;
  return requireNotNegative(in.surface_m2, "S", "煤堆表面积 S");
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

const core::CalculatorDesc& fugitiveDustDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "dust";
    c.method = "扬尘经验公式（霍州电厂现场试验公式）";
    c.formulas =
        "运输起尘：Qt = 0.123·(V/5)·(M/6.8)^0.85·(2P)^0.72·L·Q / M  [kg/a]\n"
        "煤堆起尘：Qc = 11.7·U^2.45·S^0.345·e^(−0.5W)  [mg/s]";
    c.title = "扬尘计算";
    c.category = "大气预测工具";
    c.command = 32804;
    c.page = 20;
    c.template_id = 200;
    c.class_name = "CDustDlg";
    // Two forms on one page, each with its own button.
    core::Form<TransportDustInput> transport(kDustGroupTransport);
    transport.bind("V", &TransportDustInput::speed_km_h, 1001, "车辆行驶速度 V", "km/h");
    transport.bind("M", &TransportDustInput::load_t, 1002, "车辆载重 M", "t/辆");
    transport.bind("L", &TransportDustInput::distance_km, 1003, "运输距离 L", "km");
    transport.bind("Q", &TransportDustInput::amount_t_y, 1004, "运输量 Q", "t/a");
    transport.bind("P", &TransportDustInput::road_dust_kg_m2, 1005, "路面状况 P",
                   "kg/m² (以每平方米路面灰尘覆盖率表示)");
    transport.extra(core::resultField("Qt", 1006, "运输起尘量 Qt", "kg/a", kDustGroupTransport));
    core::Form<CoalPileDustInput> coal(kDustGroupCoalPile);
    coal.bind("U", &CoalPileDustInput::wind_m_s, 1011, "地面平均风速 U", "m/s");
    coal.bind("S", &CoalPileDustInput::surface_m2, 1012, "煤堆表面积 S", "m²");
    coal.bind("W", &CoalPileDustInput::moisture_pct, 1013, "储煤含水量 W", "%");
    coal.extra(core::resultField("Qc", 1014, "煤堆起尘强度 Q", "mg/s", kDustGroupCoalPile));
    c.fields = core::concat(transport.fields(), coal.fields());
    c.actions = {{"transport", "计算结果", 1007}, {"coal", "计算结果", 1015}};
    c.help_topic = "大气预测模式\\无组织排放量计算\\扬尘计算.htm";
    const core::ComputeFn byTransport =
        transport.compute([](const TransportDustInput& in, const std::string&) {
          if (auto f = checkTransportDust(in)) return core::failed(*f);
          core::Outcome o;
          o.results.setNum("Qt", static_cast<float>(computeTransportDust(in)));
          return o;
        });
    const core::ComputeFn byCoal =
        coal.compute([](const CoalPileDustInput& in, const std::string&) {
          if (auto f = checkCoalPileDust(in)) return core::failed(*f);
          core::Outcome o;
          o.results.setNum("Qc", static_cast<float>(computeCoalPileDust(in)));
          return o;
        });
    c.compute = [byTransport, byCoal](const core::Values& v, const std::string& action) {
      return action == "coal" ? byCoal(v, action) : byTransport(v, action);
    };
    return c;
  }();
  return d;
}

}  // namespace models::air
