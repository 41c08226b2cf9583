#include "screen/engine/evaluators.h"

#include "screen/engine/area_model.h"
#include "screen/engine/dispersion.h"
#include "screen/engine/volume_model.h"

namespace screen::engine {

Row AreaVolumeEvaluator::areaCase(float x, int cls, float ua) const {
  AreaCase c;
  c.cls = cls;
  c.urban = m_src.urban;
  c.he = m_src.hs;
  c.zr = m_src.zr;
  c.us = stackWindSpeed(ua, m_src.hs, m_src.za, cls, m_src.urban);
  c.zi = mixingHeight(ua, m_src.hs, m_src.za, cls, m_src.urban, m_src.brode2);
  Row row;
  row.x = x;
  row.cls = cls;
  row.ua = ua;
  row.us = c.us;
  row.zi = c.zi;
  row.he = c.he;
  row.flag = Downwash::No;
  if (!m_src.searchDirection) {
    row.maxDir = m_src.angle_deg;
    row.conc =
        areaConcentration(m_src.longSide_m, m_src.shortSide_m, m_src.angle_deg, m_src.q, x, c);
    return row;
  }
  const AngleRange r = searchAngles(m_src.longSide_m, m_src.shortSide_m, x, cls, m_src.urban);
  row.conc = -1.0f;
  for (int angle = r.lo; angle <= r.hi; ++angle) {
    const float conc = areaConcentration(m_src.longSide_m, m_src.shortSide_m,
                                         static_cast<float>(angle), m_src.q, x, c);
    if (conc > row.conc) {
      row.conc = conc;
      row.maxDir = static_cast<float>(angle);
    }
  }
  return row;
}

Row AreaVolumeEvaluator::evaluate(float x) {
  const bool area = m_src.kind == SourceKind::Area;
  if (!area && volumeReceptorInside(m_src, x)) {
    if (m_automated) m_skip.rememberedClass = 0;
    Row none;
    none.x = x;
    return none;
  }
  int first = 1, last = 6;
  if (m_met.choice != 1)
    first = last = m_met.cls;
  else if (area && m_src.hs <= 2.0f)
    first = m_src.urban ? 6 : 5;
  Row best;
  best.x = x;
  best.conc = -999.0f;
  bool any = false;
  for (int cls = first; cls <= last; ++cls) {
    if (m_automated && m_skip.lastStep >= 0.0f && cls < m_skip.rememberedClass) continue;
    float ua = m_met.choice == 3 ? m_met.speed : 1.0f;
    if (x > 50000.0f && ua < 2.0f) ua = 2.0f;
    const Row r =
        area ? areaCase(x, cls, ua) : volumeCondition(m_src, x, cls, ua, m_terrain, m_note);
    if (!any || r.conc > best.conc) best = r;
    any = true;
  }
  if (!any) best.conc = 0.0f;
  if (m_automated) m_skip.rememberedClass = best.cls;
  return best;
}

}  // namespace screen::engine
