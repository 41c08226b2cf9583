#include "app/pages/risk/spill_evaporation_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/calculator_page.h"
#include "app/pages/risk/stage_dialog.h"
#include "core/format.h"
#include "models/risk/flash_evaporation.h"
#include "models/risk/heat_evaporation.h"
#include "models/risk/mass_evaporation.h"

namespace app {

namespace {

// Only the fields a dialog hands back are written; whatever else is typed on the page stays.
void putField(CalculatorPage& page, const char* key, const CalculatorPage& from,
              const char* from_key) {
  const double v = from.values().has(from_key) ? from.values().num(from_key) : 0;
  if (auto* e = qobject_cast<QLineEdit*>(page.control(key))) {
    e->setText(QString::fromStdString(core::formatFloatField(static_cast<float>(v))));
    e->setCursorPosition(0);
  }
}

}  // namespace

void SpillEvaporationPageHook::setup(CalculatorPage& page) {
  QGroupBox* box = page.group("液体蒸发量计算");
  auto* grid = box ? qobject_cast<QGridLayout*>(box->layout()) : nullptr;
  auto* bar = new QHBoxLayout;
  const std::pair<const char*, const char*> stages[] = {
      {"flash", "闪蒸量计算"}, {"heat", "热量蒸发计算"}, {"mass", "质量蒸发计算"}};
  for (const auto& [name, label] : stages) {
    auto* b = new QPushButton(QString::fromUtf8(label), box ? static_cast<QWidget*>(box) : &page);
    b->setObjectName(QStringLiteral("action:") + QString::fromUtf8(name));
    const std::string stage = name;
    QObject::connect(b, &QPushButton::clicked, &page, [&page, stage] { openStage(page, stage); });
    bar->addWidget(b);
  }
  if (grid)
    grid->addLayout(bar, grid->rowCount(), 0, 1, 3);
  else
    page.contentLayout()->insertLayout(0, bar);
}

void SpillEvaporationPageHook::openStage(CalculatorPage& page, const std::string& stage) {
  using namespace models::risk;
  if (stage == "flash") {
    StageDialog d(flashEvaporationDesc(), true, &page);
    d.exec();
    if (!d.computed()) return;  // closed unused: the page keeps its values
    putField(page, "Q1", *d.page(), "Q1");
    putField(page, "t1", *d.page(), "t1");
  } else if (stage == "heat") {
    // The rate and the time of the last computation (the time as it was read for it).
    StageDialog d(heatEvaporationDesc(), false, &page);
    d.exec();
    if (!d.computed()) return;
    putField(page, "Q2", *d.page(), "Q2");
    putField(page, "t2", *d.page(), "t");
  } else if (stage == "mass") {
    StageDialog d(massEvaporationDesc(), true, &page);
    d.exec();
    if (!d.computed()) return;
    putField(page, "Q3", *d.page(), "Q3");
  }
}

}  // namespace app
