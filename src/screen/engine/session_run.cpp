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
  v.src = &src_;
  v.title = title_;
  v.velocityShown = velocityShown_;
  v.flowKind = flowKind_;
  v.flowValue = flowValue_;
  return v;
}

void Session::run() {
  askTitle();
  askSourceLine();
  while (!askSourceInputs()) out_.con(" YOU HAVE ENTERED AN UNACCEPTABLE VALUE.  START OVER.");
  bool carryOn = true;
  if (isPointLike(src_) && complex_) {
    complexTerrain();
    out_.con("  ");
    out_.con(" COMPLEX TERRAIN CALCULATIONS DONE.");
    carryOn = askYesNo({" CONTINUE WITH SIMPLE TERRAIN CALCULATIONS?  ENTER Y OR N:"});
  }
  if (carryOn) simpleTerrain();
  finish();
}

void Session::fluxes() {
  if (!isPointLike(src_)) {
    writeBuoyancy(out_, 0.0f, 0.0f);
    return;
  }
  Source& s = src_;
  if (s.ta > s.ts) {
    out_.both(" TA > TS!!!  BUOY. FLUX SET = 0.0");
    s.ts = s.ta;
    s.fb = 0.0f;
  } else {
    // Fb = g v d^2 (Ts - Ta) / (4 Ts)
    s.fb = (kGravity * s.vs * s.ds * s.ds * (s.ts - s.ta)) / (4.0f * s.ts);
  }
  // Fm = Ta v^2 d^2 / (4 Ts)
  s.fm = (s.ta * s.vs * s.vs * s.ds * s.ds) / (4.0f * s.ts);
  writeBuoyancy(out_, s.fb, s.fm);
}

void Session::complexTerrain() {
  writeStamp(out_, stamp_);
  writeComplexInputs(out_, inputsView());
  if (src_.vs < 1.0e-5f) src_.vs = 1.0e-5f;
  if (src_.ds < 1.0e-5f) src_.ds = 1.0e-5f;
  fluxes();
  Source screenSrc = src_;  // the valley screen ignores the receptor height and the building
  screenSrc.zr = 0.0f;
  screenSrc.hb = screenSrc.l1 = screenSrc.l2 = screenSrc.wp = screenSrc.lb = 0.0f;
  const ValleyPlume vp = valleyPlume(screenSrc);
  out_.both("");
  out_.both(" FINAL STABLE PLUME HEIGHT (M) = " + fmtF(vp.finalHeight_m, 6, 1));
  out_.both(" DISTANCE TO FINAL RISE (M)    = " + fmtF(vp.finalDistance_m, 6, 1));
  out_.both("");
  for (const char* l : {" MAXIMUM CONCENTRATIONS ARE EXPECTED TO OCCUR DUE TO PLUME IMPACTION.",
                        " THEREFORE ENTER MINIMUM DISTANCES AND TERRAIN HEIGHTS FOR WHICH",
                        " IMPACTION IS LIKELY, TAKING INTO ACCOUNT TERRAIN CLOSER THAN",
                        " THE DISTANCE TO FINAL RISE.",
                        " FOR TERRAIN BELOW PLUME HEIGHT, SIMPLE TERRAIN AND VALLEY 24-HR",
                        " CALCULATIONS ARE BOTH MADE AND THE MAXIMUM SELECTED."})
    out_.con(l);
  const NoteSink note = [this](const std::string& l) { out_.file(l); };
  int rows = 0;
  float h = 0.0f, x = 0.0f;
  for (;;) {
    out_.con("  ");
    askTwoReals({" ENTER TERRAIN HEIGHT ABOVE STACK BASE (M), ",
                 " AND DISTANCE TO TERRAIN (M) (ZEROES TO EXIT):"},
                h, x);
    echo(fmtLdr(h) + fmtLdr(x));
    if (h == 0.0f || x == 0.0f) break;
    if (!(std::isfinite(h) && std::isfinite(x))) continue;
    if (h <= src_.hs) {
      out_.con("  TERRAIN HEIGHT IS NOT ABOVE STACK HEIGHT.");
      continue;
    }
    if (x > 100000.0f) {
      out_.con(" DISTANCE IS > 100 KM!  TRY AGAIN.");
      continue;
    }
    if (!(x >= 1.0f && h >= 1.0f)) break;
    ++rows;
    writeValleyHeader(out_, src_.za, rows == 1 || rows == 6 || rows == 11 || rows == 16, rows == 1);
    const ValleyRow r = valleyRow(screenSrc, h, x, note);
    out_.both(formatValleyRow(r));
    if (r.conc24 > summary_.complexConc) {
      summary_.complexConc = r.conc24;
      summary_.complexX = x;
      summary_.complexHt = h;
    }
  }
}

void Session::simpleTerrain() {
  writeStamp(out_, stamp_);
  writeSimpleInputs(out_, inputsView());
  if (src_.kind == SourceKind::Point) {
    for (float* v : {&src_.vs, &src_.ds, &src_.ts, &src_.ta})
      if (*v < 1.0e-5f) *v = 1.0e-5f;
  }
  elevated_ = false;
  if (src_.kind != SourceKind::Area)
    elevated_ =
        askYesNo({" USE SIMPLE TERRAIN SCREEN WITH TERRAIN ABOVE STACK BASE?", " ENTER Y OR N:"});
  fluxes();
  askMeteorology();
  writeMetBanner(out_, met_);
  automatedRanges();
  discreteDistances();
  if (elevated_) writeTerrainSummary(out_, records_);
  if (isPointLike(src_)) {
    cavity();
    if (!src_.urban && src_.hs >= 10.0f) fumigation();
  }
}

void Session::recordSimple(float conc, float x, float ht) {
  if (conc > summary_.simpleConc) {
    summary_.simpleConc = conc;
    summary_.simpleX = x;
    summary_.simpleHt = ht;
  }
}

std::unique_ptr<DistanceEvaluator> Session::evaluator(float terrain, bool automated) {
  NoteSink note = [this](const std::string& l) { out_.file(l); };
  if (isPointLike(src_)) {
    PointContext ctx;
    ctx.src = &src_;
    ctx.met = met_;
    ctx.note = note;
    return std::make_unique<PointEvaluator>(ctx, terrain);
  }
  return std::make_unique<AreaVolumeEvaluator>(src_, met_, terrain, automated, skip_, note);
}

}  // namespace screen::engine
