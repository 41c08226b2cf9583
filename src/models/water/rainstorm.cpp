#include "models/water/rainstorm.h"

#include <stdexcept>

#include "core/binding.h"
#include "core/format.h"
#include "core/parse.h"
#include "models/water/rainstorm_formulas.h"

namespace models::water {

const char* const kRainstormInitialReference =
    "      910×(1+0.61lgP)\nq =  ──────────\n             0.49\n           t";

namespace {
// i in mm/min to q in L/(s·ha): 10000 m2 per hectare over 60 s per minute.
constexpr double kMmPerMinToLPerSHa = 166.66666666666666;
// m2 to hectares, a single-precision constant of the method.
constexpr float kSquareMetreToHectare = 0.0001f;
constexpr double kLPerSToM3PerH = 3.6;

constexpr const char* kMsgNoCity = "所选省份没有这个城市，请重新选择！";
constexpr const char* kMsgNoProvince = "没有这个省份，请重新选择！";

// The rows of one province, in table order.
std::vector<const RainFormula*> provinceRows(int province) {
  std::vector<const RainFormula*> rows;
  const auto& names = rainstormProvinces();
  if (province < 0 || static_cast<size_t>(province) >= names.size()) return rows;
  for (const auto& f : rainFormulaTable())
    if (names[static_cast<size_t>(province)] == f.province) rows.push_back(&f);
  return rows;
}

// The row a choice stands for, or nullptr when the choice names none.
const RainFormula* chosenRow(int province, int city) {
  const auto rows = provinceRows(province);
  if (rows.empty()) return nullptr;
  if (*rows.front()->city == '\0') return rows.front();  // one formula for the province
  if (city < 0 || static_cast<size_t>(city) >= rows.size()) return nullptr;
  return rows[static_cast<size_t>(city)];
}
}  // namespace

const std::vector<std::string>& rainstormProvinces() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const auto& f : rainFormulaTable())
      if (v.empty() || v.back() != f.province) v.push_back(f.province);
    return v;
  }();
  return names;
}

std::vector<std::string> rainstormCities(int province) {
  std::vector<std::string> cities;
  for (const RainFormula* f : provinceRows(province))
    if (*f->city != '\0') cities.push_back(f->city);
  return cities;
}

std::string rainstormReferenceText(int province, int city) {
  const RainFormula* f = chosenRow(province, city);
  if (!f) return {};
  const RainFormulaParts parts = splitRainFormula(f->formula);
  const std::string numerator = f->shown_numerator ? f->shown_numerator : parts.numerator;
  const bool q = f->yields == RainYield::Q;
  std::string text = "      " + numerator + "\n";
  text += q ? "q =  ──────────  [升/秒·公顷]\n" : "i =  ──────────  [毫米/分钟]\n";
  text += parts.exponent.empty() ? std::string() : "             " + parts.exponent;
  text += "\n           " + parts.base;
  return text;
}

core::Check checkRainstorm(const RainstormInput& in) {
  if (provinceRows(in.province).empty()) return core::fail(kMsgNoProvince, "province");
  if (!chosenRow(in.province, in.city)) return core::fail(kMsgNoCity, "city");
  // The formulas take lg P and a power of the duration: both must be positive.
  if (!(in.return_period_y > 0)) return core::fail("降雨重现期P必须大于0，请重新输入！", "P");
  if (!(in.duration_min > 0)) return core::fail("降雨历时t必须大于0，请重新输入！", "t");
  return std::nullopt;
}

// q from the city's formula (an i formula gives q = 166.67 i), then Q = psi S q 0.0001 L/s.
RainstormResult computeRainstorm(const RainstormInput& in) {
  const RainFormula* f = chosenRow(in.province, in.city);
  if (!f) throw std::logic_error("rainstorm computed without a formula (internal error)");
  RainstormResult r;
  const double v = evaluateRainFormula(*f, in.return_period_y, in.duration_min);
  r.q_l_s_ha = f->yields == RainYield::Q ? v : v * kMmPerMinToLPerSHa;
  r.flow_l_s = static_cast<double>(in.runoff_coeff) * in.area_m2 * r.q_l_s_ha *
               static_cast<double>(kSquareMetreToHectare);
  r.flow_m3_h = r.flow_l_s * kLPerSToM3PerH;
  return r;
}

namespace {

// The city drop-down is exchanged as the chosen city's name, looked up in the chosen
// province (so the command line can name any city); a whole number is taken as the index in
// the province's list. A province without cities ignores it.
int cityIndex(const std::string& name, int province) {
  const auto cities = rainstormCities(province);
  for (size_t k = 0; k < cities.size(); ++k)
    if (cities[k] == name) return static_cast<int>(k);
  const auto p = core::parseInt(name);
  if (p.ok() && p.value >= 0 && p.value < static_cast<long long>(cities.size()))
    return static_cast<int>(p.value);
  return -1;
}

}  // namespace

const core::CalculatorDesc& rainstormDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "rainstorm";
    c.method = "《给水排水设计手册》第5册 城镇排水：各地暴雨强度公式";
    c.formulas =
        "q = A(1 + C·lgP) / (t + b)ⁿ  （所选城市的暴雨强度公式，i 式按 q = 166.67·i 换算）\n"
        "Q = ψ·S·q·0.0001  [L/s]（S 以 m² 计）";
    c.title = "暴雨强度和雨水量计算";
    c.category = "水预测工具";
    c.command = 32821;
    c.page = 31;
    c.template_id = 221;
    c.class_name = "CRainstormDlg";
    core::Form<RainstormInput> form("暴雨强度和雨水量计算     依据《给水排水设计手册》第5册");
    form.choice("province", &RainstormInput::province, 1323, "所在省份", rainstormProvinces());
    core::FieldDesc city;
    city.key = "city";
    city.control_id = 1324;
    city.label = "城市";
    city.type = core::FieldType::Text;
    city.default_text = rainstormCities(0).front();
    form.extra(city, [](const core::Values& v, RainstormInput& in) {
      in.city = cityIndex(v.text("city"), in.province);
    });
    form.bind("P", &RainstormInput::return_period_y, 1197, "重现期 P [年]", "年");
    form.bind("t", &RainstormInput::duration_min, 1209, "降雨历时t [分钟]", "分钟");
    form.bind("S", &RainstormInput::area_m2, 1079, "汇水面积S [m²]", "m²").nonNegative();
    form.bind("psi", &RainstormInput::runoff_coeff, 1317, "径流系数 Ψ").nonNegative();
    core::FieldDesc ref;
    ref.key = "ref";
    ref.control_id = 1325;
    ref.label = "参考公式";
    ref.type = core::FieldType::Text;
    ref.result = true;
    ref.default_text = kRainstormInitialReference;
    form.extra(ref);
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1100}};
    c.compute = form.compute([](const RainstormInput& in, const std::string&) {
      if (auto f = checkRainstorm(in)) return core::failed(*f);
      const RainstormResult r = computeRainstorm(in);
      core::Outcome o;
      o.results.setText("ref", rainstormReferenceText(in.province, in.city));
      o.text = core::cformat("暴雨强度q=%g升/秒·公顷\n雨水流量Q=%g升/秒，即%g立方米/小时",
                             r.q_l_s_ha, r.flow_l_s, r.flow_m3_h);
      return o;
    });
    c.result_text_id = 1237;
    return c;
  }();
  return d;
}

}  // namespace models::water
