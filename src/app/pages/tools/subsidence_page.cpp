#include "app/pages/tools/subsidence_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "app/calculator_page.h"
#include "app/pages/tools/tool_resources.h"

namespace app {

void SubsidencePageHook::setup(CalculatorPage& page) {
  initToolResources();  // the help topic
  QGroupBox* box = page.group("预测点计算");
  auto* note = new QLabel(kSubsidenceNote, box ? static_cast<QWidget*>(box) : &page);
  note->setObjectName(QStringLiteral("note"));
  note->setWordWrap(true);
  auto* grid = box ? qobject_cast<QGridLayout*>(box->layout()) : nullptr;
  if (grid)
    grid->addWidget(note, grid->rowCount(), 0, 1, 4);
  else
    page.contentLayout()->addWidget(note);
}

}  // namespace app
