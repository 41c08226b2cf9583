// Randomised robustness: mutated sample answer scripts must never crash, hang or loop; every
// run ends with success or with a clear error and a non-zero status.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "report_compare.h"
#include "run_helpers.h"

namespace fs = std::filesystem;
using namespace screen::engine;
using namespace screen::engine::testing;

namespace {

std::vector<std::vector<std::string>> sampleScripts() {
  std::vector<std::vector<std::string>> out;
  const fs::path dir = fs::path(KUVA_TEST_DATA_DIR) / "screen3";
  if (!fs::exists(dir)) return out;
  for (const auto& e : fs::directory_iterator(dir))
    if (fs::exists(e.path() / "screen3.inp")) out.push_back(readLines(e.path() / "screen3.inp"));
  return out;
}

const char* kTokens[] = {
    "",     " ",     "Y",         "N",   "y",       "0",     "-1",    "1e30", "-1e30",
    "nan",  "inf",   "-inf",      "1,",  ",",       "/",     "3*",    "2*7",  "VM=5",
    "VF=1", "VM=-1", "100001",    "0.5", "1.0E-30", "50000", "99999", "P",    "A",
    "V",    "F",     "PN 7.0 SS", "U",   "R",       "abc",   "1 2",   "7",    "1.5d2"};

std::string mutateLine(std::mt19937& rng, const std::string& line) {
  std::uniform_int_distribution<int> kind(0, 4);
  std::string s = line;
  switch (kind(rng)) {
    case 0: return kTokens[std::uniform_int_distribution<size_t>(0, std::size(kTokens) - 1)(rng)];
    case 1:
      if (!s.empty()) s.erase(std::uniform_int_distribution<size_t>(0, s.size() - 1)(rng), 1);
      return s;
    case 2:
      s.insert(
          s.begin() + static_cast<long>(std::uniform_int_distribution<size_t>(0, s.size())(rng)),
          static_cast<char>(std::uniform_int_distribution<int>(1, 126)(rng)));
      return s;
    case 3: {
      // scale a number by a power of ten
      return s + "0";
    }
    default: return "-" + s;
  }
}

std::string mutateScript(std::mt19937& rng, std::vector<std::string> lines) {
  std::uniform_int_distribution<int> count(1, 4);
  const int n = count(rng);
  for (int i = 0; i < n && !lines.empty(); ++i) {
    const size_t at = std::uniform_int_distribution<size_t>(0, lines.size() - 1)(rng);
    switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
      case 0: lines.erase(lines.begin() + static_cast<long>(at)); break;
      case 1: lines.insert(lines.begin() + static_cast<long>(at), lines[at]); break;
      case 2: lines.resize(at); break;
      default: lines[at] = mutateLine(rng, lines[at]); break;
    }
  }
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

}  // namespace

TEST(MutatedScripts, NeverCrashHangOrLoop) {
  const auto scripts = sampleScripts();
  ASSERT_FALSE(scripts.empty());
  std::mt19937 rng(20261207);
  const auto start = std::chrono::steady_clock::now();
  int runs = 0, succeeded = 0;
  for (; runs < 2000; ++runs) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(240)) break;
    const auto& base = scripts[static_cast<size_t>(runs) % scripts.size()];
    const std::string script = mutateScript(rng, base);
    const auto t0 = std::chrono::steady_clock::now();
    const InMemoryRun r = runText(script);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(seconds, 20.0) << "slow run for script:\n" << script;
    EXPECT_TRUE(r.result.exitCode == 0 || r.result.exitCode == 2 || r.result.exitCode == 3)
        << r.result.exitCode << "\n"
        << script;
    if (r.result.exitCode == 0) {
      ++succeeded;
      EXPECT_TRUE(contains(r.report, "** REMEMBER TO INCLUDE BACKGROUND CONCENTRATIONS **"))
          << script;
    } else {
      EXPECT_FALSE(r.result.error.empty());
    }
  }
  EXPECT_GE(runs, 200);
  RecordProperty("runs", runs);
  RecordProperty("succeeded", succeeded);
}
