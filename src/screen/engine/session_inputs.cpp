// The source questions of each source type, the building, meteorology and terrain questions.

#include <algorithm>
#include <cmath>

#include "screen/engine/dispersion.h"
#include "screen/engine/fortran_format.h"
#include "screen/engine/session.h"

namespace screen::engine {

namespace {

bool positive(float v) { return std::isfinite(v) && v > 0.0f; }
bool nonNegative(float v) { return std::isfinite(v) && v >= 0.0f; }

}  // namespace

bool Session::askSourceInputs() {
  switch (src_.kind) {
    case SourceKind::Point: return askPoint();
    case SourceKind::Flare: return askFlare();
    case SourceKind::Area: return askArea();
    case SourceKind::Volume: return askVolume();
  }
  return false;
}

bool Session::askBuilding() {
  const bool yes = askYesNo({" CONSIDER BUILDING DOWNWASH IN CALCS?  ENTER Y OR N:"});
  if (yes) {
    echoSourceNumber(askReal({" ENTER BUILDING HEIGHT (M):"}, src_.hb));
    if (!nonNegative(src_.hb)) return false;
    echoSourceNumber(askReal({" ENTER MINIMUM HORIZ BLDG DIMENSION (M):"}, src_.l1));
    if (!nonNegative(src_.l1)) return false;
    echoSourceNumber(askReal({" ENTER MAXIMUM HORIZ BLDG DIMENSION (M):"}, src_.l2));
    if (!nonNegative(src_.l2)) return false;
    if (src_.l1 > src_.l2) std::swap(src_.l1, src_.l2);
  } else {
    src_.hb = src_.l1 = src_.l2 = 0.0f;
  }
  src_.wp = std::sqrt(src_.l1 * src_.l1 + src_.l2 * src_.l2);
  src_.lb = std::min(src_.hb, src_.wp);
  complex_ =
      askYesNo({" USE COMPLEX TERRAIN SCREEN FOR TERRAIN ABOVE STACK HEIGHT?", " ENTER Y OR N:"});
  return true;
}

bool Session::askPoint() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/S): "}, src_.q));
  if (!positive(src_.q)) return false;
  echoSourceNumber(askReal({" ENTER STACK HEIGHT (M): "}, src_.hs));
  if (!nonNegative(src_.hs)) return false;
  echoSourceNumber(askReal({" ENTER STACK INSIDE DIAMETER (M): "}, src_.ds));
  if (!nonNegative(src_.ds)) return false;
  if (!askVelocity()) return false;
  echoSourceNumber(askReal({" ENTER STACK GAS EXIT TEMPERATURE (K): "}, src_.ts));
  if (!nonNegative(src_.ts)) return false;
  echoSourceNumber(
      askReal({" ENTER AMBIENT AIR TEMPERATURE (USE 293 FOR DEFAULT) (K): "}, src_.ta));
  if (!nonNegative(src_.ta)) return false;
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, src_.zr));
  if (!nonNegative(src_.zr)) return false;
  askUrbanRural();
  return askBuilding();
}

bool Session::askFlare() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/S): "}, src_.q));
  if (!positive(src_.q)) return false;
  echoSourceNumber(askReal({" ENTER FLARE STACK HEIGHT (M): "}, src_.stackHeight_m));
  if (!nonNegative(src_.stackHeight_m)) return false;
  echoSourceNumber(askReal({" ENTER TOTAL HEAT RELEASE RATE (CAL/S):"}, src_.heat_cal_s));
  if (!nonNegative(src_.heat_cal_s)) return false;
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, src_.zr));
  if (!nonNegative(src_.zr)) return false;
  askUrbanRural();
  // a flare is a point source with fixed exit conditions and an effective diameter and height
  src_.vs = 20.0f;
  src_.ts = 1273.0f;
  src_.ta = 293.0f;
  src_.ds = 9.88e-4f * std::pow(0.45f * src_.heat_cal_s, 0.5f);
  if (src_.ds < 1.0e-5f) src_.ds = 1.0e-5f;
  src_.hs = src_.stackHeight_m + 4.56e-3f * std::pow(src_.heat_cal_s, 0.478f);
  velocityShown_ = src_.vs;
  out_.con(" EFFECTIVE RELEASE HEIGHT =" + fmtLdr(src_.hs));
  return askBuilding();
}

bool Session::askArea() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/(S-M**2)): "}, src_.q));
  if (!positive(src_.q)) return false;
  echoSourceNumber(askReal({" ENTER SOURCE RELEASE HEIGHT (M): "}, src_.hs));
  if (!nonNegative(src_.hs)) return false;
  for (;;) {
    echoSourceNumber(askReal({" ENTER LENGTH OF LARGER SIDE FOR AREA (M):"}, src_.longSide_m));
    if (!positive(src_.longSide_m)) return false;
    echoSourceNumber(askReal({" ENTER LENGTH OF SMALLER SIDE FOR AREA (M):"}, src_.shortSide_m));
    if (!positive(src_.shortSide_m)) return false;
    if (src_.longSide_m < src_.shortSide_m) std::swap(src_.longSide_m, src_.shortSide_m);
    if (src_.longSide_m / src_.shortSide_m <= 10.0f) break;
    out_.con(" ASPECT RATIO EXCEEDS 10.  SUBDIVIDE AREA AND ENTER DIMENSIONS AGAIN!");
  }
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, src_.zr));
  if (!nonNegative(src_.zr)) return false;
  askUrbanRural();
  src_.searchDirection =
      askYesNo({" SEARCH THROUGH RANGE OF DIRECTIONS TO FIND THE MAXIMUM? ", " ENTER Y OR N:"});
  if (!src_.searchDirection) {
    for (;;) {
      askReal({" ENTER DIRECTION RELATIVE TO THE DIRECTION PERPENDICULAR TO THE SMALLER SIDE: "},
              src_.angle_deg);
      if (std::isfinite(src_.angle_deg)) break;
    }
    echoSourceNumber(src_.angle_deg);
  }
  return true;
}

bool Session::askVolume() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/S): "}, src_.q));
  if (!positive(src_.q)) return false;
  echoSourceNumber(askReal({" ENTER SOURCE RELEASE HEIGHT (M): "}, src_.hs));
  if (!nonNegative(src_.hs)) return false;
  echoSourceNumber(askReal({" ENTER INITIAL LATERAL DIMENSION OF VOLUME SOURCE (M):"}, src_.sy0));
  if (!nonNegative(src_.sy0)) return false;
  echoSourceNumber(askReal({" ENTER INITIAL VERTICAL DIMENSION OF VOLUME SOURCE (M):"}, src_.sz0));
  if (!nonNegative(src_.sz0)) return false;
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, src_.zr));
  if (!nonNegative(src_.zr)) return false;
  askUrbanRural();
  return true;
}

void Session::askMeteorology() {
  const std::vector<std::string> menu = {
      " ENTER CHOICE OF METEOROLOGY;", " 1 - FULL METEOROLOGY (ALL STABILITIES & WIND SPEEDS)",
      " 2 - INPUT SINGLE STABILITY CLASS", " 3 - INPUT SINGLE STABILITY CLASS AND WIND SPEED"};
  for (;;) {
    askInteger(menu, met_.choice);
    if (met_.choice >= 1 && met_.choice <= 3) break;
  }
  echo(fmtLdi(met_.choice));
  if (met_.choice == 1) return;
  for (;;) {
    askInteger({" ENTER STABILITY CLASS, 1(=A) TO 6(=F):"}, met_.cls);
    if (met_.cls >= 1 && met_.cls <= 6) break;
    out_.con(met_.choice == 2 ? " NOT A VALID STABILITY CLASS! TRY AGAIN."
                              : " NOT A VALID STABILITY CLASS!  TRY AGAIN.");
  }
  echo(fmtLdi(met_.cls));
  if (met_.choice == 2) return;
  static constexpr float kMaxSpeed[] = {3.0f, 5.0f, 10.0f, 20.0f, 5.0f, 4.0f};
  for (;;) {
    askReal({" ENTER ANEMOMETER HEIGHT WIND SPEED (M/S):"}, met_.speed);
    if (met_.speed >= 1.0f && met_.speed <= kMaxSpeed[met_.cls - 1]) break;
    out_.con(" NOT A VALID WIND SPEED!  TRY AGAIN.");
  }
  echo(fmtLdr(met_.speed));
}

float Session::askTerrain(bool checkPrevious, float previous) {
  float h = 0.0f;
  for (;;) {
    askReal({" ENTER TERRAIN HEIGHT ABOVE STACK BASE (M):"}, h);
    if (!std::isfinite(h)) continue;
    if (checkPrevious && h < previous) {
      out_.con(" NEW HEIGHT < PREVIOUS HEIGHT.  TRY AGAIN.");
      continue;
    }
    if (h > src_.hs) {
      out_.con(" TERRAIN HEIGHT > STACK HEIGHT!");
      out_.con("   TERRAIN HEIGHT HAS BEEN SET = STACK HEIGHT.");
      out_.con("   USE COMPLEX TERRAIN SCREENING PROCEDURE");
      out_.con("   FOR TERRAIN ABOVE STACK HEIGHT.");
      h = src_.hs;
    }
    if (h < 0.0f) {
      out_.con(" TERRAIN HEIGHT < 0.0!  TRY AGAIN.");
      continue;
    }
    echo(fmtLdr(h));
    return h;
  }
}

}  // namespace screen::engine
