#include "app/tab_sheet.h"

#include <QPalette>
#include <QTabBar>

namespace app {

namespace {
unsigned g_look_style = 0;
}

CTabSheet::CTabSheet(QWidget* parent) : QTabWidget(parent) {
  bk_ = palette().color(QPalette::Button);
  connect(this, &QTabWidget::currentChanged, this, [this](int i) {
    if (created_ && i >= 0) emit selectionChanged(i);
  });
}

bool CTabSheet::AddPage(const QString& label, QWidget* dialog, int template_id) {
  if (!dialog || static_cast<int>(pages_.size()) >= kMaxPages) return false;
  pages_.push_back({label, dialog, template_id});
  return true;
}

void CTabSheet::CreatePages() {
  for (const auto& p : pages_) {
    if (indexOf(p.dialog) < 0) addTab(p.dialog, p.label);
  }
  created_ = true;
  if (count() > 0) setCurrentIndex(0);
}

void CTabSheet::SetBkgndColor(const QColor& c) {
  bk_ = c;
  QPalette p = palette();
  p.setColor(QPalette::Window, c);
  setPalette(p);
  for (const auto& pg : pages_) {
    QPalette dp = pg.dialog->palette();
    dp.setColor(QPalette::Window, c);
    pg.dialog->setPalette(dp);
    pg.dialog->setAutoFillBackground(true);
  }
  update();
}

bool CTabSheet::EnableDraw(int mode) {
  if (mode < 0 || mode > 2) return false;
  mode_ = mode;
  setAutoFillBackground(mode == 2);
  update();
  return true;
}

void CTabSheet::EnableCustomLook(bool enable, unsigned style) { g_look_style = enable ? style : 0; }

unsigned CTabSheet::CustomLookStyle() { return g_look_style; }

int CTabSheet::templateId(int i) const {
  if (i < 0 || i >= static_cast<int>(pages_.size())) return 0;
  return pages_[static_cast<size_t>(i)].template_id;
}

}  // namespace app
