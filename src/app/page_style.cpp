#include "app/page_style.h"

#include <QPalette>
#include <QWidget>

namespace app {

void applyBackground(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

}  // namespace app
