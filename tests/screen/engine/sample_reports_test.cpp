// Every sample answer script must reproduce its sample report.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "report_compare.h"
#include "screen/engine/engine.h"

namespace fs = std::filesystem;
using namespace screen::engine;
using namespace screen::engine::testing;

namespace {

const fs::path kSamples = fs::path(KUVA_TEST_DATA_DIR) / "screen3";

// Sample report lines that show a fault of the program that wrote them; the engine prints the
// sound result there.
const std::map<std::string, std::vector<LineException>> kExceptions = {
    {"io-area-square-fixed",
     {{61,
       "area source with a fixed angle beyond 50 km: the sample program makes no calculation and "
       "prints "
       "-999.0; the engine computes with the 2.0 m/s wind speed, as the direction search does"}}},
};

std::vector<std::string> sampleNames() {
  std::vector<std::string> names;
  if (!fs::exists(kSamples)) return names;
  for (const auto& e : fs::directory_iterator(kSamples))
    if (fs::exists(e.path() / "screen3.inp")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class TempDir {
 public:
  explicit TempDir(const std::string& name)
      : path_(fs::temp_directory_path() /
              ("kuva_screen_" + name + "_" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

RunResult runFile(const fs::path& script, const fs::path& dir) {
  std::ifstream in(script, std::ios::binary);
  std::ostringstream console;
  return runScreenInDir(in, console, dir);
}

class SampleReport : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleReport, ReproducesSampleReport) {
  const fs::path sample = kSamples / GetParam();
  TempDir dir(GetParam());
  const RunResult r = runFile(sample / "screen3.inp", dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.error;
  const auto it = kExceptions.find(GetParam());
  const auto diffs =
      compareReports(readLines(dir.path() / "SCREEN.OUT"), readLines(sample / "SCREEN.OUT"),
                     it == kExceptions.end() ? std::vector<LineException>{} : it->second);
  for (const std::string& d : diffs) ADD_FAILURE() << d;
  if (fs::exists(sample / "SCREEN.DAT")) {
    EXPECT_EQ(readFile(dir.path() / "SCREEN.DAT"), readFile(sample / "SCREEN.DAT"))
        << "answer echo differs";
  }
}

TEST_P(SampleReport, EchoFileRepeatsTheRun) {
  TempDir first(GetParam() + "_a");
  TempDir second(GetParam() + "_b");
  ASSERT_EQ(runFile(kSamples / GetParam() / "screen3.inp", first.path()).exitCode, 0);
  ASSERT_EQ(runFile(first.path() / "SCREEN.DAT", second.path()).exitCode, 0);
  const auto diffs = compareReports(readLines(second.path() / "SCREEN.OUT"),
                                    readLines(first.path() / "SCREEN.OUT"));
  for (const std::string& d : diffs) ADD_FAILURE() << d;
  EXPECT_EQ(readFile(second.path() / "SCREEN.DAT"), readFile(first.path() / "SCREEN.DAT"));
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SampleReport);
INSTANTIATE_TEST_SUITE_P(Samples, SampleReport, ::testing::ValuesIn(sampleNames()),
                         [](const ::testing::TestParamInfo<std::string>& p) {
                           std::string n = p.param;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST(SampleReports, AllSamplesFound) {
  EXPECT_GE(sampleNames().size(), 19u) << "samples folder: " << kSamples;
}

TEST(SampleReports, ExceptionLinesReallyShowTheFault) {
  // The excepted sample line is the -999.0 row; the engine's row has a real concentration.
  const auto ref = readLines(kSamples / "io-area-square-fixed" / "SCREEN.OUT");
  ASSERT_GE(ref.size(), 61u);
  EXPECT_NE(ref[60].find("-999.0"), std::string::npos);
  TempDir dir("square_fixed_fault");
  ASSERT_EQ(runFile(kSamples / "io-area-square-fixed" / "screen3.inp", dir.path()).exitCode, 0);
  const auto got = readLines(dir.path() / "SCREEN.OUT");
  ASSERT_GE(got.size(), 61u);
  EXPECT_EQ(got[60].substr(0, 10), "  60000.  ");
  EXPECT_EQ(got[60].find("-999"), std::string::npos);
  EXPECT_NE(got[60].find("    6     2.0    2.0 10000.0"), std::string::npos) << got[60];
}

TEST(ReportCompare, ToleratesOneUnitInTheLastDigitOnly) {
  EXPECT_TRUE(linesMatch("    100.    52.72        2", "    100.    52.73        2"));
  EXPECT_FALSE(linesMatch("    100.    52.71        2", "    100.    52.73        2"));
  EXPECT_TRUE(linesMatch("   0.1386E+06", "   0.1387E+06"));
  EXPECT_FALSE(linesMatch("   0.1386E+06", "   0.1386E+05"));
  EXPECT_FALSE(linesMatch(" SIMPLE", " SIMPLY"));
  EXPECT_TRUE(isStampLine(std::string(70, ' ') + "035137.2"));
}

}  // namespace
