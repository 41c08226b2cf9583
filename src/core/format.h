// Number formatting as the pages show numbers.
#pragma once

#include <string>

namespace core {

// printf-style formatting into a std::string ("%.4f", "%g", "%d" ...).
// Non-finite values come out as the C library prints them ("inf", "-nan").
std::string cformat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// A single-precision field: the shortest general form with 6 significant digits ("%g" of the
// float), so 0.5 -> "0.5", 3000 -> "3000", 1e-7 -> "1e-07".
std::string formatFloatField(float v);

// A double-precision field: 15 significant digits in the general form.
std::string formatDoubleField(double v);

// A whole-number field.
std::string formatIntField(long long v);

// Storage rounding of a single-precision field: what the form keeps after a value is stored.
inline float storeFloat(double v) { return static_cast<float>(v); }

}  // namespace core
