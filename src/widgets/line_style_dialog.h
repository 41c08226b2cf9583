// The "线型" dialog: colour and width (mm) of one contour level's line.
#pragma once

#include <QDialog>

#include "present/contour.h"

class QLabel;
class QLineEdit;

namespace widgets {

// Prompt for a field that does not hold a number.
inline const QString kMsgEnterNumber = QStringLiteral("请输入一个数字。");

class LineStyleDialog : public QDialog {
  Q_OBJECT

 public:
  LineStyleDialog(float width_mm, present::Rgb colour, QWidget* parent = nullptr);

  float widthMm() const { return m_width_mm; }
  present::Rgb colour() const { return m_colour; }
  void setColour(present::Rgb c);

  // One spin step is 0.1 mm; the field takes the new width ("%.2f") only within 0..5 mm.
  void stepWidth(int steps);
  QLineEdit* widthEdit() const { return m_width; }

 public slots:
  void accept() override;

 private:
  void chooseColour();

  QLineEdit* m_width;
  QLabel* m_swatch;
  float m_width_mm;
  present::Rgb m_colour;
};

}  // namespace widgets
