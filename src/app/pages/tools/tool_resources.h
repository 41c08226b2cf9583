// Resources of the other-tools pages (the default unit table and help topics): registered on
// first use, as resources of a static library must be.
#pragma once

namespace app {

void initToolResources();

}  // namespace app
