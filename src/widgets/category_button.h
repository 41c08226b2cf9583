// CCategoryButton: a flat push button with hover colours that may own a pop-up menu. A click
// opens the menu below the button, aligned with its left edge, and the chosen item's command
// id is reported through commandChosen; a dismissed menu reports nothing.
#pragma once

#include <QColor>
#include <QPushButton>

class QMenu;

namespace widgets {

class CCategoryButton : public QPushButton {
  Q_OBJECT
 public:
  explicit CCategoryButton(const QString& text, QWidget* parent = nullptr);

  // Adds an item with its command id, or a separator for an empty text.
  void addMenuItem(const QString& text, int command);
  QMenu* popupMenu() const { return m_menu; }
  // Background colours: mouse over, mouse away, focused.
  void setColours(const QColor& hover, const QColor& normal, const QColor& focus);
  void setTextColour(const QColor& c);

 signals:
  void commandChosen(int command);

 private:
  void applyStyle();
  QMenu* m_menu = nullptr;
  QColor m_hover, m_normal, m_focus, m_text;
};

}  // namespace widgets
