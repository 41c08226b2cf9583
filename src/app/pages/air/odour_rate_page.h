// Odour rate page: shows the formula under the inputs; a refused input still clears the rate
// to 0 after its message.
#pragma once

#include "app/page_hook.h"

namespace app {

class OdourRatePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;
};

}  // namespace app
