#pragma once
// Running the engine in memory on an answer script given as text.

#include <sstream>
#include <string>

#include "screen/engine/engine.h"

namespace screen::engine::testing {

struct InMemoryRun {
  RunResult result;
  std::string report, echo, console;
};

inline InMemoryRun runText(const std::string& script) {
  std::istringstream in(script);
  std::ostringstream console, report, echo;
  InMemoryRun r;
  r.result = runScreen(in, console, report, echo, RunOptions{"20260101", "120000.0"});
  r.report = report.str();
  r.echo = echo.str();
  r.console = console.str();
  return r;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace screen::engine::testing
