// Spilled-liquid evaporation page: three buttons open the stage dialogs (flash, heat,
// mass-transfer evaporation); when a dialog closes its rate (and duration) go into the page's
// fields; "计算" sums the stages.
#pragma once

#include "app/page_hook.h"

namespace app {

class SpillEvaporationPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;

  // Open a stage dialog modally and take over its values ("flash", "heat", "mass").
  static void openStage(CalculatorPage& page, const std::string& stage);
};

}  // namespace app
