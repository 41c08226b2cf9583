#include "models/registry.h"

namespace models {

void registerTools(core::Registry& r) { (void)r; }

}  // namespace models
