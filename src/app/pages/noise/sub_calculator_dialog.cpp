#include "app/pages/noise/sub_calculator_dialog.h"

#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "models/noise/highway_noise.h"
#include "models/noise/workshop_noise.h"

namespace app {

SubCalculatorDialog::SubCalculatorDialog(const core::CalculatorDesc& desc,
                                         const QString& objectName, bool closeOnCompute,
                                         QWidget* parent)
    : QDialog(parent) {
  setObjectName(objectName);
  setWindowTitle(QString::fromStdString(desc.title));
  applyPageColour(this);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  m_page = new CalculatorPage(desc, this);
  v->addWidget(m_page);
  connect(m_page, &CalculatorPage::computed, this, [this, closeOnCompute] {
    m_computed = true;
    if (closeOnCompute) accept();
  });
}

double SubCalculatorDialog::result(const std::string& key) const {
  return m_page->values().num(key);
}

CLp1Dlg::CLp1Dlg(QWidget* parent)
    : SubCalculatorDialog(models::noise::lp1Desc(), QStringLiteral("CLp1Dlg"), false, parent) {}

CVehicleSpeedDlg::CVehicleSpeedDlg(QWidget* parent)
    : SubCalculatorDialog(models::noise::vehicleSpeedDesc(), QStringLiteral("CVehicleSpeedDlg"),
                          true, parent) {}

}  // namespace app
