// Hourly equivalent level of highway traffic at one point, JTG B03-2006 (公路建设项目环境影响
// 评价规范, appendix on traffic noise):
//   LAeq,i = L0,i + 10 lg(Ni / vi) + dL_distance,i + dL_embankment + dL_trees + dL_buildings
//            + dL_ground - 16
//   Ltraffic = 10 lg(sum 10^(0.1 LAeq,i)) + 10 lg(theta / 180)
// with reference levels at 7.5 m L0,L = 22.0 + 36.32 lg vL, L0,M = 8.8 + 40.48 lg vM,
// L0,S = 12.6 + 34.73 lg vS, and the equivalent lane distance req = sqrt(r1 r2).
// Class speeds from the volume and mix: vi = k2 + k1 ui + 1 / (k3 ui + k4),
// ui = vol (etai + mi (1 - etai)).
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::noise {

enum class HighwayGradient { UpTo3 = 0, From4To5 = 1, From6To7 = 2, Above7 = 3 };
enum class HighwayPavement { Asphalt = 0, Concrete = 1 };

struct HighwayInput {
  float v_large_km_h = 65, v_medium_km_h = 70, v_small_km_h = 75;  // vL, vM, vS
  float n_large_h = 300, n_medium_h = 400, n_small_h = 600;        // NL, NM, NS, veh/h
  float lanes = 4;                                                 // n
  float lane_width_m = 15;                                         // W
  HighwayGradient gradient = HighwayGradient::UpTo3;
  HighwayPavement pavement = HighwayPavement::Asphalt;
  float edge_m = 8;       // A, source to the road edge on the receiver's side
  float lbg_db = 55;      // background level
  float h2_m = 3.8f;      // H2, source above the ground
  float h3_m = 0.8f;      // H3, source above the road surface
  float ground_db = 3;    // ground absorption
  float f_hz = 500;       // f
  float building_db = 3;  // building attenuation
  float trees_m = 0;      // b, width of tree belt crossed
  float theta_deg = 150;  // angle of view of the road
  float h1_m = 1.2f;      // H1, receiver above the ground
  float r_m = 30;         // r, straight receiver-to-source distance
};

// Every intermediate term of a prediction, for the detail text.
struct HighwayResult {
  double gradient_db = 0, pavement_db = 0;
  double l0[3] = {0, 0, 0};  // large, medium, small
  double r1_m = 0, r2_m = 0, req_m = 0;
  double distance_db[3] = {0, 0, 0};
  double embankment_db = 0, trees_db = 0, building_db = 0, angle_db = 0, ground_db = 0;
  double laeq[3] = {0, 0, 0};
  double traffic_db = 0;  // Ltraffic
  double env_db = 0;      // Lenv, with the background
};

double highwayGradientCorrection(HighwayGradient g);
double highwayPavementCorrection(HighwayPavement p);

// The four checks in their order (the last needs the lane geometry).
core::Check checkHighway(const HighwayInput& in);
HighwayResult computeHighway(const HighwayInput& in);

// The detail dialog's text (zeros before the first computation).
std::string highwayDetailText(const HighwayResult& r);

struct VehicleSpeedInput {
  float eta_large = 0.25f;   // eta1
  float eta_medium = 0.25f;  // eta2
  float eta_small = 0.5f;    // eta3
  float design_km_h = 120;   // design speed
  float volume_h = 900;      // vol, total volume per lane, veh/h
};

struct VehicleSpeeds {
  double v_large_km_h = 0, v_medium_km_h = 0, v_small_km_h = 0;
};

// The three ratios must sum to 1 (within what single precision can hold) and none be negative;
// the design speed must be above 0 and the volume at least 0, and a volume that gives a class
// speed of 0 or less is beyond the relation (refused, focused on vol).
core::Check checkVehicleSpeed(const VehicleSpeedInput& in);
VehicleSpeeds computeVehicleSpeeds(const VehicleSpeedInput& in);

const core::CalculatorDesc& highwayDesc();
const core::CalculatorDesc& vehicleSpeedDesc();

}  // namespace models::noise
