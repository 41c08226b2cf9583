#include "mod/profiles.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace mod {

namespace {

// Observations of one quantity at increasing heights; `ok` says which are valid.
struct Obs {
  std::vector<double> z, v;
  std::vector<bool> ok;
};

// The walk from observed levels to the grid. For each grid height it takes the observation there,
// interpolates between the valid observations around it, or extrapolates from the nearest valid
// one; the hooks say how (`exact`, `up`, `inter`, `down`, `fromBelow`, `fallback`).
template <class Hooks>
void walk(Column& out, const Obs& o, const Hooks& k) {
  const Column& H = gridHeights();
  const size_t n = o.z.size();
  size_t p = 0;
  bool haveBelow = false;
  double vb = 0, zb = 0;
  for (int g = 1; g <= kLevels; ++g) {
    bool set = false;
    const double h = H[g];
    while (!set && p < n) {
      if (o.ok[p]) {
        if (std::fabs(o.z[p] - h) <= 0.1) {
          out[g] = k.exact(o.v[p]);
          set = true;
        } else if (h > o.z[p]) {
          if (p + 1 < n) {
            haveBelow = true;
            vb = o.v[p];
            zb = o.z[p];
          } else {
            out[g] = k.up(o.z[p], o.v[p], h);
            set = true;
          }
        } else {
          out[g] = haveBelow ? k.inter(zb, vb, o.z[p], o.v[p], h) : k.down(o.z[p], o.v[p], h);
          set = true;
        }
      } else if (p + 1 == n) {
        out[g] = haveBelow ? k.fromBelow(zb, vb, h) : k.fallback(h);
        set = true;
      }
      if (!set && p + 1 < n) ++p;
    }
  }
}

// Ratio scaling of a theoretical profile `ref` through the observations (wind speed, σ_v, σ_w).
template <class Ref>
struct RatioHooks {
  const Ref& ref;
  double fallbackZ = 0, fallbackV = 0;
  bool scaledFallback = false;
  double exact(double v) const { return v; }
  double up(double zo, double vo, double z) const { return (ref(z) / ref(zo)) * vo; }
  double down(double zo, double vo, double z) const { return up(zo, vo, z); }
  double fromBelow(double zo, double vo, double z) const { return up(zo, vo, z); }
  double inter(double zb, double vb, double za, double va, double z) const {
    const double vi = interpolate(zb, za, vb, va, z);
    const double ri = interpolate(zb, za, ref(zb), ref(za), z);
    return (ref(z) / ri) * vi;
  }
  double fallback(double z) const { return scaledFallback ? up(fallbackZ, fallbackV, z) : ref(z); }
};

double wrapDirection(double d) {
  if (d > 360.0) return d - 360.0;
  if (d <= 0.0) return d + 360.0;
  return d;
}

struct DirectionHooks {
  double wdref;
  double exact(double v) const { return wrapDirection(v); }
  double up(double, double vo, double) const { return wrapDirection(vo); }
  double down(double, double vo, double) const { return wrapDirection(vo); }
  double fromBelow(double, double vo, double) const { return wrapDirection(vo); }
  double inter(double zb, double vb, double za, double va, double z) const {
    if (va - vb < -180.0)
      va += 360.0;
    else if (va - vb > 180.0)
      va -= 360.0;
    return wrapDirection(interpolate(zb, za, vb, va, z));
  }
  double fallback(double) const { return wdref; }
};

// Similarity wind speed at z (Monin–Obukhov profile with the Businger–Dyer/ van Ulden–Holtslag
// stability functions).
struct WindProfile {
  double ustar, L, z0, zi, zref, uref;
  double sim(double z) const {
    if (L < 0.0) {
      auto psi = [](double x) {
        return 2.0 * std::log((1.0 + x) / 2.0) + std::log((1.0 + x * x) / 2.0) -
               2.0 * std::atan(x) + Consts::pi / 2.0;
      };
      const double x = std::pow(1.0 - 16.0 * z / L, 0.25);
      const double x0 = std::pow(1.0 - 16.0 * z0 / L, 0.25);
      return (ustar / kKarman) * (std::log(z / z0) - psi(x) + psi(x0));
    }
    auto psi = [this](double zz) { return -17.0 * (1.0 - std::exp(-0.29 * zz / L)); };
    return (ustar / kKarman) * (std::log(z / z0) - psi(z) + psi(z0));
  }
  // Below 7·z₀ and above z_i the similarity profile is held or scaled, depending on where the
  // reference wind was measured.
  double operator()(double z) const {
    const double zl = 7.0 * z0;
    if (zref > zl && zref <= zi) {
      if (z <= zl) return sim(zl) * (z / zl);
      return z <= zi ? sim(z) : sim(zi);
    }
    if (zref > zi) {
      // Held at u(7·z₀) below 7·z₀; at 7·z₀ itself both sides give that same value.
      if (z < zl) return sim(zl);
      return z <= zi ? sim(z) : uref;
    }
    if (z <= zl) return (uref * (z / zl)) / (zref / zl);
    return z <= zi ? sim(z) : sim(zi);
  }
};

// Theoretical σ_v: mechanical part decreasing to z_im, convective part constant to z_ic.
struct SigmaVProfile {
  bool stable;
  double ustar, wstar, zim, zic;
  double operator()(double z) const {
    const double s0 = 3.6 * (ustar * ustar);
    const double si = std::min(s0, 0.25);
    const double svm = z <= zim ? std::sqrt(interpolate(0.0, zim, s0, si, z)) : std::sqrt(si);
    if (stable) return svm;
    const double c = 0.35 * (wstar * wstar);
    double svc;
    if (z <= zic)
      svc = std::sqrt(c);
    else if (z <= 1.2 * zic)
      svc = std::sqrt(interpolate(zic, 1.2 * zic, c, std::min(c, 0.25), z));
    else
      svc = std::min(std::sqrt(c), 0.5);
    return std::sqrt(svc * svc + svm * svm);
  }
};

// Theoretical σ_w: residual turbulence σ_wr aloft, surface shear 1.3·u* below z_i, convective
// part from w*.
struct SigmaWProfile {
  bool stable;
  double ustar, wstar, zi, zic, swr;
  double operator()(double z) const {
    const double a = swr * std::min(1.0, z / zi);
    const double b = z < zi ? 1.3 * ustar * std::sqrt(1.0 - z / zi) : 0.0;
    const double swm = std::sqrt(a * a + b * b);
    if (stable) return std::max(swm, 1e-4);
    double swc;
    if (z <= 0.1 * zic) {
      swc = std::sqrt((1.6 * std::pow(z / zic, 2.0 * kThird)) * (wstar * wstar));
    } else if (z <= zic) {
      swc = std::sqrt(0.35 * (wstar * wstar));
    } else {
      swc = std::sqrt((0.35 * (wstar * wstar)) * expFloor(-6.0 * (z - zic) / zic));
    }
    const double c = std::max(swc, 1e-4), m = std::max(swm, 1e-4);
    return std::sqrt(c * c + m * m);
  }
};

// Stable potential temperature gradient: similarity form to 100 m, e-folding decay above.
struct ThetaGradProfile {
  bool adjU;
  double thetaStar, L, zi, g2, g100;
  double similarity(double z) const {
    return adjU ? (thetaStar / (kKarman * z)) * (0.74 + 4.7 * z / L)
                : (thetaStar / (kKarman * z)) * (1.0 + 5.0 * z / L);
  }
  double operator()(double z) const {
    double v;
    if (z <= 2.0)
      v = g2;
    else if (z <= 100.0)
      v = similarity(z);
    else
      v = g100 * expFloor(-(z - 100.0) / (0.44 * std::max(100.0, zi)));
    return std::max(v, 0.002);
  }
};

struct ThetaGradHooks {
  const ThetaGradProfile& ref;
  double exact(double v) const { return v; }
  double up(double zo, double vo, double z) const {
    const double rzo = ref(zo);
    const double r = std::fabs(rzo) < 0.0001 ? 1.0 : ref(z) / rzo;
    if (zo <= 100.0) return r * vo;
    return vo * std::exp(-(z - zo) / (0.44 * std::max(100.0, ref.zi)));
  }
  double fromBelow(double zo, double vo, double z) const { return up(zo, vo, z); }
  double down(double, double, double z) const { return z < 2.0 ? ref.g2 : ref.similarity(z); }
  double inter(double zb, double vb, double za, double va, double z) const {
    const double rb = ref(zb), ra = ref(za);
    const double vi = interpolate(zb, za, vb, va, z);
    if (std::fabs(ra - rb) > 0.0001) return (ref(z) / interpolate(zb, za, rb, ra, z)) * vi;
    return vi;
  }
  double fallback(double z) const { return ref(z); }
};

// Gradients between consecutive levels with a valid temperature, at the mid-heights.
Obs observedGradients(const MetHour& hour, bool stable) {
  Obs g;
  const ProfileLevel* below = nullptr;
  for (const ProfileLevel& l : hour.levels) {
    if (l.temp < 0.0) continue;
    if (below) {
      double v = (l.temp - below->temp) / (l.z - below->z) + kGOverCp;
      if (stable) v = std::max(0.002, v);
      g.z.push_back((l.z + below->z) / 2.0);
      g.v.push_back(v);
      g.ok.push_back(true);
    }
    below = &l;
  }
  if (g.z.empty()) {
    g.z.push_back(-99.0);
    g.v.push_back(-99.0);
    g.ok.push_back(false);
  }
  return g;
}

Obs levelObs(const MetHour& hour, double ProfileLevel::*field) {
  Obs o;
  for (const ProfileLevel& l : hour.levels) {
    o.z.push_back(l.z);
    o.v.push_back(l.*field);
    o.ok.push_back(l.*field >= 0.0);
  }
  return o;
}

// Average of a profile over 0 … z_i by the trapezoid rule.
double columnAverage(const Column& p, double atZi, int iZi, double zi) {
  const Column& H = gridHeights();
  double s = 0.0;
  for (int i = 2; i <= iZi; ++i) s = s + (H[i] - H[i - 1]) * 0.5 * (p[i] + p[i - 1]);
  s = s + (zi - H[iZi]) * 0.5 * (atZi + p[iZi]);
  return s / zi;
}

bool isMissing(const SurfaceRecord& s) {
  const double L = s.monin;
  return s.uref >= 90.0 || s.uref < 0.0 || s.wdref > 900.0 || s.wdref <= -9.0 || s.temp > 900.0 ||
         s.temp <= 0.0 || L < -99990.0 || (L < 0.0 && (s.zic > 90000.0 || s.zic < 0.0)) ||
         s.zim > 90000.0 || s.zim < 0.0 || s.ustar < 0.0 || s.ustar >= 9.0 ||
         (s.wstar < 0.0 && L > -99990.0 && L < 0.0);
}

double mixingLimits(double z) {
  if (z >= 0.0 && z < 1.0) return 1.0;
  return z > 4000.0 ? 4000.0 : z;
}

void gridProfiles(HourProfiles& h, const MetHour& hour, bool adjU, double zBase);

}  // namespace

HourProfiles prepareHour(const MetHour& hour, bool adjustedUstar, double zBase) {
  HourProfiles h;
  const SurfaceRecord& s = hour.sfc;
  if (s.uref == 0.0) {
    h.status = HourStatus::Calm;
    return h;
  }
  if (isMissing(s)) {
    h.status = HourStatus::Missing;
    return h;
  }
  h.ustar = s.ustar;
  h.wstar = s.wstar == 0.0 ? 0.001 : s.wstar;
  h.monin = s.monin;
  if (std::fabs(h.monin) < 1.0) {
    if (h.monin == 0.0)
      h.monin = s.heatFlux < 0.0 ? 1.0 : -1.0;
    else
      h.monin = h.monin > 0.0 ? 1.0 : -1.0;
  }
  h.thetaGradAbove = s.thetaGradAbove;
  if (h.monin < 0.0 && s.zic > 0.0 && h.thetaGradAbove < 0.005) h.thetaGradAbove = 0.005;
  h.z0 = std::max(s.z0, 0.0001);
  h.zic = mixingLimits(s.zic);
  h.zim = mixingLimits(s.zim);
  h.stable = h.monin > 0.0;
  h.zi = h.stable ? h.zim : std::max(h.zic, h.zim);
  if (h.zi >= 0.0 && h.zi < 1.0) h.zi = 1.0;
  if (!(h.zi > 0.0)) {
    h.status = HourStatus::Missing;
    return h;
  }
  h.status = HourStatus::Computed;
  gridProfiles(h, hour, adjustedUstar, zBase);
  return h;
}

namespace {

void gridProfiles(HourProfiles& h, const MetHour& hour, bool adjU, double zBase) {
  const SurfaceRecord& s = hour.sfc;
  const Column& H = gridHeights();
  const double wdref = s.wdref == 0.0 ? 360.0 : s.wdref;
  h.iZi = locate(h.zi);

  // θ* and the two constants of the stable gradient profile.
  const Obs grads = observedGradients(hour, h.stable);
  ThetaGradProfile tg{adjU, 0.0, h.monin, h.zi, 0.0, 0.0};
  if (h.stable) {
    bool found = false;
    for (size_t i = 0; i < grads.z.size(); ++i) {
      if (grads.ok[i] && grads.z[i] > h.z0) {
        if (grads.z[i] <= 100.0) {
          found = true;
          const double z = grads.z[i];
          h.thetaStar = grads.v[i] * kKarman * z / (1.0 + 5.0 * z / h.monin);
        }
        break;
      }
    }
    if (!found) h.thetaStar = (h.ustar * h.ustar) / (((kG * kKarman) * h.monin) / s.temp);
    if (adjU && !found) h.thetaStar = 0.08;
    tg.thetaStar = h.thetaStar;
    tg.g2 = tg.similarity(2.0);
    tg.g100 = tg.similarity(100.0);
  }

  // Wind speed.
  const WindProfile wp{h.ustar, h.monin, h.z0, h.zi, s.zref, s.uref};
  RatioHooks<WindProfile> uh{wp, s.zref, s.uref, true};
  walk(h.u, levelObs(hour, &ProfileLevel::ws), uh);
  for (int i = 1; i <= kLevels; ++i) h.u[i] = std::max(h.u[i], 0.01);

  // Wind direction.
  Obs wdObs = levelObs(hour, &ProfileLevel::wd);
  for (double& d : wdObs.v)
    if (d == 0.0) d = 360.0;
  walk(h.wd, wdObs, DirectionHooks{wdref});

  // Potential temperature gradient.
  if (h.stable) {
    walk(h.thetaGrad, grads, ThetaGradHooks{tg});
    for (int i = 1; i <= kLevels; ++i) h.thetaGrad[i] = std::max(h.thetaGrad[i], 0.002);
  } else {
    for (int i = 1; i <= kLevels; ++i) {
      const double z = H[i];
      double v = z <= h.zi ? 0.0 : (z <= h.zi + 500.0 ? h.thetaGradAbove : 0.005);
      if (z > h.zi) v = std::max(v, 0.002);
      h.thetaGrad[i] = v;
    }
  }

  // Potential temperature by the trapezoid rule from the temperature height.
  potentialTemperature(h.theta, h.thetaGrad, s.temp, s.ztemp, zBase);
  h.uZi = atLevel(h.u, h.iZi, h.zi);
  h.thetaZi = atLevel(h.theta, h.iZi, h.zi);

  // σ_v.
  const SigmaVProfile sv{h.stable, h.ustar, h.wstar, h.zim, h.zic};
  walk(h.sigmaV, levelObs(hour, &ProfileLevel::sigmaV), RatioHooks<SigmaVProfile>{sv});

  // σ_w, scaled aloft by the observed residual turbulence above z_i.
  double sum = 0.0;
  int count = 0;
  for (const ProfileLevel& l : hour.levels)
    if (l.z >= h.zi && l.sigmaW >= 0.0) {
      sum += l.sigmaW;
      ++count;
    }
  const double swr = count > 0 ? sum / count : 0.02 * h.uZi;
  const SigmaWProfile sw{h.stable, h.ustar, h.wstar, h.zi, h.zic, swr};
  walk(h.sigmaW, levelObs(hour, &ProfileLevel::sigmaW), RatioHooks<SigmaWProfile>{sw});

  h.sigmaVZi = atLevel(h.sigmaV, h.iZi, h.zi);
  h.sigmaWZi = atLevel(h.sigmaW, h.iZi, h.zi);
  h.sigmaVAvg = columnAverage(h.sigmaV, h.sigmaVZi, h.iZi, h.zi);
  h.sigmaWAvg = columnAverage(h.sigmaW, h.sigmaWZi, h.iZi, h.zi);
  h.uAvg = columnAverage(h.u, h.uZi, h.iZi, h.zi);
  trapezoidPieces(h);
}

}  // namespace

void trapezoidPieces(HourProfiles& h) {
  const Column& H = gridHeights();
  const std::pair<const Column*, Column*> pairs[] = {{&h.u, &h.uPiece},
                                                     {&h.sigmaV, &h.sigmaVPiece},
                                                     {&h.sigmaW, &h.sigmaWPiece},
                                                     {&h.thetaGrad, &h.thetaGradPiece}};
  for (const auto& [p, piece] : pairs)
    for (int i = 2; i <= kLevels; ++i)
      (*piece)[i] = (H[i] - H[i - 1]) * 0.5 * ((*p)[i] + (*p)[i - 1]);
}

void potentialTemperature(Column& th, const Column& tgc, double temp, double zTemp, double zBase) {
  const Column& H = gridHeights();
  const int iT = locate(zTemp);
  const double thetaRef = temp + kGOverCp * (zTemp + zBase);
  th[iT] = thetaRef - 0.5 * (tgc[iT + 1] + tgc[iT]) * (zTemp - H[iT]);
  for (int l = iT - 1; l >= 1; --l)
    th[l] = th[l + 1] - 0.5 * (tgc[l + 1] + tgc[l]) * (H[l + 1] - H[l]);
  for (int l = iT + 1; l <= kLevels; ++l)
    th[l] = th[l - 1] + 0.5 * (tgc[l] + tgc[l - 1]) * (H[l] - H[l - 1]);
}

}  // namespace mod
