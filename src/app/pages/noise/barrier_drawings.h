// The figures of the barrier dialogs, drawn with QPainter so they scale with the dialog:
// the section and plan sketch of the path difference calculator, the finite-barrier
// correction chart and the embankment section with its Abar - delta curve. Each figure can
// also paint into any rectangle (tests render them to images).
#pragma once

#include <QRectF>
#include <QWidget>
#include <optional>

class QPainter;

namespace app {

// Source S, receiver P, the barrier and the points O1..O3 in section and plan.
class BarrierSketch : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kNone = -1, kFinite = 0, kInfinite = 1;
  explicit BarrierSketch(QWidget* parent = nullptr);
  void setKind(int kind);
  int kind() const { return m_kind; }
  static void paintSketch(QPainter& p, const QRectF& r, int kind);
  QSize sizeHint() const override { return {420, 420}; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  int m_kind = kNone;
};

// Finite-barrier attenuation against beta / theta for dL_inf = 3..16 dB, with the angles
// sketch; an optional marked point (ratio %, attenuation dB).
class FiniteBarrierChart : public QWidget {
  Q_OBJECT
 public:
  explicit FiniteBarrierChart(QWidget* parent = nullptr);
  void setInfiniteAttenuation(double db) {
    m_infinite = db;
    update();
  }
  static void paintChart(QPainter& p, const QRectF& r, double infinite_db);
  QSize sizeHint() const override { return {520, 380}; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  double m_infinite = 0;
};

// The embankment section (h, h1, h2, d1, a, r and the paths a, b, c) beside the Abar - delta
// curve, with the computed delta marked on the curve.
class EmbankmentFigure : public QWidget {
  Q_OBJECT
 public:
  explicit EmbankmentFigure(QWidget* parent = nullptr);
  void setDelta(std::optional<double> delta_m) {
    m_delta = delta_m;
    update();
  }
  std::optional<double> delta() const { return m_delta; }
  static void paintFigure(QPainter& p, const QRectF& r, std::optional<double> delta_m);
  QSize sizeHint() const override { return {640, 300}; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  std::optional<double> m_delta;
};

}  // namespace app
