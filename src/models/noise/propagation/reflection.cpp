// First-order reflections off building facades and reflecting barriers (ISO 9613-2:1996 7.5,
// read as ISO/TR 17534-3:2015 does): an image source mirrored in the vertical plane of the
// surface, its level lowered by 10 lg(1 - alpha), counted in the bands where the surface is
// large against the wavelength, attenuated like a direct path over the image-receiver line
// with the ground and obstacles of the folded path.
#include <cmath>

#include "models/noise/propagation/path.h"

namespace models::noise::propagation::detail {

int reflections(const Prepared& p, const PathEnd& src, const PathEnd& rcv, const Bands& lw,
                Scratch& sc, Bands& energy) {
  int counted = 0;
  const double zs = src.ground_z + src.h, zr = rcv.ground_z + rcv.h;
  for (const Reflector& rf : p.reflectors) {
    const double ex = rf.b.x - rf.a.x, ey = rf.b.y - rf.a.y;
    const double len = std::hypot(ex, ey);
    // Source and receiver on the same side; a facade reflects only outwards (the right of an
    // edge of a counter-clockwise ring).
    const double ss = ex * (src.at.y - rf.a.y) - ey * (src.at.x - rf.a.x);
    const double sr = ex * (rcv.at.y - rf.a.y) - ey * (rcv.at.x - rf.a.x);
    const double eps = 1e-9 * len;
    if (rf.facade ? !(ss < -eps && sr < -eps)
                  : !((ss > eps && sr > eps) || (ss < -eps && sr < -eps)))
      continue;
    Fold fold;
    fold.m0 = rf.a;
    fold.n = {-ey / len, ex / len};
    fold.obstacle = rf.obstacle;
    fold.edge = rf.edge;
    const Point2 image = fold.mirror(src.at);
    // The reflection point: where the image-receiver line crosses the surface in plan, at the
    // height of that line there, between the surface's base and top.
    double t, u;
    if (!crossing(image, rcv.at, rf.a, rf.b, t, u)) continue;
    const double zp = zs + t * (zr - zs);
    const double base = rf.base_a + u * (rf.base_b - rf.base_a);
    const double top = rf.top_a + u * (rf.top_b - rf.top_a);
    if (zp < base || zp > top) continue;
    fold.at = {rf.a.x + u * ex, rf.a.y + u * ey};
    fold.f = t;
    const double dp = std::hypot(rcv.at.x - image.x, rcv.at.y - image.y);
    const double d = std::hypot(dp, zr - zs);
    const double dso = t * d, dor = (1 - t) * d;
    // The size condition 1/lambda > (2 / leff^2) dso dor / (dso + dor) with
    // leff = min(l cos(beta_h), h cos(beta_v)), beta the angles of incidence in plan and in
    // the vertical.
    const double cos_h =
        std::abs(fold.n.x * (rcv.at.x - image.x) + fold.n.y * (rcv.at.y - image.y)) / dp;
    const double cos_v = dp / d;
    const double leff = std::min(len * cos_h, (top - base) * cos_v);
    const double need = 2 / (leff * leff) * dso * dor / (dso + dor);
    bool any = false;
    Bands keep{};
    for (std::size_t b = 0; b < kBands; ++b) {
      keep[b] = rf.rho[b] > 0.2 && kNominalHz[b] / 340 > need ? 1 : 0;
      any = any || keep[b] > 0;
    }
    if (!any) continue;
    const PathEnd img{image, src.ground_z, src.h, src.k};
    const Bands att = attenuationFolded(p, img, rcv, &fold, sc);
    for (std::size_t b = 0; b < kBands; ++b)
      if (keep[b] > 0) energy[b] += rf.rho[b] * std::pow(10.0, 0.1 * (lw[b] - att[b]));
    ++counted;
  }
  return counted;
}

}  // namespace models::noise::propagation::detail
