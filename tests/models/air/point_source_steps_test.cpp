// Steps of the point-source model: plume-rise branches, coefficient tables, light-wind rows,
// the sampling-time correction and the Simpson integral. Expected values are the published
// formulas evaluated by hand (or with the calculator noted beside them).
#include <gtest/gtest.h>

#include <cmath>

#include "models/air/point_source_steps.h"

namespace models::air {
namespace {

PlumeRiseInput heatDriven(double qh, double stack_m) {
  PlumeRiseInput p;
  p.stack_height_m = stack_m;
  p.wind = true;
  p.exit_wind_m_s = 4;
  p.gas_flow_m3_s = 10;
  p.diameter_m = 1;
  p.delta_t_k = 100;
  p.heat_kj_s = qh;
  p.lapse_k_m = 0.01;
  p.stability = 3;  // D
  return p;
}

TEST(PointSourceRise, HeatDrivenBranchesAndTheStackHeightCap) {
  // 2100 kJ/s belongs to the 0.6 / 0.4 formula, 21000 to the 1/3 / 2/3 one.
  EXPECT_NEAR(plumeRise(heatDriven(2100, 100)),
              0.332 * std::pow(2100, 0.6) * std::pow(100, 0.4) / 4, 1e-9);
  EXPECT_NEAR(plumeRise(heatDriven(21000, 100)),
              1.427 * std::pow(21000, 1.0 / 3) * std::pow(100, 2.0 / 3) / 4, 1e-9);
  PlumeRiseInput urban = heatDriven(21000, 100);
  urban.surface = Surface::Urban;
  EXPECT_NEAR(plumeRise(urban), 1.303 * std::pow(21000, 1.0 / 3) * std::pow(100, 2.0 / 3) / 4,
              1e-9);
  urban.heat_kj_s = 5000;
  EXPECT_NEAR(plumeRise(urban), 0.292 * std::pow(5000, 0.6) * std::pow(100, 0.4) / 4, 1e-9);
  // A 300 m stack counts as 240 m in the heat-driven formula.
  EXPECT_DOUBLE_EQ(plumeRise(heatDriven(21000, 300)), plumeRise(heatDriven(21000, 240)));
  EXPECT_DOUBLE_EQ(plumeRise(heatDriven(2100, 300)), plumeRise(heatDriven(2100, 240)));
}

TEST(PointSourceRise, SmallHeatBlendAndStableAndCalmBranches) {
  // Small heat: 2 (1.5 Vs D + 0.01 Qh) / U with Vs = 10 / (3.14159 * 0.25) = 12.7324 m/s.
  const double vs = 10 / (3.14159 * 0.25);
  const double small = 2 * (1.5 * vs + 0.01 * 1700) / 4;
  EXPECT_NEAR(plumeRise(heatDriven(1700, 100)), small, 1e-9);
  PlumeRiseInput cool = heatDriven(5000, 100);
  cool.delta_t_k = 34.9;  // below 35 K the small-heat formula holds at any Qh
  EXPECT_NEAR(plumeRise(cool), 2 * (1.5 * vs + 50) / 4, 1e-9);
  // Halfway between 1700 and 2100 kJ/s: the mean of the two ends.
  const double s1900 = 2 * (1.5 * vs + 19) / 4 - 0.048 * 200 / 4;
  const double h1900 = 0.332 * std::pow(1900, 0.6) * std::pow(100, 0.4) / 4;
  EXPECT_NEAR(plumeRise(heatDriven(1900, 100)), (s1900 + h1900) / 2, 1e-9);
  // Stable air E: Qh^(1/3) (dT/dz + 0.0098)^(-1/3) U^(-1/3).
  PlumeRiseInput stable = heatDriven(1000, 100);
  stable.stability = 4;
  EXPECT_NEAR(plumeRise(stable), 10 * std::pow(0.0198, -1.0 / 3) * std::pow(4, -1.0 / 3), 1e-9);
  // Calm: 5.5 Qh^(1/4) (dT/dz + 0.0098)^(-3/8) = 5.5 * 10^(3/4) * 0.0198^(-0.375).
  PlumeRiseInput calm = heatDriven(1000, 100);
  calm.wind = false;
  EXPECT_NEAR(plumeRise(calm), 5.5 * std::pow(1000, 0.25) * std::pow(0.0198, -0.375), 1e-9);
}

TEST(PointSourceSteps, MixingHeightByRegionGroupAndClass) {
  const double f = 0.0001456 * std::sin(30 * 0.017453292222222222);       // 7.28e-5 1/s
  EXPECT_NEAR(mixingHeight(3, 30, 1, 22), 0.060 * 3 / f, 1e-6);           // group 2, B
  EXPECT_NEAR(mixingHeight(3, 30, 1, 23), 0.067 * 3 / f, 1e-6);           // group 4
  EXPECT_NEAR(mixingHeight(3, 30, 3, 31), 0.022 * 3 / f, 1e-6);           // group 3, D
  EXPECT_NEAR(mixingHeight(3, 30, 5, 5), 0.70 * std::sqrt(3 / f), 1e-6);  // F, any group
  EXPECT_EQ(regionGroup(11), 1);
  EXPECT_EQ(regionGroup(24), 2);
  EXPECT_EQ(regionGroup(26), 4);
  EXPECT_EQ(regionGroup(32), 3);
}

TEST(PointSourceSteps, CoefficientSetsBySurfaceAndDistanceRange) {
  // Urban D disperses with set 3; a range bound belongs to the lower range.
  const SigmaSet d = tabulatedSigmas(1000, 3, Surface::Urban);
  EXPECT_FLOAT_EQ(d.ay, 0.924279f);
  EXPECT_FLOAT_EQ(d.gz, 0.106803f);
  EXPECT_FLOAT_EQ(tabulatedSigmas(1000.5, 3, Surface::Urban).gy, 0.232123f);
  EXPECT_FLOAT_EQ(tabulatedSigmas(300, 0, Surface::Rural).az, 1.12154f);
  EXPECT_FLOAT_EQ(tabulatedSigmas(300.5, 0, Surface::Rural).az, 1.5236f);
  EXPECT_FLOAT_EQ(tabulatedSigmas(10000, 5, Surface::Rural).gz, 0.370015f);  // Z7 middle
  EXPECT_FLOAT_EQ(tabulatedSigmas(10001, 5, Surface::Urban).gz, 1.73241f);   // Z8 far
  EXPECT_FLOAT_EQ(tabulatedSigmas(2500, 4, Surface::Urban).gy, 0.0733348f);  // Y6 far
}

TEST(PointSourceSteps, LightWindRowsAndSamplingCorrection) {
  EXPECT_FLOAT_EQ(tabulatedLightWind(0.4, 0).g01, 0.93f);
  EXPECT_FLOAT_EQ(tabulatedLightWind(0.4, 0).g02, 0.15f);
  EXPECT_FLOAT_EQ(tabulatedLightWind(0.5, 0).g01, 0.76f);
  EXPECT_FLOAT_EQ(tabulatedLightWind(0.5, 0).g02, 1.57f);
  EXPECT_DOUBLE_EQ(samplingCorrected(1, 0.5), 1);
  EXPECT_DOUBLE_EQ(samplingCorrected(1, 0.75), std::pow(1.5, 0.2));
  EXPECT_DOUBLE_EQ(samplingCorrected(1, 1), std::pow(2, 0.3));
  EXPECT_DOUBLE_EQ(samplingCorrected(1, 150), std::pow(300, 0.3));  // 100 h and more keep 0.3
}

TEST(PointSourceSteps, SimpsonIntegralOfTheNormalDensity) {
  // sqrt(2 pi) (Phi(s) - 1/2) from the normal table: Phi(1.96) = 0.975002.
  EXPECT_NEAR(normalIntegral(1.96), std::sqrt(2 * M_PI) * 0.475002, 1e-5);
  EXPECT_NEAR(normalIntegral(-1.96), -std::sqrt(2 * M_PI) * 0.475002, 1e-5);
  EXPECT_NEAR(normalIntegral(12), std::sqrt(M_PI / 2), 1e-5);
  EXPECT_EQ(normalIntegral(0), 0);
  EXPECT_TRUE(std::isnan(normalIntegral(NAN)));
}

TEST(PointSourceSteps, VerticalTermWithAndWithoutLayerReflections) {
  EXPECT_DOUBLE_EQ(verticalTerm(50, 20, 1000, false), 2 * std::exp(-2500.0 / 800));
  // With a very high lid only the k = 0 pair remains: the same ground reflection.
  EXPECT_DOUBLE_EQ(verticalTerm(50, 20, 1e6, true), 2 * std::exp(-2500.0 / 800));
  EXPECT_GT(verticalTerm(50, 40, 100, true), verticalTerm(50, 40, 100, false));
}

}  // namespace
}  // namespace models::air
