// Two hand-worked hours (one stable, one convective) checked stage by stage: gridded profiles,
// stack-top values and final rise, effective parameters, dispersion coefficients, the plume terms
// and the hourly value. The reference values carry 10 significant digits.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "mod/grid.h"
#include "mod/met.h"
#include "mod/plume.h"
#include "mod/profiles.h"

namespace fs = std::filesystem;

namespace {

#define EXPECT_REL(got, want) EXPECT_NEAR(got, want, std::fabs(want) * 2e-9) << #got

mod::HourProfiles hourFrom(const std::string& sfc, const std::string& pfl) {
  const fs::path dir =
      fs::temp_directory_path() / ("kuva_mod_worked_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "h.sfc") << "   29.983N   95.367W  UA_ID: 3937  SF_ID: 12960  ADJ_U*\n"
                               << sfc;
  std::ofstream(dir / "h.pfl") << pfl;
  const mod::MetData met = mod::readMet((dir / "h.sfc").string(), (dir / "h.pfl").string());
  fs::remove_all(dir);
  return mod::prepareHour(met.hours.at(0), met.adjustedUstar, 0.0);
}

TEST(ModWorkedHours, StableHourSmallHotStack) {
  const mod::HourProfiles h = hourFrom(
      "96  6  9 161 22  -29.1  0.306 -9.000 -9.000 -999.  408.    102.8  0.1500   0.70   1.00    "
      "2.86  150.0    6.1  296.4    2.0     0   0.00    65.  1009.     0 ADJ-SFC NoSubs\n",
      "96  6  9 22     6.1 1   150.0     2.86    23.30    99.00    99.00\n");
  ASSERT_EQ(h.status, mod::HourStatus::Computed);
  EXPECT_TRUE(h.stable);
  EXPECT_EQ(h.zi, 408.0);
  EXPECT_EQ(h.thetaStar, 0.08);
  EXPECT_REL(h.u[8], 4.172300638);
  EXPECT_REL(h.sigmaV[8], 0.5769059732);
  EXPECT_REL(h.sigmaW[8], 0.3881672816);
  EXPECT_REL(h.thetaGrad[5], 0.04614396887);
  EXPECT_REL(h.theta[16], 297.919864822);
  EXPECT_REL(h.uZi, 13.9146284);
  EXPECT_REL(h.thetaZi, 299.4900942);
  EXPECT_REL(h.uAvg, 9.889976877);
  EXPECT_REL(h.sigmaWAvg, 0.3220652869);

  const mod::PointSource src{"SHORT", 0, 0, 1.0, 20.0, 500.0, 12.0, 0.6};
  const mod::SourceHour sh = mod::setupSource(h, src, 0.0);
  EXPECT_TRUE(sh.stableBranch);
  EXPECT_REL(sh.ta, 296.75186);
  EXPECT_REL(sh.fb, 4.305060966);
  EXPECT_REL(sh.fm, 7.691808211);
  EXPECT_REL(sh.n, 0.0233738191);
  EXPECT_EQ(sh.hsp, 20.0);
  EXPECT_REL(sh.xf, 862.878146);  // after the second iteration on the final rise
  EXPECT_REL(sh.dhf, 15.22521222);
  EXPECT_EQ(sh.sinW, 0.49999999999999994);

  const mod::Receptor r29{-363.19, 712.81, 0.0};
  const mod::PlumeTrace c = mod::tracePlume(h, src, sh, r29, true);
  EXPECT_REL(c.he, 35.22521222);
  EXPECT_REL(c.u, 3.813897551);
  EXPECT_REL(c.sv, 0.577297989);
  EXPECT_REL(c.sw, 0.3892190521);
  EXPECT_REL(c.tg, 0.02526739161);
  EXPECT_REL(c.sy, 111.8087798);
  EXPECT_REL(c.sz, 27.25092899);
  EXPECT_REL(c.fy, 0.003326426816);
  EXPECT_REL(c.fz, 0.01269791189);
  EXPECT_EQ(c.zieff, 408.0);
  EXPECT_REL(c.a, 11.07493687);
  const mod::PlumeTrace p = mod::tracePlume(h, src, sh, r29, false);
  EXPECT_REL(p.sy, 111.9513509);
  EXPECT_REL(p.sz, 27.2766731);
  EXPECT_REL(p.a, 0.662775096);
  EXPECT_REL(mod::concentration(h, src, sh, r29), 10.57372021);
  // Upwind: the random plume alone.
  EXPECT_REL(mod::concentration(h, src, sh, {485.41, -352.67, 0.0}), 0.03413340998);
}

TEST(ModWorkedHours, ConvectiveHourTallStackPartlyPenetrating) {
  const mod::HourProfiles h = hourFrom(
      "96  6  9 161  8   66.9  0.337  0.746  0.005  224.  468.    -51.4  0.1500   0.70   0.29    "
      "2.86   45.0    6.1  294.8    2.0     0   0.00    56.  1013.     0 ADJ-SFC NoSubs\n",
      "96  6  9  8     6.1 1    45.0     2.86    21.70    99.00    99.00\n");
  ASSERT_EQ(h.status, mod::HourStatus::Computed);
  EXPECT_FALSE(h.stable);
  EXPECT_EQ(h.zi, 468.0);
  EXPECT_REL(h.sigmaW[8], 0.6013502555);
  EXPECT_REL(h.sigmaV[22], 0.7202597347);
  EXPECT_REL(h.uZi, 4.690157725);
  EXPECT_REL(h.uAvg, 4.377166654);
  EXPECT_REL(h.sigmaWAvg, 0.4151245309);

  const mod::PointSource src{"TALL", 0, 0, 1.0, 150.0, 420.0, 18.0, 6.0};
  const mod::SourceHour sh = mod::setupSource(h, src, 0.0);
  EXPECT_FALSE(sh.stableBranch);
  EXPECT_REL(sh.us, 4.377279397);
  EXPECT_REL(sh.fb, 479.0226396);
  EXPECT_REL(sh.fm, 2036.715192);
  EXPECT_REL(sh.xf, 1405.042229);
  EXPECT_REL(sh.dhf, 363.9894619);
  EXPECT_REL(sh.fp, 0.3491140698);
  EXPECT_REL(sh.xm, 4934.697522);

  const mod::Receptor r14{-2022.54, -1469.46, 0.0};
  EXPECT_REL(mod::tracePlume(h, src, sh, r14, true).a, 0.0149649761);
  EXPECT_REL(mod::tracePlume(h, src, sh, r14, false).a, 0.001604006582);
  EXPECT_REL(mod::concentration(h, src, sh, r14), 0.01419198377);
  EXPECT_REL(mod::concentration(h, src, sh, {-1175.57, -1618.03, 0.0}), 0.00826965457);
  EXPECT_REL(mod::concentration(h, src, sh, {-3090.17, 9510.57, 0.0}), 0.0004257540771);
}

}  // namespace

// With the reference wind above the mixing height, the similarity profile is held at its 7·z₀
// value below 7·z₀; a grid level exactly at 7·z₀ (14 m for z₀ = 2 m) gets that same value.
TEST(ModWorkedHours, WindAtSevenRoughnessLengthsIsContinuous) {
  const mod::HourProfiles h = hourFrom(
      "96  6  9 161 22  -29.1  0.306 -9.000 -9.000 -999.   16.    102.8  2.0000   0.70   1.00    "
      "2.86  150.0   20.0  296.4    2.0     0   0.00    65.  1009.     0 ADJ-SFC NoSubs\n",
      "96  6  9 22    20.0 1   150.0     2.86    23.30    99.00    99.00\n");
  ASSERT_EQ(h.status, mod::HourStatus::Computed);
  EXPECT_EQ(mod::gridHeights()[7], 14.0);
  EXPECT_TRUE(std::isfinite(h.u[7]));
  EXPECT_EQ(h.u[7], h.u[6]);
}
