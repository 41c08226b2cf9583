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
// The whole word must be a finite number (correctly rounded; for the met files).
bool parseNumber(const std::string& word, double& value);
// A number of the control file, read digit by digit as the reference program of the deck format
// does (c = 10·c + d before the point, c = c + f·d with f divided by 10 after it, m·10^e with an
// exponent |e| <= 30), so that the inputs carry the same last bits. False for anything else.
bool parseDeckNumber(const std::string& word, double& value);

}  // namespace mod
