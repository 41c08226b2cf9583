#include "core/parse.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace core {
namespace {

std::string_view trimBlanks(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

ParsedNumber parseNumber(std::string_view text) {
  ParsedNumber r;
  const std::string_view t = trimBlanks(text);
  if (t.empty()) {
    r.error = ParseError::Empty;
    return r;
  }
  const std::string s(t);
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str()) {
    r.error = ParseError::NotANumber;
    return r;
  }
  // strtod also reads hexadecimal numbers, "inf" and "nan"; a form field takes none of them.
  for (const char* p = s.c_str(); p != end; ++p) {
    const char c = *p;
    const bool decimal =
        (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    if (!decimal) {
      r.error = ParseError::NotANumber;
      return r;
    }
  }
  if (*end != '\0') {
    r.error = ParseError::ExtraText;
    return r;
  }
  if (errno == ERANGE && std::isinf(v)) {
    r.error = ParseError::OutOfRange;
    return r;
  }
  r.value = v;
  return r;
}

ParsedInt parseInt(std::string_view text) {
  ParsedInt r;
  const std::string_view t = trimBlanks(text);
  if (t.empty()) {
    r.error = ParseError::Empty;
    return r;
  }
  const std::string s(t);
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(s.c_str(), &end, 10);
  if (end == s.c_str()) {
    r.error = ParseError::NotANumber;
    return r;
  }
  if (*end != '\0') {
    r.error = ParseError::ExtraText;
    return r;
  }
  if (errno == ERANGE || v > 2147483647LL || v < -2147483648LL) {
    r.error = ParseError::OutOfRange;
    return r;
  }
  r.value = v;
  return r;
}

std::string describe(ParseError e) {
  switch (e) {
    case ParseError::None: return "正确";
    case ParseError::Empty: return "为空";
    case ParseError::NotANumber: return "不是数字";
    case ParseError::ExtraText: return "不是数字（数字后面还有文字）";
    case ParseError::OutOfRange: return "超出范围";
  }
  return "无法识别";
}

std::size_t jsonNestingDepth(std::string_view text) {
  std::size_t depth = 0, deepest = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;  // the escaped character cannot end the string
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

}  // namespace core
