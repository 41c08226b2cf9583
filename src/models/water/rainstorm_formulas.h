// Local rainstorm intensity formulas of Chinese cities, as the design manual prints them, and
// an evaluator for their notation, so that the formula shown is the formula computed.
//
// Notation: numbers, P (return period, years), t (duration, minutes), lg (decimal logarithm,
// applied to the next factor: lgP, lg(P+0.143)), lg² (its square), × or juxtaposition for
// products (12.8P^0.076), ^ for powers, + and -, ( ) and [ ] for grouping. A formula is
// "numerator / base^exponent" with one top-level " / ".
#pragma once

#include <string>
#include <vector>

namespace models::water {

enum class RainYield { Q, I };  // q in L/(s·ha), or i in mm/min

struct RainFormula {
  const char* province;
  const char* city;  // empty for a province whose one formula covers it
  RainYield yields;
  const char* formula;                    // as computed
  const char* shown_numerator = nullptr;  // numerator of the reference text when it differs
};

// The whole table, provinces in list order, cities in table order within each province.
const std::vector<RainFormula>& rainFormulaTable();

// Value of an expression of the notation above at (P, t). Throws std::logic_error on text
// that is not of the notation (internal error: the table is fixed).
double evaluateRainExpression(const std::string& text, double p, double t);

// The three parts of a formula: numerator, denominator base, exponent (empty when 1, outer
// parentheses removed).
struct RainFormulaParts {
  std::string numerator, base, exponent;
};
RainFormulaParts splitRainFormula(const std::string& formula);

// Value the formula yields (q or i) at (P, t).
double evaluateRainFormula(const RainFormula& f, double p, double t);

}  // namespace models::water
