// A field's name, formula symbol and unit as a calculation sheet lists them, read from the
// declaration: an explicit symbol and unit win, else the label's trailing symbol and its
// bracketed unit ("河水流量Qh [m^3/s]"), else the key where it is a plain symbol.
#include <array>
#include <string>
#include <utility>

#include "core/calculator.h"

namespace core {

namespace {

// UTF-8 to code points and back (labels are our own, well-formed text).
std::u32string decode(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int len = 1;
    char32_t cp = c;
    if (c >= 0xF0) {
      len = 4;
      cp = c & 0x07u;
    } else if (c >= 0xE0) {
      len = 3;
      cp = c & 0x0Fu;
    } else if (c >= 0xC0) {
      len = 2;
      cp = c & 0x1Fu;
    }
    for (int k = 1; k < len && i + static_cast<size_t>(k) < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3Fu);
    out.push_back(cp);
    i += static_cast<size_t>(len);
  }
  return out;
}

std::string encode(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool isSpace(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }

bool isLetter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0x391 && c <= 0x3C9);
}

// Full-width Latin letters and digits typed into a label read as their ASCII forms; the
// triangle some labels use for delta reads as Δ.
char32_t plain(char32_t c) {
  if (c >= 0xFF10 && c <= 0xFF5A) return c - 0xFF10 + U'0';
  if (c == 0x25B3) return 0x394;
  return c;
}

bool isSymbolChar(char32_t c) {
  c = plain(c);
  return isLetter(c) || (c >= U'0' && c <= U'9') || c == U'/' || c == U'\'';
}

std::u32string trim(std::u32string s, const std::u32string& also = U"") {
  auto strip = [&](char32_t c) { return isSpace(c) || also.find(c) != std::u32string::npos; };
  while (!s.empty() && strip(s.back())) s.pop_back();
  size_t b = 0;
  while (b < s.size() && strip(s[b])) ++b;
  return s.substr(b);
}

// Runs of blanks inside a name (labels spaced out to line up on the form) become nothing
// between Chinese characters and one space elsewhere.
std::u32string collapse(const std::u32string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (!isSpace(s[i])) {
      out += s[i];
      continue;
    }
    size_t j = i;
    while (j < s.size() && isSpace(s[j])) ++j;
    const bool wide_before = !out.empty() && out.back() >= 0x2E80;
    const bool wide_after = j < s.size() && s[j] >= 0x2E80;
    if (!(wide_before && wide_after) && !out.empty() && j < s.size()) out += U' ';
    i = j - 1;
  }
  return out;
}

// "m^3/s" as printed: m³/s; "10^(-7)" as 10⁻⁷.
std::string prettyUnit(const std::string& unit) {
  static const std::array<std::pair<std::string, std::string>, 8> kPowers{{
      {"^(-7)", "⁻⁷"},
      {"^-1", "⁻¹"},
      {"^(-1)", "⁻¹"},
      {"^2", "²"},
      {"^3", "³"},
      {"^0.5", "^0.5"},
      {"^4", "⁴"},
      {"^-2", "⁻²"},
  }};
  std::string out = unit;
  for (const auto& [from, to] : kPowers)
    for (size_t at = out.find(from); at != std::string::npos; at = out.find(from, at + to.size()))
      out.replace(at, from.size(), to);
  return out;
}

// A key that reads as a formula symbol: Greek names written out become the letters (eta1 ->
// η1), a leading d before a capital becomes Δ (dL -> ΔL); keys joined with '_' are program
// names and give no symbol.
std::string keySymbol(const std::string& key) {
  if (key.empty() || key.find('_') != std::string::npos) return {};
  if (key == "tanb") return "tanβ";
  static const std::array<std::pair<const char*, const char*>, 16> kGreek{{
      {"alpha", "α"},
      {"beta", "β"},
      {"gamma", "γ"},
      {"delta", "δ"},
      {"eps", "ε"},
      {"eta", "η"},
      {"theta", "θ"},
      {"kappa", "κ"},
      {"lambda", "λ"},
      {"mu", "μ"},
      {"rho", "ρ"},
      {"sigma", "σ"},
      {"tau", "τ"},
      {"phi", "φ"},
      {"psi", "ψ"},
      {"omega", "ω"},
  }};
  for (const auto& [name, letter] : kGreek) {
    const std::string n = name;
    if (key.compare(0, n.size(), n) == 0) {
      const std::string rest = key.substr(n.size());
      bool digits = true;
      for (char c : rest) digits = digits && c >= '0' && c <= '9';
      if (digits) return letter + rest;
    }
  }
  if (key.size() > 1 && key[0] == 'd' && key[1] >= 'A' && key[1] <= 'Z') return "Δ" + key.substr(1);
  return key;
}

bool numeric(FieldType t) {
  return t == FieldType::Float || t == FieldType::Double || t == FieldType::Int;
}

}  // namespace

Notation notationOf(const FieldDesc& f) {
  const std::u32string label = decode(f.label);
  std::u32string before = label, after, bracket;
  bool has_bracket = false;
  const size_t lb = label.find(U'[');
  if (lb != std::u32string::npos) {
    const size_t rb = label.find(U']', lb);
    if (rb != std::u32string::npos) {
      before = label.substr(0, lb);
      bracket = trim(label.substr(lb + 1, rb - lb - 1));
      after = label.substr(rb + 1);
      has_bracket = true;
    }
  }
  // The symbol the label ends with (before its unit): letters, digits, Greek, a slash.
  std::u32string head = trim(before, U":：");
  size_t start = head.size();
  while (start > 0 && isSymbolChar(head[start - 1])) --start;
  while (start < head.size() && !isLetter(plain(head[start]))) ++start;
  std::u32string symbol;
  for (size_t i = start; i < head.size(); ++i) symbol += plain(head[i]);
  if (!symbol.empty()) head = head.substr(0, start);

  Notation n;
  std::u32string name = trim(collapse(trim(head, U":：(（,，") + after), U":：(（,，");
  if (name.empty()) name = trim(collapse(label), U":：(（,，");
  if (name.empty()) name = decode(f.group);  // a radio group without a label of its own
  n.name = f.sheet_name.empty() ? encode(name) : f.sheet_name;

  if (!f.symbol.empty())
    n.symbol = f.symbol;
  else if (numeric(f.type))
    n.symbol = symbol.empty() ? keySymbol(f.key) : encode(symbol);

  // A text, check box or radio group carries no unit of its own (a radio group's label may
  // name the unit of the field it switches); a drop-down of values may.
  std::string unit = f.symbol_unit;
  if (unit.empty() && (numeric(f.type) || f.type == FieldType::Choice)) {
    std::u32string u = trim(decode(f.unit));
    if (u.size() >= 2 && u.front() == U'[' && u.back() == U']') u = trim(u.substr(1, u.size() - 2));
    unit = encode(u);
  }
  if (unit.empty() && has_bracket && numeric(f.type)) unit = encode(bracket);
  n.unit = prettyUnit(unit);
  return n;
}

}  // namespace core
