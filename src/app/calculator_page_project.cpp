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
  for (const auto& f : m_desc.fields) {
    if (f.result) continue;
    // Fields without a control of their own (kept by a sub-dialog or the hook) as last read.
    const auto& held = m_values.all();
    if (auto it = held.find(f.key); it != held.end()) {
      out.setNum(f.key, it->second.num);
      out.setText(f.key, it->second.text);
    }
    // A field the hook keeps comes from the hook (storeInputs below), never from a hidden control.
    if (m_hook && m_hook->keepsField(f.key)) continue;
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
        const auto& rbs = m_radios[f.key];
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
        const auto number = core::parseNumber(text);
        const bool ok = f.type == core::FieldType::Int
                            ? core::parseInt(text).ok()
                            : number.ok() && core::fitsStorage(f.type, number.value);
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
  if (m_hook) m_hook->storeInputs(*this, out);
  return out;
}

void CalculatorPage::setFormValues(const core::Values& inputs) {
  ++m_inputs_replaced;
  m_values = core::defaultValues(m_desc);
  for (const auto& [key, v] : inputs.all()) {
    const core::FieldDesc* f = m_desc.field(key);
    if (!f || f->result) continue;
    if (f->type == core::FieldType::Text)
      m_values.setText(key, v.text);
    else
      m_values.setNum(key, core::storeAs(f->type, v.num));
  }
  writeForm();
  // Every input (the defaults where `inputs` has none) with the texts numbers were saved with.
  core::Values shown_values = m_values;
  // A number field shows the text it was saved with ("1.2345678", not the rounded "1.23457").
  for (const auto& f : m_desc.fields) {
    if (f.result || f.type == core::FieldType::Text || !inputs.has(f.key)) continue;
    const std::string& shown = inputs.text(f.key);
    if (shown.empty()) continue;
    shown_values.setText(f.key, shown);
    if (auto* e = qobject_cast<QLineEdit*>(control(f.key))) {
      e->setText(QString::fromStdString(shown));
      e->setCursorPosition(0);
    }
  }
  if (m_result_text) m_result_text->clear();
  m_last_outcome.reset();
  m_last_inputs = core::Values{};
  if (m_hook) {
    m_hook->clearResults(*this);
    m_hook->loadInputs(*this, shown_values);
  }
}

}  // namespace app
