// Rainstorm intensity: the province and city lists, the reference texts and the computed
// intensity of q rows, i rows and provinces without cities.
#include "models/water/rainstorm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "models/water/rainstorm_formulas.h"

using namespace models::water;

namespace {

core::Values defaults() { return core::defaultValues(rainstormDesc()); }

int provinceOf(const std::string& name) {
  const auto& p = rainstormProvinces();
  for (size_t k = 0; k < p.size(); ++k)
    if (p[k] == name) return static_cast<int>(k);
  return -1;
}

int cityOf(int province, const std::string& name) {
  const auto c = rainstormCities(province);
  for (size_t k = 0; k < c.size(); ++k)
    if (c[k] == name) return static_cast<int>(k);
  return -1;
}

RainstormInput at(const std::string& province, const std::string& city) {
  RainstormInput in;
  in.province = provinceOf(province);
  in.city = city.empty() ? -1 : cityOf(in.province, city);
  return in;
}

}  // namespace

TEST(Rainstorm, ProvinceListAndCityLists) {
  const auto& p = rainstormProvinces();
  ASSERT_EQ(p.size(), 29u);
  EXPECT_EQ(p.front(), "浙江");
  EXPECT_EQ(p[3], "天津");
  EXPECT_EQ(p.back(), "青海");
  EXPECT_EQ(rainstormCities(0), (std::vector<std::string>{"温州", "杭州", "宁波", "诸暨"}));
  EXPECT_TRUE(rainstormCities(provinceOf("北京")).empty());
  EXPECT_TRUE(rainstormCities(provinceOf("重庆")).empty());
  EXPECT_EQ(rainstormCities(provinceOf("黑龙江")).size(), 14u);
  EXPECT_EQ(rainstormCities(provinceOf("广西")).size(), 12u);
  EXPECT_EQ(rainFormulaTable().size(), 189u);
}

// 910 (1 + 0.61 lg 2) / 15^0.49 = 285.741; Q = 0.9 * 10000 * q * 0.0001.
TEST(Rainstorm, DefaultsThroughTheDescription) {
  const core::Outcome o = rainstormDesc().compute(defaults(), "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.text, "暴雨强度q=285.741升/秒·公顷\n雨水流量Q=257.167升/秒，即925.8立方米/小时");
  EXPECT_EQ(
      o.results.text("ref"),
      "      910×(1+0.61lgP)\nq =  ──────────  [升/秒·公顷]\n             0.49\n           t");
}

TEST(Rainstorm, ProvinceWithoutCitiesUsesItsOneFormula) {
  const RainstormInput in = at("北京", "");
  const double expected = 2001 * (1 + 0.811 * std::log10(2.0)) / std::pow(23.0, 0.711);
  EXPECT_NEAR(computeRainstorm(in).q_l_s_ha, expected, 1e-9);
  EXPECT_EQ(rainstormReferenceText(in.province, -1),
            "      2001×(1+0.811lgP)\nq =  ──────────  [升/秒·公顷]\n             0.711\n"
            "           (t+8)");
}

TEST(Rainstorm, IRowIsConvertedFromMillimetresPerMinute) {
  const RainstormInput in = at("浙江", "宁波");
  const double i = (18.105 + 13.9 * std::log10(2.0)) / std::pow(15 + 13.265, 0.778);
  EXPECT_NEAR(computeRainstorm(in).q_l_s_ha, i * 166.66666666666666, 1e-9);
  EXPECT_EQ(rainstormReferenceText(in.province, in.city),
            "      (18.105+13.9lgP)\ni =  ──────────  [毫米/分钟]\n             0.778\n"
            "           (t+13.265)");
}

TEST(Rainstorm, CityFurtherDownTheListAndTheCliByName) {
  core::Values v = defaults();
  v.setNum("province", provinceOf("广东"));
  v.setText("city", "深圳");
  const core::Outcome o = rainstormDesc().compute(v, "compute");
  ASSERT_TRUE(o.ok());
  const double q = 975 * (1 + 0.745 * std::log10(2.0)) / std::pow(15.0, 0.442);
  char expected[64];
  std::snprintf(expected, sizeof expected, "暴雨强度q=%g升/秒·公顷", q);
  EXPECT_EQ(o.text.substr(0, o.text.find('\n')), expected);
}

TEST(Rainstorm, SpecialNotations) {
  auto q = [](const char* p, const char* c, float period, float t) {
    RainstormInput in = at(p, c);
    in.return_period_y = period;
    in.duration_min = t;
    return computeRainstorm(in).q_l_s_ha;
  };
  // Juxtaposed products and powers of P in the base.
  EXPECT_NEAR(
      q("重庆", "", 5, 10),
      2822 * (1 + 0.775 * std::log10(5.0)) / std::pow(10 + 12.8 * std::pow(5.0, 0.076), 0.77),
      1e-9);
  // A power of P minus a constant, and an exponent that depends on P.
  const double lg = std::log10(3.0);
  EXPECT_NEAR(q("上海", "", 3, 20),
              5544 * (std::pow(3.0, 0.3) - 0.42) / std::pow(20 + 10 + 7 * lg, 0.82 + 0.07 * lg),
              1e-9);
  // Logarithm of a shifted return period, in square brackets.
  EXPECT_NEAR(q("河北", "承德", 2, 15),
              2839 * (1 + 0.728 * std::log10(2 - 0.121)) / std::pow(24.6, 0.87), 1e-9);
  // No exponent on the base.
  EXPECT_NEAR(q("湖北", "老河口", 2, 15), 6400 * (1 + 1.059 * std::log10(2.0)) / 38.36, 1e-9);
}

// The reference text of 东兴 is what is computed: the base (t+5) raised to 0.439 P^-0.159.
TEST(Rainstorm, DongxingComputesWhatItsTextShows) {
  RainstormInput in = at("广西", "东兴");
  in.return_period_y = 3;
  const double lg = std::log10(3.0);
  const double expected =
      1217 * (1 + 0.0685 * lg * lg) / std::pow(20.0, 0.439 * std::pow(3.0, -0.159));
  EXPECT_NEAR(computeRainstorm(in).q_l_s_ha, expected, 1e-9);
  EXPECT_EQ(rainstormReferenceText(in.province, in.city),
            "      1217×(1+0.0685lg²P)\nq =  ──────────  [升/秒·公顷]\n             0.439P^-0.159\n"
            "           (t+5)");
}

// The printed formula of 莱阳 rounds 6.241 to 6.24; the computation keeps 6.241.
TEST(Rainstorm, LaiyangPrintsSixPointTwoFour) {
  const RainstormInput in = at("山东", "莱阳");
  EXPECT_NE(rainstormReferenceText(in.province, in.city).find("(5.824+6.24lgP)"),
            std::string::npos);
  const double i = (5.824 + 6.241 * std::log10(2.0)) / std::pow(23.173, 0.532);
  EXPECT_NEAR(computeRainstorm(in).q_l_s_ha, i * 166.66666666666666, 1e-9);
}

TEST(Rainstorm, EveryRowEvaluatesAtTheDefaults) {
  for (const auto& f : rainFormulaTable()) {
    const double v = evaluateRainFormula(f, 2, 15);
    EXPECT_TRUE(std::isfinite(v) && v > 0) << f.province << " " << f.city << " " << v;
  }
}

TEST(Rainstorm, NonPositiveReturnPeriodOrDurationIsRefused) {
  core::Values v = defaults();
  v.setNum("P", -1);
  core::Outcome o = rainstormDesc().compute(v, "compute");
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(o.failure->message, "降雨重现期P必须大于0，请重新输入！");
  v = defaults();
  v.setNum("t", 0);
  o = rainstormDesc().compute(v, "compute");
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(o.failure->message, "降雨历时t必须大于0，请重新输入！");
  EXPECT_EQ(o.failure->focus, "t");
}

// The city is exchanged by name within the chosen province; a number is an index there.
TEST(Rainstorm, CityIsLookedUpInTheChosenProvince) {
  core::Values v = defaults();
  v.setText("city", "深圳");
  core::Outcome o = rainstormDesc().compute(v, "compute");
  ASSERT_FALSE(o.ok());
  EXPECT_EQ(o.failure->message, "所选省份没有这个城市，请重新选择！");
  EXPECT_EQ(o.failure->focus, "city");
  v.setText("city", "2");
  o = rainstormDesc().compute(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_NE(o.results.text("ref").find("(18.105+13.9lgP)"), std::string::npos);
  v.setNum("province", provinceOf("天津"));  // one formula: the city is not looked at
  EXPECT_TRUE(rainstormDesc().compute(v, "compute").ok());
}
