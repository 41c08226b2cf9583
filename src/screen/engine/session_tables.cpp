// The distance tables (automated ranges and discrete distances), the cavity and fumigation
// questions and the end of the run.

#include <cmath>

#include "screen/engine/distance_search.h"
#include "screen/engine/fortran_format.h"
#include "screen/engine/session.h"

namespace screen::engine {

void Session::automatedRanges() {
  const bool area = m_src.kind == SourceKind::Area;
  if (!askYesNo({" USE AUTOMATED DISTANCE ARRAY? ENTER Y OR N:"})) return;
  float prevHt = 0.0f, prevMax = 0.0f;
  bool first = true;
  float xmin = 0.0f, xmax = 0.0f;
  for (;;) {
    const float ht = m_elevated ? askTerrain(!first, prevHt) : 0.0f;
    for (;;) {
      askTwoReals({" ENTER MIN AND MAX DISTANCES TO USE (M):"}, xmin, xmax);
      if (!(std::isfinite(xmin) && std::isfinite(xmax))) continue;
      if (xmin < 1.0f) xmin = 1.0f;
      if (!first && xmin < prevMax) {
        m_out.con("  MIN DISTANCE < PREVIOUS MAX.  RANGES");
        m_out.con("  SHOULD NOT OVERLAP.  TRY AGAIN. ");
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
    writeTableHead(m_out, true, ht, area, m_src.za);
    const RangeResult rr = automatedRange(*ev, xmin, xmax);
    for (const Row& r : rr.rows) m_out.both(formatRow(r, area));
    m_out.con(" ITERATING TO FIND MAXIMUM CONCENTRATION . . .");
    if (rr.iterationStopped) {
      m_out.file("  ");
      m_out.both(" ITERATION STOPPED AT 50 - MAX NOT FOUND!!!");
    }
    m_out.both("");
    m_out.both(" MAXIMUM 1-HR CONCENTRATION AT OR BEYOND " + fmtF(xmin, 6, 0) + " M:");
    m_out.both(formatRow(rr.maxLine, area));
    m_records.push_back({ht, xmin, xmax});
    recordSimple(rr.maxLine.conc, rr.maxLine.x, ht);
    prevHt = ht;
    prevMax = xmax;
    first = false;
    if (!m_elevated) break;
    m_out.con("  ");
    if (!askYesNo({" CONTINUE SIMPLE TERRAIN AUTOMATED CALCS WITH NEW TERRAIN HEIGHT?",
                   " ENTER Y OR N:"})) {
      m_out.con("  ");
      break;
    }
  }
  if (!area) writeLegend(m_out);
}

void Session::discreteDistances() {
  const bool area = m_src.kind == SourceKind::Area;
  m_out.con("  ");
  if (!askYesNo({" USE DISCRETE DISTANCES?  ENTER Y OR N: "})) return;
  m_out.con(" TO CEASE, ENTER A DISTANCE OF ZERO (0).");
  // the console shows the banner once; the report repeats it for every terrain block
  m_out.con(" *********************************");
  m_out.con(" *** SCREEN DISCRETE DISTANCES ***");
  m_out.con(" *********************************");
  int count = 0;
  float x = 0.0f;
  for (;;) {
    const float ht = m_elevated ? askTerrain(false, 0.0f) : 0.0f;
    writeTableHead(m_out, false, ht, area, m_src.za);
    const auto ev = evaluator(ht, false);
    for (;;) {
      for (;;) {
        askReal({" ENTER DISTANCE (M) (0 TO EXIT): "}, x);
        if (!(x > 100000.0f)) break;
        m_out.con(" DISTANCE IS > 100 KM!  TRY AGAIN.");
      }
      echo(fmtLdr(x));
      if (!(x >= 1.0f || (area && x > 0.0f))) break;
      ++count;
      if (count == 8 || count == 15 || count == 22 || count == 29) {
        m_out.con("   DIST     CONC             U10M   USTK  MIX HT   PLUME   SIGMA   SIGMA");
        m_out.con(
            "    (M)   (UG/M**3)   STAB  (M/S)  (M/S)    (M)   HT (M)   Y (M)   Z (M)  DWASH");
        m_out.con(
            " -------  ----------  ----  -----  -----  ------  ------  ------  ------  -----");
      }
      const Row r = ev->evaluate(x);
      m_out.both(formatRow(r, area));
      m_records.push_back({ht, x, 0.0f});
      recordSimple(r.conc, x, ht);
    }
    if (!m_elevated) break;
    m_out.con("  ");
    if (!askYesNo({" CONTINUE SIMPLE TERRAIN DISCRETE CALCS WITH NEW TERRAIN HEIGHT?",
                   " ENTER Y OR N:"})) {
      m_out.con("  ");
      break;
    }
  }
  if (!area) writeLegend(m_out);
}

}  // namespace screen::engine
