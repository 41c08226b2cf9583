// The chart dialog of the vapour-cloud explosion page ("无因次距离查超压表"): the curve of the
// scaled overpressure against the scaled distance on log-log axes, the user's scaled distance
// marked by a vertical line, and a field for the overpressure read off the chart.
#pragma once

#include <QDialog>
#include <QWidget>

class QLineEdit;

namespace app {

// The log-log chart itself, drawn with QPainter.
class OverpressureChart : public QWidget {
  Q_OBJECT
 public:
  explicit OverpressureChart(QWidget* parent = nullptr);
  // The scaled distance to mark; nothing is marked outside the chart or when not finite.
  void setMarker(double scaled_distance);
  double marker() const { return m_marker; }
  QSize sizeHint() const override { return {560, 400}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  double m_marker = 0;
};

class COverpressureChartDlg : public QDialog {
  Q_OBJECT
 public:
  // scaled_distance: R' of the page (0 before any TNT computation).
  explicit COverpressureChartDlg(double scaled_distance, QWidget* parent = nullptr);

  // The overpressure entered, Pa, when the dialog was closed with "确定"; 0 otherwise.
  double overpressure() const { return m_overpressure; }

  OverpressureChart* chart() const { return m_chart; }
  QLineEdit* distanceEdit() const { return m_distance; }
  QLineEdit* overpressureEdit() const { return m_pressure; }

  // "确定": reads the overpressure (the number prompt for an unreadable one) and closes.
  void confirm();

 private:
  OverpressureChart* m_chart = nullptr;
  QLineEdit* m_distance = nullptr;
  QLineEdit* m_pressure = nullptr;
  double m_overpressure = 0;
};

}  // namespace app
