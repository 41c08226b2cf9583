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

 private:
  // Drop-downs, spin boxes and sliders. Not a scroll bar: it is how every scroll area (the page,
  // a table, a text box) takes the wheel, handed on by the area, and it never has the focus.
  static bool guarded(const QWidget* w) {
    if (qobject_cast<const QScrollBar*>(w)) return false;
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractSlider*>(w);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    // A user's wheel gives the focus to a control that takes it by the wheel before the control
    // sees the wheel: such a control takes it by click and Tab only.
    if (event->type() == QEvent::Polish && guarded(w) &&
        (w->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
      w->setFocusPolicy(Qt::StrongFocus);
    if (event->type() != QEvent::Wheel) return false;
    // The focus may sit in a spin box's own line edit: the control counts as focused then.
    QWidget* control = w;
    if (!guarded(control)) return false;
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
