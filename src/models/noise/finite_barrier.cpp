#include "models/noise/finite_barrier.h"

#include <cmath>

#include "core/format.h"

namespace models::noise {

std::string finiteBarrierPrompt(double infinite_db) {
  return core::cformat("无限长屏障衰减量为%.2fdB，根据上图，请输入有限长屏障衰减量[dB]",
                       infinite_db);
}

double finiteBarrierCurve_dB(double ratio, double infinite_db) {
  const double p = ratio;
  return -10.0 * std::log10((1 - p) + p * std::pow(10.0, -infinite_db / 10.0));
}

const core::CalculatorDesc& finiteBarrierDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "finitebarrier";
    c.method = "HJ 2.4-2009《环境影响评价技术导则 声环境》附录A：有限长声屏障修正";
    c.formulas = "A = −10lg[(1 − p) + p·10^(−ΔL∞/10)],  p = β / θ";
    c.title = "无限长屏障修正";
    c.category = "噪声预测工具";
    c.class_name = "CFiniteBarrierCorrectionDlg";
    using In = FiniteBarrierInput;
    core::Form<In> form;
    form.bind("Ainf", &In::infinite_db, 1001, "无限长屏障衰减量", "dB");
    form.bind("Afin", &In::finite_db, 1002, "有限长屏障衰减量", "dB");
    c.fields = form.fields();
    c.actions = {{"ok", "确定", 1}};
    // "确定" hands the entered value back; the prompt goes into the text.
    c.compute = form.compute([](const In& in, const std::string&) {
      core::Outcome o;
      o.updated_inputs.setNum("Afin", in.finite_db);
      o.text =
          finiteBarrierPrompt(in.infinite_db) + "\r\n" +
          core::cformat("有限长声屏障衰减量Abar=%.2f[dB]\r\n", static_cast<double>(in.finite_db));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
