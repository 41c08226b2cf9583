// Runs the screening program on one answer script in a private temporary directory and reads
// its report back. The program gets the script on standard input (and, for an outside
// program, the argument "<screen3.inp" it may expect); the directory and everything in it are
// removed afterwards, so no file of the user's working directory is touched.
#pragma once

#include <functional>
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

// The options for a screening program chosen by its path: an empty path gives "kuvascreen"
// beside the running executable; any other program also gets the "<screen3.inp" argument.
// The page takes the path from its settings, the command line from --screen3 or KUVA_SCREEN3.
RunOptions programOptions(const std::string& path);

// One run of the screening program: answer script in, run result (with the report) out. The
// screening calculators are handed one, so the caller decides which program runs (and tests
// can hand them a report without starting anything).
using RunStep = std::function<RunResult(const std::string& script)>;

// The step that runs the program of the options with runScreen.
RunStep programStep(RunOptions options);

// Directory of the running executable ("" when unknown).
std::string executableDir();

RunResult runScreen(const std::string& script, const RunOptions& options);

}  // namespace screen
