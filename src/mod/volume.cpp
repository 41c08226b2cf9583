// Volume sources: a point source without plume rise whose plume starts with the initial spreads
// σ_y0 and σ_z0, added in quadrature to the ambient ones (the virtual-source idea; Cimorelli et
// al. 2004, section 5.5). Receptors within 2.15·σ_y0 + 0.99 m of the centre are inside the
// volume and get no value from it.

#include <cmath>

#include "mod/spread.h"

namespace mod {

namespace {

struct VolumeResult {
  double a = 0;   // µg/m³
  double fr = 0;  // meander fraction from the effective values of this calculation
};

[[gnu::flatten]] VolumeResult volumePlume(const HourProfiles& h, const PointSource& s,
                                          const SourceHour& sh, double zr, double X, double y,
                                          bool coherent) {
  LowPlume p(h, s, sh, zr);
  p.reset();
  p.centroid(X);
  if (p.convective()) p.pdf();
  p.heights(X);
  p.effective(X, true);
  if (p.convective()) {
    p.pdf();
    p.heights(X);
  }
  p.volumeSpread(X);
  VolumeResult res;
  const Eff& e = p.convective() ? p.directEff() : p.stableEff();
  res.fr = randomFraction(e.u, e.sv, X);
  const double fy = coherent ? gaussianY(y, p.sigmaY()) : 1.0 / (Consts::twoPi * X);
  if (fy == 0.0) return res;
  const double c = p.concentration(X, fy, s.q);
  res.a = ((s.emissionUnit) * (0.5 * c + 0.5 * c)) * 1.0;
  return res;
}

}  // namespace

double volumeConcentration(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                           const Receptor& r) {
  const double x = -((r.x - s.x) * sh.sinW + (r.y - s.y) * sh.cosW);
  const double y = (r.x - s.x) * sh.cosW - (r.y - s.y) * sh.sinW;
  const double d = std::sqrt(x * x + y * y);
  if (d < 2.15 * s.sy0 + 0.99) return 0.0;
  const double ac = x >= 1.0 ? volumePlume(h, s, sh, r.zflag, x, y, true).a : 0.0;
  const VolumeResult rnd = volumePlume(h, s, sh, r.zflag, d, y, false);
  return rnd.fr * rnd.a + (1.0 - rnd.fr) * ac;
}

}  // namespace mod
