#include "screen/engine/volume_model.h"

#include <algorithm>
#include <cmath>

#include "screen/engine/dispersion.h"
#include "screen/engine/point_model.h"

namespace screen::engine {

bool volumeReceptorInside(const Source& src, float x) {
  // effective radius 2.15 sigma-y0
  const float r = 2.15f * src.sy0;
  return x - r < 0.99f;
}

Row volumeCondition(const Source& src, float x, int cls, float ua, float terrain,
                    const NoteSink& note) {
  Row row;
  row.x = x;
  row.cls = cls;
  row.ua = ua;
  row.us = stackWindSpeed(ua, src.hs, src.za, cls, src.urban);
  float he = src.hs - std::min(terrain, src.hs);
  if (he < 0.0f) he = 0.0f;
  const float xy = lateralVirtualDistance(cls, src.urban, src.sy0);
  row.sy = sigmaY(cls, src.urban, x + xy);
  const float xz = verticalVirtualDistance(cls, src.urban, src.sz0, x, note);
  float sz = sigmaZ(cls, src.urban, x + xz);
  if (sz > 5000.0f) sz = 5000.0f;
  row.sz = sz;
  row.zi = mixingHeight(ua, he, src.za, cls, src.urban, src.brode2);
  row.he = he;
  row.flag = Downwash::No;
  if (cls <= 4 && he > row.zi) return row;
  const float v = verticalTerm(he, src.zr, row.zi, sz, cls);
  row.conc = centrelineConcentration(src.q, v, row.us, row.sy, sz);
  return row;
}

}  // namespace screen::engine
