#include "models/air/tank_losses.h"

#include <cmath>

#include "core/binding.h"
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

// Every sub-form of the page in one struct: the case choice, then each loss's own input.
struct TankForm {
  int kind = 0;  // 0 working (大呼吸), 1 standing (小呼吸)
  int tank = 0;  // 0 fixed roof, 1 floating roof, 2 internal floating roof
  FixedRoofWorkingInput fw;
  FloatingRoofWorkingInput lw;
  Product lw_product = Product::Gasoline;
  WallState lw_wall = WallState::LightRust;
  FixedRoofBreathingInput fb;
  FloatingRoofStandingInput fs;
  InternalFloatingRoofStandingInput is;
};

std::string floatingWorking(FloatingRoofWorkingInput in) {
  const double lw = floatingRoofWorkingLoss(in);
  if (in.internal) return core::cformat("结果：内浮顶油罐大呼吸损耗量Lw：%f [kg/a]", lw);
  return core::cformat("结果：浮顶油罐大呼吸损耗量Lw：%f [kg/a]", lw);
}

core::Check checkNotNegative(double v, const char* key, const std::string& name) {
  if (v >= 0) return std::nullopt;
  return core::fail(name + "必须大于等于0，请重新输入！", key);
}

// P* takes the root of 1 - Py/Pa: the vapour pressure lies between 0 and the air pressure.
core::Check checkVapourPressure(double py, double pa, const std::string& prefix) {
  if (!(py >= 0))
    return core::fail("油品平均温度下蒸汽压 Py必须大于等于0，请重新输入！", prefix + "Py");
  if (!(pa > 0)) return core::fail("当地大气压 Pa必须大于0，请重新输入！", prefix + "Pa");
  if (!(py <= pa))
    return core::fail("油品平均温度下蒸汽压 Py必须不大于当地大气压 Pa，请重新输入！",
                      prefix + "Py");
  return std::nullopt;
}

// The inputs each loss divides by, takes a root or a power of, in the order of its fields.
core::Check checkTankLoss(const TankForm& in, const std::string& action) {
  if (action == "floating_working") {
    if (!(in.lw.diameter_m > 0)) return core::fail("油罐直径 D必须大于0，请重新输入！", "lw_D");
  } else if (action == "fixed_breathing") {
    const FixedRoofBreathingInput& b = in.fb;
    if (auto f = checkNotNegative(b.diameter_m, "fb_D", "油罐直径 D")) return f;
    if (auto f = checkNotNegative(b.vapour_space_m, "fb_H", "油罐内气体空间高度 H")) return f;
    if (auto f = checkNotNegative(b.p_kpa, "fb_P", "油罐内油品本体温度下蒸汽压 P")) return f;
    if (!(b.pa_kpa > b.p_kpa))
      return core::fail("当地大气压 Pa必须大于油品本体温度下蒸汽压 P，请重新输入！", "fb_Pa");
    if (auto f = checkNotNegative(b.daily_range_c, "fb_dT", "大气温度的平均日温差 △T")) return f;
  } else if (action == "floating_standing") {
    if (auto f = checkNotNegative(in.fs.wind_m_s, "fs_v", "油罐所在地平均风速 v")) return f;
    return checkVapourPressure(in.fs.py_kpa, in.fs.pa_kpa, "fs_");
  } else if (action == "internal_standing") {
    return checkVapourPressure(in.is.py_kpa, in.is.pa_kpa, "is_");
  } else if (action == "fixed_working") {
    if (!(in.fw.volume_m3 > 0)) return core::fail("油罐体积 V必须大于0，请重新输入！", "fw_V");
  }
  return std::nullopt;
}

core::Outcome computeTankLoss(const TankForm& in, const std::string& action) {
  if (auto f = checkTankLoss(in, action)) return core::failed(*f);
  core::Outcome o;
  if (action == "floating_working") {
    FloatingRoofWorkingInput lw = in.lw;
    lw.adhesion = wallAdhesion(in.lw_product, in.lw_wall);
    lw.internal = in.tank == 2;
    o.results.setNum("lw_C", lw.adhesion);
    o.text = floatingWorking(lw);
  } else if (action == "fixed_breathing") {
    o.text =
        core::cformat("结果：拱顶罐小呼吸蒸发损耗量LDs：%f [m^3/a]", fixedRoofBreathingLoss(in.fb));
  } else if (action == "floating_standing") {
    o.text =
        core::cformat("结果：浮顶罐小呼吸蒸发损耗量Ls：%f [kg/a]", floatingRoofStandingLoss(in.fs));
  } else if (action == "internal_standing") {
    o.text = core::cformat("结果：内浮顶罐小呼吸蒸发损耗量Ls：%f [kg/a]",
                           internalFloatingRoofStandingLoss(in.is));
  } else {
    o.text =
        core::cformat("结果：拱顶罐大呼吸蒸发损耗量LDw：%f [m^3/a]", fixedRoofWorkingLoss(in.fw));
  }
  return o;
}

}  // namespace

const core::CalculatorDesc& tankLossesDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "tank_loss";
    c.method = "《石油库节能设计导则》（SH/T 3002）：油罐大呼吸与小呼吸损耗";
    c.formulas =
        "固定顶罐大呼吸：LDw = KN·(Py1 + Py2)·V1·K1 / ((690 − 4μy)·103.2)\n"
        "浮顶罐大呼吸：Lw = 4·Q·ρ·C / D·(1 + Nc·Fc / D)\n"
        "固定顶罐小呼吸：LDs = 0.0732·(P / (Pa − P))^0.68·H^0.51·ΔT^0.5·D^1.73·K3·Fp·C\n"
        "浮顶罐静止储存：Ls = (3.28·D·Kt·(2.24·v)ⁿ + Ff)·Mv·Kc·P*·0.46\n"
        "内浮顶罐静止储存：Ls = (Fd·Kd·D² + Kc·D + Fc)·Mv·Kc·P*·0.45\n"
        "P* = (Py/Pa) / (1 + (1 − Py/Pa)^0.5)²；周转系数 KN：年周转 ≤ 36 次取 1，否则 (N + 180) / "
        "(6N)";
    c.title = "油罐大小呼吸蒸发损耗计算";
    c.category = "大气预测工具";
    c.command = 32794;
    c.page = 10;
    c.template_id = 154;
    c.class_name = "CTankLossDlg";
    // Control ids are handed out in exchange order from 1012; the adhesion result and the
    // support check box hold 1010 and 1011.
    int id = 1012;
    using F = TankForm;
    core::Form<F> form(kTankGroupCase);
    form.choice("kind", &F::kind, id++, "计算类别", {"大呼吸蒸发损耗计算", "小呼吸蒸发损耗计算"});
    form.choice("tank", &F::tank, id++, "罐种类", {"拱顶罐", "浮顶油罐", "内浮顶油罐"});
    using Fw = FixedRoofWorkingInput;
    form.group(kTankSubForms[0].group);
    form.bind("fw_Q", &F::fw, &Fw::throughput_m3_y, id++, "油罐年周转量 Q", "m³/a");
    form.bind("fw_V1", &F::fw, &Fw::pumped_in_m3, id++, "泵送液体入罐量 V1", "m³");
    form.bind("fw_V", &F::fw, &Fw::volume_m3, id++, "油罐体积 V", "m³");
    form.bind("fw_K1", &F::fw, &Fw::product_k1, id++, "油品系数K1 (汽油K1=1,原油K1=0.75)")
        .sym("K1");
    form.bind("fw_Py1", &F::fw, &Fw::p_min_kpa, id++, "油罐内液面最低温度所对应蒸汽压Py1", "kPa");
    form.bind("fw_Py2", &F::fw, &Fw::p_max_kpa, id++, "油罐内液面最高温度所对应蒸汽压Py2", "kPa");
    form.bind("fw_uy", &F::fw, &Fw::molar_kg_kmol, id++, "油蒸汽摩尔质量 μy", "kg/kmol");
    using Lw = FloatingRoofWorkingInput;
    const char* kLw = kTankSubForms[1].group;
    form.group(kLw);
    form.bind("lw_Q", &F::lw, &Lw::throughput_m3_y, id++, "油罐年周转量 Q", "m³/a");
    form.bind("lw_D", &F::lw, &Lw::diameter_m, id++, "油罐直径 D", "m");
    form.bind("lw_rho", &F::lw, &Lw::density_kg_m3, id++, "油品密度 ρ", "kg/m³");
    form.choice("lw_product", &F::lw_product, id++, "油品", {"汽油", "原油"});
    form.choice("lw_wall", &F::lw_wall, id++, "罐壁状况", {"轻锈", "重锈", "喷涂内衬"});
    // The adhesion follows product and wall; the compute shows the one it used.
    core::FieldDesc adhesion =
        core::resultField("lw_C", 1010, "油罐壁的粘附系数C", "m³/1000m²", kLw);
    adhesion.default_value = static_cast<double>(Lw{}.adhesion);
    form.extra(adhesion);
    form.bind("lw_support", &F::lw, &Lw::fixed_supports, 1011, "内浮顶罐的固定顶用固定支柱支撑");
    form.bind("lw_Nc", &F::lw, &Lw::columns, id++, "支柱个数 Nc", "个");
    form.bind("lw_Fc", &F::lw, &Lw::column_diameter_m, id++, "支柱有效直径Fc", "m");
    using Fb = FixedRoofBreathingInput;
    form.group(kTankSubForms[2].group);
    form.bind("fb_D", &F::fb, &Fb::diameter_m, id++, "油罐直径 D", "m");
    form.bind("fb_H", &F::fb, &Fb::vapour_space_m, id++, "油罐内气体空间高度 H", "m");
    form.bind("fb_Fp", &F::fb, &Fb::paint_fp, id++, "涂料系数 Fp");
    form.bind("fb_K3", &F::fb, &Fb::product_k3, id++, "油品系数 K3 (汽油K3=1,原油K3=0.58)")
        .sym("K3");
    form.bind("fb_P", &F::fb, &Fb::p_kpa, id++, "油罐内油品本体温度下蒸汽压 P", "kPa");
    form.bind("fb_Pa", &F::fb, &Fb::pa_kpa, id++, "当地大气压 Pa", "kPa");
    form.bind("fb_dT", &F::fb, &Fb::daily_range_c, id++, "大气温度的平均日温差 △T", "℃");
    using Fs = FloatingRoofStandingInput;
    form.group(kTankSubForms[3].group);
    form.bind("fs_D", &F::fs, &Fs::diameter_m, id++, "油罐直径 D", "m");
    form.bind("fs_Kt", &F::fs, &Fs::seal_kt, id++, "密封相关系数 Kt");
    form.bind("fs_v", &F::fs, &Fs::wind_m_s, id++, "油罐所在地平均风速 v", "m/s");
    form.bind("fs_n", &F::fs, &Fs::wind_exp_n, id++, "与密封有关的风速指数 n");
    form.bind("fs_Kc", &F::fs, &Fs::product_kc, id++, "油品系数 Kc (汽油Kc=1,原油Kc=0.4)")
        .sym("Kc");
    form.bind("fs_Ff", &F::fs, &Fs::fittings_ff, id++, "浮盘附件总损耗系数 Ff");
    form.bind("fs_Mv", &F::fs, &Fs::molar_kg_kmol, id++, "油气摩尔质量 Mv", "kg/kmol");
    form.bind("fs_Py", &F::fs, &Fs::py_kpa, id++, "油品平均温度下蒸汽压 Py", "kPa");
    form.bind("fs_Pa", &F::fs, &Fs::pa_kpa, id++, "当地大气压 Pa", "kPa");
    using Is = InternalFloatingRoofStandingInput;
    form.group(kTankSubForms[4].group);
    form.bind("is_D", &F::is, &Is::diameter_m, id++, "油罐直径 D", "m");
    form.bind("is_Fd", &F::is, &Is::seam_fd, id++, "长度系数,顶板接缝长度与顶板面积比值 Fd");
    form.bind("is_Kd", &F::is, &Is::seam_kd, id++, "损耗系数Kd,焊接顶板Kd=0;非焊接顶板Kd=3.66")
        .sym("Kd");
    form.bind("is_Kc", &F::is, &Is::rim_kc, id++, "边圈密封损耗系数 Kc");
    form.bind("is_Mv", &F::is, &Is::molar_kg_kmol, id++, "油气摩尔质量 Mv", "kg/kmol");
    form.bind("is_Py", &F::is, &Is::py_kpa, id++, "油品平均温度下蒸汽压 Py", "kPa");
    form.bind("is_Pa", &F::is, &Is::pa_kpa, id++, "当地大气压 Pa", "kPa");
    form.bind("is_Fc", &F::is, &Is::column_diameter_m, id++, "支柱有效直径 Fc", "m");
    c.fields = form.fields();
    c.actions = {{"fixed_working", "计算结果", 1101},
                 {"floating_working", "计算结果", 1102},
                 {"fixed_breathing", "计算结果", 1103},
                 {"floating_standing", "计算结果", 1104},
                 {"internal_standing", "计算结果", 1105}};
    c.compute = form.compute(computeTankLoss);
    return c;
  }();
  return d;
}

}  // namespace models::air
