#include "widgets/wheel_guard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace widgets {

namespace {

class WheelGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel || !watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    // The focus may sit in a spin box's own line edit: the control counts as focused then.
    QWidget* control = w;
    if (!qobject_cast<QComboBox*>(control) && !qobject_cast<QAbstractSpinBox*>(control) &&
        !qobject_cast<QAbstractSlider*>(control))
      return false;
    // A scroll bar is how every scroll area (the page, a table, a text box) takes the wheel: the
    // area hands its wheel to its bar, which never has the focus.
    if (qobject_cast<QScrollBar*>(control)) return false;
    if (control->hasFocus() || control->isAncestorOf(QApplication::focusWidget())) return false;
    // Ignored and filtered: the application hands the wheel on to the parent (the scroll area).
    event->ignore();
    return true;
  }
};

}  // namespace

void installWheelGuard(QApplication& app) {
  if (app.findChild<QObject*>(QStringLiteral("wheelGuard"), Qt::FindDirectChildrenOnly)) return;
  auto* guard = new WheelGuard(&app);
  guard->setObjectName(QStringLiteral("wheelGuard"));
  app.installEventFilter(guard);
}

}  // namespace widgets
