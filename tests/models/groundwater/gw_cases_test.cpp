// The four analytical groundwater solutions against reference cases computed three independent
// ways (closed form, Green's-function integration, multiprecision): point values through the
// calculators' own keys, tables and extents through the model, at each case's tolerances. Then
// the points where a naive evaluation prints 0, nan or inf.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "models/groundwater/gw_desc.h"
#include "models/registry.h"

namespace {

using models::groundwater::GwSite;
using models::groundwater::GwSolution;
using nlohmann::json;

const char* calculatorOf(const std::string& model) {
  if (model == "1d_instant") return "gw_1d_instant";
  if (model == "1d_continuous") return "gw_1d_continuous";
  if (model == "2d_instant") return "gw_2d_instant";
  return "gw_2d_continuous";
}

// The case's inputs under the calculators' keys.
core::Values valuesOf(const core::CalculatorDesc& d, const json& in) {
  static const std::pair<const char*, const char*> keys[] = {
      {"x_m", "x"},          {"y_m", "y"}, {"t_d", "t"},          {"m_kg", "m"},
      {"w_m2", "w"},         {"n", "n"},   {"u_m_per_d", "u"},    {"DL_m2_per_d", "DL"},
      {"DT_m2_per_d", "DT"}, {"M_m", "M"}, {"C0_mg_per_L", "C0"}, {"mt_kg_per_d", "mt"}};
  core::Values v = core::defaultValues(d);
  for (const auto& [name, key] : keys)
    if (in.contains(name)) {
      EXPECT_TRUE(v.has(key)) << d.id << " lacks " << key;
      v.setNum(key, in[name].get<double>());
    }
  return v;
}

void expectConc(double got, double want, const json& tol, const std::string& where) {
  const double allowed =
      std::max(tol["rel"].get<double>() * std::abs(want), tol["abs"].get<double>());
  EXPECT_LE(std::abs(got - want), allowed) << where << ": got " << got << ", want " << want;
}

void expectDistance(double got, const json& want, double rel, const std::string& where) {
  const double w = want.get<double>();
  EXPECT_LE(std::abs(got - w), rel * std::max(std::abs(w), 1.0)) << where << ": got " << got;
}

TEST(GroundwaterCases, EveryCaseWithinItsTolerance) {
  std::ifstream f(std::string(KUVA_TEST_DATA_DIR) + "/groundwater/cases.json");
  ASSERT_TRUE(f) << "cases.json";
  const json all = json::parse(f);
  int checked = 0;
  for (const json& c : all["cases"]) {
    const std::string id = c["id"], query = c.value("query", "concentration");
    SCOPED_TRACE(id);
    const core::CalculatorDesc* d = models::registry().find(calculatorOf(c["model"]));
    ASSERT_NE(d, nullptr);
    const GwSolution s = *models::groundwater::gwSolutionOf(d->id);
    core::Values v = valuesOf(*d, c["inputs"]);
    const GwSite site = models::groundwater::gwReadInput(v).site;
    const json& tol = c["tolerance"];
    const json& want = c["expected"];
    if (query == "concentration") {
      const core::Outcome o = d->compute(v, "compute");
      ASSERT_FALSE(o.failure) << o.failure->message;
      expectConc(o.results.num("C"), want["C_mg_per_L"], tol, id);
    } else if (query == "table") {
      const json& rows = want["C_mg_per_L_by_t_then_x"];
      for (size_t i = 0; i < c["t_list_d"].size(); ++i)
        for (size_t j = 0; j < c["x_list_m"].size(); ++j) {
          const double t = c["t_list_d"][i], x = c["x_list_m"][j];
          expectConc(models::groundwater::gwConcentration(s, site, x, c.value("y_m", 0.0), t),
                     rows[i][j], tol, id + " t=" + std::to_string(t) + " x=" + std::to_string(x));
        }
    } else {
      const double t = c["inputs"]["t_d"];
      const double rd = tol["rel_distance"], ra = tol["rel_area"];
      for (const char* which : {"exceed", "reach"}) {
        const double level = c[std::string(which) == "exceed" ? "S_mg_per_L" : "Sdet_mg_per_L"];
        const auto e = models::groundwater::gwExtent(s, site, t, level);
        const json& w = want[which];
        const std::string at = id + " " + which;
        if (w.is_null()) {
          EXPECT_FALSE(e) << at;
          continue;
        }
        ASSERT_TRUE(e) << at;
        if (w.contains("x_from_m")) expectDistance(e->x_from_m, w["x_from_m"], rd, at);
        expectDistance(e->x_to_m, w["x_to_m"], rd, at);
        if (w.contains("y_half_max_m")) expectDistance(e->y_half_max_m, w["y_half_max_m"], rd, at);
        if (w.contains("x_at_y_half_max_m"))  // the flat top of y_S(x): a looser position
          expectDistance(e->x_at_y_half_m, w["x_at_y_half_max_m"], 1e-5, at);
        if (w.contains("area_m2")) expectDistance(e->area_m2, w["area_m2"], ra, at);
      }
    }
    ++checked;
  }
  EXPECT_EQ(checked, 23);
}

// Where a naive formula fails: erfc as 1 − erf, exp(ux/DL)·erfc overflowing into inf·0, the
// 2K0 − W cancellation, and a W integral that misses its peak.
TEST(GroundwaterCases, HardPointsStayFiniteAndAccurate) {
  using namespace models::groundwater;
  // Hantush's W at the tabulated spot values, and W(a, b) + W(b²/4a, b) = 2 K0(b).
  EXPECT_NEAR(hantushW(0.01, 0.1), 3.8150165, 1e-7);
  EXPECT_NEAR(hantushW(0.1, 1.0), 0.8190345, 1e-7);
  EXPECT_NEAR(hantushW(1.0, 0.5), 0.2103138, 1e-7);
  EXPECT_NEAR(hantushW(1e-4, 0.01), 8.3982586, 1e-7);
  for (double b : {0.05, 3.0, 200.0}) {
    const double k0 = std::cyl_bessel_k(0.0, b);
    EXPECT_NEAR((hantushW(0.3 * b, b) + hantushW(b / 1.2, b)) / (2 * k0), 1, 1e-12) << b;
  }
  // Large Péclet number (ux/DL = 8000) at the front x = ut: C/C0 = 1/2 + erfcx(b)/2 with
  // b = ut/sqrt(DL t) = 89.4, against the asymptotic series.
  GwSite p;
  p.dl_m2_d = 0.05;
  const double b = 2000 / std::sqrt(0.05 * 10000);
  const double series =
      (1 - 1 / (2 * b * b) + 3 / (4 * std::pow(b, 4)) - 15 / (8 * std::pow(b, 6))) /
      (b * std::sqrt(M_PI));
  EXPECT_NEAR(gwConcentration(GwSolution::Continuous1D, p, 2000, 0, 10000) / 100, 0.5 + series / 2,
              1e-14);
  // Far ahead of the front: an exact 0 or a tiny positive value, never nan.
  const double ahead = gwConcentration(GwSolution::Continuous1D, p, 2000, 0, 100);
  EXPECT_TRUE(ahead >= 0 && ahead < 1e-300) << ahead;
  // Continuous point source: very late time reaches the steady state 2 exp(xi) K0(beta).
  p = GwSite{};
  const double xi = 20 * 0.2 / 4, beta = std::hypot(1.0, 2 * 0.2 / (2 * std::sqrt(0.4)));
  const double pre = 1000 * 0.1 / (4 * M_PI * 10 * 0.25 * std::sqrt(0.4));
  EXPECT_NEAR(gwConcentration(GwSolution::Continuous2D, p, 20, 2, 1e9) /
                  (pre * 2 * std::exp(xi) * std::cyl_bessel_k(0.0, beta)),
              1, 1e-12);
  // Very early, and at a large Péclet number far downstream (exp(xi) alone overflows).
  for (const auto& [x, y, t] :
       {std::tuple{10.0, 0.0, 1e-3}, {5000.0, 3.0, 20000.0}, {-800.0, 1.0, 50.0}}) {
    const double c = gwConcentration(GwSolution::Continuous2D, p, x, y, t);
    EXPECT_TRUE(std::isfinite(c) && c >= 0) << x << " " << t << ": " << c;
  }
  p.dl_m2_d = 0.01;
  const double steep = gwConcentration(GwSolution::Continuous2D, p, 3000, 0, 1e6);
  const double bigXi = 3000 * 0.2 / (2 * 0.01);  // = beta on the axis
  const double k0Scaled = std::sqrt(M_PI / (2 * bigXi)) * (1 - 1 / (8 * bigXi));
  EXPECT_NEAR(steep / (pre * std::sqrt(2 / 0.01) * 2 * k0Scaled), 1, 1e-9);
}

// Each impossible input is refused with its field named and focused, never computed.
TEST(GroundwaterCases, ImpossibleInputIsRefusedNamingItsField) {
  struct Case {
    const char* id;
    const char* key;
    double value;
    const char* text;  // part of the message
  };
  const Case cases[] = {
      {"gw_1d_instant", "n", 0, "有效孔隙度n必须大于0且不大于1"},
      {"gw_2d_instant", "n", 1.5, "有效孔隙度n必须大于0且不大于1"},
      {"gw_1d_continuous", "DL", -1, "纵向弥散系数DL必须大于0"},
      {"gw_2d_continuous", "DT", 0, "横向弥散系数DT必须大于0"},
      {"gw_1d_instant", "t", 0, "预测时间t必须大于0"},
      {"gw_1d_continuous", "x", -5, "距离x必须大于等于0"},
      {"gw_2d_continuous", "u", 0, "二维连续点源解无定义"},
      {"gw_1d_instant", "u", -0.1, "地下水实际流速u必须大于等于0"},
  };
  for (const Case& c : cases) {
    const core::CalculatorDesc* d = models::registry().find(c.id);
    ASSERT_NE(d, nullptr);
    core::Values v = core::defaultValues(*d);
    v.setNum(c.key, c.value);
    const core::Outcome o = d->compute(v, "compute");
    ASSERT_TRUE(o.failure) << c.id << " " << c.key;
    EXPECT_NE(o.failure->message.find(c.text), std::string::npos) << o.failure->message;
    EXPECT_EQ(o.failure->focus, c.key);
  }
  // The source point of the continuous 2-D solution, and a time list entry that is not a time.
  const core::CalculatorDesc* d = models::registry().find("gw_2d_continuous");
  core::Values v = core::defaultValues(*d);
  v.setNum("x", 0);
  EXPECT_EQ(d->compute(v, "compute").failure->focus, "x");
  v = core::defaultValues(*d);
  v.setText("ts", "100, 0");
  EXPECT_EQ(d->compute(v, "compute").failure->focus, "ts");
  // Where the source lies in the table, the cell says so instead of printing inf.
  v = core::defaultValues(*d);
  v.setText("xs", "0, 10");
  const core::Outcome o = d->compute(v, "compute");
  ASSERT_FALSE(o.failure);
  EXPECT_EQ(o.tables.front().rows.front()[1], "—");
}

}  // namespace
