#include "app/pages/air/odour_rate_page.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/calculator_page.h"

namespace app {

void OdourRatePageHook::setup(CalculatorPage& page) {
  auto* formula = new QLabel(QStringLiteral("计算公式如下:\nE=2CWm/M*(DLu/πF)^0.5"), &page);
  formula->setObjectName(QStringLiteral("formula"));
  page.contentLayout()->insertWidget(1, formula);
}

bool OdourRatePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (!page.readForm()) return true;
  const core::Outcome o = page.desc().compute(page.values(), action);
  if (o.failure) page.showFailure(*o.failure);
  page.showResults(o);
  return true;
}

}  // namespace app
