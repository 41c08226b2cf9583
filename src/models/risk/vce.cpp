#include "models/risk/vce.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

core::Check checkVce(const VceInput& in, const std::string& action) {
  if (auto f = requirePositive(in.w_kg, "W", "泄露燃料质量W")) return f;
  if (auto f = requirePositive(in.hf_j_kg, "Hf", "燃料燃烧热Hf")) return f;
  // Only a liquid held above its boiling point flashes into a cloud.
  if (!(in.t1_c > in.t2_c))
    return core::fail("容器内温度T1必须高于燃料沸点温度T2，请重新输入！", "T1");
  if (auto f = requirePositive(in.l_j_kg, "L", "燃料汽化热L")) return f;
  if (auto f = requirePositive(in.cp_j_kg_k, "Cp", "燃料平均比热Cp")) return f;
  if (action == kVceLookupAction || in.method != VceMethod::Direct) {
    if (auto f = requirePositive(in.htnt_j_kg, "HTNT", "TNT的爆热HTNT")) return f;
    if (auto f = requireFraction(in.ae, "ae", "TNT当量系数ae")) return f;
  } else {
    if (auto f = requireFraction(in.eta, "eta", "爆炸效率因子")) return f;
    if (auto f = requirePositive(in.a, "a", "蒸汽云当量系数a")) return f;
    if (auto f = requirePositive(in.pa_pa, "Pa", "环境压力Pa")) return f;
  }
  if (auto f = requirePositive(in.x_m, "x", "预测点离爆炸点距离x")) return f;
  if (action == kVceLookupAction)
    if (auto f = requireNotNegative(in.dp_pa, "dP", "查图知 超压")) return f;
  return std::nullopt;
}

double cloudMass(const VceInput& in) {
  const double f = 1 - std::exp(-static_cast<double>(in.cp_j_kg_k) *
                                (static_cast<double>(in.t1_c) - in.t2_c) / in.l_j_kg);
  return 2 * f * in.w_kg;
}

VceTntResult computeVceTnt(const VceInput& in) {
  VceTntResult r;
  r.wtnt_kg = static_cast<double>(in.ae) * cloudMass(in) * in.hf_j_kg / in.htnt_j_kg;
  r.rs = in.x_m / std::cbrt(r.wtnt_kg);
  r.text = core::cformat("TNT当量为 %g[kg],无因次距离为 %g\r\n", r.wtnt_kg, r.rs);
  return r;
}

double blastDeathProbability(double dp_pa) {
  const double p = 0.1 * (2.47 + 1.43 * std::log10(dp_pa));
  if (p < 0) return 0;
  if (p > 1) return 1;
  return p;
}

std::optional<std::string> vceLookupText(double wtnt_kg, double rs, double dp_pa) {
  if (dp_pa == 0) return std::nullopt;
  return core::cformat(
      "TNT当量为 %g[kg],无因次距离为 %g\r\n查图知：爆炸冲击波超压为 %g[Pa]\r\n则死亡概率为 %g",
      wtnt_kg, rs, dp_pa, blastDeathProbability(dp_pa));
}

VceDirectResult computeVceDirect(const VceInput& in) {
  VceDirectResult r;
  const double pa = in.pa_pa;
  r.e_j = 1.8 * in.a * in.eta * static_cast<double>(in.hf_j_kg) * cloudMass(in);
  r.r_bar = in.x_m / std::cbrt(r.e_j / pa);
  const double l = std::log(r.r_bar);
  r.dp_pa = pa * std::exp(-0.9126 - 1.5058 * l + 0.1675 * l * l - 0.032 * l * l * l);
  r.p = blastDeathProbability(r.dp_pa);
  r.text = core::cformat("爆炸冲击波超压为 %g[Pa]\r\n死亡概率为 %g", r.dp_pa, r.p);
  return r;
}

namespace {

core::Outcome runVce(const VceInput& in, const std::string& action) {
  if (auto f = checkVce(in, action)) return core::failed(*f);
  core::Outcome o;
  if (action != kVceLookupAction && in.method == VceMethod::Direct) {
    o.text = computeVceDirect(in).text;
    return o;
  }
  const VceTntResult tnt = computeVceTnt(in);
  // The page keeps the TNT equivalent and the scaled distance for the chart lookup.
  o.results.setNum("WTNT", tnt.wtnt_kg);
  o.results.setNum("Rs", tnt.rs);
  o.text = tnt.text;
  if (action == kVceLookupAction)
    if (auto t = vceLookupText(tnt.wtnt_kg, tnt.rs, in.dp_pa)) o.text = *t;
  return o;
}

}  // namespace

const core::CalculatorDesc& vceDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "vce";
    c.method = "蒸气云爆炸：TNT 当量法与直接法";
    c.formulas =
        "F = 1 − exp(−Cp·(T1 − T2) / L),  Wf = 2F·W\n"
        "TNT 当量法：WTNT = ae·Wf·Hf / HTNT,  R' = x / WTNT^(1/3)，超压查图\n"
        "直接法：E = 1.8a·η·Hf·Wf,  R = x / (E/Pa)^(1/3)\n"
        "ΔP = Pa·exp(−0.9126 − 1.5058lnR + 0.1675(lnR)² − 0.032(lnR)³)\n"
        "死亡概率 P = (2.47 + 1.43lg ΔP) / 10（限于 0～1）";
    c.title = "蒸气云爆炸事故后果模型";
    c.category = kCategory;
    c.command = 32816;
    c.page = 28;
    c.template_id = 216;
    c.class_name = "CVceDlg";
    using In = VceInput;
    core::Form<In> form("蒸气云爆炸事故后果模型       参数输入");
    form.radio("method", &In::method, 1001, "计算方法", {"TNT当量法", "直接计算法"});
    form.bind("W", &In::w_kg, 1002, "泄露燃料质量W", "kg");
    form.bind("Hf", &In::hf_j_kg, 1003, "燃料燃烧热Hf", "J/kg");
    form.bind("T1", &In::t1_c, 1004, "容器内温度T1", "℃");
    form.bind("T2", &In::t2_c, 1005, "燃料沸点温度T2", "℃");
    form.bind("HTNT", &In::htnt_j_kg, 1006, "TNT的爆热HTNT", "J/kg");
    form.bind("L", &In::l_j_kg, 1007, "燃料汽化热L", "J/kg");
    form.bind("ae", &In::ae, 1008, "TNT当量系数ae");
    form.bind("Cp", &In::cp_j_kg_k, 1009, "燃料平均比热Cp", "J/(kg·K)");
    form.bind("eta", &In::eta, 1010, "爆炸效率因子");
    form.bind("a", &In::a, 1011, "蒸汽云当量系数a");
    form.bind("Pa", &In::pa_pa, 1012, "环境压力Pa", "Pa");
    form.group(kGroupPrediction).bind("x", &In::x_m, 1013, "预测点离爆炸点距离x", "m");
    // Typed in the chart dialog on the page; given on the command line with --action lookup.
    form.bind("dP", &In::dp_pa, 1014, "查图知 超压", "Pa");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1015}, {kVceLookupAction, "根据无因次距离查超压", 1016}};
    c.result_text_id = 1237;
    c.compute = form.compute(runVce);
    return c;
  }();
  return d;
}

}  // namespace models::risk
