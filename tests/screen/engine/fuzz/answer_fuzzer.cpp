// libFuzzer target: any byte string as the answers of the dialogue. The engine must end every
// run with success, or with a clear error and a non-zero status; it must not crash or hang.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "screen/engine/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream answers(std::string(reinterpret_cast<const char*>(data), size));
  std::ostringstream console, report, echo;
  const screen::engine::RunResult r = screen::engine::runScreen(
      answers, console, report, echo, screen::engine::RunOptions{"20260101", "000000.0"});
  if (r.exitCode != 0 && r.exitCode != 2 && r.exitCode != 3) std::abort();
  if (r.exitCode != 0 && r.error.empty()) std::abort();
  return 0;
}
