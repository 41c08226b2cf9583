#include "models/air/flue_gas.h"

#include <cmath>

#include "core/binding.h"

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

const core::CalculatorDesc& flueGasDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "flue_gas";
    c.method = "燃料燃烧废气量及污染物产生量的经验系数法";
    c.formulas =
        "燃油：V = 1.4·B,  Gd = B / 680,  Gs = 0.02·S·B\n"
        "燃煤：V = B,  Gd = dfh·A·B / (1 − 0.01·Cfh)·10⁻⁴,  Gs = 0.016·S·B\n"
        "Cso2 = Gs·10⁵ / V,  Cdust = Gd·10⁵ / V\n"
        "Gs,std = V·Cs·10⁻⁵,  Gd,std = V·Cd·10⁻⁵,  削减量 = 初始排放量 − 达标排放量";
    c.title = "燃煤(油)废气";
    c.category = "大气预测工具";
    c.command = 32786;
    c.page = 2;
    c.template_id = 130;
    c.class_name = "CFlueGasDlg";
    core::Form<FlueGasInput> form("燃煤(油)废气");
    form.choice("fuel", &FlueGasInput::fuel, 1001, "原料", {"油", "煤"});
    form.bind("B", &FlueGasInput::fuel_t_y, 1002, "年用量", "吨");
    form.bind("Cs", &FlueGasInput::so2_std_mg_m3, 1003, "SO2达标浓度", "mg/m³");
    form.bind("Cd", &FlueGasInput::dust_std_mg_m3, 1004, "烟尘达标浓度", "mg/m³");
    form.bind("S", &FlueGasInput::sulphur_pct, 1005, "含硫分", "%");
    form.bind("A", &FlueGasInput::ash_pct, 1006, "灰分", "%");
    form.bind("dfh", &FlueGasInput::ash_to_dust_pct, 1007, "烟尘", "%");
    form.bind("Cfh", &FlueGasInput::dust_comb_pct, 1008, "烟尘中可燃物", "%");
    // Whole-number fields: a non-finite concentration (no combustible-free ash) stores as 0.
    const auto whole = core::FieldType::Int;
    core::Outputs<FlueGasResult> outs("计算结果");
    outs.bind("V", &FlueGasResult::gas_1e4nm3_y, 1010, "年废气排放量", "万标立方米");
    outs.bind("Cso2", &FlueGasResult::so2_conc_mg_m3, 1011, "SO2初始浓度", "mg/m³", whole);
    outs.bind("Cdust", &FlueGasResult::dust_conc_mg_m3, 1012, "烟尘初始浓度", "mg/m³", whole);
    outs.bind("Gs", &FlueGasResult::so2_t_y, 1013, "SO2年排放量", "吨");
    outs.bind("Gd", &FlueGasResult::dust_t_y, 1014, "烟尘年排放量", "吨");
    outs.bind("Gs_std", &FlueGasResult::so2_std_t_y, 1015, "SO2达标年排放量", "吨").sym("Gs,std");
    outs.bind("Gd_std", &FlueGasResult::dust_std_t_y, 1016, "烟尘达标年排放量", "吨").sym("Gd,std");
    outs.bind("Gs_cut", &FlueGasResult::so2_cut_t_y, 1017, "SO2年削减量", "吨").sym("ΔGs");
    outs.bind("Gd_cut", &FlueGasResult::dust_cut_t_y, 1018, "烟尘年削减量", "吨").sym("ΔGd");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1020}};
    c.compute = form.compute([outs](const FlueGasInput& in, const std::string&) {
      if (auto f = checkFlueGas(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeFlueGas(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::air
