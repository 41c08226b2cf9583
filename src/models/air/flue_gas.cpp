#include "models/air/flue_gas.h"

#include <cmath>

namespace models::air {

namespace {
constexpr const char* kMsgNegative = "不能是负数，请重新输入";
// t per 10^4 Nm3 -> mg/m3
constexpr double kTonnePer1e4Nm3ToMg = 100000;
// 10^4 Nm3 x mg/m3 -> t
constexpr double kMg1e4Nm3ToTonne = 0.00001;
// Oil: one tonne of dust per 680 t of oil burnt.
constexpr double kOilDustPerTonne = 0.0014705882352941176;

double roundHalfUp(double x) { return std::trunc(x + 0.5); }
}  // namespace

FuelPreset fuelPreset(Fuel fuel) {
  if (fuel == Fuel::Coal) return {"0.7", "900", "200"};
  return {"0.3", "500", "100"};
}

core::Check checkFlueGas(const FlueGasInput& in) {
  if (!(in.fuel_t_y >= 0)) return core::fail(kMsgNegative, "B", core::kCaptionError);
  return std::nullopt;
}

FlueGasResult computeFlueGas(const FlueGasInput& in) {
  FlueGasResult r;
  const double b = in.fuel_t_y, s = in.sulphur_pct;
  if (in.fuel == Fuel::Oil) {
    // V = 1.4 B;  G_d = B / 680;  G_s = 0.02 S B
    r.gas_1e4nm3_y = static_cast<float>(1.4 * b);
    r.dust_t_y = static_cast<float>(b * kOilDustPerTonne);
    r.so2_t_y = static_cast<float>(0.02 * s * b);
  } else {
    // V = B;  G_d = dfh A B / (1 - 0.01 Cfh) 1e-4;  G_s = 0.016 S B
    r.gas_1e4nm3_y = static_cast<float>(b);
    r.dust_t_y = static_cast<float>(static_cast<double>(in.ash_to_dust_pct) * in.ash_pct * b /
                                    (1 - 0.01 * in.dust_comb_pct) * 0.0001);
    r.so2_t_y = static_cast<float>(0.016 * s * b);
  }
  const double v = r.gas_1e4nm3_y, gs = r.so2_t_y, gd = r.dust_t_y;
  // Without flue gas there is no concentration to speak of: both show 0.
  if (v > 0) {
    r.so2_conc_mg_m3 = roundHalfUp(gs * kTonnePer1e4Nm3ToMg / v);
    r.dust_conc_mg_m3 = roundHalfUp(gd * kTonnePer1e4Nm3ToMg / v);
  }
  r.so2_std_t_y = static_cast<float>(v * in.so2_std_mg_m3 * kMg1e4Nm3ToTonne);
  r.dust_std_t_y = static_cast<float>(v * in.dust_std_mg_m3 * kMg1e4Nm3ToTonne);
  const double so2_cut = gs - static_cast<double>(r.so2_std_t_y);
  const double dust_cut = gd - static_cast<double>(r.dust_std_t_y);
  r.so2_cut_t_y = so2_cut < 0 ? 0.0f : static_cast<float>(so2_cut);
  r.dust_cut_t_y = dust_cut < 0 ? 0.0f : static_cast<float>(dust_cut);
  return r;
}

namespace {

core::Outcome run(const core::Values& v, const std::string&) {
  FlueGasInput in;
  in.fuel = v.i("fuel") == 1 ? Fuel::Coal : Fuel::Oil;
  in.fuel_t_y = v.f("B");
  in.so2_std_mg_m3 = v.f("Cs");
  in.dust_std_mg_m3 = v.f("Cd");
  in.sulphur_pct = v.f("S");
  in.ash_pct = v.f("A");
  in.ash_to_dust_pct = v.f("dfh");
  in.dust_comb_pct = v.f("Cfh");
  if (auto f = checkFlueGas(in)) return core::failed(*f);
  const FlueGasResult r = computeFlueGas(in);
  core::Outcome o;
  o.results.setNum("V", r.gas_1e4nm3_y);
  // Whole-number fields: a non-finite concentration (no combustible-free ash) stores as 0.
  o.results.setNum("Cso2", core::storeAs(core::FieldType::Int, r.so2_conc_mg_m3));
  o.results.setNum("Cdust", core::storeAs(core::FieldType::Int, r.dust_conc_mg_m3));
  o.results.setNum("Gs", r.so2_t_y);
  o.results.setNum("Gd", r.dust_t_y);
  o.results.setNum("Gs_std", r.so2_std_t_y);
  o.results.setNum("Gd_std", r.dust_std_t_y);
  o.results.setNum("Gs_cut", r.so2_cut_t_y);
  o.results.setNum("Gd_cut", r.dust_cut_t_y);
  return o;
}

core::FieldDesc input(const char* key, int id, const char* label, const char* unit, double def) {
  return core::inputField(key, id, label, unit, def, "燃煤(油)废气");
}

core::FieldDesc output(const char* key, int id, const char* label, const char* unit,
                       core::FieldType type = core::FieldType::Float) {
  return core::resultField(key, id, label, unit, "计算结果", type);
}

}  // namespace

const core::CalculatorDesc& flueGasDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "flue_gas";
    c.title = "燃煤(油)废气";
    c.category = "大气预测工具";
    c.command = 32786;
    c.page = 2;
    c.template_id = 130;
    c.class_name = "CFlueGasDlg";
    auto fuel = input("fuel", 1001, "原料", "", 0);
    fuel.type = core::FieldType::Choice;
    fuel.choices = {"油", "煤"};
    c.fields = {
        fuel,
        input("B", 1002, "年用量", "吨", 0),
        input("Cs", 1003, "SO2达标浓度", "mg/m^3", 500),
        input("Cd", 1004, "烟尘达标浓度", "mg/m^3", 100),
        input("S", 1005, "含硫分", "%", 0.3),
        input("A", 1006, "灰分", "%", 12),
        input("dfh", 1007, "烟尘", "%", 20),
        input("Cfh", 1008, "烟尘中可燃物", "%", 20),
        output("V", 1010, "年废气排放量", "万标立方米"),
        output("Cso2", 1011, "SO2初始浓度", "mg/m^3", core::FieldType::Int),
        output("Cdust", 1012, "烟尘初始浓度", "mg/m^3", core::FieldType::Int),
        output("Gs", 1013, "SO2年排放量", "吨"),
        output("Gd", 1014, "烟尘年排放量", "吨"),
        output("Gs_std", 1015, "SO2达标年排放量", "吨"),
        output("Gd_std", 1016, "烟尘达标年排放量", "吨"),
        output("Gs_cut", 1017, "SO2年削减量", "吨"),
        output("Gd_cut", 1018, "烟尘年削减量", "吨"),
    };
    c.actions = {{"compute", "计算", 1020}};
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::air
