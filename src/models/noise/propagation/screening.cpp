// Thin barriers (ISO 9613-2:1996 7.4): the path over the top in the vertical plane through
// source and receiver, and the paths round the barrier's ends.
#include <algorithm>
#include <cmath>

#include "models/noise/propagation/path.h"

namespace models::noise::propagation::detail {

namespace {

double dist(double ds, double dz) { return std::sqrt(ds * ds + dz * dz); }

// Dz = 10 lg(3 + (C2 / lambda) C3 z Kmet), C2 = 20 (eq. 14); 0 where the bracket is below 1
// (z <= -2 lambda / 20).
double dz(double lambda, double c3, double z, double kmet) {
  const double arg = 3 + 20 / lambda * c3 * z * kmet;
  return arg > 1 ? 10 * std::log10(arg) : 0;
}

// z, dss, dsr and e of the path over the top: the rubber band over the crossed edges
// (upper convex hull in the vertical plane); when no edge reaches the line of sight, the edge
// nearest to it with z < 0.
struct TopPath {
  double z = 0, dss = 0, dsr = 0, e = 0;
  bool multiple = false;
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
    return t;
  }
  const int first = hull[1], last = hull[hull.size() - 2];
  t.dss = dist(ps(first), pz(first) - zs);
  t.dsr = dist(dp - ps(last), zr - pz(last));
  for (std::size_t k = 1; k + 2 < hull.size(); ++k)
    t.e += dist(ps(hull[k + 1]) - ps(hull[k]), pz(hull[k + 1]) - pz(hull[k]));
  t.multiple = hull.size() > 3;
  t.z = t.dss + t.e + t.dsr - d;
  return t;
}

}  // namespace

bool screening(const Prepared& p, const PathEnd& s, const PathEnd& r, double dp, double d,
               const Bands& agr, Scratch& sc, Bands& abar) {
  if (p.segments.empty()) return false;
  const Box pb{std::min(s.at.x, r.at.x), std::max(s.at.x, r.at.x), std::min(s.at.y, r.at.y),
               std::max(s.at.y, r.at.y)};
  sc.edges.clear();
  for (const auto& seg : p.segments) {
    if (!boxesMeet(pb, seg.box)) continue;
    double t, u;
    if (!crossing(s.at, r.at, seg.a, seg.b, t, u)) continue;
    double top = seg.top_a + (seg.top_b - seg.top_a) * u;
    if (seg.above_ground)
      top += p.groundZ(seg.a.x + (seg.b.x - seg.a.x) * u, seg.a.y + (seg.b.y - seg.a.y) * u);
    sc.edges.push_back({t * dp, top, seg.barrier});
  }
  if (sc.edges.empty()) return false;
  const double zs = s.ground_z + s.h, zr = r.ground_z + r.h;
  int barrier = sc.edges[0].barrier;
  for (const auto& e : sc.edges)
    if (e.barrier != barrier) barrier = -1;
  const TopPath top = topPath(zs, zr, dp, d, sc);
  // Kmet = exp(-(1/2000) sqrt(dss dsr d / (2 z))) for z > 0, else 1 (eq. 18).
  const double kmet =
      top.z > 0 ? std::exp(-(1.0 / 2000) * std::sqrt(top.dss * top.dsr * d / (2 * top.z))) : 1;
  for (std::size_t b = 0; b < kBands; ++b) {
    const double lambda = p.lambda_m[b];
    // C3 = (1 + (5 lambda / e)^2) / (1/3 + (5 lambda / e)^2) for two or more edges (eq. 15).
    double c3 = 1;
    if (top.multiple && top.e > 0) {
      const double k = (5 * lambda / top.e) * (5 * lambda / top.e);
      c3 = (1 + k) / (1.0 / 3 + k);
    }
    const double dz_top = std::min(dz(lambda, c3, top.z, kmet), top.multiple ? 25.0 : 20.0);
    // Over the top the ground attenuation is replaced where it attenuates: Abar = Dz - Agr
    // (>= 0) for Agr > 0, else Abar = Dz and Agr stays (eq. 12, 13).
    abar[b] = agr[b] > 0 ? std::max(dz_top - agr[b], 0.0) : dz_top;
  }
  if (barrier < 0) return true;
  const BarrierEnds& ends = p.barrier_ends[static_cast<std::size_t>(barrier)];
  if (!ends.lateral_first && !ends.lateral_last) return true;
  const double dzsr = zr - zs;
  Bands energy{};
  for (std::size_t b = 0; b < kBands; ++b) energy[b] = std::pow(10.0, -abar[b] / 10);
  bool lateral = false;
  for (int k = 0; k < 2; ++k) {
    if (!(k == 0 ? ends.lateral_first : ends.lateral_last)) continue;
    const Point2 e = k == 0 ? ends.first : ends.last;
    // Round a vertical edge: the unfolded plan path S-E-R with the height change along it.
    const double plan =
        std::hypot(e.x - s.at.x, e.y - s.at.y) + std::hypot(r.at.x - e.x, r.at.y - e.y);
    const double z = dist(plan, dzsr) - d;
    for (std::size_t b = 0; b < kBands; ++b)
      energy[b] += std::pow(10.0, -dz(p.lambda_m[b], 1, z, 1) / 10);
    lateral = true;
  }
  if (lateral)
    for (std::size_t b = 0; b < kBands; ++b) abar[b] = std::max(0.0, -10 * std::log10(energy[b]));
  return true;
}

}  // namespace models::noise::propagation::detail
