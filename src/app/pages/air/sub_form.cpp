#include "app/pages/air/sub_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/calculator_page.h"
#include "core/parse.h"
#include "widgets/prompts.h"

namespace app {

std::optional<core::Values> readSubForm(CalculatorPage& page, const FieldFilter& owns) {
  core::Values v = page.values();
  for (const auto& f : page.desc().fields) {
    if (f.result || !owns(f)) continue;
    QWidget* w = page.control(f.key);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      v.setNum(f.key, c->currentIndex());
    } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
      v.setNum(f.key, b->isChecked() ? 1 : 0);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
      if (f.type == core::FieldType::Text) {
        v.setText(f.key, e->text().toStdString());
        continue;
      }
      const auto p = core::parseNumber(e->text().toStdString());
      if (!p.ok()) {
        widgets::showMessage(&page, kNumberPrompt);
        e->setFocus();
        e->selectAll();
        return std::nullopt;
      }
      v.setNum(f.key, core::storeAs(f.type, p.value));
    }
  }
  return v;
}

std::optional<core::Outcome> computeSubForm(CalculatorPage& page, const std::string& action,
                                            const FieldFilter& owns) {
  const auto v = readSubForm(page, owns);
  if (!v || !page.desc().compute) return std::nullopt;
  core::Outcome o = page.desc().compute(*v, action);
  if (o.failure) {
    page.showFailure(*o.failure);
    return std::nullopt;
  }
  return o;
}

void showSubFormResults(CalculatorPage& page, const core::Outcome& o) {
  for (const auto& [key, value] : o.results.all()) {
    const core::FieldDesc* f = page.desc().field(key);
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    if (!f || !e) continue;
    core::Values one;
    one.setNum(key, core::storeAs(f->type, value.num));
    e->setText(QString::fromStdString(core::displayValue(*f, one)));
    e->setCursorPosition(0);
  }
}

}  // namespace app
