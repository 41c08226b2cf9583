// The outline of area-family sources as the model integrates over it: a rotated rectangle (AREA),
// a strip along a centre line (LINE), a polygon (AREAPOLY) and the regular polygon with the area
// of a circle (AREACIRC). Every vertex list is closed (v(n+1) = v1) and the centroid set.
#pragma once

#include <vector>

#include "mod/plume.h"

namespace mod {

constexpr double kMaxVertices = 1000;

// What a source's outline is built from, as read from its LOCATION and SRCPARAM lines.
struct ShapeInput {
  double xInit = 0, yInit = 0, angle = 0;  // AREA: sides, m, and bearing of the Y side, degrees
  double radius = 0, count = 0;            // AREACIRC radius, m; AREACIRC/AREAPOLY vertex count
  double x2 = 0, y2 = 0, width = 0;        // LINE: end of the centre line and width, m
  long line = 0, vertexLine = 0;           // deck lines of LOCATION and the first AREAVERT
};

// The Y side starts at the source location along `angleDeg` (clockwise from north), the X side
// turns 90° clockwise from it.
void rectangleShape(PointSource& s, double xInit, double yInit, double angleDeg);
// A rectangle of width `width` centred on the line from (s.x, s.y) to (x2, y2).
void lineShape(PointSource& s, double x2, double y2, double width);
// n vertices on a circle of the radius that gives the polygon the area π·R², first vertex north.
void circleShape(PointSource& s, double radius, int n);
// Closes the given vertices v1 … vn and sets the centroid; returns the signed area, m².
double polygonShape(PointSource& s);
// True when two sides of the closed polygon cross or touch (other than neighbours at their
// shared vertex); `a`, `b` are their indices.
bool sidesCross(const std::vector<Vertex>& closed, size_t& a, size_t& b);

}  // namespace mod
