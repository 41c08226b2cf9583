// Sound-level arithmetic shared by the noise calculators.
#pragma once

#include <vector>

namespace core {

// Energy addition of levels: L1 (+) L2 = 10 lg(10^(0.1 L1) + 10^(0.1 L2)).
double addLevels(double l1_db, double l2_db);
double addLevels(const std::vector<double>& levels_db);

// Energy subtraction: the level that added to l2 gives l1 (-inf when l2 == l1, NaN when
// l2 > l1).
double subtractLevel(double total_db, double part_db);

// Pure-tone air absorption coefficient, dB/km (ISO 9613-1:1993, eqs. 3 to 5 and B.1), from
// the frequency f (Hz), air temperature t (degrees C), relative humidity hr (%) and ambient
// pressure pa (kPa).
double airAbsorption_dB_km(double f_hz, double t_c, double hr_pct, double pa_kpa);

// A-weighting of a band at its centre frequency f (Hz), dB (IEC 61672-1 closed form):
//   A(f) = 20 lg[12200^2 f^4 / ((f^2 + 20.6^2) sqrt((f^2 + 107.7^2)(f^2 + 737.9^2))
//          (f^2 + 12200^2))] + 2.0
double aWeighting_dB(double f_hz);

}  // namespace core
