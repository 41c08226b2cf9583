#include "report_compare.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

namespace screen::engine::testing {

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> readLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::istringstream in(readFile(file));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool isStampLine(const std::string& line) {
  if (line.size() != 78 || line.compare(0, 70, std::string(70, ' ')) != 0) return false;
  const std::string tail = line.substr(70);
  for (size_t i = 0; i < tail.size(); ++i)
    if (!(std::isdigit(static_cast<unsigned char>(tail[i])) || (i == 6 && tail[i] == '.')))
      return false;
  return true;
}

namespace {

bool isNumberChar(char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; }

// Split into alternating text and number tokens ("-12.5E+03" counts as one number).
std::vector<std::string> tokens(const std::string& s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    size_t j = i;
    if (isNumberChar(s[i]) || ((s[i] == '-') && i + 1 < s.size() && isNumberChar(s[i + 1]))) {
      ++j;
      while (j < s.size() && isNumberChar(s[j])) ++j;
      if (j + 3 < s.size() + 1 && j < s.size() && s[j] == 'E' &&
          (s[j + 1] == '+' || s[j + 1] == '-')) {
        j += 2;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
      }
    } else {
      while (j < s.size() && !isNumberChar(s[j]) &&
             !(s[j] == '-' && j + 1 < s.size() && isNumberChar(s[j + 1])))
        ++j;
    }
    out.push_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

// One unit in the last printed digit of a number token.
double lastDigitUnit(const std::string& t) {
  const size_t e = t.find('E');
  const std::string mant = t.substr(0, e);
  const size_t dot = mant.find('.');
  const int decimals = dot == std::string::npos ? 0 : static_cast<int>(mant.size() - dot - 1);
  double unit = std::pow(10.0, -decimals);
  if (e != std::string::npos) unit *= std::pow(10.0, std::atof(t.c_str() + e + 1));
  return unit;
}

bool numbersClose(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  const double unit = lastDigitUnit(b);
  if (lastDigitUnit(a) != unit) return false;
  return std::fabs(std::atof(a.c_str()) - std::atof(b.c_str())) <= unit * 1.0000001;
}

}  // namespace

bool linesMatch(const std::string& actual, const std::string& expected) {
  if (actual == expected) return true;
  if (actual.size() != expected.size()) return false;
  const auto ta = tokens(actual), te = tokens(expected);
  if (ta.size() != te.size()) return false;
  for (size_t i = 0; i < ta.size(); ++i) {
    if (ta[i] == te[i]) continue;
    const bool num = isNumberChar(te[i][0]) || te[i][0] == '-';
    if (!num || !numbersClose(ta[i], te[i])) return false;
  }
  return true;
}

std::vector<std::string> compareReports(const std::vector<std::string>& actual,
                                        const std::vector<std::string>& expected,
                                        const std::vector<LineException>& exceptions) {
  std::vector<std::string> diffs;
  if (actual.size() != expected.size())
    diffs.push_back("line count " + std::to_string(actual.size()) + " instead of " +
                    std::to_string(expected.size()));
  const size_t n = std::min(actual.size(), expected.size());
  for (size_t i = 0; i < n; ++i) {
    if (isStampLine(expected[i]) && isStampLine(actual[i])) continue;
    bool excepted = false;
    for (const LineException& e : exceptions)
      excepted = excepted || e.line == static_cast<int>(i + 1);
    if (excepted) continue;
    if (!linesMatch(actual[i], expected[i]))
      diffs.push_back("line " + std::to_string(i + 1) + ":\n  got      [" + actual[i] +
                      "]\n  expected [" + expected[i] + "]");
  }
  return diffs;
}

}  // namespace screen::engine::testing
