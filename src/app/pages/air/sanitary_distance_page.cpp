#include "app/pages/air/sanitary_distance_page.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/calculator_page.h"
#include "app/pages/air/editable_choice.h"
#include "models/air/pollutants.h"
#include "models/air/sanitary_distance.h"

namespace app {

namespace {
void setPairVisible(CalculatorPage& page, const char* key, bool visible) {
  if (QLabel* l = page.label(key)) l->setVisible(visible);
  if (QWidget* first = page.control(key))
    if (QWidget* holder = first->parentWidget()) holder->setVisible(visible);
}
}  // namespace

void SanitaryDistancePageHook::setup(CalculatorPage& page) {
  if (QPushButton* b = page.button("distance"))
    b->setToolTip(QString::fromUtf8(models::air::kTipDistanceAction));
  if (QPushButton* b = page.button("emission"))
    b->setToolTip(QString::fromUtf8(models::air::kTipEmissionAction));
  attachEditableChoice(page, "pollutant", [&page](const QString& entry) {
    if (auto p = models::air::findPollutant(entry.toStdString()))
      writeFieldText(page, "Cm", QString::fromUtf8(p->standard_text));
  });
  for (int stack = 0; stack < 2; ++stack) {
    auto* rb = page.findChild<QRadioButton*>(QStringLiteral("stack:%1").arg(stack));
    if (!rb) continue;
    QObject::connect(rb, &QRadioButton::clicked, &page,
                     [&page, stack] { showStackPair(page, stack); });
  }
  showStackPair(page, page.values().i("stack"));
}

void SanitaryDistancePageHook::showStackPair(CalculatorPage& page, int stack) {
  const bool has_stack = stack == 0;
  setPairVisible(page, "share", has_stack);
  setPairVisible(page, "basis", !has_stack);
}

}  // namespace app
