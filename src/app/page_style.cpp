#include "app/page_style.h"

#include <QPalette>
#include <QWidget>

namespace app {

void applyBackground(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  // Disabled labels and check boxes stay readable on the coloured ground: a dark grey-blue.
  const QColor disabled(72, 82, 104);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, disabled);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

}  // namespace app
