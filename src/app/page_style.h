// Colours of the main window and of the calculator pages.
#pragma once

#include <QColor>

class QWidget;

namespace app {

inline const QColor kMainBackground(0, 166, 228);
inline const QColor kPageBackground(159, 185, 245);
inline const QColor kNoiseToolBackground(84, 188, 214);

// Fill a widget's background with a colour; labels and group boxes on it stay transparent so
// they sit on that colour, other controls keep their own colours.
void applyBackground(QWidget* w, const QColor& c);
inline void applyPageColour(QWidget* w) { applyBackground(w, kPageBackground); }

}  // namespace app
