#include "models/registry.h"

namespace models {

void registerNoise(core::Registry& r) { (void)r; }

}  // namespace models
