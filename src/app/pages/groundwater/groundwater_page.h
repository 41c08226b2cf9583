// The groundwater pages (four analytical solutions): under the form the table of C by time and
// distance and the table of the exceedance extent and the reach; "浓度曲线" opens the curves
// (C against x at each time, C against t at the point), "等值线图" the contour map of C at the
// point's time with the standard and the detection limit drawn.
#pragma once

#include <QPointer>

#include "app/page_hook.h"
#include "models/groundwater/gw_solutions.h"

class QDialog;

namespace widgets {
class ContourMapWindow;
class ListTable;
}  // namespace widgets

namespace app {

class GroundwaterPageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;
  void clearResults(CalculatorPage& page) override;

 private:
  void showCurves(CalculatorPage& page);
  void showMap(CalculatorPage& page, const core::Outcome::Grid& grid);

  models::groundwater::GwSolution m_solution = models::groundwater::GwSolution::Instant1D;
  widgets::ListTable* m_table = nullptr;
  widgets::ListTable* m_extent = nullptr;
  QPointer<QDialog> m_curves;
  QPointer<widgets::ContourMapWindow> m_map;
};

}  // namespace app
