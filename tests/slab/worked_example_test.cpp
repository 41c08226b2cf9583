// The worked example of the model notes: chlorine, 88 % liquid, 3.33 kg/s for 300 s from a
// 0.02 m2 vertical nozzle 1 m up, class D at 1 m/s (10 m), z0 = 0.1 m, 276 K, 30 % RH, tav = 1 s,
// xffm = 10 km, one output height of 1 m. Values below were taken from an instrumented reference
// build (8 digits) and hold to the float rounding of the engine.

#include <gtest/gtest.h>

#include <cmath>

#include "slab/slab.h"
#include "slab/state.h"

namespace {

slab::Deck chlorineStack() {
  slab::Deck d;
  d.idspl = 3;
  d.ncalc = 1;
  d.wms = 0.070906, d.cps = 498.1, d.tbp = 239.1, d.cmed0 = 0.88, d.dhe = 287840;
  d.cpsl = 926.3, d.rhosl = 1574, d.spb = 1978.34, d.spc = -27.01;
  d.ts = 239.1, d.qs = 3.33, d.as = 0.02, d.tsd = 300, d.qtis = 0, d.hs = 1;
  d.tav = 1, d.xffm = 10000, d.zp = {1, 0, 0, 0};
  d.mets = {slab::Met{0.1, 10, 1, 276, 30, 4, 0}};
  return d;
}

// Relative agreement to about the last bits of a float.
void near(double got, double want, const char* what) {
  EXPECT_NEAR(got, want, 2e-6 * std::fabs(want)) << what;
}

TEST(SlabWorkedExample, DenseVerticalJet) {
  const slab::Result r = slab::run(chlorineStack());
  ASSERT_EQ(r.status, slab::Status::Ok) << r.message;
  const slab::RunResult& run = r.runs.at(0);
  const slab::Summary& s = run.summaries.at(0);
  near(s.ws, 5.6215162, "exit velocity");
  near(s.bs, 0.070710674, "source half width");
  near(s.hmx, 1040, "mixing height");
  // End of the dense rise (row 2): the flashing liquid cools the mixture to 205 K.
  const slab::CloudRow& r2 = run.cloud[1];
  near(r2.t, 204.98145, "temperature at the end of the rise");
  near(r2.rho, 3.0255852, "density at the end of the rise");
  near(r2.zc, 2.2386999, "height at the end of the rise");
  near(run.conc[1].bbc, 1.2102762, "effective half width at the end of the rise");
  near(r2.w, 5.8443766e-02, "top entrainment velocity");
  EXPECT_NEAR(r2.wc, -1.41e-05, 0.01e-05);  // rounding residue of the interpolated rise row
  // Rise rows print -1 where nothing was computed.
  EXPECT_EQ(run.cloud[0].rho, -1);
  EXPECT_EQ(run.cloud[0].cmwv, -1);
  // First near-field steps (rows 3 to 5) and the cut after row 37.
  near(run.cloud[2].x, 1.0328816, "x of row 3");
  near(run.cloud[3].x, 1.0593305, "x of row 4");
  near(run.cloud[4].zc, 2.0959015, "zc of row 5");
  EXPECT_EQ(run.cutRow, 37);
  near(run.cloud[36].x, 93.814407, "x of the cut");
  near(run.cloud[36].bbx, 91.575966, "puff half length at the cut");
  near(run.cloud[36].ug, 0.25957263, "along-wind slumping at the cut");
  // Time of maximum and slug length of the plume rows.
  near(run.conc[0].tmax, 150, "time of maximum at the exit");
  near(run.conc[1].tmax, 150.01796, "time of maximum at row 2");
  near(run.cloud[1].bbx, 0.010969115, "slug half length at row 2");
  // Concentration rows 1 and 2.
  EXPECT_NEAR(run.conc[0].cz[0][2], 0.53060, 1e-5);  // row 1 at y = bbc
  near(run.contour[1].betac, 0.52947098, "betac of row 2");
  near(run.contour[1].cc, 0.1649158, "cc of row 2");
  near(run.conc[1].zm, 2.2387002, "height of the maximum at row 2");
  near(run.conc[1].cmax, 0.57002777, "centreline maximum at row 2");
}

// The near-field step: gam^nstp by binary powering in float, not powf.
TEST(SlabWorkedExample, IntegerPowerOfTheStepRatio) {
  EXPECT_FLOAT_EQ(slab::detail::ipow(1.0671395f, 177), 98889.477f);
  EXPECT_NE(slab::detail::ipow(1.0671395f, 177), powf(1.0671395f, 177.f));
  EXPECT_EQ(slab::detail::ipow(2.f, 10), 1024.f);
}

// The error function rounds to float before differences are taken: far in the tail both values
// are exactly 1, and the arguments below 1 and above use the series and the continued fraction.
TEST(SlabWorkedExample, ErrorFunction) {
  EXPECT_EQ(slab::detail::errint(4.4f), 1.f);
  EXPECT_EQ(slab::detail::errint(4.4f) - slab::detail::errint(3.95f), 0.f);
  EXPECT_EQ(slab::detail::errint(-30.f), -1.f);
  EXPECT_EQ(slab::detail::errint(0.f), 0.f);
  EXPECT_EQ(slab::detail::errint(NAN), 1.f);
  for (float x : {0.1f, 0.5f, 0.99f, 1.01f, 1.5f, 2.5f, 3.3f}) {
    EXPECT_NEAR(slab::detail::errint(x), std::erf(static_cast<double>(x)), 2e-7) << x;
    EXPECT_EQ(slab::detail::errint(-x), -slab::detail::errint(x)) << x;
  }
}

}  // namespace
