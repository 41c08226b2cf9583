// Counts of steps over a range (n = lmax / l and the like).
#pragma once

namespace core {

// Whole number of steps in a quotient, truncated toward zero. A quotient of two
// single-precision fields computed in double precision lands just below the whole number it
// means (1 / 0.1f = 9.99999985), so a quotient within a relative 1e-6 below a whole number
// counts as that number. Non-finite quotients and those beyond the int range give 0.
int truncatedCount(double quotient);

}  // namespace core
