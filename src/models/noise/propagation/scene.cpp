#include "models/noise/propagation/scene.h"

#include "models/noise/propagation/path.h"

#include <algorithm>
#include <cmath>

namespace models::noise::propagation {

namespace {

// Points from the low edge at every spacing up to and including the high edge (a tolerance
// keeps a 500 m side at 5 m at 101 points despite rounding).
int pointsAlong(double lo, double hi, double spacing) {
  if (!(spacing > 0) || !(hi >= lo)) return 0;
  return static_cast<int>(std::floor((hi - lo) / spacing + 1e-9)) + 1;
}

}  // namespace

int GridSpec::columns() const {
  const detail::Box b = detail::boxOf(ring);
  return pointsAlong(b.xmin, b.xmax, spacing_m);
}

int GridSpec::rows() const {
  const detail::Box b = detail::boxOf(ring);
  return pointsAlong(b.ymin, b.ymax, spacing_m);
}

double GridSpec::xmin() const { return detail::boxOf(ring).xmin; }
double GridSpec::ymin() const { return detail::boxOf(ring).ymin; }

// Bilinear between the four surrounding nodes; clamped to the grid's edge outside it.
double Terrain::at(double x, double y) const {
  if (nx < 2 || ny < 2 || z.size() < static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny))
    return 0;
  double fx = std::clamp((x - xmin) / (xmax - xmin) * (nx - 1), 0.0, double(nx - 1));
  double fy = std::clamp((y - ymin) / (ymax - ymin) * (ny - 1), 0.0, double(ny - 1));
  // A position or limit that is not a number must not index outside the nodes.
  if (!(fx >= 0)) fx = 0;
  if (!(fy >= 0)) fy = 0;
  const int i = std::min(static_cast<int>(fx), nx - 2);
  const int j = std::min(static_cast<int>(fy), ny - 2);
  const double tx = fx - i, ty = fy - j;
  auto v = [&](int r, int c) {
    return static_cast<double>(z[static_cast<std::size_t>(r) * static_cast<std::size_t>(nx) +
                                 static_cast<std::size_t>(c)]);
  };
  return (1 - ty) * ((1 - tx) * v(j, i) + tx * v(j, i + 1)) +
         ty * ((1 - tx) * v(j + 1, i) + tx * v(j + 1, i + 1));
}

}  // namespace models::noise::propagation
