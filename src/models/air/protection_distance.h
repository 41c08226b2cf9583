// Atmospheric environmental protection distance of a rectangular area source (2008 air
// guideline): the screening program is run once for the area source with receptors from 10 m
// to 5000 m, and the farthest receptor that still exceeds the ambient standard is found.
#pragma once

#include <string>
#include <vector>

#include "core/calculator.h"
#include "screen/runner.h"

namespace models::air {

struct ProtectionInput {
  float height_m = 2;            // He, effective release height of the area source
  float width_m = 2;             // W
  float length_m = 2;            // L
  float q_g_s = 10;              // Q, emission rate
  std::string pollutant = "苯";  // the name chosen or typed (it only fills the standard)
  float standard_mg_m3 = 2.4f;   // Cs, ambient standard
};

core::Check checkProtection(const ProtectionInput& in);

// Concentrations of the 108 receptors read from a report, in distance order.
struct ProtectionReading {
  std::vector<double> distance_m;
  std::vector<double> conc_ug_m3;
};

// Reads the receptor lines of a report; refuses a report that is too short, whose lines are
// not the expected receptors or whose numbers cannot be read.
core::Check readProtectionReport(const std::string& report, ProtectionReading* out);

// The result sentence from the receptor concentrations (lines end in "\r\n").
std::string protectionSentence(const ProtectionReading& r, float standard_mg_m3);

struct ProtectionOutcome {
  core::Check failure;  // refused input, a failed run or an unreadable report
  std::string text;     // the result sentence
  std::string report;   // the full report
};

// Runs the protection-distance script through the run step and reads its report.
ProtectionOutcome computeProtection(const ProtectionInput& in, const screen::RunStep& run);

ProtectionInput protectionInputFromValues(const core::Values& v);

// The description's compute over a given run step.
core::ComputeFn protectionCompute(screen::RunStep step);

const core::CalculatorDesc& protectionDistanceDesc();

}  // namespace models::air
