// One source-receiver path of the octave-band method (ISO 9613-2:1996): geometric
// divergence, air absorption, ground (general or alternative method), thin barriers over the
// top and round their ends, and the meteorological correction. Internal to the engine.
#pragma once

#include <vector>

#include "models/noise/propagation/scene.h"

namespace models::noise::propagation::detail {

struct Box {
  double xmin, xmax, ymin, ymax;
};

struct GroundPolygon {
  std::vector<Point2> ring;
  Box box;
  double g;
};

// One straight piece of a barrier's plan line with its top at both ends: absolute, or the
// height above the ground when `above_ground`.
struct BarrierSegment {
  Point2 a, b;
  double top_a, top_b;
  bool above_ground;
  int barrier;
  Box box;
};

struct BarrierEnds {
  Point2 first, last;
  bool lateral_first, lateral_last;
};

// What depends on the scene only.
struct Prepared {
  Bands alpha_db_m{};   // air absorption per band, dB/m, at the exact midband frequencies
  Bands lambda_m{};     // wavelength 340 / nominal frequency, m
  double ground_g = 0;  // G outside every ground area
  double c0_db = 0;
  GroundMethod method = GroundMethod::General;
  std::vector<GroundPolygon> ground;  // later ones lie over earlier ones
  std::vector<BarrierSegment> segments;
  std::vector<BarrierEnds> barrier_ends;
  const Terrain* terrain = nullptr;
  double groundZ(double x, double y) const { return terrain ? terrain->at(x, y) : 0; }
};

// Scratch vectors reused from path to path by one thread (no allocation once warm).
struct Scratch {
  std::vector<double> cuts;
  struct Edge {
    double s, z;
    int barrier;
  };
  std::vector<Edge> edges;
  std::vector<int> hull;
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

Prepared prepare(const Scene& scene);

// Abar per band over the barriers crossed between source and receiver, with `agr` the ground
// attenuation of the unscreened path; false (abar untouched) when no barrier is crossed.
bool screening(const Prepared& p, const PathEnd& s, const PathEnd& r, double dp, double d,
               const Bands& agr, Scratch& sc, Bands& abar);

// Where the plan segment s->r crosses p->q: t along s->r in (0, 1), u along p->q in [0, 1].
bool crossing(Point2 s, Point2 r, Point2 p, Point2 q, double& t, double& u);
bool boxesMeet(const Box& a, const Box& b);

bool insideRing(const std::vector<Point2>& ring, double x, double y);
// The bounding box of the points (all zero when there are none).
Box boxOf(const std::vector<Point2>& pts);

// 10^(0.1 A) of the A-weighting of each band.
const Bands& aWeightFactors();

}  // namespace models::noise::propagation::detail
