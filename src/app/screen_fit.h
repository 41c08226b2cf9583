// Every window opens fully on screen: a top-level window larger than the screen's available
// area (the screen less its task bars) is shrunk to it, and one that would open partly off it
// is moved onto it. Laptops with 1366 × 768 screens are the tightest case we support.
#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace app {

// Installs, once, an application-wide watcher that fits each top-level window as it is shown.
void keepWindowsOnScreen();

// The frame the window system draws around `w` (title bar and borders): the real one once the
// window is mapped, an estimate before.
QMargins windowFrame(const QWidget* w);

// Shrinks `w` so that it and its frame fit in `available`, and moves it fully inside. A window
// not yet placed is centred over its parent's window, or on the screen when it has none.
void fitOnScreen(QWidget* w, const QRect& available);
// The same against the available geometry of the screen the window is on.
void fitOnScreen(QWidget* w);

}  // namespace app
