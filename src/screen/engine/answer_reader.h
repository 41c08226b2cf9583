#pragma once
// Reading the answers of the dialogue: whole lines, Y/N letters, free-format (list-directed)
// numbers and the fixed-field numbers of the velocity and urban/rural questions.

#include <istream>
#include <optional>
#include <stdexcept>
#include <string>

namespace screen::engine {

// Thrown when the answers end while a question is waiting.
class EndOfAnswers : public std::runtime_error {
 public:
  EndOfAnswers() : std::runtime_error("the answers ended before the dialogue was complete") {}
};

// Thrown when an answer line is longer than any question reads (kMaxAnswerLine characters):
// such input is not an answer file, and reading on would hold an unbounded line in memory.
class OverlongAnswer : public std::runtime_error {
 public:
  OverlongAnswer();
};

// The dialogue keeps at most 80 columns of a line; a few KB leaves room for long number lists.
constexpr size_t kMaxAnswerLine = 4096;

enum class ReadStatus { Ok, Error };

class AnswerReader {
 public:
  explicit AnswerReader(std::istream& in) : m_in(in) {}

  // Next whole line (carriage return before the line feed removed). Throws EndOfAnswers, or
  // OverlongAnswer for a line longer than kMaxAnswerLine.
  std::string line();

  // Free-format reals: fills up to `count` values, continuing on further lines as needed.
  // Empty values and a slash leave the variable unchanged. On a conversion error the rest of
  // the line is dropped and Error is returned (values converted before it are kept).
  ReadStatus reals(float* values, int count);
  ReadStatus integer(int& value);

 private:
  enum class Kind { Real, Integer };
  ReadStatus list(void* values, int count, Kind kind);

  std::istream& m_in;
};

// Fortran list-directed conversion of one item (no separators inside).
std::optional<float> parseListReal(const std::string& item);
std::optional<long long> parseListInteger(const std::string& item);

// Fixed-field conversion with blanks ignored (an all-blank field is 0).
std::optional<float> parseFixedReal(const std::string& field);
std::optional<long long> parseFixedInteger(const std::string& field);

}  // namespace screen::engine
