// The questions of the dialogue and the echo of accepted answers.

#include <algorithm>
#include <cctype>
#include <cmath>

#include "screen/engine/dispersion.h"
#include "screen/engine/fortran_format.h"
#include "screen/engine/session.h"

namespace screen::engine {

namespace {

std::string toUpper(std::string s, size_t upTo) {
  for (size_t i = 0; i < std::min(upTo, s.size()); ++i)
    if (s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 'a' + 'A');
  return s;
}

std::string padTo(std::string s, size_t width) {
  if (s.size() > width) s.resize(width);
  s.append(width - s.size(), ' ');
  return s;
}

const std::vector<std::string> kSourceMenu = {
    " ENTER SOURCE TYPE: P    FOR POINT  ",
    "                    F    FOR FLARE  ",
    "                    A    FOR AREA   ",
    "                    V    FOR VOLUME ",
    "   ALSO ENTER ANY OF THE FOLLOWING OPTIONS ON THE SAME LINE:",
    "  ",
    "     N    - TO USE THE NON-REGULATORY BUT CONSERVATIVE BRODE 2",
    "            MIXING HEIGHT OPTION,",
    "     nn.n - TO USE AN ANEMOMETER HEIGHT OTHER THAN THE REGULATORY",
    "            (DEFAULT) 10 METER HEIGHT.",
    "     SS   - TO USE A NON-REGULATORY CAVITY CALCULATION ALTERNATIVE",
    "  Example - PN 7.0 SS (entry for a point source)",
    "  ",
    "  ENTER SOURCE TYPE AND ANY OF THE ABOVE OPTIONS:"};

const std::vector<std::string> kVelocityPrompt = {" ENTER STACK GAS EXIT VELOCITY OR FLOW RATE:",
                                                  "",
                                                  "OPTION 1 : EXIT VELOCITY (M/S):",
                                                  " DEFAULT - ENTER NUMBER ONLY   ",
                                                  "OPTION 2 : VOLUME FLOW RATE (M**3/S):",
                                                  "           EXAMPLE \"VM=20.00\"      ",
                                                  "OPTION 3 : VOLUME FLOW RATE (ACFM):",
                                                  "           EXAMPLE \"VF=1000.00\"     "};

const std::vector<std::string> kOptionBox = {
    "               *************************************",
    "               *  THE OPTION CAN NOT BE PROCESSED  *",
    "               *    PLEASE RE-ENTER YOUR OPTION    *",
    "               *************************************"};

// Anemometer height from the digits of the source line, placed by the last decimal point.
float anemometerHeight(const std::string& line, size_t trimmed) {
  const size_t dot = line.rfind('.', trimmed == 0 ? 0 : trimmed - 1);
  const long p = (dot == std::string::npos || dot >= trimmed) ? static_cast<long>(trimmed) + 1
                                                              : static_cast<long>(dot) + 1;
  float sum = 0.0f;
  for (size_t i = 0; i < trimmed; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) continue;
    const long k = static_cast<long>(i) + 1;
    const long e = p > k ? p - k - 1 : p - k;
    sum += static_cast<float>(line[i] - '0') * std::pow(10.0f, static_cast<float>(e));
  }
  return sum <= 0.0001f ? 10.0f : sum;
}

}  // namespace

std::string replayable(const std::string& text, float value) {
  // The echo must read back as the same number so that the echo file repeats the run.
  const size_t b = text.find_first_not_of(' ');
  const size_t e = text.find_last_not_of(' ');
  const auto back =
      b == std::string::npos ? std::optional<float>() : parseListReal(text.substr(b, e - b + 1));
  const bool same = back && (*back == value || (std::isnan(*back) && std::isnan(value)));
  if (same) return text;
  return strFormat(" %.9g", static_cast<double>(value));
}

void Session::echo(const std::string& line) { m_echo << line << '\n'; }

float Session::askReal(const std::vector<std::string>& prompt, float& var) {
  for (;;) {
    for (const std::string& p : prompt) m_out.con(p);
    if (m_in.reals(&var, 1) == ReadStatus::Ok) return var;
  }
}

void Session::askTwoReals(const std::vector<std::string>& prompt, float& a, float& b) {
  float v[2] = {a, b};
  for (;;) {
    for (const std::string& p : prompt) m_out.con(p);
    if (m_in.reals(v, 2) == ReadStatus::Ok) break;
  }
  a = v[0];
  b = v[1];
}

int Session::askInteger(const std::vector<std::string>& prompt, int& var) {
  for (;;) {
    for (const std::string& p : prompt) m_out.con(p);
    if (m_in.integer(var) == ReadStatus::Ok) return var;
  }
}

bool Session::askYesNo(const std::vector<std::string>& prompt) {
  for (;;) {
    for (const std::string& p : prompt) m_out.con(p);
    const std::string line = m_in.line();
    if (line.empty()) continue;
    const char c = line[0];
    if (c == 'Y' || c == 'y' || c == 'N' || c == 'n') {
      echo(std::string(1, c));
      return c == 'Y' || c == 'y';
    }
  }
}

void Session::echoSourceNumber(float v) {
  if (m_src.kind == SourceKind::Point)
    echo(replayable(fmtG(v, 14, 6), v));
  else
    echo(replayable(std::string(" ").append(fmtG(v, 11, 4)), v));
}

void Session::askTitle() {
  m_out.con("  ******  SCREEN3 MODEL  ******");
  m_out.con("  **** VERSION DATED 13043 ****");
  m_out.con("  ");
  m_out.con(" ENTER TITLE FOR THIS RUN (UP TO 79 CHARACTERS):");
  m_title = padTo(m_in.line(), 79);
  echo(m_title);
  debugFile_ = m_title.substr(74, 5) == "DEBUG";
}

void Session::askSourceLine() {
  m_out.con("  ");
  for (;;) {
    for (const std::string& p : kSourceMenu) m_out.con(p);
    std::string line = m_in.line();
    if (line.size() > 50) line.resize(50);
    size_t trimmed = line.find_last_not_of(' ');
    trimmed = trimmed == std::string::npos ? 0 : trimmed + 1;
    line = toUpper(line, trimmed);
    std::string type = line.empty() ? std::string(" ") : line.substr(0, 1);
    if (line.size() >= 4 && line.substr(1, 3) == "DEP") type += "DEP";
    const bool n = line.substr(0, trimmed).find('N') != std::string::npos;
    const bool ss = line.substr(0, trimmed).find("SS") != std::string::npos;
    m_src.za = anemometerHeight(line, trimmed);
    m_src.brode2 = n;
    ssOption_ = ss;
    echoN_ = echoN_ || n;
    echoSS_ = echoSS_ || ss;
    std::string e = padTo(type, 4) + " ";
    e += echoN_ ? 'N' : '\0';
    e.append(" ").append(fmtF(m_src.za, 8, 1)).append(" ");
    e += echoSS_ ? std::string("SS") : std::string(2, '\0');
    echo(e);
    if (type == "P")
      m_src.kind = SourceKind::Point;
    else if (type == "F")
      m_src.kind = SourceKind::Flare;
    else if (type == "A")
      m_src.kind = SourceKind::Area;
    else if (type == "V")
      m_src.kind = SourceKind::Volume;
    else
      continue;
    return;
  }
}

bool Session::askUrbanRural() {
  for (;;) {
    m_out.con(" ENTER URBAN/RURAL OPTION (U=URBAN, R=RURAL): ");
    std::string line = m_in.line();
    if (line.size() > 80) line.resize(80);
    const auto v = parseFixedInteger(line.substr(0, std::min<size_t>(20, line.size())));
    if (v) {
      echo(fmtLdi(*v));
      if (*v == 1 || *v == 2) {
        m_src.urban = *v == 1;
        return true;
      }
      continue;
    }
    const char c = line.empty() ? ' ' : line[0];
    if (c == '1' || c == 'U' || c == 'u') {
      echo("U");
      m_src.urban = true;
      return true;
    }
    if (c == '2' || c == 'R' || c == 'r') {
      echo("R");
      m_src.urban = false;
      return true;
    }
  }
}

bool Session::askVelocity() {
  for (;;) {
    for (const std::string& p : kVelocityPrompt) m_out.con(p);
    std::string line = m_in.line();
    if (line.size() > 80) line.resize(80);
    line = toUpper(line, line.size());
    const bool vm = line.rfind("VM=", 0) == 0;
    const bool vf = line.rfind("VF=", 0) == 0;
    const size_t start = (vm || vf) ? 3 : 0;
    const std::string field = line.size() > start ? line.substr(start, 20) : std::string();
    const auto value = parseFixedReal(field);
    if (!value || !std::isfinite(*value)) {
      for (const std::string& p : kOptionBox) m_out.con(p);
      continue;
    }
    if (vm || vf) {
      echo(padTo(line, 80));
      if (*value < 0.0f) return false;
      const float d2 = m_src.ds * m_src.ds;
      flowKind_ = vm ? 1 : 2;
      flowValue_ = *value;
      // ACFM to m3/s uses 0.3048^3 rounded once to single precision
      m_src.vs = vm ? (4.0f * *value) / (kPi * d2) : (0.028316848f * *value) / ((15.0f * kPi) * d2);
    } else {
      echo(replayable(fmtG(*value, 14, 6), *value));
      if (*value < 0.0f) return false;  // a negative velocity is refused like a negative flow rate
      flowKind_ = 0;
      m_src.vs = *value;
    }
    velocityShown_ = m_src.vs;
    return true;
  }
}

}  // namespace screen::engine
