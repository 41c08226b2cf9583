#pragma once
// The two text streams of a run: the report file (SCREEN.OUT) and the console.

#include <ostream>
#include <string>

namespace screen::engine {

class Output {
 public:
  Output(std::ostream& report, std::ostream& console) : report_(report), console_(console) {}

  void file(const std::string& line) { report_ << line << '\n'; }
  void con(const std::string& line) { console_ << line << '\n'; }
  void both(const std::string& line) {
    file(line);
    con(line);
  }
  void flush() {
    report_.flush();
    console_.flush();
  }

 private:
  std::ostream& report_;
  std::ostream& console_;
};

}  // namespace screen::engine
