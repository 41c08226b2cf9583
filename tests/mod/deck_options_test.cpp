// Deck options the samples do not use: source groups summing several sources, a Cartesian grid,
// fixed-point concentrations, the default-option form of flat terrain, and a check-only run.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "mod/run.h"

namespace fs = std::filesystem;

namespace {

class DeckOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kuva_mod_options_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path met = fs::path(KUVA_TEST_DATA_DIR) / "aermod" / "a1_nws";
    fs::copy_file(met / "a1_nws.sfc", dir_ / "m.sfc");
    fs::copy_file(met / "a1_nws.pfl", dir_ / "m.pfl");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs a deck made of the given CO options and OU lines around fixed SO, RE and ME pathways.
  mod::RunSummary run(const std::string& modelopt, const std::string& runornot,
                      const std::string& ou) {
    std::ofstream(dir_ / "d.inp") << "CO STARTING\n   MODELOPT " << modelopt
                                  << "\n   AVERTIME 1\n   POLLUTID OTHER\n   RUNORNOT " << runornot
                                  << "\nCO FINISHED\n"
                                     "SO STARTING\n"
                                     "   LOCATION SHORT POINT 0.0 0.0 0.0\n"
                                     "   LOCATION WET POINT 40.0 -25.0 0.0\n"
                                     "   SRCPARAM SHORT 1.0 20.0 500.0 12.0 0.6\n"
                                     "   SRCPARAM WET 12.5 80.0 318.15 12.0 7.5\n"
                                     "   SRCGROUP BOTH WET SHORT\n"
                                     "   SRCGROUP SHORT SHORT\n"
                                     "   SRCGROUP WET WET\n"
                                     "SO FINISHED\n"
                                     "RE STARTING\n"
                                     "   GRIDCART G1 STA\n"
                                     "   GRIDCART G1 XYINC -300.0 3 300.0 -500.0 2 1000.0\n"
                                     "   GRIDCART G1 END\n"
                                     "RE FINISHED\n"
                                     "ME STARTING\n   SURFFILE m.sfc\n   PROFFILE m.pfl\n"
                                     "ME FINISHED\n"
                                     "OU STARTING\n"
                                  << ou << "OU FINISHED\n";
    std::ostringstream log;
    return mod::runDeck((dir_ / "d.inp").string(), log, 2);
  }

  std::vector<std::vector<std::string>> rows(const std::string& file) const {
    std::ifstream in(dir_ / file);
    std::vector<std::vector<std::string>> out;
    for (std::string l; std::getline(in, l);) {
      if (l.empty() || l[0] == '*') continue;
      std::istringstream words(l);
      out.emplace_back(std::istream_iterator<std::string>(words),
                       std::istream_iterator<std::string>());
    }
    return out;
  }

  fs::path dir_;
};

TEST_F(DeckOptions, GroupsSumTheirSourcesOnAGridRowByRow) {
  const mod::RunSummary r = run("CONC FLAT", "RUN",
                                "   FILEFORM EXP\n"
                                "   POSTFILE 1 BOTH PLOT both.pst\n"
                                "   POSTFILE 1 SHORT PLOT short.pst\n"
                                "   POSTFILE 1 WET PLOT wet.pst\n");
  ASSERT_EQ(r.exitCode, 0) << r.error;
  const auto both = rows("both.pst"), shortStack = rows("short.pst"), wet = rows("wet.pst");
  ASSERT_EQ(both.size(), 24u * 6u);
  // x varies fastest: (-300,-500) (0,-500) (300,-500) (-300,500) …
  EXPECT_EQ(both[1][0], "0.00000");
  EXPECT_EQ(both[3][1], "500.00000");
  EXPECT_EQ(both[0][8], "23072101");
  EXPECT_EQ(both[0][9], "G1");
  double largest = 0;
  for (size_t i = 0; i < both.size(); ++i) {
    const double sum = std::stod(shortStack[i][2]) + std::stod(wet[i][2]);
    EXPECT_NEAR(std::stod(both[i][2]), sum, 1e-5 * sum) << "line " << i + 1;
    largest = std::max(largest, sum);
  }
  EXPECT_GT(largest, 0.0);
}

TEST_F(DeckOptions, DefaultOptionsWithZeroElevationsMatchFlatTerrain) {
  ASSERT_EQ(run("CONC FLAT", "RUN", "   POSTFILE 1 BOTH PLOT flat.pst\n").exitCode, 0);
  ASSERT_EQ(run("DFAULT CONC", "RUN", "   POSTFILE 1 BOTH PLOT dfault.pst\n").exitCode, 0);
  const auto flat = rows("flat.pst");
  EXPECT_EQ(flat, rows("dfault.pst"));
  // Without FILEFORM EXP the concentrations are fixed-point with five decimals.
  EXPECT_EQ(flat[0][2].find('E'), std::string::npos);
  EXPECT_EQ(flat[0][2].size() - flat[0][2].find('.'), 6u);
}

TEST_F(DeckOptions, CheckOnlyRunWritesNothing) {
  const mod::RunSummary r = run("CONC FLAT", "NOT", "   POSTFILE 1 BOTH PLOT none.pst\n");
  EXPECT_EQ(r.exitCode, 0) << r.error;
  EXPECT_FALSE(fs::exists(dir_ / "none.pst"));
}

}  // namespace
