#pragma once
// Building cavity screens: the regulatory cavity model (critical wind speed for entrapment)
// and the Schulman-Scire cavity alternative.

#include <vector>

#include "screen/engine/model_types.h"

namespace screen::engine {

struct CavityCase {
  float conc = 0;         // ug/m3
  float critWsAnemo = 0;  // critical speed at anemometer height, m/s (99.99 when flagged)
  float critWsStack = 0;  // at release height, m/s
  float dilutionWs = 0;   // m/s
  float height_m = 0;
  float length_m = 0;
  float alongWind_m = 0;
  bool flagged = false;   // no entrapment (critical speed above 20 m/s or plume above cavity)
  bool converged = true;  // the critical-speed iteration converged
};

// Case 1 has the smaller horizontal dimension along the wind, case 2 the larger.
std::vector<CavityCase> regulatoryCavity(const Source& src);

struct SsSpeedResult {
  float u10, uRoof, uStack, fraction, conc;
};

struct SsCavityCase {
  float stackDistance_m = 0;  // from the upwind face
  float length_m = 0;
  float height_m = 0;
  bool reattached = false;
  bool tooNarrow = false;  // w/h <= 0.2: method not applicable, concentration 0
  std::vector<SsSpeedResult> speeds;
  float maxConc = 0, maxU10 = 0;
};

// The four Schulman-Scire cases for stack positions xlLong, xlShort (|x/L|, at most 0.5).
std::vector<SsCavityCase> schulmanScireCavity(const Source& src, float xlLong, float xlShort);

}  // namespace screen::engine
