// Fugitive dust: road dust raised by transport vehicles and wind-blown dust from a coal pile
// (field-test formula of the Huozhou power plant trials).
#pragma once

#include "core/calculator.h"

namespace models::air {

struct TransportDustInput {
  float speed_km_h = 30;          // V, vehicle speed
  float load_t = 1;               // M, load per vehicle
  float distance_km = 0.1f;       // L, transport distance
  float amount_t_y = 3000;        // Q, yearly amount carried
  float road_dust_kg_m2 = 0.01f;  // P, dust cover of the road
};

// Qt = 0.123 (V / 5) (M / 6.8)^0.85 (2 P)^0.72 L Q / M   kg/a
// Refuses a load not above zero and speeds, distances, amounts and road dust below zero.
core::Check checkTransportDust(const TransportDustInput& in);
double computeTransportDust(const TransportDustInput& in);

struct CoalPileDustInput {
  float wind_m_s = 1.5f;    // U, mean ground wind speed
  float surface_m2 = 40;    // S, surface of the pile
  float moisture_pct = 10;  // W, moisture of the stored coal
};

// Qc = 11.7 U^2.45 S^0.345 e^(-0.5 W)   mg/s
// Refuses a wind speed or pile surface below zero (their powers are taken).
core::Check checkCoalPileDust(const CoalPileDustInput& in);
double computeCoalPileDust(const CoalPileDustInput& in);

// Tab captions (with their trailing blank) and the input group of each tab in the description.
inline constexpr const char* kDustTabTransport = "交通运输起尘量 ";
inline constexpr const char* kDustTabCoalPile = "煤堆起尘量 ";
inline constexpr const char* kDustGroupTransport = "工程交通运输起尘计算";
inline constexpr const char* kDustGroupCoalPile = "采用清华大学在霍州电厂现场试验模式";

const core::CalculatorDesc& fugitiveDustDesc();

}  // namespace models::air
