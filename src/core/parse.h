// Strict number reading for form fields and command-line values.
#pragma once

#include <string>
#include <string_view>

namespace core {

enum class ParseError { None, Empty, NotANumber, ExtraText, OutOfRange };

struct ParsedNumber {
  double value = 0;
  ParseError error = ParseError::None;
  bool ok() const { return error == ParseError::None; }
};

// The whole text must be one number; blanks before and after it are allowed.
// " 3.5 " gives 3.5; "3.5x" gives ExtraText; "" and "   " give Empty.
ParsedNumber parseNumber(std::string_view text);

// A whole number (no fraction, no exponent), blanks allowed around it.
struct ParsedInt {
  long long value = 0;
  ParseError error = ParseError::None;
  bool ok() const { return error == ParseError::None; }
};
ParsedInt parseInt(std::string_view text);

// Words for a parse error, for command-line messages.
std::string describe(ParseError e);

}  // namespace core
