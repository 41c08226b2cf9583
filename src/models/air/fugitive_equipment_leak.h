// Leakage of harmful gas or vapour through untight spots of production equipment and pipes:
//   Gc = K C V (M / T)^0.5   kg/h
#pragma once

#include "core/calculator.h"

namespace models::air {

struct EquipmentLeakInput {
  float volume_m3 = 2;          // V, inner volume of equipment and pipes
  float temperature_k = 298;    // T
  float molar_mass = 78;        // M
  float safety_k = 1.5f;        // K, 1 to 2 after the wear of the equipment
  float coefficient_c = 0.21f;  // C, by the equipment's pressure
};

// Gc, kg/h.
// Refuses a volume below zero and a molar mass or temperature not above zero.
core::Check checkEquipmentLeak(const EquipmentLeakInput& in);
double computeEquipmentLeak(const EquipmentLeakInput& in);

const core::CalculatorDesc& equipmentLeakDesc();

}  // namespace models::air
