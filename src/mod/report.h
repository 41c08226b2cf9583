// The texts written at the end of a run: the summary file (the highest values of each averaging
// period and group, with the receptor and date) and the main output file (the run's inputs, the
// hours processed and the result tables laid out for reading).
#pragma once

#include <string>
#include <vector>

#include "mod/averages.h"
#include "mod/deck.h"

namespace mod {

struct ReportInput {
  const Deck& deck;
  const Averager& results;
  std::string options;  // "NonDFAULT  CONC  FLAT  RURAL  ADJ_U*"
  std::vector<std::string> messages;
};

// The result lines of the summary tables (preceded by their titles).
std::string summaryTables(const ReportInput& in);
// The whole summary file: a short input summary, the tables and the message summary.
std::string summaryFile(const ReportInput& in);
// The main output file.
std::string mainReport(const ReportInput& in);

}  // namespace mod
