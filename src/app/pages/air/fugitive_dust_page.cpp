#include "app/pages/air/fugitive_dust_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "app/pages/air/sub_form.h"
#include "app/tab_sheet.h"
#include "models/air/fugitive_dust.h"

namespace app {

namespace {
constexpr int kTransportTemplate = 203;
constexpr int kCoalPileTemplate = 202;
constexpr unsigned kCustomLookStyle = 6;

// One tab: the input group of the description and its compute button under it.
QWidget* makeTab(CalculatorPage& page, const char* group, const char* action, const char* name) {
  auto* tab = new QWidget;
  tab->setObjectName(QString::fromUtf8(name));
  auto* v = new QVBoxLayout(tab);
  if (QGroupBox* box = page.group(group)) v->addWidget(box);
  auto* bar = new QHBoxLayout;
  bar->addStretch(1);
  if (QPushButton* b = page.button(action)) bar->addWidget(b);
  v->addLayout(bar);
  v->addStretch(1);
  return tab;
}
}  // namespace

CTabSheet* FugitiveDustPageHook::tabSheet(CalculatorPage& page) {
  return page.findChild<CTabSheet*>(QStringLiteral("dustTabs"));
}

void FugitiveDustPageHook::setup(CalculatorPage& page) {
  using namespace models::air;
  auto* caption = new QLabel(QStringLiteral("扬尘计算"), &page);
  caption->setObjectName(QStringLiteral("caption"));
  auto* sheet = new CTabSheet(&page);
  sheet->setObjectName(QStringLiteral("dustTabs"));
  QWidget* transport = makeTab(page, kDustGroupTransport, "transport", "CTransportDustDlg");
  QWidget* coal = makeTab(page, kDustGroupCoalPile, "coal", "CCoalPileDustDlg");
  sheet->AddPage(QString::fromUtf8(kDustTabTransport), transport, kTransportTemplate);
  sheet->AddPage(QString::fromUtf8(kDustTabCoalPile), coal, kCoalPileTemplate);
  sheet->CreatePages();
  sheet->SetBkgndColor(kPageBackground);
  sheet->EnableDraw(1);
  CTabSheet::EnableCustomLook(true, kCustomLookStyle);
  sheet->update();
  page.contentLayout()->insertWidget(0, caption);
  page.contentLayout()->insertWidget(1, sheet, 1);
  fillPageWithSheet(page.contentLayout(), sheet);
}

}  // namespace app

namespace app {

bool FugitiveDustPageHook::handleAction(CalculatorPage& page, const std::string& action) {
  using namespace models::air;
  const std::string group = action == "coal" ? kDustGroupCoalPile : kDustGroupTransport;
  if (action != "coal" && action != "transport") return false;
  const auto o =
      computeSubForm(page, action, [&group](const core::FieldDesc& f) { return f.group == group; });
  if (o) showSubFormResults(page, *o);
  return true;
}

}  // namespace app
