#include "models/noise/propagation/emitters.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "models/noise/propagation/scene_io_detail.h"

namespace models::noise::propagation::detail {

namespace {

// Deepest level of an area source's quadtree (256 x 256 cells at most).
constexpr int kMaxAreaDepth = 8;

double tenLg(double v) { return 10 * std::log10(v); }

// The bands of an emission as a whole-source level (per unit when `per_unit` says so): equal
// bands for an A-weighted power, Lw = LwA - 10 lg sum 10^(0.1 A_k).
Bands emissionBands(const Scene& scene, const Emission& e) {
  Bands b{};
  switch (e.kind) {
    case Emission::Kind::Levels: return e.lw;
    case Emission::Kind::Spectrum: return findSpectrum(scene, e.spectrum)->values;
    case Emission::Kind::Lwa: {
      double s = 0;
      for (double f : aWeightFactors()) s += f;
      b.fill(e.lwa_db - tenLg(s));
      return b;
    }
  }
  return b;
}

double ringArea(const std::vector<Point2>& ring, double* cx = nullptr, double* cy = nullptr) {
  double a = 0, x = 0, y = 0;
  const std::size_t n = ring.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point2 p = ring[i], q = ring[(i + 1) % n];
    const double c = p.x * q.y - q.x * p.y;
    a += c;
    x += (p.x + q.x) * c;
    y += (p.y + q.y) * c;
  }
  if (cx && a != 0) *cx = x / (3 * a);
  if (cy && a != 0) *cy = y / (3 * a);
  return std::abs(a) / 2;
}

// The polygon clipped to a square (Sutherland-Hodgman, one side at a time).
std::vector<Point2> clipToSquare(const std::vector<Point2>& ring, double x0, double y0, double s) {
  std::vector<Point2> out = ring, in;
  for (int side = 0; side < 4 && !out.empty(); ++side) {
    in.swap(out);
    out.clear();
    auto inside = [&](Point2 p) {
      switch (side) {
        case 0: return p.x >= x0;
        case 1: return p.x <= x0 + s;
        case 2: return p.y >= y0;
        default: return p.y <= y0 + s;
      }
    };
    auto cut = [&](Point2 p, Point2 q) {
      const double t = side == 0   ? (x0 - p.x) / (q.x - p.x)
                       : side == 1 ? (x0 + s - p.x) / (q.x - p.x)
                       : side == 2 ? (y0 - p.y) / (q.y - p.y)
                                   : (y0 + s - p.y) / (q.y - p.y);
      return Point2{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
    };
    for (std::size_t i = 0; i < in.size(); ++i) {
      const Point2 p = in[i], q = in[(i + 1) % in.size()];
      if (inside(q)) {
        if (!inside(p)) out.push_back(cut(p, q));
        out.push_back(q);
      } else if (inside(p)) {
        out.push_back(cut(p, q));
      }
    }
  }
  return out;
}

// Appends the children of node `i` (square at x0, y0), then their children, depth first.
void splitArea(const std::vector<Point2>& ring, std::vector<AreaNode>& nodes, int i, double x0,
               double y0, int depth) {
  const double half = nodes[static_cast<std::size_t>(i)].size / 2;
  if (depth >= kMaxAreaDepth || nodes[static_cast<std::size_t>(i)].size <= 1) return;
  const int first = static_cast<int>(nodes.size());
  double corner[4][2];
  int n = 0;
  for (int k = 0; k < 4; ++k) {
    const double cx0 = x0 + (k % 2) * half, cy0 = y0 + (k / 2) * half;
    const auto part = clipToSquare(ring, cx0, cy0, half);
    if (part.size() < 3) continue;
    AreaNode node{};
    node.size = half;
    node.area = ringArea(part, &node.cx, &node.cy);
    if (!(node.area > 1e-9 * half * half)) continue;
    nodes.push_back(node);
    corner[n][0] = cx0;
    corner[n][1] = cy0;
    ++n;
  }
  nodes[static_cast<std::size_t>(i)].first_child = first;
  nodes[static_cast<std::size_t>(i)].children = n;
  for (int k = 0; k < n; ++k)
    splitArea(ring, nodes, first + k, corner[k][0], corner[k][1], depth + 1);
}

std::vector<AreaNode> areaTree(const std::vector<Point2>& ring) {
  const Box b = boxOf(ring);
  AreaNode root{};
  root.size = std::max(b.xmax - b.xmin, b.ymax - b.ymin);
  root.area = ringArea(ring, &root.cx, &root.cy);
  std::vector<AreaNode> nodes{root};
  splitArea(ring, nodes, 0, b.xmin, b.ymin, 0);
  return nodes;
}

double lineLength(const std::vector<Point2>& line, std::vector<double>& along) {
  along.assign(1, 0.0);
  for (std::size_t i = 1; i < line.size(); ++i)
    along.push_back(along.back() +
                    std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y));
  return along.back();
}

Emitter sourceEmitter(const Scene& scene, const Prepared& p, const Source& s, std::size_t i) {
  Emitter e;
  e.name = s.name.empty() ? "source " + std::to_string(i + 1) : s.name;
  e.h = s.h_m;
  e.k = heightTerms(e.h);
  e.hours_day = s.hours_day;
  e.hours_night = s.hours_night;
  e.lw = emissionBands(scene, s.emission);
  double per_unit_db = 0;  // Lw' + 10 lg l, Lw'' + 10 lg S
  switch (s.kind) {
    case SourceKind::Point:
      e.shape = Emitter::Shape::Point;
      e.at = s.geometry[0];
      e.ground_z = p.groundZ(e.at.x, e.at.y);
      break;
    case SourceKind::Line:
      e.shape = Emitter::Shape::Line;
      e.line = s.geometry;
      per_unit_db = tenLg(std::max(lineLength(e.line, e.along), 1e-9));
      break;
    case SourceKind::Area:
      e.shape = Emitter::Shape::Area;
      e.nodes = areaTree(s.geometry);
      per_unit_db = tenLg(std::max(e.nodes[0].area, 1e-9));
      break;
  }
  for (std::size_t b = 0; b < kBands; ++b)
    e.lw[b] += (s.emission.per_unit ? per_unit_db : 0) + (s.dc ? (*s.dc)[b] : 0);
  return e;
}

// The inside level of a room near its walls (HJ 2.4 indoor sources):
//   L1 = Lw + 10 lg(Q / (4 pi r1^2) + 4 / R), R = S alpha / (1 - alpha),
// S the inside surface (floor, ceiling and walls), several sources added by energy.
Bands insideLevel(const Scene& scene, const Room& room) {
  if (room.l1) return *room.l1;
  double perimeter = 0;
  const std::size_t n = room.footprint.size();
  for (std::size_t i = 0; i < n; ++i)
    perimeter += std::hypot(room.footprint[(i + 1) % n].x - room.footprint[i].x,
                            room.footprint[(i + 1) % n].y - room.footprint[i].y);
  const double surface = 2 * ringArea(room.footprint) + perimeter * room.height_m;
  const double r_const = surface * room.alpha / (1 - room.alpha);
  Bands energy{};
  for (const auto& s : room.sources) {
    const Bands lw = emissionBands(scene, s.emission);
    const double g = s.q / (4 * std::numbers::pi * s.r1_m * s.r1_m) + 4 / r_const;
    for (std::size_t b = 0; b < kBands; ++b) energy[b] += std::pow(10.0, 0.1 * (lw[b] + tenLg(g)));
  }
  Bands l1{};
  for (std::size_t b = 0; b < kBands; ++b) l1[b] = tenLg(energy[b]);
  return l1;
}

// An opening radiates L2 = L1 - (TL + 6) over its area S: Lw2 = L2 + 10 lg S.
Emitter openingEmitter(const Scene& scene, const Opening& o, std::size_t i) {
  const Room* room = nullptr;
  for (const auto& r : scene.rooms)
    if (r.name == o.room) room = &r;
  Emitter e;
  e.shape = Emitter::Shape::Opening;
  e.name = !o.name.empty() ? o.name : o.room + " opening " + std::to_string(i + 1);
  e.hours_day = room->hours_day;
  e.hours_night = room->hours_night;
  e.a = o.a;
  e.b = o.b;
  e.width = std::hypot(o.b.x - o.a.x, o.b.y - o.a.y);
  e.z0 = o.z0_m;
  e.z1 = o.z1_m;
  const Bands tl = o.tl ? *o.tl : findSpectrum(scene, o.tl_spectrum)->values;
  const Bands l1 = insideLevel(scene, *room);
  const double s = e.width * (e.z1 - e.z0);
  for (std::size_t b = 0; b < kBands; ++b) e.lw[b] = l1[b] - (tl[b] + 6) + tenLg(s);
  return e;
}

}  // namespace

std::vector<Emitter> buildEmitters(const Scene& scene, const Prepared& p) {
  std::vector<Emitter> out;
  for (std::size_t i = 0; i < scene.sources.size(); ++i)
    out.push_back(sourceEmitter(scene, p, scene.sources[i], i));
  for (std::size_t i = 0; i < scene.openings.size(); ++i)
    out.push_back(openingEmitter(scene, scene.openings[i], i));
  return out;
}

}  // namespace models::noise::propagation::detail
