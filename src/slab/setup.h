// Steps shared by the source set-ups (setup.cpp) and helpers of the engine.
#pragma once

#include <string>

#include "slab/state.h"

namespace slab::detail {

// Deck adjustments, constants, stability, ambient air and wind profile of a run.
void prepareRun(State& s);
// Source density, total and half mass of a continuous release; "not cut yet".
void commonEntry(State& s);
// Instantaneous volume source: set-up, summary, step rule and initial cloud.
void instantaneousSource(State& s);
// Mean wind over 0..depth by Simpson's rule on ten panels.
float layerMeanWind(const State& s, float depth);
// Refuses a row whose state is no longer finite (the method broke down for this input).
void checkFinite(const State& s, int row);
// A number in a message: up to six significant digits.
std::string formatG(double v);

}  // namespace slab::detail
