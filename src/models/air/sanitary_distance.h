// Sanitary protection distance of a fugitive emission source, in both directions:
// from the emission rate to the distance, and from a distance to the emission it allows.
//   Qc / Cm = (1 / A) (B L^C + 0.25 r^2)^0.5 L^D,  r^2 = S / pi   (GB/T 3840-91 eq. for
//   unorganised sources; A..D tabulated by distance class, wind class and source category)
#pragma once

#include <functional>

#include "core/calculator.h"

namespace models::air {

enum class StackPresence { Present = 0, Absent = 1 };      // a stack emitting the same pollutant
enum class PermittedBasis { Acute = 0, Chronic = 1 };      // basis of the permitted concentration
enum class StackShare { AboveThird = 0, BelowThird = 1 };  // stack emission vs 1/3 permitted

enum class SourceCategory { I = 0, II = 1, III = 2 };

struct SanitaryInput {
  double area_m2 = 0;           // S, area of the production unit holding the source
  double wind_m_s = 2.2;        // U, mean wind speed of the last five years
  double standard_mg_m3 = 2.4;  // Cm, ambient standard
  StackPresence stack = StackPresence::Absent;
  PermittedBasis basis = PermittedBasis::Chronic;  // counts when there is no stack
  StackShare share = StackShare::AboveThird;       // counts when there is a stack
  double emission_kg_h = 0;                        // Qc, fugitive emission rate
  double distance_m = 0;  // L, protection distance (input of the reverse direction)
};

struct SanitaryCoefficients {
  double a, b, c, d;
};

SourceCategory sourceCategory(const SanitaryInput& in);

// Coefficients of the distance class of L (<= 1000, <= 2000, above) and the wind class of U
// (< 2, 2..4, > 4).
SanitaryCoefficients sanitaryCoefficients(double distance_m, double wind_m_s, SourceCategory cat);

// (B L^C + S / (4 pi))^0.5 L^D / A: the right-hand side of the equation without Cm.
double sanitaryTerm(const SanitaryCoefficients& k, double distance_m, double area_m2);

// Bisection for a root of g on [a, b]; stops when the bracket is within 1e-10. Without a sign
// change it runs to b.
double bisectRoot(const std::function<double(double)>& g, double a, double b);

// The protection distance and the distance raised to the next standard level.
struct SanitaryDistanceResult {
  bool found = false;  // false: the equation has no root in the searched range
  double distance_m = 0;
  int raised_m = 0;
};

// The searched range of distances, m.
inline constexpr double kMaxSearchDistance_m = 20000;

SanitaryDistanceResult computeSanitaryDistance(const SanitaryInput& in);

// Levels: 50 m steps up to 100 m, 100 m steps up to 1000 m, 200 m steps above.
// Never below the distance itself.
int raisedDistance(double distance_m);

// The allowed emission takes powers of the distance and the root of a term with the area:
// refuses either below zero.
core::Check checkSanitaryEmission(const SanitaryInput& in);
// Emission allowed at the entered distance, kg/h.
double computeAllowedEmission(const SanitaryInput& in);

// Tooltips of the two compute buttons (the field tooltips are in the description).
inline constexpr const char* kTipDistanceAction = "已知无组织排放量计算卫生防护距离的值";
inline constexpr const char* kTipEmissionAction = "已知卫生防护距离控制无组织排放量的值";

const core::CalculatorDesc& sanitaryDistanceDesc();

}  // namespace models::air
