// Vapour cloud explosion, the overpressure chart and the oil film, from hand-worked values.
#include <gtest/gtest.h>

#include <cmath>

#include "core/calculator.h"
#include "models/risk/oil_film.h"
#include "models/risk/overpressure_chart.h"
#include "models/risk/vce.h"

namespace {

using namespace models::risk;

TEST(Vce, TntDefaults) {
  const VceInput in;
  // F = 1 - exp(-1737.2 * 119.9 / 434259.4) = 0.380997, Wf = 76.1994
  EXPECT_NEAR(cloudMass(in), 76.1994, 1e-3);
  const VceTntResult r = computeVceTnt(in);
  EXPECT_NEAR(r.wtnt_kg, 21.1532, 1e-3);
  EXPECT_NEAR(r.rs, 3.61583, 1e-4);
  EXPECT_EQ(r.text, "TNT当量为 21.1532[kg],无因次距离为 3.61583\r\n");
}

TEST(Vce, LookupProbabilityAndItsLimits) {
  EXPECT_NEAR(blastDeathProbability(1e5), 0.962, 1e-9);  // 0.1 * (2.47 + 7.15)
  EXPECT_DOUBLE_EQ(blastDeathProbability(1e-3), 0);
  EXPECT_DOUBLE_EQ(blastDeathProbability(1e9), 1);
  EXPECT_FALSE(vceLookupText(21.1532, 3.61583, 0));  // nothing changes
  EXPECT_EQ(*vceLookupText(21.1532, 3.61583, 1e5),
            "TNT当量为 21.1532[kg],无因次距离为 3.61583\r\n查图知：爆炸冲击波超压为 "
            "100000[Pa]\r\n则死亡概率为 0.962");
}

TEST(Vce, LookupActionOnTheCommandLine) {
  const auto& d = vceDesc();
  core::Values v = core::defaultValues(d);
  core::Outcome o = d.compute(v, kVceLookupAction);
  EXPECT_EQ(o.text, "TNT当量为 21.1532[kg],无因次距离为 3.61583\r\n");  // dP = 0
  v.setNum("dP", 1e5);
  o = d.compute(v, kVceLookupAction);
  EXPECT_NE(o.text.find("则死亡概率为 0.962"), std::string::npos) << o.text;
  EXPECT_NEAR(o.results.num("Rs"), 3.61583, 1e-4);
}

TEST(Vce, DirectMethod) {
  VceInput in;
  in.method = VceMethod::Direct;
  const VceDirectResult r = computeVceDirect(in);
  // E = 1.8 * 0.04 * 0.03 * 41825632 * 76.1994 = 6.88411e6 J; R = 10 / (E / 101325)^(1/3)
  EXPECT_NEAR(r.e_j, 6.88411e6, 20);
  EXPECT_NEAR(r.r_bar, 2.45070, 1e-4);
  EXPECT_NEAR(r.dp_pa, 11793.1, 0.5);
  EXPECT_NEAR(r.p, 0.829243, 1e-5);
  EXPECT_EQ(r.text, "爆炸冲击波超压为 11793.1[Pa]\r\n死亡概率为 0.829243");
  const auto& d = vceDesc();
  core::Values v = core::defaultValues(d);
  v.setNum("method", 1);
  EXPECT_EQ(d.compute(v, "compute").text, r.text);
}

TEST(Vce, ColdVesselGivesNonFiniteScaledDistance) {
  VceInput in;
  in.t1_c = 80.1f;  // T1 == T2: no flash, no cloud
  const VceTntResult r = computeVceTnt(in);
  EXPECT_DOUBLE_EQ(r.wtnt_kg, 0);
  EXPECT_NE(r.text.find("inf"), std::string::npos) << r.text;
}

TEST(OverpressureChart, CurveFallsThroughTheChart) {
  // 0.084 + 0.27 + 0.7 = 1.054 MPa at R = 1; 0.0586898 MPa at R = 3.61583.
  EXPECT_NEAR(chartOverpressure_Pa(1), 1.054e6, 1e-3);
  EXPECT_NEAR(chartScaledOverpressure(1), 107.478, 1e-3);
  EXPECT_NEAR(chartOverpressure_Pa(3.61583), 58689.8, 1);
  EXPECT_NEAR(chartScaledOverpressure(100), 0.0884, 1e-4);
  for (double r = 1; r < 100; r *= 1.1)
    EXPECT_GT(chartOverpressure_Pa(r), chartOverpressure_Pa(r * 1.1));
}

TEST(OilFilm, Defaults) {
  const OilFilmResult r = computeOilFilm(OilFilmInput{});
  EXPECT_NEAR(r.dt_m, 418.033, 1e-2);
  EXPECT_EQ(r.text.rfind("10分钟后油膜直径为418.03", 0), 0u) << r.text;
  EXPECT_EQ(r.text.size() - r.text.find('.') - 1, 6u + 3u) << r.text;  // "%f" then "[m]"
}

TEST(OilFilm, ZeroTimeKeepsTheInitialDiameterAndHeavyOilIsNotANumber) {
  OilFilmInput in;
  in.t_min = 0;
  EXPECT_NEAR(computeOilFilm(in).dt_m, 0.1, 1e-7);
  in.t_min = 10;
  in.go_kg_m3 = 1100;
  const OilFilmResult r = computeOilFilm(in);
  EXPECT_TRUE(std::isnan(r.dt_m));
  EXPECT_NE(r.text.find("nan"), std::string::npos) << r.text;
}

}  // namespace
