// The volume and area worked receptor-hours checked at their intermediate values, the outlines
// of the area-family sources, and the reading of deck numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "mod/line_reader.h"
#include "mod/met.h"
#include "mod/plume.h"
#include "mod/source_shapes.h"

namespace fs = std::filesystem;

namespace {

#define EXPECT_REL(got, want) EXPECT_NEAR(got, want, std::fabs(want) * 2e-9) << #got

class ModSources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path dir = fs::path(KUVA_TEST_DATA_DIR) / "aermod-sources" / "s1_rural";
    met_ = new mod::MetData(
        mod::readMet((dir / "s1_rural.sfc").string(), (dir / "s1_rural.pfl").string()));
  }
  static void TearDownTestSuite() { delete met_; }
  static mod::HourProfiles hour(size_t i) {
    return mod::prepareHour(met_->hours.at(i), met_->adjustedUstar, 0.0);
  }
  static mod::MetData* met_;
};
mod::MetData* ModSources::met_ = nullptr;

// A receptor at the centre of a rotated rectangle in a stable hour: the part of the source at
// least 1.01 m upwind is integrated, most of it as a full-width segment.
TEST_F(ModSources, AreaReceptorInsideTheSourceStableHour) {
  mod::PointSource s;
  s.kind = mod::SourceKind::Area;
  s.x = -100.0;
  s.y = -60.0;
  s.q = 5e-5;
  s.sz0 = 1e-5;
  mod::rectangleShape(s, 80.0, 30.0, 25.0);
  ASSERT_EQ(s.vertices.size(), 5u);
  EXPECT_REL(s.vertices[1].x, -87.32145215);
  EXPECT_REL(s.vertices[2].y, -66.62022733);
  EXPECT_REL(s.vertices[3].x, -27.49537704);
  EXPECT_EQ(s.vertices[4].x, s.vertices[0].x);
  EXPECT_REL(s.xc, -57.40841459);
  EXPECT_REL(s.yc, -63.31011366);

  const mod::HourProfiles h = hour(0);
  const mod::SourceHour sh = mod::setupSource(h, s, 0.0);
  EXPECT_TRUE(sh.stableBranch);
  EXPECT_EQ(sh.us, 0.2828);
  EXPECT_REL(sh.svs, 0.2713234232);
  EXPECT_REL(sh.tgs, 0.1219591837);
  EXPECT_REL(sh.ths, 300.6756216);
  EXPECT_REL(sh.sinW, 0.7071067812);
  EXPECT_REL(sh.xm, 3301.723201);
  EXPECT_REL(mod::concentration(h, s, sh, {-57.41, -63.31, 0.0}), 1023.57155423);
}

// A surface volume source 15 m from the receptor in a windy stable hour: coherent and random
// plumes blended by the meander fraction.
TEST_F(ModSources, VolumeReceptorBesideTheSourceStableHour) {
  mod::PointSource s;
  s.kind = mod::SourceKind::Volume;
  s.q = 1.0;
  s.hs = 1.0;
  s.sy0 = 4.65;
  s.sz0 = 0.93;
  const mod::HourProfiles h = hour(21);
  const mod::SourceHour sh = mod::setupSource(h, s, 0.0);
  EXPECT_REL(sh.us, 4.220153277);
  EXPECT_REL(sh.svs, 0.9349824805);
  EXPECT_REL(sh.sws, 0.6404981083);
  EXPECT_REL(sh.ths, 302.5415349);
  EXPECT_REL(sh.sinW, -0.4067366431);
  EXPECT_REL(mod::concentration(h, s, sh, {15.0, 0.0, 0.0}), 172.0651394);
  // Inside the exclusion radius 2.15·σ_y0 + 0.99 m the source gives nothing.
  EXPECT_EQ(mod::concentration(h, s, sh, {2.15 * 4.65 + 0.98, 0.0, 0.0}), 0.0);
}

TEST(ModSourceShapes, OutlinesOfCirclesLinesAndPolygons) {
  mod::PointSource c;
  c.x = 10.0;
  c.y = -5.0;
  mod::circleShape(c, 60.0, 24);
  mod::PointSource p;
  p.vertices.assign(c.vertices.begin(), c.vertices.end() - 1);
  EXPECT_NEAR(mod::polygonShape(p), -M_PI * 3600.0, 1e-6);  // clockwise, the circle's area
  EXPECT_NEAR(p.xc, 10.0, 1e-9);

  mod::PointSource l;  // a line along the y axis is a rectangle of the width along x
  l.y = 0.0;
  mod::lineShape(l, 0.0, 100.0, 8.0);
  EXPECT_NEAR(l.vertices[0].x, -4.0, 1e-12);
  EXPECT_NEAR(l.vertices[2].x, 4.0, 1e-12);
  EXPECT_NEAR(l.vertices[2].y, 100.0, 1e-12);

  size_t a = 0, b = 0;
  const std::vector<mod::Vertex> notch = {{0, 0}, {80, 0}, {80, 90}, {40, 40}, {0, 90}, {0, 0}};
  EXPECT_FALSE(mod::sidesCross(notch, a, b));
  const std::vector<mod::Vertex> bowTie = {{0, 0}, {10, 10}, {10, 0}, {0, 10}, {0, 0}};
  EXPECT_TRUE(mod::sidesCross(bowTie, a, b));
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 2u);
}

// Deck numbers are read digit by digit: -2285.47 is the double just beyond the nearest one.
TEST(ModSourceShapes, DeckNumbers) {
  double v = 0;
  ASSERT_TRUE(mod::parseDeckNumber("-2285.47", v));
  EXPECT_EQ(v, std::nextafter(-2285.47, -1e300));
  ASSERT_TRUE(mod::parseDeckNumber("1.5E-3", v));
  EXPECT_EQ(v, 1.5 * std::pow(10.0, -3.0));
  ASSERT_TRUE(mod::parseDeckNumber("1E-4", v));  // no decimal point: accepted all the same
  EXPECT_EQ(v, 1e-4);
  for (const char* bad : {"1.5E31", "1.5.2", "--1", "2x", "", "-", "3*2.0"})
    EXPECT_FALSE(mod::parseDeckNumber(bad, v)) << bad;
}

}  // namespace
