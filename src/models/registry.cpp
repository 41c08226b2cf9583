#include "models/registry.h"

namespace models {

const core::Registry& registry() {
  static const core::Registry r = [] {
    core::Registry reg;
    registerWater(reg);
    registerAir(reg);
    registerNoise(reg);
    registerRisk(reg);
    registerTools(reg);
    registerGroundwater(reg);
    return reg;
  }();
  return r;
}

}  // namespace models
