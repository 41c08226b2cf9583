#include "app/pages/water/river_ph_page.h"

#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "models/water/river_ph.h"

namespace app {

namespace {
const QString kNote = QStringLiteral(
    "河流充分混合段pH模式\n"
    "    河流pH模式河10可用于河流充分混合段的一、二、三级pH评价。但此式只适用于pH≤9的情况。\n"
    "    河流pH模式只能应用于河流的充分混合段，而对于混合过程段，目前尚没有合适的pH模式。");
}  // namespace

void RiverPhPageHook::setup(CalculatorPage& page) {
  for (int kind = 0; kind < 2; ++kind) {
    auto* rb = page.findChild<QRadioButton*>(QStringLiteral("kind:%1").arg(kind));
    if (!rb) continue;
    QObject::connect(rb, &QRadioButton::clicked, &page, [&page, kind] { chooseKind(page, kind); });
  }
  auto* note = new QLabel(kNote, &page);
  note->setObjectName(QStringLiteral("note"));
  note->setWordWrap(true);
  page.contentLayout()->addWidget(note);
}

void RiverPhPageHook::chooseKind(CalculatorPage& page, int kind) {
  using models::water::WasteKind;
  const WasteKind k = kind == 1 ? WasteKind::Alkaline : WasteKind::Acid;
  if (QLabel* l = page.label("Cw"))
    l->setText(kind == 1 ? kRiverPhAlkalineLabel : kRiverPhAcidLabel);
  // Setting a value writes the whole form, as the page's exchange does.
  page.setRadio("kind", kind);
  page.setValue("Cw", models::water::defaultWasteStrength(k));
}

}  // namespace app
