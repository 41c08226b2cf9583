// The dialogue: re-asked answers, start-overs, the end of the answers and the places where the
// engine behaves soundly where the sample program did not.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>

#include "report_compare.h"
#include "run_helpers.h"
#include "screen/engine/report.h"

using namespace screen::engine;
using namespace screen::engine::testing;

namespace {

// A rural point source, flat terrain, class D at 5 m/s, discrete 500 m; no fumigation asked
// (stack below 10 m).
const std::string kPointTail =
    " 9\n 1\n 5\n 400\n 293\n 0\nR\nN\nN\nN\n 3\n 4\n 5\nN\nY\n 500\n 0\nN\n";

}  // namespace

TEST(Dialogue, AnswersEndingEarlyStopWithAnErrorAndKeepTheFiles) {
  const InMemoryRun r = runText("TITLE\nP\n 1\n 9\n");
  EXPECT_EQ(r.result.exitCode, 2);
  EXPECT_TRUE(contains(r.result.error, "ended"));
  EXPECT_TRUE(contains(r.echo, "TITLE"));
  EXPECT_TRUE(contains(r.echo, "   9.00000    \n"));

  // ending in the middle of a two-value answer, after the report was started
  const InMemoryRun mid = runText("T\nP\n 1\n 9\n 1\n 5\n 400\n 293\n 0\nR\nN\nN\nN\n 1\nY\n 5,\n");
  EXPECT_EQ(mid.result.exitCode, 2);
  EXPECT_TRUE(contains(mid.report, " *** FULL METEOROLOGY ***"));
}

namespace {

// An endless stream of zero bytes with no line feed, as from /dev/zero.
class ZeroBuffer : public std::streambuf {
 public:
  ZeroBuffer() { setg(m_zeros, m_zeros, m_zeros + sizeof m_zeros); }
  size_t served() const { return m_refills * sizeof m_zeros; }

 protected:
  int_type underflow() override {
    ++m_refills;
    setg(m_zeros, m_zeros, m_zeros + sizeof m_zeros);
    return 0;
  }

 private:
  char m_zeros[1024] = {};
  size_t m_refills = 0;
};

}  // namespace

TEST(Dialogue, EndlessAnswerLineIsRefusedPromptly) {
  ZeroBuffer zeros;
  std::istream in(&zeros);
  std::ostringstream console, report, echo;
  const RunResult r = runScreen(in, console, report, echo, RunOptions{"20260101", "120000.0"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(contains(r.error, "longer than 4096 characters")) << r.error;
  EXPECT_LE(zeros.served(), 8u * 1024u);

  // the same in a later answer, after the report was started: the files keep what was written
  const InMemoryRun later = runText("T\nP\n 1\n 9\n 1\n 5\n 400\n 293\n 0\nR\nN\nN\nN\n 1\nY\n" +
                                    std::string(20000, '5') + "\n 1000\n");
  EXPECT_EQ(later.result.exitCode, 3);
  EXPECT_TRUE(contains(later.report, " *** FULL METEOROLOGY ***"));
}

TEST(Dialogue, CompleteScriptSucceeds) {
  const InMemoryRun r = runText("T\nP\n 1\n" + kPointTail);
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  EXPECT_TRUE(contains(r.report, " *** STABILITY CLASS  4 ONLY ***"));
  EXPECT_TRUE(contains(r.report, "    500. "));
  EXPECT_TRUE(contains(r.report, " SIMPLE TERRAIN "));
  EXPECT_TRUE(contains(r.console, "THE RESULTS OF THIS RUN ARE IN FILE"));
}

TEST(Dialogue, DepositionCodeIsRefusedButALaterLineIsAccepted) {
  const InMemoryRun r = runText("T\nPDEP\nP\n 1\n" + kPointTail);
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  EXPECT_TRUE(contains(r.echo, std::string("PDEP \0     10.0 \0\0\nP    \0", 25)));
}

TEST(Dialogue, NegativeExitVelocityStartsOver) {
  // the velocity -5 is echoed, refused, and the questions start again from the emission rate
  const InMemoryRun r = runText("T\nP\n 1\n 9\n 1\n-5\n 2\n" + kPointTail);
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  EXPECT_TRUE(contains(r.console, "YOU HAVE ENTERED AN UNACCEPTABLE VALUE.  START OVER."));
  EXPECT_TRUE(contains(r.echo, "  -5.00000    \n   2.00000    \n"));
  EXPECT_TRUE(contains(r.report, "    STK EXIT VELOCITY (M/S)=       5.0000"));
}

TEST(Dialogue, UnreadableVelocityShowsTheOptionBox) {
  const InMemoryRun r = runText(
      "T\nP\n 1\n 9\n 1\nVM=abc\nVM=0.5\n 400\n 293\n 0\nR\nN\nN\nN\n 3\n 4\n 5\nN\nN\nN\n");
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  EXPECT_TRUE(contains(r.console, "THE OPTION CAN NOT BE PROCESSED"));
  EXPECT_TRUE(contains(r.report, "    VOLUME FLOW RATE =  0.50000000     (M**3/S) "));
}

TEST(Dialogue, SchulmanScirePositionIsReaskedWhenNotANumber) {
  const std::string script =
      "T\nP SS\n 1\n 30\n 1\n 10\n 400\n 293\n 0\nR\nY\n 20\n 30\n 50\nN\nN\n 1\nN\nN\nN\nabc\n "
      "0.3\n 0.2\nN\nN\n";
  const InMemoryRun r = runText(script);
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  EXPECT_TRUE(contains(r.report, " Stack x/L (LONGER side ALONG flow) =   0.300000012    "));
  EXPECT_TRUE(contains(r.report, " BUILDING CAVITY "));
}

TEST(Dialogue, StackTopInsideTheBuildingIsAnInputError) {
  const std::string script =
      "T\nP SS\n 1\n 10\n 1\n 10\n 400\n 293\n 0\nR\nY\n 20\n 30\n 50\nN\nN\n 1\nN\nN\nN\n 0.3\n "
      "0.2\nN\n";
  const InMemoryRun r = runText(script);
  EXPECT_EQ(r.result.exitCode, 3);
  EXPECT_TRUE(contains(r.result.error, "inside the building"));
  EXPECT_FALSE(contains(r.report, "SUMMARY OF SCREEN MODEL RESULTS"));
}

TEST(Dialogue, NarrowBuildingCavityIsNotApplicableInsteadOfMinus999) {
  // H_b = 100, L_1 = 10, L_2 = 60: the longer-side cases have w/h <= 0.2
  const std::string script =
      "T\nP SS\n 1\n 120\n 1\n 10\n 400\n 293\n 0\nR\nY\n 100\n 10\n 60\nN\nN\n 1\nN\nN\nN\n 0.3\n "
      "0.2\nN\nN\n";
  const InMemoryRun r = runText(script);
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  EXPECT_TRUE(contains(r.report, "WARNING -- W/H le 0.2"));
  EXPECT_FALSE(contains(r.report, "-999"));
}

TEST(Dialogue, RegulatoryCavitySummaryShowsBothCasesWhenEitherIsPositive) {
  SummaryData s;
  s.cavity.resize(2);
  s.cavity[0].length_m = 40.0f;
  s.cavity[1].conc = 123.4f;
  s.cavity[1].length_m = 20.0f;
  std::ostringstream report, console;
  Output out(report, console);
  writeSummary(out, s);
  EXPECT_TRUE(contains(
      report.str(), " BLDG. CAVITY-1       0.000           40.       --  (DIST = CAVITY LENGTH)"));
  EXPECT_TRUE(contains(
      report.str(), " BLDG. CAVITY-2       123.4           20.       --  (DIST = CAVITY LENGTH)"));
}

TEST(Dialogue, ElevatedTerrainSummaryKeepsEveryRecord) {
  // 60 discrete distances at one terrain height: the sample program has room for 50 records only
  std::string script = "T\nV\n 1\n 10\n 5\n 3\n 0\nR\nY\n 3\n 4\n 5\nN\nY\n 2\n";
  for (int i = 1; i <= 60; ++i) script += " " + std::to_string(100 * i) + "\n";
  script += " 0\nN\nN\n";
  const InMemoryRun r = runText(script);
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  size_t rows = 0;
  const std::string discreteRow = "         --\n";
  for (size_t p = r.report.find(discreteRow); p != std::string::npos;
       p = r.report.find(discreteRow, p + 1))
    ++rows;
  EXPECT_EQ(rows, 60u);
  EXPECT_TRUE(contains(r.report, "            2.         6000.         --\n"));
}

TEST(Dialogue, DiscreteBannerShownOnceOnTheConsole) {
  // two discrete blocks at different terrain heights: the report repeats the banner for each
  // block, the console shows it once, before the first terrain question
  const InMemoryRun r = runText(
      "T\nV\n 1\n 10\n 5\n 3\n 0\nR\nY\n 3\n 4\n 5\nN\nY\n 2\n 100\n 0\nY\n 4\n 200\n 0\nN\nN\n");
  ASSERT_EQ(r.result.exitCode, 0) << r.result.error;
  const std::string banner = " *** SCREEN DISCRETE DISTANCES ***\n";
  const auto count = [&](const std::string& text) {
    size_t n = 0;
    for (size_t p = text.find(banner); p != std::string::npos; p = text.find(banner, p + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(r.report), 2u);
  EXPECT_EQ(count(r.console), 1u);
  const size_t cease = r.console.find(" TO CEASE, ENTER A DISTANCE OF ZERO (0).");
  const size_t shown = r.console.find(banner);
  const size_t terrain = r.console.find(" ENTER TERRAIN HEIGHT ABOVE STACK BASE (M):", cease);
  ASSERT_NE(cease, std::string::npos);
  EXPECT_LT(cease, shown);
  EXPECT_LT(shown, terrain);
}

TEST(Dialogue, ManyDistancesKeepTheLandUse) {
  // the 110th discrete distance of an urban run is computed with the urban curves
  std::string many = "T\nV\n 1\n 10\n 5\n 3\n 0\nU\nN\n 3\n 4\n 5\nN\nY\n";
  for (int i = 1; i <= 109; ++i) many += " " + std::to_string(100 + i) + "\n";
  many += " 4750\n 0\nN\n";
  const InMemoryRun r = runText(many);
  const InMemoryRun one =
      runText("T\nV\n 1\n 10\n 5\n 3\n 0\nU\nN\n 3\n 4\n 5\nN\nY\n 4750\n 0\nN\n");
  ASSERT_EQ(r.result.exitCode, 0);
  const size_t a = r.report.find("\n   4750. ");
  const size_t b = one.report.find("\n   4750. ");
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(b, std::string::npos);
  EXPECT_EQ(r.report.substr(a, 80), one.report.substr(b, 80));
}

TEST(Dialogue, HardcopyWritesAPrintFile) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("kuva_screen_prn_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::istringstream in("T\nP\n 1\n" + kPointTail.substr(0, kPointTail.size() - 2) + "Y\n");
  std::ostringstream console;
  const RunResult r = runScreenInDir(in, console, dir);
  ASSERT_EQ(r.exitCode, 0) << r.error;
  const auto lines = readLines(dir / "PRN");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().size(), 80u);
  EXPECT_EQ(lines.back(), " \f");
  EXPECT_EQ(readLines(dir / "SCREEN.OUT").size() + 1, lines.size());
  fs::remove_all(dir);
}
