#pragma once
// Printing numbers the way the report's Fortran edit descriptors lay them out.

#include <string>

namespace screen::engine {

// Fw.d: fixed notation in a field of w characters; asterisks when it does not fit.
std::string fmtF(double value, int width, int decimals);

// Iw: integer right-aligned in w characters; asterisks when it does not fit.
std::string fmtI(long long value, int width);

// Gw.d: the general format (fixed form with trailing blanks, or 0.dddE+ee form).
std::string fmtG(double value, int width, int digits);

// A list-directed single-precision real: 17 characters, the first a blank.
std::string fmtLdr(float value);

// A list-directed integer: one blank separator and an 11-wide field.
std::string fmtLdi(long long value);

// printf into a std::string.
std::string strFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace screen::engine
