#include "models/registry.h"
#include "tools/latlon_distance.h"
#include "tools/sludge.h"
#include "tools/subsidence.h"
#include "tools/unit_converter.h"

namespace models {

void registerTools(core::Registry& r) {
  r.add(tools::sludgeDesc());
  r.add(tools::unitConverterDesc());
  r.add(tools::latLonDistanceDesc());
  r.add(tools::subsidenceDesc());
}

}  // namespace models
