#include "models/air/sanitary_distance.h"

#include <cmath>

#include "core/binding.h"
#include "models/air/pollutants.h"

namespace models::air {

namespace {
// 0.25 r^2 with r^2 = S / pi, taken as S / (4 pi) in full double precision.
constexpr double kQuarterOverPi = 0.07957753876221914;
constexpr double kBracketTolerance = 1e-10;
constexpr const char* kMsgNoRoot =
    "在0～20000米范围内求不出卫生防护距离，无组织排放量与标准浓度的比值超出适用范围，请检查输入！";

// One row of the coefficient table: A for categories I, II, III, then B, C, D.
struct Row {
  double a[3], b, c, d;
};

// Rows by distance class (L <= 1000, 1000 < L <= 2000, L > 2000), then wind class
// (U < 2, 2 <= U <= 4, U > 4).
constexpr Row kTable[3][3] = {
    {{{400, 400, 400}, 0.01, 1.85, 0.78},
     {{700, 470, 350}, 0.021, 1.85, 0.84},
     {{530, 350, 260}, 0.021, 1.85, 0.84}},
    {{{400, 400, 400}, 0.015, 1.79, 0.78},
     {{700, 470, 350}, 0.036, 1.77, 0.84},
     {{530, 350, 260}, 0.036, 1.77, 0.84}},
    {{{80, 80, 80}, 0.015, 1.79, 0.57},
     {{380, 250, 190}, 0.036, 1.77, 0.76},
     {{290, 190, 140}, 0.036, 1.77, 0.76}},
};

int distanceClass(double l) { return l <= 1000 ? 0 : l <= 2000 ? 1 : 2; }
int windClass(double u) { return u < 2 ? 0 : u <= 4 ? 1 : 2; }

// g(L) = Qc / Cm - term(L): zero at the protection distance.
std::function<double(double)> residual(const SanitaryInput& in, const SanitaryCoefficients& k) {
  const double ratio = in.emission_kg_h / in.standard_mg_m3;
  const double s = in.area_m2;
  return [ratio, s, k](double l) { return ratio - sanitaryTerm(k, l, s); };
}

bool bracketsRoot(const std::function<double(double)>& g) {
  const double g0 = g(0), g1 = g(kMaxSearchDistance_m);
  return g0 == 0 || g1 == 0 || g0 * g1 < 0;
}

}  // namespace

SourceCategory sourceCategory(const SanitaryInput& in) {
  if (in.stack == StackPresence::Present)
    return in.share == StackShare::AboveThird ? SourceCategory::I : SourceCategory::II;
  return in.basis == PermittedBasis::Acute ? SourceCategory::II : SourceCategory::III;
}

SanitaryCoefficients sanitaryCoefficients(double distance_m, double wind_m_s, SourceCategory cat) {
  const Row& r = kTable[distanceClass(distance_m)][windClass(wind_m_s)];
  return {r.a[static_cast<int>(cat)], r.b, r.c, r.d};
}

double sanitaryTerm(const SanitaryCoefficients& k, double distance_m, double area_m2) {
  const double l = distance_m;
  return std::pow(k.b * std::pow(l, k.c) + area_m2 * kQuarterOverPi, 0.5) * std::pow(l, k.d) / k.a;
}

double bisectRoot(const std::function<double(double)>& g, double a, double b) {
  if (g(a) == 0) return a;
  for (;;) {
    if (g(b) == 0) return b;
    const double mid = (a + b) / 2;
    const double gm = g(mid);
    if (gm == 0) return mid;
    if (g(a) * gm < 0)
      b = mid;
    else
      a = mid;
    if (std::fabs(a - b) <= kBracketTolerance) return mid;
    if (g(a) == 0) return a;
  }
}

int raisedDistance(double distance_m) {
  const double l = distance_m;
  if (!(l > 50)) return 50;
  if (l <= 100) return 100;
  if (l <= 1000) return static_cast<int>(std::ceil(l / 100) * 100);
  const double n = std::trunc(l);
  const double k = std::fmod(n, 1000);
  double raised;
  if (k == 0)
    raised = n;
  else {
    const double next = k <= 200 ? 200 : k <= 400 ? 400 : k <= 600 ? 600 : k <= 800 ? 800 : 1000;
    raised = std::trunc(l - k + next);
  }
  // A distance with a fraction just past a level (1000.5, 1200.5) truncates to that level,
  // which would lie inside the needed distance: go one 200 m step further.
  if (raised < l) raised += 200;
  return static_cast<int>(raised);
}

SanitaryDistanceResult computeSanitaryDistance(const SanitaryInput& in) {
  SanitaryDistanceResult r;
  const SourceCategory cat = sourceCategory(in);
  // First search with the coefficients of the nearest distance class; a result beyond it is
  // searched again once with the coefficients of the class it fell into.
  auto g = residual(in, sanitaryCoefficients(0, in.wind_m_s, cat));
  if (!bracketsRoot(g)) return r;
  double l = bisectRoot(g, 0, kMaxSearchDistance_m);
  if (l > 1000) {
    g = residual(in, sanitaryCoefficients(l, in.wind_m_s, cat));
    if (!bracketsRoot(g)) return r;
    l = bisectRoot(g, 0, kMaxSearchDistance_m);
  }
  r.found = true;
  r.distance_m = l;
  r.raised_m = raisedDistance(l);
  return r;
}

core::Check checkSanitaryEmission(const SanitaryInput& in) {
  if (!(in.area_m2 >= 0)) return core::fail("无组织排放源面积必须大于等于0，请重新输入！", "S");
  if (!(in.distance_m >= 0)) return core::fail("卫生防护距离必须大于等于0，请重新输入！", "L");
  return std::nullopt;
}

double computeAllowedEmission(const SanitaryInput& in) {
  const auto k = sanitaryCoefficients(in.distance_m, in.wind_m_s, sourceCategory(in));
  return in.standard_mg_m3 * sanitaryTerm(k, in.distance_m, in.area_m2);
}

namespace {

constexpr const char* kGroupIn = "卫生防护距离";
constexpr const char* kGroupOut = "计算结果";

}  // namespace

const core::CalculatorDesc& sanitaryDistanceDesc() {
  static const core::CalculatorDesc d = [] {
    using core::FieldType;
    core::CalculatorDesc c;
    c.id = "sanitary";
    c.method = "GB/T 3840-91《制定地方大气污染物排放标准的技术方法》：卫生防护距离";
    c.formulas =
        "Qc / Cm = (1/A)·(B·L^C + 0.25·r²)^0.5·L^D,  r² = S / π\n"
        "A、B、C、D 按卫生防护距离 L 与近五年平均风速 U 的级别查表；L 以二分法求解\n"
        "提级：L 向上取到 200 m 的整数倍";
    c.title = "卫生防护距离计算";
    c.category = "大气预测工具";
    c.command = 32788;
    c.page = 3;
    c.template_id = 131;
    c.class_name = "CSanitaryDistanceDlg";

    core::Form<SanitaryInput> form(kGroupIn);
    form.bind("S", &SanitaryInput::area_m2, 1001, "无组织排放源面积", "m²").tooltip =
        "无组织排放源所在生产单元的面积";
    form.bind("U", &SanitaryInput::wind_m_s, 1002, "近五年平均风速", "m/s");
    // The pollutant only fills Cm on the page (its hook); the model does not read it.
    core::FieldDesc pollutant;
    pollutant.key = "pollutant";
    pollutant.control_id = 1003;
    pollutant.label = "污染因子";
    pollutant.type = FieldType::Text;
    pollutant.choices = pollutantNames();
    pollutant.default_text = pollutant.choices.front();
    form.extra(pollutant);
    form.bind("Cm", &SanitaryInput::standard_mg_m3, 1004, "环境标准浓度限值", "mg/m³").tooltip =
        "选项里没有的污染因子，浓度数据可以直接在这里输入";
    form.radio("stack", &SanitaryInput::stack, 1005, "排放同种有害气体的排气筒", {"有", "无"});
    form.radio("basis", &SanitaryInput::basis, 1007, "无组织排放的有害物质容许浓度",
               {"按急性反应指标确定", "按慢性反应指标确定"});
    form.radio("share", &SanitaryInput::share, 1009, "排气筒的污染物排放量",
               {"大于允许的1/3", "小于允许的1/3"});
    form.group(kGroupOut);
    form.bind("Qc", &SanitaryInput::emission_kg_h, 1011, "无组织排放量", "kg/hr");
    form.bind("L", &SanitaryInput::distance_m, 1012, "卫生防护距离", "m").tooltip =
        "卫生防护距离在100m以内时，级差为50m；超过100m，但小于或等于1000m时，级差为100m；"
        "超过1000m以上，级差为200m。";
    form.extra(core::resultField("Lr", 1013, "提级后距离", "m", kGroupOut, FieldType::Int));
    c.fields = form.fields();
    c.actions = {{"distance", "计算卫生防护距离结果", 1014},
                 {"emission", "计算无组织排放量结果", 1015}};
    c.compute = form.compute([](const SanitaryInput& in, const std::string& action) {
      core::Outcome o;
      if (action == "emission") {
        if (auto f = checkSanitaryEmission(in)) return core::failed(*f);
        o.updated_inputs.setNum("Qc", computeAllowedEmission(in));
        return o;
      }
      const SanitaryDistanceResult r = computeSanitaryDistance(in);
      if (!r.found) return core::failed(core::fail(kMsgNoRoot, "Qc"));
      o.updated_inputs.setNum("L", r.distance_m);
      o.results.setNum("Lr", r.raised_m);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::air
