// The screening program's report "SCREEN.OUT": its marker lines and the numbers taken from
// them. Every number is read from its whole printed field, so values printed in exponent
// form (0.1386E+06) keep their exponent.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace screen {

struct Report {
  std::vector<std::string> lines;  // every line, without its terminator
  std::vector<int> automated;      // indices of "SCREEN AUTOMATED DISTANCES" lines
  std::vector<int> discrete;       // indices of "SCREEN DISCRETE DISTANCES" lines
  int valley = 0;                  // last valley-table header line (0 when missing)
  int summary = 0;                 // last "SUMMARY OF SCREEN MODEL RESULTS" line (0 when missing)
  bool has_summary = false;        // whether that line was found
  int complex_count = 0;           // number of complex-terrain result lines
  std::string text;                // the whole report, every line followed by "\n"
};

// Splits and indexes a report text (LF or CRLF line ends).
Report parseReport(const std::string& text);

// One result line of a distance block or of the complex-terrain table.
struct ResultLine {
  double distance_m = 0;
  double terrain_m = 0;   // terrain height above the stack base, m
  double conc_ug_m3 = 0;  // concentration, ug/m3 (24-hour value for complex terrain)
};

// A number field of the report that cannot be read (the program prints "*****" when a value
// overflows its column): the run's results cannot be used. The message names the line.
class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The maximum of the run: the largest concentration over every result line of the summary
// (simple and complex terrain, each building-cavity line, inversion break-up and shoreline
// fumigation), with its distance and terrain height ("--" reads as 0). On a tie the first line
// in report order wins.
struct SummaryMax {
  double conc_ug_m3 = 0;
  double distance_m = 0;
  double terrain_m = 0;
};

// A block of results: the terrain height of the block and its result lines.
struct Block {
  double terrain_m = 0;
  std::vector<ResultLine> rows;
};

// Throws ReportError when a field of a result line cannot be read or the summary holds no
// result line; a report without a summary gives zeros.
SummaryMax summaryMax(const Report& r);
// Automated-distance blocks in report order; every result line from the eighth line after the
// marker until the first blank line.
std::vector<Block> automatedBlocks(const Report& r);
// Discrete-distance blocks in report order, read like the automated ones. The estimation
// mode writes one distance per block for points, flares and volumes (each receptor has its own
// terrain height) and one block with every distance for an area source.
std::vector<Block> discreteBlocks(const Report& r);
// The complex-terrain lines with their controlling (largest) 24-hour concentration, the value
// the summary reports for the same point.
std::vector<ResultLine> complexLines(const Report& r);
// The readers of blocks and complex-terrain lines throw ReportError for a field they cannot read.

// Number at a column of a line (0-based position and length; blanks and trailing text are
// ignored, 0 when the line is shorter or holds no number).
double numberAt(const std::string& line, size_t column, size_t length);

// The number of a printed field: the first word inside the column window must be a whole
// number ("100.", "0.1386E+06"); otherwise ReportError naming the 1-based line number.
double fieldAt(const std::string& line, size_t column, size_t length, size_t line_no);

// Distance (first field) and concentration (second field) of a distance-table line; throws
// ReportError when either cannot be read.
ResultLine distanceLine(const std::string& line, size_t line_no = 0);

}  // namespace screen
