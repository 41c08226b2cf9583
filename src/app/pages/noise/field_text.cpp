#include "app/pages/noise/field_text.h"

#include <QLineEdit>

#include "app/calculator_page.h"
#include "core/format.h"

namespace app {

void setFieldText(CalculatorPage& page, const std::string& key, double value) {
  if (auto* e = qobject_cast<QLineEdit*>(page.control(key))) {
    e->setText(QString::fromStdString(core::formatFloatField(core::storeFloat(value))));
    e->setCursorPosition(0);
  }
}

}  // namespace app
