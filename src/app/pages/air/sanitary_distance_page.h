// Sanitary protection distance page: the stack radio pair shows either the acute/chronic pair
// or the one-third pair; the pollutant drop-down fills the standard; tooltips on the buttons.
#pragma once

#include "app/page_hook.h"

namespace app {

class SanitaryDistancePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;

  // What choosing 有 (0) or 无 (1) shows.
  static void showStackPair(CalculatorPage& page, int stack);
};

}  // namespace app
