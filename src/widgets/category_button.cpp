#include "widgets/category_button.h"

#include <QAction>
#include <QMenu>

namespace widgets {

CCategoryButton::CCategoryButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setFlat(true);
  setCursor(Qt::PointingHandCursor);
  connect(this, &QPushButton::clicked, this, [this] {
    if (!menu_) return;
    setDown(true);
    QAction* a = menu_->exec(mapToGlobal(QPoint(0, height())));
    setDown(false);
    if (a && a->data().isValid()) emit commandChosen(a->data().toInt());
  });
}

void CCategoryButton::addMenuItem(const QString& text, int command) {
  if (!menu_) {
    menu_ = new QMenu(this);
    menu_->setObjectName(objectName() + QStringLiteral("Menu"));
  }
  if (text.isEmpty()) {
    menu_->addSeparator();
    return;
  }
  QAction* a = menu_->addAction(text);
  a->setData(command);
  connect(a, &QAction::triggered, this, [this, command] {
    // Reached when the action is triggered outside exec() (a test or a shortcut).
    if (!isDown()) emit commandChosen(command);
  });
}

void CCategoryButton::setColours(const QColor& hover, const QColor& normal, const QColor& focus) {
  hover_ = hover;
  normal_ = normal;
  focus_ = focus;
  applyStyle();
}

void CCategoryButton::setTextColour(const QColor& c) {
  text_ = c;
  applyStyle();
}

void CCategoryButton::applyStyle() {
  QString s = QStringLiteral("QPushButton{border:1px solid #6f8fb0;padding:3px;");
  if (normal_.isValid()) s += QStringLiteral("background:%1;").arg(normal_.name());
  if (text_.isValid()) s += QStringLiteral("color:%1;").arg(text_.name());
  s += QStringLiteral("}");
  if (hover_.isValid()) s += QStringLiteral("QPushButton:hover{background:%1;}").arg(hover_.name());
  if (focus_.isValid())
    s += QStringLiteral("QPushButton:focus{background:%1;}QPushButton:focus:hover{background:%2;}")
             .arg(focus_.name(), hover_.isValid() ? hover_.name() : focus_.name());
  s += QStringLiteral("QPushButton:pressed,QPushButton:checked{border-style:inset;}");
  setStyleSheet(s);
}

}  // namespace widgets
