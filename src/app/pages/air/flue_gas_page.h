// Flue gas page: choosing the fuel writes its sulphur content and emission standards.
#pragma once

#include "app/page_hook.h"

namespace app {

class FlueGasPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
};

}  // namespace app
