// The working state of a volume or area source's plume at one receptor: effective meteorology,
// centroid height, PDF, plume heights and dispersion coefficients with the initial spreads added
// in quadrature (Cimorelli et al. 2004, sections 5.1–5.5 without plume rise). The steps read and
// write the state in the model's order; an area source carries it from one evaluation of its
// integrand to the next, which is part of the result.
#pragma once

#include "mod/plume.h"
#include "mod/plume_parts.h"

namespace mod {

// The meteorology every source kind starts from: σv, σw, u, dθ/dz and θ at the release height,
// interpolated between the grid levels around it, with their floors, and the stable or convective
// branch.
SourceHour meteorologyAtRelease(const HourProfiles& h, const PointSource& s);

// Section-4 values of a volume or area source: meteorology and transport direction at the release
// height, no plume rise.
SourceHour setupLowSource(const HourProfiles& h, const PointSource& s);

class LowPlume {
 public:
  LowPlume(const HourProfiles& h, const PointSource& s, const SourceHour& sh, double zr)
      : h_(h), s_(s), sh_(sh), zr_(zr), conv_(!sh.stableBranch) {}

  bool convective() const { return conv_; }
  // Effective values back to the release-height values.
  void reset();
  // Height of the plume centroid: the release height, in the convective layer approaching
  // mid-layer linearly up to the distance of full mixing.
  void centroid(double X);
  // PDF parameters from the current σ_w of the direct plume (convective branch only).
  void pdf();
  // Plume heights: the release height, in the convective layer the updraft and downdraft heights.
  void heights(double X);
  // The effective (layer-averaged) meteorology; the internal spread that sizes the layer is the
  // volume's (`volume`) or the area's.
  void effective(double X, bool volume);
  // Volume source: σ_y, σ_z with σ_y0, σ_z0 added.
  void volumeSpread(double X);
  // Area source: lateral σ_y without an initial spread, and σ_z with σ_z0 added.
  double areaSigmaY(double X);
  void areaSpread(double X);
  // The flat-terrain concentration of the plume with lateral term `fy` and numerator `q`.
  double concentration(double X, double fy, double q);

  const Eff& stableEff() const { return e_; }
  const Eff& directEff() const { return d_; }
  double sigmaY() const { return sy_; }

 private:
  void sigmaY(double X);
  void sigmaZ(double X);
  void totals(double sy0, double sz0);

  // Profile values at z and averages over [lo, hi], remembered for the next call with the same
  // arguments (the plume often asks again at the same height or for the same layer).
  const Eff& pointAt(double z);
  const Eff& layer(double lo, double hi, bool withGradient);
  Eff layerAverages(double lo, double hi, bool withGradient);
  int level(double z, int& last);
  // Stable branch: σ_y and σ_z of the ambient plume, with the terms that depend only on the
  // effective meteorology and the plume height worked out once for each new set of them.
  struct StableTerms;
  const StableTerms& stableTerms();
  double stableY(double X);
  double stableZ(double X);
  double reflectionHeight(double X);

  const HourProfiles& h_;
  const PointSource& s_;
  const SourceHour& sh_;
  const double zr_;
  const bool conv_;
  struct Memo {
    bool valid = false;
    double lo = 0, hi = 0;
    Eff value;
  };
  Memo point_, layer_, low_;
  // Sums of the trapezoid pieces of u, σ_v, σ_w and dθ/dz from level `from` + 1 up to each level
  // through `to`, in that order.
  struct RunningSums {
    int from = -1, to = -1;
    double s[4][kLevels + 1];
  };
  RunningSums sums_;
  int loLevel_ = 0, hiLevel_ = 0, pointLevel_ = 0;  // levels of the last heights looked up
  ReflectionPoint reflection_;  // stable branch: point values at the plume height h_s
  bool haveReflection_ = false;
  double reflectionK_ = 0, reflectionF_ = 0;  // σ_ze's term and h_p/z_i at reflection_
  struct StableTerms {
    bool valid = false;
    double u = 0, sv = 0, sw = 0, tg = 0, he = 0;  // what the terms were worked out from
    double s = 0, tyu = 0;                         // σ_v/u (floored) and 2·u·T_y
    double k = 0, f = 0;                           // σ_ze's 1/(0.72·z_t) + N/(0.54·σ_w); he/z_i
  };
  StableTerms st_;
  Eff e_, d_;  // stable branch; direct (and indirect) convective plume
  double zc_ = 0;
  bool surface_ = false;
  Pdf pdf_;
  bool pdfValid_ = false, pdfSurface_ = false;
  double pdfSw_ = 0, pdfZc_ = 0;  // what pdf_ was computed from
  double he_ = 0, hd1_ = 0, hd2_ = 0;
  double sya_ = 0, sza_ = 0, sza1_ = 0, sza2_ = 0;
  double sy_ = 0, sz_ = 0, szd1_ = 0, szd2_ = 0;
};

// Hourly concentration of a volume source at a receptor, µg/m³.
double volumeConcentration(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                           const Receptor& r);
// Hourly concentration of an area-family source at a receptor, µg/m³.
double areaConcentration(const HourProfiles& h, const PointSource& s, const SourceHour& sh,
                         const Receptor& r);

}  // namespace mod
