#pragma once
// Rectangular area sources: the double integral of the Gaussian plume over the upwind part of
// the rectangle, turned into line integrals along its sides, and the wind-direction search.

#include "screen/engine/model_types.h"

namespace screen::engine {

struct AreaCase {
  int cls = 6;
  bool urban = false;
  float he = 0;  // plume height = release height, m
  float zr = 0;  // receptor height, m
  float zi = 0;  // mixing height, m
  float us = 1;  // wind speed at release height, m/s
};

// Concentration (ug/m3) at downwind distance x (m) on the wind axis for a rectangle
// longSide x shortSide (m) turned by angle_deg, emission q (g/(s m2)).
float areaConcentration(float longSide_m, float shortSide_m, float angle_deg, float q, float x,
                        const AreaCase& c);

// Range of whole-degree angles the search examines for a class at distance x.
struct AngleRange {
  int lo, hi;
};
AngleRange searchAngles(float longSide_m, float shortSide_m, float x, int cls, bool urban);

}  // namespace screen::engine
