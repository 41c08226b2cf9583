#include "models/water/cumulative_flow.h"

#include <cmath>

namespace models::water {

namespace {
constexpr double kPi = 3.14159;  // value the method tabulates with
constexpr double kSecondsPerDay = 86400;

constexpr const char* kMsgAyLow = "a+y必须大于等于0，请重新输入！";
constexpr const char* kMsgA = "a必须大于等于0，请重新输入！";
}  // namespace

// q = u H y, qa = u H a, M = My u H^2, D = 4 M x; outfall away from the bank (a != 0):
//   C = Ch + Qp Cp / (2 sqrt(pi M x)) [exp(-q^2/D) + exp(-(2qa + q)^2/D)
//                                      + exp(-(2Qh - 2qa - q)^2/D)]
// outfall at the bank (a = 0):
//   C = Ch + Qp Cp / sqrt(pi M x) [exp(-q^2/D) + exp(-(2Qh - q)^2/D)]
// with decay the whole result is multiplied by exp(-K1 x / (86400 u)).
double cumulativeFlowConcentration(const CumulativeFlowInput& in, double x, double y) {
  const double u = in.u_m_s, h = in.depth_m, qh = in.qh_m3_s;
  const double q = u * h * y;
  const double qa = u * h * in.a_m;
  const double m = in.my_m2_s * u * h * h;
  const double d = 4 * m * x;
  const double load = static_cast<double>(in.qp_m3_s) * in.cp_mg_l;
  const double root = std::sqrt(kPi * m * x);
  double c;
  if (in.a_m != 0) {
    c = in.ch_mg_l + load / (2 * root) *
                         (std::exp(-q * q / d) + std::exp(-(2 * qa + q) * (2 * qa + q) / d) +
                          std::exp(-(2 * qh - 2 * qa - q) * (2 * qh - 2 * qa - q) / d));
  } else {
    c = in.ch_mg_l +
        load / root * (std::exp(-q * q / d) + std::exp(-(2 * qh - q) * (2 * qh - q) / d));
  }
  if (in.mode == 1) c *= std::exp(-static_cast<double>(in.k1_per_d) * x / (kSecondsPerDay * u));
  return c;
}

// The cumulative flow has no upper bound to check against: only the bank side is checked.
core::Check checkCumulativeFlowPoint(const CumulativeFlowInput& in) {
  if (auto f = checkMixingRiver(in.depth_m, in.u_m_s, in.my_m2_s)) return f;
  if (!(static_cast<double>(in.a_m) + in.y_m >= 0)) return core::fail(kMsgAyLow);
  if (!(in.a_m >= 0)) return core::fail(kMsgA);
  return checkMixingPointX(in.x_m);
}

core::Check checkCumulativeFlowGrid(const CumulativeFlowInput& in) {
  if (auto f = checkMixingRiver(in.depth_m, in.u_m_s, in.my_m2_s)) return f;
  if (!(in.a_m >= 0)) return core::fail(kMsgA);
  if (!(static_cast<double>(in.a_m) + in.grid.ylow_m >= 0)) return core::fail(kMsgAyLow);
  return checkMixingGridSteps(in.grid);
}

float computeCumulativeFlowPoint(const CumulativeFlowInput& in) {
  return static_cast<float>(cumulativeFlowConcentration(in, in.x_m, in.y_m));
}

const char* cumulativeFlowGridCaption(int mode) {
  return mode == 1 ? "稳态混合衰减累积流量模式网格计算结果" : "稳态混合累积流量模式网格计算结果";
}

const char* cumulativeFlowExportTitle(int mode) {
  return mode == 1 ? "水预测－稳态混合衰减累积流量模式计算结果"
                   : "水预测－稳态混合累积流量模式计算结果";
}

const core::CalculatorDesc& cumulativeFlowDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "cumflow";
    c.method = "HJ/T 2.3-93《环境影响评价技术导则 地面水环境》：稳态混合累积流量模式";
    c.formulas =
        "q = u·H·y,  qa = u·H·a,  M = My·u·H²\n"
        "岸边排放：C = Ch + Cp·Qp / √(π·M·x)·[exp(−q²/(4M·x)) + exp(−(2Qh − q)²/(4M·x))]\n"
        "非岸边排放：C = Ch + Cp·Qp / (2√(π·M·x))·[exp(−q²/(4M·x)) + exp(−(2qa + q)²/(4M·x)) + "
        "exp(−(2Qh − 2qa − q)²/(4M·x))]\n"
        "考虑降解时乘以 exp(−K1·x / (86400·u))";
    c.title = "稳态混合累积流量模式";
    c.category = "水预测工具";
    c.command = 32811;
    c.page = 25;
    c.template_id = 210;
    c.class_name = "CCumulativeFlowDlg";
    core::Form<CumulativeFlowInput> form;
    form.radio("mode", &CumulativeFlowInput::mode, 1093, "",
               {"稳态混合累积流量模式", "稳态混合衰减累积流量模式"});
    form.bind("Ch", &CumulativeFlowInput::ch_mg_l, 1285, "河流上游污染物浓度Ch [mg/L]", "mg/L")
        .nonNegative();
    form.bind("Qh", &CumulativeFlowInput::qh_m3_s, 1283, "河水流量Qh [m³/s]", "m³/s").nonNegative();
    form.bind("H", &CumulativeFlowInput::depth_m, 1083, "平均水深H [m]", "m");
    form.bind("u", &CumulativeFlowInput::u_m_s, 1114, "河水流速u [m/s]", "m/s");
    form.bind("Cp", &CumulativeFlowInput::cp_mg_l, 1204, "污染物排放浓度Cp [mg/L]", "mg/L")
        .nonNegative();
    form.bind("My", &CumulativeFlowInput::my_m2_s, 1295, "横向混合系数My [m²/s]", "m²/s");
    form.bind("Qp", &CumulativeFlowInput::qp_m3_s, 1284, "废水排放量Qp [m³/s]", "m³/s")
        .nonNegative();
    form.bind("a", &CumulativeFlowInput::a_m, 1080, "排放口离岸边距离a [m]", "m");
    form.bind("K1", &CumulativeFlowInput::k1_per_d, 1289, "降解系数K1 [1/d]", "1/d");
    bindMixingPointAndGrid(form);
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1100}, {"grid", "显示计算结果", 1300}};
    c.compute = form.compute([](CumulativeFlowInput in, const std::string& action) {
      if (action == "grid") {
        in.grid = orderedLateral(in.grid);
        if (auto f = checkCumulativeFlowGrid(in)) return core::failed(*f);
        return mixingGridOutcome(
            in.grid, cumulativeFlowExportTitle(in.mode),
            [&in](double x, double y) { return cumulativeFlowConcentration(in, x, y); });
      }
      if (auto f = checkCumulativeFlowPoint(in)) return core::failed(*f);
      core::Outcome o;
      o.results.setNum("C", computeCumulativeFlowPoint(in));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::water
