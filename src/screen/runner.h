// Runs the screening program on one answer script in a private temporary directory and reads
// its report back. The program gets the script on standard input (and, for an outside
// program, the argument "<screen3.inp" it may expect); the directory and everything in it are
// removed afterwards, so no file of the user's working directory is touched.
#pragma once

#include <string>

namespace screen {

struct RunOptions {
  std::string program;          // path of the screening program
  bool input_argument = false;  // also pass "<screen3.inp" as the command-line argument
  int timeout_s = 300;          // the run is stopped after this many seconds
};

enum class RunStatus { Ok, NotStarted, TimedOut, NoReport };

struct RunResult {
  RunStatus status = RunStatus::NotStarted;
  std::string message;  // user-facing text when status != Ok
  std::string report;   // the report text (SCREEN.OUT) when status == Ok
  int exit_code = -1;
  bool ok() const { return status == RunStatus::Ok; }
};

// The program the pages run: the override when one is set, else "kuvascreen" beside the
// running executable.
RunOptions defaultRunOptions();

// Process-wide choice of an outside screening program (empty: back to kuvascreen). The app
// sets it from its settings at start; an outside program also gets the "<screen3.inp"
// argument.
void setScreeningProgram(const std::string& path);

// Directory of the running executable ("" when unknown).
std::string executableDir();

RunResult runScreen(const std::string& script, const RunOptions& options);

}  // namespace screen
