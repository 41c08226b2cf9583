#include "screen/engine/area_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "screen/engine/area_integral.h"
#include "screen/engine/area_tables.h"
#include "screen/engine/dispersion.h"
#include "screen/engine/point_model.h"

namespace screen::engine {

namespace {

struct Vertex {
  float u, v;
};  // upwind distance and crosswind offset from the receptor, km

float cumulativeNormal(float n) {
  const float t = 10.0f * n + 40.0f;
  if (!(t > -1.0e9f && t < 1.0e9f)) return t > 0.0f ? 1.0f : 0.0f;
  const int i = static_cast<int>(t);
  if (i > 78) return 1.0f;
  if (i < 1) return 0.0f;
  return kCumulativeNormal[i] +
         (t - static_cast<float>(i)) * (kCumulativeNormal[i + 1] - kCumulativeNormal[i]);
}

class SideIntegrand {
 public:
  SideIntegrand(const AreaCase& c) : c_(c) {}

  float sy(float u) const { return std::max(sigmaY(c_.cls, c_.urban, 1000.0f * u), 0.0001f); }
  float szRaw(float u) const { return sigmaZ(c_.cls, c_.urban, 1000.0f * u); }

  // Vertical part alone, (V / (sqrt(2 pi) sigma-z)) * 1000, for the pieces above the +4 sigma
  // band (sigma-z straight from the curve).
  float g(float u) const {
    if (u < 0.001f) return 0.0f;
    const float sz = szRaw(u);
    return (verticalTerm(c_.he, c_.zr, c_.zi, sz, c_.cls) / (kSqrt2Pi * sz)) * 1000.0f;
  }

  // Side integrand (phi * (V / (sqrt(2 pi) sigma-z))) * 1000, sigma-z floored. The grouping is
  // kept as written: near-ties between neighbouring wind directions are decided in the last bit.
  float side(float u, float phi) const {
    if (u < 0.001f) return 0.0f;
    const float sz = std::max(szRaw(u), 0.0001f);
    return (phi * (verticalTerm(c_.he, c_.zr, c_.zi, sz, c_.cls) / (kSqrt2Pi * sz))) * 1000.0f;
  }

 private:
  AreaCase c_;
};

// Crosswind offset along a side, normalised by sigma-y.
struct Side {
  Vertex a, b;
  float vAt(float u) const { return a.v + (u - a.u) * (b.v - a.v) / (b.u - a.u); }
};

float normalised(const SideIntegrand& f, const Side& s, float u) {
  return 1000.0f * s.vAt(u) / f.sy(u);
}

struct Segment {
  float p, q;
};

float combineAboveSegments(const SideIntegrand& f, const std::vector<Segment>& segs) {
  if (segs.empty()) return 0.0f;
  struct Span {
    float lo, hi;
    int sign;
  };
  std::vector<Span> spans;
  std::vector<float> ends;
  for (const Segment& s : segs) {
    const int sign = s.p < s.q ? 1 : (s.p > s.q ? -1 : 0);
    spans.push_back({std::min(s.p, s.q), std::max(s.p, s.q), sign});
    ends.push_back(std::min(s.p, s.q));
    ends.push_back(std::max(s.p, s.q));
  }
  std::sort(ends.begin(), ends.end());
  struct Piece {
    float lo, hi;
    int factor;
  };
  std::vector<Piece> kept;
  for (size_t i = 0; i + 1 < ends.size(); ++i) {
    const float e1 = ends[i], e2 = ends[i + 1];
    if (e1 == e2) continue;
    int sum = 0;
    for (const Span& sp : spans)
      if (sp.lo <= e1 && e2 <= sp.hi) sum += sp.sign;
    if (sum == 0) continue;
    if (!kept.empty() && kept.back().hi == e1 && (kept.back().factor > 0) == (sum > 0)) {
      const float start = kept.back().lo;
      kept.pop_back();
      kept.push_back({start, e2, sum});
    } else {
      kept.push_back({e1, e2, sum});
    }
  }
  float j = 0.0f;
  for (const Piece& p : kept)
    j += static_cast<float>(p.factor) * romberg([&](float u) { return f.g(u); }, p.lo, p.hi);
  return j;
}

// Corners of the turned rectangle relative to the receptor: upwind distance and crosswind
// offset, km. The wind blows along +x (direction 270 degrees).
std::array<Vertex, 4> relativeCorners(float longSide_m, float shortSide_m, float angle_deg,
                                      float x) {
  // Corners are formed in metres and turned into kilometres as the last step; converting the
  // sides first rounds differently and moves the chosen direction at near-ties.
  const float a = (-angle_deg) * kDegToRad;
  const float sa = std::sin(a), ca = std::cos(a);
  const float hw = 0.5f * shortSide_m, hl = 0.5f * longSide_m;
  const float ws = hw * sa, wc = hw * ca, ls = hl * sa, lc = hl * ca;
  const std::array<Vertex, 4> corners = {{{(ws - lc) / 1000.0f, (-wc - ls) / 1000.0f},
                                          {(-ws - lc) / 1000.0f, (wc - ls) / 1000.0f},
                                          {(-ws + lc) / 1000.0f, (wc + ls) / 1000.0f},
                                          {(ws + lc) / 1000.0f, (-wc + ls) / 1000.0f}}};
  const float phi = 270.0f * kDegToRad;
  const float sphi = std::sin(phi), cphi = std::cos(phi);
  const float rd = -(x * sphi) / 1000.0f;
  const float rc = (x * cphi) / 1000.0f;
  std::array<Vertex, 4> rel;
  for (int i = 0; i < 4; ++i) {
    const float px = corners[static_cast<size_t>(i)].u, py = corners[static_cast<size_t>(i)].v;
    const float sd = -(px * sphi + py * cphi);
    const float sc = px * cphi - py * sphi;
    rel[static_cast<size_t>(i)] = {rd - sd, rc - sc};
  }
  return rel;
}

// The part of the rectangle at least 1.01 m upwind of the receptor.
std::vector<Vertex> clipUpwind(const std::array<Vertex, 4>& rel) {
  constexpr float uc = 0.00101f;
  std::vector<Vertex> poly;
  for (size_t i = 0; i < 4; ++i) {
    const Vertex A = rel[i], B = rel[(i + 1) % 4];
    if (A.u >= uc) poly.push_back(A);
    if ((A.u >= uc) != (B.u >= uc))
      poly.push_back({uc, A.v + (uc - A.u) * (B.v - A.v) / (B.u - A.u)});
  }
  return poly;
}

}  // namespace

float areaConcentration(float longSide_m, float shortSide_m, float angle_deg, float q, float x,
                        const AreaCase& c) {
  const std::vector<Vertex> poly =
      clipUpwind(relativeCorners(longSide_m, shortSide_m, angle_deg, x));
  if (poly.size() < 2) return 0.0f;
  const SideIntegrand f(c);
  std::vector<float> ns;
  float nmin = 4.0f, nmax = -4.0f;
  for (const Vertex& p : poly) {
    const float n = 1000.0f * p.v / f.sy(p.u);
    ns.push_back(n);
    nmin = std::min(nmin, n);
    nmax = std::max(nmax, n);
  }
  if (nmin >= 4.0f || nmax <= -4.0f) return 0.0f;

  float sum = 0.0f;
  std::vector<Segment> above;
  const size_t m = poly.size();
  for (size_t i = 0; i < m; ++i) {
    const Side s{poly[i], poly[(i + 1) % m]};
    if (!(std::fabs(s.b.u - s.a.u) > 0.0001f)) continue;
    const float na = ns[i], nb = ns[(i + 1) % m];
    const int za = na > 4.0f ? 1 : (na < -4.0f ? -1 : 0);
    const int zb = nb > 4.0f ? 1 : (nb < -4.0f ? -1 : 0);
    auto crossing = [&](float level) {
      return brentRoot([&](float u) { return normalised(f, s, u) - level; }, s.a.u, s.b.u);
    };
    auto integrate = [&](float from, float to) {
      sum += romberg([&](float u) { return f.side(u, cumulativeNormal(normalised(f, s, u))); },
                     from, to);
    };
    const float up = (za == 1) != (zb == 1) ? crossing(4.0f) : 0.0f;
    const float dn = (za == -1) != (zb == -1) ? crossing(-4.0f) : 0.0f;
    if (za == 0 && zb == 0)
      integrate(s.a.u, s.b.u);
    else if (za == -1 && zb == 0)
      integrate(dn, s.b.u);
    else if (za == 0 && zb == -1)
      integrate(s.a.u, dn);
    else if (za == 1 && zb == 0) {
      integrate(up, s.b.u);
      above.push_back({s.a.u, up});
    } else if (za == 1 && zb == -1) {
      integrate(up, dn);
      above.push_back({s.a.u, up});
    } else if (za == 0 && zb == 1) {
      integrate(s.a.u, up);
      above.push_back({up, s.b.u});
    } else if (za == -1 && zb == 1) {
      integrate(dn, up);
      above.push_back({up, s.b.u});
    } else if (za == 1 && zb == 1)
      above.push_back({s.a.u, s.b.u});
  }
  const float j = combineAboveSegments(f, above);
  return std::fabs(sum + j) * (q * 1.0e6f) / c.us;
}

AngleRange searchAngles(float longSide_m, float shortSide_m, float x, int cls, bool urban) {
  const float xi = x / (longSide_m / 2.0f);
  const float aspect = longSide_m / shortSide_m;
  int col = 0, row = 0;
  for (int i = 0; i < 22; ++i)
    if (kAspectBounds[i] <= aspect) col = i;
  for (int j = 0; j < 56; ++j)
    if (kDistanceBounds[j] <= xi) row = j;
  const int k = std::clamp(cls, 1, 6);
  const auto& t = urban ? kUrbanAngleTables[k <= 2 ? 0 : (k == 3 ? 1 : (k == 4 ? 2 : 3))]
                        : kRuralAngleTables[k - 1];
  int lo = t[row][col], hi = lo;
  for (int dr = 0; dr <= 1; ++dr)
    for (int dc = 0; dc <= 1; ++dc) {
      if (row + dr > 55 || col + dc > 21) continue;
      lo = std::min<int>(lo, t[row + dr][col + dc]);
      hi = std::max<int>(hi, t[row + dr][col + dc]);
    }
  return {lo, hi};
}

}  // namespace screen::engine
