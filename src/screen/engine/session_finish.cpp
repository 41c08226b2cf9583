// Cavity and fumigation questions and screens, the summary and the hardcopy question.

#include <cmath>

#include "screen/engine/cavity.h"
#include "screen/engine/fortran_format.h"
#include "screen/engine/fumigation.h"
#include "screen/engine/session.h"

namespace screen::engine {

namespace {

const std::vector<std::string> kLongerPrompt = {
    " Enter stack location (divided by along-wind building scale, L).",
    " Origin for this is the CENTER of building, so (absolute) value lies between 0.0 and 0.5 if "
    "the stack is on the roof.",
    " (It is reset in the model to 0.5 if larger)",
    "",
    " Case 1:  LONGER side ALONG flow",
    "",
    "          Example for (x/L = .4):",
    "",
    "              x/L",
    "         :-----------: ",
    "      +--------------.---------------+ ",
    "      |              .               | ",
    "      |  S           .               | ",
    "      |              .               | ",
    "      |              .               | ",
    "      +--------------.---------------+ ",
    "     .5              0              .5 ",
    "",
    "              <--- Wind --->           ",
    "",
    "",
    " ENTER x/L (LONGER side ALONG flow) = "};

const std::vector<std::string> kShorterPrompt = {"",
                                                 "",
                                                 "",
                                                 " Case 2:  SHORTER side ALONG flow ",
                                                 "",
                                                 "          Example for (x/L = .15)",
                                                 "",
                                                 "                     x/L  ",
                                                 "                     :-:           ",
                                                 "              +------.------+      ",
                                                 "              |      .      |      ",
                                                 "              |      . S    |      ",
                                                 "              |      .      |      ",
                                                 "              +------.------+      ",
                                                 "             .5      0     .5      ",
                                                 "",
                                                 "              <--- Wind --->       ",
                                                 "",
                                                 " x/L (SHORTER side ALONG flow) = "};

}  // namespace

void Session::cavity() {
  if (!(m_src.hb > 0.0f && m_src.l1 > 0.0f && m_src.l2 > 0.0f)) return;
  if (!ssOption_) {
    m_summary.cavity = regulatoryCavity(m_src);
    writeRegulatoryCavity(m_out, m_summary.cavity, m_src.za);
    return;
  }
  m_out.con(" Print concentration for all modeled speeds in addition to maximum concentration? ");
  const std::string answer = m_in.line();
  const char c = answer.empty() ? ' ' : answer[0];
  echo(std::string(1, c));
  const bool allSpeeds = c == 'Y' || c == 'y';
  bool offRoof = false;
  auto askPosition = [&](const std::vector<std::string>& prompt) {
    float v = 0.0f;
    for (;;) {
      askReal(prompt, v);
      if (std::isfinite(v)) break;
    }
    v = std::fabs(v);
    if (v > 0.5f) {
      v = 0.5f;
      offRoof = true;
      m_out.con("");
    }
    echo(fmtLdr(v));
    return v;
  };
  const float xlLong = askPosition(kLongerPrompt);
  const float xlShort = askPosition(kShorterPrompt);
  if (offRoof) {
    m_out.con("");
    m_out.con(" Stack was placed at location away from the building");
    m_out.con(" Stack is REPOSITIONED to EDGE of the building");
  }
  if (!offRoof && m_src.hs < m_src.hb) {
    throw InputRefused("the stack top was placed inside the building (stack height " +
                       fmtF(m_src.hs, 8, 2) + " m below building height " + fmtF(m_src.hb, 8, 2) +
                       " m)");
  }
  writeSsCavityBanner(m_out);
  m_out.both(" Stack x/L (LONGER side ALONG flow) = " + fmtLdr(xlLong));
  m_out.both(" Stack x/L (SHORTER side ALONG flow)= " + fmtLdr(xlShort));
  m_summary.ssCavity = schulmanScireCavity(m_src, xlLong, xlShort);
  writeSsCavityCases(m_out, m_summary.ssCavity, allSpeeds, xlLong, xlShort);
}

void Session::fumigation() {
  m_out.con("  ");
  if (!askYesNo({" DO YOU WISH TO MAKE A FUMIGATION CALCULATION? ENTER Y OR N:"})) return;
  m_summary.inversion = inversionBreakup(m_src);
  m_summary.haveInversion = true;
  writeInversionBreakup(m_out, m_summary.inversion);
  m_out.con("  ");
  if (!askYesNo({" CONSIDER SHORELINE FUMIGATION (<=3000M FROM SHORE)?  ENTER Y OR N:"})) return;
  float xs = 0.0f;
  for (;;) {
    askReal({" ENTER SHORTEST DISTANCE TO SHORELINE (M):"}, xs);
    if (std::isfinite(xs)) break;
  }
  echo(fmtLdr(xs));
  m_summary.shore = shorelineFumigation(m_src, xs);
  m_summary.haveShore = true;
  writeShoreline(m_out, m_summary.shore, xs);
}

void Session::finish() {
  writeSummary(m_out, m_summary);
  m_hardcopy = askYesNo({" DO YOU WANT TO PRINT A HARDCOPY OF THE RESULTS?  ENTER Y OR N:"});
  m_out.con(m_hardcopy ? " THE OUTPUT FILE, \"SCREEN.OUT  \", HAS BEEN PRINTED."
                       : " THE RESULTS OF THIS RUN ARE IN FILE, \"SCREEN.OUT  \".");
  m_out.con("1");
}

}  // namespace screen::engine
