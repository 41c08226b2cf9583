// The deck: one value per line, the two integers in columns 1-5 and the reals in columns 1-10,
// as a fixed-format read takes them (blanks ignored; a real written without a decimal point has
// three implied decimals, "1000" is 1.0). The meteorology sets follow the source; a negative
// roughness ends the deck.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "slab/slab.h"

namespace slab {

namespace {

struct Failure {
  std::string message;
};

class LineReader {
 public:
  explicit LineReader(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(line);
      start = end + 1;
    }
  }
  bool atEnd() const { return next_ >= lines_.size(); }
  size_t lineNumber() const { return next_ + 1; }

  // The field of `width` columns of the next line, blanks removed; refuses a line that ends
  // early or has text beyond the field.
  std::string field(const char* name, size_t width) {
    if (atEnd()) {
      throw Failure{"line " + std::to_string(lineNumber()) + ": the deck ends before " + name};
    }
    const std::string& line = lines_[next_];
    for (size_t i = width; i < line.size(); ++i) {
      if (line[i] != ' ') {
        throw Failure{"line " + std::to_string(lineNumber()) + ": " + name + " \"" + line +
                      "\" goes beyond column " + std::to_string(width)};
      }
    }
    std::string f;
    for (size_t i = 0; i < line.size() && i < width; ++i) {
      if (line[i] != ' ') f += line[i];
    }
    if (f.empty()) {
      throw Failure{"line " + std::to_string(lineNumber()) + ": no value for " + name};
    }
    current_ = line;
    ++next_;
    return f;
  }
  std::string bad(const char* name, const char* what) const {
    return "line " + std::to_string(next_) + ": " + name + " \"" + current_ + "\" " + what;
  }

 private:
  std::vector<std::string> lines_;
  size_t next_ = 0;
  std::string current_;
};

int readInt(LineReader& in, const char* name) {
  const std::string f = in.field(name, 5);
  size_t i = 0;
  if (f[0] == '+' || f[0] == '-') i = 1;
  if (i == f.size()) throw Failure{in.bad(name, "is not a whole number")};
  long v = 0;
  for (; i < f.size(); ++i) {
    if (f[i] < '0' || f[i] > '9') throw Failure{in.bad(name, "is not a whole number")};
    v = v * 10 + (f[i] - '0');
  }
  return static_cast<int>(f[0] == '-' ? -v : v);
}

double readReal(LineReader& in, const char* name) {
  std::string f = in.field(name, 10);
  // Split into sign, digits with an optional point, and an optional exponent (E or D).
  size_t i = 0;
  std::string sign;
  if (f[i] == '+' || f[i] == '-') sign = f[i++];
  std::string mant;
  bool point = false, digit = false;
  for (; i < f.size(); ++i) {
    const char c = f[i];
    if (c >= '0' && c <= '9') {
      mant += c;
      digit = true;
    } else if (c == '.' && !point) {
      mant += c;
      point = true;
    } else {
      break;
    }
  }
  std::string exp;
  if (i < f.size()) {
    if (f[i] == 'E' || f[i] == 'e' || f[i] == 'D' || f[i] == 'd')
      ++i;
    else if (f[i] != '+' && f[i] != '-')
      throw Failure{in.bad(name, "is not a number")};
    size_t j = i;
    if (j < f.size() && (f[j] == '+' || f[j] == '-')) ++j;
    if (j == f.size()) throw Failure{in.bad(name, "is not a number")};
    for (size_t k = j; k < f.size(); ++k) {
      if (f[k] < '0' || f[k] > '9') throw Failure{in.bad(name, "is not a number")};
    }
    exp = "E" + f.substr(i);
  }
  if (!digit) throw Failure{in.bad(name, "is not a number")};
  if (!point) {
    // Three implied decimals.
    while (mant.size() < 4) mant = "0" + mant;
    mant.insert(mant.size() - 3, ".");
  }
  const std::string text = sign + mant + exp;
  const float v = std::strtof(text.c_str(), nullptr);
  if (!std::isfinite(v)) throw Failure{in.bad(name, "is out of range")};
  return v;
}

}  // namespace

DeckRead readDeck(const std::string& text) {
  DeckRead r;
  LineReader in(text);
  Deck& d = r.deck;
  try {
    d.idspl = readInt(in, "idspl");
    d.ncalc = readInt(in, "ncalc");
    double* reals[] = {&d.wms, &d.cps, &d.tbp,  &d.cmed0, &d.dhe,   &d.cpsl,  &d.rhosl,
                       &d.spb, &d.spc, &d.ts,   &d.qs,    &d.as,    &d.tsd,   &d.qtis,
                       &d.hs,  &d.tav, &d.xffm, &d.zp[0], &d.zp[1], &d.zp[2], &d.zp[3]};
    const char* names[] = {"wms", "cps", "tbp",  "cmed0", "dhe",   "cpsl",  "rhosl",
                           "spb", "spc", "ts",   "qs",    "as",    "tsd",   "qtis",
                           "hs",  "tav", "xffm", "zp(1)", "zp(2)", "zp(3)", "zp(4)"};
    for (size_t i = 0; i < std::size(reals); ++i) *reals[i] = readReal(in, names[i]);
    for (;;) {
      if (in.atEnd() && !d.mets.empty()) break;  // the closing negative roughness is optional
      Met m;
      m.z0 = readReal(in, "z0");
      if (m.z0 < 0) break;
      m.za = readReal(in, "za");
      m.ua = readReal(in, "ua");
      m.ta = readReal(in, "ta");
      m.rh = readReal(in, "rh");
      m.stab = readReal(in, "stab");
      if (static_cast<float>(m.stab) == 0) m.ala = readReal(in, "ala");
      d.mets.push_back(m);
      if (d.mets.size() > 1000) {
        throw Failure{"line " + std::to_string(in.lineNumber()) +
                      ": more than 1000 meteorology sets"};
      }
    }
    if (d.mets.empty()) {
      throw Failure{"line " + std::to_string(in.lineNumber() - 1) +
                    ": the deck ends before its first meteorology set"};
    }
  } catch (const Failure& f) {
    r.status = Status::BadDeck;
    r.message = f.message;
    r.deck = Deck{};
  }
  return r;
}

namespace {

// The shortest text of v's float value with a decimal point that reads back as the same float
// within ten columns.
std::string real(double value) {
  const float v = static_cast<float>(value);
  for (int p = 1; p <= 9; ++p) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.*G", p, static_cast<double>(v));
    std::string s = buf;
    if (s.find('.') == std::string::npos) {
      const size_t e = s.find('E');
      s.insert(e == std::string::npos ? s.size() : e, ".");
    }
    if (s.size() <= 10 && std::strtof(s.c_str(), nullptr) == v) return s;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.3E", static_cast<double>(v));
  return buf;
}

}  // namespace

std::string writeDeck(const Deck& d) {
  std::string o;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%5d\r\n%5d\r\n", d.idspl, d.ncalc);
  o += buf;
  const auto add = [&o](double v) { o += real(v) + "\r\n"; };
  for (double v :
       {d.wms, d.cps, d.tbp,  d.cmed0, d.dhe, d.cpsl, d.rhosl, d.spb,   d.spc,   d.ts,   d.qs,
        d.as,  d.tsd, d.qtis, d.hs,    d.tav, d.xffm, d.zp[0], d.zp[1], d.zp[2], d.zp[3]}) {
    add(v);
  }
  for (const Met& m : d.mets) {
    for (double v : {m.z0, m.za, m.ua, m.ta, m.rh, m.stab}) add(v);
    if (static_cast<float>(m.stab) == 0) add(m.ala);
  }
  o += "-1.\r\n";
  return o;
}

}  // namespace slab
