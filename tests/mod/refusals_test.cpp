// Input the engine does not support, or that is broken, is refused with the file and line at
// fault; nothing is computed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "mod/run.h"

namespace fs = std::filesystem;

namespace {

const char* const kDeck[] = {
    "CO STARTING",                                   // 1
    "   MODELOPT  CONC  FLAT",                       // 2
    "   AVERTIME  1",                                // 3
    "   POLLUTID  OTHER",                            // 4
    "   RUNORNOT  RUN",                              // 5
    "CO FINISHED",                                   // 6
    "SO STARTING",                                   // 7
    "   LOCATION  S1  POINT  0.0  0.0  0.0",         // 8
    "   SRCPARAM  S1  1.0  20.0  500.0  12.0  0.6",  // 9
    "   SRCGROUP  ALL",                              // 10
    "SO FINISHED",                                   // 11
    "RE STARTING",                                   // 12
    "   DISCCART  100.0  0.0",                       // 13
    "RE FINISHED",                                   // 14
    "ME STARTING",                                   // 15
    "   SURFFILE  m.sfc",                            // 16
    "   PROFFILE  m.pfl",                            // 17
    "   PROFBASE  0.0",                              // 18
    "ME FINISHED",                                   // 19
    "OU STARTING",                                   // 20
    "   POSTFILE  1  ALL  PLOT  out.pst",            // 21
    "OU FINISHED",                                   // 22
};

std::vector<std::string> readLines(const fs::path& p) {
  std::ifstream in(p);
  std::vector<std::string> v;
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

void writeLines(const fs::path& p, const std::vector<std::string>& lines) {
  std::ofstream out(p);
  for (const std::string& l : lines) out << l << '\n';
}

struct Case {
  const char* name;
  const char* file;  // "deck", "sfc" or "pfl"
  int line;          // 1-based line to replace (0: none)
  std::string text;  // replacement
  const char* message;
  int pflLine = 0;  // optionally also replace this profile line
  std::string pflText = {};
};

TEST(ModRefusals, EachRefusalNamesTheFileAndLine) {
  const fs::path dir =
      fs::temp_directory_path() / ("kuva_mod_refuse_" + std::to_string(::getpid()));
  const fs::path met = fs::path(KUVA_TEST_DATA_DIR) / "aermod" / "a3_mast";
  const std::vector<std::string> sfc = readLines(met / "a3_mast.sfc");
  const std::vector<std::string> pfl = readLines(met / "a3_mast.pfl");
  std::string noUstar = sfc[1];  // u* = 0: the similarity wind profile is 0/0
  noUstar.replace(noUstar.find("0.093"), 5, "0.000");
  std::string badUstar = sfc[2];
  badUstar.replace(badUstar.find(" 0.") + 1, 5, "0.2x7");
  const Case cases[] = {
      {"valid deck", "deck", 0, "", ""},
      {"keyword", "deck", 5, "   URBANOPT  100000",
       "deck.inp:5: keyword CO URBANOPT is not supported"},
      {"option", "deck", 2, "   MODELOPT  CONC  FLAT  DDPLETE",
       "deck.inp:2: MODELOPT option DDPLETE is not supported"},
      {"source type", "deck", 8, "   LOCATION  S1  AREA  0 0 0",
       "deck.inp:8: source type AREA is not supported (only POINT)"},
      {"averaging time", "deck", 3, "   AVERTIME  5",
       "deck.inp:3: AVERTIME: averaging period \"5\" is not 1, 2, 3, 4, 6, 8, 12, 24, MONTH"},
      {"period and annual", "deck", 3, "   AVERTIME  1  PERIOD  ANNUAL",
       "deck.inp:3: AVERTIME: PERIOD and ANNUAL are exclusive"},
      {"PM2.5 periods", "deck", 4, "   POLLUTID  PM25",
       "deck.inp:4: POLLUTID PM25: the daily PM2.5 values need AVERTIME 24 alone or 24 ANNUAL"},
      {"factor count", "deck", 11, "   EMISFACT  S1  SEASON  1 2 3",
       "deck.inp:11: EMISFACT: source \"S1\" has 3 factors; its type needs 4"},
      {"plot rank", "deck", 21, "   PLOTFILE  1  ALL  FIRST  out.plt",
       "deck.inp:21: PLOTFILE: rank FIRST of 1 needs a RECTABLE card"},
      {"wind classes", "deck", 18, "   WINDCATS  1 2 2 4 5",
       "deck.inp:18: WINDCATS: the bounds must increase"},
      {"window past the data", "deck", 18, "   STARTEND  2021 01 01  2031 12 31",
       "STARTEND ends at 2031123124, after the last hour of the meteorology"},
      {"daily maxima", "deck", 21, "   MAXDAILY  ALL  out.txt",
       "deck.inp:21: MAXDAILY needs daily values"},
      {"no whole year", "deck", 3, "   AVERTIME  1  ANNUAL", "no complete year was processed"},
      {"zero diameter", "deck", 9, "   SRCPARAM  S1  1.0  20.0  500.0  12.0  0.0",
       "deck.inp:9: SRCPARAM: the stack diameter must be positive"},
      {"long line", "deck", 4, "   POLLUTID  " + std::string(5000, 'X'),
       "deck.inp:4: line longer than 4096 characters"},
      {"missing profile file", "deck", 17, "   PROFFILE  elsewhere.pfl",
       "deck.inp:17: cannot open the profile file"},
      {"met column", "sfc", 3, badUstar, "m.sfc:3: column 7 (u*) is not a number"},
      {"hour order", "sfc", 3, sfc[1], "m.sfc:3: hour out of order"},
      {"profile hour", "pfl", 1, pfl[2], "m.pfl:1: profile hour does not match the surface hour"},
      {"no finite value", "sfc", 2, noUstar, "m.sfc:2: source S1, receptor 1: no finite"},
      {"measured turbulence under DFAULT", "deck", 2, "   MODELOPT  DFAULT  CONC",
       "m.pfl:3: measured turbulence with ADJ_U* meteorology is not allowed under DFAULT", 3,
       pfl[2].substr(0, pfl[2].rfind(' ')) + " 0.30"},
      {"output over input", "deck", 21, "   POSTFILE  1  ALL  PLOT  m.sfc",
       "deck.inp:21: the output file"},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<std::string> deck(std::begin(kDeck), std::end(kDeck)), s = sfc, p = pfl;
    std::vector<std::string>& target = std::string(c.file) == "deck"  ? deck
                                       : std::string(c.file) == "sfc" ? s
                                                                      : p;
    if (c.line > 0) target[static_cast<size_t>(c.line - 1)] = c.text;
    if (c.pflLine > 0) p[static_cast<size_t>(c.pflLine - 1)] = c.pflText;
    writeLines(dir / "deck.inp", deck);
    writeLines(dir / "m.sfc", s);
    writeLines(dir / "m.pfl", p);
    std::ostringstream log;
    const mod::RunSummary r = mod::runDeck((dir / "deck.inp").string(), log, 1);
    if (std::string(c.message).empty()) {
      EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.error;
      EXPECT_TRUE(fs::exists(dir / "out.pst")) << c.name;
      continue;
    }
    EXPECT_NE(r.exitCode, 0) << c.name;
    EXPECT_NE(r.error.find(c.message), std::string::npos) << c.name << ": " << r.error;
    EXPECT_FALSE(fs::exists(dir / "out.pst")) << c.name << ": output written for refused input";
  }
  // A deck over 64 MB is refused before it is read.
  fs::resize_file(dir / "deck.inp", 65ll * 1024 * 1024);
  std::ostringstream log;
  const mod::RunSummary big = mod::runDeck((dir / "deck.inp").string(), log, 1);
  EXPECT_NE(big.error.find("the deck is larger than 64 MB"), std::string::npos) << big.error;
  fs::remove_all(dir);
}

}  // namespace
