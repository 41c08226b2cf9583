// Noise evaluation quantities from meter readings (GB 3096-2008 definitions; Ma Dayou, Handbook
// of Noise and Vibration Control):
//   equivalent continuous A level  Leq = 10 lg( sum(dTi 10^(0.1 Li)) / sum(dTi) )
//   equal sampling intervals       Leq = 10 lg( sum(10^(0.1 Li)) / N )
//   day-night level                Ldn = 10 lg( (Td 10^(0.1 Ld) + Tn 10^(0.1 (Ln + 10))) / 24 )
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace models::noise {

enum class IndexMode { Leq = 0, Ldn = 1 };

struct NoiseIndexInput {
  IndexMode mode = IndexMode::Leq;
  std::string readings = "70,65,60";   // Li, dBA, a list of numbers
  bool equal_intervals = false;        // readings taken at equal intervals
  std::string intervals = "20,30,40";  // dTi, any one time unit
  float ld_db = 70;                    // Ld, day level, dBA
  float ln_db = 65;                    // Ln, night level, dBA
  float td_h = 15;                     // Td, day duration, h (07:00-22:00)
  float tn_h = 9;                      // Tn, night duration, h (22:00-07:00)
};

// Largest count of readings (and of intervals) a list may hold.
inline constexpr std::size_t kMaxListItems = 1000;

// The numbers of a list as a meter log is typed: each number is an optional sign, digits and
// an optional decimal point followed by digits; every other character (comma, full-width
// comma, blank, semicolon, line break ...) separates numbers, and runs of separators count as
// one. "70.5,,-3" gives 70.5 and -3. A number beyond the double range (some 309 digits) is no
// number: it is read as NaN, which the check refuses.
std::vector<double> readNumberList(const std::string& text);

// A list written back as the page shows it: items "%g" joined by ","; positions past the end
// of `values` stay empty.
std::string joinList(const std::vector<double>& values, std::size_t count);

struct NoiseIndexResult {
  int n = 0;             // readings found (Leq mode)
  double leq_db = 0;     // Leq mode
  double ldn_db = 0;     // Ldn mode
  std::string readings;  // the lists rewritten as read (Leq mode)
  std::string intervals;
  std::string line;  // the result line
};

// Leq mode: at most kMaxListItems readings, and as many intervals when they are used.
core::Check checkNoiseIndex(const NoiseIndexInput& in);
NoiseIndexResult computeNoiseIndex(const NoiseIndexInput& in);

// Explanations under the form, by mode.
extern const char* const kLeqExplanation;
extern const char* const kLdnExplanation;

const core::CalculatorDesc& noiseIndexDesc();

}  // namespace models::noise
