// The calculators that run the screening program. Their descriptions run kuvascreen beside the
// executable; a front end that lets the user choose another program (the command line's
// --screen3) takes their compute over its own run step from here.
#pragma once

#include <string>

#include "core/calculator.h"
#include "screen/runner.h"

namespace models {

// The compute of calculator id over the run step, or an empty function when the calculator
// does not run the screening program.
core::ComputeFn screeningCompute(const std::string& id, const screen::RunStep& step);

}  // namespace models
