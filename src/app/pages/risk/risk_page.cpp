#include "app/pages/risk/risk_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "models/risk/bleve.h"
#include "models/risk/jet_fire.h"
#include "models/risk/liquid_leak.h"
#include "models/risk/oil_film.h"
#include "models/risk/risk_common.h"

namespace app {

namespace {
QString crlfToLf(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
}  // namespace

void RiskPageHook::setResultText(CalculatorPage& page, const QString& text) {
  if (QTextEdit* t = page.resultText()) t->setPlainText(crlfToLf(text));
}

QLabel* RiskPageHook::addNote(CalculatorPage& page, const QString& text) {
  auto* l = new QLabel(crlfToLf(text), &page);
  l->setObjectName(QStringLiteral("note"));
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // Under the form (before the closing stretch of a page without a result box) or under the
  // result box.
  QVBoxLayout* v = page.contentLayout();
  const int last = v->count() - 1;
  if (last >= 0 && v->itemAt(last)->spacerItem())
    v->insertWidget(last, l);
  else
    v->addWidget(l);
  return l;
}

void RiskPageHook::moveButtonsIntoGroup(CalculatorPage& page, const char* group) {
  QGroupBox* box = page.group(group);
  auto* grid = box ? qobject_cast<QGridLayout*>(box->layout()) : nullptr;
  if (!grid) return;
  int column = 0;
  const int row = grid->rowCount();
  for (const auto& a : page.desc().actions)
    if (QPushButton* b = page.button(a.name)) grid->addWidget(b, row, column++);
}

void RiskPageHook::setRowVisible(CalculatorPage& page, const std::string& key, bool visible) {
  if (QWidget* c = page.control(key)) c->setVisible(visible);
  if (QLabel* l = page.label(key)) l->setVisible(visible);
  if (QLabel* u = page.unitLabel(key)) u->setVisible(visible);
}

void RiskPageHook::setRowEnabled(CalculatorPage& page, const std::string& key, bool enabled) {
  if (QWidget* c = page.control(key)) c->setEnabled(enabled);
  if (QLabel* l = page.label(key)) l->setEnabled(enabled);
  if (QLabel* u = page.unitLabel(key)) u->setEnabled(enabled);
}

void RiskPageHook::setup(CalculatorPage& page) {
  if (m_options.buttonsInGroup) moveButtonsIntoGroup(page, models::risk::kGroupPrediction);
  if (!m_options.intro.isEmpty()) setResultText(page, m_options.intro);
  for (const QString& n : m_options.notes) addNote(page, n);
}

std::unique_ptr<PageHook> makeLiquidLeakPageHook() {
  RiskPageHook::Options o;
  for (const char* n : models::risk::kLiquidLeakNotes) o.notes << QString::fromUtf8(n);
  return std::make_unique<RiskPageHook>(o);
}

namespace {
std::unique_ptr<PageHook> firePage(const char* intro) {
  RiskPageHook::Options o;
  if (intro) o.intro = QString::fromUtf8(intro);
  o.notes << QString::fromUtf8(models::risk::kFireFootnote);
  o.buttonsInGroup = true;
  return std::make_unique<RiskPageHook>(o);
}
}  // namespace

std::unique_ptr<PageHook> makeBlevePageHook() { return firePage(models::risk::kBleveIntro); }
std::unique_ptr<PageHook> makeJetFirePageHook() { return firePage(models::risk::kJetFireIntro); }
std::unique_ptr<PageHook> makePoolFirePageHook() { return firePage(nullptr); }

std::unique_ptr<PageHook> makeOilFilmPageHook() {
  RiskPageHook::Options o;
  o.notes << QString::fromUtf8(models::risk::kOilFilmNote);
  return std::make_unique<RiskPageHook>(o);
}

}  // namespace app
