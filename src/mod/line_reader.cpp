#include "mod/line_reader.h"

#include <cmath>
#include <cstdlib>

#include "mod/errors.h"

namespace mod {

bool LineReader::next(std::string& line) {
  line.clear();
  std::streambuf* buf = in_.rdbuf();
  int c = buf->sbumpc();
  if (c == std::char_traits<char>::eof()) return false;
  ++line_;
  while (c != std::char_traits<char>::eof() && c != '\n') {
    if (line.size() >= kMaxLine + 1)
      throw fileError(name_, line_, "line longer than 4096 characters");
    line.push_back(static_cast<char>(c));
    c = buf->sbumpc();
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxLine) throw fileError(name_, line_, "line longer than 4096 characters");
  return true;
}

std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    if (line[i] == '"') {
      const size_t end = line.find('"', i + 1);
      const size_t stop = end == std::string::npos ? n : end;
      words.push_back(line.substr(i + 1, stop - i - 1));
      i = stop + 1;
      continue;
    }
    const size_t start = i;
    while (i < n && line[i] != ' ' && line[i] != '\t') ++i;
    words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool parseNumber(const std::string& word, double& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  value = std::strtod(word.c_str(), &end);
  return end == word.c_str() + word.size() && std::isfinite(value);
}

bool parseDeckNumber(const std::string& word, double& value) {
  double c = 0.0, f = 1.0, mantissa = 0.0;
  bool negative = false, point = false, exponent = false, digits = false, signAllowed = true;
  for (const char ch : word) {
    if (ch >= '0' && ch <= '9') {
      const double d = ch - '0';
      if (point) {
        f = f / 10.0;
        c = c + f * d;
      } else {
        c = c * 10.0 + d;
      }
      digits = true;
      signAllowed = false;
    } else if ((ch == '-' || ch == '+') && signAllowed) {
      negative = ch == '-';
      signAllowed = false;
    } else if (ch == '.' && !point && !exponent) {
      point = true;
      signAllowed = false;
    } else if ((ch == 'E' || ch == 'e' || ch == 'D' || ch == 'd') && !exponent && digits) {
      // The exponent digits accumulate afresh; the mantissa keeps its sign.
      mantissa = negative ? -c : c;
      exponent = true;
      c = 0.0;
      f = 1.0;
      negative = false;
      point = false;
      digits = false;
      signAllowed = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  const double v = negative ? -c : c;
  if (!exponent) {
    value = v;
  } else {
    if (std::fabs(v) > 30.0) return false;
    value = mantissa * std::pow(10.0, v);
  }
  return std::isfinite(value);
}

}  // namespace mod
