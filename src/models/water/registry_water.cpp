#include "models/registry.h"
#include "models/water/cumulative_flow.h"
#include "models/water/fro_mixing.h"
#include "models/water/mixing_2d.h"
#include "models/water/rainstorm.h"
#include "models/water/river_ph.h"
#include "models/water/sewage.h"
#include "models/water/sp_river.h"
#include "models/water/water_temperature.h"

namespace models {

void registerWater(core::Registry& r) {
  r.add(water::sewageDesc());
  r.add(water::rainstormDesc());
  r.add(water::spDesc());
  r.add(water::mixing2DDesc());
  r.add(water::froDesc());
  r.add(water::cumulativeFlowDesc());
  r.add(water::riverPhDesc());
  r.add(water::waterTempDesc());
}

}  // namespace models
