#include "models/air/tank_losses.h"

#include <cmath>

#include "core/format.h"

namespace models::air {

double turnoverFactor(double turnovers) {
  const double n = turnovers;
  return n <= 36 ? 1.0 : (n + 180) / (6 * n);
}

double fixedRoofWorkingLoss(const FixedRoofWorkingInput& in) {
  // LDw = KN (Py1 + Py2) V1 K1 / ((690 - 4 μy) 103.2)
  const double n = static_cast<double>(in.throughput_m3_y) / in.volume_m3;
  const double py = static_cast<double>(in.p_min_kpa) + in.p_max_kpa;
  return turnoverFactor(n) * py * in.pumped_in_m3 * in.product_k1 /
         ((690 - 4.0 * in.molar_kg_kmol) * 103.2);
}

float wallAdhesion(Product p, WallState w) {
  static constexpr float kTable[2][3] = {
      {0.00257f, 0.01284f, 0.2567f},  // gasoline: light rust, heavy rust, lined
      {0.01027f, 0.05134f, 1.0268f},  // crude
  };
  return kTable[static_cast<int>(p)][static_cast<int>(w)];
}

double floatingRoofWorkingLoss(const FloatingRoofWorkingInput& in) {
  // Lw = 4 Q ρ C / D, times (1 + Nc Fc / D) when columns carry the fixed roof
  const double d = in.diameter_m;
  const double lw = 4.0 * in.throughput_m3_y * in.density_kg_m3 * in.adhesion / d;
  if (in.internal && in.fixed_supports)
    return (1 + static_cast<double>(in.columns) * in.column_diameter_m / d) * lw;
  return lw;
}

double tankDiameterFactor(double diameter_m) {
  const double d = diameter_m;
  if (d >= 9.14) return 1;
  return 1.9891e-6 * d * d * d + (0.0013099 * d + 0.073631) * d + 0.082626;
}

double fixedRoofBreathingLoss(const FixedRoofBreathingInput& in) {
  // LDs = 0.0732 (P / (Pa - P))^0.68 H^0.51 ΔT^0.5 D^1.73 K3 Fp C
  const double p = in.p_kpa, pa = in.pa_kpa, d = in.diameter_m;
  return 0.0732 * std::pow(p / (pa - p), 0.68) * std::pow(in.vapour_space_m, 0.51) *
         std::pow(in.daily_range_c, 0.5) * std::pow(d, 1.73) * in.product_k3 * in.paint_fp *
         tankDiameterFactor(d);
}

double vapourPressureFunction(double py_kpa, double pa_kpa) {
  const double ratio = py_kpa / pa_kpa;
  const double root = 1 + std::pow(1 - ratio, 0.5);
  return ratio / (root * root);
}

double floatingRoofStandingLoss(const FloatingRoofStandingInput& in) {
  // Ls = (3.28 D Kt (2.24 v)^n + Ff) Mv Kc P* 0.46
  const double seal =
      3.28 * in.diameter_m * in.seal_kt * std::pow(2.24 * in.wind_m_s, in.wind_exp_n);
  return (seal + in.fittings_ff) * in.molar_kg_kmol * in.product_kc *
         vapourPressureFunction(in.py_kpa, in.pa_kpa) * 0.46;
}

double internalFloatingRoofStandingLoss(const InternalFloatingRoofStandingInput& in) {
  // Ls = (Fd Kd D^2 + Kc D + Fc) Mv Kc P* 0.45; the one Kc serves both places
  const double d = in.diameter_m;
  const double k =
      static_cast<double>(in.seam_fd) * in.seam_kd * d * d + in.rim_kc * d + in.column_diameter_m;
  return k * in.molar_kg_kmol * in.rim_kc * vapourPressureFunction(in.py_kpa, in.pa_kpa) * 0.45;
}

int tankSubFormIndex(int kind, int tank) {
  if (kind == 0) return tank == 0 ? 0 : 1;
  return tank == 0 ? 2 : tank == 1 ? 3 : 4;
}

namespace {

std::string fixedWorking(const core::Values& v) {
  FixedRoofWorkingInput in;
  in.throughput_m3_y = v.f("fw_Q");
  in.pumped_in_m3 = v.f("fw_V1");
  in.volume_m3 = v.f("fw_V");
  in.product_k1 = v.f("fw_K1");
  in.p_min_kpa = v.f("fw_Py1");
  in.p_max_kpa = v.f("fw_Py2");
  in.molar_kg_kmol = v.f("fw_uy");
  return core::cformat("结果：拱顶罐大呼吸蒸发损耗量LDw：%f [m^3/a]", fixedRoofWorkingLoss(in));
}

float adhesionOf(const core::Values& v) {
  const Product p = v.i("lw_product") == 1 ? Product::Crude : Product::Gasoline;
  const int w = v.i("lw_wall");
  return wallAdhesion(p, w == 1   ? WallState::HeavyRust
                         : w == 2 ? WallState::Lined
                                  : WallState::LightRust);
}

std::string floatingWorking(const core::Values& v) {
  FloatingRoofWorkingInput in;
  in.throughput_m3_y = v.f("lw_Q");
  in.diameter_m = v.f("lw_D");
  in.density_kg_m3 = v.f("lw_rho");
  in.adhesion = adhesionOf(v);
  in.internal = v.i("tank") == 2;
  in.fixed_supports = v.i("lw_support") != 0;
  in.columns = v.f("lw_Nc");
  in.column_diameter_m = v.f("lw_Fc");
  const double lw = floatingRoofWorkingLoss(in);
  if (in.internal) return core::cformat("结果：内浮顶油罐大呼吸损耗量Lw：%f [kg/a]", lw);
  return core::cformat("结果：浮顶油罐大呼吸损耗量Lw：%f [kg/a]", lw);
}

std::string fixedBreathing(const core::Values& v) {
  FixedRoofBreathingInput in;
  in.diameter_m = v.f("fb_D");
  in.vapour_space_m = v.f("fb_H");
  in.paint_fp = v.f("fb_Fp");
  in.product_k3 = v.f("fb_K3");
  in.p_kpa = v.f("fb_P");
  in.pa_kpa = v.f("fb_Pa");
  in.daily_range_c = v.f("fb_dT");
  return core::cformat("结果：拱顶罐小呼吸蒸发损耗量LDs：%f [m^3/a]", fixedRoofBreathingLoss(in));
}

std::string floatingStanding(const core::Values& v) {
  FloatingRoofStandingInput in;
  in.diameter_m = v.f("fs_D");
  in.seal_kt = v.f("fs_Kt");
  in.wind_m_s = v.f("fs_v");
  in.wind_exp_n = v.f("fs_n");
  in.product_kc = v.f("fs_Kc");
  in.fittings_ff = v.f("fs_Ff");
  in.molar_kg_kmol = v.f("fs_Mv");
  in.py_kpa = v.f("fs_Py");
  in.pa_kpa = v.f("fs_Pa");
  return core::cformat("结果：浮顶罐小呼吸蒸发损耗量Ls：%f [kg/a]", floatingRoofStandingLoss(in));
}

std::string internalStanding(const core::Values& v) {
  InternalFloatingRoofStandingInput in;
  in.diameter_m = v.f("is_D");
  in.seam_fd = v.f("is_Fd");
  in.seam_kd = v.f("is_Kd");
  in.rim_kc = v.f("is_Kc");
  in.molar_kg_kmol = v.f("is_Mv");
  in.py_kpa = v.f("is_Py");
  in.pa_kpa = v.f("is_Pa");
  in.column_diameter_m = v.f("is_Fc");
  return core::cformat("结果：内浮顶罐小呼吸蒸发损耗量Ls：%f [kg/a]",
                       internalFloatingRoofStandingLoss(in));
}

core::Outcome run(const core::Values& v, const std::string& action) {
  core::Outcome o;
  if (action == "floating_working") {
    o.results.setNum("lw_C", adhesionOf(v));
    o.text = floatingWorking(v);
  } else if (action == "fixed_breathing") {
    o.text = fixedBreathing(v);
  } else if (action == "floating_standing") {
    o.text = floatingStanding(v);
  } else if (action == "internal_standing") {
    o.text = internalStanding(v);
  } else {
    o.text = fixedWorking(v);
  }
  return o;
}

// Control ids are handed out in exchange order from 1010.
struct Ids {
  int next = 1010;
};

core::FieldDesc input(Ids& ids, const char* key, const char* label, const char* unit, double def,
                      const char* group) {
  return core::inputField(key, ids.next++, label, unit, def, group);
}

core::FieldDesc choice(Ids& ids, const char* key, const char* label,
                       std::vector<std::string> entries, const char* group) {
  core::FieldDesc f = input(ids, key, label, "", 0, group);
  f.type = core::FieldType::Choice;
  f.choices = std::move(entries);
  return f;
}

}  // namespace

const core::CalculatorDesc& tankLossesDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "tank_loss";
    c.title = "油罐大小呼吸蒸发损耗计算";
    c.category = "大气预测工具";
    c.command = 32794;
    c.page = 10;
    c.template_id = 154;
    c.class_name = "CTankLossDlg";
    Ids ids;
    const char* kCase = kTankGroupCase;
    const char* kFw = kTankSubForms[0].group;
    const char* kLw = kTankSubForms[1].group;
    const char* kFb = kTankSubForms[2].group;
    const char* kFs = kTankSubForms[3].group;
    const char* kIs = kTankSubForms[4].group;
    auto adhesion = input(ids, "lw_C", "油罐壁的粘附系数C", "m^3/1000m^2", 0.00257, kLw);
    adhesion.result = true;
    auto support = input(ids, "lw_support", "内浮顶罐的固定顶用固定支柱支撑", "", 0, kLw);
    support.type = core::FieldType::CheckBox;
    c.fields = {
        choice(ids, "kind", "计算类别", {"大呼吸蒸发损耗计算", "小呼吸蒸发损耗计算"}, kCase),
        choice(ids, "tank", "罐种类", {"拱顶罐", "浮顶油罐", "内浮顶油罐"}, kCase),
        input(ids, "fw_Q", "油罐年周转量 Q", "m^3/a", 20000, kFw),
        input(ids, "fw_V1", "泵送液体入罐量 V1", "m^3", 20, kFw),
        input(ids, "fw_V", "油罐体积 V", "m^3", 200, kFw),
        input(ids, "fw_K1", "油品系数K1 (汽油K1=1,原油K1=0.75)", "", 0.75, kFw),
        input(ids, "fw_Py1", "油罐内液面最低温度所对应蒸汽压Py1", "kPa", 40, kFw),
        input(ids, "fw_Py2", "油罐内液面最高温度所对应蒸汽压Py2", "kPa", 100, kFw),
        input(ids, "fw_uy", "油蒸汽摩尔质量 μy", "kg/kmol", 30, kFw),
        input(ids, "lw_Q", "油罐年周转量 Q", "m^3/a", 20000, kLw),
        input(ids, "lw_D", "油罐直径 D", "m", 2, kLw),
        input(ids, "lw_rho", "油品密度 ρ", "kg/m^3", 740, kLw),
        choice(ids, "lw_product", "油品", {"汽油", "原油"}, kLw),
        choice(ids, "lw_wall", "罐壁状况", {"轻锈", "重锈", "喷涂内衬"}, kLw),
        adhesion,
        support,
        input(ids, "lw_Nc", "支柱个数 Nc", "个", 3, kLw),
        input(ids, "lw_Fc", "支柱有效直径Fc", "m", 0.4, kLw),
        input(ids, "fb_D", "油罐直径 D", "m", 2, kFb),
        input(ids, "fb_H", "油罐内气体空间高度 H", "m", 0.2, kFb),
        input(ids, "fb_Fp", "涂料系数 Fp", "", 1, kFb),
        input(ids, "fb_K3", "油品系数 K3 (汽油K3=1,原油K3=0.58)", "", 1, kFb),
        input(ids, "fb_P", "油罐内油品本体温度下蒸汽压 P", "kPa", 70, kFb),
        input(ids, "fb_Pa", "当地大气压 Pa", "kPa", 101.3, kFb),
        input(ids, "fb_dT", "大气温度的平均日温差 △T", "℃", 6, kFb),
        input(ids, "fs_D", "油罐直径 D", "m", 2, kFs),
        input(ids, "fs_Kt", "密封相关系数 Kt", "", 1.2, kFs),
        input(ids, "fs_v", "油罐所在地平均风速 v", "m/s", 2.1, kFs),
        input(ids, "fs_n", "与密封有关的风速指数 n", "", 1.5, kFs),
        input(ids, "fs_Kc", "油品系数 Kc (汽油Kc=1,原油Kc=0.4)", "", 1, kFs),
        input(ids, "fs_Ff", "浮盘附件总损耗系数 Ff", "", 2, kFs),
        input(ids, "fs_Mv", "油气摩尔质量 Mv", "kg/kmol", 30, kFs),
        input(ids, "fs_Py", "油品平均温度下蒸汽压 Py", "kPa", 70, kFs),
        input(ids, "fs_Pa", "当地大气压 Pa", "kPa", 101.3, kFs),
        input(ids, "is_D", "油罐直径 D", "m", 2, kIs),
        input(ids, "is_Fd", "长度系数,顶板接缝长度与顶板面积比值 Fd", "", 0.3, kIs),
        input(ids, "is_Kd", "损耗系数Kd,焊接顶板Kd=0;非焊接顶板Kd=3.66", "", 0, kIs),
        input(ids, "is_Kc", "边圈密封损耗系数 Kc", "", 9.8, kIs),
        input(ids, "is_Mv", "油气摩尔质量 Mv", "kg/kmol", 30, kIs),
        input(ids, "is_Py", "油品平均温度下蒸汽压 Py", "kPa", 70, kIs),
        input(ids, "is_Pa", "当地大气压 Pa", "kPa", 101.3, kIs),
        input(ids, "is_Fc", "支柱有效直径 Fc", "m", 0.4, kIs),
    };
    c.actions = {{"fixed_working", "计算结果", 1101},
                 {"floating_working", "计算结果", 1102},
                 {"fixed_breathing", "计算结果", 1103},
                 {"floating_standing", "计算结果", 1104},
                 {"internal_standing", "计算结果", 1105}};
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::air
