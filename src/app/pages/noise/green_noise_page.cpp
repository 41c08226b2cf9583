#include "app/pages/noise/green_noise_page.h"

#include <QAbstractItemView>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/pages/noise/field_text.h"
#include "app/pages/noise/sub_calculator_dialog.h"
#include "models/noise/workshop_noise.h"
#include "widgets/list_table.h"

namespace app {

void GreenNoisePageHook::setup(CalculatorPage& page) {
  m_list = new widgets::ListTable(&page);
  m_list->setObjectName(QStringLiteral("resultList"));
  m_list->setShowGrid(true);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setMinimumHeight(220);
  m_list->setTable(models::noise::greenTable({}));
  QVBoxLayout* layout = page.contentLayout();
  layout->insertWidget(layout->count() - 1, m_list, 1);
}

bool GreenNoisePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action == "decibel") {
    CDecibelCalcDlg::openFresh();
    return true;
  }
  if (action != "lp1") return false;
  CLp1Dlg dlg(&page);
  dlg.exec();
  // A dialog closed before any successful compute has no level to hand back.
  if (dlg.computed()) setFieldText(page, "Lp1", dlg.result("Lp1"));
  return true;
}

bool GreenNoisePageHook::showOutcome(CalculatorPage&, const std::string& action,
                                     const core::Outcome& o) {
  if (action != "list" || o.tables.empty()) return false;
  m_list->setTable(o.tables.front());
  return true;
}

}  // namespace app
