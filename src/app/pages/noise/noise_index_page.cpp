#include "app/pages/noise/noise_index_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "models/noise/noise_index.h"

namespace app {

namespace {
void setRowVisible(CalculatorPage& page, const char* key, bool visible) {
  if (QWidget* c = page.control(key)) c->setVisible(visible);
  if (QLabel* l = page.label(key)) l->setVisible(visible);
  if (QLabel* u = page.unitLabel(key)) u->setVisible(visible);
}

bool isChecked(CalculatorPage& page, const char* name) {
  if (auto* b = page.findChild<QAbstractButton*>(QString::fromUtf8(name))) return b->isChecked();
  return false;
}
}  // namespace

void NoiseIndexPageHook::setup(CalculatorPage& page) {
  QVBoxLayout* layout = page.contentLayout();
  const int at = layout->count() - 1;  // above the closing stretch
  m_result = new QLabel(&page);
  m_result->setObjectName(QStringLiteral("resultLine"));
  m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->insertWidget(at, m_result);
  m_explanation = new QLabel(&page);
  m_explanation->setObjectName(QStringLiteral("explanation"));
  m_explanation->setWordWrap(true);
  m_explanation->setMaximumWidth(560);
  layout->insertWidget(at + 1, m_explanation);

  for (const char* name : {"mode:0", "mode:1"})
    if (auto* r = page.findChild<QRadioButton*>(QString::fromUtf8(name)))
      QObject::connect(r, &QRadioButton::toggled, &page, [this, &page] { updateVisibility(page); });
  if (auto* box = qobject_cast<QCheckBox*>(page.control("equal")))
    QObject::connect(box, &QCheckBox::toggled, &page, [this, &page] { updateVisibility(page); });
  updateVisibility(page);
}

void NoiseIndexPageHook::updateVisibility(CalculatorPage& page) {
  const bool ldn = isChecked(page, "mode:1");
  const bool equal = isChecked(page, "equal");
  setRowVisible(page, "L", !ldn);
  setRowVisible(page, "equal", !ldn);
  setRowVisible(page, "T", !ldn && !equal);
  for (const char* key : {"Ld", "Ln", "Td", "Tn"}) setRowVisible(page, key, ldn);
  m_explanation->setText(
      QString::fromUtf8(ldn ? models::noise::kLdnExplanation : models::noise::kLeqExplanation));
}

bool NoiseIndexPageHook::showOutcome(CalculatorPage& page, const std::string&,
                                     const core::Outcome& o) {
  for (const char* key : {"L", "T"})
    if (o.updated_inputs.has(key)) page.setText(key, o.updated_inputs.text(key));
  m_result->setText(QString::fromStdString(o.text));
  return true;
}

void NoiseIndexPageHook::clearResults(CalculatorPage&) { m_result->clear(); }

}  // namespace app
