#include "widgets/category_button.h"

#include <QAction>
#include <QMenu>

namespace widgets {

CCategoryButton::CCategoryButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setFlat(true);
  setCursor(Qt::PointingHandCursor);
  connect(this, &QPushButton::clicked, this, [this] {
    if (!m_menu) return;
    setDown(true);
    QAction* a = m_menu->exec(mapToGlobal(QPoint(0, height())));
    setDown(false);
    if (a && a->data().isValid()) emit commandChosen(a->data().toInt());
  });
}

void CCategoryButton::addMenuItem(const QString& text, int command) {
  if (!m_menu) {
    m_menu = new QMenu(this);
    m_menu->setObjectName(objectName() + QStringLiteral("Menu"));
  }
  if (text.isEmpty()) {
    m_menu->addSeparator();
    return;
  }
  QAction* a = m_menu->addAction(text);
  a->setData(command);
  connect(a, &QAction::triggered, this, [this, command] {
    // Reached when the action is triggered outside exec() (a test or a shortcut).
    if (!isDown()) emit commandChosen(command);
  });
}

void CCategoryButton::setColours(const QColor& hover, const QColor& normal, const QColor& focus) {
  m_hover = hover;
  m_normal = normal;
  m_focus = focus;
  applyStyle();
}

void CCategoryButton::setTextColour(const QColor& c) {
  m_text = c;
  applyStyle();
}

void CCategoryButton::applyStyle() {
  QString s = QStringLiteral("QPushButton{border:1px solid #6f8fb0;padding:3px;");
  if (m_normal.isValid()) s += QStringLiteral("background:%1;").arg(m_normal.name());
  if (m_text.isValid()) s += QStringLiteral("color:%1;").arg(m_text.name());
  s += QStringLiteral("}");
  if (m_hover.isValid())
    s += QStringLiteral("QPushButton:hover{background:%1;}").arg(m_hover.name());
  if (m_focus.isValid())
    s += QStringLiteral("QPushButton:focus{background:%1;}QPushButton:focus:hover{background:%2;}")
             .arg(m_focus.name(), m_hover.isValid() ? m_hover.name() : m_focus.name());
  s += QStringLiteral("QPushButton:pressed,QPushButton:checked{border-style:inset;}");
  setStyleSheet(s);
}

}  // namespace widgets
