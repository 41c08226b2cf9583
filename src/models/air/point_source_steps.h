// The named steps of the Gaussian point-source model: mixing-layer height, wind speed at the
// stack exit, Briggs-type plume rise, dispersion coefficients with their sampling-time
// correction, light-wind coefficients, the concentration formulas of the two wind regimes and
// the maximum ground concentration. Each step is a pure function of its arguments.
#pragma once

namespace models::air {

// Stability classes A..F are the indices 0..5.
inline constexpr int kStabilityClasses = 6;

// Surface types of the wind-profile and dispersion tables.
enum class Surface { Rural = 0, Urban = 1 };

// Mixing-layer height h (m) from the 10 m wind speed, latitude and region:
// f = 0.0001456 sin(phi);  h = as U / f (classes A-D),  h = bs sqrt(U / f) (E, F),
// with U the 10 m wind speed counted at most 6 m/s.
double mixingHeight(double u10_m_s, double latitude_deg, int stability, int region);

// Region group (1..4) of a region index of the region list.
int regionGroup(int region);

// Wind speed at the stack exit: U = U10 (H / 10)^p, p by surface and class.
double exitWindSpeed(double u10_m_s, double stack_height_m, int stability, Surface surface);

// Heat emission rate Qh = 3.5 Pa Qv dT / (Ts + 273), kJ/s (Pa in kPa, temperatures in deg C).
double heatEmission(double pressure_kpa, double gas_flow_m3_s, double gas_temp_c,
                    double air_temp_c);

struct PlumeRiseInput {
  double stack_height_m = 0;  // H
  bool wind = true;           // U10 >= 1.5 m/s
  double exit_wind_m_s = 0;   // U at the stack exit
  double gas_flow_m3_s = 0;   // Qv
  double diameter_m = 0;      // D
  double delta_t_k = 0;       // Ts - Ta
  double heat_kj_s = 0;       // Qh
  double lapse_k_m = 0;       // dT/dz above the stack
  int stability = 0;
  Surface surface = Surface::Rural;
};

// Plume rise dH (m): the heat-driven formulas for neutral and unstable air in wind, the
// stable-air formula for classes E and F, and the calm formula below 1.5 m/s.
double plumeRise(const PlumeRiseInput& in);

// Power-law dispersion coefficients sigma_y = gy x^ay, sigma_z = gz x^az (single precision, as
// the page holds them).
struct SigmaSet {
  float ay = 0, az = 0, gy = 0, gz = 0;
  bool operator==(const SigmaSet&) const = default;
};

// Tabulated coefficients (0.5 h sampling time) for downwind distance x, class and surface.
SigmaSet tabulatedSigmas(double x_m, int stability, Surface surface);

// Sampling-time correction of a lateral coefficient: g (t / 0.5)^q, q = 0.2 below 1 h and 0.3
// from 1 h on. The caller has refused t < 0.5 h.
double samplingCorrected(double g, double sampling_h);

// Light-wind coefficients gamma01 (lateral) and gamma02 (vertical) by class: the calm row
// below 0.5 m/s, the light-wind row from 0.5 m/s on.
struct LightWindSet {
  float g01 = 0, g02 = 0;
};
LightWindSet tabulatedLightWind(double u10_m_s, int stability);

// Vertical term of the wind-case plume: the ground reflection only (2 exp(-He^2 / 2 sz^2)), or
// with reflections at the top of the mixing layer as well (nine images k = -8, -6, ..., 8).
double verticalTerm(double he_m, double sigma_z_m, double mixing_m, bool layer_reflections);

// Wind-case concentration, mg/m3: C = Q F exp(-y^2 / 2 sy^2) / (2 pi U sy sz).
double windConcentration(double q_mg_s, double u_m_s, double y_m, double sigma_y_m,
                         double sigma_z_m, double vertical);

// I(s) = integral from 0 to s of exp(-t^2/2) dt by Simpson's rule with interval halving,
// starting from 2 sub-intervals, until two estimates differ by less than 1e-5 (at most 21
// halvings).
double normalIntegral(double s);

// Calm and light-wind concentration, mg/m3 (puff integral):
// eta^2 = x^2 + y^2 + g01^2 He^2 / g02^2,  s = U x / (g01 eta),
// G(s) = exp(-U^2 / 2 g01^2) (1 + sqrt(2 pi) s exp(s^2/2) Phi(s)),
// C = 2 Q G(s) / ((2 pi)^1.5 g02 eta^2).
double lightWindConcentration(double q_mg_s, double u_m_s, double he_m, double x_m, double y_m,
                              double g01, double g02);

// Maximum ground concentration of the plume and its distance for one coefficient set:
// r = ay / az, P1 = 2 gy gz^-r / ((1 + r)^((1 + r)/2) He^(1 - r) e^((1 - r)/2)),
// cm = 2 Q / (e pi U He^2 P1), Xm = (He / gz)^(1/az) (1 + r)^(-1/(2 az)).
struct GroundMaximum {
  double cm_mg_m3 = 0;
  double xm_m = 0;
};
GroundMaximum groundMaximum(double q_mg_s, double u_m_s, double he_m, const SigmaSet& s);

}  // namespace models::air
