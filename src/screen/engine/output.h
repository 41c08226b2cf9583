#pragma once
// The two text streams of a run: the report file (SCREEN.OUT) and the console.

#include <ostream>
#include <string>

namespace screen::engine {

class Output {
 public:
  Output(std::ostream& report, std::ostream& console) : m_report(report), m_console(console) {}

  void file(const std::string& line) { m_report << line << '\n'; }
  void con(const std::string& line) { m_console << line << '\n'; }
  void both(const std::string& line) {
    file(line);
    con(line);
  }
  void flush() {
    m_report.flush();
    m_console.flush();
  }

 private:
  std::ostream& m_report;
  std::ostream& m_console;
};

}  // namespace screen::engine
