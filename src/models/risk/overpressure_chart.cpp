#include "models/risk/overpressure_chart.h"

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

double chartOverpressure_Pa(double r) {
  const double mpa = 0.084 / r + 0.27 / (r * r) + 0.7 / (r * r * r);
  return mpa * 1e6;
}

double chartScaledOverpressure(double r) { return chartOverpressure_Pa(r) / kOverpressureUnit_Pa; }

core::Check checkOverpressureChart(const OverpressureChartInput& in) {
  return requirePositive(in.rs, "Rs", "无因次距离");
}

OverpressureChartResult readOverpressureChart(const OverpressureChartInput& in) {
  return {core::storeFloat(chartScaledOverpressure(in.rs)),
          core::storeFloat(chartOverpressure_Pa(in.rs))};
}

const core::CalculatorDesc& overpressureChartDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "overpressure_chart";
    c.method = "萨多夫斯基空气冲击波超压经验公式";
    c.formulas = "ΔP = 0.084/R + 0.27/R² + 0.7/R³  [MPa],  R = x / WTNT^(1/3)";
    c.title = "无因次距离查超压表";
    c.category = kCategory;
    c.class_name = "COverpressureChartDlg";
    using In = OverpressureChartInput;
    core::Form<In> form;
    form.bind("Rs", &In::rs, 1001, "无因次距离", "");
    core::Outputs<OverpressureChartResult> outs;
    outs.bind("dPs", &OverpressureChartResult::dps, 1002, "无因次超压", "×9806.65 Pa");
    outs.bind("dP", &OverpressureChartResult::dp_pa, 1003, "超压", "Pa");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"read", "确定", 1004}};
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkOverpressureChart(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(readOverpressureChart(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
