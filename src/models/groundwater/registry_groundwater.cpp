#include "models/groundwater/gw_desc.h"
#include "models/registry.h"

namespace models {

void registerGroundwater(core::Registry& r) {
  r.add(groundwater::gw1DInstantDesc());
  r.add(groundwater::gw1DContinuousDesc());
  r.add(groundwater::gw2DInstantDesc());
  r.add(groundwater::gw2DContinuousDesc());
}

}  // namespace models
