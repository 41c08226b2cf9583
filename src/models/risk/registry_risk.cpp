#include "models/registry.h"

namespace models {

void registerRisk(core::Registry& r) { (void)r; }

}  // namespace models
