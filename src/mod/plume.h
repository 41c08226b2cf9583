// Hourly concentration from one point source at one receptor over flat terrain, rural: plume
// rise, the layer-averaged meteorology seen by the plume, the dispersion coefficients, the stable
// Gaussian plume and the three plumes of the convective boundary layer, and the meander blend of
// a coherent and a random plume (Cimorelli et al. 2004, AERMOD: Description of Model Formulation,
// EPA-454/R-03-004, sections 5.1–5.6; Weil et al. 1997 for the convective probability density).
#pragma once

#include <string>
#include <vector>

#include "mod/profiles.h"

namespace mod {

// Stacks (vertical, capped, horizontal), volume sources and the area family.
enum class SourceKind { Point, PointCap, PointHor, Volume, Area, AreaPoly, AreaCirc, Line };

inline bool isPointKind(SourceKind k) {
  return k == SourceKind::Point || k == SourceKind::PointCap || k == SourceKind::PointHor;
}
inline bool isAreaKind(SourceKind k) {
  return k == SourceKind::Area || k == SourceKind::AreaPoly || k == SourceKind::AreaCirc ||
         k == SourceKind::Line;
}

struct Vertex {
  double x = 0, y = 0;
};

// Any source; the fields a kind does not use stay 0.
struct PointSource {
  std::string id;
  double x = 0, y = 0;  // m (AREA, AREAPOLY: first vertex; LINE: start of the centre line)
  double q = 0;         // emission rate, g/s (area family: g/(s·m²))
  double hs = 0;        // stack or release height, m
  double ts = 0;        // exit temperature, K (negative: ambient plus |ts|)
  double vs = 0;        // exit velocity, m/s
  double ds = 0;        // inside diameter, m
  SourceKind kind = SourceKind::Point;
  double emissionUnit = 1.0e6;     // output units per g/s/m³ (µg/m³ by default)
  bool urban = false;              // listed in SO URBANSRC
  double sy0 = 0, sz0 = 0;         // initial lateral and vertical spread, m (volume; area σ_z0)
  std::vector<Vertex> vertices{};  // area family: v1 … vn and v(n+1) = v1
  double xc = 0, yc = 0;           // area family: centroid
};

struct Receptor {
  double x = 0, y = 0;  // m
  double zflag = 0;     // flagpole height above ground, m
};

// Values of one source for one hour, shared by all receptors.
struct SourceHour {
  bool stableBranch = false;  // stable hour, or a stack at or above the convective mixing height
  double us = 0, svs = 0, sws = 0, tgs = 0, ths = 0;  // stack-top u, σ_v, σ_w, dθ/dz, θ
  double ta = 0;                                      // ambient temperature at stack top, K
  double fb = 0, fm = 0;                              // buoyancy and momentum fluxes, m⁴/s³
  double hsp = 0;                                     // stack height after tip downwash, m
  double n = 0, np = 0;                               // stack-top N and 0.7·N, 1/s
  double xb = 0;                                      // distance used for buoyant final rise
  double xf = 0, dhf = 0;                             // distance to final rise and final rise
  double fp = 0, r = 0;       // penetrated fraction; ratio of equilibrium to penetration height
  double dh3 = 0;             // rise of the penetrated plume, m
  double xm = 0, dhCrit = 0;  // distance to the well-mixed state and its rise, m
  double sinW = 0, cosW = 0;  // transport direction
};

SourceHour setupSource(const HourProfiles& h, const PointSource& s, double zBase);

// Hourly concentration, µg/m³.
double concentration(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                     const Receptor& r);

// Intermediate values of one plume calculation, kept for checks against hand-worked hours.
struct PlumeTrace {
  double dh = 0, he = 0;                 // stable branch rise and plume height
  double u = 0, sv = 0, sw = 0, tg = 0;  // effective (layer-averaged) values
  double sy = 0, sz = 0, fy = 0, fz = 0, zieff = 0;
  double a = 0;  // concentration, µg/m³
};
PlumeTrace tracePlume(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                      const Receptor& r, bool coherent);

}  // namespace mod
