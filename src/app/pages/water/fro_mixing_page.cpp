#include "app/pages/water/fro_mixing_page.h"

#include <QLayoutItem>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "widgets/list_table.h"

namespace app {

namespace {

// The list with its headings and no rows.
void emptyList(widgets::ListTable& list) {
  list.setData({QStringLiteral("距离m"), QStringLiteral("浓度值mg/L")}, 0, {});
  list.setColumnWidths({60, 80});
}

}  // namespace

void FroMixingPageHook::setup(CalculatorPage& page) {
  for (int mode = 0; mode < 2; ++mode) {
    auto* rb = page.findChild<QRadioButton*>(QStringLiteral("mode:%1").arg(mode));
    if (!rb) continue;
    // The mode itself is read at compute time; the buttons only switch the decay rate.
    QObject::connect(rb, &QRadioButton::clicked, &page, [&page, mode] {
      if (QWidget* k1 = page.control("K1")) k1->setEnabled(mode == 1);
    });
  }
  if (QWidget* k1 = page.control("K1")) k1->setEnabled(page.values().i("mode") == 1);

  QVBoxLayout* layout = page.contentLayout();
  if (layout->count() > 0 && layout->itemAt(layout->count() - 1)->spacerItem())
    delete layout->takeAt(layout->count() - 1);
  m_list = new widgets::ListTable(&page);
  m_list->setObjectName(QStringLiteral("list"));
  emptyList(*m_list);
  m_list->setMinimumHeight(160);
  layout->addWidget(m_list, 1);
}

bool FroMixingPageHook::showOutcome(CalculatorPage&, const std::string&, const core::Outcome& o) {
  if (!o.tables.empty()) m_list->setTable(o.tables.front());
  return false;  // the page then writes its form
}

void FroMixingPageHook::clearResults(CalculatorPage&) { emptyList(*m_list); }

}  // namespace app
