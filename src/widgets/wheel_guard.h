// The mouse wheel scrolls the page: a drop-down, spin box or slider takes the wheel only while it
// has the keyboard focus (a click or Tab gave it), so scrolling past one never changes its value.
#pragma once

class QApplication;

namespace widgets {

// Installs the rule for every widget of `app`, once.
void installWheelGuard(QApplication& app);

}  // namespace widgets
