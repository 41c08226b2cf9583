// Analytical solutions for a solute leaking into an aquifer under uniform one-dimensional flow,
// as HJ 610-2016《环境影响评价技术导则 地下水环境》informative Appendix D offers them for
// prediction without a numerical model. Lengths in m, time in d, masses in kg, concentrations in
// mg/L (the increment over background): the formulas give kg/m³ = g/L and are multiplied by 1000.
//
//   1-D instantaneous (Bear 1972):
//     C = m / (2 w n sqrt(pi DL t)) exp(-(x - u t)^2 / (4 DL t))
//   1-D, constant C0 at x = 0 (Ogata & Banks 1961, both terms):
//     C / C0 = 1/2 erfc((x - u t) / (2 sqrt(DL t))) + 1/2 exp(u x / DL) erfc((x + u t) / (2 sqrt(DL
//     t)))
//   2-D instantaneous point over the full thickness (Bear 1972), mM = m / M:
//     C = mM / (4 pi n t sqrt(DL DT)) exp(-[(x - u t)^2 / (4 DL t) + y^2 / (4 DT t)])
//   2-D continuous point (Wilson & Miller 1978; Hunt 1978 for the leaky well function):
//     C = mt / (4 pi M n sqrt(DL DT)) exp(x u / (2 DL)) [2 K0(beta) - W(u^2 t / (4 DL), beta)]
//     beta = sqrt(u^2 x^2 / (4 DL^2) + u^2 y^2 / (4 DL DT))
// u is the seepage (average linear) velocity, K I / n.
#pragma once

#include <optional>
#include <vector>

namespace models::groundwater {

enum class GwSolution { Instant1D, Continuous1D, Instant2D, Continuous2D };

inline bool isTwoD(GwSolution s) {
  return s == GwSolution::Instant2D || s == GwSolution::Continuous2D;
}

// The aquifer and the source; each solution reads the members it needs.
struct GwSite {
  double m_kg = 5;       // m, mass released at once
  double w_m2 = 10;      // w, cross-section of the 1-D column
  double n = 0.25;       // n, effective porosity
  double u_m_d = 0.2;    // u, seepage velocity
  double dl_m2_d = 2;    // DL, longitudinal dispersion coefficient
  double dt_m2_d = 0.2;  // DT, transverse dispersion coefficient
  double M_m = 10;       // M, aquifer thickness
  double c0_mg_l = 100;  // C0, concentration held at x = 0
  double mt_kg_d = 0.1;  // mt, mass released per day
};

// C(x, y, t) in mg/L (1-D continuous: the unit of C0); y is ignored by the 1-D solutions.
// Finite and not negative for checked input, except at the source point of the 2-D continuous
// solution, where it is +infinity.
double gwConcentration(GwSolution s, const GwSite& p, double x_m, double y_m, double t_d);

// The region where C >= level at time t (a reached level; nullopt when the level is reached
// nowhere). Distances from roots, not from a scan.
struct GwExtent {
  double x_from_m = 0;       // farthest upstream point (0 for the 1-D continuous solution)
  double x_to_m = 0;         // farthest downstream point
  double y_half_max_m = 0;   // 2-D: largest half width
  double x_at_y_half_m = 0;  // 2-D: where the half width is largest
  double area_m2 = 0;        // 2-D: area
};
std::optional<GwExtent> gwExtent(GwSolution s, const GwSite& p, double t_d, double level_mg_l);

// The peak at time t and where it lies (1-D and 2-D instantaneous: x = u t; 1-D continuous: C0
// at x = 0). Not defined for the 2-D continuous solution (infinite at the source).
struct GwPeak {
  double c_mg_l = 0;
  double x_m = 0;
};
std::optional<GwPeak> gwPeak(GwSolution s, const GwSite& p, double t_d);

// Special functions, exposed for their tests.
// erfcx(x) = exp(x^2) erfc(x) for x >= 0, in (0, 1].
double erfcx(double x);
// W(a, b) = integral from a to infinity of exp(-z - b^2 / (4 z)) / z dz (Hantush-Jacob leaky
// well function), a > 0, b >= 0.
double hantushW(double a, double b);
// exp(xi) [2 K0(beta) - W(T, beta)], evaluated as one integral without cancellation or overflow.
double wilsonMillerBracket(double xi, double beta, double T);

// Curves for the page: C against x at each time, and C against t at one point.
struct GwCurves {
  std::vector<double> x_m;                  // distances of the C-x curves
  std::vector<std::vector<double>> c_by_t;  // one curve per time (NaN where not defined)
  std::vector<double> t_d;                  // times of the C-t curve
  std::vector<double> c_at_point;
};
GwCurves gwCurves(GwSolution s, const GwSite& p, const std::vector<double>& xs,
                  const std::vector<double>& ts, double x_m, double y_m);

// A concentration grid at time t over the plume: nx × ny values row by row, y rising.
struct GwGrid {
  int nx = 0, ny = 0;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  std::vector<double> z;
};
GwGrid gwGrid(GwSolution s, const GwSite& p, double t_d, double level_mg_l);

}  // namespace models::groundwater
