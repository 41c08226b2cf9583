#include "app/pages/water/sp_river_page.h"

#include <QCheckBox>

#include "app/calculator_page.h"
#include "widgets/grid_ctrl.h"

namespace app {

namespace {
const QStringList kTableHeaders = {QStringLiteral("序号"), QStringLiteral("距离m"),
                                   QStringLiteral("浓度值mg／L"), QStringLiteral("氧亏值mg／L")};
const QStringList kMixHeaders = {QStringLiteral("完全混合浓度值mg／L")};
// Fields that only the distance table uses.
const char* const kTableFields[] = {"u", "Dh", "Dp", "K1", "K2", "l", "lmax"};
}  // namespace

void SpRiverPageHook::setup(CalculatorPage& page) {
  m_grid = addDistanceGrid(page, QStringLiteral("SP模式计算结果"));
  layoutDistanceGrid(*m_grid.grid, kTableHeaders, {50, 60, 80, 80}, 1);
  if (auto* box = qobject_cast<QCheckBox*>(page.control("mixonly")))
    QObject::connect(box, &QCheckBox::clicked, &page,
                     [this, &page](bool checked) { onMixOnlyClicked(page, checked); });
}

void SpRiverPageHook::onMixOnlyClicked(CalculatorPage& page, bool mixOnly) {
  if (mixOnly)
    layoutDistanceGrid(*m_grid.grid, kMixHeaders, {150}, 0);
  else
    layoutDistanceGrid(*m_grid.grid, kTableHeaders, {50, 60, 90, 90}, 1);
  for (const char* key : kTableFields)
    if (QWidget* w = page.control(key)) w->setEnabled(!mixOnly);
}

bool SpRiverPageHook::showOutcome(CalculatorPage&, const std::string&, const core::Outcome& o) {
  if (!o.tables.empty()) fillDistanceGrid(*m_grid.grid, o.tables.front());
  return true;  // the page writes nothing back to the form
}

void SpRiverPageHook::clearResults(CalculatorPage&) { fillDistanceGrid(*m_grid.grid, {}); }

}  // namespace app
