#pragma once
// Volume sources: a point source with initial lateral and vertical sizes turned into virtual
// distances, no plume rise and no downwash.

#include "screen/engine/model_types.h"

namespace screen::engine {

// One class at distance x with anemometer-height speed ua; terrain above stack base.
Row volumeCondition(const Source& src, float x, int cls, float ua, float terrain,
                    const NoteSink& note);

// True when the receptor lies inside the source (no calculation is made).
bool volumeReceptorInside(const Source& src, float x);

}  // namespace screen::engine
