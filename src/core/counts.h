// Counts of steps over a range (n = lmax / l and the like).
#pragma once

#include <string>

#include "core/check.h"

namespace core {

// The most cells a result grid or table of the pages can hold.
inline constexpr double kMaxGridCells = 1e7;
// The most rows a distance table of the pages holds (one row per step).
inline constexpr double kMaxTableRows = 100000;

// Whole number of steps in a quotient, truncated toward zero. A quotient of two
// single-precision fields computed in double precision lands just below the whole number it
// means (1 / 0.1f = 9.99999985), so a quotient within a relative 1e-6 below a whole number
// counts as that number. Non-finite quotients and those beyond the int range give 0.
int truncatedCount(double quotient);

// The distance tables of the pages (one row per step, n = far limit / step rows of `columns`
// cells) stay within kMaxTableRows rows and kMaxGridCells cells: a step typed a thousand times
// too small would otherwise build millions of rows. `step_key` is the step field the message names
// and focuses. A zero, negative or non-finite quotient (zero step) is no table, and passes.
Check checkDistanceTableSize(double quotient, int columns, const std::string& step_key);

}  // namespace core
