// Strict number reading for form fields and command-line values.
#pragma once

#include <cstddef>
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

// Deepest nesting of JSON text this program reads (scenes, stored scenes, tables, projects):
// real files nest fewer than ten levels.
inline constexpr std::size_t kMaxJsonNesting = 64;

// The deepest nesting of arrays and objects in a JSON text, found without parsing (brackets in
// strings are skipped), so that text nested too deeply for a recursive parser is refused
// before it is parsed. Malformed text gives some depth; the parser then says what is wrong.
std::size_t jsonNestingDepth(std::string_view text);

}  // namespace core
