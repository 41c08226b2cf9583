// Every sample deck must reproduce every data line of its reference hourly and highest-value
// result files, character for character: the stacks of aermod/ and the other source kinds and
// the urban option of aermod-sources/.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "mod/output.h"
#include "mod/run.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> dataLines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);)
    if (!l.empty() && l[0] != '*') lines.push_back(l);
  return lines;
}

// Runs every case folder under `samples`; returns the number of cases and counts the lines.
size_t runCases(const fs::path& samples, size_t& lines) {
  size_t cases = 0;
  for (const auto& dir : fs::directory_iterator(samples)) {
    if (!dir.is_directory()) continue;
    const std::string name = dir.path().filename().string();
    const fs::path work =
        fs::temp_directory_path() / ("kuva_mod_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
    for (const char* ext : {".inp", ".sfc", ".pfl"})
      fs::copy_file(dir.path() / (name + ext), work / (name + ext));
    std::ostringstream log;
    const mod::RunSummary run = mod::runDeck((work / (name + ".inp")).string(), log, 2);
    EXPECT_EQ(run.exitCode, 0) << name << ": " << run.error;
    ++cases;
    for (const auto& ref : fs::directory_iterator(dir.path())) {
      const std::string ext = ref.path().extension().string();
      if (ext != ".pst" && ext != ".plt") continue;
      const std::vector<std::string> want = dataLines(ref.path());
      const std::vector<std::string> got = dataLines(work / ref.path().filename());
      EXPECT_EQ(got.size(), want.size()) << ref.path().filename();
      int shown = 0;
      for (size_t i = 0; i < want.size(); ++i) {
        ++lines;
        if ((i >= got.size() || got[i] != want[i]) && shown++ < 5)
          ADD_FAILURE() << ref.path().filename() << " data line " << i + 1
                        << "\n  want: " << want[i]
                        << "\n  got:  " << (i < got.size() ? got[i] : "(none)");
      }
    }
    fs::remove_all(work);
  }
  return cases;
}

TEST(ModSamples, EveryResultLineMatchesTheReference) {
  const fs::path data(KUVA_TEST_DATA_DIR);
  size_t lines = 0;
  EXPECT_EQ(runCases(data / "aermod", lines), 3u);
  // 15 hourly files (23,700 lines) and 15 highest-value files (79 lines each).
  EXPECT_EQ(lines, 23700u + 15u * 79u);
  lines = 0;
  EXPECT_EQ(runCases(data / "aermod-sources", lines), 3u);
  // 23 hourly files (10,944 lines) and 23 highest-value files (24 lines each).
  EXPECT_EQ(lines, 10944u + 23u * 24u);
}

TEST(ModSamples, FortranExponentFormat) {
  EXPECT_EQ(mod::formatE13(0.0), " 0.000000E+00");
  EXPECT_EQ(mod::formatE13(10.57372021), " 0.105737E+02");
  EXPECT_EQ(mod::formatE13(0.99999996), " 0.100000E+01");  // rounding carries into the exponent
  EXPECT_EQ(mod::formatE13(1.5e-120), " 0.150000-119");    // three-digit exponents drop the E
}

}  // namespace
