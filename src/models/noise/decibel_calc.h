// A pocket calculator for sound levels: two levels typed from the keys are added or subtracted
// by energy (L1 (+) L2 = 10 lg(10^(0.1 L1) + 10^(0.1 L2)), L1 (-) L2 = 10 lg(10^(0.1 L1) -
// 10^(0.1 L2))), with the habits of a pocket calculator: "=" again repeats the last step,
// an operator after a second operand evaluates the chain so far.
#pragma once

#include <optional>
#include <string>

#include "core/calculator.h"

namespace models::noise {

enum class DecibelKey {
  D0,
  D1,
  D2,
  D3,
  D4,
  D5,
  D6,
  D7,
  D8,
  D9,
  Point,   // "."
  Plus,    // "+"
  Minus,   // "-"
  Equals,  // "="
  Back,    // "←"
  Clear,   // "CE"
};

// The key of a digit 0..9.
DecibelKey digitKey(int d);

class DecibelCalculator {
 public:
  void press(DecibelKey key);
  // The value shown (non-finite after a subtraction whose right level is not below the left).
  double display() const { return m_display; }
  // The operator that gave the last result ('+' or '-').
  char lastApplied() const { return m_applied; }

 private:
  // An operand as typed: whole part, fractional digits (as a whole number) and their count.
  struct Operand {
    double whole = 0;
    long long frac_digits = 0;
    int k = 0;
    bool point = false;
    double value() const;
  };

  void digit(int d);
  void back();
  void op(char o);
  void equals();
  double apply(char o, double left, double right);
  Operand& current() { return m_typing == 1 ? m_a : m_b; }

  Operand m_a, m_b;
  int m_typing = 1;             // operand being typed: 1 (A) or 2 (B)
  char m_pending = '+';         // pending operator
  bool m_b_typed = false;       // B has been typed since the last operator or "="
  bool m_have_x = false;        // X holds the result of this calculation (an operator chain or "=")
  bool m_after_equals = false;  // the last key was "="
  double m_x = 0, m_y = 0;      // left value and repeated right value of "="
  char m_last = '+';            // operator that "=" repeats
  char m_applied = '+';         // operator that gave the last result
  double m_display = 0;
};

// The key of a character of a key sequence: 0-9 . + - =, "<" or "←" for back, "C" for CE.
std::optional<DecibelKey> decibelKeyOf(char32_t c);

// A key sequence from the command line run through a fresh calculator: one line per key with
// the key and the display ("%.15g"). Blanks and commas between keys are skipped; `bad` holds
// the first character that is no key (nothing is run past it).
struct DecibelRun {
  std::string text;
  double display = 0;
  std::string bad;  // the offending character, when any
  // The operator whose result is no level (nothing is run past it); 0 when every result is one.
  char no_level = 0;
};
DecibelRun runDecibelKeys(const std::string& keys);

const core::CalculatorDesc& decibelCalcDesc();

}  // namespace models::noise
