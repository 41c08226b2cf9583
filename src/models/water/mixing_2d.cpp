#include "models/water/mixing_2d.h"

#include <cmath>

namespace models::water {

namespace {
constexpr double kPi = 3.14159;  // value the method tabulates with
constexpr double kSecondsPerDay = 86400;

constexpr const char* kMsgAyLow = "a+y必须大于等于0，请重新输入！";
constexpr const char* kMsgAyHigh = "a+y必须小于等于B，请重新输入！";
constexpr const char* kMsgA = "a必须小于等于B且大于等于0，请重新输入！";
constexpr const char* kMsgSpan = "y最远间距必须小于等于B，请重新输入！";
constexpr const char* kMsgYHigh = "y必须小于等于B，请重新输入！";
}  // namespace

// With D = 4 My x, outfall away from the bank (a != 0):
//   C = Ch + Qp Cp / (2 H sqrt(pi My x u)) [exp(-u y^2/D) + exp(-u (2a + y)^2/D)
//                                           + exp(-u (2B - 2a - y)^2/D)]
// outfall at the bank (a = 0):
//   C = Ch + Qp Cp / (H sqrt(pi My x u)) [exp(-u y^2/D) + exp(-u (2B - y)^2/D)]
// with decay the whole result is multiplied by exp(-K1 x / (86400 u)).
double mixing2DConcentration(const Mixing2DInput& in, double x, double y) {
  const double u = in.u_m_s, h = in.depth_m, b = in.width_m, a = in.a_m, my = in.my_m2_s;
  const double d = 4 * my * x;
  const double load = static_cast<double>(in.qp_m3_s) * in.cp_mg_l;
  const double root = std::sqrt(kPi * my * x * u);
  double c;
  if (in.a_m != 0) {
    c = in.ch_mg_l + load / (2 * h * root) *
                         (std::exp(-u * y * y / d) + std::exp(-u * (2 * a + y) * (2 * a + y) / d) +
                          std::exp(-u * (2 * b - 2 * a - y) * (2 * b - 2 * a - y) / d));
  } else {
    c = in.ch_mg_l + load / (h * root) *
                         (std::exp(-u * y * y / d) + std::exp(-u * (2 * b - y) * (2 * b - y) / d));
  }
  if (in.mode == 1) c *= std::exp(-static_cast<double>(in.k1_per_d) * x / (kSecondsPerDay * u));
  return c;
}

core::Check checkMixing2DPoint(const Mixing2DInput& in) {
  if (auto f = checkMixingRiver(in.depth_m, in.u_m_s, in.my_m2_s)) return f;
  const double ay = static_cast<double>(in.a_m) + in.y_m;
  if (!(ay >= 0)) return core::fail(kMsgAyLow);
  if (!(ay <= in.width_m)) return core::fail(kMsgAyHigh);
  if (!(in.a_m <= in.width_m && in.a_m >= 0)) return core::fail(kMsgA);
  return checkMixingPointX(in.x_m);
}

core::Check checkMixing2DGrid(const Mixing2DInput& in) {
  const MixingGrid& g = in.grid;
  const double b = in.width_m;
  if (auto f = checkMixingRiver(in.depth_m, in.u_m_s, in.my_m2_s)) return f;
  if (!(in.a_m <= in.width_m && in.a_m >= 0)) return core::fail(kMsgA);
  if (!(static_cast<double>(g.yhigh_m) - g.ylow_m <= b)) return core::fail(kMsgSpan);
  const double aylow = static_cast<double>(in.a_m) + g.ylow_m;
  if (!(aylow >= 0)) return core::fail(kMsgAyLow);
  if (!(aylow <= b)) return core::fail(kMsgAyHigh);
  if (!(g.yhigh_m <= in.width_m)) return core::fail(kMsgYHigh);
  return checkMixingGridSteps(g);
}

float computeMixing2DPoint(const Mixing2DInput& in) {
  return static_cast<float>(mixing2DConcentration(in, in.x_m, in.y_m));
}

const char* mixing2DGridCaption(int mode) {
  return mode == 1 ? "二维稳态混合衰减模式网格计算结果" : "二维稳态混合模式网格计算结果";
}

const char* mixing2DExportTitle(int mode) {
  return mode == 1 ? "水预测－二维稳态混合衰减模式计算结果" : "水预测－二维稳态混合模式计算结果";
}

const core::CalculatorDesc& mixing2DDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "mixing2d";
    c.method = "HJ/T 2.3-93《环境影响评价技术导则 地面水环境》：二维稳态混合模式";
    c.formulas =
        "岸边排放（a = 0）：C = Ch + Cp·Qp / (H·√(π·My·x·u))·[exp(−u·y²/(4My·x)) + exp(−u·(2B − "
        "y)²/(4My·x))]\n"
        "非岸边排放：C = Ch + Cp·Qp / (2H·√(π·My·x·u))·[exp(−u·y²/(4My·x)) + exp(−u·(2a + "
        "y)²/(4My·x)) + exp(−u·(2B − 2a − y)²/(4My·x))]\n"
        "考虑降解时乘以 exp(−K1·x / (86400·u))";
    c.title = "二维稳态混合模式";
    c.category = "水预测工具";
    c.command = 32809;
    c.page = 23;
    c.template_id = 206;
    c.class_name = "CMixing2DDlg";
    core::Form<Mixing2DInput> form;
    form.radio("mode", &Mixing2DInput::mode, 1093, "",
               {"二维稳态混合模式", "二维稳态混合衰减模式"});
    form.bind("Ch", &Mixing2DInput::ch_mg_l, 1285, "河流上游污染物浓度Ch [mg/L]", "mg/L")
        .nonNegative();
    form.bind("H", &Mixing2DInput::depth_m, 1083, "平均水深H [m]", "m");
    form.bind("u", &Mixing2DInput::u_m_s, 1114, "河流断面平均流速u [m/s]", "m/s");
    form.bind("B", &Mixing2DInput::width_m, 1294, "河流宽度B [m]", "m");
    form.bind("Cp", &Mixing2DInput::cp_mg_l, 1204, "污染物排放浓度Cp [mg/L]", "mg/L").nonNegative();
    form.bind("My", &Mixing2DInput::my_m2_s, 1295, "横向混合系数My [m²/s]", "m²/s");
    form.bind("Qp", &Mixing2DInput::qp_m3_s, 1284, "废水排放量Qp [m³/s]", "m³/s").nonNegative();
    form.bind("a", &Mixing2DInput::a_m, 1080, "排放口离岸边距离a [m]", "m");
    form.bind("K1", &Mixing2DInput::k1_per_d, 1289, "降解系数K1 [1/d]", "1/d");
    bindMixingPointAndGrid(form);
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1296}, {"grid", "显示计算结果", 1297}};
    c.compute = form.compute([](Mixing2DInput in, const std::string& action) {
      if (action == "grid") {
        in.grid = orderedLateral(in.grid);
        if (auto f = checkMixing2DGrid(in)) return core::failed(*f);
        return mixingGridOutcome(in.grid, mixing2DExportTitle(in.mode), [&in](double x, double y) {
          return mixing2DConcentration(in, x, y);
        });
      }
      if (auto f = checkMixing2DPoint(in)) return core::failed(*f);
      core::Outcome o;
      o.results.setNum("C", computeMixing2DPoint(in));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::water
