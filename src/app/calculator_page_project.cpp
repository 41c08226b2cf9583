// Exchange of a page's inputs with a project file: the page only supplies and receives values.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextEdit>

#include "app/calculator_page.h"
#include "core/parse.h"

namespace app {

core::Values CalculatorPage::formValues(std::string* bad_key) {
  core::Values out;
  for (const auto& f : desc_.fields) {
    if (f.result) continue;
    // Fields without a control of their own (kept by a sub-dialog or the hook) as last read.
    const auto& held = values_.all();
    if (auto it = held.find(f.key); it != held.end()) {
      out.setNum(f.key, it->second.num);
      out.setText(f.key, it->second.text);
    }
    QWidget* w = control(f.key);
    if (!w) continue;
    switch (f.type) {
      case core::FieldType::Choice:
        out.setNum(f.key, static_cast<QComboBox*>(w)->currentIndex());
        break;
      case core::FieldType::CheckBox:
        out.setNum(f.key, static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0);
        break;
      case core::FieldType::Radio: {
        const auto& rbs = radios_[f.key];
        for (size_t i = 0; i < rbs.size(); ++i)
          if (static_cast<QRadioButton*>(rbs[i])->isChecked())
            out.setNum(f.key, static_cast<double>(i));
        break;
      }
      case core::FieldType::Text:
        if (auto* c = qobject_cast<QComboBox*>(w))
          out.setText(f.key, c->currentText().toStdString());
        else if (auto* e = qobject_cast<QLineEdit*>(w))
          out.setText(f.key, e->text().toStdString());
        break;
      default: {
        const std::string text = static_cast<QLineEdit*>(w)->text().trimmed().toStdString();
        core::Value v;
        const bool ok = f.type == core::FieldType::Int ? core::parseInt(text).ok()
                                                       : core::parseNumber(text).ok();
        if (!ok) {
          if (bad_key && bad_key->empty()) *bad_key = f.key;
          break;
        }
        const double x = f.type == core::FieldType::Int
                             ? static_cast<double>(core::parseInt(text).value)
                             : core::parseNumber(text).value;
        out.setNum(f.key, core::storeAs(f.type, x));
        out.setText(f.key, text);
        break;
      }
    }
  }
  if (hook_) hook_->storeInputs(*this, out);
  return out;
}

void CalculatorPage::setFormValues(const core::Values& inputs) {
  values_ = core::defaultValues(desc_);
  for (const auto& [key, v] : inputs.all()) {
    const core::FieldDesc* f = desc_.field(key);
    if (!f || f->result) continue;
    if (f->type == core::FieldType::Text)
      values_.setText(key, v.text);
    else
      values_.setNum(key, core::storeAs(f->type, v.num));
  }
  writeForm();
  // Every input (the defaults where `inputs` has none) with the texts numbers were saved with.
  core::Values shown_values = values_;
  // A number field shows the text it was saved with ("1.2345678", not the rounded "1.23457").
  for (const auto& f : desc_.fields) {
    if (f.result || f.type == core::FieldType::Text || !inputs.has(f.key)) continue;
    const std::string& shown = inputs.text(f.key);
    if (shown.empty()) continue;
    shown_values.setText(f.key, shown);
    if (auto* e = qobject_cast<QLineEdit*>(control(f.key))) {
      e->setText(QString::fromStdString(shown));
      e->setCursorPosition(0);
    }
  }
  if (result_text_) result_text_->clear();
  last_outcome_.reset();
  if (hook_) hook_->loadInputs(*this, shown_values);
}

}  // namespace app
