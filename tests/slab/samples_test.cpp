// Every sample deck reproduces every line of its reference listing, character for character; and
// the numbers the library returns agree with what the listing prints.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "slab/slab.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(KUVA_TEST_DATA_DIR) / "slab";

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

slab::Result runSample(const std::string& name, const slab::Options& o = {}) {
  const slab::DeckRead d = slab::readDeck(readFile(kSamples / name / "input"));
  EXPECT_EQ(d.status, slab::Status::Ok) << d.message;
  return slab::run(d.deck, o);
}

TEST(SlabSamples, EveryListingLineMatchesTheReference) {
  size_t decks = 0, total = 0;
  for (const auto& dir : fs::directory_iterator(kSamples)) {
    if (!dir.is_directory()) continue;
    const std::string name = dir.path().filename().string();
    const slab::Result r = runSample(name);
    ASSERT_EQ(r.status, slab::Status::Ok) << name << ": " << r.message;
    const auto got = lines(slab::listing(r));
    const auto want = lines(readFile(dir.path() / "predict"));
    EXPECT_EQ(got.size(), want.size()) << name;
    size_t bad = 0;
    for (size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
      if (got[i] != want[i] && ++bad <= 5) {
        ADD_FAILURE() << name << " line " << i + 1 << "\n got: " << got[i] << "\nwant: " << want[i];
      }
    }
    EXPECT_EQ(bad, 0u) << name;
    total += want.size();
    ++decks;
  }
  EXPECT_EQ(decks, 4u);
  std::cout << "[ slab ] " << decks << " decks, " << total << " listing lines compared\n";
}

// The library's rows are the printed numbers; the contour table of a puff prints row 7's
// along-wind half length on every row, the rows themselves keep their own.
TEST(SlabSamples, RowsCarryTheirOwnValues) {
  const slab::Result r = runSample("puff-nh3-twophase-unstable");
  ASSERT_EQ(r.status, slab::Status::Ok);
  const slab::RunResult& run = r.runs.at(0);
  ASSERT_TRUE(run.puffForm);
  EXPECT_NE(run.contour[1].bx, run.contour[6].bx);
  EXPECT_DOUBLE_EQ(run.tav, 1.0);  // an averaging time of 0 is used as 1 s
  for (const slab::ConcRow& c : run.conc) EXPECT_GE(c.tcld, run.tsd);
}

// Sound mode starts the second meteorology set from the deck: the pool stays a pool (the
// reference carries the switch to a puff, and the listing shows it).
TEST(SlabSamples, FreshStatePerMeteorologySet) {
  const slab::Result carried = runSample("pool-cl2-2met");
  ASSERT_EQ(carried.status, slab::Status::Ok);
  ASSERT_EQ(carried.runs.size(), 2u);
  ASSERT_EQ(carried.runs[1].summaries.size(), 2u);
  EXPECT_EQ(carried.runs[1].summaries[1].idspl, 4);

  slab::Options fresh;
  fresh.carryStateBetweenSets = false;
  const slab::Result r = runSample("pool-cl2-2met", fresh);
  ASSERT_EQ(r.status, slab::Status::Ok);
  // The first set does not depend on the mode.
  EXPECT_EQ(r.runs[0].cloud[60].x, carried.runs[0].cloud[60].x);
  // The second set of the fresh run equals a one-set deck with that weather.
  slab::Deck single = slab::readDeck(readFile(kSamples / "pool-cl2-2met" / "input")).deck;
  single.mets.erase(single.mets.begin());
  const slab::Result alone = slab::run(single);
  ASSERT_EQ(alone.status, slab::Status::Ok);
  EXPECT_EQ(slab::listing(alone).substr(0, 100), slab::listing(r).substr(0, 100));
  EXPECT_EQ(r.runs[1].cloud[60].x, alone.runs[0].cloud[60].x);
  EXPECT_EQ(r.runs[1].contour[1].t, alone.runs[0].contour[1].t);
}

// Concentrations without printing: the peak at a row equals its printed value, the farthest
// distance of a level lies between the rows that bracket it, and a receptor sees the cloud pass.
TEST(SlabSamples, ConcentrationHelpers) {
  const slab::Result r = runSample("hjet-cl2-ground-worstcase");
  ASSERT_EQ(r.status, slab::Status::Ok);
  const slab::RunResult& run = r.runs.at(0);
  const slab::ConcRow& row = run.conc[30];
  EXPECT_NEAR(slab::peakConcentration(run, row.x, 0, 0), row.cz[0][0], 1e-6 * row.cz[0][0]);
  EXPECT_NEAR(slab::peakConcentration(run, row.x, row.bbc, 0), row.cz[0][2], 1e-6 * row.cz[0][0]);

  const double level = 0.5 * (run.conc[40].cz[0][0] + run.conc[41].cz[0][0]);
  const slab::Reach reach = slab::farthestDistance(run, level, 0);
  ASSERT_TRUE(reach.found);
  EXPECT_FALSE(reach.beyondLastRow);
  EXPECT_GT(reach.x, run.conc[40].x);
  EXPECT_LT(reach.x, run.conc[41].x);
  EXPECT_FALSE(slab::farthestDistance(run, 2.0, 0).found);

  // A receptor on the axis at row 45: nothing before the cloud arrives, most near its time of
  // maximum, and the time-series peak is no larger than the peak over the passage.
  const slab::ConcRow& at = run.conc[45];
  std::vector<double> times;
  for (double t = 0; t <= 3 * at.tmax; t += at.tmax / 50) times.push_back(t);
  const std::vector<double> c = slab::receptorSeries(run, at.x, 0, 0, times);
  EXPECT_EQ(c.front(), 0.0);
  const double peak = *std::max_element(c.begin(), c.end());
  EXPECT_GT(peak, 0.2 * at.cz[0][0]);
  EXPECT_LT(peak, 2.5 * at.cz[0][0]);
}

}  // namespace
