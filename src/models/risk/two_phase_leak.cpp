#include "models/risk/two_phase_leak.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

namespace {
constexpr double kDischarge = 0.8;            // Cd of a two-phase outflow
constexpr double kAboveCriticalShare = 0.45;  // P - Pc with Pc = 0.55 P
}  // namespace

core::Check checkTwoPhaseLeak(const TwoPhaseLeakInput& in) {
  if (auto f = requireNotNegative(in.a_m2, "A", "裂口面积 A")) return f;
  if (auto f = requirePositive(in.rho1_kg_m3, "rho1", "液体蒸发的蒸气密度 ρ1")) return f;
  if (auto f = requirePositive(in.rho2_kg_m3, "rho2", "液体密度 ρ2")) return f;
  if (auto f = requirePositive(in.h_j_kg, "H", "液体气化热 H")) return f;
  if (auto f = requirePositive(in.tc_k, "Tc", "液体在临界压力下的沸点 Tc")) return f;
  if (auto f = requireNotNegative(in.p_pa, "P", "操作压力或容器压力 P")) return f;
  if (!(in.tlg_k >= in.tc_k))
    return core::fail("两相混合物温度 TLG必须大于等于液体在临界压力下的沸点 Tc，请重新输入！",
                      "TLG");
  if (auto f = requireNotNegative(in.cp_j_kg_k, "Cp", "两相混合物定压比热 Cp")) return f;
  return std::nullopt;
}

TwoPhaseLeakResult computeTwoPhaseLeak(const TwoPhaseLeakInput& in) {
  TwoPhaseLeakResult r;
  r.fv = static_cast<double>(in.cp_j_kg_k) * (static_cast<double>(in.tlg_k) - in.tc_k) / in.h_j_kg;
  r.text = r.fv > 1 ? core::cformat(
                          "蒸发的液体占液体总量的比例Fv：%f\r\n液体将全部蒸发成气体，"
                          "这时应按气体泄漏计算。 ",
                          r.fv)
                    : core::cformat("蒸发的液体占液体总量的比例Fv：%f ", r.fv);
  r.rho_m = 1 / ((1 - r.fv) / in.rho2_kg_m3 + r.fv / in.rho1_kg_m3);
  r.qlg_kg_s = kDischarge * in.a_m2 * std::sqrt(2 * r.rho_m * kAboveCriticalShare * in.p_pa);
  return r;
}

const core::CalculatorDesc& twoPhaseLeakDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "two_phase_leak";
    c.method = "HJ/T 169-2004《建设项目环境风险评价技术导则》附录A.1：两相流泄漏";
    c.formulas =
        "Fv = Cp·(TLG − Tc) / H\n"
        "ρm = 1 / ((1 − Fv)/ρ2 + Fv/ρ1)\n"
        "QLG = Cd·A·√(2ρm·(P − Pc)),  Cd = 0.8,  Pc = 0.55P";
    c.title = "两相泄漏速率计算";
    c.category = kCategory;
    c.command = 32798;
    c.page = 14;
    c.template_id = 166;
    c.class_name = "CTwoPhaseLeakDlg";
    using In = TwoPhaseLeakInput;
    core::Form<In> form("两相泄漏速率");
    form.bind("A", &In::a_m2, 1001, "裂口面积 A", "m²");
    form.bind("rho1", &In::rho1_kg_m3, 1002, "液体蒸发的蒸气密度 ρ1", "kg/m³");
    form.bind("rho2", &In::rho2_kg_m3, 1003, "液体密度 ρ2", "kg/m³");
    form.bind("H", &In::h_j_kg, 1004, "液体气化热 H", "J/kg");
    form.bind("Tc", &In::tc_k, 1005, "液体在临界压力下的沸点 Tc", "K");
    form.bind("P", &In::p_pa, 1006, "操作压力或容器压力 P", "Pa");
    form.bind("TLG", &In::tlg_k, 1007, "两相混合物温度 TLG", "K");
    form.bind("Cp", &In::cp_j_kg_k, 1008, "两相混合物定压比热 Cp", "J/(kg·K)");
    core::Outputs<TwoPhaseLeakResult> outs("两相泄漏速率");
    outs.bind("QLG", &TwoPhaseLeakResult::qlg_kg_s, 1009, "两相泄漏速度 QLG", "kg/s").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1010}};
    c.result_text_id = 1237;
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkTwoPhaseLeak(in)) return core::failed(*f);
      core::Outcome o;
      const TwoPhaseLeakResult r = computeTwoPhaseLeak(in);
      outs.write(r, o.results);
      o.text = r.text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
