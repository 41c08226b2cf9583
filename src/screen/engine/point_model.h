#pragma once
// Point and flare sources: one meteorological condition (plume rise, building downwash,
// dispersion, Gaussian concentration) and the loop over conditions for one distance.

#include <array>
#include <vector>

#include "screen/engine/downwash.h"
#include "screen/engine/model_types.h"
#include "screen/engine/plume_rise.h"

namespace screen::engine {

// The part of one condition that does not depend on the distance: stability parameter, wind
// speed at stack top, plume rise and building-wake regime of (class, anemometer wind speed).
struct ConditionSetup {
  float ua = 0;
  Stability st{};
  float us = 0;
  PlumeRise rise;
  Wake wake;
};

// Setups already worked out for one source and context, so a distance search computes them
// once per condition instead of once per distance (the same values, bit for bit).
class ConditionCache {
 public:
  const ConditionSetup* find(int cls, float ua) const {
    for (const ConditionSetup& s : m_byClass[slot(cls)])
      if (s.ua == ua) return &s;
    return nullptr;
  }
  const ConditionSetup& add(int cls, const ConditionSetup& s) {
    auto& v = m_byClass[slot(cls)];
    v.push_back(s);
    return v.back();
  }

 private:
  static std::size_t slot(int cls) { return cls >= 1 && cls <= 6 ? std::size_t(cls) : 0; }
  std::array<std::vector<ConditionSetup>, 7> m_byClass;
};

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
  // Setups of the conditions met so far; only for a fixed source and context (null: none).
  ConditionCache* cache = nullptr;
};

// One condition: class, anemometer-height wind speed, terrain height above stack base.
Row evaluateCondition(const PointContext& ctx, float x, int cls, float ua, float terrain);

// All conditions of the meteorology choice at one distance; the strictly largest wins.
Row evaluatePointDistance(const PointContext& ctx, float x, float terrain);

}  // namespace screen::engine
