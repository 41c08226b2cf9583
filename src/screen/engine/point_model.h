#pragma once
// Point and flare sources: one meteorological condition (plume rise, building downwash,
// dispersion, Gaussian concentration) and the loop over conditions for one distance.

#include "screen/engine/model_types.h"
#include "screen/engine/plume_rise.h"

namespace screen::engine {

// The vertical term of the Gaussian plume with ground and mixing-lid reflections.
float verticalTerm(float he, float zr, float zi, float sz, int cls);

// Centreline concentration (ug/m3) for emission q (g/s); 0 when the term underflows.
float centrelineConcentration(float q, float v, float us, float sy, float sz);

struct PointContext {
  const Source* src = nullptr;
  MetChoice met;
  NoteSink note;
  bool noBuilding = false;  // treat the building as absent (valley screen)
  float zrOverride = -1;    // >= 0 replaces the receptor height
};

// One condition: class, anemometer-height wind speed, terrain height above stack base.
Row evaluateCondition(const PointContext& ctx, float x, int cls, float ua, float terrain);

// All conditions of the meteorology choice at one distance; the strictly largest wins.
Row evaluatePointDistance(const PointContext& ctx, float x, float terrain);

}  // namespace screen::engine
