// Input the engine does not support, or that is broken, is refused with the file and line at
// fault; nothing is computed and every file around the run is left as it was.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
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

// Every file and folder under `dir` with its content ("<dir>" for a folder).
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    std::ostringstream content;
    if (e.is_regular_file())
      content << std::ifstream(e.path(), std::ios::binary).rdbuf();
    else
      content << "<dir>";
    files[fs::relative(e.path(), dir).string()] = content.str();
  }
  return files;
}

// Names of the files that differ between two snapshots (empty when none does).
std::string changed(const std::map<std::string, std::string>& a,
                    const std::map<std::string, std::string>& b) {
  std::string names;
  for (const auto& [name, content] : a)
    if (!b.count(name) || b.at(name) != content) names += name + " ";
  for (const auto& [name, content] : b)
    if (!a.count(name)) names += name + " ";
  return names;
}

struct Case {
  const char* name;
  const char* file;  // "deck", "sfc" or "pfl"
  int line;          // 1-based line to replace (0: none)
  std::string text;  // replacement
  const char* message;
  int pflLine = 0;  // optionally also replace this profile line
  std::string pflText = {};
  int deckLine = 0;  // optionally also replace this deck line
  std::string deckText = {};
  int sfcLine = 0;  // optionally also replace this surface line
  std::string sfcText = {};
};

TEST(ModRefusals, EachRefusalNamesTheFileAndLine) {
  const fs::path dir =
      fs::temp_directory_path() / ("kuva_mod_refuse_" + std::to_string(::getpid()));
  const fs::path met = fs::path(KUVA_TEST_DATA_DIR) / "aermod" / "a3_mast";
  const std::vector<std::string> sfc = readLines(met / "a3_mast.sfc");
  const std::vector<std::string> pfl = readLines(met / "a3_mast.pfl");
  std::string noUstar = sfc[1];  // u* = 0: the similarity wind profile is 0/0
  noUstar.replace(noUstar.find("0.093"), 5, "0.000");
  std::string roughSite = sfc[1];  // z0 = 30 m: 7·z0 reaches the urban mixing height
  roughSite.replace(roughSite.find("0.3000"), 6, "30.000");
  std::string badUstar = sfc[2];
  badUstar.replace(badUstar.find(" 0.") + 1, 5, "0.2x7");
  const Case cases[] = {
      {"valid deck", "deck", 0, "", ""},
      {"keyword", "deck", 5, "   HALFLIFE  4.0",
       "deck.inp:5: keyword CO HALFLIFE is not supported"},
      {"option", "deck", 2, "   MODELOPT  CONC  FLAT  DDPLETE",
       "deck.inp:2: MODELOPT option DDPLETE is not supported"},
      {"source type", "deck", 8, "   LOCATION  S1  OPENPIT  0 0 0",
       "deck.inp:8: source type OPENPIT is not supported"},
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
      {"plot without fields", "deck", 21, "   PLOTFILE",
       "deck.inp:21: PLOTFILE: expected 3 to 5 parameters, found 0"},
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
      {"output hard-linked to the met file", "deck", 21, "   POSTFILE  1  ALL  PLOT  link.pst",
       "deck.inp:21: the output file"},
      {"output is a folder", "deck", 21, "   POSTFILE  1  ALL  PLOT  folder", "folder"},
      {"message file on a device", "deck", 5, "   ERRORFIL  /dev/full", "/dev/full"},
      {"second SRCPARAM", "deck", 10,
       "   SRCPARAM  S1  1000.0  20.0  500.0  12.0  0.6\n   SRCGROUP  ALL",
       "deck.inp:10: SRCPARAM: source \"S1\" has parameters already"},
      {"second LOCATION", "deck", 9,
       "   LOCATION  S1  POINT  50.0  0.0  0.0\n   SRCPARAM  S1  1.0  20.0  500.0  12.0  0.6",
       "deck.inp:9: LOCATION: source \"S1\" is defined twice"},
      {"network without END", "deck", 13,
       "   GRIDCART  G  STA\n   GRIDCART  G  XYINC 0 5 100 0 5 100",
       "deck.inp:13: network \"G\" has no END line"},
      {"network closed twice", "deck", 13,
       "   GRIDCART  G  STA\n   GRIDCART  G  XYINC 0 5 100 0 5 100\n   GRIDCART  G  END\n"
       "   GRIDCART  G  END",
       "deck.inp:16: GRIDCART: network \"G\" was closed by END on line 15"},
      {"points after END", "deck", 13,
       "   GRIDCART  G  STA\n   GRIDCART  G  XPNTS 0 100\n   GRIDCART  G  YPNTS 0 100\n"
       "   GRIDCART  G  END\n   GRIDCART  G  XPNTS 200",
       "deck.inp:17: GRIDCART: network \"G\" was closed by END on line 16"},
      {"negative area emission",
       "deck",
       8,
       "   LOCATION  S1  AREA  0 0 0",
       "deck.inp:9: SRCPARAM: the emission rate must not be negative",
       0,
       {},
       9,
       "   SRCPARAM  S1  -0.001  0.0  10.0"},
      {"volume above 3000 m",
       "deck",
       8,
       "   LOCATION  S1  VOLUME  0 0 0",
       "deck.inp:9: SRCPARAM: the release height must be 0 to 3000 m",
       0,
       {},
       9,
       "   SRCPARAM  S1  1.0  3500.0  2.0  2.0"},
      {"polygon crossing itself",
       "deck",
       8,
       "   LOCATION  S1  AREAPOLY  0 0 0",
       "deck.inp:10: AREAVERT: the polygon of \"S1\" crosses itself (sides 1 and 3)",
       0,
       {},
       9,
       "   SRCPARAM  S1  0.001  0.0  4\n   AREAVERT  S1  0 0 20 10 20 0 0 20"},
      {"polygon not starting at its location",
       "deck",
       8,
       "   LOCATION  S1  AREAPOLY  0 0 0",
       "deck.inp:10: AREAVERT: the first vertex of \"S1\" must be its LOCATION",
       0,
       {},
       9,
       "   SRCPARAM  S1  0.001  0.0  3\n   AREAVERT  S1  1 0 10 0 10 10"},
      {"urban source without URBANOPT", "deck", 10, "   URBANSRC  S1\n   SRCGROUP  ALL",
       "deck.inp:10: URBANSRC needs CO URBANOPT"},
      {"urban layer below the roughness",
       "deck",
       5,
       "   URBANOPT  100  VILLAGE  4.9",
       "deck.inp:5: URBANOPT: the urban mixing height of this population is not above 7 times",
       0,
       {},
       10,
       "   URBANSRC  S1\n   SRCGROUP  ALL"},
      {"urban layer undefined in an hour",
       "deck",
       5,
       "   URBANOPT  100000\n   RUNORNOT  RUN",
       "m.sfc:2: the urban boundary layer is undefined",
       0,
       {},
       10,
       "   URBANSRC  S1\n   SRCGROUP  ALL",
       2,
       roughSite},
      {"hours absent from the met", "sfc", 3, sfc[3],
       "m.sfc:3: hours missing from the file: 2023-10-12 hour 03 follows 2023-10-12 hour 01 (line "
       "2)"},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir / "folder");
    std::vector<std::string> deck(std::begin(kDeck), std::end(kDeck)), s = sfc, p = pfl;
    std::vector<std::string>& target = std::string(c.file) == "deck"  ? deck
                                       : std::string(c.file) == "sfc" ? s
                                                                      : p;
    if (c.line > 0) target[static_cast<size_t>(c.line - 1)] = c.text;
    if (c.pflLine > 0) p[static_cast<size_t>(c.pflLine - 1)] = c.pflText;
    if (c.deckLine > 0) deck[static_cast<size_t>(c.deckLine - 1)] = c.deckText;
    if (c.sfcLine > 0) s[static_cast<size_t>(c.sfcLine - 1)] = c.sfcText;
    writeLines(dir / "deck.inp", deck);
    writeLines(dir / "m.sfc", s);
    writeLines(dir / "m.pfl", p);
    fs::create_hard_link(dir / "m.sfc", dir / "link.pst");
    std::ofstream(dir / "out.pst") << "the previous run's result\n";
    const auto before = snapshot(dir);
    std::ostringstream log;
    // Two threads: the hours are computed a few at a time and checked in order afterwards.
    const mod::RunSummary r = mod::runDeck((dir / "deck.inp").string(), log, 2);
    if (std::string(c.message).empty()) {
      EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.error;
      EXPECT_NE(changed(snapshot(dir), before), "") << c.name;
      continue;
    }
    EXPECT_NE(r.exitCode, 0) << c.name;
    EXPECT_NE(r.error.find(c.message), std::string::npos) << c.name << ": " << r.error;
    EXPECT_EQ(changed(snapshot(dir), before), "") << c.name << ": files changed by a refused run";
  }
  // A deck over 64 MB is refused before it is read.
  fs::resize_file(dir / "deck.inp", 65ll * 1024 * 1024);
  std::ostringstream log;
  const mod::RunSummary big = mod::runDeck((dir / "deck.inp").string(), log, 1);
  EXPECT_NE(big.error.find("the deck is larger than 64 MB"), std::string::npos) << big.error;
  fs::remove_all(dir);
}

// Runs the deck in a child process with `resource` limited to `extra` bytes (beyond the memory in
// use, for RLIMIT_AS); returns the exit status and the run's message in `error`.
int runLimited(const fs::path& deck, int resource, rlim_t extra, unsigned threads,
               std::string& error) {
  const fs::path errorFile = deck.parent_path().parent_path() / "error.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim{};
    ::getrlimit(resource, &lim);
    if (resource == RLIMIT_AS) {
      std::ifstream statm("/proc/self/statm");
      long pages = 0;
      statm >> pages;
      extra += static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    }
    lim.rlim_cur = extra;
    ::setrlimit(resource, &lim);
    std::ostringstream log;
    const mod::RunSummary r = mod::runDeck(deck.string(), log, threads);
    std::ofstream(errorFile) << r.error;
    ::_exit(r.exitCode == 0 ? 0 : 10 + r.exitCode);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::ostringstream text;
  text << std::ifstream(errorFile).rdbuf();
  error = text.str();
  fs::remove(errorFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A disk that fills up, or a thread that cannot start, fails the run and leaves the previous
// results in place, with no temporary file left behind.
TEST(ModRefusals, AFailedRunKeepsThePreviousResults) {
  const fs::path top = fs::temp_directory_path() / ("kuva_mod_keep_" + std::to_string(::getpid()));
  const fs::path dir = top / "run";
  fs::remove_all(top);
  fs::create_directories(dir);
  const fs::path met = fs::path(KUVA_TEST_DATA_DIR) / "aermod" / "a3_mast";
  std::vector<std::string> deck(std::begin(kDeck), std::end(kDeck));
  deck[12] =
      "   GRIDCART  G  STA\n   GRIDCART  G  XYINC -500 10 100 -500 10 100\n   GRIDCART  G  END";
  deck[4] += "\n   ERRORFIL  msg.txt";
  writeLines(dir / "deck.inp", deck);
  fs::copy_file(met / "a3_mast.sfc", dir / "m.sfc");
  fs::copy_file(met / "a3_mast.pfl", dir / "m.pfl");
  std::ostringstream log;
  ASSERT_EQ(mod::runDeck((dir / "deck.inp").string(), log, 1).exitCode, 0);
  const auto before = snapshot(dir);
  std::string error;
  // A full disk (a file-size limit): the POSTFILE cannot be written, whether the run writes its
  // buffers itself (one thread) or hands them to its writing thread.
  for (unsigned threads : {1u, 2u}) {
    EXPECT_EQ(runLimited(dir / "deck.inp", RLIMIT_FSIZE, 20000, threads, error), 11) << threads;
    EXPECT_NE(error.find("out.pst"), std::string::npos) << error;
    EXPECT_EQ(changed(snapshot(dir), before), "");
  }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // they reserve memory
  // No memory for the threads' stacks (more threads than the C library keeps stacks for): the run
  // stops with a message, it does not abort.
  EXPECT_EQ(runLimited(dir / "deck.inp", RLIMIT_AS, 256u << 10, 32, error), 13);
  EXPECT_NE(error.find("cannot start a worker thread"), std::string::npos) << error;
  EXPECT_EQ(changed(snapshot(dir), before), "");
#endif
  fs::remove_all(top);
}

// Five days of hours (a1_nws repeated and re-dated): more than one batch of hours computed at a
// time. The run gives the same lines with one and two threads; a fault in an early hour stops the
// run while the next hours are computing, and one in the last hours stops it just the same.
TEST(ModRefusals, HoursComputedAheadGiveWayToAFault) {
  const fs::path dir = fs::temp_directory_path() / ("kuva_mod_ahead_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path met = fs::path(KUVA_TEST_DATA_DIR) / "aermod" / "a1_nws";
  const std::vector<std::string> sfcDay = readLines(met / "a1_nws.sfc");
  const std::vector<std::string> pflDay = readLines(met / "a1_nws.pfl");
  std::vector<std::string> sfc = {sfcDay[0]}, pfl;
  for (int day = 21; day < 26; ++day) {
    const std::string dd = std::to_string(day), jd = std::to_string(181 + day);
    for (size_t i = 1; i < sfcDay.size(); ++i)
      sfc.push_back(sfcDay[i].substr(0, 6) + dd + " " + jd + sfcDay[i].substr(12));
    for (const std::string& l : pflDay) pfl.push_back(l.substr(0, 6) + dd + l.substr(8));
  }
  writeLines(dir / "m.pfl", pfl);
  std::vector<std::string> deck(std::begin(kDeck), std::end(kDeck));
  deck[12] =
      "   GRIDCART  G  STA\n   GRIDCART  G  XYINC -500 3 500 -500 3 500\n   GRIDCART  G  END";
  writeLines(dir / "deck.inp", deck);
  auto run = [&](unsigned threads) {
    std::ostringstream log;
    return mod::runDeck((dir / "deck.inp").string(), log, threads);
  };
  writeLines(dir / "m.sfc", sfc);
  ASSERT_EQ(run(1).exitCode, 0);
  const std::vector<std::string> one = readLines(dir / "out.pst");
  ASSERT_EQ(one.size(), 120u * 9u + 8u);
  ASSERT_EQ(run(2).exitCode, 0);
  const std::vector<std::string> two = readLines(dir / "out.pst");
  ASSERT_EQ(one.size(), two.size());
  for (size_t i = 8; i < one.size(); ++i) ASSERT_EQ(one[i], two[i]) << "line " << i + 1;
  const auto before = snapshot(dir);
  for (size_t line : {3u, 118u}) {  // u* = 0: the similarity wind profile is 0/0
    std::vector<std::string> s = sfc;
    std::string& l = s[line - 1];
    size_t at = 0;
    for (int field = 0; field < 6; ++field) at = l.find(' ', l.find_first_not_of(' ', at));
    at = l.find_first_not_of(' ', at);
    l.replace(at, l.find(' ', at) - at, "0.000");
    writeLines(dir / "m.sfc", s);
    const auto broken = snapshot(dir);
    for (unsigned threads : {1u, 2u}) {
      const mod::RunSummary r = run(threads);
      EXPECT_EQ(r.exitCode, 1) << line << " " << threads;
      EXPECT_NE(
          r.error.find("m.sfc:" + std::to_string(line) + ": source S1, receptor 1: no finite"),
          std::string::npos)
          << r.error;
      EXPECT_EQ(changed(snapshot(dir), broken), "");
    }
  }
  writeLines(dir / "m.sfc", sfc);
  EXPECT_EQ(changed(snapshot(dir), before), "");
  fs::remove_all(dir);
}

}  // namespace
