#include "app/pages/water/water_temperature_page.h"

#include "app/calculator_page.h"
#include "widgets/grid_ctrl.h"

namespace app {

void WaterTemperaturePageHook::setup(CalculatorPage& page) {
  m_grid = addDistanceGrid(page, QStringLiteral("河流一维日均水温模式计算结果"));
  layoutDistanceGrid(*m_grid.grid,
                     {QStringLiteral("序号"), QStringLiteral("距离m"), QStringLiteral("日均水温℃")},
                     {50, 70, 90}, 1);
}

bool WaterTemperaturePageHook::showOutcome(CalculatorPage&, const std::string&,
                                           const core::Outcome& o) {
  if (!o.tables.empty()) fillDistanceGrid(*m_grid.grid, o.tables.front());
  return true;  // the page writes nothing back to the form
}

void WaterTemperaturePageHook::clearResults(CalculatorPage&) { fillDistanceGrid(*m_grid.grid, {}); }

}  // namespace app
