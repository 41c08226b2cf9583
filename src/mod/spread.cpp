#include "mod/spread.h"

#include <algorithm>
#include <cmath>

#include "mod/vertical.h"

namespace mod {

SourceHour setupLowSource(const HourProfiles& h, const PointSource& s) {
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
  if (pdfValid_ && pdfSw_ == d_.sw && pdfZc_ == zc_) return;
  pdf_ = pdfParameters(h_.wstar, d_.sw, zc_, h_.zi, surface_);
  pdfValid_ = true;
  pdfSw_ = d_.sw;
  pdfZc_ = zc_;
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

void LowPlume::sigmaY(double X) {
  sya_ = conv_ ? convectiveSigmaY(X, d_, h_.zi, s_.hs) : stableSigmaY(X, e_, h_.zim, he_);
}

void LowPlume::sigmaZ(double X) {
  if (!conv_) {
    sza_ = stableSigmaZ(h_, X, e_, he_, s_.hs);
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
  if (!point_.valid || point_.lo != z) point_ = {true, z, z, pointValues(h_, z)};
  return point_.value;
}

const Eff& LowPlume::layer(double lo, double hi, bool withGradient) {
  if (!layer_.valid || layer_.lo != lo || layer_.hi != hi)
    layer_ = {true, lo, hi, layerValues(h_, lo, hi, withGradient)};
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

double LowPlume::concentration(double X, double fy, double q) {
  if (!conv_) {
    if (!haveReflection_) {
      reflection_ = reflectionPoint(h_, he_);
      haveReflection_ = true;
    }
    const double zieff = reflectionHeight(h_, reflection_, X, s_.hs, 0.0, s_.sz0);
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
