// Release rate of a gas through a breach (HJ/T 169-2004 annex A.1, gas outflow):
//   critical (sonic) flow when P0 / P <= (2 / (k + 1))^(k / (k - 1)), otherwise subcritical;
//   QG = Y Cd A P sqrt(M k / (R TG) (2 / (k + 1))^((k + 1) / (k - 1)))
// with the outflow coefficient Y = 1 for critical flow and, for subcritical flow,
//   Y = p^(1/k) sqrt(1 - p^((k - 1)/k)) sqrt(2 / (k - 1) ((k + 1) / 2)^((k + 1)/(k - 1))).
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::risk {

enum class BreachShape { Circle = 0, Triangle = 1, Rectangle = 2 };

struct GasLeakInput {
  float a_m2 = 0.05f;                       // A, area of the breach
  BreachShape shape = BreachShape::Circle;  // sets the discharge coefficient Cd
  float p_pa = 110000;                      // P, pressure of the medium in the vessel
  float p0_pa = 101300;                     // P0, ambient pressure
  float m_g_mol = 350;                      // M, molar mass of the gas
  float tg_k = 400;                         // TG, gas temperature
  float kappa = 1.4f;                       // k, ratio of specific heats
};

struct GasLeakResult {
  bool critical = false;
  float cd = 1;        // discharge coefficient of the shape
  double y = 1;        // outflow coefficient
  double qg_kg_s = 0;  // QG, release rate
  std::string text;    // the page's result text
};

// Discharge coefficient of a breach shape: circle 1.00, triangle 0.95, rectangle 0.90.
float breachDischargeCoefficient(BreachShape shape);

// Critical pressure ratio (2 / (k + 1))^(k / (k - 1)).
double criticalPressureRatio(double kappa);
// Critical (sonic) flow at a pressure ratio P0 / P up to and including the critical ratio.
bool isCriticalFlow(double ratio, double kappa);
// Y of subcritical flow at a pressure ratio P0 / P (1 at the critical ratio).
double subcriticalOutflowCoefficient(double ratio, double kappa);

// No input is refused; a zero temperature or pressure shows as non-finite numbers in the
// text.
GasLeakResult computeGasLeak(const GasLeakInput& in);

// First refused input: A, P > 0; 0 <= P0 <= P; M, TG > 0; kappa > 1.
core::Check checkGasLeak(const GasLeakInput& in);

const core::CalculatorDesc& gasLeakDesc();

}  // namespace models::risk
