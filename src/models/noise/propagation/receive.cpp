// Summing the emitters at one receiver, extended ones cut per receiver.
#include <algorithm>
#include <cmath>

#include "models/noise/propagation/emitters.h"

namespace models::noise::propagation::detail {

namespace {

// Pieces are cut until no longer than half their distance, and not below 1 m.
bool smallEnough(double size, double dist) { return size <= std::max(1.0, dist / 2); }

double dist3(Point2 a, double za, const PathEnd& r) {
  const double dz = r.ground_z + r.h - za;
  return std::sqrt((a.x - r.at.x) * (a.x - r.at.x) + (a.y - r.at.y) * (a.y - r.at.y) + dz * dz);
}

Point2 pointAlong(const Emitter& e, double s) {
  const auto it = std::upper_bound(e.along.begin(), e.along.end(), s);
  std::size_t k = static_cast<std::size_t>(std::max<std::ptrdiff_t>(it - e.along.begin(), 1)) - 1;
  k = std::min(k, e.line.size() - 2);
  const double len = e.along[k + 1] - e.along[k];
  const double t = len > 0 ? (s - e.along[k]) / len : 0;
  return {e.line[k].x + t * (e.line[k + 1].x - e.line[k].x),
          e.line[k].y + t * (e.line[k + 1].y - e.line[k].y)};
}

struct Sink {
  const Prepared& p;
  const Emitter& e;
  const PathEnd& rcv;
  Scratch& sc;
  double* bands;  // 8 values or null
  double& a;

  // One point source with `share` of the emitter's power.
  void piece(Point2 at, double ground_z, double h, const HeightTerms& k, double share) {
    const PathEnd src{at, ground_z, h, k};
    const Bands att = attenuation(p, src, rcv, sc);
    const Bands& af = aWeightFactors();
    // 10^(0.1 L) as exp(0.1 ln10 L): the same value, faster than pow.
    constexpr double kLn10Tenth = 0.23025850929940458;
    Bands reflected{};
    if (!p.reflectors.empty()) reflections(p, src, rcv, e.lw, sc, reflected);
    for (std::size_t b = 0; b < kBands; ++b) {
      const double energy = share * (std::exp(kLn10Tenth * (e.lw[b] - att[b])) + reflected[b]);
      if (bands) bands[b] += energy;
      a += energy * af[b];
    }
  }
};

void receiveLine(Sink& k) {
  const Emitter& e = k.e;
  const double total = e.along.back();
  if (!(total > 0)) return k.piece(e.line[0], k.p.groundZ(e.line[0].x, e.line[0].y), e.h, e.k, 1);
  double stack[2 * 64];
  int n = 0;
  stack[n++] = 0;
  stack[n++] = total;
  while (n > 0) {
    const double s1 = stack[--n], s0 = stack[--n];
    const Point2 c = pointAlong(e, 0.5 * (s0 + s1));
    const double gz = k.p.groundZ(c.x, c.y);
    if (smallEnough(s1 - s0, dist3(c, gz + e.h, k.rcv)) || n + 4 > 2 * 64) {
      k.piece(c, gz, e.h, e.k, (s1 - s0) / total);
      continue;
    }
    const double m = 0.5 * (s0 + s1);
    stack[n++] = m;
    stack[n++] = s1;
    stack[n++] = s0;
    stack[n++] = m;
  }
}

void receiveArea(Sink& k) {
  const Emitter& e = k.e;
  const double total = e.nodes[0].area;
  int stack[4 * 16];
  int n = 0;
  stack[n++] = 0;
  while (n > 0) {
    const AreaNode& node = e.nodes[static_cast<std::size_t>(stack[--n])];
    const Point2 c{node.cx, node.cy};
    const double gz = k.p.groundZ(c.x, c.y);
    if (node.children == 0 || smallEnough(node.size, dist3(c, gz + e.h, k.rcv))) {
      k.piece(c, gz, e.h, e.k, node.area / total);
      continue;
    }
    for (int i = 0; i < node.children; ++i) stack[n++] = node.first_child + i;
  }
}

// The opening's rectangle in its wall, cut across and up.
void receiveOpening(Sink& k) {
  const Emitter& e = k.e;
  const double total = e.width * (e.z1 - e.z0);
  double stack[4 * 64];
  int n = 0;
  auto push = [&](double u0, double u1, double v0, double v1) {
    stack[n++] = u0;
    stack[n++] = u1;
    stack[n++] = v0;
    stack[n++] = v1;
  };
  push(0, e.width, e.z0, e.z1);
  while (n > 0) {
    const double v1 = stack[--n], v0 = stack[--n], u1 = stack[--n], u0 = stack[--n];
    const double t = 0.5 * (u0 + u1) / e.width;
    const Point2 c{e.a.x + t * (e.b.x - e.a.x), e.a.y + t * (e.b.y - e.a.y)};
    const double gz = k.p.groundZ(c.x, c.y);
    const double h = 0.5 * (v0 + v1);
    const double du = u1 - u0, dv = v1 - v0;
    if (smallEnough(std::max(du, dv), dist3(c, gz + h, k.rcv)) || n + 8 > 4 * 64) {
      k.piece(c, gz, h, heightTerms(h), du * dv / total);
      continue;
    }
    if (du >= dv) {
      push(u0, 0.5 * (u0 + u1), v0, v1);
      push(0.5 * (u0 + u1), u1, v0, v1);
    } else {
      push(u0, u1, v0, 0.5 * (v0 + v1));
      push(u0, u1, 0.5 * (v0 + v1), v1);
    }
  }
}

}  // namespace

void receive(const Prepared& p, const std::vector<Emitter>& emitters, const PathEnd& rcv,
             Scratch& sc, double* band_energy, double* a_energy) {
  for (std::size_t i = 0; i < emitters.size(); ++i) {
    const Emitter& e = emitters[i];
    Sink k{p, e, rcv, sc, band_energy ? band_energy + kBands * i : nullptr, a_energy[i]};
    switch (e.shape) {
      case Emitter::Shape::Point: k.piece(e.at, e.ground_z, e.h, e.k, 1); break;
      case Emitter::Shape::Line: receiveLine(k); break;
      case Emitter::Shape::Area: receiveArea(k); break;
      case Emitter::Shape::Opening: receiveOpening(k); break;
    }
  }
}

}  // namespace models::noise::propagation::detail
