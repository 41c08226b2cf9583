#include "screen/report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string sample(const std::string& name) {
  std::ifstream in(std::string(KUVA_TEST_DATA_DIR) + "/screen3/" + name + "/SCREEN.OUT",
                   std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Report, MultiRangePointWithComplexTerrain) {
  const std::string text = sample("io-point-multirange");
  ASSERT_FALSE(text.empty());
  const screen::Report r = screen::parseReport(text);
  EXPECT_EQ(r.automated.size(), 3u);
  EXPECT_TRUE(r.discrete.empty());
  EXPECT_EQ(r.complex_count, 2);
  EXPECT_EQ(r.text, text);

  const auto blocks = screen::automatedBlocks(r);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_DOUBLE_EQ(blocks[0].terrain_m, 0);
  EXPECT_DOUBLE_EQ(blocks[1].terrain_m, 10);
  ASSERT_EQ(blocks[0].rows.size(), 21u);  // 1, 100, ..., 2000 m
  EXPECT_DOUBLE_EQ(blocks[0].rows[1].distance_m, 100);
  EXPECT_DOUBLE_EQ(blocks[0].rows[1].conc_ug_m3, 0.1543E-07);
  EXPECT_DOUBLE_EQ(blocks[0].rows[8].conc_ug_m3, 243.8);
  EXPECT_DOUBLE_EQ(blocks[0].rows.back().distance_m, 2000);

  const auto cx = screen::complexLines(r);
  ASSERT_EQ(cx.size(), 2u);
  EXPECT_DOUBLE_EQ(cx[0].terrain_m, 80);
  EXPECT_DOUBLE_EQ(cx[0].distance_m, 2000);
  EXPECT_DOUBLE_EQ(cx[0].conc_ug_m3, 36.31);  // the valley 24-hour value
  EXPECT_DOUBLE_EQ(cx[1].distance_m, 5000);

  // Simple terrain 247.9 beats the complex-terrain 131.1 of the second summary line.
  const auto m = screen::summaryMax(r);
  EXPECT_DOUBLE_EQ(m.conc_ug_m3, 247.9);
  EXPECT_DOUBLE_EQ(m.distance_m, 751);
  EXPECT_DOUBLE_EQ(m.terrain_m, 0);
}

TEST(Report, ComplexCountFromTheNextRunBanner) {
  const screen::Report r = screen::parseReport(sample("pt-complex"));
  EXPECT_EQ(r.complex_count, 4);
  const auto cx = screen::complexLines(r);
  ASSERT_EQ(cx.size(), 4u);
  EXPECT_DOUBLE_EQ(cx[3].terrain_m, 200);
  EXPECT_DOUBLE_EQ(cx[3].distance_m, 5000);
  EXPECT_DOUBLE_EQ(cx[3].conc_ug_m3, 50.09);
}

// Concentrations of 1e5 ug/m3 and more are printed in exponent form; cutting the field short
// dropped the exponent and gave values a million times too small.
TEST(Report, ReadsExponentFormConcentrations) {
  const screen::Report r = screen::parseReport(sample("io-area-square-fixed"));
  const auto blocks = screen::automatedBlocks(r);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_DOUBLE_EQ(blocks[0].rows[1].conc_ug_m3, 0.1590E+05);
  const auto m = screen::summaryMax(r);
  EXPECT_DOUBLE_EQ(m.conc_ug_m3, 0.2352E+05);
  EXPECT_DOUBLE_EQ(m.distance_m, 48);

  const auto row =
      screen::distanceLine("     10.   0.1386E+06    6     1.0    1.0 10000.0    2.00      2.");
  EXPECT_DOUBLE_EQ(row.distance_m, 10);
  EXPECT_DOUBLE_EQ(row.conc_ug_m3, 0.1386E+06);
  EXPECT_DOUBLE_EQ(screen::numberAt(" SIMPLE TERRAIN      0.1386E+06       10.        0.", 19, 12),
                   0.1386E+06);
}

TEST(Report, DiscreteBlocksTakeTheirTerrainHeight) {
  const screen::Report r = screen::parseReport(sample("io-point-disc-terrain"));
  const auto blocks = screen::discreteBlocks(r);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_DOUBLE_EQ(blocks[1].terrain_m, 15);
  ASSERT_EQ(blocks[1].rows.size(), 2u);
  EXPECT_DOUBLE_EQ(blocks[1].rows[0].distance_m, 800);
  EXPECT_DOUBLE_EQ(blocks[1].rows[0].conc_ug_m3, 560.2);
  EXPECT_DOUBLE_EQ(blocks[1].rows[1].distance_m, 1500);
  // The cavity line (3947) follows the simple-terrain line and wins the summary choice.
  const auto m = screen::summaryMax(r);
  EXPECT_DOUBLE_EQ(m.conc_ug_m3, 3947);
  EXPECT_DOUBLE_EQ(m.distance_m, 83);
}

// The "iteration stopped" note after a range ends the block's result lines.
TEST(Report, AutomatedBlockStopsAtTheIterationNote) {
  const screen::Report r = screen::parseReport(sample("pt-iter-limit"));
  const auto blocks = screen::automatedBlocks(r);
  ASSERT_FALSE(blocks.empty());
  EXPECT_DOUBLE_EQ(blocks[0].rows.back().distance_m, 300);
}

TEST(Report, MissingMarkersGiveEmptyResults) {
  const screen::Report r = screen::parseReport("no report\r\nhere\r\n");
  EXPECT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], "no report");
  EXPECT_TRUE(screen::automatedBlocks(r).empty());
  EXPECT_TRUE(screen::complexLines(r).empty());
  EXPECT_DOUBLE_EQ(screen::summaryMax(r).conc_ug_m3, 0);
}

}  // namespace
