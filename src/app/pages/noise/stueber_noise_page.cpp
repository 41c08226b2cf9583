#include "app/pages/noise/stueber_noise_page.h"

#include <QLineEdit>

#include "app/calculator_page.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/pages/noise/field_text.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "core/parse.h"

namespace app {

bool StueberNoisePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action == "decibel") {
    CDecibelCalcDlg::open(&page);
    return true;
  }
  if (action == "pathdiff") {
    openPathDifference(page);
    return true;
  }
  return false;
}

void StueberNoisePageHook::openPathDifference(CalculatorPage& page) {
  // r as the field shows it now (the value last read when the text is no number).
  double r = page.values().num("r");
  if (auto* e = qobject_cast<QLineEdit*>(page.control("r"))) {
    const core::ParsedNumber p = core::parseNumber(e->text().toStdString());
    if (p.ok()) r = static_cast<float>(p.value);
  }
  CPathDifferenceDlg dlg(&page, r, CPathDifferenceDlg::kPresetFinite);
  dlg.exec();
  // Closed before any successful computation: the page keeps its path differences.
  if (!dlg.computed()) return;
  setFieldText(page, "delta1", dlg.delta1());
  setFieldText(page, "delta2", dlg.delta2());
  setFieldText(page, "delta3", dlg.delta3());
}

}  // namespace app
