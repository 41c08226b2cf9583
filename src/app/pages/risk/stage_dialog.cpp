#include "app/pages/risk/stage_dialog.h"

#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "app/page_style.h"

namespace app {

StageDialog::StageDialog(const core::CalculatorDesc& desc, bool takeOverOnClose, QWidget* parent)
    : QDialog(parent), m_takeOver(takeOverOnClose) {
  setObjectName(QString::fromStdString(desc.class_name));
  setWindowTitle(QString::fromStdString(desc.title));
  applyPageColour(this);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  m_page = new CalculatorPage(desc, this);
  v->addWidget(m_page);
  connect(m_page, &CalculatorPage::computed, this, [this] { m_computed = true; });
}

bool StageDialog::takeOver() { return !m_takeOver || m_page->readForm(); }

void StageDialog::reject() {
  if (!takeOver()) return;
  QDialog::reject();
}

}  // namespace app
