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
  if (!(src_.hb > 0.0f && src_.l1 > 0.0f && src_.l2 > 0.0f)) return;
  if (!ssOption_) {
    summary_.cavity = regulatoryCavity(src_);
    writeRegulatoryCavity(out_, summary_.cavity, src_.za);
    return;
  }
  out_.con(" Print concentration for all modeled speeds in addition to maximum concentration? ");
  const std::string answer = in_.line();
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
      out_.con("");
    }
    echo(fmtLdr(v));
    return v;
  };
  const float xlLong = askPosition(kLongerPrompt);
  const float xlShort = askPosition(kShorterPrompt);
  if (offRoof) {
    out_.con("");
    out_.con(" Stack was placed at location away from the building");
    out_.con(" Stack is REPOSITIONED to EDGE of the building");
  }
  if (!offRoof && src_.hs < src_.hb) {
    throw InputRefused("the stack top was placed inside the building (stack height " +
                       fmtF(src_.hs, 8, 2) + " m below building height " + fmtF(src_.hb, 8, 2) +
                       " m)");
  }
  writeSsCavityBanner(out_);
  out_.both(" Stack x/L (LONGER side ALONG flow) = " + fmtLdr(xlLong));
  out_.both(" Stack x/L (SHORTER side ALONG flow)= " + fmtLdr(xlShort));
  summary_.ssCavity = schulmanScireCavity(src_, xlLong, xlShort);
  writeSsCavityCases(out_, summary_.ssCavity, allSpeeds, xlLong, xlShort);
}

void Session::fumigation() {
  out_.con("  ");
  if (!askYesNo({" DO YOU WISH TO MAKE A FUMIGATION CALCULATION? ENTER Y OR N:"})) return;
  summary_.inversion = inversionBreakup(src_);
  summary_.haveInversion = true;
  writeInversionBreakup(out_, summary_.inversion);
  out_.con("  ");
  if (!askYesNo({" CONSIDER SHORELINE FUMIGATION (<=3000M FROM SHORE)?  ENTER Y OR N:"})) return;
  float xs = 0.0f;
  for (;;) {
    askReal({" ENTER SHORTEST DISTANCE TO SHORELINE (M):"}, xs);
    if (std::isfinite(xs)) break;
  }
  echo(fmtLdr(xs));
  summary_.shore = shorelineFumigation(src_, xs);
  summary_.haveShore = true;
  writeShoreline(out_, summary_.shore, xs);
}

void Session::finish() {
  writeSummary(out_, summary_);
  hardcopy_ = askYesNo({" DO YOU WANT TO PRINT A HARDCOPY OF THE RESULTS?  ENTER Y OR N:"});
  out_.con(hardcopy_ ? " THE OUTPUT FILE, \"SCREEN.OUT  \", HAS BEEN PRINTED."
                     : " THE RESULTS OF THIS RUN ARE IN FILE, \"SCREEN.OUT  \".");
  out_.con("1");
}

}  // namespace screen::engine
