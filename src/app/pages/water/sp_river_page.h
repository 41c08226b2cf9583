// S-P model page: the distance grid, and the check box that reduces the page to the
// complete-mixing concentration (disabling the fields that only the table needs).
#pragma once

#include "app/page_hook.h"
#include "app/pages/water/distance_grid_page.h"

namespace app {

class SpRiverPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

 private:
  void onMixOnlyClicked(CalculatorPage& page, bool mixOnly);

  DistanceGrid m_grid;
};

}  // namespace app
