#include "app/pages/air/tank_losses_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/calculator_page.h"
#include "app/pages/air/sub_form.h"
#include "core/format.h"
#include "models/air/tank_losses.h"

namespace app {

namespace {
using models::air::kTankSubForms;

const QString kResultPrompt = QStringLiteral("结果：");

int comboIndex(CalculatorPage& page, const char* key) {
  auto* c = qobject_cast<QComboBox*>(page.control(key));
  return c ? c->currentIndex() : 0;
}

void setRowVisible(CalculatorPage& page, const char* key, bool visible) {
  if (QWidget* c = page.control(key)) c->setVisible(visible);
  if (QLabel* l = page.label(key)) l->setVisible(visible);
  if (QLabel* u = page.unitLabel(key)) u->setVisible(visible);
}

float currentAdhesion(CalculatorPage& page) {
  using namespace models::air;
  const int wall = comboIndex(page, "lw_wall");
  return wallAdhesion(comboIndex(page, "lw_product") == 1 ? Product::Crude : Product::Gasoline,
                      wall == 1   ? WallState::HeavyRust
                      : wall == 2 ? WallState::Lined
                                  : WallState::LightRust);
}

// A drop-down change writes only the adhesion field: other fields may hold typed text that
// is read at the next compute.
void updateAdhesion(CalculatorPage& page) {
  if (auto* e = qobject_cast<QLineEdit*>(page.control("lw_C")))
    e->setText(QString::fromStdString(core::formatFloatField(currentAdhesion(page))));
}
}  // namespace

QGroupBox* TankLossesPageHook::subForm(CalculatorPage& page, int index) {
  return page.group(kTankSubForms[index].group);
}

QLabel* TankLossesPageHook::resultLine(CalculatorPage& page, const std::string& action) {
  return page.findChild<QLabel*>(QString::fromStdString("result:" + action));
}

void TankLossesPageHook::setup(CalculatorPage& page) {
  for (int i = 0; i < 5; ++i) {
    QGroupBox* box = subForm(page, i);
    if (!box) continue;
    box->setTitle(QStringLiteral("参数输入"));
    box->setObjectName(QString::fromUtf8(kTankSubForms[i].class_name));
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    const int row = grid ? grid->rowCount() : 0;
    if (QPushButton* b = page.button(kTankSubForms[i].action))
      if (grid) grid->addWidget(b, row, 1);
    auto* line = new QLabel(kResultPrompt, box);
    line->setObjectName(QString::fromStdString(std::string("result:") + kTankSubForms[i].action));
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (grid) grid->addWidget(line, row + 1, 0, 1, 3);
  }
  for (const char* key : {"kind", "tank"})
    if (auto* c = qobject_cast<QComboBox*>(page.control(key)))
      QObject::connect(c, &QComboBox::currentIndexChanged, &page, [&page] { showCase(page); });
  for (const char* key : {"lw_product", "lw_wall"})
    if (auto* c = qobject_cast<QComboBox*>(page.control(key)))
      QObject::connect(c, &QComboBox::currentIndexChanged, &page,
                       [&page] { updateAdhesion(page); });
  if (auto* support = qobject_cast<QCheckBox*>(page.control("lw_support")))
    QObject::connect(support, &QCheckBox::toggled, &page, [&page] { showCase(page); });
  // The form was just written from the values, so storing the adhesion loses nothing.
  page.setValue("lw_C", currentAdhesion(page));
  showCase(page);
}

void TankLossesPageHook::showCase(CalculatorPage& page) {
  const int shown =
      models::air::tankSubFormIndex(comboIndex(page, "kind"), comboIndex(page, "tank"));
  for (int i = 0; i < 5; ++i)
    if (QGroupBox* box = subForm(page, i)) box->setVisible(i == shown);
  const bool internal = comboIndex(page, "tank") == 2;
  auto* support = qobject_cast<QCheckBox*>(page.control("lw_support"));
  if (support) support->setVisible(internal);
  const bool columns = internal && support && support->isChecked();
  setRowVisible(page, "lw_Nc", columns);
  setRowVisible(page, "lw_Fc", columns);
}

bool TankLossesPageHook::handleAction(CalculatorPage& page, const std::string& action) {
  const models::air::TankSubForm* form = nullptr;
  for (const auto& s : kTankSubForms)
    if (action == s.action) form = &s;
  if (!form) return false;
  const std::string group = form->group;
  const auto o = computeSubForm(page, action, [&group](const core::FieldDesc& f) {
    return f.group == group || f.group == models::air::kTankGroupCase;
  });
  if (!o) return true;
  if (QLabel* line = resultLine(page, action)) line->setText(QString::fromStdString(o->text));
  showSubFormResults(page, *o);
  return true;
}

void TankLossesPageHook::clearResults(CalculatorPage& page) {
  for (const auto& s : kTankSubForms)
    if (QLabel* line = resultLine(page, s.action)) line->setText(kResultPrompt);
}

}  // namespace app
