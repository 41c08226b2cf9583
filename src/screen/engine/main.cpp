// kuvascreen: the screening model as a console program. Answers come from standard input, or
// from the file named by a single argument of the form "<file"; SCREEN.OUT and SCREEN.DAT are
// written into the current directory.

#include <fstream>
#include <iostream>
#include <string>

#include "screen/engine/engine.h"

int main(int argc, char** argv) {
  std::ifstream file;
  std::istream* answers = &std::cin;
  if (argc == 2 && argv[1][0] == '<') {
    const std::string name = argv[1] + 1;
    file.open(name, std::ios::binary);
    if (!file) {
      std::cerr << "kuvascreen: cannot open the answer file \"" << name << "\"\n";
      return 1;
    }
    answers = &file;
  }
  const screen::engine::RunResult r = screen::engine::runScreenInDir(*answers, std::cout, ".");
  if (r.exitCode != 0) std::cerr << r.error << '\n';
  return r.exitCode;
}
