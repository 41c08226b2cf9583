// Averaging periods, groups, emission factors and the files of high values: every result file
// the sample decks name must reproduce the reference files value by value; the rules that are
// easy to get subtly wrong (the 75 % divisor, ties, rank labels, the calendar) are checked on
// their own; and the faults of the reference program are built soundly.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "mod/averages.h"
#include "mod/run.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(KUVA_TEST_DATA_DIR) / "aermod-averages";

// Data lines without trailing blanks; of a summary file only the result lines.
std::vector<std::string> dataLines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  const bool summary = file.extension() == ".sum";
  for (std::string l; std::getline(in, l);) {
    l.erase(l.find_last_not_of(' ') + 1);
    if (l.empty() || l[0] == '*') continue;
    if (summary && l.find("VALUE IS") == std::string::npos) continue;
    lines.push_back(l);
  }
  return lines;
}

fs::path scratch(const std::string& name) {
  const fs::path p =
      fs::temp_directory_path() / ("kuva_mod_avg_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

TEST(ModAverages, EverySampleFileMatchesTheReference) {
  std::ifstream in(kSamples / "index.json");
  ASSERT_TRUE(in) << kSamples;
  const nlohmann::json index = nlohmann::json::parse(in);
  size_t decks = 0, files = 0, lines = 0;
  for (const auto& [name, c] : index.items()) {
    const fs::path src = kSamples / c["folder"].get<std::string>();
    const fs::path work = scratch(name);
    const std::string deck = c["deck"];
    fs::copy_file(src / deck, work / deck);
    for (const auto& m : c["met"])
      fs::copy_file(src / m.get<std::string>(), work / m.get<std::string>());
    std::ostringstream log;
    const mod::RunSummary run =
        mod::runDeck((work / deck).string(), log, 2, (work / (name + ".kout")).string());
    ASSERT_EQ(run.exitCode, 0) << name << ": " << run.error;
    ++decks;
    EXPECT_TRUE(fs::file_size(work / (name + ".kout")) > 1000) << name << ": main output";
    for (const auto& o : c["outputs"]) {
      const std::string file = o;
      const std::vector<std::string> want = dataLines(src / file), got = dataLines(work / file);
      ++files;
      EXPECT_EQ(got.size(), want.size()) << name << " " << file;
      int shown = 0;
      for (size_t i = 0; i < std::min(want.size(), got.size()); ++i) {
        ++lines;
        if (got[i] != want[i] && shown++ < 3)
          ADD_FAILURE() << name << " " << file << " data line " << i + 1 << "\n  want: " << want[i]
                        << "\n  got:  " << got[i];
      }
    }
    fs::remove_all(work);
  }
  EXPECT_EQ(decks, 5u);
  EXPECT_EQ(files, 63u);
  EXPECT_EQ(lines, 12983u);  // 12,487 file lines and 496 summary result lines
}

TEST(ModAverages, DivisorFlagsRanksAndCalendar) {
  // round(0.75·n + 0.4) is the least divisor; more valid hours divide by themselves.
  struct {
    int n, calm, missing, divisor;
  } const blocks[] = {{24, 0, 0, 24}, {24, 2, 9, 18},   {24, 0, 24, 18},    {24, 3, 0, 21},
                      {18, 0, 0, 18}, {18, 5, 0, 14},   {8, 2, 1, 6},       {3, 1, 0, 3},
                      {2, 1, 0, 2},   {744, 0, 0, 744}, {744, 200, 0, 558}, {696, 0, 696, 522}};
  for (const auto& b : blocks)
    EXPECT_EQ(mod::blockDivisor(b.n, b.calm, b.missing), b.divisor) << b.n << " " << b.calm;
  EXPECT_EQ(mod::blockFlag(0, 0), ' ');
  EXPECT_EQ(mod::blockFlag(1, 0), 'c');
  EXPECT_EQ(mod::blockFlag(0, 2), 'm');
  EXPECT_EQ(mod::blockFlag(3, 2), 'b');

  // Strictly greater enters, below every equal value: the earlier block keeps the better rank.
  mod::RankEntry list[3];
  EXPECT_TRUE(mod::offer(list, 3, {5.0, 101, ' ', 0}));
  EXPECT_TRUE(mod::offer(list, 3, {5.0, 102, ' ', 0}));
  EXPECT_TRUE(mod::offer(list, 3, {7.0, 103, ' ', 0}));
  EXPECT_FALSE(mod::offer(list, 3, {5.0, 104, ' ', 0}));  // equal to the last: stays out
  EXPECT_FALSE(mod::offer(list, 3, {0.0, 105, ' ', 0}));
  EXPECT_EQ(list[0].date, 103);
  EXPECT_EQ(list[1].date, 101);
  EXPECT_EQ(list[2].date, 102);

  for (const auto& [k, label] : std::vector<std::pair<int, std::string>>{{1, "  1ST"},
                                                                         {3, "  3RD"},
                                                                         {10, " 10TH"},
                                                                         {11, " 11TH"},
                                                                         {19, " 19TH"},
                                                                         {21, " 21ST"},
                                                                         {22, " 22ND"},
                                                                         {100, "100TH"},
                                                                         {112, "112TH"}})
    EXPECT_EQ(mod::rankLabel(k), label) << k;

  EXPECT_EQ(mod::dayOfWeek(2024, 1, 1), 1);  // Monday
  EXPECT_EQ(mod::dayOfWeek(2023, 1, 1), 0);  // Sunday
  EXPECT_EQ(mod::dayOfWeek(2000, 2, 29), 2);
  EXPECT_EQ(mod::dayOfWeek(2100, 3, 1), 1);
  EXPECT_EQ(mod::julianDay(2024, 3, 1), 61);
  EXPECT_EQ(mod::julianDay(2100, 3, 1), 60);  // 2100 is a common year
  // A year starting on 1 March ends on 29 February only in leap years; other end days stay.
  EXPECT_EQ(mod::yearEndDay(2, 29, 2100), 28);
  EXPECT_EQ(mod::yearEndDay(2, 29, 2000), 29);
  EXPECT_EQ(mod::yearEndDay(12, 31, 2100), 31);
  EXPECT_EQ(mod::yearEndDay(2, 28, 2100), 28);

  // Factor index: hour, season, day of week, wind class.
  mod::EmissionFactors hrdow7{mod::FactorType::HourDow7, {}, 0};
  for (int i = 1; i <= 168; ++i) hrdow7.f.push_back(i);
  const double cats[5] = {1, 2, 3, 4.5, 6};
  EXPECT_EQ(mod::emissionFactor(hrdow7, 2024, 1, 7, 5, 0, cats), 5 + 24 * 6);  // a Sunday
  mod::EmissionFactors ws{mod::FactorType::WindSpeed, {1, 2, 3, 4, 5, 6}, 0};
  EXPECT_EQ(mod::emissionFactor(ws, 2024, 1, 7, 5, 2.0, cats), 2);
  EXPECT_EQ(mod::emissionFactor(ws, 2024, 1, 7, 5, 6.01, cats), 6);
  mod::EmissionFactors mhrdow{mod::FactorType::MonthHourDow, {}, 0};
  for (int i = 1; i <= 864; ++i) mhrdow.f.push_back(i);
  EXPECT_EQ(mod::emissionFactor(mhrdow, 2024, 12, 7, 24, 0, cats), 24 + 24 * 11 + 288 * 1);
}

// The m1 sample deck with some cards replaced, run in a scratch folder.
struct Variant {
  fs::path dir;
  mod::RunSummary run;
};
Variant runM1(const std::string& name,
              const std::vector<std::pair<std::string, std::string>>& edits) {
  Variant v{scratch(name), {}};
  const fs::path src = kSamples / "m1_blocks";
  for (const char* f : {"m1_blocks.sfc", "m1_blocks.pfl"}) fs::copy_file(src / f, v.dir / f);
  std::ifstream in(src / "m1_blocks.inp");
  std::ofstream out(v.dir / "m1_blocks.inp");
  for (std::string l; std::getline(in, l);) {
    for (const auto& [from, to] : edits)
      if (l.find(from) != std::string::npos) l = to;
    out << l << '\n';
  }
  out.close();
  std::ostringstream log;
  v.run = mod::runDeck((v.dir / "m1_blocks.inp").string(), log, 2);
  return v;
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ModAverages, FaultsOfTheReferenceAreBuiltSoundly) {
  // A month whose last day DAYRANGE leaves out closes at its last processed hour instead of
  // running on into February.
  Variant gap = runM1("gap", {{"STARTEND  2024", "   DAYRANGE  1-30  32-60"}});
  ASSERT_EQ(gap.run.exitCode, 0) << gap.run.error;
  const std::vector<std::string> month = dataLines(gap.dir / "m1_all_mon.pst");
  ASSERT_EQ(month.size(), 40u);  // January and February, 20 receptors each
  EXPECT_NE(month[0].find("24013024"), std::string::npos) << month[0];
  EXPECT_NE(month[20].find("24022924"), std::string::npos) << month[20];
  EXPECT_NE(slurp(gap.dir / "m1_blocks_errors.out").find("closes at its last processed hour"),
            std::string::npos);

  // Every hour missing (20 Feb): PERIOD values are 0 with a message, never NaN.
  Variant missing =
      runM1("missing", {{"STARTEND  2024", "   STARTEND  2024 02 20 01  2024 02 20 24"}});
  ASSERT_EQ(missing.run.exitCode, 0) << missing.run.error;
  for (const std::string& l : dataLines(missing.dir / "m1_all_per.pst"))
    EXPECT_NE(l.find(" 0.000000E+00 "), std::string::npos) << l;
  EXPECT_NE(slurp(missing.dir / "m1_blocks_errors.out").find("PERIOD values are 0"),
            std::string::npos);
  // The PERIOD header keeps its "0 YEARS" text, which readers may match.
  EXPECT_NE(slurp(missing.dir / "m1_all_per.plt").find("AVERAGED ACROSS   0 YEARS"),
            std::string::npos);

  // A RANKFILE without MAXTABLE for its period still ranks: the same lines as with one.
  Variant rank = runM1("rank", {{"MAXTABLE", "** no MAXTABLE"}});
  ASSERT_EQ(rank.run.exitCode, 0) << rank.run.error;
  EXPECT_EQ(dataLines(rank.dir / "m1_24h.rnk"), dataLines(kSamples / "m1_blocks" / "m1_24h.rnk"));

  // FILEFORM FIX: a value too large for F13.5 is written in exponent form, not as asterisks.
  Variant fix = runM1("fix", {{"FILEFORM", "   FILEFORM  FIX"},
                              {"SRCPARAM  STK3", "   SRCPARAM  STK3  1.5E9  18.0  0.0  4.0  0.8"}});
  ASSERT_EQ(fix.run.exitCode, 0) << fix.run.error;
  const std::string plot = slurp(fix.dir / "m1_all_01h_1st.plt");
  EXPECT_EQ(plot.find("*****"), std::string::npos);
  EXPECT_NE(plot.find("E+"), std::string::npos);
  EXPECT_NE(slurp(fix.dir / "m1_blocks_errors.out").find("do not fit FILEFORM FIX"),
            std::string::npos);
  // Ranked tables that would not fit in memory are refused before the run starts.
  Variant big = runM1("big", {{"XYINC", "   GRIDCART  GRD1  XYINC  0.0 300 10.0  0.0 300 10.0"},
                              {"RECTABLE  ALLAVE", "   RECTABLE  ALLAVE  1-999"}});
  EXPECT_NE(big.run.error.find("the ranked tables of this deck would need"), std::string::npos)
      << big.run.error;
  for (const fs::path& p : {gap.dir, missing.dir, rank.dir, fix.dir, big.dir}) fs::remove_all(p);
}

}  // namespace
