// Reads text line by line, refusing a line longer than 4096 characters before it is stored, so
// that an endless line (a binary file, a device) fails promptly instead of filling the memory.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace mod {

constexpr size_t kMaxLine = 4096;

class LineReader {
 public:
  LineReader(std::istream& in, std::string name) : in_(in), name_(std::move(name)) {}
  // Next line without its end-of-line characters; false at the end of the input.
  bool next(std::string& line);
  long lineNo() const { return line_; }
  const std::string& name() const { return name_; }

 private:
  std::istream& in_;
  std::string name_;
  long line_ = 0;
};

// Whitespace-separated words; a word in double quotes may hold blanks.
std::vector<std::string> splitWords(const std::string& line);
// The whole word must be a finite number.
bool parseNumber(const std::string& word, double& value);

}  // namespace mod
