// A whole run: read the deck and the meteorology, compute every hour, write the result files.
#pragma once

#include <ostream>
#include <string>

namespace mod {

// The most threads a run may be given; more than the receptors of an hour can use.
constexpr long kMaxThreads = 256;

struct RunSummary {
  int exitCode = 0;
  std::string error;  // set when exitCode != 0
  long hours = 0, calm = 0, missing = 0;
};

// Runs the deck at `deckPath`; relative file names in it are taken from the deck's folder.
// Progress and the summary go to `log`. `threads` = 0 picks the number of processors
// (at most kMaxThreads). The main
// output file (the run's inputs and result tables) is written to `reportPath` when it is given.
// Every file is put in place only when the whole run succeeds.
RunSummary runDeck(const std::string& deckPath, std::ostream& log, unsigned threads = 0,
                   const std::string& reportPath = "");

}  // namespace mod
