#include "app/pages/air/editable_choice.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/calculator_page.h"

namespace app {

QComboBox* attachEditableChoice(CalculatorPage& page, const std::string& key,
                                std::function<void(const QString& entry)> on_chosen) {
  auto* combo = qobject_cast<QComboBox*>(page.control(key));
  if (!combo) return nullptr;
  QObject::connect(combo, &QComboBox::activated, combo, [combo, on_chosen](int index) {
    if (on_chosen) on_chosen(combo->itemText(index));
  });
  return combo;
}

void writeFieldText(CalculatorPage& page, const std::string& key, const QString& text) {
  QWidget* w = page.control(key);
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    c->setEditText(text);
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    e->setText(text);
    e->setCursorPosition(0);
  }
}

}  // namespace app
