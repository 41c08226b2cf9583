#include "screen/report.h"

#include <gtest/gtest.h>

#include <filesystem>
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
  // The controlling 24-hour value, as the summary gives it (the valley value is 36.31).
  EXPECT_DOUBLE_EQ(cx[0].conc_ug_m3, 131.1);
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

// A summary as the program prints it, with the result lines given.
std::string summaryReport(const std::vector<std::string>& results) {
  std::string t =
      "      ***************************************\n"
      "      *** SUMMARY OF SCREEN MODEL RESULTS ***\n"
      "      ***************************************\n"
      "\n"
      "  CALCULATION        MAX CONC    DIST TO   TERRAIN\n"
      "   PROCEDURE        (UG/M**3)    MAX (M)    HT (M)\n"
      " --------------    -----------   ---------   -------\n";
  for (const auto& l : results) t += l + "\n";
  t += " ***************************************************\n"
       " ** REMEMBER TO INCLUDE BACKGROUND CONCENTRATIONS **\n"
       " ***************************************************\n";
  return t;
}

// The maximum was read from the first two summary lines only: a building-cavity line after the
// complex-terrain line, or a second cavity, was ignored however large.
TEST(Report, MaximumOverEverySummaryLine) {
  auto max = [](const std::vector<std::string>& lines) {
    return screen::summaryMax(screen::parseReport(summaryReport(lines)));
  };
  auto m = max({" SIMPLE TERRAIN       194.5          884.        0.", "",
                " COMPLEX TERRAIN      296.1          500.       45. (24-HR CONC)", "",
                " BLDG. CAVITY-1       3259.           83.       --  (DIST = CAVITY LENGTH)", "",
                " BLDG. CAVITY-2       0.000           29.       --  (DIST = CAVITY LENGTH)"});
  EXPECT_DOUBLE_EQ(m.conc_ug_m3, 3259);
  EXPECT_DOUBLE_EQ(m.distance_m, 83);
  EXPECT_DOUBLE_EQ(m.terrain_m, 0);  // "--"

  // The second line of a cavity pair carries no concentration; the fourth cavity wins.
  m = max({" SIMPLE TERRAIN       491.7          200.        0.", "",
           " BUILDING CAVITY      855.6           50.       --  (SHORTER side ALONG flow;",
           "                                                --  stack nearer upwind face)",
           " BUILDING CAVITY      1081.           50.       --  (SHORTER side ALONG flow;",
           "                                                --  stack nearer dnwind face)",
           " INV BREAKUP FUMI     318.1         4802.       --",
           " SHORELINE FUMI       2155.          318.       --"});
  EXPECT_DOUBLE_EQ(m.conc_ug_m3, 2155);
  EXPECT_DOUBLE_EQ(m.distance_m, 318);

  // A tie keeps the first line in report order.
  m = max({" SIMPLE TERRAIN       296.1          884.       12.",
           " COMPLEX TERRAIN      296.1          500.       45. (24-HR CONC)"});
  EXPECT_DOUBLE_EQ(m.distance_m, 884);
  EXPECT_DOUBLE_EQ(m.terrain_m, 12);

  // The reference cases: the cavity line of io-point-disc-terrain, the second cavity of
  // pt-ss-cavity (1081 after 855.6), the simple-terrain line of fl-rural-elev.
  m = screen::summaryMax(screen::parseReport(sample("pt-ss-cavity")));
  EXPECT_DOUBLE_EQ(m.conc_ug_m3, 1081);
  EXPECT_DOUBLE_EQ(m.distance_m, 50);
  m = screen::summaryMax(screen::parseReport(sample("fl-rural-elev")));
  EXPECT_DOUBLE_EQ(m.conc_ug_m3, 130.4);
  EXPECT_DOUBLE_EQ(m.terrain_m, 37);
}

// A field the program could not print ("*****") was read as 0 and the run ended "三级".
TEST(Report, UnreadableFieldsFailLoudly) {
  const auto r =
      screen::parseReport(summaryReport({" SIMPLE TERRAIN       *********      884.        0."}));
  try {
    screen::summaryMax(r);
    ADD_FAILURE() << "an overflowed field was read";
  } catch (const screen::ReportError& e) {
    EXPECT_EQ(std::string(e.what()), "SCREEN.OUT第8行的数字无法读取：“*********”");
  }
  EXPECT_THROW(screen::distanceLine("   6000.  **********    3     2.0", 40), screen::ReportError);
  EXPECT_THROW(screen::distanceLine("   6000.", 40), screen::ReportError);
  EXPECT_THROW(screen::distanceLine("   6000.    87.1x", 40), screen::ReportError);
  EXPECT_DOUBLE_EQ(screen::fieldAt("   6000.    87.12   3", 10, 11, 1), 87.12);
  EXPECT_THROW(screen::fieldAt("   nan  ", 0, 8, 1), screen::ReportError);
  // A summary with no result line at all.
  EXPECT_THROW(screen::summaryMax(screen::parseReport(summaryReport({"", "  "}))),
               screen::ReportError);

  // The same in a distance block of a reference report.
  std::string text = sample("pt-rural-flat");
  const size_t at = text.find("\n   1000. ");
  ASSERT_NE(at, std::string::npos);
  text.replace(at + 9, 10, " *********");
  EXPECT_THROW(screen::automatedBlocks(screen::parseReport(text)), screen::ReportError);
}

// Every reference report reads without a refused field, and its maximum is one of its summary
// concentrations.
TEST(Report, EveryReferenceReportReads) {
  int n = 0;
  for (const auto& e :
       std::filesystem::directory_iterator(std::string(KUVA_TEST_DATA_DIR) + "/screen3")) {
    const std::string text = sample(e.path().filename().string());
    const screen::Report r = screen::parseReport(text);
    if (!r.has_summary) continue;
    SCOPED_TRACE(e.path().filename().string());
    const auto m = screen::summaryMax(r);
    EXPECT_GT(m.conc_ug_m3, 0);
    EXPECT_NO_THROW(screen::automatedBlocks(r));
    EXPECT_NO_THROW(screen::discreteBlocks(r));
    EXPECT_NO_THROW(screen::complexLines(r));
    ++n;
  }
  EXPECT_GE(n, 15);
}

}  // namespace
