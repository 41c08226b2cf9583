// Vapour cloud explosion page: the radio pair enables the fields of its method; the TNT
// computation leaves the TNT equivalent and the scaled distance on the page, and the chart
// button opens the overpressure chart with that distance and turns the overpressure read off it
// into a death probability.
#pragma once

#include "app/page_hook.h"

namespace app {

class VcePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;

  // Enable the fields and the chart button of the chosen method.
  static void applyMethod(CalculatorPage& page, bool tnt);
};

}  // namespace app
