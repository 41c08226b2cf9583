#pragma once
// Fumigation screens for tall rural sources: inversion break-up and shoreline (thermal
// internal boundary layer) fumigation, both under class F with 2.5 m/s at release height.

#include "screen/engine/model_types.h"

namespace screen::engine {

struct FumigationResult {
  float conc = 0;          // ug/m3
  float distance_m = 0;    // distance to the maximum
  bool tooClose = false;   // distance below the limit, concentration set to 0
  bool belowTibl = false;  // shoreline: plume below the internal boundary layer
};

FumigationResult inversionBreakup(const Source& src);
FumigationResult shorelineFumigation(const Source& src, float shoreDistance_m);

}  // namespace screen::engine
