#include "app/pages/air/editable_choice.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>

#include "app/calculator_page.h"

namespace app {

QComboBox* attachEditableChoice(CalculatorPage& page, const std::string& key,
                                std::function<void(const QString& entry)> on_chosen) {
  auto* edit = qobject_cast<QLineEdit*>(page.control(key));
  const core::FieldDesc* f = page.desc().field(key);
  if (!edit || !f) return nullptr;
  QWidget* parent = edit->parentWidget();
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromStdString(key + ":choice"));
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  for (const auto& c : f->choices) combo->addItem(QString::fromStdString(c));
  combo->setEditText(edit->text());
  combo->setToolTip(edit->toolTip());
  if (parent && parent->layout()) delete parent->layout()->replaceWidget(edit, combo);
  edit->hide();
  QObject::connect(combo, &QComboBox::editTextChanged, edit, &QLineEdit::setText);
  QObject::connect(combo, &QComboBox::activated, combo, [combo, on_chosen](int index) {
    if (on_chosen) on_chosen(combo->itemText(index));
  });
  return combo;
}

void writeFieldText(CalculatorPage& page, const std::string& key, const QString& text) {
  if (auto* e = qobject_cast<QLineEdit*>(page.control(key))) {
    e->setText(text);
    e->setCursorPosition(0);
  }
}

}  // namespace app
