#pragma once
// Automated distance ranges: the fixed distance array and the iterative search for the
// maximum concentration of a range.

#include <vector>

#include "screen/engine/evaluators.h"

namespace screen::engine {

// The distances a range [xmin, xmax] computes: xmin, then every array distance above it up to xmax.
std::vector<float> rangeDistances(float xmin, float xmax);

struct RangeResult {
  std::vector<Row> rows;
  Row maxLine;  // the row printed after "MAXIMUM 1-HR CONCENTRATION"
  bool iterationStopped = false;
};

// Evaluate the rows of a range, then refine the distance of the maximum.
RangeResult automatedRange(DistanceEvaluator& ev, float xmin, float xmax);

}  // namespace screen::engine
