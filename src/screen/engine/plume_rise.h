#pragma once
// Briggs plume rise for one stability class and stack-height wind speed: distance to final
// rise, final rise, stack-tip downwash and the gradual (distance-dependent) rise.

#include "screen/engine/dispersion.h"
#include "screen/engine/model_types.h"

namespace screen::engine {

struct PlumeRise {
  int cls = 4;
  float us = 1;  // wind speed at release height, m/s
  Stability st{1e-10f, 1e-10f};
  float ds = 0, vs = 0, ts = 0, ta = 0, fb = 0, fm = 0;
  float xfb = 0, xfm = 0, xf = 0;  // distance to final buoyant / momentum / overall rise, m
  float dhf = 0;                   // final rise, m
  float hsPrime = 0;               // release height after stack-tip downwash, m

  bool stable() const { return cls >= 5; }
  float momentumRise(float x) const;  // gradual momentum rise, capped at 3 d v / u
  float buoyantRise(float x) const;   // gradual buoyant rise
  float gradualRise(float x) const;   // min(max(buoyant, momentum), final)
  float riseAt(float x) const { return x < xf ? gradualRise(x) : dhf; }
};

// Set up the rise for a release height hs (physical stack height or flare effective height).
PlumeRise makePlumeRise(const Source& src, int cls, float us, Stability st);

// Neutral momentum-dominated distance to final rise (4 d (v + 3u)^2 / (v u)).
float neutralMomentumDistance(float ds, float vs, float us);

}  // namespace screen::engine
