// Probability-integral subsidence against hand calculations: a panel much wider than the
// influence radius has W = W0 at its centre and W0/2, tilt W0/r, no curvature and the
// movement b W0 over its edges (with no shift of the basin, theta = 90 deg).
#include "tools/subsidence.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::tools;

namespace {
SubsidenceInput wide() {
  SubsidenceInput in;
  in.length_m = 20000;
  in.width_m = 20000;
  in.theta_deg = 90;
  in.x_m = 10000;
  in.y_m = 10000;
  return in;  // H0 500, tan(beta) 2.1: r = 238.095 m; m 2, q 0.7, alpha 0: W0 = 1400 mm
}
constexpr double kR = 500 / 2.1;
// Inputs are single precision (q = 0.7f, tan(beta) = 2.1f): results agree to about 1e-7.
constexpr double kRel = 1e-6;
}  // namespace

TEST(Subsidence, CentreOfAWidePanelSubsidesByW0) {
  const SubsidenceResult r = computeSubsidence(wide());
  EXPECT_NEAR(r.w0_mm, 1400, 1400 * kRel);
  EXPECT_NEAR(r.r_m, kR, kR * kRel);
  EXPECT_NEAR(r.shift_m, 0, 1e-9);
  EXPECT_NEAR(r.w_mm, 1400, 1400 * kRel);
  EXPECT_NEAR(r.ix, 0, 1e-9);
  EXPECT_NEAR(r.kx, 0, 1e-9);
  EXPECT_NEAR(r.ux_mm, 0, 1e-9);
  // Seam dip reduces W0 by cos(alpha): 1400 cos 30 deg.
  SubsidenceInput dip = wide();
  dip.dip_deg = 30;
  EXPECT_NEAR(computeSubsidence(dip).w_mm, 1212.4356, 1e-3);
}

TEST(Subsidence, EdgeOfAWidePanel) {
  SubsidenceInput in = wide();
  in.x_m = 0;
  const SubsidenceResult r = computeSubsidence(in);
  EXPECT_NEAR(r.w_mm, 700, 700 * kRel);
  EXPECT_NEAR(r.ix, 1400 / kR, 5.88 * kRel);  // 5.88 mm/m, the largest tilt
  EXPECT_NEAR(r.kx, 0, 1e-9);                 // the inflection point
  EXPECT_NEAR(r.ux_mm, 0.3 * 1400, 420 * kRel);
  EXPECT_NEAR(r.ex, 0, 1e-9);
  EXPECT_NEAR(r.iy, 0, 1e-9);
  EXPECT_NEAR(r.i0, 1400 / kR, 5.88 * kRel);
  EXPECT_NEAR(r.u0_mm, 420, 420 * kRel);
}

TEST(Subsidence, HalfARadiusInsideTheEdge) {
  // x = r/2: Cx = (1 + erf(sqrt(pi)/2)) / 2 = 0.894954; i = W0/r exp(-pi/4);
  // K = -2 pi W0 (r/2) exp(-pi/4) / r^3.
  SubsidenceInput in = wide();
  in.x_m = static_cast<float>(kR / 2);
  const SubsidenceResult r = computeSubsidence(in);
  EXPECT_NEAR(r.w_mm, 1252.936, 2e-3);
  EXPECT_NEAR(r.ix, 2.680916, 2e-5);
  EXPECT_NEAR(r.kx, -0.0353739, 2e-7);
  EXPECT_NEAR(r.ux_mm, 0.3 * kR * 2.680916, 2e-3);
  EXPECT_NEAR(r.ex, 0.3 * kR * -0.0353739, 2e-5);
}

TEST(Subsidence, SymmetricAboutThePanelCentre) {
  SubsidenceInput in;  // the page's panel, 70 m by 50 m
  in.theta_deg = 90;
  in.y_m = 25;
  for (float x : {-100.0f, 0.0f, 20.0f, 30.0f}) {
    in.x_m = x;
    const SubsidenceResult a = computeSubsidence(in);
    in.x_m = 70 - x;
    const SubsidenceResult b = computeSubsidence(in);
    EXPECT_NEAR(a.w_mm, b.w_mm, 1e-9) << x;
    EXPECT_NEAR(a.ix, -b.ix, 1e-9) << x;
    EXPECT_NEAR(a.kx, b.kx, 1e-9) << x;
    EXPECT_NEAR(a.ux_mm, -b.ux_mm, 1e-9) << x;
    EXPECT_NEAR(a.iy, 0, 1e-9) << x;  // on the panel's axis in y
  }
  // A small panel (70 m by 50 m at 500 m depth) subsides far less than W0.
  in.x_m = 35;
  EXPECT_LT(computeSubsidence(in).w_mm, 0.1 * 1400);
}

TEST(Subsidence, AngleOfMaximumSubsidenceShiftsTheBasinTowardTheDip) {
  SubsidenceInput in = wide();
  in.theta_deg = 85;
  in.y_m = 0;
  const SubsidenceResult r = computeSubsidence(in);
  EXPECT_NEAR(r.shift_m, 500 / std::tan(85 * M_PI / 180), 1e-4);  // 43.74 m
  in.y_m = static_cast<float>(r.shift_m);
  EXPECT_NEAR(computeSubsidence(in).w_mm, 700, 1e-3);
}

TEST(Subsidence, ChecksInOrder) {
  struct Case {
    void (*set)(SubsidenceInput&);
    const char* focus;
  };
  const Case cases[] = {
      {[](SubsidenceInput& s) { s.depth_m = 0; }, "H0"},
      {[](SubsidenceInput& s) { s.tan_beta = -1; }, "tanb"},
      {[](SubsidenceInput& s) { s.theta_deg = 0; }, "theta"},
      {[](SubsidenceInput& s) { s.theta_deg = 180; }, "theta"},
      {[](SubsidenceInput& s) { s.length_m = 0; }, "p"},
      {[](SubsidenceInput& s) { s.width_m = NAN; }, "a"},
      {[](SubsidenceInput& s) { s.thickness_m = 0; }, "m"},
      {[](SubsidenceInput& s) { s.q = 0; }, "q"},
      {[](SubsidenceInput& s) { s.b = -0.1f; }, "b"},
      {[](SubsidenceInput& s) { s.dip_deg = 90; }, "alpha"},
      {[](SubsidenceInput& s) { s.x_m = INFINITY; }, "X"},
  };
  EXPECT_FALSE(checkSubsidence(SubsidenceInput{}));
  for (const auto& c : cases) {
    SubsidenceInput in;
    c.set(in);
    const auto f = checkSubsidence(in);
    ASSERT_TRUE(f) << c.focus;
    EXPECT_EQ(f->focus, c.focus);
  }
  SubsidenceInput in;
  in.depth_m = -1;
  in.q = 0;
  EXPECT_EQ(checkSubsidence(in)->message, "平均采深H0必须大于0，请重新输入！");
}

TEST(Subsidence, ResultTextNamesEveryQuantityWithItsUnit) {
  const SubsidenceInput in;
  const std::string t = subsidenceText(in, computeSubsidence(in));
  for (const char* part : {"W0 = m·q·cosα = 1400 mm", "r = H0/tgβ = 238.095 m",
                           "s = H0·cotθ = 43.7443 m", "下沉 W(X,Y) = ", " mm\r\n", "ix = ", "mm/m",
                           "Kx = ", "×10^-3/m", "Ux = ", "εx = ", "εy = "})
    EXPECT_NE(t.find(part), std::string::npos) << part << "\n" << t;
}
