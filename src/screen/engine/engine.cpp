#include "screen/engine/engine.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>

#include "screen/engine/answer_reader.h"
#include "screen/engine/fortran_format.h"
#include "screen/engine/output.h"
#include "screen/engine/session.h"

namespace screen::engine {

namespace {

RunStamp stampNow(const RunOptions& options) {
  RunStamp s{options.date, options.time};
  if (!s.date.empty() && !s.time.empty()) return s;
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const auto tenths =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000 /
      100;
  if (s.date.empty())
    s.date = strFormat("%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  if (s.time.empty())
    s.time = strFormat("%02d%02d%02d.%01d", local.tm_hour, local.tm_min, local.tm_sec,
                       static_cast<int>(tenths));
  return s;
}

}  // namespace

RunResult runScreen(std::istream& answers, std::ostream& console, std::ostream& report,
                    std::ostream& echo, const RunOptions& options) {
  RunResult result;
  AnswerReader reader(answers);
  Output out(report, console);
  Session session(reader, out, echo, stampNow(options));
  try {
    session.run();
  } catch (const EndOfAnswers&) {
    result.exitCode = 2;
    result.error =
        "kuvascreen: the answers ended before the dialogue was complete; "
        "SCREEN.OUT and SCREEN.DAT hold what was written so far";
  } catch (const OverlongAnswer& e) {
    result.exitCode = 3;
    result.error = std::string("kuvascreen: input refused: ") + e.what() +
                   "; SCREEN.OUT and SCREEN.DAT hold what was written so far";
  } catch (const InputRefused& e) {
    result.exitCode = 3;
    result.error = std::string("kuvascreen: input refused: ") + e.what();
  }
  out.flush();
  echo.flush();
  result.hardcopy = session.hardcopy();
  result.debugFile = session.debugFile();
  return result;
}

RunResult runScreenInDir(std::istream& answers, std::ostream& console,
                         const std::filesystem::path& outDir, const RunOptions& options) {
  RunResult result;
  {
    std::ofstream report(outDir / "SCREEN.OUT", std::ios::binary | std::ios::trunc);
    std::ofstream echo(outDir / "SCREEN.DAT", std::ios::binary | std::ios::trunc);
    if (!report || !echo) {
      result.exitCode = 4;
      result.error = "kuvascreen: cannot write SCREEN.OUT or SCREEN.DAT in " + outDir.string();
      return result;
    }
    result = runScreen(answers, console, report, echo, options);
  }
  if (result.debugFile) std::ofstream(outDir / "SCREEN.DBG", std::ios::trunc);
  if (result.hardcopy) {
    // printed copy: every report line padded or cut to 80 columns, then a form feed
    std::ifstream in(outDir / "SCREEN.OUT", std::ios::binary);
    std::ofstream prn(outDir / "PRN", std::ios::binary | std::ios::trunc);
    std::string line;
    while (std::getline(in, line)) {
      line.resize(80, ' ');
      prn << line << '\n';
    }
    prn << " \f\n";
  }
  return result;
}

}  // namespace screen::engine
