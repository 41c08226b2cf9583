// Screening by barriers and buildings (ISO 9613-2:1996 7.4, read as ISO/TR 17534-3:2015 5.2-5.7
// does): one path over the top as a rubber band over every roof and barrier top crossed, in the
// vertical plane through source and receiver; one path round each side in the lateral plane
// (the plane through source and receiver perpendicular to the vertical one), the shortest that
// keeps every section the line of sight meets on that side; the paths energy-summed.
#include <algorithm>
#include <cmath>
#include <limits>

#include "models/noise/propagation/path.h"

namespace models::noise::propagation::detail {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }
double dist(double ds, double dz) { return std::sqrt(ds * ds + dz * dz); }

double signedArea(const std::vector<Point2>& ring) {
  double a = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const Point2 p = ring[i], q = ring[(i + 1) % ring.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a / 2;
}

bool convexCcw(const std::vector<Point2>& ring) {
  const std::size_t n = ring.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point2 a = ring[i], b = ring[(i + 1) % n], c = ring[(i + 2) % n];
    if (cross(b.x - a.x, b.y - a.y, c.x - b.x, c.y - b.y) < -1e-9) return false;
  }
  return true;
}

// The convex hull of a ring, counter-clockwise (monotone chain).
std::vector<Point2> convexHull(std::vector<Point2> pts) {
  std::sort(pts.begin(), pts.end(),
            [](Point2 a, Point2 b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  std::vector<Point2> h(2 * pts.size());
  std::size_t k = 0;
  auto turn = [](Point2 o, Point2 a, Point2 b) {
    return cross(a.x - o.x, a.y - o.y, b.x - o.x, b.y - o.y);
  };
  for (std::size_t i = 0; i < pts.size(); ++i) {
    while (k >= 2 && turn(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
    h[k++] = pts[i];
  }
  for (std::size_t i = pts.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && turn(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
    h[k++] = pts[i];
  }
  h.resize(k > 0 ? k - 1 : 0);
  return h;
}

// Whether q lies inside or on the convex ring h (counter-clockwise), with a rounding margin.
bool inConvex(const std::vector<Point2>& h, Point2 q) {
  for (std::size_t i = 0; i < h.size(); ++i) {
    const Point2 a = h[i], b = h[i + 1 < h.size() ? i + 1 : 0];
    const double len = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
    if (cross(b.x - a.x, b.y - a.y, q.x - a.x, q.y - a.y) < -1e-9 * (1 + len)) return false;
  }
  return true;
}

// Dz = 10 lg(3 + (C2 / lambda) C3 z Kmet), C2 = 20 (eq. 14); 0 where the bracket is below 1
// (z <= -2 lambda / 20).
double dzOf(double lambda, double c3, double z, double kmet) {
  const double arg = 3 + 20 / lambda * c3 * z * kmet;
  return arg > 1 ? 10 * std::log10(arg) : 0;
}

// C3 = (1 + (5 lambda / e)^2) / (1/3 + (5 lambda / e)^2) for two or more edges (eq. 15), else 1.
double c3Of(double lambda, double e, int edges) {
  if (edges < 2 || !(e > 0)) return 1;
  const double k = (5 * lambda / e) * (5 * lambda / e);
  return (1 + k) / (1.0 / 3 + k);
}

// z, dss, dsr and e of the path over the top: the rubber band over the crossed edges
// (upper convex hull in the vertical plane); when no edge reaches the line of sight, the edge
// nearest to it with z < 0.
struct TopPath {
  double z = 0, dss = 0, dsr = 0, e = 0;
  int edges = 0;
};

TopPath topPath(double zs, double zr, double dp, double d, Scratch& sc) {
  auto& edges = sc.edges;
  std::sort(edges.begin(), edges.end(), [](const auto& a, const auto& b) { return a.s < b.s; });
  // Upper hull of S = (0, zs), the edges, R = (dp, zr); indices -1 for S, n for R.
  const int n = static_cast<int>(edges.size());
  auto ps = [&](int i) { return i < 0 ? 0.0 : i >= n ? dp : edges[static_cast<std::size_t>(i)].s; };
  auto pz = [&](int i) { return i < 0 ? zs : i >= n ? zr : edges[static_cast<std::size_t>(i)].z; };
  auto& hull = sc.hull;
  hull.clear();
  for (int i = -1; i <= n; ++i) {
    while (hull.size() >= 2) {
      const int a = hull[hull.size() - 2], b = hull.back();
      const double c = (ps(b) - ps(a)) * (pz(i) - pz(a)) - (pz(b) - pz(a)) * (ps(i) - ps(a));
      if (c < 0) break;
      hull.pop_back();
    }
    hull.push_back(i);
  }
  TopPath t;
  if (hull.size() <= 2) {
    // Line of sight clear: the edge whose path is least longer than the direct one.
    double best = 1e300;
    for (int i = 0; i < n; ++i) {
      const double dss = dist(ps(i), pz(i) - zs), dsr = dist(dp - ps(i), zr - pz(i));
      if (dss + dsr - d < best) best = dss + dsr - d, t.dss = dss, t.dsr = dsr;
    }
    t.z = -best;
    t.edges = 1;
    return t;
  }
  const int first = hull[1], last = hull[hull.size() - 2];
  t.dss = dist(ps(first), pz(first) - zs);
  t.dsr = dist(dp - ps(last), zr - pz(last));
  for (std::size_t k = 1; k + 2 < hull.size(); ++k)
    t.e += dist(ps(hull[k + 1]) - ps(hull[k]), pz(hull[k + 1]) - pz(hull[k]));
  t.edges = static_cast<int>(hull.size()) - 2;
  t.z = t.dss + t.e + t.dsr - d;
  return t;
}

// Whether the plan segment a-b can meet the box (slab test).
bool segmentMeetsBox(Point2 a, Point2 b, const Box& box) {
  double t0 = 0, t1 = 1;
  const double d[2] = {b.x - a.x, b.y - a.y}, o[2] = {a.x, a.y};
  const double lo[2] = {box.xmin, box.ymin}, hi[2] = {box.xmax, box.ymax};
  for (int k = 0; k < 2; ++k) {
    if (std::abs(d[k]) < 1e-12) {
      if (o[k] < lo[k] || o[k] > hi[k]) return false;
      continue;
    }
    double ta = (lo[k] - o[k]) / d[k], tb = (hi[k] - o[k]) / d[k];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

// The plan segment's bounding box grown by a rounding margin: a box it misses cannot meet the
// segment, and the cheap test spares the slab test for most candidates.
Box segmentBox(Point2 a, Point2 b) {
  const double tol =
      1e-9 * (1 + std::max({std::abs(a.x), std::abs(a.y), std::abs(b.x), std::abs(b.y)}));
  return {std::min(a.x, b.x) - tol, std::max(a.x, b.x) + tol, std::min(a.y, b.y) - tol,
          std::max(a.y, b.y) + tol};
}

// Calls visit(o) once for each obstacle whose cells the plan segment a-b passes, in the order
// the cells are met.
template <class Visit>
void collect(const Prepared& p, Point2 a, Point2 b, Scratch& sc, Visit&& visit) {
  const ObstacleIndex& g = p.index;
  if (g.nx == 0) return;
  // A new query: every obstacle is unseen again.
  if (sc.stamp.size() != p.obstacles.size()) sc.stamp.assign(p.obstacles.size(), 0);
  if (++sc.query == 0) {
    std::fill(sc.stamp.begin(), sc.stamp.end(), 0);
    sc.query = 1;
  }
  // Clip the segment to the grid (Liang-Barsky), then walk its cells (Amanatides-Woo).
  const double gx1 = g.x0 + g.nx * g.cell, gy1 = g.y0 + g.ny * g.cell;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const bool along_x = std::abs(dx) >= 1e-12, along_y = std::abs(dy) >= 1e-12;
  const double rx = along_x ? 1 / dx : 0, ry = along_y ? 1 / dy : 0;
  double t0 = 0, t1 = 1;
  // As segmentMeetsBox() over the grid's box, keeping the clipped range.
  auto clip = [&](double o, bool along, double r, double lo, double hi) {
    if (!along) return o >= lo && o <= hi;
    double ta = (lo - o) * r, tb = (hi - o) * r;
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    return t0 <= t1;
  };
  if (!clip(a.x, along_x, rx, g.x0, gx1) || !clip(a.y, along_y, ry, g.y0, gy1)) return;
  const double sx = a.x + dx * t0, sy = a.y + dy * t0;
  const double inv = 1 / g.cell;
  int i = std::clamp(static_cast<int>((sx - g.x0) * inv), 0, g.nx - 1);
  int j = std::clamp(static_cast<int>((sy - g.y0) * inv), 0, g.ny - 1);
  const int step_i = dx > 0 ? 1 : -1, step_j = dy > 0 ? 1 : -1;
  double tmx = kInf, tmy = kInf, tdx = kInf, tdy = kInf;
  if (along_x) {
    tmx = (g.x0 + (i + (dx > 0 ? 1 : 0)) * g.cell - a.x) * rx;
    tdx = g.cell * std::abs(rx);
  }
  if (along_y) {
    tmy = (g.y0 + (j + (dy > 0 ? 1 : 0)) * g.cell - a.y) * ry;
    tdy = g.cell * std::abs(ry);
  }
  for (;;) {
    for (int o : g.cells[static_cast<std::size_t>(j) * static_cast<std::size_t>(g.nx) +
                         static_cast<std::size_t>(i)]) {
      auto& st = sc.stamp[static_cast<std::size_t>(o)];
      if (st == sc.query) continue;
      st = sc.query;
      visit(o);
    }
    if (std::min(tmx, tmy) > t1) break;
    if (tmx < tmy) {
      i += step_i;
      tmx += tdx;
    } else {
      j += step_j;
      tmy += tdy;
    }
    if (i < 0 || j < 0 || i >= g.nx || j >= g.ny) break;
  }
}

int instanceOf(Scratch& sc, int obstacle, bool mirrored) {
  for (std::size_t k = 0; k < sc.instances.size(); ++k)
    if (sc.instances[k].obstacle == obstacle && sc.instances[k].mirrored == mirrored)
      return static_cast<int>(k);
  sc.instances.push_back({obstacle, mirrored});
  return static_cast<int>(sc.instances.size()) - 1;
}

// Every crossing of the plan segment a-b (fractions c0 ... c1 of the unfolded path) with an
// obstacle's edges, at the obstacle's top there.
void crossings(const Prepared& p, Point2 a, Point2 b, double c0, double c1, double dp,
               bool mirrored, const Fold* fold, Scratch& sc) {
  const Box ab = segmentBox(a, b);
  collect(p, a, b, sc, [&](int o) {
    const Obstacle& ob = p.obstacles[static_cast<std::size_t>(o)];
    if (!boxesMeet(ab, ob.box) || (ob.pts.size() > 8 && !segmentMeetsBox(a, b, ob.box))) return;
    const std::size_t n = ob.pts.size();
    const std::size_t edges = ob.building ? n : n - 1;
    for (std::size_t k = 0; k < edges; ++k) {
      if (fold && fold->obstacle == o && fold->edge == static_cast<int>(k)) continue;
      const std::size_t k1 = k + 1 < n ? k + 1 : 0;
      const Point2 q0 = ob.pts[k], q1 = ob.pts[k1];
      double t, u;
      if (!crossing(a, b, q0, q1, t, u)) continue;
      double top = ob.top[k] + (ob.top[k1] - ob.top[k]) * u;
      if (ob.above_ground) top += p.groundZ(q0.x + (q1.x - q0.x) * u, q0.y + (q1.y - q0.y) * u);
      const int inst = instanceOf(sc, o, mirrored);
      sc.edges.push_back({(c0 + t * (c1 - c0)) * dp, top, inst});
    }
  });
}

// The lateral plane: plan point q -> (u, v), u along the 3D line from S to R, v across it
// (left positive); the plane's height above q is zs + c (zr - zs), c = u / d.
struct Plane {
  Point2 s;
  double ex, ey;  // plan direction S -> R, unit
  double dp, d, zs, zr;
  double c(Point2 q) const { return ((q.x - s.x) * ex + (q.y - s.y) * ey) / dp; }
  double v(Point2 q) const { return cross(ex, ey, q.x - s.x, q.y - s.y); }
  double height(double c) const { return zs + c * (zr - zs); }
};

// Whether an end of the path lies in the convex hull of a concave building: S or R; on a
// reflected path the source for a building met on the image leg (mirrored: the image source
// mirrored back) and R for one met on the leg to the receiver. Otherwise the building screens a
// side path as its hull does, and the side paths are chains of the hull of every section.
bool endsInHull(const Obstacle& ob, const Fold* fold, bool mirrored, const Plane& pl) {
  const Point2 r{pl.s.x + pl.dp * pl.ex, pl.s.y + pl.dp * pl.ey};
  if (!fold) return inConvex(ob.hull, pl.s) || inConvex(ob.hull, r);
  return mirrored ? inConvex(ob.hull, fold->mirror(pl.s)) : inConvex(ob.hull, r);
}

void addPoint(Scratch& sc, double u, double v, bool ok) {
  sc.pu.push_back(u);
  sc.pv.push_back(v);
  sc.node_ok.push_back(ok ? 1 : 0);
}

// The section of a building in the lateral plane: its footprint where the plane passes below
// the roof (clipped where the plane reaches the roof; nothing is cut at the base).
void buildingSection(const Prepared& p, const Obstacle& ob, bool mirrored, const Fold* fold,
                     const Plane& pl, Scratch& sc) {
  const double roof = ob.top[0];
  auto& tu = sc.tmp_u;
  auto& tv = sc.tmp_v;
  tu.clear();
  tv.clear();
  for (const auto& q0 : ob.pts) {
    const Point2 q = mirrored ? fold->mirror(q0) : q0;
    tu.push_back(pl.c(q));
    tv.push_back(pl.v(q));
  }
  // Keep g(c) = roof - height(c) > 0 (Sutherland-Hodgman against one line).
  auto g = [&](double c) { return roof - pl.height(c); };
  const std::size_t start = sc.pu.size();
  const std::size_t n = tu.size();
  (void)p;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t k = i + 1 < n ? i + 1 : 0;
    const double gi = g(tu[i]), gk = g(tu[k]);
    if (gi > 0) addPoint(sc, tu[i] * pl.d, tv[i], ob.lateral_first);
    if ((gi > 0) != (gk > 0)) {
      const double t = gi / (gi - gk);
      addPoint(sc, (tu[i] + t * (tu[k] - tu[i])) * pl.d, tv[i] + t * (tv[k] - tv[i]),
               ob.lateral_first);
    }
  }
  if (sc.pu.size() - start >= 3) {
    sc.poly_start.push_back(static_cast<int>(start));
    sc.poly_closed.push_back(1);
  } else {
    sc.pu.resize(start);
    sc.pv.resize(start);
    sc.node_ok.resize(start);
  }
}

// The sections of a barrier: the pieces of its line where the plane passes below the top.
void barrierSection(const Prepared& p, const Obstacle& ob, bool mirrored, const Fold* fold,
                    const Plane& pl, Scratch& sc) {
  const std::size_t n = ob.pts.size();
  for (std::size_t k = 0; k + 1 < n; ++k) {
    const Point2 a0 = ob.pts[k], b0 = ob.pts[k + 1];
    double ta = ob.top[k], tb = ob.top[k + 1];
    if (ob.above_ground) ta += p.groundZ(a0.x, a0.y), tb += p.groundZ(b0.x, b0.y);
    const Point2 a = mirrored ? fold->mirror(a0) : a0, b = mirrored ? fold->mirror(b0) : b0;
    const double ca = pl.c(a), cb = pl.c(b);
    const double ga = ta - pl.height(ca), gb = tb - pl.height(cb);
    if (ga <= 0 && gb <= 0) continue;
    double l0 = 0, l1 = 1;
    if (ga <= 0) l0 = ga / (ga - gb);
    if (gb <= 0) l1 = ga / (ga - gb);
    const double va = pl.v(a), vb = pl.v(b);
    const std::size_t start = sc.pu.size();
    addPoint(sc, (ca + l0 * (cb - ca)) * pl.d, va + l0 * (vb - va),
             !(k == 0 && l0 == 0) || ob.lateral_first);
    addPoint(sc, (ca + l1 * (cb - ca)) * pl.d, va + l1 * (vb - va),
             !(k + 2 == n && l1 == 1) || ob.lateral_last);
    sc.poly_start.push_back(static_cast<int>(start));
    sc.poly_closed.push_back(0);
  }
}

double orient(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// Whether the segment between nodes i and j keeps out of every section: it crosses no outline
// and its middle lies in no building's section.
bool clear(Scratch& sc, std::size_t i, std::size_t j) {
  const double ax = sc.pu[i], ay = sc.pv[i], bx = sc.pu[j], by = sc.pv[j];
  const double scale = 1e-9 * (1 + std::abs(ax) + std::abs(bx) + std::abs(ay) + std::abs(by));
  const std::size_t np = sc.poly_closed.size();
  const Box ab{std::min(ax, bx) - scale, std::max(ax, bx) + scale, std::min(ay, by) - scale,
               std::max(ay, by) + scale};
  for (std::size_t k = 0; k < np; ++k) {
    if (!boxesMeet(ab, sc.poly_box[k])) continue;
    const std::size_t s = static_cast<std::size_t>(sc.poly_start[k]);
    const std::size_t e = static_cast<std::size_t>(sc.poly_start[k + 1]);
    const bool closed = sc.poly_closed[k] != 0;
    const std::size_t edges = closed ? e - s : e - s - 1;
    for (std::size_t q = 0; q < edges; ++q) {
      const std::size_t m0 = s + q, m1 = q + 1 < e - s ? m0 + 1 : s;
      const double px = sc.pu[m0], py = sc.pv[m0], qx = sc.pu[m1], qy = sc.pv[m1];
      const double o1 = orient(ax, ay, bx, by, px, py), o2 = orient(ax, ay, bx, by, qx, qy);
      if ((o1 > scale && o2 > scale) || (o1 < -scale && o2 < -scale)) continue;
      const double o3 = orient(px, py, qx, qy, ax, ay), o4 = orient(px, py, qx, qy, bx, by);
      if (((o1 > scale && o2 < -scale) || (o1 < -scale && o2 > scale)) &&
          ((o3 > scale && o4 < -scale) || (o3 < -scale && o4 > scale)))
        return false;
    }
    if (closed) {
      // The pieces between the outline's corners that the segment passes through must lie
      // outside: test the middle of each.
      auto& ts = sc.tmp_t;
      ts.assign({0.0, 1.0});
      const double len2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
      for (std::size_t m = s; m < e; ++m) {
        if (std::abs(orient(ax, ay, bx, by, sc.pu[m], sc.pv[m])) > scale) continue;
        const double t = ((sc.pu[m] - ax) * (bx - ax) + (sc.pv[m] - ay) * (by - ay)) / len2;
        if (t > 1e-9 && t < 1 - 1e-9) ts.push_back(t);
      }
      if (ts.size() > 2) std::sort(ts.begin(), ts.end());
      for (std::size_t q = 0; q + 1 < ts.size(); ++q) {
        const double t = 0.5 * (ts[q] + ts[q + 1]);
        const double mx = ax + t * (bx - ax), my = ay + t * (by - ay);
        bool in = false;
        for (std::size_t a = s, b = e - 1; a < e; b = a++)
          if ((sc.pv[a] > my) != (sc.pv[b] > my) &&
              mx < (sc.pu[b] - sc.pu[a]) * (my - sc.pv[a]) / (sc.pv[b] - sc.pv[a]) + sc.pu[a])
            in = !in;
        if (!in) continue;
        // Along the outline is outside.
        bool on = false;
        for (std::size_t a = s, b = e - 1; a < e && !on; b = a++) {
          const double ex = sc.pu[b] - sc.pu[a], ey = sc.pv[b] - sc.pv[a];
          const double l2 = ex * ex + ey * ey;
          if (!(l2 > 0)) continue;
          const double w = std::clamp(((mx - sc.pu[a]) * ex + (my - sc.pv[a]) * ey) / l2, 0.0, 1.0);
          const double fx = sc.pu[a] + w * ex - mx, fy = sc.pv[a] + w * ey - my;
          on = std::sqrt(fx * fx + fy * fy) < 1e-7 * (1 + std::sqrt(l2));
        }
        if (!on) return false;
      }
    }
  }
  return true;
}

// Whether the segment between nodes i and j stays on `side` (+1 left, -1 right) of every
// point where the S-R line is inside a section.
bool onSide(const Scratch& sc, std::size_t i, std::size_t j, double side) {
  const double au = sc.pu[i], av = sc.pv[i], bu = sc.pu[j], bv = sc.pv[j];
  for (double ub : sc.block_u) {
    if (ub < std::min(au, bu) || ub > std::max(au, bu)) continue;
    double v;
    if (std::abs(bu - au) < 1e-12)
      v = side > 0 ? std::min(av, bv) : std::max(av, bv);
    else
      v = av + (bv - av) * (ub - au) / (bu - au);
    if (side * v <= 1e-9) return false;
  }
  return true;
}

void finishSide(Scratch& sc, const std::vector<int>& chain, double d, SidePath& out) {
  auto& kept = &out == sc.left_path ? sc.chain_left : sc.chain_right;
  if (&kept != &chain) kept = chain;
  for (std::size_t k = 1; k + 1 < chain.size(); ++k)
    if (!sc.node_ok[static_cast<std::size_t>(chain[k])]) return;
  double len = 0, e = 0;
  for (std::size_t k = 0; k + 1 < chain.size(); ++k) {
    const auto a = static_cast<std::size_t>(chain[k]), b = static_cast<std::size_t>(chain[k + 1]);
    const double du = sc.pu[b] - sc.pu[a], dv = sc.pv[b] - sc.pv[a];
    const double l = std::sqrt(du * du + dv * dv);
    len += l;
    if (k >= 1 && k + 2 < chain.size()) e += l;
  }
  out.found = true;
  out.z = len - d;
  out.e = e;
  out.edges = static_cast<int>(chain.size()) - 2;
}

// Shortest path from node 0 (S) to node 1 (R) on one side (Dijkstra over the visibility graph
// of the section corners).
void shortestSide(Scratch& sc, double side, double d, SidePath& out) {
  const std::size_t n = sc.pu.size();
  // The box of each section in the plane, for clear().
  sc.poly_box.resize(sc.poly_closed.size());
  for (std::size_t k = 0; k < sc.poly_closed.size(); ++k) {
    Box& b = sc.poly_box[k];
    b = {kInf, -kInf, kInf, -kInf};
    for (auto m = static_cast<std::size_t>(sc.poly_start[k]);
         m < static_cast<std::size_t>(sc.poly_start[k + 1]); ++m)
      b = {std::min(b.xmin, sc.pu[m]), std::max(b.xmax, sc.pu[m]), std::min(b.ymin, sc.pv[m]),
           std::max(b.ymax, sc.pv[m])};
  }
  sc.dist.assign(n, kInf);
  sc.prev.assign(n, -1);
  sc.done.assign(n, 0);
  sc.dist[0] = 0;
  for (;;) {
    std::size_t best = n;
    for (std::size_t i = 0; i < n; ++i)
      if (!sc.done[i] && sc.dist[i] < kInf && (best == n || sc.dist[i] < sc.dist[best])) best = i;
    if (best == n || best == 1) break;
    sc.done[best] = 1;
    for (std::size_t j = 0; j < n; ++j) {
      if (sc.done[j] || j == best) continue;
      if (j >= 2 && !sc.node_ok[j]) continue;
      const double du = sc.pu[j] - sc.pu[best], dv = sc.pv[j] - sc.pv[best];
      const double l = std::sqrt(du * du + dv * dv);
      if (sc.dist[best] + l >= sc.dist[j]) continue;
      auto& v = sc.vis[best * n + j];
      if (v < 0) v = sc.vis[j * n + best] = clear(sc, best, j) ? 1 : 0;
      if (!v || !onSide(sc, best, j, side)) continue;
      sc.dist[j] = sc.dist[best] + l;
      sc.prev[j] = static_cast<int>(best);
    }
  }
  if (!(sc.dist[1] < kInf)) return;
  std::vector<int>& chain = sc.chain;
  chain.clear();
  for (int k = 1; k >= 0; k = sc.prev[static_cast<std::size_t>(k)]) chain.push_back(k);
  std::reverse(chain.begin(), chain.end());
  finishSide(sc, chain, d, out);
}

// Adds corner i to the side path c (S ... R): the boundary of the convex hull of S, R and the
// corners on that side, less its edge S-R (every corner lies off the S-R line on that side, so
// S-R is always an edge of the hull). The edges of c that see the corner from outside form one
// run; their inner points leave the path and the corner takes their place.
void insertCorner(const Scratch& sc, double side, std::vector<int>& c, int i) {
  const auto U = [&](int n) { return sc.pu[static_cast<std::size_t>(n)]; };
  const auto W = [&](int n) { return side * sc.pv[static_cast<std::size_t>(n)]; };
  // The turn at m between r and l: > 0 where m lies outside the edge from l to r.
  const auto outside = [&](int r, int m, int l) {
    return (U(m) - U(r)) * (W(l) - W(r)) - (W(m) - W(r)) * (U(l) - U(r)) > 1e-12;
  };
  std::size_t first = c.size(), last = 0;
  for (std::size_t j = 0; j + 1 < c.size(); ++j)
    if (outside(c[j + 1], i, c[j])) {
      if (first == c.size()) first = j;
      last = j;
    }
  if (first == c.size()) return;  // inside: no change
  c.erase(c.begin() + static_cast<std::ptrdiff_t>(first + 1),
          c.begin() + static_cast<std::ptrdiff_t>(last + 1));
  c.insert(c.begin() + static_cast<std::ptrdiff_t>(first + 1), i);
}

// The side path on `side` (+1 left, -1 right) round convex sections: the chain of the convex
// hull of S, R and the section corners on that side from S to R.
//
// With `from` > 0 the path found before (the side's chain, S to R) stands for the corners below
// `from`: the hull of the old path and the new corners is the hull of all of them.
void hullSide(Scratch& sc, double side, double d, SidePath& out, std::size_t from = 0,
              bool measure = true) {
  std::vector<int>& c = side > 0 ? sc.chain_left : sc.chain_right;
  if (!(from > 0 && c.size() >= 2 && c.front() == 0 && c.back() == 1)) {
    from = 2;
    c.assign({0, 1});
  }
  for (std::size_t i = from; i < sc.pu.size(); ++i)
    if (side * sc.pv[i] > 1e-9) insertCorner(sc, side, c, static_cast<int>(i));
  if (measure) finishSide(sc, c, d, out);
}

// The section of an obstacle in the lateral plane; true when it adds one.
bool addSection(const Prepared& p, const Obstacle& ob, bool mirrored, const Fold* fold,
                const Plane& pl, Scratch& sc) {
  const std::size_t polys = sc.poly_closed.size();
  if (ob.building)
    buildingSection(p, ob, mirrored, fold, pl, sc);
  else
    barrierSection(p, ob, mirrored, fold, pl, sc);
  return sc.poly_closed.size() > polys;
}

// Obstacles not yet in the plane that a side path crosses in plan; their sections are added.
bool addCrossed(const Prepared& p, const Plane& pl, Scratch& sc) {
  bool added = false;
  sc.seen_next.resize(2 * sc.pu.size(), -1);
  for (const auto* chain : {&sc.chain_left, &sc.chain_right}) {
    const std::size_t sd = chain == &sc.chain_left ? 0 : 1;
    for (std::size_t k = 0; k + 1 < chain->size(); ++k) {
      auto plan = [&](int node) {
        const auto i = static_cast<std::size_t>(node);
        const double along = sc.pu[i] / pl.d * pl.dp;
        return Point2{pl.s.x + along * pl.ex - sc.pv[i] * pl.ey,
                      pl.s.y + along * pl.ey + sc.pv[i] * pl.ex};
      };
      // A piece looked along in an earlier round has had every obstacle it crosses added.
      int& next = sc.seen_next[2 * static_cast<std::size_t>((*chain)[k]) + sd];
      if (next == (*chain)[k + 1]) continue;
      next = (*chain)[k + 1];
      const Point2 a = plan((*chain)[k]), b = plan((*chain)[k + 1]);
      const Box ab = segmentBox(a, b);
      collect(p, a, b, sc, [&](int o) {
        const Obstacle& ob = p.obstacles[static_cast<std::size_t>(o)];
        if (sc.included_in[static_cast<std::size_t>(o)] == sc.query_plane) return;
        if (!boxesMeet(ab, ob.box)) return;
        if (ob.pts.size() > 8 && !segmentMeetsBox(a, b, ob.box)) return;
        const std::size_t n = ob.pts.size();
        bool crossed = false;
        for (std::size_t e = 0; e < (ob.building ? n : n - 1) && !crossed; ++e) {
          double t, u;
          crossed = crossing(a, b, ob.pts[e], ob.pts[e + 1 < n ? e + 1 : 0], t, u);
        }
        if (!crossed) return;
        sc.included_in[static_cast<std::size_t>(o)] = sc.query_plane;
        if (ob.building && !ob.convex && endsInHull(ob, nullptr, false, pl)) sc.all_convex = false;
        // Closing the outline list before adding keeps poly_start consistent.
        sc.poly_start.pop_back();
        added = addSection(p, ob, false, nullptr, pl, sc) || added;
        sc.poly_start.push_back(static_cast<int>(sc.pu.size()));
      });
    }
  }
  return added;
}

// The paths round the sides of every section the S-R line meets, and of the sections those
// paths would otherwise cut through.
void sidePaths(const Prepared& p, const Fold* fold, const Plane& pl, Scratch& sc, SidePath& left,
               SidePath& right) {
  sc.pu.assign({0.0, pl.d});
  sc.pv.assign({0.0, 0.0});
  sc.node_ok.assign({1, 1});
  sc.poly_start.clear();
  sc.poly_closed.clear();
  sc.block_u.clear();
  if (sc.included_in.size() != p.obstacles.size()) sc.included_in.assign(p.obstacles.size(), 0);
  if (++sc.query_plane == 0) {
    std::fill(sc.included_in.begin(), sc.included_in.end(), 0);
    sc.query_plane = 1;
  }
  sc.seen_next.clear();
  sc.chain_left.clear();
  sc.chain_right.clear();
  sc.left_path = &left;
  // Where the S-R line is inside each obstacle's section.
  bool convex = true;
  for (std::size_t in = 0; in < sc.instances.size(); ++in) {
    const auto& inst = sc.instances[in];
    const Obstacle& ob = p.obstacles[static_cast<std::size_t>(inst.obstacle)];
    auto& cs = sc.cuts;
    cs.clear();
    bool any = false;
    for (const auto& e : sc.edges) {
      if (e.instance != static_cast<int>(in)) continue;
      const double c = e.s / pl.dp;
      if (!ob.building) {
        if (e.z > pl.height(c)) sc.block_u.push_back(c * pl.d), any = true;
      } else {
        cs.push_back(c);
      }
    }
    if (ob.building) {
      std::sort(cs.begin(), cs.end());
      const double roof = ob.top[0];
      for (std::size_t k = 0; k + 1 < cs.size(); k += 2) {
        double a = cs[k], b = cs[k + 1];
        if (std::abs(pl.zr - pl.zs) < 1e-12) {
          if (!(pl.zs < roof)) continue;
        } else {
          const double lim = (roof - pl.zs) / (pl.zr - pl.zs);
          if (pl.zr > pl.zs)
            b = std::min(b, lim);
          else
            a = std::max(a, lim);
        }
        if (b - a > 1e-12) sc.block_u.push_back(0.5 * (a + b) * pl.d), any = true;
      }
    }
    if (!any) continue;
    if (!inst.mirrored) sc.included_in[static_cast<std::size_t>(inst.obstacle)] = sc.query_plane;
    const std::size_t polys = sc.poly_closed.size();
    addSection(p, ob, inst.mirrored, fold, pl, sc);
    if (ob.building)
      convex = convex && sc.poly_closed.size() - polys == 1 &&
               (ob.convex || !endsInHull(ob, fold, inst.mirrored, pl));
  }
  sc.poly_start.push_back(static_cast<int>(sc.pu.size()));
  if (sc.block_u.empty()) return;
  // Convex sections: each side path is a chain of the convex hull of S, R and the sections
  // (it wraps every section on its other side). A concave building counts as its hull unless S
  // or R lies in that hull (a courtyard): then the shortest path over the visibility graph.
  sc.all_convex = true;
  const bool by_hull = convex;
  if (by_hull) {
    hullSide(sc, 1, pl.d, left);
    hullSide(sc, -1, pl.d, right);
  } else {
    const std::size_t n = sc.pu.size();
    sc.vis.assign(n * n, -1);
    shortestSide(sc, 1, pl.d, left);
    shortestSide(sc, -1, pl.d, right);
  }
  // Paths of a reflection keep to the obstacles their line meets.
  if (fold) return;
  // Paths updated by the hull are measured once, after the last round.
  bool measure_left = false, measure_right = false;
  for (int round = 0; round < 8; ++round) {
    const std::size_t before = sc.pu.size();
    if (!addCrossed(p, pl, sc)) break;
    if (by_hull && sc.all_convex) {
      // A side's hull changes only with new corners on that side.
      bool on_left = false, on_right = false;
      for (std::size_t i = before; i < sc.pu.size(); ++i) {
        on_left = on_left || sc.pv[i] > 1e-9;
        on_right = on_right || -sc.pv[i] > 1e-9;
      }
      if (on_left) {
        hullSide(sc, 1, pl.d, left, before, false);
        measure_left = true;
      }
      if (on_right) {
        hullSide(sc, -1, pl.d, right, before, false);
        measure_right = true;
      }
      continue;
    }
    measure_left = measure_right = false;
    left = SidePath{};
    right = SidePath{};
    sc.chain_left.clear();
    sc.chain_right.clear();
    const std::size_t n = sc.pu.size();
    sc.vis.assign(n * n, -1);
    shortestSide(sc, 1, pl.d, left);
    shortestSide(sc, -1, pl.d, right);
  }
  if (measure_left) {
    left = SidePath{};
    finishSide(sc, sc.chain_left, pl.d, left);
  }
  if (measure_right) {
    right = SidePath{};
    finishSide(sc, sc.chain_right, pl.d, right);
  }
}

}  // namespace

void ObstacleIndex::build(const std::vector<Obstacle>& obstacles) {
  cells.clear();
  nx = ny = 0;
  if (obstacles.empty()) return;
  Box all = obstacles[0].box;
  for (const auto& o : obstacles) {
    all.xmin = std::min(all.xmin, o.box.xmin);
    all.xmax = std::max(all.xmax, o.box.xmax);
    all.ymin = std::min(all.ymin, o.box.ymin);
    all.ymax = std::max(all.ymax, o.box.ymax);
  }
  const double w = std::max(all.xmax - all.xmin, 1.0), h = std::max(all.ymax - all.ymin, 1.0);
  // About four cells per obstacle, at most 256 a side.
  cell =
      std::max({std::sqrt(w * h / static_cast<double>(obstacles.size())), w / 256, h / 256, 1e-3});
  x0 = all.xmin;
  y0 = all.ymin;
  nx = std::min(256, static_cast<int>(w / cell) + 1);
  ny = std::min(256, static_cast<int>(h / cell) + 1);
  cells.assign(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny), {});
  for (std::size_t o = 0; o < obstacles.size(); ++o) {
    const Box& b = obstacles[o].box;
    const int i0 = std::clamp(static_cast<int>((b.xmin - x0) / cell), 0, nx - 1);
    const int i1 = std::clamp(static_cast<int>((b.xmax - x0) / cell), 0, nx - 1);
    const int j0 = std::clamp(static_cast<int>((b.ymin - y0) / cell), 0, ny - 1);
    const int j1 = std::clamp(static_cast<int>((b.ymax - y0) / cell), 0, ny - 1);
    for (int j = j0; j <= j1; ++j)
      for (int i = i0; i <= i1; ++i)
        cells[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) +
              static_cast<std::size_t>(i)]
            .push_back(static_cast<int>(o));
  }
}

void prepareObstacles(const Scene& scene, Prepared& p) {
  const SceneSettings& s = scene.settings;
  for (const auto& b : scene.buildings) {
    Obstacle o;
    o.building = true;
    o.index = static_cast<int>(&b - scene.buildings.data());
    o.pts = b.footprint;
    if (signedArea(o.pts) < 0) std::reverse(o.pts.begin(), o.pts.end());
    double roof = 0;
    if (b.top_z) {
      roof = *b.top_z;
    } else {
      // h counts from the lowest ground under the footprint.
      double low = kInf;
      for (const auto& q : o.pts) low = std::min(low, p.groundZ(q.x, q.y));
      roof = low + b.h_m.value_or(0);
    }
    o.top.assign(o.pts.size(), roof);
    o.convex = convexCcw(o.pts);
    if (!o.convex) o.hull = convexHull(o.pts);
    o.lateral_first = o.lateral_last = b.lateral.value_or(s.lateral_diffraction);
    o.box = boxOf(o.pts);
    p.building_of.push_back(static_cast<int>(p.obstacles.size()));
    p.obstacles.push_back(std::move(o));
  }
  for (const auto& b : scene.barriers) {
    Obstacle o;
    o.index = static_cast<int>(&b - scene.barriers.data());
    o.pts = b.line;
    o.above_ground = b.h_m.has_value();
    o.top = b.h_m ? std::vector<double>(b.line.size(), *b.h_m) : b.top_z;
    const auto lat =
        b.lateral.value_or(std::array<bool, 2>{s.lateral_diffraction, s.lateral_diffraction});
    o.lateral_first = lat[0];
    o.lateral_last = lat[1];
    o.box = boxOf(o.pts);
    p.obstacles.push_back(std::move(o));
  }
  p.index.build(p.obstacles);
  for (const auto& o : p.obstacles)
    p.any_lateral = p.any_lateral || o.lateral_first || o.lateral_last;
  if (s.reflection_order < 1) return;
  for (std::size_t k = 0; k < p.obstacles.size(); ++k) {
    const Obstacle& o = p.obstacles[k];
    const bool reflective = o.building
                                ? scene.buildings[static_cast<std::size_t>(o.index)].reflective
                                : scene.barriers[static_cast<std::size_t>(o.index)].reflective;
    if (!reflective) continue;
    const auto& alpha = o.building ? scene.buildings[static_cast<std::size_t>(o.index)].alpha
                                   : scene.barriers[static_cast<std::size_t>(o.index)].alpha;
    // ISO 9613-2 Table 4: 0.8 for walls of buildings with windows, 1 for flat hard walls.
    Bands rho{};
    for (std::size_t b = 0; b < kBands; ++b)
      rho[b] = 1 - (alpha ? (*alpha)[b] : o.building ? 0.2 : 0.0);
    const std::size_t n = o.pts.size();
    const std::size_t edges = o.building ? n : n - 1;
    for (std::size_t e = 0; e < edges; ++e) {
      Reflector r;
      r.a = o.pts[e];
      r.b = o.pts[(e + 1) % n];
      if (r.a.x == r.b.x && r.a.y == r.b.y) continue;
      r.obstacle = static_cast<int>(k);
      r.edge = static_cast<int>(e);
      r.base_a = p.groundZ(r.a.x, r.a.y);
      r.base_b = p.groundZ(r.b.x, r.b.y);
      r.top_a = o.top[e] + (o.above_ground ? r.base_a : 0);
      r.top_b = o.top[(e + 1) % n] + (o.above_ground ? r.base_b : 0);
      r.facade = o.building;
      r.rho = rho;
      r.box = boxOf({r.a, r.b});
      p.reflectors.push_back(r);
    }
  }
}

int buildingAt(const Prepared& p, Point2 at) {
  for (std::size_t k = 0; k < p.building_of.size(); ++k) {
    const Obstacle& o = p.obstacles[static_cast<std::size_t>(p.building_of[k])];
    if (at.x < o.box.xmin || at.x > o.box.xmax || at.y < o.box.ymin || at.y > o.box.ymax) continue;
    if (insideRing(o.pts, at.x, at.y)) return static_cast<int>(k);
    // On the outline counts as inside.
    const std::size_t n = o.pts.size();
    for (std::size_t i = 0; i < n; ++i) {
      const Point2 a = o.pts[i], b = o.pts[(i + 1) % n];
      const double l2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
      const double t =
          l2 > 0
              ? std::clamp(((at.x - a.x) * (b.x - a.x) + (at.y - a.y) * (b.y - a.y)) / l2, 0.0, 1.0)
              : 0;
      if (std::hypot(a.x + t * (b.x - a.x) - at.x, a.y + t * (b.y - a.y) - at.y) < 1e-6)
        return static_cast<int>(k);
    }
  }
  return -1;
}

bool screening(const Prepared& p, const PathEnd& s, const PathEnd& r, double dp, double d,
               const Bands& agr, Scratch& sc, Bands& abar, const Fold* fold, ScreenTerms* terms) {
  if (p.obstacles.empty() || !(dp > 0)) return false;
  sc.edges.clear();
  sc.instances.clear();
  if (fold) {
    crossings(p, fold->mirror(s.at), fold->at, 0, fold->f, dp, true, fold, sc);
    crossings(p, fold->at, r.at, fold->f, 1, dp, false, fold, sc);
  } else {
    crossings(p, s.at, r.at, 0, 1, dp, false, nullptr, sc);
  }
  if (sc.edges.empty()) return false;
  const double zs = s.ground_z + s.h, zr = r.ground_z + r.h;
  const TopPath top = topPath(zs, zr, dp, d, sc);
  // Kmet = exp(-(1/2000) sqrt(dss dsr d / (2 z))) for z > 0, else 1 (eq. 18).
  const double kmet =
      top.z > 0 ? std::exp(-(1.0 / 2000) * std::sqrt(top.dss * top.dsr * d / (2 * top.z))) : 1;
  Bands dz_top{};
  for (std::size_t b = 0; b < kBands; ++b) {
    const double lambda = p.lambda_m[b];
    // Over the top at most 20 dB with one edge, 25 dB with several (eq. 14 and its note).
    dz_top[b] = std::min(dzOf(lambda, c3Of(lambda, top.e, top.edges), top.z, kmet),
                         top.edges >= 2 ? 25.0 : 20.0);
    // Over the top the ground attenuation is replaced where it attenuates: Abar = Dz - Agr
    // (>= 0) for Agr > 0, else Abar = Dz and Agr stays (eq. 12, 13).
    abar[b] = agr[b] > 0 ? std::max(dz_top[b] - agr[b], 0.0) : dz_top[b];
  }
  SidePath left, right;
  if (top.z > 0 && p.any_lateral) {
    const Plane pl{s.at, (r.at.x - s.at.x) / dp, (r.at.y - s.at.y) / dp, dp, d, zs, zr};
    sidePaths(p, fold, pl, sc, left, right);
  }
  if (left.found || right.found) {
    // 10^(-L/10) as exp(-L ln10 / 10).
    constexpr double kLn10Tenth = 0.23025850929940458;
    Bands energy{};
    for (std::size_t b = 0; b < kBands; ++b) energy[b] = std::exp(-kLn10Tenth * abar[b]);
    for (SidePath* side : {&left, &right}) {
      if (!side->found) continue;
      // Round the side: C3 from its own e, Kmet = 1, no cap. 10^(-Dz/10) is 1 / (3 + (C2 /
      // lambda) C3 z), or 1 where Dz is 0.
      for (std::size_t b = 0; b < kBands; ++b) {
        const double lambda = p.lambda_m[b];
        const double arg = 3 + 20 / lambda * c3Of(lambda, side->e, side->edges) * side->z;
        energy[b] += arg > 1 ? 1 / arg : 1;
        if (terms) side->dz[b] = arg > 1 ? 10 * std::log10(arg) : 0;
      }
    }
    for (std::size_t b = 0; b < kBands; ++b) abar[b] = std::max(0.0, -10 * std::log10(energy[b]));
  }
  if (terms) {
    terms->screened = true;
    terms->z = top.z;
    terms->dss = top.dss;
    terms->dsr = top.dsr;
    terms->e = top.e;
    terms->edges = top.edges;
    terms->dz_top = dz_top;
    terms->left = left;
    terms->right = right;
  }
  return true;
}

}  // namespace models::noise::propagation::detail
