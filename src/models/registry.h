// The program's calculators, registered once and shared by the app and the CLI.
#pragma once

#include "core/calculator.h"

namespace models {

// Every calculator, built on first use.
const core::Registry& registry();

// Each domain adds its calculators (one line per calculator in its registry_<domain>.cpp).
void registerWater(core::Registry& r);
void registerAir(core::Registry& r);
void registerNoise(core::Registry& r);
void registerRisk(core::Registry& r);
void registerTools(core::Registry& r);
void registerGroundwater(core::Registry& r);

}  // namespace models
