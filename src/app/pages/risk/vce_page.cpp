#include "app/pages/risk/vce_page.h"

#include <QPushButton>
#include <QRadioButton>

#include "app/calculator_page.h"
#include "app/pages/risk/overpressure_chart_dialog.h"
#include "app/pages/risk/risk_page.h"
#include "models/risk/risk_common.h"
#include "models/risk/vce.h"

namespace app {

void VcePageHook::applyMethod(CalculatorPage& page, bool tnt) {
  for (const char* k : {"HTNT", "ae"}) RiskPageHook::setRowEnabled(page, k, tnt);
  for (const char* k : {"eta", "a", "Pa"}) RiskPageHook::setRowEnabled(page, k, !tnt);
  if (QPushButton* b = page.button(models::risk::kVceLookupAction)) b->setEnabled(tnt);
}

void VcePageHook::setup(CalculatorPage& page) {
  RiskPageHook::moveButtonsIntoGroup(page, models::risk::kGroupPrediction);
  // The overpressure is typed in the chart dialog, not on the page.
  RiskPageHook::setRowVisible(page, "dP", false);
  RiskPageHook::setResultText(page, QString::fromUtf8(models::risk::kVceIntro));
  RiskPageHook::addNote(page, QString::fromUtf8(models::risk::kFireFootnote));
  if (auto* tnt = qobject_cast<QRadioButton*>(page.control("method")))
    QObject::connect(tnt, &QRadioButton::toggled, &page,
                     [&page](bool on) { applyMethod(page, on); });
  applyMethod(page, page.values().i("method") == 0);
}

bool VcePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action != models::risk::kVceLookupAction) return false;
  // R' and W_TNT of the last TNT computation (0 before any).
  const core::Values& v = page.values();
  const double rs = v.has("Rs") ? v.num("Rs") : 0;
  const double wtnt = v.has("WTNT") ? v.num("WTNT") : 0;
  COverpressureChartDlg dialog(rs, &page);
  dialog.exec();
  if (auto text = models::risk::vceLookupText(wtnt, rs, dialog.overpressure()))
    RiskPageHook::setResultText(page, QString::fromStdString(*text));
  return true;
}

}  // namespace app
