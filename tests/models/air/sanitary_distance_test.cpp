#include "models/air/sanitary_distance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "models/air/pollutants.h"

using namespace models::air;

namespace {

core::Values defaults() { return core::defaultValues(sanitaryDistanceDesc()); }

SanitaryInput baseInput() {
  SanitaryInput in;
  in.area_m2 = 1000;
  in.wind_m_s = 2.2;
  in.standard_mg_m3 = 2.4;
  return in;  // no stack, chronic basis: category III
}

}  // namespace

TEST(SanitaryCoefficients, WindClassBoundaries) {
  // Category I at L <= 1000: A is 400 / 700 / 530 for U < 2, 2..4, > 4.
  EXPECT_EQ(sanitaryCoefficients(500, 1.99, SourceCategory::I).a, 400);
  EXPECT_EQ(sanitaryCoefficients(500, 2, SourceCategory::I).a, 700);
  EXPECT_EQ(sanitaryCoefficients(500, 4, SourceCategory::I).a, 700);
  EXPECT_EQ(sanitaryCoefficients(500, 4.01, SourceCategory::I).a, 530);
  EXPECT_EQ(sanitaryCoefficients(500, 4.01, SourceCategory::III).a, 260);
}

TEST(SanitaryCoefficients, DistanceClassBoundaries) {
  auto k = sanitaryCoefficients(1000, 3, SourceCategory::II);
  EXPECT_EQ(k.a, 470);
  EXPECT_EQ(k.b, 0.021);
  EXPECT_EQ(k.c, 1.85);
  k = sanitaryCoefficients(1000.01, 3, SourceCategory::II);
  EXPECT_EQ(k.b, 0.036);
  EXPECT_EQ(k.c, 1.77);
  EXPECT_EQ(sanitaryCoefficients(2000, 3, SourceCategory::II).a, 470);
  k = sanitaryCoefficients(2000.01, 3, SourceCategory::II);
  EXPECT_EQ(k.a, 250);
  EXPECT_EQ(k.d, 0.76);
  EXPECT_EQ(sanitaryCoefficients(3000, 1, SourceCategory::III).a, 80);
  EXPECT_EQ(sanitaryCoefficients(3000, 1, SourceCategory::III).d, 0.57);
}

TEST(SanitaryCoefficients, CategoryFromTheVisibleRadioPair) {
  SanitaryInput in;
  in.stack = StackPresence::Present;
  in.share = StackShare::AboveThird;
  in.basis = PermittedBasis::Acute;  // hidden pair: ignored
  EXPECT_EQ(sourceCategory(in), SourceCategory::I);
  in.share = StackShare::BelowThird;
  EXPECT_EQ(sourceCategory(in), SourceCategory::II);
  in.stack = StackPresence::Absent;
  EXPECT_EQ(sourceCategory(in), SourceCategory::II);
  in.basis = PermittedBasis::Chronic;
  in.share = StackShare::AboveThird;
  EXPECT_EQ(sourceCategory(in), SourceCategory::III);
}

TEST(SanitaryRaisedDistance, Levels) {
  const struct {
    double l;
    int raised;
  } cases[] = {{0, 50},      {50, 50},     {51, 100},     {100, 100},     {100.5, 200},
               {300, 300},   {301, 400},   {1000, 1000},  {1001, 1200},   {1150, 1200},
               {1200, 1200}, {1201, 1400}, {1801, 2000},  {1999.5, 2000}, {2000, 2000},
               {2600, 2600}, {2601, 2800}, {19999, 20000}};
  for (const auto& c : cases) EXPECT_EQ(raisedDistance(c.l), c.raised) << "L = " << c.l;
}

// A distance with a fraction just past a level used to truncate to that level, below the
// distance itself.
TEST(SanitaryRaisedDistance, NeverBelowTheDistanceWithAFraction) {
  EXPECT_EQ(raisedDistance(1000.5), 1200);
  EXPECT_EQ(raisedDistance(1200.5), 1400);
  EXPECT_EQ(raisedDistance(1400.25), 1600);
  EXPECT_EQ(raisedDistance(1800.9), 2000);
  EXPECT_EQ(raisedDistance(3000.1), 3200);
  for (double l = 1000.5; l < 5000; l += 37.3) EXPECT_GE(raisedDistance(l), l) << "L = " << l;
}

TEST(SanitaryBisection, FindsRootAndRunsToTheEndWithoutSignChange) {
  EXPECT_NEAR(bisectRoot([](double x) { return 123.4 - x; }, 0, 20000), 123.4, 1e-9);
  EXPECT_EQ(bisectRoot([](double x) { return -x; }, 0, 20000), 0);
  EXPECT_NEAR(bisectRoot([](double) { return 1.0; }, 0, 20000), 20000, 1e-9);
}

TEST(SanitaryDistance, RootsOfTheNearClass) {
  // Reference: independent 200-step bisection of the same equation (category III, U = 2.2,
  // S = 1000 m2, Cm = 2.4 mg/m3).
  const struct {
    double qc, l;
  } cases[] = {{0.5, 12.009866229492193}, {5, 108.57484398610703}, {100, 678.8223847328347}};
  for (const auto& c : cases) {
    SanitaryInput in = baseInput();
    in.emission_kg_h = c.qc;
    const auto r = computeSanitaryDistance(in);
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.distance_m, c.l, 1e-7) << "Qc = " << c.qc;
  }
}

TEST(SanitaryDistance, SecondSearchUsesTheClassOfTheFirstResult) {
  SanitaryInput in = baseInput();
  in.emission_kg_h = 300;  // first search 1270.28 m, then the 1000..2000 class
  auto r = computeSanitaryDistance(in);
  ASSERT_TRUE(r.found);
  EXPECT_NEAR(r.distance_m, 1282.361866414653, 1e-7);
  EXPECT_EQ(r.raised_m, 1400);
  in.emission_kg_h = 3000;  // first search 4690.7 m, then the class above 2000
  r = computeSanitaryDistance(in);
  ASSERT_TRUE(r.found);
  EXPECT_NEAR(r.distance_m, 5088.78654562641, 1e-6);
  EXPECT_EQ(r.raised_m, 5200);
}

TEST(SanitaryDistance, ReverseDirectionGivesBackTheEmission) {
  SanitaryInput in = baseInput();
  in.emission_kg_h = 3000;
  in.distance_m = computeSanitaryDistance(in).distance_m;
  EXPECT_NEAR(computeAllowedEmission(in), 3000, 1e-6);
  // Category I, U > 4, L = 500 (independent hand calculation).
  in.stack = StackPresence::Present;
  in.wind_m_s = 5;
  in.distance_m = 500;
  EXPECT_NEAR(computeAllowedEmission(in), 38.8088365844187, 1e-9);
}

TEST(SanitaryDesc, ZeroEmissionGivesZeroDistanceRaisedTo50) {
  core::Values v = defaults();
  v.setNum("S", 1000);
  const auto o = sanitaryDistanceDesc().compute(v, "distance");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.updated_inputs.num("L"), 0);
  EXPECT_EQ(o.results.num("Lr"), 50);
}

TEST(SanitaryDesc, NoSignChangeIsReportedInsteadOf20000) {
  core::Values v = defaults();
  v.setNum("S", 1000);
  for (double qc : {40000.0, 30000.0}) {  // first search, then the second search fails
    v.setNum("Qc", qc);
    const auto o = sanitaryDistanceDesc().compute(v, "distance");
    ASSERT_FALSE(o.ok()) << "Qc = " << qc;
    EXPECT_EQ(o.failure->message,
              "在0～20000米范围内求不出卫生防护距离，无组织排放量与标准浓度的比值超出适用范围，请检"
              "查输入！");
    EXPECT_EQ(o.failure->focus, "Qc");
    EXPECT_FALSE(o.updated_inputs.has("L"));
  }
  v.setNum("Qc", 1);
  v.setNum("Cm", 0);  // Qc / Cm is infinite
  EXPECT_FALSE(sanitaryDistanceDesc().compute(v, "distance").ok());
}

TEST(SanitaryDesc, EmissionActionRewritesOnlyTheEmission) {
  core::Values v = defaults();
  v.setNum("S", 2000);
  v.setNum("U", 1.5);
  v.setNum("basis", 0);  // acute: category II
  v.setNum("L", 1500);
  const auto o = sanitaryDistanceDesc().compute(v, "emission");
  ASSERT_TRUE(o.ok());
  EXPECT_NEAR(o.updated_inputs.num("Qc"), 155.18681313354725, 1e-9);
  EXPECT_FALSE(o.results.has("Lr"));
}

TEST(Pollutants, ListAndStandards) {
  const auto& list = pollutants();
  ASSERT_EQ(list.size(), 22u);
  EXPECT_STREQ(list.front().name, "苯");
  EXPECT_STREQ(list.front().standard_text, "2.40");
  EXPECT_STREQ(list[17].name, "DMF");
  EXPECT_EQ(list[17].standard_mg_m3, 0.03);
  EXPECT_STREQ(list.back().name, "苯并芘");
  ASSERT_TRUE(findPollutant("硫化氢"));
  EXPECT_STREQ(findPollutant("硫化氢")->standard_text, "0.01");
  EXPECT_FALSE(findPollutant("氨"));
  EXPECT_EQ(defaults().text("pollutant"), "苯");
  EXPECT_EQ(defaults().num("Cm"), 2.4);
}
