// Leak rates: reference values worked by hand (calculator, 6 digits) from the defaults.
#include <gtest/gtest.h>

#include <cmath>

#include "core/calculator.h"
#include "models/risk/gas_leak.h"
#include "models/risk/liquid_leak.h"
#include "models/risk/two_phase_leak.h"

namespace {

using namespace models::risk;

TEST(LiquidLeak, DefaultsGiveBernoulliRate) {
  // A liquid's density, 900 kg/m³: 0.62 * 0.05 * 900 * sqrt(2 * 8700 / 900 + 19.6 * 2)
  // = 27.9 * 7.650709 = 213.455 kg/s
  EXPECT_NEAR(computeLiquidLeak(LiquidLeakInput{}).ql_kg_s, 213.455, 1e-3);
}

TEST(LiquidLeak, PressureBelowAmbientShowsNotANumber) {
  LiquidLeakInput in;
  in.p_pa = 1000;
  in.h_m = 0;
  EXPECT_TRUE(std::isnan(computeLiquidLeak(in).ql_kg_s));
}

TEST(GasLeak, DefaultsAreSubcritical) {
  const GasLeakResult r = computeGasLeak(GasLeakInput{});
  EXPECT_FALSE(r.critical);
  EXPECT_NEAR(r.y, 0.555689, 1e-5);
  EXPECT_NEAR(r.qg_kg_s, 21.4684, 1e-3);
  EXPECT_EQ(r.text.rfind("气体流速在亚音速范围，是次临界流。\r\n气体泄漏速率为：21.46", 0), 0u)
      << r.text;
  EXPECT_NE(r.text.find(" [kg/s]"), std::string::npos);
  // 13 decimals after the point.
  const auto colon = r.text.find("：");
  const auto dot = r.text.find('.', colon);
  EXPECT_EQ(r.text.find(' ', dot) - dot - 1, 13u) << r.text;
}

TEST(GasLeak, BoundaryRatioIsCriticalAndContinuous) {
  const double pc = criticalPressureRatio(1.4);
  EXPECT_NEAR(pc, 0.528282, 1e-6);
  EXPECT_TRUE(isCriticalFlow(pc, 1.4));
  EXPECT_FALSE(isCriticalFlow(std::nextafter(pc, 1.0), 1.4));
  // The subcritical coefficient meets Y = 1 at the boundary.
  EXPECT_NEAR(subcriticalOutflowCoefficient(pc, 1.4), 1.0, 1e-12);

  GasLeakInput in;
  in.p_pa = 300000;  // P0 / P = 0.338 < pc
  const GasLeakResult r = computeGasLeak(in);
  EXPECT_TRUE(r.critical);
  EXPECT_DOUBLE_EQ(r.y, 1);
  EXPECT_EQ(r.text.rfind("气体流速在音速范围，是临界流。\r\n", 0), 0u);
  // 0.05 * 300000 * sqrt(0.49 / 3325.804 * 0.334898)
  EXPECT_NEAR(r.qg_kg_s, 105.365, 1e-2);
}

TEST(GasLeak, ShapeScalesTheRate) {
  GasLeakInput in;
  const double circle = computeGasLeak(in).qg_kg_s;
  in.shape = BreachShape::Triangle;
  EXPECT_NEAR(computeGasLeak(in).qg_kg_s, 0.95 * circle, 1e-5);
  in.shape = BreachShape::Rectangle;
  EXPECT_NEAR(computeGasLeak(in).qg_kg_s, 0.90 * circle, 1e-5);
}

TEST(GasLeak, ZeroTemperatureShowsNonFiniteText) {
  GasLeakInput in;
  in.tg_k = 0;
  const GasLeakResult r = computeGasLeak(in);
  EXPECT_FALSE(std::isfinite(r.qg_kg_s));
  EXPECT_TRUE(r.text.find("nan") != std::string::npos || r.text.find("inf") != std::string::npos)
      << r.text;
}

TEST(TwoPhaseLeak, DefaultsUseTheShortFractionText) {
  const TwoPhaseLeakResult r = computeTwoPhaseLeak(TwoPhaseLeakInput{});
  EXPECT_NEAR(r.fv, 0.727273, 1e-6);  // 80 * 10 / 1100
  EXPECT_EQ(r.text, "蒸发的液体占液体总量的比例Fv：0.727273 ");
  EXPECT_NEAR(r.rho_m, 1025.424, 1e-3);
  EXPECT_NEAR(r.qlg_kg_s, 21.0472, 1e-3);  // 0.8 * 0.05 * sqrt(2 * 1025.424 * 0.45 * 300)
}

TEST(TwoPhaseLeak, FractionAboveOneAdvisesGasLeakButStillGivesRate) {
  TwoPhaseLeakInput in;
  in.tlg_k = 420;  // Fv = 80 * 20 / 1100 = 1.4545
  const TwoPhaseLeakResult r = computeTwoPhaseLeak(in);
  EXPECT_EQ(
      r.text,
      "蒸发的液体占液体总量的比例Fv：1.454545\r\n液体将全部蒸发成气体，这时应按气体泄漏计算。 ");
  EXPECT_TRUE(std::isfinite(r.qlg_kg_s));
}

TEST(LeakDescriptions, CommandLineValuesReachTheModel) {
  const auto& d = gasLeakDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("shape", 1);
  const core::Outcome o = d.compute(v, "compute");
  EXPECT_NE(o.text.find("20.39"), std::string::npos) << o.text;  // 0.95 * 21.4684
  const auto& l = liquidLeakDesc();
  const core::Outcome ol = l.compute(core::defaultValues(l), "compute");
  EXPECT_NEAR(ol.results.num("QL"), 213.455, 1e-3);
}

}  // namespace
