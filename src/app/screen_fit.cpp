#include "app/screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace app {

namespace {

// Title bar and borders of a typical window manager, for a window not yet mapped.
constexpr QMargins kEstimatedFrame(4, 32, 4, 4);

// The frame as the window system reports it for a mapped window.
bool frameKnown(const QWidget* w) {
  const QWindow* win = w->windowHandle();
  return win && win->isVisible() && !win->frameMargins().isNull();
}

bool isFittedWindow(const QWidget* w) {
  if (!w->isWindow()) return false;
  switch (w->windowType()) {
    case Qt::Popup:  // menus, drop-downs and tooltips place themselves
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop: return false;
    default: return true;
  }
}

class OnScreenWatcher : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* o, QEvent* e) override {
    // The show event comes before the window is mapped, so the window opens where it belongs.
    if (e->type() == QEvent::Show && !e->spontaneous() && o->isWidgetType()) {
      auto* w = static_cast<QWidget*>(o);
      if (isFittedWindow(w)) fitOnScreen(w);
    }
    return false;
  }
};

}  // namespace

void keepWindowsOnScreen() {
  static const QLatin1String name("onScreenWatcher");
  if (!qApp || qApp->findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) return;
  auto* watcher = new OnScreenWatcher(qApp);
  watcher->setObjectName(name);
  qApp->installEventFilter(watcher);
}

QMargins windowFrame(const QWidget* w) {
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
    // Off screen the frame is what the platform reports once the window is created.
    const QWindow* win = w->windowHandle();
    return win ? win->frameMargins() : QMargins();
  }
  if (frameKnown(w)) return w->windowHandle()->frameMargins();
  if (w->windowFlags() & Qt::FramelessWindowHint) return {};
  return kEstimatedFrame;
}

void fitOnScreen(QWidget* w, const QRect& available) {
  if (!w || available.isEmpty()) return;
  const QMargins frame = windowFrame(w);
  const QSize room = available.size().shrunkBy(frame);
  const QSize size(std::min(w->width(), room.width()), std::min(w->height(), room.height()));
  if (size != w->size()) w->resize(size.expandedTo(w->minimumSize()));
  QRect outer = w->geometry().marginsAdded(frame);
  if (!w->testAttribute(Qt::WA_Moved)) {
    // Not placed yet: centred over the window it belongs to, else on the screen. Placing it
    // here also keeps a dialog from placing itself afterwards from a guessed frame.
    const QWidget* owner = w->parentWidget() ? w->parentWidget()->window() : nullptr;
    outer.moveCenter(owner && owner->isVisible() ? owner->frameGeometry().center()
                                                 : available.center());
  }
  // Fully inside: the right and bottom edges first, so that the title bar stays reachable.
  outer.moveRight(std::min(outer.right(), available.right()));
  outer.moveBottom(std::min(outer.bottom(), available.bottom()));
  outer.moveLeft(std::max(outer.left(), available.left()));
  outer.moveTop(std::max(outer.top(), available.top()));
  // move() places the frame as Qt knows it so far (none, before a window is mapped).
  const QPoint inside = outer.topLeft() + QPoint(frame.left(), frame.top());
  w->move(inside - (w->geometry().topLeft() - w->pos()));
}

void fitOnScreen(QWidget* w) {
  if (!w) return;
  QScreen* s = w->screen();
  if (!s) s = QGuiApplication::primaryScreen();
  if (s) fitOnScreen(w, s->availableGeometry());
}

}  // namespace app
