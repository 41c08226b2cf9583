// One source-receiver path of the octave-band method (ISO 9613-2:1996): geometric
// divergence, air absorption, ground (general or alternative method), barriers and buildings
// over the top and round the sides, first-order reflections, and the meteorological
// correction. Internal to the engine.
#pragma once

#include <cmath>
#include <vector>

#include "models/noise/propagation/obstacles.h"
#include "models/noise/propagation/scene.h"

namespace models::noise::propagation::detail {

struct GroundPolygon {
  std::vector<Point2> ring;
  Box box;
  double g;
};

// What depends on the scene only.
struct Prepared {
  Bands alpha_db_m{};   // air absorption per band, dB/m, at the exact midband frequencies
  Bands lambda_m{};     // wavelength 340 / nominal frequency, m
  double ground_g = 0;  // G outside every ground area
  double c0_db = 0;
  GroundMethod method = GroundMethod::General;
  std::vector<GroundPolygon> ground;  // later ones lie over earlier ones
  std::vector<Obstacle> obstacles;    // buildings, then barriers
  ObstacleIndex index;
  std::vector<Reflector> reflectors;  // empty unless the scene's reflections are on
  std::vector<int> building_of;       // obstacle index of each scene building
  bool any_lateral = false;           // some obstacle lets sound round its sides
  const Terrain* terrain = nullptr;
  double groundZ(double x, double y) const { return terrain ? terrain->at(x, y) : 0; }
};

// Scratch vectors reused from path to path by one thread (no allocation once warm).
struct Scratch {
  std::vector<double> cuts;
  struct Edge {
    double s, z;
    int instance;  // into `instances`
  };
  std::vector<Edge> edges;
  std::vector<int> hull;
  // Obstacles met by the path: an obstacle, mirrored when met on the image leg of a reflection.
  struct Instance {
    int obstacle;
    bool mirrored;
  };
  std::vector<Instance> instances;
  std::vector<unsigned> stamp;  // per obstacle: the query that last saw it
  unsigned query = 0;
  // Lateral plane: section outlines, nodes and the shortest-path search.
  std::vector<double> pu, pv;     // points of every section, plane coordinates
  std::vector<int> poly_start;    // start of each section in pu/pv, plus the end
  std::vector<char> poly_closed;  // building (closed) or barrier piece (open)
  std::vector<Box> poly_box;      // box of each section in the plane (shortest-path search)
  std::vector<double> block_u;    // where the S-R line is inside a section
  std::vector<char> node_ok;      // a side path may turn at the point
  std::vector<signed char> vis;   // pair visibility cache
  std::vector<double> dist;
  std::vector<int> prev;
  std::vector<char> done;
  std::vector<double> tmp_u, tmp_v, tmp_t;
  // Per obstacle: the lateral plane (its query number) that has its section.
  std::vector<unsigned> included_in;
  unsigned query_plane = 0;
  std::vector<int> chain_left, chain_right;  // the side paths found, as nodes
  // Per node and side: the next node of the last side path looked along from it.
  std::vector<int> seen_next;
  const void* left_path = nullptr;  // which side finishSide() is filling
  std::vector<int> chain;
  bool all_convex = true;  // every section added since is convex
};

// The height terms of the ground functions a'(h) ... d'(h), fixed per source and receiver:
// exp(-0.12 (h - 5)^2), exp(-0.09 h^2), exp(-0.46 h^2), exp(-0.9 h^2).
struct HeightTerms {
  double a = 0, b = 0, c = 0, d = 0;
};
HeightTerms heightTerms(double h);

struct PathEnd {
  Point2 at;
  double ground_z;  // elevation of the local ground, m
  double h;         // height above it, m
  HeightTerms k;    // heightTerms(h)
};

// Attenuation per band, dB: Adiv + Aatm + Agr + Abar + Cmet - DOmega (the level at the receiver
// is Lw + Dc - A).
Bands attenuation(const Prepared& p, const PathEnd& src, const PathEnd& rcv, Scratch& scratch);

// The same for a path reflected at a surface: `src` is the image source and `fold` mirrors the
// image leg back onto the ground and obstacles it crosses (Agr over the ground met, Abar of the
// mirrored scene). Optionally the screening terms.
Bands attenuationFolded(const Prepared& p, const PathEnd& src, const PathEnd& rcv, const Fold* fold,
                        Scratch& scratch, ScreenTerms* terms = nullptr, Bands* agr_out = nullptr);

// Adds the level of every first-order reflection of a point source at the receiver, per band
// as energy 10^(0.1 L) (lw the source's Lw + Dc); returns how many reflections counted.
int reflections(const Prepared& p, const PathEnd& src, const PathEnd& rcv, const Bands& lw,
                Scratch& sc, Bands& energy);

// Whether a plan point lies inside (or on the outline of) a building; its index or -1.
int buildingAt(const Prepared& p, Point2 at);

Prepared prepare(const Scene& scene);
// The obstacles, their index and the reflectors of the scene (part of prepare()).
void prepareObstacles(const Scene& scene, Prepared& p);

// Abar per band over the barriers crossed between source and receiver, with `agr` the ground
// attenuation of the unscreened path; false (abar untouched) when no barrier is crossed.
bool screening(const Prepared& p, const PathEnd& s, const PathEnd& r, double dp, double d,
               const Bands& agr, Scratch& sc, Bands& abar, const Fold* fold = nullptr,
               ScreenTerms* terms = nullptr);

// Where the plan segment s->r crosses p->q: t along s->r in (0, 1), u along p->q in [0, 1].
// Most pairs miss: the signs of the numerators against the denominator reject them before
// anything is divided.
inline bool crossing(Point2 s, Point2 r, Point2 p, Point2 q, double& t, double& u) {
  const double dx = r.x - s.x, dy = r.y - s.y, ex = q.x - p.x, ey = q.y - p.y;
  const double den = dx * ey - dy * ex;
  if (std::abs(den) < 1e-12) return false;
  const double wx = p.x - s.x, wy = p.y - s.y;
  const double tn = wx * ey - wy * ex, un = wx * dy - wy * dx;
  if (den > 0 ? !(tn > 0 && tn < den && un >= 0 && un <= den)
              : !(tn < 0 && tn > den && un <= 0 && un >= den))
    return false;
  t = tn / den;
  u = un / den;
  return t > 0 && t < 1 && u >= 0 && u <= 1;
}
inline bool boxesMeet(const Box& a, const Box& b) {
  return a.xmin <= b.xmax && b.xmin <= a.xmax && a.ymin <= b.ymax && b.ymin <= a.ymax;
}

bool insideRing(const std::vector<Point2>& ring, double x, double y);
// The bounding box of the points (all zero when there are none).
Box boxOf(const std::vector<Point2>& pts);

// 10^(0.1 A) of the A-weighting of each band.
const Bands& aWeightFactors();

}  // namespace models::noise::propagation::detail
