#pragma once
// Comparing a produced SCREEN.OUT with a sample report: line by line, date and time lines
// skipped, numbers allowed to differ by one unit in their last printed digit.

#include <filesystem>
#include <string>
#include <vector>

namespace screen::engine::testing {

std::vector<std::string> readLines(const std::filesystem::path& file);
std::string readFile(const std::filesystem::path& file);

// True for the run-date and run-time lines (70 blanks, then digits).
bool isStampLine(const std::string& line);

// True when the lines are equal, or differ only in numbers that are one last-digit unit apart.
bool linesMatch(const std::string& actual, const std::string& expected);

struct LineException {
  int line;  // 1-based line of the sample report
  std::string reason;
};

// Differences as readable messages (empty when the reports match).
std::vector<std::string> compareReports(const std::vector<std::string>& actual,
                                        const std::vector<std::string>& expected,
                                        const std::vector<LineException>& exceptions = {});

}  // namespace screen::engine::testing
