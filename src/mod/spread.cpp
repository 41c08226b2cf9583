#include "mod/spread.h"

#include <algorithm>
#include <cmath>

#include "mod/vertical.h"

namespace mod {

SourceHour meteorologyAtRelease(const HourProfiles& h, const PointSource& s) {
  SourceHour sh;
  sh.stableBranch = h.stable || s.hs >= h.zi;
  const int k = locate29(s.hs);
  sh.svs = atLevel(h.sigmaV, k, s.hs);
  sh.sws = atLevel(h.sigmaW, k, s.hs);
  sh.us = atLevel(h.u, k, s.hs);
  sh.tgs = atLevel(h.thetaGrad, k, s.hs);
  sh.ths = atLevel(h.theta, k, s.hs);
  sh.sws = std::max(sh.sws, 0.02);
  sh.svs = std::max({sh.svs, 0.2, 0.05 * sh.us});
  sh.us = std::max(sh.us, 0.2828);
  return sh;
}

SourceHour setupLowSource(const HourProfiles& h, const PointSource& s) {
  SourceHour sh = meteorologyAtRelease(h, s);
  const int k = locate29(s.hs);
  sh.hsp = s.hs;
  // Transport direction at the release height, between the same two levels.
  const Column& H = gridHeights();
  const double lo = h.wd[k];
  double hi = h.wd[k + 1];
  if (hi - lo < -180.0)
    hi += 360.0;
  else if (hi - lo > 180.0)
    hi -= 360.0;
  double phi = lo == hi ? lo : interpolate(H[k], H[k + 1], lo, hi, s.hs);
  if (phi > 360.0)
    phi -= 360.0;
  else if (phi <= 0.0)
    phi += 360.0;
  sh.sinW = std::sin(phi * Consts::degToRad);
  sh.cosW = std::cos(phi * Consts::degToRad);
  sh.xm = std::max((h.zi * h.uAvg) / h.sigmaWAvg, 0.0);
  return sh;
}

void LowPlume::reset() {
  e_ = Eff{sh_.us, sh_.svs, sh_.sws, sh_.tgs};
  he_ = s_.hs;
  if (conv_) d_ = Eff{sh_.us, sh_.svs, sh_.sws, 0.0};
}

void LowPlume::centroid(double X) {
  const double xt = std::max(X, 1.0);
  const double zi = h_.zi;
  if (!conv_) {
    zc_ = s_.hs;
  } else if (xt >= sh_.xm) {
    zc_ = 0.5 * zi;
  } else {
    const double hc = std::min(s_.hs + 0.0, zi);
    zc_ = hc + ((xt - 0.0) / (sh_.xm - 0.0)) * (0.5 * zi - hc);
  }
  surface_ = zc_ < 0.1 * zi;
}

void LowPlume::pdf() {
  // The same σ_w at the same height gives the same parameters (the second pass often asks again).
  // Above the surface layer the skewness does not depend on the centroid height, so the height
  // then needs no match.
  if (pdfValid_ && pdfSw_ == d_.sw && pdfSurface_ == surface_ && (!surface_ || pdfZc_ == zc_))
    return;
  pdf_ = pdfParameters(h_.wstar, d_.sw, zc_, h_.zi, surface_);
  pdfValid_ = true;
  pdfSw_ = d_.sw;
  pdfZc_ = zc_;
  pdfSurface_ = surface_;
}

void LowPlume::heights(double X) {
  if (!conv_) {
    he_ = std::max(0.0, s_.hs + 0.0);
    return;
  }
  he_ = 0.0;
  const double ws = h_.wstar;
  hd1_ = (s_.hs + 0.0) + ((pdf_.a1 * ws) * X) / d_.u;
  hd2_ = (s_.hs + 0.0) + ((pdf_.a2 * ws) * X) / d_.u;
}

// The same arithmetic as stableSigmaY and stableSigmaZ, with what does not depend on the distance
// kept while the effective meteorology and the plume height stay the same (an area source's hour
// asks with the same values at every distance when its layer is the hour's near-ground one).
const LowPlume::StableTerms& LowPlume::stableTerms() {
  StableTerms& t = st_;
  if (!t.valid || t.u != e_.u || t.sv != e_.sv || t.sw != e_.sw || t.tg != e_.tg || t.he != he_) {
    t = StableTerms{true, e_.u, e_.sv, e_.sw, e_.tg, he_};
    t.s = std::max(0.05, e_.sv / e_.u);
    const double ty = (h_.zim / (156.0 * e_.sv)) * (std::max(he_, 0.46) / 0.46);
    t.tyu = 2.0 * e_.u * ty;
    const double the = at(h_.theta, he_);
    const double ne = std::max(e_.tg > 0.0 ? std::sqrt(kG * e_.tg / the) : 1e-10, 1e-10);
    const double zt = std::max({s_.hs, he_, 1e-4});
    t.k = h_.urban ? 1.0 / (0.72 * zt) : 1.0 / (0.72 * zt) + ne / (0.54 * e_.sw);
    t.f = std::min(he_ / h_.zi, 1.0);
  }
  return t;
}

double LowPlume::stableY(double X) {
  const StableTerms& t = stableTerms();
  return t.s * X / std::pow(1.0 + X / t.tyu, 0.3);
}

double LowPlume::stableZ(double X) {
  const StableTerms& st = stableTerms();
  const double t = X / e_.u;
  const double sze = e_.sw * t / std::sqrt(1.0 + e_.sw * t * st.k);
  if (!(he_ < h_.zi)) return sze;
  const double szg = surfaceSigmaZ(h_, X, e_.u);
  return (1.0 - st.f) * szg + st.f * sze;
}

void LowPlume::sigmaY(double X) {
  sya_ = conv_ ? convectiveSigmaY(X, d_, h_.zi, s_.hs) : stableY(X);
}

void LowPlume::sigmaZ(double X) {
  if (!conv_) {
    sza_ = stableZ(X);
    return;
  }
  const double zi = h_.zi;
  const double ab = surface_ ? 0.6 + 0.4 * (zc_ / (0.1 * zi)) : 1.0;
  sza1_ = ab * pdf_.b1 * h_.wstar * X / d_.u;
  sza2_ = ab * pdf_.b2 * h_.wstar * X / d_.u;
  double szs = 0.0;
  if (surface_)
    szs = 0.5 * (1.0 - 10.0 * (zc_ / zi)) * (h_.ustar / d_.u) * (h_.ustar / d_.u) *
          (X * X / std::fabs(h_.monin));
  sza1_ = std::sqrt(sza1_ * sza1_ + szs * szs);
  sza2_ = std::sqrt(sza2_ * sza2_ + szs * szs);
}

void LowPlume::totals(double sy0, double sz0) {
  sy_ = std::sqrt(sya_ * sya_ + sy0 * sy0);
  if (!conv_) {
    sz_ = std::sqrt(sza_ * sza_ + sz0 * sz0);
  } else {
    szd1_ = std::sqrt(sza1_ * sza1_ + sz0 * sz0);
    szd2_ = std::sqrt(sza2_ * sza2_ + sz0 * sz0);
  }
}

void LowPlume::volumeSpread(double X) {
  sigmaY(X);
  sigmaZ(X);
  totals(s_.sy0, s_.sz0);
}

double LowPlume::areaSigmaY(double X) {
  sigmaY(X);
  sy_ = sya_;
  return sy_;
}

void LowPlume::areaSpread(double X) {
  sigmaZ(X);
  if (!conv_) {
    sz_ = std::sqrt(sza_ * sza_ + s_.sz0 * s_.sz0);
  } else {
    szd1_ = std::sqrt(sza1_ * sza1_ + s_.sz0 * s_.sz0);
    szd2_ = std::sqrt(sza2_ * sza2_ + s_.sz0 * s_.sz0);
  }
}

const Eff& LowPlume::pointAt(double z) {
  if (!point_.valid || point_.lo != z) {
    // pointValues, with the level search starting from the last height's level.
    const int k = level(z, pointLevel_);
    Eff e{atLevel(h_.u, k, z), atLevel(h_.sigmaV, k, z), atLevel(h_.sigmaW, k, z),
          atLevel(h_.thetaGrad, k, z)};
    floors(e);
    point_ = {true, z, z, e};
  }
  return point_.value;
}

// locate(z), trying first the level found last time: the layer's ends move little from one
// evaluation to the next.
int LowPlume::level(double z, int& last) {
  const Column& H = gridHeights();
  if (last >= 1 && last + 1 < kLevels && H[last] <= z && z < H[last + 1]) return last;
  return last = locate(z);
}

// layerValues with the profiles averaged side by side: the interpolation weights at the layer's
// ends are shared, and the whole levels inside the layer are summed from its lowest level up as
// running sums kept for the next layer with the same lowest level (the same additions in the same
// order, so every average is the same value).
Eff LowPlume::layerAverages(double zLo, double zHi, bool withGradient) {
  const Column& H = gridHeights();
  const HourProfiles& h = h_;
  int ia = level(zLo, loLevel_) + 1, ib = level(zHi, hiLevel_);
  if (zLo < 0.5) {
    zLo = 0.5;
    ia = 2;
  }
  if (zHi < 0.51) {
    zHi = 0.51;
    ib = 2;
  }
  const Column* p[4] = {&h.u, &h.sigmaV, &h.sigmaW, &h.thetaGrad};
  double v[4] = {0, 0, 0, 0};
  const int n = withGradient ? 4 : 3;
  if (ib < ia) {
    const double z = 0.5 * (zLo + zHi);
    const double r = (z - H[ia - 1]) / (H[ia] - H[ia - 1]);
    for (int j = 0; j < n; ++j) v[j] = (*p[j])[ia - 1] + r * ((*p[j])[ia] - (*p[j])[ia - 1]);
  } else {
    RunningSums& rs = sums_;
    if (rs.from != ia) {
      rs.from = rs.to = ia;
      for (int j = 0; j < 4; ++j) rs.s[j][ia] = 0.0;
    }
    if (rs.to < ib) {
      const Column* piece[4] = {&h.uPiece, &h.sigmaVPiece, &h.sigmaWPiece, &h.thetaGradPiece};
      for (int j = 0; j < 4; ++j)
        for (int i = rs.to + 1; i <= ib; ++i) rs.s[j][i] = rs.s[j][i - 1] + (*piece[j])[i];
      rs.to = ib;
    }
    const double rLo = (zLo - H[ia - 1]) / (H[ia] - H[ia - 1]);
    const double rHi = (zHi - H[ib]) / (H[ib + 1] - H[ib]);
    const double wLo = (H[ia] - zLo) * 0.5, wHi = (zHi - H[ib]) * 0.5, depth = zHi - zLo;
    for (int j = 0; j < n; ++j) {
      const Column& c = *p[j];
      double s = rs.s[j][ib];
      const double pLo = c[ia - 1] + rLo * (c[ia] - c[ia - 1]);
      s = s + wLo * (pLo + c[ia]);
      const double pHi = c[ib] + rHi * (c[ib + 1] - c[ib]);
      s = s + wHi * (pHi + c[ib]);
      v[j] = s / depth;
    }
  }
  Eff e{v[0], v[1], v[2], v[3]};
  floors(e);
  return e;
}

const Eff& LowPlume::layer(double lo, double hi, bool withGradient) {
  if (!layer_.valid || layer_.lo != lo || layer_.hi != hi)
    layer_ = {true, lo, hi, layerAverages(lo, hi, withGradient)};
  return layer_.value;
}

void LowPlume::effective(double X, bool volume) {
  const double zi = h_.zi;
  if (!conv_) {
    zc_ = he_;
    // Near the ground the layer is 0 … 5 m whatever the spread: the averages are those of the
    // hour, and the internal spread that would size the layer is not needed.
    if (he_ <= 5.0 && zr_ <= 5.0) {
      if (!low_.valid) low_ = {true, 0.0, 0.0, layerValues(h_, 0.0, std::min(5.0, zi), true)};
      e_ = low_.value;
      return;
    }
    e_ = pointAt(he_);
    volume ? volumeSpread(X) : areaSpread(X);
    double lo, hi;
    if (he_ > zr_) {
      lo = std::max(he_ - kHalfDepth * sz_, zr_);
      hi = he_;
    } else {
      lo = he_;
      hi = std::min(he_ + kHalfDepth * sz_, zr_);
    }
    e_ = layer(lo, hi, true);
    return;
  }
  d_ = pointAt(zc_);
  volume ? volumeSpread(X) : areaSpread(X);
  const double sigma = 0.5 * (szd1_ + szd2_);
  double lo, hi;
  if (zc_ <= 5.0 && zr_ <= 5.0) {
    lo = 0.0;
    hi = std::min(5.0, zi);
  } else if (zc_ > zr_) {
    lo = std::max(zc_ - kHalfDepth * sigma, zr_);
    hi = std::min(zc_, zi);
  } else {
    lo = zc_;
    hi = std::min(std::min(zc_ + kHalfDepth * sigma, zr_), zi);
  }
  d_ = hi > lo ? layer(lo, hi, false) : pointAt(zi);
}

// reflectionHeight for this plume (no buoyant spread), with the point values at h_s and what
// depends only on them worked out once.
double LowPlume::reflectionHeight(double X) {
  const ReflectionPoint& p = reflection_;
  if (!haveReflection_) {
    reflection_ = reflectionPoint(h_, he_);
    const double zt = std::max({s_.hs, p.hp, 1e-4});
    reflectionK_ = 1.0 / (0.72 * zt) + p.nn / (0.54 * p.sw);
    reflectionF_ = std::min(p.hp / h_.zi, 1.0);
    haveReflection_ = true;
  }
  const double szg = surfaceSigmaZ(h_, X, p.u);
  const double t = X / p.u;
  const double sze = p.sw * t / std::sqrt(1.0 + p.sw * t * reflectionK_);
  double sr = sze;
  if (p.hp < h_.zi) sr = (1.0 - reflectionF_) * szg + reflectionF_ * sze;
  const double sh = std::sqrt(0.0 * 0.0 + sr * sr + s_.sz0 * s_.sz0);
  return std::max(h_.zi, p.hp + kHalfDepth * sh);
}

double LowPlume::concentration(double X, double fy, double q) {
  if (!conv_) {
    const double zieff = reflectionHeight(X);
    const double fz = stableVertical(sz_, std::max(0.0, he_ - 0.0), zieff, zr_);
    return (q / e_.u) * (fy * fz);
  }
  const double zi = h_.zi;
  if (zr_ > zi) return 0.0;
  const ConvectivePlume p{hd1_, hd2_, szd1_, szd2_, pdf_.l1, pdf_.l2};
  const double fzd = convectiveVertical(p, 1.0, zi, zr_);
  const double fzn = convectiveVertical(p, -1.0, zi, zr_);
  return (q / d_.u) * (fy * fzd) + (q / d_.u) * (fy * fzn);
}

}  // namespace mod
