#include "screen/engine/report.h"

#include <cmath>

#include "screen/engine/fortran_format.h"

namespace screen::engine {

namespace {

const std::string kBlank70(70, ' ');

std::string urbanText(bool urban) { return urban ? "       URBAN" : "       RURAL"; }

void writeOptionLines(Output& out, const Source& src) {
  out.file(src.brode2
               ? " THE NON-REGULATORY BUT CONSERVATIVE BRODE 2 MIXING HEIGHT OPTION WAS SELECTED."
               : " THE REGULATORY (DEFAULT) MIXING HEIGHT OPTION WAS SELECTED.");
  if (src.za == 10.0f)
    out.file(" THE REGULATORY (DEFAULT) ANEMOMETER HEIGHT OF" + fmtF(src.za, 5, 1) +
             " METERS WAS ENTERED.");
  else
    out.file(" A NON-REGULATORY ANEMOMETER HEIGHT (HANE) OF" + fmtF(src.za, 6, 1) +
             " METERS WAS ENTERED.");
  out.file("");
}

std::string f124(float v) { return fmtF(v, 12, 4); }

void writeRunTitle(Output& out, const std::string& title) {
  out.file("  ***  SCREEN3 MODEL RUN  ***");
  out.file("  *** VERSION DATED 13043 ***");
  out.file("");
  out.file(" " + title);
  out.file("");
}

}  // namespace

void writeStamp(Output& out, const RunStamp& stamp) {
  out.file(kBlank70 + stamp.date);
  out.file(kBlank70 + stamp.time);
}

void writeSimpleInputs(Output& out, const InputsView& in) {
  const Source& s = *in.src;
  writeRunTitle(out, in.title);
  out.file(" SIMPLE TERRAIN INPUTS:");
  switch (s.kind) {
    case SourceKind::Point:
      out.file("    SOURCE TYPE            =        POINT");
      out.file("    EMISSION RATE (G/S)    = " + fmtG(s.q, 16, 6));
      out.file("    STACK HEIGHT (M)       = " + f124(s.hs));
      out.file("    STK INSIDE DIAM (M)    = " + f124(s.ds));
      out.file("    STK EXIT VELOCITY (M/S)= " + f124(in.velocityShown));
      out.file("    STK GAS EXIT TEMP (K)  = " + f124(s.ts));
      out.file("    AMBIENT AIR TEMP (K)   = " + f124(s.ta));
      out.file("    RECEPTOR HEIGHT (M)    = " + f124(s.zr));
      out.file("    URBAN/RURAL OPTION     = " + urbanText(s.urban));
      break;
    case SourceKind::Flare:
      out.file("    SOURCE TYPE            =        FLARE");
      out.file("    EMISSION RATE (G/S)    = " + fmtG(s.q, 16, 6));
      out.file("    FLARE STACK HEIGHT (M) = " + f124(s.stackHeight_m));
      out.file("    TOT HEAT RLS (CAL/S)   = " + fmtG(s.heat_cal_s, 16, 6));
      out.file("    RECEPTOR HEIGHT (M)    = " + f124(s.zr));
      out.file("    URBAN/RURAL OPTION     = " + urbanText(s.urban));
      out.file("    EFF RELEASE HEIGHT (M) = " + f124(s.hs));
      break;
    case SourceKind::Area:
      out.file("    SOURCE TYPE                 =         AREA");
      out.file("    EMISSION RATE (G/(S-M**2))  = " + fmtG(s.q, 16, 6));
      out.file("    SOURCE HEIGHT (M)           = " + f124(s.hs));
      out.file("    LENGTH OF LARGER SIDE (M)   = " + f124(s.longSide_m));
      out.file("    LENGTH OF SMALLER SIDE (M)  = " + f124(s.shortSide_m));
      out.file("    RECEPTOR HEIGHT (M)         = " + f124(s.zr));
      out.file("    URBAN/RURAL OPTION          = " + urbanText(s.urban));
      writeOptionLines(out, s);
      if (s.searchDirection) {
        out.file("    MODEL ESTIMATES DIRECTION TO MAX CONCENTRATION");
      } else {
        out.file("    ANGLE RELATIVE TO LONG AXIS = " + f124(s.angle_deg));
      }
      out.file("");
      return;
    case SourceKind::Volume:
      out.file("    SOURCE TYPE              =       VOLUME");
      out.file("    EMISSION RATE (G/S)      = " + fmtG(s.q, 16, 6));
      out.file("    SOURCE HEIGHT (M)        = " + f124(s.hs));
      out.file("    INIT. LATERAL DIMEN (M)  = " + f124(s.sy0));
      out.file("    INIT. VERTICAL DIMEN (M) = " + f124(s.sz0));
      out.file("    RECEPTOR HEIGHT (M)      = " + f124(s.zr));
      out.file("    URBAN/RURAL OPTION       = " + urbanText(s.urban));
      out.file("");
      writeOptionLines(out, s);
      return;
  }
  out.file("    BUILDING HEIGHT (M)    = " + f124(s.hb));
  out.file("    MIN HORIZ BLDG DIM (M) = " + f124(s.l1));
  out.file("    MAX HORIZ BLDG DIM (M) = " + f124(s.l2));
  out.file("");
  writeOptionLines(out, s);
  if (s.kind == SourceKind::Point && in.flowKind != 0) {
    out.file("    STACK EXIT VELOCITY WAS CALCULATED FROM");
    out.file("    VOLUME FLOW RATE =" + fmtG(in.flowValue, 16, 8) +
             (in.flowKind == 1 ? " (M**3/S) " : " (ACFM) "));
  }
}

void writeComplexInputs(Output& out, const InputsView& in) {
  const Source& s = *in.src;
  writeRunTitle(out, in.title);
  out.file(" COMPLEX TERRAIN INPUTS:");
  if (s.kind == SourceKind::Flare) {
    out.file("    SOURCE TYPE            =        FLARE");
    out.file("    EMISSION RATE (G/S)    = " + fmtG(s.q, 16, 6));
    out.file("    FLARE STACK HEIGHT (M) = " + f124(s.stackHeight_m));
    out.file("    TOT HEAT RLS (CAL/S)   = " + fmtG(s.heat_cal_s, 16, 6));
    out.file("    RECEPTOR HEIGHT (M)    = " + f124(0.0f));
    out.file("    URBAN/RURAL OPTION     = " + urbanText(s.urban));
    out.file("    EFF RELEASE HEIGHT (M) = " + f124(s.hs));
  } else {
    out.file("    SOURCE TYPE            =        POINT");
    out.file("    EMISSION RATE (G/S)    = " + fmtG(s.q, 16, 6));
    out.file("    STACK HT (M)           = " + f124(s.hs));
    out.file("    STACK DIAMETER (M)     = " + f124(s.ds));
    out.file("    STACK VELOCITY (M/S)   = " + f124(in.velocityShown));
    out.file("    STACK GAS TEMP (K)     = " + f124(s.ts));
    out.file("    AMBIENT AIR TEMP (K)   = " + f124(s.ta));
    out.file("    RECEPTOR HEIGHT (M)    = " + f124(0.0f));
    out.file("    URBAN/RURAL OPTION     = " + urbanText(s.urban));
  }
  out.file("");
  writeOptionLines(out, s);
}

void writeBuoyancy(Output& out, float fb, float fm) {
  out.file("");
  out.file(" BUOY. FLUX =" + fmtF(fb, 9, 3) + " M**4/S**3;  MOM. FLUX =" + fmtF(fm, 9, 3) +
           " M**4/S**2.");
  out.file("");
}

void writeMetBanner(Output& out, const MetChoice& met) {
  if (met.choice == 1) {
    out.file(" *** FULL METEOROLOGY ***");
    return;
  }
  out.file(" *** STABILITY CLASS " + fmtI(met.cls, 2) + " ONLY ***");
  if (met.choice == 3)
    out.file(" *** ANEMOMETER HEIGHT WIND SPEED OF " + fmtF(met.speed, 6, 2) + " M/S ONLY ***");
}

void writeColumnHeader(Output& out, bool area, float za) {
  const bool hane = za != 10.0f;
  if (area) {
    out.both(hane ? "   DIST     CONC            UHANE   USTK  MIX HT   PLUME  MAX DIR"
                  : "   DIST     CONC             U10M   USTK  MIX HT   PLUME  MAX DIR");
    out.both("    (M)   (UG/M**3)   STAB  (M/S)  (M/S)    (M)   HT (M)   (DEG)");
    out.both(" -------  ----------  ----  -----  -----  ------  ------  -------");
    return;
  }
  out.both(hane ? "   DIST     CONC            UHANE   USTK  MIX HT   PLUME   SIGMA   SIGMA"
                : "   DIST     CONC             U10M   USTK  MIX HT   PLUME   SIGMA   SIGMA");
  out.both("    (M)   (UG/M**3)   STAB  (M/S)  (M/S)    (M)   HT (M)   Y (M)   Z (M)  DWASH");
  out.both(" -------  ----------  ----  -----  -----  ------  ------  ------  ------  -----");
}

void writeTableHead(Output& out, bool automated, float terrain, bool area, float za) {
  out.both("");
  if (automated) {
    out.both(" **********************************");
    out.both(" *** SCREEN AUTOMATED DISTANCES ***");
    out.both(" **********************************");
  } else {
    out.file(" *********************************");
    out.file(" *** SCREEN DISCRETE DISTANCES ***");
    out.file(" *********************************");
  }
  out.both("");
  out.both(" *** TERRAIN HEIGHT OF " + fmtF(terrain, 5, 0) +
           " M ABOVE STACK BASE USED FOR FOLLOWING DISTANCES ***");
  out.both("");
  writeColumnHeader(out, area, za);
}

std::string formatRow(const Row& r, bool area) {
  std::string s = " " + fmtF(r.x, 7, 0) + "  " + fmtG(r.conc, 11, 4) + "    " + fmtI(r.cls, 1) +
                  "    " + fmtF(r.ua, 4, 1) + "   " + fmtF(r.us, 4, 1) + " " + fmtF(r.zi, 7, 1) +
                  " " + fmtF(r.he, 7, 2);
  if (area) return s + "    " + fmtF(r.maxDir, 4, 0);
  return s + " " + fmtF(r.sy, 7, 2) + " " + fmtF(r.sz, 7, 2) + "    " + downwashCode(r.flag);
}

void writeLegend(Output& out) {
  out.file("");
  out.file("  DWASH=   MEANS NO CALC MADE (CONC = 0.0)");
  out.file("  DWASH=NO MEANS NO BUILDING DOWNWASH USED");
  out.file("  DWASH=HS MEANS HUBER-SNYDER DOWNWASH USED");
  out.file("  DWASH=SS MEANS SCHULMAN-SCIRE DOWNWASH USED");
  out.file("  DWASH=NA MEANS DOWNWASH NOT APPLICABLE, X<3*LB");
}

void writeTerrainSummary(Output& out, const std::vector<TerrainRecord>& records) {
  out.file("");
  out.file("  ********************************************");
  out.file("  *  SUMMARY OF TERRAIN HEIGHTS ENTERED FOR  *");
  out.file("  *    SIMPLE ELEVATED TERRAIN PROCEDURE     *");
  out.file("  ********************************************");
  out.file("");
  out.file("       TERRAIN        DISTANCE RANGE (M)");
  out.file("        HT (M)       MINIMUM     MAXIMUM");
  out.file("       -------      --------    --------");
  for (const TerrainRecord& r : records) {
    if (!(r.minimum > 0.0f)) continue;
    std::string line = "        " + fmtF(r.height, 6, 0) + "       " + fmtF(r.minimum, 7, 0);
    line += r.maximum > 0.0f ? "     " + fmtF(r.maximum, 7, 0) : "         --";
    out.file(line);
  }
}

void writeValleyHeader(Output& out, float za, bool console, bool file) {
  const char* lines[] = {
      "                          *VALLEY 24-HR CALCS*   **SIMPLE TERRAIN 24-HR CALCS**",
      "  TERR         MAX 24-HR              PLUME HT             PLUME HT",
      za != 10.0f
          ? "   HT    DIST    CONC        CONC    ABOVE STK    CONC    ABOVE STK   UHANE USTK"
          : "   HT    DIST    CONC        CONC    ABOVE STK    CONC    ABOVE STK    U10M USTK",
      "  (M)    (M)   (UG/M**3)   (UG/M**3)  BASE (M)  (UG/M**3)  HGT (M)  SC   (M/S)",
      " ----- ------- ----------  ----------  ------   ----------  ------  -- ---- ----"};
  for (const char* l : lines) {
    if (file) out.file(l);
    if (console) out.con(l);
  }
}

std::string formatValleyRow(const ValleyRow& r) {
  return " " + fmtF(r.terrain, 5, 0) + " " + fmtF(r.x, 7, 0) + " " + fmtG(r.conc24, 11, 4) + "  " +
         fmtG(r.valley24, 11, 4) + "  " + fmtF(r.valleyHeight, 6, 1) + "   " +
         fmtG(r.simple24, 11, 4) + "  " + fmtF(r.simpleHeight, 6, 1) + "   " + fmtI(r.cls, 1) +
         " " + fmtF(r.ua, 4, 1) + " " + fmtF(r.us, 4, 1);
}

}  // namespace screen::engine
