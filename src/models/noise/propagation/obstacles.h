// Buildings and barriers as screening obstacles and reflecting surfaces, with a grid index over
// the plan so that a path meets only the obstacles near its line. Internal to the engine.
#pragma once

#include <vector>

#include "models/noise/propagation/scene.h"

namespace models::noise::propagation::detail {

struct Box {
  double xmin, xmax, ymin, ymax;
};

// A building (closed ring, flat roof) or a barrier (open polyline, a top per vertex).
struct Obstacle {
  bool building = false;
  int index = 0;            // in the scene's buildings or barriers
  std::vector<Point2> pts;  // ring (open) or polyline
  // Top per vertex: absolute, or above the ground when `above_ground` (barriers given by h).
  std::vector<double> top;
  bool above_ground = false;
  bool convex = false;       // a building whose footprint is convex
  std::vector<Point2> hull;  // the convex hull of a concave footprint, counter-clockwise
  // Whether a side path may turn at the first and last vertex of a barrier, or at any corner of
  // a building (both the same).
  bool lateral_first = true, lateral_last = true;
  Box box{};
};

// A vertical reflecting surface: a facade of a building or a piece of a reflecting barrier.
struct Reflector {
  Point2 a, b;
  int obstacle = 0;             // the obstacle it belongs to
  int edge = 0;                 // the obstacle's edge from pts[edge] to pts[edge + 1] (ring: wraps)
  double top_a = 0, top_b = 0;  // absolute top at a and b, m
  double base_a = 0, base_b = 0;  // absolute base (the ground) at a and b, m
  bool facade = false;  // reflects only on the side away from the building (its left, CCW ring)
  Bands rho{};          // 1 - alpha
  Box box{};
};

// Uniform cells over the plan listing the obstacles whose box meets each cell.
struct ObstacleIndex {
  double x0 = 0, y0 = 0, cell = 1;
  int nx = 0, ny = 0;
  std::vector<std::vector<int>> cells;
  void build(const std::vector<Obstacle>& obstacles);
};

// The mirror of the image-source path: the image leg runs from the image source to the
// reflection point `at` (fraction `f` of the unfolded plan path), mirrored across the
// reflecting surface's line through `m0` with unit normal `n`; `obstacle`/`edge` is the
// reflecting surface, which does not screen its own reflection.
struct Fold {
  Point2 m0, n;
  Point2 at;
  double f = 0;
  int obstacle = -1, edge = -1;
  Point2 mirror(Point2 q) const {
    const double k = 2 * ((q.x - m0.x) * n.x + (q.y - m0.y) * n.y);
    return {q.x - k * n.x, q.y - k * n.y};
  }
  // The point of the real (folded) path at fraction c of the unfolded plan line from `s` to `r`.
  Point2 folded(Point2 s, Point2 r, double c) const {
    const Point2 q{s.x + (r.x - s.x) * c, s.y + (r.y - s.y) * c};
    return c < f ? mirror(q) : q;
  }
};

// The terms of the screening of one path, for the sheet and for checking reference cases.
struct SidePath {
  bool found = false;
  double z = 0, e = 0;
  int edges = 0;
  Bands dz{};
};
struct ScreenTerms {
  bool screened = false;
  double z = 0, dss = 0, dsr = 0, e = 0;
  int edges = 0;  // over the top
  Bands dz_top{};
  SidePath left, right;
};

}  // namespace models::noise::propagation::detail
