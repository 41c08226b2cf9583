#include "app/pages/noise/highway_noise_page.h"

#include "app/calculator_page.h"
#include "app/pages/noise/field_text.h"
#include "app/pages/noise/sub_calculator_dialog.h"
#include "models/noise/highway_noise.h"

namespace app {

CHighwayNoiseDetailDlg::CHighwayNoiseDetailDlg(const QString& text, QWidget* parent)
    : ResultTextDialog(QStringLiteral("详细结果"), text, parent) {
  setObjectName(QStringLiteral("CHighwayNoiseDetailDlg"));
}

HighwayNoisePageHook::HighwayNoisePageHook()
    : m_detail(models::noise::highwayDetailText(models::noise::HighwayResult{})) {}

bool HighwayNoisePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action == "detail") {
    CHighwayNoiseDetailDlg dlg(QString::fromStdString(m_detail), &page);
    dlg.exec();
    return true;
  }
  if (action != "speed") return false;
  CVehicleSpeedDlg dlg(&page);
  dlg.exec();
  // Closed without an accepted mix: the page keeps its speeds.
  if (dlg.computed()) {
    setFieldText(page, "vL", dlg.result("v1"));
    setFieldText(page, "vM", dlg.result("v2"));
    setFieldText(page, "vS", dlg.result("v3"));
  }
  return true;
}

bool HighwayNoisePageHook::showOutcome(CalculatorPage&, const std::string& action,
                                       const core::Outcome& o) {
  if (action == "compute") m_detail = o.text;
  return false;  // the page shows Lenv
}

void HighwayNoisePageHook::clearResults(CalculatorPage&) {
  m_detail = models::noise::highwayDetailText(models::noise::HighwayResult{});
}

}  // namespace app
