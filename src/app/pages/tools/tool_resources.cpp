#include "app/pages/tools/tool_resources.h"

#include <QtGlobal>

static void initKuvaToolResources() { Q_INIT_RESOURCE(kuvatools); }

namespace app {

void initToolResources() {
  static const bool done = [] {
    initKuvaToolResources();
    return true;
  }();
  (void)done;
}

}  // namespace app
