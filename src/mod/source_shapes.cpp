#include "mod/source_shapes.h"

#include <cmath>

#include "mod/grid.h"

namespace mod {

namespace {

// Four corners from the first one, the side lengths and sin/cos of the bearing, built the way the
// model builds them (each corner from the previous one).
void corners(PointSource& s, Vertex v1, double xSide, double ySide, double sn, double cs) {
  Vertex v2{v1.x + ySide * sn, v1.y + ySide * cs};
  Vertex v3{v2.x + xSide * cs, v2.y - xSide * sn};
  Vertex v4{v3.x - ySide * sn, v3.y - ySide * cs};
  s.vertices = {v1, v2, v3, v4, v1};
  s.xc = ((((0.0 + v1.x) + v2.x) + v3.x) + v4.x) / 4.0;
  s.yc = ((((0.0 + v1.y) + v2.y) + v3.y) + v4.y) / 4.0;
}

}  // namespace

void rectangleShape(PointSource& s, double xInit, double yInit, double angleDeg) {
  const double a = angleDeg * Consts::degToRad;
  corners(s, {s.x, s.y}, xInit, yInit, std::sin(a), std::cos(a));
}

void lineShape(PointSource& s, double x2, double y2, double width) {
  const double dx = x2 - s.x, dy = y2 - s.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  // The bearing goes through degrees and back, as the model computes it.
  const double angle = std::atan2(dx, dy) * (180.0 / Consts::pi);
  const double sn = std::sin(angle * Consts::degToRad), cs = std::cos(angle * Consts::degToRad);
  const Vertex v1{s.x - (width / 2.0) * cs, s.y + (width / 2.0) * sn};
  corners(s, v1, width, length, sn, cs);
}

void circleShape(PointSource& s, double radius, int n) {
  const double rtodeg = 180.0 / Consts::pi;
  const double step = 360.0 / n;
  const double area = Consts::pi * radius * radius;
  const double a1 = area / n;
  const double half = step / (2.0 * rtodeg);
  const double opposite = std::sqrt(a1 * std::tan(half));
  const double r = opposite / std::sin(half);
  s.vertices.clear();
  double theta = 0.0;
  for (int i = 0; i < n; ++i) {
    if (i > 0) theta = theta + step;
    s.vertices.push_back({r * std::sin(theta / rtodeg) + s.x, r * std::cos(theta / rtodeg) + s.y});
  }
  s.vertices.push_back(s.vertices.front());
  s.xc = s.x;
  s.yc = s.y;
}

double polygonShape(PointSource& s) {
  std::vector<Vertex>& v = s.vertices;
  v.push_back(v.front());
  const size_t n = v.size() - 1;
  double sum = 0.0, sx = 0.0, sy = 0.0;
  for (size_t j = 0; j < n; ++j) {
    const double t = v[j].x * v[j + 1].y - v[j + 1].x * v[j].y;
    sum = sum + t;
    sx = sx + (v[j].x + v[j + 1].x) * t;
    sy = sy + (v[j].y + v[j + 1].y) * t;
  }
  const double area = 0.5 * sum;
  if (area != 0.0) {
    s.xc = sx / (6.0 * area);
    s.yc = sy / (6.0 * area);
  }
  return area;
}

bool sidesCross(const std::vector<Vertex>& v, size_t& a, size_t& b) {
  const size_t n = v.size() - 1;
  auto orient = [](Vertex p, Vertex q, Vertex r) {
    const double d = (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
    return d > 0.0 ? 1 : (d < 0.0 ? -1 : 0);
  };
  auto onSegment = [](Vertex p, Vertex q, Vertex r) {  // r on the segment p–q, given collinear
    return std::fmin(p.x, q.x) <= r.x && r.x <= std::fmax(p.x, q.x) && std::fmin(p.y, q.y) <= r.y &&
           r.y <= std::fmax(p.y, q.y);
  };
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j) {
      const bool neighbours = j == i + 1 || (i == 0 && j == n - 1);
      const Vertex p1 = v[i], p2 = v[i + 1], q1 = v[j], q2 = v[j + 1];
      const int o1 = orient(p1, p2, q1), o2 = orient(p1, p2, q2);
      const int o3 = orient(q1, q2, p1), o4 = orient(q1, q2, p2);
      bool cross;
      if (neighbours) {
        // Neighbours share one vertex; they meet elsewhere only when they fold back on each other.
        const Vertex other = j == i + 1 ? q2 : q1;
        const Vertex far = j == i + 1 ? p1 : p2;
        const Vertex shared = j == i + 1 ? p2 : p1;
        cross =
            (orient(far, shared, other) == 0 && ((other.x - shared.x) * (far.x - shared.x) +
                                                 (other.y - shared.y) * (far.y - shared.y)) > 0.0);
      } else {
        cross = (o1 != o2 && o3 != o4 && o1 * o2 <= 0 && o3 * o4 <= 0) ||
                (o1 == 0 && onSegment(p1, p2, q1)) || (o2 == 0 && onSegment(p1, p2, q2)) ||
                (o3 == 0 && onSegment(q1, q2, p1)) || (o4 == 0 && onSegment(q1, q2, p2));
      }
      if (cross) {
        a = i;
        b = j;
        return true;
      }
    }
  return false;
}

}  // namespace mod
