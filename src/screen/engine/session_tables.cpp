// The distance tables (automated ranges and discrete distances), the cavity and fumigation
// questions and the end of the run.

#include <cmath>

#include "screen/engine/distance_search.h"
#include "screen/engine/fortran_format.h"
#include "screen/engine/session.h"

namespace screen::engine {

void Session::automatedRanges() {
  const bool area = src_.kind == SourceKind::Area;
  if (!askYesNo({" USE AUTOMATED DISTANCE ARRAY? ENTER Y OR N:"})) return;
  float prevHt = 0.0f, prevMax = 0.0f;
  bool first = true;
  float xmin = 0.0f, xmax = 0.0f;
  for (;;) {
    const float ht = elevated_ ? askTerrain(!first, prevHt) : 0.0f;
    for (;;) {
      askTwoReals({" ENTER MIN AND MAX DISTANCES TO USE (M):"}, xmin, xmax);
      if (!(std::isfinite(xmin) && std::isfinite(xmax))) continue;
      if (xmin < 1.0f) xmin = 1.0f;
      if (!first && xmin < prevMax) {
        out_.con("  MIN DISTANCE < PREVIOUS MAX.  RANGES");
        out_.con("  SHOULD NOT OVERLAP.  TRY AGAIN. ");
        continue;
      }
      break;
    }
    const std::string pair =
        strFormat(" %8.2f,%8.2f", static_cast<double>(xmin), static_cast<double>(xmax));
    const size_t comma = pair.find(',');
    if (replayable(pair.substr(0, comma), xmin) == pair.substr(0, comma) &&
        replayable(pair.substr(comma + 1), xmax) == pair.substr(comma + 1))
      echo(pair);
    else
      echo(strFormat(" %.9g, %.9g", static_cast<double>(xmin), static_cast<double>(xmax)));
    const auto ev = evaluator(ht, true);
    writeTableHead(out_, true, ht, area, src_.za);
    const RangeResult rr = automatedRange(*ev, xmin, xmax);
    for (const Row& r : rr.rows) out_.both(formatRow(r, area));
    out_.con(" ITERATING TO FIND MAXIMUM CONCENTRATION . . .");
    if (rr.iterationStopped) {
      out_.file("  ");
      out_.both(" ITERATION STOPPED AT 50 - MAX NOT FOUND!!!");
    }
    out_.both("");
    out_.both(" MAXIMUM 1-HR CONCENTRATION AT OR BEYOND " + fmtF(xmin, 6, 0) + " M:");
    out_.both(formatRow(rr.maxLine, area));
    records_.push_back({ht, xmin, xmax});
    recordSimple(rr.maxLine.conc, rr.maxLine.x, ht);
    prevHt = ht;
    prevMax = xmax;
    first = false;
    if (!elevated_) break;
    out_.con("  ");
    if (!askYesNo({" CONTINUE SIMPLE TERRAIN AUTOMATED CALCS WITH NEW TERRAIN HEIGHT?",
                   " ENTER Y OR N:"})) {
      out_.con("  ");
      break;
    }
  }
  if (!area) writeLegend(out_);
}

void Session::discreteDistances() {
  const bool area = src_.kind == SourceKind::Area;
  out_.con("  ");
  if (!askYesNo({" USE DISCRETE DISTANCES?  ENTER Y OR N: "})) return;
  out_.con(" TO CEASE, ENTER A DISTANCE OF ZERO (0).");
  // the console shows the banner once; the report repeats it for every terrain block
  out_.con(" *********************************");
  out_.con(" *** SCREEN DISCRETE DISTANCES ***");
  out_.con(" *********************************");
  int count = 0;
  float x = 0.0f;
  for (;;) {
    const float ht = elevated_ ? askTerrain(false, 0.0f) : 0.0f;
    writeTableHead(out_, false, ht, area, src_.za);
    const auto ev = evaluator(ht, false);
    for (;;) {
      for (;;) {
        askReal({" ENTER DISTANCE (M) (0 TO EXIT): "}, x);
        if (!(x > 100000.0f)) break;
        out_.con(" DISTANCE IS > 100 KM!  TRY AGAIN.");
      }
      echo(fmtLdr(x));
      if (!(x >= 1.0f || (area && x > 0.0f))) break;
      ++count;
      if (count == 8 || count == 15 || count == 22 || count == 29) {
        out_.con("   DIST     CONC             U10M   USTK  MIX HT   PLUME   SIGMA   SIGMA");
        out_.con("    (M)   (UG/M**3)   STAB  (M/S)  (M/S)    (M)   HT (M)   Y (M)   Z (M)  DWASH");
        out_.con(" -------  ----------  ----  -----  -----  ------  ------  ------  ------  -----");
      }
      const Row r = ev->evaluate(x);
      out_.both(formatRow(r, area));
      records_.push_back({ht, x, 0.0f});
      recordSimple(r.conc, x, ht);
    }
    if (!elevated_) break;
    out_.con("  ");
    if (!askYesNo({" CONTINUE SIMPLE TERRAIN DISCRETE CALCS WITH NEW TERRAIN HEIGHT?",
                   " ENTER Y OR N:"})) {
      out_.con("  ");
      break;
    }
  }
  if (!area) writeLegend(out_);
}

}  // namespace screen::engine
