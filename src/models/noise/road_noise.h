// Hourly equivalent A level of road traffic at one prediction point (HJ 2.4-2009 appendix A,
// road traffic noise): per vehicle class i (large, medium, small)
//   Leq,i = Lo,i + 10 lg(Ni / Vi) + 10 lg(7.5 / r) + 10 lg(psi / 180) + dL3 + dLpave,i
//           + dLslope,i - Atot - 16,
// the three classes added by energy, then the background level.
#pragma once

#include <string>

#include "core/binding.h"
#include "core/calculator.h"

namespace models::noise {

enum class VehicleClass { Large = 0, Medium = 1, Small = 2 };
enum class Pavement { Asphalt = 0, Cement = 1 };
// Distance of the point from the nearest intersection of fast-lane centre lines.
enum class IntersectionDistance { UpTo40 = 0, UpTo70 = 1, UpTo100 = 2, Beyond100 = 3 };

struct RoadNoiseInput {
  // Vehicle table: mean speed V (km/h), hourly flow N (veh/h), reference level Lo at 7.5 m.
  float v_kmh[3] = {50, 60, 70};
  float n_per_h[3] = {50, 100, 200};
  float lo_dba[3] = {83.71f, 80.78f, 76.68f};
  float r_m = 20;       // distance from the road (source line)
  float lbg_dba = 55;   // background level
  float f_hz = 500;     // frequency of the barrier and air-absorption formulas
  float t_c = 20;       // air temperature
  float psi_deg = 100;  // angle subtended by the road section
  float beta_pct = 5;   // road gradient
  Pavement pavement = Pavement::Asphalt;
  bool barrier = true;
  float abar_db = 10;  // barrier attenuation
  bool embankment = false;
  float aemb_db = 0;  // embankment or cutting attenuation
  bool houses = false;
  float ahouse_db = 0;  // rural-house attenuation
  bool air = true;
  float alpha_db_km = 2.8f;
  float hr_pct = 70;
  float pa_kpa = 101.325f;
  bool ground = false;
  float hm_m = 2;
  bool intersection = false;
  IntersectionDistance crossing = IntersectionDistance::UpTo40;
  float delta1_m = 0;  // path difference handed back by the path difference calculator
};

struct RoadNoiseResult {
  double slope_db[3] = {0, 0, 0};
  double pave_db[3] = {0, 0, 0};
  double abar_db = 0, aemb_db = 0, ahouse_db = 0, aatm_db = 0, agr_db = 0, dl3_db = 0;
  double leq_class_db[3] = {0, 0, 0};
  double leq_db = 0;  // all traffic
  double lt_db = 0;   // with the background
  std::string text;
};

// Lo from the mean speed: large 22.0 + 36.32 lg V, medium 8.8 + 40.48 lg V,
// small 12.6 + 34.73 lg V.
double referenceLevel(VehicleClass c, double v_kmh);
// Infinite-barrier attenuation of a line source from the path difference delta1:
//   x = 40 f delta / (3 c),  c = 331 sqrt(1 + t / 273);
//   x < 1: 10 lg(3 pi sqrt(1 - x^2) / (4 atan sqrt((1 - x)/(1 + x))));
//   x > 1: 10 lg(3 pi sqrt(x^2 - 1) / (2 ln(x + sqrt(x^2 - 1))));
//   x = 1: the common limit 10 lg(3 pi / 2).
double lineBarrierAttenuation(double delta1_m, double f_hz, double t_c);
// Pavement correction of a class at its speed.
double pavementCorrection(Pavement p, double v_kmh);

// Refuses a negative flow, the speed of a class that runs (N > 0) when not above zero, a road
// with no vehicles at all, a distance not above zero and an angle beyond a straight line.
// A class with N = 0 contributes nothing; its class level is -inf and shows as "无车流".
core::Check checkRoadNoise(const RoadNoiseInput& in);
RoadNoiseResult computeRoadNoise(const RoadNoiseInput& in);

// Keys of the vehicle table fields by class: "VL", "NL", "LoL", "VM", ...
std::string vehicleKey(const char* quantity, VehicleClass c);

const core::CalculatorDesc& roadNoiseDesc();

}  // namespace models::noise
