// Report blocks of the cavity and fumigation screens and the summary of results.

#include <cmath>

#include "screen/engine/fortran_format.h"
#include "screen/engine/report.h"

namespace screen::engine {

namespace {

std::string pad(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

void writeCavityEnd(Output& out) {
  out.file("");
  out.file(" ****************************************");
  out.file("       END OF CAVITY CALCULATIONS ");
  out.file(" ****************************************");
  out.file("");
}

}  // namespace

void writeRegulatoryCavity(Output& out, const std::vector<CavityCase>& c, float za) {
  out.file("");
  out.file(" ****************************************");
  out.file("      *** REGULATORY (Default) ***  ");
  out.file("     PERFORMING CAVITY CALCULATIONS ");
  out.file("   WITH ORIGINAL SCREEN CAVITY MODEL");
  out.file("           (BRODE, 1988) ");
  out.file(" ****************************************");
  out.file("");
  out.both("");
  const std::string crit =
      std::fabs(za - 10.0f) >= 0.1f ? "CRIT WS @HANE(M/S) =" : "CRIT WS @10M (M/S) =";
  auto line = [&](const std::string& label, float a, float b) {
    out.both(pad("   " + label + " " + fmtF(a, 8, 2), 40) + label + " " + fmtF(b, 8, 2));
  };
  out.both("  *** CAVITY CALCULATION - 1 ***       *** CAVITY CALCULATION - 2 ***");
  out.both("   CONC (UG/M**3)     = " + fmtG(c[0].conc, 12, 4) +
           "    CONC (UG/M**3)     = " + fmtG(c[1].conc, 12, 4));
  line(crit, c[0].critWsAnemo, c[1].critWsAnemo);
  line("CRIT WS @ HS (M/S) =", c[0].critWsStack, c[1].critWsStack);
  line("DILUTION WS (M/S)  =", c[0].dilutionWs, c[1].dilutionWs);
  line("CAVITY HT (M)      =", c[0].height_m, c[1].height_m);
  line("CAVITY LENGTH (M)  =", c[0].length_m, c[1].length_m);
  line("ALONGWIND DIM (M)  =", c[0].alongWind_m, c[1].alongWind_m);
  if (c[0].flagged || c[1].flagged) {
    out.both("");
    out.both(" CAVITY CONC NOT CALCULATED FOR CRIT WS > 20.0 M/S.  CONC SET = 0.0");
  }
  if (!c[0].converged || !c[1].converged)
    out.con(" CRITICAL WIND SPEED ITERATION DID NOT CONVERGE; LAST ESTIMATE USED.");
  writeCavityEnd(out);
}

void writeSsCavityBanner(Output& out) {
  out.file("");
  out.file(" ****************************************");
  out.file("        ***  NON-REGULATORY ***     ");
  out.file("     PERFORMING CAVITY CALCULATIONS ");
  out.file("    WITH SCHULMAN-SCIRE (1993) MODEL");
  out.file(" ****************************************");
  out.file("");
}

void writeSsCavityCases(Output& out, const std::vector<SsCavityCase>& cases, bool allSpeeds,
                        float xlLong, float xlShort) {
  static const char* kTitles[] = {
      " 1)  SHORTER Side ALONG flow, STACK nearer UPWIND edge of building",
      " 2)  SHORTER Side ALONG flow, STACK nearer DOWNWIND edge of building",
      " 3)  LONGER Side ALONG flow, STACK nearer UPWIND edge of building",
      " 4)  LONGER Side ALONG flow, STACK nearer DOWNWIND edge of building"};
  for (size_t i = 0; i < cases.size(); ++i) {
    if (i == 1 && xlShort == 0.0f) continue;
    if (i == 3 && xlLong == 0.0f) continue;
    const SsCavityCase& c = cases[i];
    out.file("");
    out.file("");
    out.file(kTitles[i]);
    out.file("");
    out.file("*** CAVITY2 -- Version: 1.0        Level: 940325   ***");
    if (c.tooNarrow) {
      out.file(" WARNING -- W/H le 0.2; cavity method not applicable, concentration set to 0.0");
      continue;
    }
    out.file(c.reattached ? " FLOW IS REATTACHED" : " FLOW IS NOT REATTACHED");
    out.file(" Stack distance from upwind face (m)   = " + fmtLdr(c.stackDistance_m));
    out.file(" Cavity Length (m)                     = " + fmtLdr(c.length_m));
    out.file(" Cavity Height (m)                     = " + fmtLdr(c.height_m));
    if (allSpeeds) {
      for (const SsSpeedResult& s : c.speeds) {
        out.file(" -------------------------");
        out.file(" WS @ 10m, Hb, Hs (m/s)    = " + fmtLdr(s.u10) + fmtLdr(s.uRoof) +
                 fmtLdr(s.uStack));
        out.file(" Mass fraction in cavity   =" + fmtLdr(s.fraction));
        out.file(" Concentration in cavity   =" + fmtLdr(s.conc));
      }
    }
    out.file("");
    out.file(" MAX Concentration =" + fmtF(c.maxConc, 10, 1) +
             " (ug/m**3) for ws(10m)  = " + fmtF(c.maxU10, 5, 1) + " (m/s)");
  }
  writeCavityEnd(out);
}

void writeInversionBreakup(Output& out, const FumigationResult& r) {
  out.both("");
  out.both("  *** INVERSION BREAK-UP FUMIGATION CALC. ***");
  out.both("   CONC (UG/M**3)   = " + fmtG(r.conc, 12, 4));
  const float d = r.distance_m >= 100000.0f ? 99999.99f : r.distance_m;
  out.both("   DIST TO MAX (M)  =" + fmtF(d, 9, 2));
  if (r.tooClose) {
    out.both("");
    out.both(" DIST TO MAX IS < 2000. M.  CONC SET = 0.0");
  }
}

void writeShoreline(Output& out, const FumigationResult& r, float shore_m) {
  if (r.belowTibl) {
    out.both("");
    out.both(" ***");
    out.both("  PLUME HEIGHT IS BELOW TIBL HEIGHT");
    out.both("  FOR DISTANCE TO SHORELINE OF " + fmtF(shore_m, 8, 2) + " M.");
    out.both("  NO SHORELINE FUMIGATION CALCULATION MADE.");
    out.both(" ***");
    out.both("");
    return;
  }
  out.both("");
  out.both("  *** SHORELINE FUMIGATION CALC. ***");
  out.both("   CONC (UG/M**3)   = " + fmtG(r.conc, 12, 4));
  out.both("   DIST TO MAX (M)  = " + fmtF(r.distance_m, 8, 2));
  out.both("   DIST TO SHORE (M)= " + fmtF(shore_m, 8, 2));
  if (r.tooClose) {
    out.both("");
    out.both(" DIST TO MAX IS < 200. M.  CONC SET = 0.0");
  }
}

void writeSummary(Output& out, const SummaryData& s) {
  out.both("");
  out.both("      ***************************************");
  out.both("      *** SUMMARY OF SCREEN MODEL RESULTS ***");
  out.both("      ***************************************");
  out.both("");
  out.both("  CALCULATION        MAX CONC    DIST TO   TERRAIN");
  out.both("   PROCEDURE        (UG/M**3)    MAX (M)    HT (M)");
  out.both(" --------------    -----------   ---------   -------");
  if (s.simpleConc > 0.0f) {
    out.both(" SIMPLE TERRAIN     " + fmtG(s.simpleConc, 11, 4) + "   " + fmtF(s.simpleX, 7, 0) +
             "     " + fmtF(s.simpleHt, 5, 0));
    out.both("");
  }
  if (s.complexConc > 0.0f) {
    out.both(" COMPLEX TERRAIN    " + fmtG(s.complexConc, 11, 4) + "   " + fmtF(s.complexX, 7, 0) +
             "     " + fmtF(s.complexHt, 5, 0) + " (24-HR CONC)");
    out.both("");
  }
  if (s.cavity.size() == 2 && (s.cavity[0].conc > 0.0f || s.cavity[1].conc > 0.0f)) {
    for (int i = 0; i < 2; ++i) {
      out.both(" BLDG. CAVITY-" + fmtI(i + 1, 1) + "     " +
               fmtG(s.cavity[static_cast<size_t>(i)].conc, 11, 4) + "   " +
               fmtF(s.cavity[static_cast<size_t>(i)].length_m, 7, 0) +
               "       --  (DIST = CAVITY LENGTH)");
      out.both("");
    }
    out.both("  ");
  }
  if (s.ssCavity.size() == 4 && (s.ssCavity[0].maxConc > 0.0f || s.ssCavity[2].maxConc > 0.0f)) {
    static const char* kText[4][2] = {
        {"  (SHORTER side ALONG flow;", "  stack nearer upwind face)"},
        {"  (SHORTER side ALONG flow;", "  stack nearer dnwind face)"},
        {"  (LONGER  side ALONG flow;", "  stack nearer upwind face)"},
        {"  (LONGER  side ALONG flow;", "  stack nearer dnwind face)"}};
    for (size_t i = 0; i < 4; ++i) {
      out.both(" BUILDING CAVITY    " + fmtG(s.ssCavity[i].maxConc, 11, 4) + "   " +
               fmtF(s.ssCavity[i].length_m, 7, 0) + "       --" + kText[i][0]);
      out.both(std::string(48, ' ') + "--" + kText[i][1]);
    }
    out.both("  ");
  }
  if (s.haveInversion && s.inversion.conc > 0.0f) {
    out.both(" INV BREAKUP FUMI   " + fmtG(s.inversion.conc, 11, 4) + "   " +
             fmtF(s.inversion.distance_m, 7, 0) + "       --");
    out.both("");
  }
  if (s.haveShore && s.shore.conc > 0.0f)
    out.both(" SHORELINE FUMI     " + fmtG(s.shore.conc, 11, 4) + "   " +
             fmtF(s.shore.distance_m, 7, 0) + "       --");
  out.both("");
  out.both(" ***************************************************");
  out.both(" ** REMEMBER TO INCLUDE BACKGROUND CONCENTRATIONS **");
  out.both(" ***************************************************");
  out.both("");
}

}  // namespace screen::engine
