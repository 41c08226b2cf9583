// Diameter of an oil slick spreading circularly on calm water (Blokker, 1964):
//   Dt^3 = D0^3 + (24 / pi) K (gw - go) (go / gw) V0 t
#pragma once

#include <string>

#include "core/calculator.h"

namespace models::risk {

struct OilFilmInput {
  float v0_m3 = 0.5f;       // V0, volume spilled
  float d0_m = 0.1f;        // D0, initial diameter of the slick
  float gw_kg_m3 = 1000;    // gw, specific weight of water
  float go_kg_m3 = 850;     // go, specific weight of the oil
  float k_per_min = 15000;  // K, Blokker constant
  float t_min = 10;         // t, spreading time
};

struct OilFilmResult {
  double dt_m = 0;  // Dt, diameter after t
  std::string text;
};

// No input is refused: oil heavier than water can make the bracket negative, and its cube root
// shows as a non-finite diameter.
// Refuses sizes and times below zero and oil not lighter than water (no spreading film).
core::Check checkOilFilm(const OilFilmInput& in);
OilFilmResult computeOilFilm(const OilFilmInput& in);

inline constexpr const char* kOilFilmNote =
    "—————采用P.C.Blokker公式\r\n假设油膜在无风条件下呈圆形扩展";

const core::CalculatorDesc& oilFilmDesc();

}  // namespace models::risk
