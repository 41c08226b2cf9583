#include "models/air/point_source_steps.h"

#include <algorithm>
#include <cmath>

namespace models::air {

namespace {

// Circle constants as the method tabulates them.
constexpr double kTwoPi = 6.28318;         // 2 pi of the light-wind formula
constexpr double kTwoPiPlume = 6.2831852;  // 2 pi of the wind-case plume
constexpr double kPiMaximum = 3.1415926;   // pi of the maximum ground concentration
constexpr double kPiExit = 3.14159;        // pi of the exit area
constexpr double kDegToRad = 0.017453292222222222;
constexpr double kCoriolis = 0.0001456;   // 2 Omega, 1/s
constexpr double kMixingWindCap_m_s = 6;  // a 10 m wind above 6 m/s counts as 6 m/s

// Mixing-layer coefficient as by region group (rows) and class A-D; bs for E and F is the same
// for every group.
constexpr double kMixingAs[4][4] = {
    {0.056, 0.029, 0.020, 0.012},
    {0.073, 0.060, 0.041, 0.019},
    {0.090, 0.048, 0.031, 0.022},
    {0.073, 0.067, 0.041, 0.031},
};
constexpr double kMixingBs[2] = {1.66, 0.70};

// Wind-profile exponents p by surface (rural, urban) and class.
constexpr double kProfileP[2][kStabilityClasses] = {
    {0.07, 0.07, 0.10, 0.15, 0.25, 0.25},
    {0.10, 0.15, 0.20, 0.25, 0.30, 0.30},
};

// Light-wind coefficients by class: calm (U10 < 0.5) and light wind rows.
constexpr float kG01[2][kStabilityClasses] = {
    {0.93f, 0.76f, 0.55f, 0.47f, 0.44f, 0.44f},
    {0.76f, 0.56f, 0.35f, 0.27f, 0.24f, 0.24f},
};
constexpr float kG02[2][kStabilityClasses] = {
    {0.15f, 0.47f, 0.21f, 0.12f, 0.07f, 0.05f},
    {1.57f, 0.47f, 0.21f, 0.12f, 0.07f, 0.05f},
};

// Lateral coefficient sets Y1..Y8: (ay, gy) for x <= 1000 m and for x > 1000 m.
struct LateralSet {
  float ay_near, gy_near, ay_far, gy_far;
};
constexpr LateralSet kLateral[8] = {
    {0.901074f, 0.425809f, 0.850934f, 0.602052f},   {0.91437f, 0.281846f, 0.865014f, 0.396353f},
    {0.924279f, 0.177154f, 0.885157f, 0.232123f},   {0.926849f, 0.14394f, 0.88694f, 0.189396f},
    {0.925118f, 0.0985631f, 0.892794f, 0.124308f},  {0.929418f, 0.110726f, 0.888723f, 0.0733348f},
    {0.929418f, 0.0553634f, 0.888723f, 0.0733348f}, {0.920818f, 0.0864001f, 0.896864f, 0.101947f},
};

// Vertical coefficient sets Z1..Z8: up to three distance ranges; a bound belongs to the lower
// range. Unused ranges have an infinite bound.
struct VerticalRange {
  double upto_m;
  float az, gz;
};
constexpr double kInf = HUGE_VAL;
constexpr VerticalRange kVertical[8][3] = {
    {{300, 1.12154f, 0.0799904f}, {500, 1.5236f, 0.00854771f}, {kInf, 2.10881f, 0.000211545f}},
    {{500, 0.964435f, 0.12719f}, {kInf, 1.09356f, 0.0570251f}, {kInf, 1.09356f, 0.0570251f}},
    {{kInf, 0.917595f, 0.106803f}, {kInf, 0.917595f, 0.106803f}, {kInf, 0.917595f, 0.106803f}},
    {{2000, 0.838628f, 0.126152f}, {10000, 0.75641f, 0.235667f}, {kInf, 0.815575f, 0.136659f}},
    {{2000, 0.776864f, 0.111771f}, {10000, 0.572347f, 0.528992f}, {kInf, 0.499149f, 1.0381f}},
    {{1000, 0.826212f, 0.104634f}, {10000, 0.632023f, 0.400167f}, {kInf, 0.55536f, 0.810763f}},
    {{1000, 0.7844f, 0.0620765f}, {10000, 0.525969f, 0.370015f}, {kInf, 0.322659f, 2.40691f}},
    {{1000, 0.7837f, 0.0927529f}, {10000, 0.565188f, 0.433384f}, {kInf, 0.414743f, 1.73241f}},
};

// Coefficient set (0-based Y/Z index) looked up for a class: urban air disperses as the next
// more unstable class for C and D, and has its own sets for E and F.
constexpr int kSetRural[kStabilityClasses] = {0, 1, 2, 3, 4, 6};
constexpr int kSetUrban[kStabilityClasses] = {0, 1, 1, 2, 5, 7};

int clampClass(int stability) { return std::clamp(stability, 0, kStabilityClasses - 1); }

}  // namespace

int regionGroup(int region) {
  if (region >= 0 && region <= 11) return 1;
  if (region == 23 || (region >= 26 && region <= 29)) return 4;
  if (region >= 30 && region <= 32) return 3;
  return 2;  // 12-22, 24, 25
}

double mixingHeight(double u10_m_s, double latitude_deg, int stability, int region) {
  const int cls = clampClass(stability);
  const double u = std::min(u10_m_s, kMixingWindCap_m_s);
  const double f = kCoriolis * std::sin(latitude_deg * kDegToRad);
  if (cls <= 3) return kMixingAs[regionGroup(region) - 1][cls] * u / f;
  return kMixingBs[cls - 4] * std::sqrt(u / f);
}

double exitWindSpeed(double u10_m_s, double stack_height_m, int stability, Surface surface) {
  const double p = kProfileP[static_cast<int>(surface)][clampClass(stability)];
  return u10_m_s * std::pow(stack_height_m / 10, p);
}

double heatEmission(double pressure_kpa, double gas_flow_m3_s, double gas_temp_c,
                    double air_temp_c) {
  return 3.5 * pressure_kpa * gas_flow_m3_s * (gas_temp_c - air_temp_c) / (gas_temp_c + 273);
}

double plumeRise(const PlumeRiseInput& in) {
  const double qh = in.heat_kj_s, u = in.exit_wind_m_s, dz = in.lapse_k_m;
  // Calm and light wind: dH = 5.5 Qh^(1/4) (dT/dz + 0.0098)^(-3/8).
  if (!in.wind) return 5.5 * std::pow(qh, 0.25) * std::pow(dz + 0.0098, -3.0 / 8.0);
  // Stable air (E, F): dH = Qh^(1/3) (dT/dz + 0.0098)^(-1/3) U^(-1/3).
  if (clampClass(in.stability) >= 4)
    return std::pow(qh, 1.0 / 3.0) * std::pow(dz + 0.0098, -1.0 / 3.0) * std::pow(u, -1.0 / 3.0);
  const bool urban = in.surface == Surface::Urban;
  // Small heat release: dH = 2 (1.5 Vs D + 0.01 Qh) / U.
  const double vs = in.gas_flow_m3_s / (kPiExit * (in.diameter_m / 2) * (in.diameter_m / 2));
  const double small = 2 * (1.5 * vs * in.diameter_m + 0.01 * qh) / u;
  if (!(in.delta_t_k >= 35) || qh <= 1700) return small;
  const double k0_low = urban ? 0.292 : 0.332;
  if (qh < 2100) {
    // Between 1700 and 2100 kJ/s the rise is blended linearly from the small-heat formula to
    // the heat-driven one.
    const double lower = small - 0.048 * (qh - 1700) / u;
    const double upper = k0_low * std::pow(qh, 0.6) * std::pow(in.stack_height_m, 0.4) / u;
    return lower + (upper - lower) * (qh - 1700) * 0.0025;
  }
  // Heat-driven rise dH = k0 Qh^k1 Hc^k2 / U with the stack height counted at most 240 m.
  const double hc = std::min(in.stack_height_m, 240.0);
  if (qh < 21000) return k0_low * std::pow(qh, 0.6) * std::pow(hc, 0.4) / u;
  const double k0_high = urban ? 1.303 : 1.427;
  return k0_high * std::pow(qh, 1.0 / 3.0) * std::pow(hc, 2.0 / 3.0) / u;
}

SigmaSet tabulatedSigmas(double x_m, int stability, Surface surface) {
  const int cls = clampClass(stability);
  const int set = surface == Surface::Urban ? kSetUrban[cls] : kSetRural[cls];
  SigmaSet s;
  const LateralSet& y = kLateral[set];
  const bool near = x_m <= 1000;
  s.ay = near ? y.ay_near : y.ay_far;
  s.gy = near ? y.gy_near : y.gy_far;
  for (const VerticalRange& z : kVertical[set]) {
    if (x_m <= z.upto_m || z.upto_m == kInf) {
      s.az = z.az;
      s.gz = z.gz;
      break;
    }
  }
  return s;
}

double samplingCorrected(double g, double sampling_h) {
  const double q = sampling_h < 1 ? 0.2 : 0.3;  // 0.3 also holds from 100 h on
  return g * std::pow(sampling_h / 0.5, q);
}

LightWindSet tabulatedLightWind(double u10_m_s, int stability) {
  const int cls = clampClass(stability);
  const int row = u10_m_s < 0.5 ? 0 : 1;
  return {kG01[row][cls], kG02[row][cls]};
}

double verticalTerm(double he_m, double sigma_z_m, double mixing_m, bool layer_reflections) {
  const double two_sz2 = 2 * sigma_z_m * sigma_z_m;
  if (!layer_reflections) return 2 * std::exp(-he_m * he_m / two_sz2);
  double f = 0;
  for (int k = -8; k <= 8; k += 2) {
    const double below = k * mixing_m - he_m, above = k * mixing_m + he_m;
    f += std::exp(-below * below / two_sz2) + std::exp(-above * above / two_sz2);
  }
  return f;
}

double windConcentration(double q_mg_s, double u_m_s, double y_m, double sigma_y_m,
                         double sigma_z_m, double vertical) {
  return q_mg_s * vertical * std::exp(-y_m * y_m / (2 * sigma_y_m * sigma_y_m)) /
         (kTwoPiPlume * u_m_s * sigma_y_m * sigma_z_m);
}

double normalIntegral(double s) {
  if (!std::isfinite(s)) return s - s;  // NaN: no estimate can converge
  auto f = [](double t) { return std::exp(-t * t / 2); };
  // Trapezoid sums with 1 and 2 intervals; Simpson's rule with n intervals is
  // (4 T(n) - T(n/2)) / 3, so each halving reuses the previous points.
  double trap = s / 2 * (f(0) + f(s));
  double trap2 = trap / 2 + s / 2 * f(s / 2);
  double simpson = (4 * trap2 - trap) / 3;
  trap = trap2;
  long intervals = 2;
  for (int halving = 0; halving < 21; ++halving) {
    const double h = s / static_cast<double>(intervals);
    double mid = 0;
    for (long i = 0; i < intervals; ++i) mid += f((static_cast<double>(i) + 0.5) * h);
    const double refined = trap / 2 + h / 2 * mid;
    const double next = (4 * refined - trap) / 3;
    trap = refined;
    intervals *= 2;
    const bool converged = std::fabs(next - simpson) < 1e-5;
    simpson = next;
    if (converged) break;
  }
  return simpson;
}

double lightWindConcentration(double q_mg_s, double u_m_s, double he_m, double x_m, double y_m,
                              double g01, double g02) {
  const double eta2 = x_m * x_m + y_m * y_m + g01 * g01 * he_m * he_m / (g02 * g02);
  const double s = u_m_s * x_m / (g01 * std::sqrt(eta2));
  const double root2pi = std::sqrt(kTwoPi);
  const double phi = 0.5 + normalIntegral(s) / root2pi;
  const double g =
      std::exp(-u_m_s * u_m_s / (2 * g01 * g01)) * (1 + root2pi * s * std::exp(s * s / 2) * phi);
  return 2 * q_mg_s * g / (std::pow(kTwoPi, 1.5) * g02 * eta2);
}

GroundMaximum groundMaximum(double q_mg_s, double u_m_s, double he_m, const SigmaSet& s) {
  const double ay = s.ay, az = s.az, gy = s.gy, gz = s.gz;
  const double r = ay / az;
  const double p1 = 2 * gy * std::pow(gz, -r) /
                    (std::pow(1 + r, (1 + r) / 2) * std::pow(he_m, 1 - r) * std::exp((1 - r) / 2));
  GroundMaximum m;
  m.cm_mg_m3 = 2 * q_mg_s / (std::exp(1.0) * kPiMaximum * u_m_s * he_m * he_m * p1);
  m.xm_m = std::pow(he_m / gz, 1 / az) * std::pow(1 + r, -1 / (2 * az));
  return m;
}

}  // namespace models::air
