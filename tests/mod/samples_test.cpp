// Every sample deck must reproduce every data line of its reference hourly and highest-value
// result files, character for character.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "mod/output.h"
#include "mod/run.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(KUVA_TEST_DATA_DIR) / "aermod";

std::vector<std::string> dataLines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);)
    if (!l.empty() && l[0] != '*') lines.push_back(l);
  return lines;
}

TEST(ModSamples, EveryResultLineMatchesTheReference) {
  ASSERT_TRUE(fs::exists(kSamples));
  size_t cases = 0, lines = 0;
  for (const auto& dir : fs::directory_iterator(kSamples)) {
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
    ASSERT_EQ(run.exitCode, 0) << name << ": " << run.error;
    ++cases;
    for (const auto& ref : fs::directory_iterator(dir.path())) {
      const std::string ext = ref.path().extension().string();
      if (ext != ".pst" && ext != ".plt") continue;
      const std::vector<std::string> want = dataLines(ref.path());
      const std::vector<std::string> got = dataLines(work / ref.path().filename());
      ASSERT_EQ(got.size(), want.size()) << ref.path().filename();
      int shown = 0;
      for (size_t i = 0; i < want.size(); ++i) {
        ++lines;
        if (got[i] != want[i] && shown++ < 5)
          ADD_FAILURE() << ref.path().filename() << " data line " << i + 1
                        << "\n  want: " << want[i] << "\n  got:  " << got[i];
      }
    }
    fs::remove_all(work);
  }
  EXPECT_EQ(cases, 3u);
  // 15 hourly files (23,700 lines) and 15 highest-value files (79 lines each).
  EXPECT_EQ(lines, 23700u + 15u * 79u);
}

TEST(ModSamples, FortranExponentFormat) {
  EXPECT_EQ(mod::formatE13(0.0), " 0.000000E+00");
  EXPECT_EQ(mod::formatE13(10.57372021), " 0.105737E+02");
  EXPECT_EQ(mod::formatE13(0.99999996), " 0.100000E+01");  // rounding carries into the exponent
  EXPECT_EQ(mod::formatE13(1.5e-120), " 0.150000-119");    // three-digit exponents drop the E
}

}  // namespace
