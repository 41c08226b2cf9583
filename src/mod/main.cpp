// kuvamod: hourly concentrations of point sources over flat, rural terrain from an AERMOD-style
// control file and AERMET surface and profile files. Usage: kuvamod DECK. Relative file names in
// the deck are taken from the deck's folder; the result files it names are written there.

#include <iostream>

#include "mod/run.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kuvamod DECK\n";
    return 2;
  }
  const mod::RunSummary s = mod::runDeck(argv[1], std::cout);
  if (s.exitCode != 0) std::cerr << s.error << '\n';
  return s.exitCode;
}
