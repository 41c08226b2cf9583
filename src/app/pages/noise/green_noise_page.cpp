#include "app/pages/noise/green_noise_page.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/pages/noise/field_text.h"
#include "app/pages/noise/sub_calculator_dialog.h"
#include "models/noise/workshop_noise.h"
#include "widgets/list_table.h"

namespace app {

void GreenNoisePageHook::setup(CalculatorPage& page) {
  QVBoxLayout* layout = page.contentLayout();
  auto* formula = new QLabel(QStringLiteral("Lp3 = Lp1 − TL + 10·lg(F/l²) − 11"), &page);
  formula->setObjectName(QStringLiteral("formula"));
  QFont f = formula->font();
  f.setPointSize(f.pointSize() + 2);
  f.setItalic(true);
  formula->setFont(f);
  layout->insertWidget(layout->count() - 1, formula);
  m_list = new widgets::ListTable(&page);
  m_list->setObjectName(QStringLiteral("resultList"));
  m_list->setShowGrid(true);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setMinimumHeight(220);
  m_list->setTable(models::noise::greenTable({}));
  layout->insertWidget(layout->count() - 1, m_list, 1);
}

bool GreenNoisePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action == "decibel") {
    CDecibelCalcDlg::open(&page);
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

void GreenNoisePageHook::clearResults(CalculatorPage&) {
  m_list->setTable(models::noise::greenTable({}));
}

}  // namespace app
