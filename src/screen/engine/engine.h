#pragma once
// The screening engine: runs the interactive dialogue of the screening model on a stream of
// answers and writes the report (SCREEN.OUT) and the answer echo (SCREEN.DAT).

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>

namespace screen::engine {

struct RunOptions {
  // Date (YYYYMMDD) and time (hhmmss.s) stamped into the report; empty means "now".
  std::string date;
  std::string time;
};

struct RunResult {
  int exitCode = 0;        // 0 success; 2 answers ended early; 3 input refused
  std::string error;       // message for standard error when exitCode != 0
  bool hardcopy = false;   // the user asked for a printed copy (file PRN)
  bool debugFile = false;  // the title asked for the (empty) debug file SCREEN.DBG
};

// Runs the whole dialogue; the report and the echo go to the given streams.
RunResult runScreen(std::istream& answers, std::ostream& console, std::ostream& report,
                    std::ostream& echo, const RunOptions& options = {});

// Runs the dialogue and writes SCREEN.OUT, SCREEN.DAT (and PRN, SCREEN.DBG when asked) in outDir.
RunResult runScreenInDir(std::istream& answers, std::ostream& console,
                         const std::filesystem::path& outDir, const RunOptions& options = {});

}  // namespace screen::engine
