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
  switch (m_src.kind) {
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
    echoSourceNumber(askReal({" ENTER BUILDING HEIGHT (M):"}, m_src.hb));
    if (!nonNegative(m_src.hb)) return false;
    echoSourceNumber(askReal({" ENTER MINIMUM HORIZ BLDG DIMENSION (M):"}, m_src.l1));
    if (!nonNegative(m_src.l1)) return false;
    echoSourceNumber(askReal({" ENTER MAXIMUM HORIZ BLDG DIMENSION (M):"}, m_src.l2));
    if (!nonNegative(m_src.l2)) return false;
    if (m_src.l1 > m_src.l2) std::swap(m_src.l1, m_src.l2);
  } else {
    m_src.hb = m_src.l1 = m_src.l2 = 0.0f;
  }
  m_src.wp = std::sqrt(m_src.l1 * m_src.l1 + m_src.l2 * m_src.l2);
  m_src.lb = std::min(m_src.hb, m_src.wp);
  m_complex =
      askYesNo({" USE COMPLEX TERRAIN SCREEN FOR TERRAIN ABOVE STACK HEIGHT?", " ENTER Y OR N:"});
  return true;
}

bool Session::askPoint() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/S): "}, m_src.q));
  if (!positive(m_src.q)) return false;
  echoSourceNumber(askReal({" ENTER STACK HEIGHT (M): "}, m_src.hs));
  if (!nonNegative(m_src.hs)) return false;
  echoSourceNumber(askReal({" ENTER STACK INSIDE DIAMETER (M): "}, m_src.ds));
  if (!nonNegative(m_src.ds)) return false;
  if (!askVelocity()) return false;
  echoSourceNumber(askReal({" ENTER STACK GAS EXIT TEMPERATURE (K): "}, m_src.ts));
  if (!nonNegative(m_src.ts)) return false;
  echoSourceNumber(
      askReal({" ENTER AMBIENT AIR TEMPERATURE (USE 293 FOR DEFAULT) (K): "}, m_src.ta));
  if (!nonNegative(m_src.ta)) return false;
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, m_src.zr));
  if (!nonNegative(m_src.zr)) return false;
  askUrbanRural();
  return askBuilding();
}

bool Session::askFlare() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/S): "}, m_src.q));
  if (!positive(m_src.q)) return false;
  echoSourceNumber(askReal({" ENTER FLARE STACK HEIGHT (M): "}, m_src.stackHeight_m));
  if (!nonNegative(m_src.stackHeight_m)) return false;
  echoSourceNumber(askReal({" ENTER TOTAL HEAT RELEASE RATE (CAL/S):"}, m_src.heat_cal_s));
  if (!nonNegative(m_src.heat_cal_s)) return false;
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, m_src.zr));
  if (!nonNegative(m_src.zr)) return false;
  askUrbanRural();
  // a flare is a point source with fixed exit conditions and an effective diameter and height
  m_src.vs = 20.0f;
  m_src.ts = 1273.0f;
  m_src.ta = 293.0f;
  m_src.ds = 9.88e-4f * std::pow(0.45f * m_src.heat_cal_s, 0.5f);
  if (m_src.ds < 1.0e-5f) m_src.ds = 1.0e-5f;
  m_src.hs = m_src.stackHeight_m + 4.56e-3f * std::pow(m_src.heat_cal_s, 0.478f);
  velocityShown_ = m_src.vs;
  m_out.con(" EFFECTIVE RELEASE HEIGHT =" + fmtLdr(m_src.hs));
  return askBuilding();
}

bool Session::askArea() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/(S-M**2)): "}, m_src.q));
  if (!positive(m_src.q)) return false;
  echoSourceNumber(askReal({" ENTER SOURCE RELEASE HEIGHT (M): "}, m_src.hs));
  if (!nonNegative(m_src.hs)) return false;
  for (;;) {
    echoSourceNumber(askReal({" ENTER LENGTH OF LARGER SIDE FOR AREA (M):"}, m_src.longSide_m));
    if (!positive(m_src.longSide_m)) return false;
    echoSourceNumber(askReal({" ENTER LENGTH OF SMALLER SIDE FOR AREA (M):"}, m_src.shortSide_m));
    if (!positive(m_src.shortSide_m)) return false;
    if (m_src.longSide_m < m_src.shortSide_m) std::swap(m_src.longSide_m, m_src.shortSide_m);
    if (m_src.longSide_m / m_src.shortSide_m <= 10.0f) break;
    m_out.con(" ASPECT RATIO EXCEEDS 10.  SUBDIVIDE AREA AND ENTER DIMENSIONS AGAIN!");
  }
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, m_src.zr));
  if (!nonNegative(m_src.zr)) return false;
  askUrbanRural();
  m_src.searchDirection =
      askYesNo({" SEARCH THROUGH RANGE OF DIRECTIONS TO FIND THE MAXIMUM? ", " ENTER Y OR N:"});
  if (!m_src.searchDirection) {
    for (;;) {
      askReal({" ENTER DIRECTION RELATIVE TO THE DIRECTION PERPENDICULAR TO THE SMALLER SIDE: "},
              m_src.angle_deg);
      if (std::isfinite(m_src.angle_deg)) break;
    }
    echoSourceNumber(m_src.angle_deg);
  }
  return true;
}

bool Session::askVolume() {
  echoSourceNumber(askReal({" ENTER EMISSION RATE (G/S): "}, m_src.q));
  if (!positive(m_src.q)) return false;
  echoSourceNumber(askReal({" ENTER SOURCE RELEASE HEIGHT (M): "}, m_src.hs));
  if (!nonNegative(m_src.hs)) return false;
  echoSourceNumber(askReal({" ENTER INITIAL LATERAL DIMENSION OF VOLUME SOURCE (M):"}, m_src.sy0));
  if (!nonNegative(m_src.sy0)) return false;
  echoSourceNumber(askReal({" ENTER INITIAL VERTICAL DIMENSION OF VOLUME SOURCE (M):"}, m_src.sz0));
  if (!nonNegative(m_src.sz0)) return false;
  echoSourceNumber(
      askReal({" ENTER RECEPTOR HEIGHT ABOVE GROUND (FOR FLAGPOLE RECEPTOR) (M): "}, m_src.zr));
  if (!nonNegative(m_src.zr)) return false;
  askUrbanRural();
  return true;
}

void Session::askMeteorology() {
  const std::vector<std::string> menu = {
      " ENTER CHOICE OF METEOROLOGY;", " 1 - FULL METEOROLOGY (ALL STABILITIES & WIND SPEEDS)",
      " 2 - INPUT SINGLE STABILITY CLASS", " 3 - INPUT SINGLE STABILITY CLASS AND WIND SPEED"};
  for (;;) {
    askInteger(menu, m_met.choice);
    if (m_met.choice >= 1 && m_met.choice <= 3) break;
  }
  echo(fmtLdi(m_met.choice));
  if (m_met.choice == 1) return;
  for (;;) {
    askInteger({" ENTER STABILITY CLASS, 1(=A) TO 6(=F):"}, m_met.cls);
    if (m_met.cls >= 1 && m_met.cls <= 6) break;
    m_out.con(m_met.choice == 2 ? " NOT A VALID STABILITY CLASS! TRY AGAIN."
                                : " NOT A VALID STABILITY CLASS!  TRY AGAIN.");
  }
  echo(fmtLdi(m_met.cls));
  if (m_met.choice == 2) return;
  static constexpr float kMaxSpeed[] = {3.0f, 5.0f, 10.0f, 20.0f, 5.0f, 4.0f};
  for (;;) {
    askReal({" ENTER ANEMOMETER HEIGHT WIND SPEED (M/S):"}, m_met.speed);
    if (m_met.speed >= 1.0f && m_met.speed <= kMaxSpeed[m_met.cls - 1]) break;
    m_out.con(" NOT A VALID WIND SPEED!  TRY AGAIN.");
  }
  echo(fmtLdr(m_met.speed));
}

float Session::askTerrain(bool checkPrevious, float previous) {
  float h = 0.0f;
  for (;;) {
    askReal({" ENTER TERRAIN HEIGHT ABOVE STACK BASE (M):"}, h);
    if (!std::isfinite(h)) continue;
    if (checkPrevious && h < previous) {
      m_out.con(" NEW HEIGHT < PREVIOUS HEIGHT.  TRY AGAIN.");
      continue;
    }
    if (h > m_src.hs) {
      m_out.con(" TERRAIN HEIGHT > STACK HEIGHT!");
      m_out.con("   TERRAIN HEIGHT HAS BEEN SET = STACK HEIGHT.");
      m_out.con("   USE COMPLEX TERRAIN SCREENING PROCEDURE");
      m_out.con("   FOR TERRAIN ABOVE STACK HEIGHT.");
      h = m_src.hs;
    }
    if (h < 0.0f) {
      m_out.con(" TERRAIN HEIGHT < 0.0!  TRY AGAIN.");
      continue;
    }
    echo(fmtLdr(h));
    return h;
  }
}

}  // namespace screen::engine
