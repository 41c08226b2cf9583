// The chart of blast overpressure against scaled distance for a TNT charge, read by the
// vapour-cloud explosion page. The curve is Sadovsky's empirical air-blast formula:
//   dP = 0.084 / R + 0.27 / R^2 + 0.7 / R^3   (MPa),  R = x / W_TNT^(1/3)  (m / kg^(1/3))
// drawn as the scaled overpressure dP / 9806.65 Pa on log-log axes, R from 1 to 100.
#pragma once

#include "core/calculator.h"

namespace models::risk {

// The unit of the chart's overpressure axis, Pa (one tonne-force per square metre).
inline constexpr double kOverpressureUnit_Pa = 9806.65;
// Ranges of the chart's axes.
inline constexpr double kChartDistanceMin = 1, kChartDistanceMax = 100;
inline constexpr double kChartPressureMin = 0.01, kChartPressureMax = 100;

// Overpressure of the curve at a scaled distance, Pa (non-finite at R <= 0).
double chartOverpressure_Pa(double scaled_distance);
// The same in the chart's units.
double chartScaledOverpressure(double scaled_distance);

struct OverpressureChartInput {
  float rs = 1;  // scaled distance, m / kg^(1/3)
};

struct OverpressureChartResult {
  float dps = 0;    // scaled overpressure read off the curve
  float dp_pa = 0;  // the same in Pa
};

// Refuses a scaled distance not above zero (the chart's terms divide by it).
core::Check checkOverpressureChart(const OverpressureChartInput& in);
OverpressureChartResult readOverpressureChart(const OverpressureChartInput& in);

// The chart dialog of the explosion page ("无因次距离查超压表"); no page of its own.
const core::CalculatorDesc& overpressureChartDesc();

}  // namespace models::risk
