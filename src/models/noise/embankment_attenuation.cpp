#include "models/noise/embankment_attenuation.h"

#include <cmath>

namespace models::noise {

namespace {
constexpr double kPi = 3.14159;  // value the method tabulates with
}  // namespace

core::Check checkEmbankment(const EmbankmentInput& in) {
  const double d1 = in.d1_m, h = in.h_m, h1 = in.h1_m, r = in.r_m;
  // The slope foot lies at d1 + h / tan(a) from the source.
  if (!(d1 + h / std::tan(in.slope_deg * kPi / 180) <= r))
    return core::fail(kMsgEmbankmentSlopeFoot, "r");
  // Sight line from S (height h + h1 at x = 0) over the shoulder (height h at x = d1).
  if (!(h + h1 - h1 * r / d1 > in.h2_m)) return core::fail(kMsgEmbankmentIlluminated);
  return std::nullopt;
}

double embankmentPathDifference(const EmbankmentInput& in) {
  const double d1 = in.d1_m, h = in.h_m, h1 = in.h1_m, h2 = in.h2_m, r = in.r_m;
  return std::sqrt(h1 * h1 + d1 * d1) + std::sqrt((h - h2) * (h - h2) + (r - d1) * (r - d1)) -
         std::sqrt((h + h1 - h2) * (h + h1 - h2) + r * r);
}

const std::vector<std::pair<double, double>>& embankmentCurvePoints() {
  // (delta m, Abar dB) read off the guideline's curve for 500 Hz.
  static const std::vector<std::pair<double, double>> k = {
      {0.01, 4.0}, {0.02, 4.8}, {0.05, 6.0}, {0.1, 7.2}, {0.2, 8.6}, {0.5, 10.6}, {1, 12.2},
      {2, 13.8},   {5, 15.9},   {10, 17.4},  {20, 18.8}, {50, 20.0}, {100, 20.0}};
  return k;
}

double embankmentCurve_dB(double delta) {
  const auto& k = embankmentCurvePoints();
  if (!(delta > k.front().first)) return k.front().second;
  if (delta >= k.back().first) return k.back().second;
  for (size_t i = 1; i < k.size(); ++i) {
    if (delta > k[i].first) continue;
    const double x0 = std::log10(k[i - 1].first), x1 = std::log10(k[i].first);
    const double w = (std::log10(delta) - x0) / (x1 - x0);
    return k[i - 1].second + w * (k[i].second - k[i - 1].second);
  }
  return k.back().second;
}

const core::CalculatorDesc& embankmentDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "embankment";
    c.method = "HJ 2.4-2009《环境影响评价技术导则 声环境》附录A：高路堤或低路堑的声影区衰减";
    c.formulas =
        "δ = a + b − c = √(h1² + d1²) + √((h − h2)² + (r − d1)²) − √((h + h1 − h2)² + r²)\n"
        "Abar 按 δ 查 Abar–δ 曲线（f = 500 Hz）";
    c.title = "高路堤或低路堑衰减量计算";
    c.category = "噪声预测工具";
    c.class_name = "CEmbankmentAttenuationDlg";
    using In = EmbankmentInput;
    core::Form<In> form("参数输入");
    form.bind("h1", &In::h1_m, 1001, "声源高度h1[m]", "m");
    form.bind("h2", &In::h2_m, 1002, "测点高度h2[m]", "m");
    form.bind("h", &In::h_m, 1003, "路基高度h[m]", "m");
    form.bind("d1", &In::d1_m, 1004, "声源距路边d1[m]", "m");
    form.bind("a", &In::slope_deg, 1005, "斜坡角度a[°]", "°");
    form.bind("r", &In::r_m, 1006, "预测点离声源水平距离r[m]", "m");
    core::Outputs<EmbankmentResult> outs("计算结果");
    outs.bind("delta", &EmbankmentResult::delta_m, 1007, "声程差δ[m]", "m", core::FieldType::Float);
    // The attenuation read from the curve is an input the dialog hands back on "确定".
    form.group("计算结果").bind("Abar", &In::abar_db, 1008, "查下表可知衰减量Abar", "dB");
    // delta sits above the attenuation read for it.
    c.fields = form.fields();
    c.fields.insert(c.fields.end() - 1, outs.fields().front());
    c.actions = {{"compute", "计算声程差", 1009}, {"ok", "确定", 1}};
    c.compute = form.compute([outs](const In& in, const std::string& action) {
      core::Outcome o;
      if (action == "ok") {
        o.updated_inputs.setNum("Abar", in.abar_db);
        return o;
      }
      EmbankmentResult r;
      if (auto f = checkEmbankment(in)) {
        if (f->message != kMsgEmbankmentIlluminated) return core::failed(*f);
        // A point the sight line reaches over the shoulder is not shaded: no path difference
        // and no attenuation, which is a result, not a refusal.
        r.delta_m = 0;
        outs.write(r, o.results);
        o.updated_inputs.setNum("Abar", 0);
        o.text = kMsgEmbankmentIlluminated;
        return o;
      }
      r.delta_m = embankmentPathDifference(in);
      r.abar_db = in.abar_db;
      outs.write(r, o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
