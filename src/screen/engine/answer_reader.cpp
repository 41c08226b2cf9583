#include "screen/engine/answer_reader.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace screen::engine {

OverlongAnswer::OverlongAnswer()
    : std::runtime_error("an answer line is longer than " + std::to_string(kMaxAnswerLine) +
                         " characters") {}

std::string AnswerReader::line() {
  // Read straight from the buffer: like getline, a last line without its line feed counts and
  // only a read that finds nothing at all is the end of the answers.
  std::string text;
  std::streambuf* buf = m_in.rdbuf();
  bool any = false;
  for (;;) {
    const int ch = buf ? buf->sbumpc() : std::char_traits<char>::eof();
    if (ch == std::char_traits<char>::eof()) {
      m_in.setstate(any ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
      if (!any) throw EndOfAnswers();
      break;
    }
    any = true;
    if (ch == '\n') break;
    // one more than the cap, for a carriage return before the line feed
    if (text.size() > kMaxAnswerLine) throw OverlongAnswer();
    text.push_back(static_cast<char>(ch));
  }
  if (!text.empty() && text.back() == '\r') text.pop_back();
  if (text.size() > kMaxAnswerLine) throw OverlongAnswer();
  return text;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isSeparator(char c) { return isBlank(c) || c == ',' || c == ';' || c == '/'; }
bool allDigits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// Upper-case the string, for the special names and exponent letters.
std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::optional<long long> parseListInteger(const std::string& item) {
  size_t i = 0;
  bool negative = false;
  if (i < item.size() && (item[i] == '+' || item[i] == '-')) negative = item[i++] == '-';
  const std::string digits = item.substr(i);
  if (!allDigits(digits)) return std::nullopt;
  long long v = 0;
  for (char c : digits) {
    v = v * 10 + (c - '0');
    if (v > INT_MAX + 1LL) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > INT_MAX || v < INT_MIN) return std::nullopt;
  return v;
}

std::optional<float> parseListReal(const std::string& item) {
  if (item.empty()) return std::nullopt;
  const std::string u = upper(item);
  size_t i = 0;
  std::string text;
  if (u[i] == '+' || u[i] == '-') text += u[i++];
  const std::string rest = u.substr(i);
  if (rest == "INF" || rest == "INFINITY" || rest == "NAN") {
    if (rest == "NAN") return std::nanf("");
    return text == "-" ? -INFINITY : INFINITY;
  }
  bool mantDigits = false;
  while (i < u.size() && std::isdigit(static_cast<unsigned char>(u[i]))) {
    text += u[i++];
    mantDigits = true;
  }
  if (i < u.size() && u[i] == '.') {
    text += u[i++];
    while (i < u.size() && std::isdigit(static_cast<unsigned char>(u[i]))) {
      text += u[i++];
      mantDigits = true;
    }
  }
  if (!mantDigits) return std::nullopt;
  if (i < u.size()) {
    // exponent: a letter E/D/Q with an optional sign, or a sign alone
    if (u[i] == 'E' || u[i] == 'D' || u[i] == 'Q')
      ++i;
    else if (u[i] != '+' && u[i] != '-')
      return std::nullopt;
    std::string exp;
    if (i < u.size() && (u[i] == '+' || u[i] == '-')) exp += u[i++];
    const std::string digits = u.substr(i);
    if (!allDigits(digits)) return std::nullopt;
    text += 'E';
    text += exp + digits;
  }
  errno = 0;
  return std::strtof(text.c_str(), nullptr);
}

ReadStatus AnswerReader::reals(float* values, int count) { return list(values, count, Kind::Real); }

ReadStatus AnswerReader::integer(int& value) { return list(&value, 1, Kind::Integer); }

ReadStatus AnswerReader::list(void* values, int count, Kind kind) {
  int filled = 0;
  bool afterValue = false;
  auto assign = [&](const std::string& item) -> bool {
    if (kind == Kind::Integer) {
      const auto v = parseListInteger(item);
      if (!v) return false;
      static_cast<int*>(values)[filled] = static_cast<int>(*v);
    } else {
      const auto v = parseListReal(item);
      if (!v) return false;
      static_cast<float*>(values)[filled] = *v;
    }
    return true;
  };
  while (filled < count) {
    const std::string text = line();
    size_t i = 0;
    while (i < text.size() && filled < count) {
      const char c = text[i];
      if (isBlank(c)) {
        ++i;
        continue;
      }
      if (c == '/') return ReadStatus::Ok;
      if (c == ',' || c == ';') {
        if (afterValue)
          afterValue = false;
        else
          ++filled;  // an empty value leaves the variable as it was
        ++i;
        continue;
      }
      size_t j = i;
      while (j < text.size() && !isSeparator(text[j])) ++j;
      std::string item = text.substr(i, j - i);
      i = j;
      // repeat count r*value or r*
      int repeat = 1;
      const auto star = item.find('*');
      if (star != std::string::npos) {
        const std::string r = item.substr(0, star);
        if (!allDigits(r) || r.size() > 9 || std::atoi(r.c_str()) <= 0) return ReadStatus::Error;
        repeat = std::atoi(r.c_str());
        item = item.substr(star + 1);
      }
      if (item.empty()) {
        filled = std::min(count, filled + repeat);
      } else {
        for (int k = 0; k < repeat && filled < count; ++k) {
          if (!assign(item)) return ReadStatus::Error;
          ++filled;
        }
      }
      afterValue = true;
    }
  }
  return ReadStatus::Ok;
}

namespace {

std::string withoutBlanks(const std::string& field) {
  std::string s;
  for (char c : field)
    if (!isBlank(c)) s += c;
  return s;
}

}  // namespace

std::optional<float> parseFixedReal(const std::string& field) {
  const std::string s = withoutBlanks(field);
  if (s.empty()) return 0.0f;
  if (s.find_first_of("*/,;") != std::string::npos) return std::nullopt;
  const std::string u = upper(s);
  if (u.find("INF") != std::string::npos || u.find("NAN") != std::string::npos) return std::nullopt;
  return parseListReal(s);
}

std::optional<long long> parseFixedInteger(const std::string& field) {
  const std::string s = withoutBlanks(field);
  if (s.empty()) return 0;
  return parseListInteger(s);
}

}  // namespace screen::engine
