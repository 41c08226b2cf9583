#include "screen/engine/evaluators.h"

#include "screen/engine/area_model.h"
#include "screen/engine/dispersion.h"
#include "screen/engine/volume_model.h"

namespace screen::engine {

Row AreaVolumeEvaluator::areaCase(float x, int cls, float ua) const {
  AreaCase c;
  c.cls = cls;
  c.urban = src_.urban;
  c.he = src_.hs;
  c.zr = src_.zr;
  c.us = stackWindSpeed(ua, src_.hs, src_.za, cls, src_.urban);
  c.zi = mixingHeight(ua, src_.hs, src_.za, cls, src_.urban, src_.brode2);
  Row row;
  row.x = x;
  row.cls = cls;
  row.ua = ua;
  row.us = c.us;
  row.zi = c.zi;
  row.he = c.he;
  row.flag = Downwash::No;
  if (!src_.searchDirection) {
    row.maxDir = src_.angle_deg;
    row.conc = areaConcentration(src_.longSide_m, src_.shortSide_m, src_.angle_deg, src_.q, x, c);
    return row;
  }
  const AngleRange r = searchAngles(src_.longSide_m, src_.shortSide_m, x, cls, src_.urban);
  row.conc = -1.0f;
  for (int angle = r.lo; angle <= r.hi; ++angle) {
    const float conc = areaConcentration(src_.longSide_m, src_.shortSide_m,
                                         static_cast<float>(angle), src_.q, x, c);
    if (conc > row.conc) {
      row.conc = conc;
      row.maxDir = static_cast<float>(angle);
    }
  }
  return row;
}

Row AreaVolumeEvaluator::evaluate(float x) {
  const bool area = src_.kind == SourceKind::Area;
  if (!area && volumeReceptorInside(src_, x)) {
    if (automated_) skip_.rememberedClass = 0;
    Row none;
    none.x = x;
    return none;
  }
  int first = 1, last = 6;
  if (met_.choice != 1)
    first = last = met_.cls;
  else if (area && src_.hs <= 2.0f)
    first = src_.urban ? 6 : 5;
  Row best;
  best.x = x;
  best.conc = -999.0f;
  bool any = false;
  for (int cls = first; cls <= last; ++cls) {
    if (automated_ && skip_.lastStep >= 0.0f && cls < skip_.rememberedClass) continue;
    float ua = met_.choice == 3 ? met_.speed : 1.0f;
    if (x > 50000.0f && ua < 2.0f) ua = 2.0f;
    const Row r = area ? areaCase(x, cls, ua) : volumeCondition(src_, x, cls, ua, terrain_, note_);
    if (!any || r.conc > best.conc) best = r;
    any = true;
  }
  if (!any) best.conc = 0.0f;
  if (automated_) skip_.rememberedClass = best.cls;
  return best;
}

}  // namespace screen::engine
