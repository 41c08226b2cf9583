#include "app/pages/noise/stueber_noise_page.h"

#include <QLineEdit>

#include "app/calculator_page.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/pages/noise/field_text.h"
#include "core/parse.h"

namespace app {

bool StueberNoisePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action == "decibel") {
    CDecibelCalcDlg::openFresh();
    return true;
  }
  if (action == "pathdiff") {
    openPathDifference(page);
    return true;
  }
  return false;
}

void StueberNoisePageHook::openPathDifference(CalculatorPage& page) {
  (void)page;  // PATH-DIFFERENCE DIALOG: wired once the barrier dialogs are merged
}

}  // namespace app
