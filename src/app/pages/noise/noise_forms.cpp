#include "app/pages/noise/noise_forms.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/calculator_page.h"

namespace app {

namespace {
// The radio buttons of a group sit in a holder widget; other controls stand alone.
QWidget* rowControl(CalculatorPage& page, const std::string& key) {
  QWidget* c = page.control(key);
  if (c && qobject_cast<QRadioButton*>(c)) return c->parentWidget();
  return c;
}
}  // namespace

void setRowVisible(CalculatorPage& page, const std::string& key, bool visible) {
  if (QWidget* c = rowControl(page, key)) c->setVisible(visible);
  if (QLabel* l = page.label(key)) l->setVisible(visible);
  if (QLabel* u = page.unitLabel(key))
    u->setVisible(visible && !u->property("unitHidden").toBool());
}

void setRowEnabled(CalculatorPage& page, const std::string& key, bool enabled) {
  if (QWidget* c = rowControl(page, key)) c->setEnabled(enabled);
  if (QLabel* l = page.label(key)) l->setEnabled(enabled);
  if (QLabel* u = page.unitLabel(key)) u->setEnabled(enabled);
}

void hideUnitsInLabels(CalculatorPage& page) {
  for (const auto& f : page.desc().fields)
    if (QLabel* u = page.unitLabel(f.key))
      if (f.label.find('[') != std::string::npos) {
        u->setProperty("unitHidden", true);
        u->hide();
      }
}

void placeBesideField(CalculatorPage& page, const std::string& key, QWidget* w) {
  QWidget* c = page.control(key);
  if (!c || !c->parentWidget()) return;
  auto* grid = qobject_cast<QGridLayout*>(c->parentWidget()->layout());
  if (!grid) return;
  int row = 0, col = 0, rs = 0, cs = 0;
  grid->getItemPosition(grid->indexOf(c), &row, &col, &rs, &cs);
  w->setParent(c->parentWidget());
  grid->addWidget(w, row, 3, Qt::AlignLeft);
}

void narrowFields(CalculatorPage& page, int max_px) {
  for (const auto& f : page.desc().fields)
    if (auto* e = qobject_cast<QLineEdit*>(page.control(f.key))) e->setMaximumWidth(max_px);
}

void stackRadios(CalculatorPage& page, const std::string& key) {
  if (QWidget* c = page.control(key))
    if (auto* box = qobject_cast<QBoxLayout*>(c->parentWidget()->layout()))
      box->setDirection(QBoxLayout::TopToBottom);
}

}  // namespace app
