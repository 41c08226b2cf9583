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

}  // namespace core
