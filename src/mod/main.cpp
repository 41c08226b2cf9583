// kuvamod: hourly concentrations of point sources over flat, rural terrain from an AERMOD-style
// control file and AERMET surface and profile files. Usage: kuvamod DECK [OUT]; OUT receives the
// run summary and the result tables. Relative file names in
// the deck are taken from the deck's folder; the result files it names are written there.
// KUVAMOD_THREADS=n limits the threads (the results do not depend on it).

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "mod/run.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: kuvamod DECK [OUT]\n";
    return 2;
  }
  // KUVAMOD_THREADS limits the threads that share the receptors of an hour (default: all cores).
  unsigned threads = 0;
  if (const char* t = std::getenv("KUVAMOD_THREADS")) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(t, &end, 10);
    if (*t == '\0' || *end != '\0' || errno != 0 || n < 1 || n > mod::kMaxThreads) {
      std::cerr << "kuvamod: KUVAMOD_THREADS must be a whole number from 1 to " << mod::kMaxThreads
                << ", not \"" << t << "\"\n";
      return 2;
    }
    threads = static_cast<unsigned>(n);
  }
  const mod::RunSummary s = mod::runDeck(argv[1], std::cout, threads, argc == 3 ? argv[2] : "");
  if (s.exitCode != 0) std::cerr << s.error << '\n';
  return s.exitCode;
}
