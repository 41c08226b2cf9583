#include "screen/runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A stand-in screening program: a shell script written into a scratch folder.
std::string fakeProgram(const std::string& name, const std::string& body) {
  const fs::path dir = fs::temp_directory_path() / "kuva-runner-test";
  fs::create_directories(dir);
  const fs::path p = dir / name;
  std::ofstream(p) << "#!/bin/sh\n" << body;
  fs::permissions(p, fs::perms::owner_all);
  return p.string();
}

TEST(Runner, FeedsTheScriptAndReadsTheReportInAPrivateDirectory) {
  screen::RunOptions o;
  o.program = fakeProgram("echo.sh",
                          "printf 'arg=%s\\n' \"$1\" > SCREEN.OUT\ncat >> SCREEN.OUT\n"
                          "pwd >> SCREEN.OUT\ntouch screen.dat\n");
  o.input_argument = true;
  const auto before = fs::current_path();
  const screen::RunResult r = screen::runScreen("line one\nN\n", o);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.report.substr(0, 26), "arg=<screen3.inp\nline one\n");
  // The exchange ran elsewhere and its folder is gone.
  const std::string dir = r.report.substr(r.report.rfind("N\n") + 2);
  EXPECT_NE(fs::path(dir.substr(0, dir.size() - 1)), before);
  EXPECT_FALSE(fs::exists(dir.substr(0, dir.size() - 1)));
  EXPECT_FALSE(fs::exists(before / "SCREEN.OUT"));
}

TEST(Runner, KeepsTheUsersFilesInTheWorkingDirectory) {
  const fs::path cwd = fs::temp_directory_path() / "kuva-runner-cwd";
  fs::create_directories(cwd);
  std::ofstream(cwd / "SCREEN.OUT") << "mine";
  std::ofstream(cwd / "screen3.inp") << "mine too";
  const auto old = fs::current_path();
  fs::current_path(cwd);
  screen::RunOptions o;
  o.program = fakeProgram("writer.sh", "echo report > SCREEN.OUT\n");
  const auto r = screen::runScreen("x\n", o);
  fs::current_path(old);
  EXPECT_TRUE(r.ok()) << r.message;
  EXPECT_TRUE(fs::exists(cwd / "SCREEN.OUT"));
  EXPECT_TRUE(fs::exists(cwd / "screen3.inp"));
  fs::remove_all(cwd);
}

TEST(Runner, ReportsAProgramThatCannotStart) {
  screen::RunOptions o;
  o.program = "/nonexistent/kuvascreen";
  const auto r = screen::runScreen("x\n", o);
  EXPECT_EQ(r.status, screen::RunStatus::NotStarted);
  EXPECT_NE(r.message.find("/nonexistent/kuvascreen"), std::string::npos);
}

TEST(Runner, StopsAProgramThatRunsTooLong) {
  screen::RunOptions o;
  o.program = fakeProgram("sleeper.sh", "sleep 30\n");
  o.timeout_s = 1;
  const auto t0 = std::chrono::steady_clock::now();
  const auto r = screen::runScreen("x\n", o);
  const auto secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(r.status, screen::RunStatus::TimedOut);
  EXPECT_LT(secs, 10);
  EXPECT_FALSE(r.message.empty());
}

TEST(Runner, ReportsAMissingReport) {
  screen::RunOptions o;
  o.program = fakeProgram("silent.sh", "exit 2\n");
  const auto r = screen::runScreen("x\n", o);
  EXPECT_EQ(r.status, screen::RunStatus::NoReport);
  EXPECT_EQ(r.exit_code, 2);
}

TEST(Runner, ProgramChosenByItsPath) {
  auto o = screen::programOptions("");
  EXPECT_EQ(fs::path(o.program).filename(), "kuvascreen");
  EXPECT_FALSE(o.input_argument);
  o = screen::programOptions("/opt/screen3/screen3");
  EXPECT_EQ(o.program, "/opt/screen3/screen3");
  EXPECT_TRUE(o.input_argument);
  // The step runs the program it was given: a missing one is reported, not replaced.
  const auto r = screen::programStep(screen::programOptions("/nonexistent/screen3"))("x\n");
  EXPECT_EQ(r.status, screen::RunStatus::NotStarted);
  EXPECT_NE(r.message.find("/nonexistent/screen3"), std::string::npos);
}

}  // namespace
