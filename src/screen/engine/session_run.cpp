// The order of the run after the source questions: complex terrain, simple terrain with its
// distance tables, cavity, fumigation and the summary.

#include <cmath>
#include <memory>

#include "screen/engine/complex_terrain.h"
#include "screen/engine/dispersion.h"
#include "screen/engine/distance_search.h"
#include "screen/engine/fortran_format.h"
#include "screen/engine/session.h"

namespace screen::engine {

namespace {

bool isPointLike(const Source& s) {
  return s.kind == SourceKind::Point || s.kind == SourceKind::Flare;
}

}  // namespace

InputsView Session::inputsView() const {
  InputsView v;
  v.src = &m_src;
  v.title = m_title;
  v.velocityShown = velocityShown_;
  v.flowKind = flowKind_;
  v.flowValue = flowValue_;
  return v;
}

void Session::run() {
  askTitle();
  askSourceLine();
  while (!askSourceInputs()) m_out.con(" YOU HAVE ENTERED AN UNACCEPTABLE VALUE.  START OVER.");
  bool carryOn = true;
  if (isPointLike(m_src) && m_complex) {
    complexTerrain();
    m_out.con("  ");
    m_out.con(" COMPLEX TERRAIN CALCULATIONS DONE.");
    carryOn = askYesNo({" CONTINUE WITH SIMPLE TERRAIN CALCULATIONS?  ENTER Y OR N:"});
  }
  if (carryOn) simpleTerrain();
  finish();
}

void Session::fluxes() {
  if (!isPointLike(m_src)) {
    writeBuoyancy(m_out, 0.0f, 0.0f);
    return;
  }
  Source& s = m_src;
  if (s.ta > s.ts) {
    m_out.both(" TA > TS!!!  BUOY. FLUX SET = 0.0");
    s.ts = s.ta;
    s.fb = 0.0f;
  } else {
    // Fb = g v d^2 (Ts - Ta) / (4 Ts)
    s.fb = (kGravity * s.vs * s.ds * s.ds * (s.ts - s.ta)) / (4.0f * s.ts);
  }
  // Fm = Ta v^2 d^2 / (4 Ts)
  s.fm = (s.ta * s.vs * s.vs * s.ds * s.ds) / (4.0f * s.ts);
  writeBuoyancy(m_out, s.fb, s.fm);
}

void Session::complexTerrain() {
  writeStamp(m_out, m_stamp);
  writeComplexInputs(m_out, inputsView());
  if (m_src.vs < 1.0e-5f) m_src.vs = 1.0e-5f;
  if (m_src.ds < 1.0e-5f) m_src.ds = 1.0e-5f;
  fluxes();
  Source screenSrc = m_src;  // the valley screen ignores the receptor height and the building
  screenSrc.zr = 0.0f;
  screenSrc.hb = screenSrc.l1 = screenSrc.l2 = screenSrc.wp = screenSrc.lb = 0.0f;
  const ValleyPlume vp = valleyPlume(screenSrc);
  m_out.both("");
  m_out.both(" FINAL STABLE PLUME HEIGHT (M) = " + fmtF(vp.finalHeight_m, 6, 1));
  m_out.both(" DISTANCE TO FINAL RISE (M)    = " + fmtF(vp.finalDistance_m, 6, 1));
  m_out.both("");
  for (const char* l : {" MAXIMUM CONCENTRATIONS ARE EXPECTED TO OCCUR DUE TO PLUME IMPACTION.",
                        " THEREFORE ENTER MINIMUM DISTANCES AND TERRAIN HEIGHTS FOR WHICH",
                        " IMPACTION IS LIKELY, TAKING INTO ACCOUNT TERRAIN CLOSER THAN",
                        " THE DISTANCE TO FINAL RISE.",
                        " FOR TERRAIN BELOW PLUME HEIGHT, SIMPLE TERRAIN AND VALLEY 24-HR",
                        " CALCULATIONS ARE BOTH MADE AND THE MAXIMUM SELECTED."})
    m_out.con(l);
  const NoteSink note = [this](const std::string& l) { m_out.file(l); };
  int rows = 0;
  float h = 0.0f, x = 0.0f;
  for (;;) {
    m_out.con("  ");
    askTwoReals({" ENTER TERRAIN HEIGHT ABOVE STACK BASE (M), ",
                 " AND DISTANCE TO TERRAIN (M) (ZEROES TO EXIT):"},
                h, x);
    echo(fmtLdr(h) + fmtLdr(x));
    if (h == 0.0f || x == 0.0f) break;
    if (!(std::isfinite(h) && std::isfinite(x))) continue;
    if (h <= m_src.hs) {
      m_out.con("  TERRAIN HEIGHT IS NOT ABOVE STACK HEIGHT.");
      continue;
    }
    if (x > 100000.0f) {
      m_out.con(" DISTANCE IS > 100 KM!  TRY AGAIN.");
      continue;
    }
    if (!(x >= 1.0f && h >= 1.0f)) break;
    ++rows;
    writeValleyHeader(m_out, m_src.za, rows == 1 || rows == 6 || rows == 11 || rows == 16,
                      rows == 1);
    const ValleyRow r = valleyRow(screenSrc, h, x, note);
    m_out.both(formatValleyRow(r));
    if (r.conc24 > m_summary.complexConc) {
      m_summary.complexConc = r.conc24;
      m_summary.complexX = x;
      m_summary.complexHt = h;
    }
  }
}

void Session::simpleTerrain() {
  writeStamp(m_out, m_stamp);
  writeSimpleInputs(m_out, inputsView());
  if (m_src.kind == SourceKind::Point) {
    for (float* v : {&m_src.vs, &m_src.ds, &m_src.ts, &m_src.ta})
      if (*v < 1.0e-5f) *v = 1.0e-5f;
  }
  m_elevated = false;
  if (m_src.kind != SourceKind::Area)
    m_elevated =
        askYesNo({" USE SIMPLE TERRAIN SCREEN WITH TERRAIN ABOVE STACK BASE?", " ENTER Y OR N:"});
  fluxes();
  askMeteorology();
  writeMetBanner(m_out, m_met);
  automatedRanges();
  discreteDistances();
  if (m_elevated) writeTerrainSummary(m_out, m_records);
  if (isPointLike(m_src)) {
    cavity();
    if (!m_src.urban && m_src.hs >= 10.0f) fumigation();
  }
}

void Session::recordSimple(float conc, float x, float ht) {
  if (conc > m_summary.simpleConc) {
    m_summary.simpleConc = conc;
    m_summary.simpleX = x;
    m_summary.simpleHt = ht;
  }
}

std::unique_ptr<DistanceEvaluator> Session::evaluator(float terrain, bool automated) {
  NoteSink note = [this](const std::string& l) { m_out.file(l); };
  if (isPointLike(m_src)) {
    PointContext ctx;
    ctx.src = &m_src;
    ctx.met = m_met;
    ctx.note = note;
    return std::make_unique<PointEvaluator>(ctx, terrain);
  }
  return std::make_unique<AreaVolumeEvaluator>(m_src, m_met, terrain, automated, m_skip, note);
}

}  // namespace screen::engine
