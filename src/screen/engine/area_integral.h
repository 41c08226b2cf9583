#pragma once
// Numerical tools of the area integral: Romberg integration and Brent's root finder.

#include <functional>

namespace screen::engine {

// Romberg integration of f from a to b (b < a allowed), relative accuracy 1e-4, at most
// 513 evaluations.
float romberg(const std::function<float(float)>& f, float a, float b);

// Brent's method for f(u) = 0 on [a, b]; returns -1 when the ends do not bracket a root.
float brentRoot(const std::function<float(float)>& f, float a, float b);

}  // namespace screen::engine
