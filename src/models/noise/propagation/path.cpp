#include "models/noise/propagation/path.h"

#include <algorithm>
#include <cmath>

#include "core/acoustics.h"

namespace models::noise::propagation::detail {

namespace {

// Distances below this are taken at it: a receiver on top of a source would otherwise get an
// infinite level.
constexpr double kMinDistance_m = 1.0;

double gAt(const Prepared& p, double x, double y) {
  for (auto it = p.ground.rbegin(); it != p.ground.rend(); ++it)
    if (x >= it->box.xmin && x <= it->box.xmax && y >= it->box.ymin && y <= it->box.ymax &&
        insideRing(it->ring, x, y))
      return it->g;
  return p.ground_g;
}

struct RegionG {
  double s, m, r;
};

// G of the source, middle and receiver regions: the length-weighted mean of the ground crossed
// (ISO 9613-2 7.3.1); a region of no length takes the G of the ground it stands on.
RegionG regionG(const Prepared& p, Point2 s, Point2 r, double dp, double t1, double t2, Scratch& sc,
                const Fold* fold) {
  if (p.ground.empty()) return {p.ground_g, p.ground_g, p.ground_g};
  auto& cuts = sc.cuts;
  cuts.assign({0.0, 1.0, t1, t2});
  // The legs of the real path and where each lies along the unfolded one.
  struct Leg {
    Point2 a, b;
    double c0, c1;
  };
  Leg legs[2];
  int nlegs = 0;
  if (fold) {
    legs[nlegs++] = {fold->mirror(s), fold->at, 0.0, fold->f};
    legs[nlegs++] = {fold->at, r, fold->f, 1.0};
    cuts.push_back(fold->f);
  } else {
    legs[nlegs++] = {s, r, 0.0, 1.0};
  }
  for (int l = 0; l < nlegs; ++l) {
    const Leg& leg = legs[l];
    const Box pb{std::min(leg.a.x, leg.b.x), std::max(leg.a.x, leg.b.x), std::min(leg.a.y, leg.b.y),
                 std::max(leg.a.y, leg.b.y)};
    for (const auto& g : p.ground) {
      if (!boxesMeet(pb, g.box)) continue;
      const std::size_t n = g.ring.size();
      for (std::size_t i = 0; i < n; ++i) {
        double t, u;
        if (crossing(leg.a, leg.b, g.ring[i], g.ring[(i + 1) % n], t, u))
          cuts.push_back(leg.c0 + t * (leg.c1 - leg.c0));
      }
    }
  }
  std::sort(cuts.begin(), cuts.end());
  auto at = [&](double c) {
    return fold ? fold->folded(s, r, c) : Point2{s.x + (r.x - s.x) * c, s.y + (r.y - s.y) * c};
  };
  double len[3] = {0, 0, 0}, sum[3] = {0, 0, 0};
  constexpr double eps = 1e-12;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = cuts[i], b = cuts[i + 1];
    if (b - a <= eps) continue;
    const Point2 m = at(0.5 * (a + b));
    const double g = gAt(p, m.x, m.y);
    const double l = (b - a) * dp;
    if (b <= t1 + eps) len[0] += l, sum[0] += g * l;
    if (a >= t2 - eps) len[2] += l, sum[2] += g * l;
    if (t1 < t2 && a >= t1 - eps && b <= t2 + eps) len[1] += l, sum[1] += g * l;
  }
  RegionG out;
  const Point2 s0 = at(0);
  out.s = len[0] > 0 ? sum[0] / len[0] : gAt(p, s0.x, s0.y);
  out.m = len[1] > 0 ? sum[1] / len[1] : p.ground_g;
  out.r = len[2] > 0 ? sum[2] / len[2] : gAt(p, r.x, r.y);
  return out;
}

// As or Ar of ISO 9613-2 Table 3 for a region of ground factor g at height h above it, with
// e = 1 - exp(-dp / 50) and f = 1 - exp(-2.8e-6 dp^2):
//   a'(h) = 1.5 + 3.0 exp(-0.12 (h - 5)^2) e + 5.7 exp(-0.09 h^2) f
//   b'(h) = 1.5 + 8.6 exp(-0.09 h^2) e,  c'(h) = 1.5 + 14.0 exp(-0.46 h^2) e,
//   d'(h) = 1.5 + 5.0 exp(-0.9 h^2) e
void endRegion(double g, const HeightTerms& k, double e, double f, Bands& a) {
  a[0] += -1.5;
  a[1] += -1.5 + g * (1.5 + 3.0 * k.a * e + 5.7 * k.b * f);
  a[2] += -1.5 + g * (1.5 + 8.6 * k.b * e);
  a[3] += -1.5 + g * (1.5 + 14.0 * k.c * e);
  a[4] += -1.5 + g * (1.5 + 5.0 * k.d * e);
  for (int b = 5; b < kBands; ++b) a[static_cast<std::size_t>(b)] += -1.5 * (1 - g);
}

// Agr = As + Ar + Am, general method (ISO 9613-2 7.3.1).
Bands groundGeneral(const Prepared& p, const PathEnd& s, const PathEnd& r, double dp, Scratch& sc,
                    const Fold* fold) {
  const double hs = s.h, hr = r.h;
  const double dpx = std::max(dp, 1e-9);
  const double t1 = std::min(30 * hs, dp) / dpx;
  const double t2 = std::max(dp - 30 * hr, 0.0) / dpx;
  const RegionG g = regionG(p, s.at, r.at, dp, t1, t2, sc, fold);
  const double e = 1 - std::exp(-dp / 50), f = 1 - std::exp(-2.8e-6 * dp * dp);
  Bands a{};
  endRegion(g.s, s.k, e, f, a);
  endRegion(g.r, r.k, e, f, a);
  const double q = dp <= 30 * (hs + hr) ? 0 : 1 - 30 * (hs + hr) / dp;
  a[0] += -3 * q;
  for (int b = 1; b < kBands; ++b) a[static_cast<std::size_t>(b)] += -3 * q * (1 - g.m);
  return a;
}

// Mean height of the ray above the ground, hm = F / d, F the area between them in the vertical
// plane through the path; the ground profile from the terrain, integrated by Simpson's rule
// between the terrain's grid lines (exact for the bilinear surface).
double meanHeight(const Prepared& p, const PathEnd& s, const PathEnd& r, double dp, double d,
                  Scratch& sc, const Fold* fold) {
  const double zs = s.ground_z + s.h, zr = r.ground_z + r.h;
  if (!p.terrain) return dp * (0.5 * (zs + zr) - 0.5 * (s.ground_z + r.ground_z)) / d;
  const Terrain& t = *p.terrain;
  auto& cuts = sc.cuts;
  cuts.assign({0.0, 1.0});
  const double dx = r.at.x - s.at.x, dy = r.at.y - s.at.y;
  const double stepx = (t.xmax - t.xmin) / (t.nx - 1), stepy = (t.ymax - t.ymin) / (t.ny - 1);
  if (std::abs(dx) > 1e-9)
    for (int i = 0; i < t.nx; ++i) {
      const double c = (t.xmin + i * stepx - s.at.x) / dx;
      if (c > 0 && c < 1) cuts.push_back(c);
    }
  if (std::abs(dy) > 1e-9)
    for (int j = 0; j < t.ny; ++j) {
      const double c = (t.ymin + j * stepy - s.at.y) / dy;
      if (c > 0 && c < 1) cuts.push_back(c);
    }
  if (fold) {
    // The image leg lies over the mirrored ground: cut it finely instead of at grid lines.
    for (int k = 1; k < 64; ++k) cuts.push_back(fold->f * k / 64);
    cuts.push_back(fold->f);
  }
  std::sort(cuts.begin(), cuts.end());
  auto height = [&](double c) {
    const Point2 q = fold ? fold->folded(s.at, r.at, c) : Point2{s.at.x + dx * c, s.at.y + dy * c};
    return zs + (zr - zs) * c - t.at(q.x, q.y);
  };
  double f = 0;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double a = cuts[i], b = cuts[i + 1];
    f += (b - a) * dp / 6 * (height(a) + 4 * height(0.5 * (a + b)) + height(b));
  }
  return f / d;
}

}  // namespace

HeightTerms heightTerms(double h) {
  return {std::exp(-0.12 * (h - 5) * (h - 5)), std::exp(-0.09 * h * h), std::exp(-0.46 * h * h),
          std::exp(-0.9 * h * h)};
}

Bands attenuation(const Prepared& p, const PathEnd& s, const PathEnd& r, Scratch& sc) {
  return attenuationFolded(p, s, r, nullptr, sc);
}

// A = Adiv + Aatm + Agr + Abar (+ Cmet, - DOmega of the alternative ground method).
Bands attenuationFolded(const Prepared& p, const PathEnd& s, const PathEnd& r, const Fold* fold,
                        Scratch& sc, ScreenTerms* terms, Bands* agr_out) {
  const double dx = r.at.x - s.at.x, dy = r.at.y - s.at.y;
  const double dp = std::sqrt(dx * dx + dy * dy);
  const double dz = (r.ground_z + r.h) - (s.ground_z + s.h);
  const double d = std::max(std::sqrt(dp * dp + dz * dz), kMinDistance_m);
  // Adiv = 20 lg d + 11 (eq. 7); Aatm = alpha d / 1000 (eq. 8).
  const double adiv = 20 * std::log10(d) + 11;
  Bands agr{};
  double domega = 0;
  if (p.method == GroundMethod::General) {
    agr = groundGeneral(p, s, r, dp, sc, fold);
  } else {
    // Agr = 4.8 - (2 hm / d)(17 + 300 / d) >= 0 (eq. 10), with the solid angle term
    // DOmega = 10 lg(1 + (dp^2 + (hs - hr)^2) / (dp^2 + (hs + hr)^2)) (eq. 11).
    const double hm = meanHeight(p, s, r, dp, d, sc, fold);
    agr.fill(std::max(0.0, 4.8 - (2 * hm / d) * (17 + 300 / d)));
    const double a = dp * dp + (s.h - r.h) * (s.h - r.h), b = dp * dp + (s.h + r.h) * (s.h + r.h);
    domega = b > 0 ? 10 * std::log10(1 + a / b) : 10 * std::log10(2.0);
  }
  Bands abar{};
  screening(p, s, r, dp, d, agr, sc, abar, fold, terms);
  if (agr_out) *agr_out = agr;
  // Cmet = C0 (1 - 10 (hs + hr) / dp) for dp > 10 (hs + hr) (eq. 21).
  const double cmet =
      p.c0_db > 0 && dp > 10 * (s.h + r.h) ? p.c0_db * (1 - 10 * (s.h + r.h) / dp) : 0;
  Bands a{};
  for (std::size_t b = 0; b < kBands; ++b)
    a[b] = adiv + p.alpha_db_m[b] * d + agr[b] + abar[b] + cmet - domega;
  return a;
}

const Bands& aWeightFactors() {
  static const Bands f = [] {
    Bands b{};
    for (std::size_t k = 0; k < kBands; ++k) b[k] = std::pow(10.0, 0.1 * kAWeight[k]);
    return b;
  }();
  return f;
}

Box boxOf(const std::vector<Point2>& pts) {
  if (pts.empty()) return {0, 0, 0, 0};
  Box b{pts[0].x, pts[0].x, pts[0].y, pts[0].y};
  for (const auto& q : pts) {
    b.xmin = std::min(b.xmin, q.x);
    b.xmax = std::max(b.xmax, q.x);
    b.ymin = std::min(b.ymin, q.y);
    b.ymax = std::max(b.ymax, q.y);
  }
  return b;
}

bool insideRing(const std::vector<Point2>& ring, double x, double y) {
  bool in = false;
  const std::size_t n = ring.size();
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const Point2 a = ring[i], b = ring[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

Prepared prepare(const Scene& scene) {
  Prepared p;
  const SceneSettings& s = scene.settings;
  for (int b = 0; b < kBands; ++b) {
    const auto k = static_cast<std::size_t>(b);
    // Exact base-10 midband frequency 1000 * 10^(k/10), k = -12 ... 9 in steps of 3.
    const double f = 1000 * std::pow(10.0, (3 * b - 12) / 10.0);
    p.alpha_db_m[k] =
        core::airAbsorption_dB_km(f, s.temperature_c, s.humidity_pct, s.pressure_kpa) / 1000;
    p.lambda_m[k] = 340 / kNominalHz[k];
  }
  p.ground_g = s.ground_g;
  p.c0_db = s.c0_db;
  p.method = s.ground_method;
  for (const auto& g : scene.ground) p.ground.push_back({g.ring, boxOf(g.ring), g.g});
  if (scene.terrain) p.terrain = &*scene.terrain;
  prepareObstacles(scene, p);
  return p;
}

}  // namespace models::noise::propagation::detail
