#pragma once
// Building downwash: the wake regime (Huber-Snyder or Schulman-Scire), building-enhanced
// dispersion and the Schulman-Scire line-source plume rise.

#include "screen/engine/model_types.h"
#include "screen/engine/plume_rise.h"

namespace screen::engine {

enum class BuildingShape { Tall, Squat, SuperSquat };

struct Wake {
  Downwash regime = Downwash::No;
  float hm = 0;  // wake plume height at two building heights, m
  BuildingShape shape = BuildingShape::Squat;
  float decay = 1;  // decay factor of the enhanced sigma-z
};

Wake wakeRegime(const Source& src, const PlumeRise& rise);

struct WakeSigmas {
  float he, sy, sz;
};

// Plume height (before terrain) and sigmas at x under the wake regime (HS or SS).
WakeSigmas wakePlume(const Source& src, const PlumeRise& rise, const Wake& wake, float x,
                     const NoteSink& note);

}  // namespace screen::engine
