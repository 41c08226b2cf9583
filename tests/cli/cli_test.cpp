#include "cli/cli.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "models/registry.h"

namespace {

struct CliRun {
  int rc;
  std::string out, err;
};

CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int rc = cli::runCli(args, out, err);
  return {rc, out.str(), err.str()};
}

TEST(Cli, RunPrintsResultsAsThePageShowsThem) {
  const CliRun r = run({"run", "sewage", "N=100", "Nr=20"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("Qd = 4.8 吨\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Qy = 1440 吨\n"), std::string::npos);
  EXPECT_NE(r.out.find("W = 1800 吨\n"), std::string::npos);
  EXPECT_NE(r.out.find("Gd = 60 千克\n"), std::string::npos);
}

TEST(Cli, JsonCarriesTheSameTexts) {
  const CliRun r = run({"run", "sewage", "N=100", "Nr=20", "--json"});
  ASSERT_EQ(r.rc, 0);
  EXPECT_NE(r.out.find("\"Qd\":\"4.8\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"NHcut\":\"0.0288\""), std::string::npos);
}

TEST(Cli, FailedCheckPrintsItsMessageAndExitsOne) {
  const CliRun r = run({"run", "sewage", "N=10", "Nr=20"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("逻辑常识错误，请重新输入"), std::string::npos);
  const CliRun j = run({"run", "sewage", "d=-1", "--json"});
  EXPECT_EQ(j.rc, 1);
  EXPECT_NE(j.out.find("\"error\":\"不能是负数，请重新输入\""), std::string::npos) << j.out;
}

// A single-precision field given 1e39 would compute with inf: refused as the form refuses a
// number it cannot hold, naming the field.
TEST(Cli, NumberBeyondTheFieldsStorageIsRefused) {
  for (const char* arg : {"Q=1e39", "Q=-1e39", "Q=1e400"}) {
    const CliRun r = run({"run", "sludge", arg, "--json"});
    EXPECT_EQ(r.rc, 1) << arg;
    EXPECT_NE(r.out.find(R"("error":"请输入一个数字。")"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(R"("field":"Q")"), std::string::npos) << r.out;
  }
  EXPECT_EQ(run({"run", "sludge", "Q=1e6"}).rc, 0);
}

TEST(Cli, UsageErrorsNameWhatIsWrongAndExitTwo) {
  CliRun r = run({"run", "nosuch"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("nosuch"), std::string::npos);
  r = run({"run", "sewage", "Bogus=1"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("Bogus"), std::string::npos);
  r = run({"run", "sewage", "N=12abc"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("12abc"), std::string::npos);
  r = run({"run", "sewage", "N="});
  EXPECT_EQ(r.rc, 2);
  r = run({"run", "sewage", "Qd=1"});  // a result is not an input
  EXPECT_EQ(r.rc, 2);
  r = run({"run", "sewage", "--action", "nope"});
  EXPECT_EQ(r.rc, 2);
  r = run({"run", "sewage", "N=@/no/such/file"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err.rfind("N：", 0), 0u) << r.err;
  // A check box is off or on; anything else would reach the model as a flag value.
  r = run({"run", "sp", "mixonly=2"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_NE(r.err.find("mixonly：“2”"), std::string::npos) << r.err;
  EXPECT_EQ(run({"run", "sp", "mixonly=1"}).rc, 0);
  r = run({});
  EXPECT_EQ(r.rc, 2);
}

TEST(Cli, ListAndDescribeCoverTheRegistry) {
  const CliRun l = run({"list"});
  ASSERT_EQ(l.rc, 0);
  for (const auto& d : models::registry().all())
    EXPECT_NE(l.out.find(d.id + "\t"), std::string::npos) << d.id;
  const CliRun d = run({"describe", "sewage"});
  ASSERT_EQ(d.rc, 0);
  EXPECT_NE(d.out.find("Nr\t其中住宿人数\t\tfloat\t0\n"), std::string::npos) << d.out;
  EXPECT_NE(d.out.find("d\t工作天数\t\tfloat\t300\n"), std::string::npos);
  EXPECT_EQ(run({"describe", "zzz"}).rc, 2);
}

// The last of two values of one key used to win silently.
TEST(Cli, RepeatedKeyIsRefused) {
  const CliRun r = run({"run", "sewage", "N=100", "N=200"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "N：给出了不止一次\n");
}

// "key=@/dev/zero" read without limit until the process ran out of memory.
TEST(Cli, ValueFilesMustBeSmallRegularFiles) {
  CliRun r = run({"run", "sewage", "N=@/dev/zero"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "N：/dev/zero 不是普通文件\n");
  const auto dir = std::filesystem::temp_directory_path();
  r = run({"run", "sewage", "N=@" + dir.string()});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "N：" + dir.string() + " 不是普通文件\n");

  const auto big = dir / "kuva-cli-big-value.txt";
  {
    std::ofstream f(big, std::ios::binary);
    f << "100";
  }
  r = run({"run", "sewage", "N=@" + big.string(), "Nr=20"});
  EXPECT_EQ(r.rc, 0) << r.err;
  std::filesystem::resize_file(big, (64u << 20) + 1);
  r = run({"run", "sewage", "N=@" + big.string()});
  std::filesystem::remove(big);
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "N：" + big.string() + " 文件过大（超过 64 MB）\n");
}

// The JSON output is written by a JSON library: escapes decoded on the way in come out again.
TEST(Cli, JsonOutputAndTableArguments) {
  CliRun r = run({"run", "sewage", "N=100", "Nr=20", "--json"});
  ASSERT_EQ(r.rc, 0);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["id"], "sewage");
  EXPECT_EQ(j["results"]["Qd"], "4.8");

  // A malformed table names the position and refuses the run (exit 1), as JSON too.
  r = run({"run", "screen3", "pollutants=[[\"SO2\", 1, 0.5]", "--json", "--screen3",
           "/nonexistent/screen3"});
  EXPECT_EQ(r.rc, 1);
  const auto e = nlohmann::json::parse(r.out);
  EXPECT_EQ(e["error"].get<std::string>().rfind("污染物表格的JSON文本在第", 0), 0u) << r.out;
  // A name with an escaped tab reaches the model as a tab (the run then fails to start).
  r = run({"run", "screen3", R"(pollutants=[["S\tO2", 1, 0.5]])", "--json", "--screen3",
           "/nonexistent/screen3"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("/nonexistent/screen3"), std::string::npos) << r.err;
}

// The screening program comes from --screen3, else from KUVA_SCREEN3.
TEST(Cli, ScreeningProgramFromOptionOrEnvironment) {
  ::setenv("KUVA_SCREEN3", "/nonexistent/from-env", 1);
  CliRun r = run({"run", "protection"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("/nonexistent/from-env"), std::string::npos) << r.err;
  r = run({"run", "protection", "--screen3", "/nonexistent/from-option"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("/nonexistent/from-option"), std::string::npos) << r.err;
  ::unsetenv("KUVA_SCREEN3");
  r = run({"run", "protection", "--screen3"});
  EXPECT_EQ(r.rc, 2);
}

}  // namespace
