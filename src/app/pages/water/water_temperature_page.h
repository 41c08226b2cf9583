// Daily mean water temperature page: the distance grid with its copy and export buttons.
#pragma once

#include "app/page_hook.h"
#include "app/pages/water/distance_grid_page.h"

namespace app {

class WaterTemperaturePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

 private:
  DistanceGrid m_grid;
};

}  // namespace app
