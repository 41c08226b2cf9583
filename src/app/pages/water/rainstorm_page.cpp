#include "app/pages/water/rainstorm_page.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/calculator_page.h"
#include "models/water/rainstorm.h"

namespace app {

namespace {

// Puts `replacement` where the page's generic control of `key` sits, and hides that control.
void replaceControl(CalculatorPage& page, const char* key, QWidget* replacement, int colSpan) {
  QWidget* field = page.control(key);
  if (!field) return;
  field->hide();
  if (QLabel* unit = page.unitLabel(key)) unit->hide();
  auto* grid = qobject_cast<QGridLayout*>(field->parentWidget()->layout());
  if (!grid) return;
  int row = 0, col = 0, rowSpan = 0, span = 0;
  grid->getItemPosition(grid->indexOf(field), &row, &col, &rowSpan, &span);
  grid->removeWidget(field);
  grid->addWidget(replacement, row, col, 1, colSpan);
  if (QLabel* label = page.label(key)) label->setBuddy(replacement);
}

QComboBox* provinceList(CalculatorPage& page) {
  return qobject_cast<QComboBox*>(page.control("province"));
}

}  // namespace

void RainstormPageHook::setup(CalculatorPage& page) {
  // The labels carry their units ("重现期 P [年]").
  for (const auto& f : page.desc().fields)
    if (QLabel* unit = page.unitLabel(f.key))
      if (f.label.find('[') != std::string::npos) unit->hide();

  QWidget* parent = page.control("city") ? page.control("city")->parentWidget() : &page;
  m_cities = new QComboBox(parent);
  m_cities->setObjectName(QStringLiteral("cityList"));
  for (const auto& city : models::water::rainstormCities(page.values().i("province")))
    m_cities->addItem(QString::fromStdString(city));
  m_cities->setCurrentText(QString::fromStdString(page.values().text("city")));
  replaceControl(page, "city", m_cities, 1);

  // The template's text until the user chooses a province or a city.
  m_reference = new QLabel(QString::fromUtf8(models::water::kRainstormInitialReference), parent);
  m_reference->setObjectName(QStringLiteral("reference"));
  m_reference->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_reference->setTextInteractionFlags(Qt::TextSelectableByMouse);
  replaceControl(page, "ref", m_reference, 2);

  // activated() is the user's choice only, like a selection-change notification.
  if (QComboBox* p = provinceList(page))
    QObject::connect(p, &QComboBox::activated, &page,
                     [this, &page](int index) { provinceChosen(page, index); });
  QObject::connect(m_cities, &QComboBox::activated, &page,
                   [this, &page](int index) { cityChosen(page, index); });
}

void RainstormPageHook::provinceChosen(CalculatorPage& page, int province) {
  m_cities->clear();
  for (const auto& city : models::water::rainstormCities(province))
    m_cities->addItem(QString::fromStdString(city));
  if (m_cities->count() > 0) m_cities->setCurrentIndex(0);
  if (auto* field = qobject_cast<QLineEdit*>(page.control("city")))
    field->setText(m_cities->currentText());
  m_reference->setText(QString::fromStdString(
      models::water::rainstormReferenceText(province, m_cities->currentIndex())));
}

void RainstormPageHook::cityChosen(CalculatorPage& page, int city) {
  if (auto* field = qobject_cast<QLineEdit*>(page.control("city")))
    field->setText(m_cities->itemText(city));
  if (QComboBox* p = provinceList(page))
    m_reference->setText(
        QString::fromStdString(models::water::rainstormReferenceText(p->currentIndex(), city)));
}

}  // namespace app
