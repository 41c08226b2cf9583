#include "app/tab_sheet.h"

#include <QBoxLayout>
#include <QPalette>
#include <QScrollArea>
#include <QTabBar>

namespace app {

namespace {
unsigned g_look_style = 0;
}  // namespace

CTabSheet::CTabSheet(QWidget* parent) : QTabWidget(parent) {
  m_bk = palette().color(QPalette::Button);
  connect(this, &QTabWidget::currentChanged, this, [this](int i) {
    if (m_created && i >= 0) emit selectionChanged(i);
  });
}

bool CTabSheet::AddPage(const QString& label, QWidget* dialog, int template_id) {
  if (!dialog || static_cast<int>(m_pages.size()) >= kMaxPages) return false;
  m_pages.push_back({label, dialog, template_id, nullptr});
  return true;
}

void CTabSheet::CreatePages() {
  for (auto& p : m_pages) {
    if (p.holder) continue;
    // Each tab scrolls on its own where its form is taller than the sheet, so the tabs stay in
    // view and a small screen still reaches every button of the tab.
    auto* area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("tabScroll"));
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(p.dialog);
    p.holder = area;
    addTab(area, p.label);
  }
  m_created = true;
  if (count() > 0) setCurrentIndex(0);
}

void CTabSheet::SetBkgndColor(const QColor& c) {
  m_bk = c;
  QPalette p = palette();
  p.setColor(QPalette::Window, c);
  setPalette(p);
  for (const auto& pg : m_pages) {
    QPalette dp = pg.dialog->palette();
    dp.setColor(QPalette::Window, c);
    pg.dialog->setPalette(dp);
    pg.dialog->setAutoFillBackground(true);
  }
  update();
}

bool CTabSheet::EnableDraw(int mode) {
  if (mode < 0 || mode > 2) return false;
  m_mode = mode;
  setAutoFillBackground(mode == 2);
  update();
  return true;
}

void CTabSheet::EnableCustomLook(bool enable, unsigned style) { g_look_style = enable ? style : 0; }

unsigned CTabSheet::CustomLookStyle() { return g_look_style; }

int CTabSheet::templateId(int i) const {
  if (i < 0 || i >= static_cast<int>(m_pages.size())) return 0;
  return m_pages[static_cast<size_t>(i)].template_id;
}

void fillPageWithSheet(QBoxLayout* layout, CTabSheet* sheet) {
  for (int i = 0; i < layout->count(); ++i)
    if (layout->itemAt(i)->spacerItem()) layout->setStretch(i, 0);
  layout->setStretchFactor(sheet, 1);
}

}  // namespace app
