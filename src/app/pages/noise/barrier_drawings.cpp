#include "app/pages/noise/barrier_drawings.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "models/noise/embankment_attenuation.h"
#include "models/noise/finite_barrier.h"

namespace app {

namespace {

const QColor kInk(20, 30, 60);
const QColor kBarrier(120, 70, 30);
const QColor kPath(200, 30, 30);
const QColor kDirect(90, 90, 90);
const QColor kPaper(250, 250, 245);

// A panel of the figure: maps unit coordinates (x right, y up) into a rectangle.
struct Panel {
  QRectF r;
  QPointF at(double x, double y) const {
    return {r.left() + x * r.width(), r.bottom() - y * r.height()};
  }
};

void dot(QPainter& p, QPointF c, const QString& name, QPointF offset = {6, -6}) {
  p.save();
  p.setPen(kInk);
  p.setBrush(kInk);
  p.drawEllipse(c, 3.5, 3.5);
  p.drawText(c + offset, name);
  p.restore();
}

// A dimension line between two points with arrow heads and a label at its middle.
void dimension(QPainter& p, QPointF a, QPointF b, const QString& label, QPointF offset = {4, -4}) {
  p.save();
  p.setPen(QPen(kInk, 1));
  p.drawLine(a, b);
  const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
  if (len > 1) {
    const QPointF u((b.x() - a.x()) / len, (b.y() - a.y()) / len);
    const QPointF n(-u.y(), u.x());
    for (auto [tip, dir] : {std::pair{a, u}, std::pair{b, -u}}) {
      QPolygonF head;
      head << tip << tip + dir * 7 + n * 3 << tip + dir * 7 - n * 3;
      p.setBrush(kInk);
      p.drawPolygon(head);
    }
  }
  p.drawText((a + b) / 2 + offset, label);
  p.restore();
}

void dashed(QPainter& p, QPointF a, QPointF b, const QColor& c) {
  p.save();
  p.setPen(QPen(c, 1.2, Qt::DashLine));
  p.drawLine(a, b);
  p.restore();
}

void path(QPainter& p, const std::vector<QPointF>& pts, const QColor& c) {
  p.save();
  p.setPen(QPen(c, 1.6));
  for (size_t i = 1; i < pts.size(); ++i) p.drawLine(pts[i - 1], pts[i]);
  p.restore();
}

void caption(QPainter& p, const QRectF& r, const QString& text) {
  p.save();
  QFont f = p.font();
  f.setBold(true);
  p.setFont(f);
  p.setPen(kInk);
  p.drawText(QRectF(r.left(), r.top(), r.width(), 20), Qt::AlignHCenter | Qt::AlignTop, text);
  p.restore();
}

// Vertical section through S and P: heights h1, H, h2 and distances d1, d2.
void paintSection(QPainter& p, const Panel& s, bool finite) {
  const QPointF g0 = s.at(0.02, 0.1), g1 = s.at(0.98, 0.1);
  p.setPen(QPen(kInk, 1.5));
  p.drawLine(g0, g1);
  for (double x = 0.04; x < 0.98; x += 0.05) p.drawLine(s.at(x, 0.1), s.at(x - 0.03, 0.04));
  const QPointF S = s.at(0.12, 0.3), P = s.at(0.9, 0.42), O = s.at(0.42, 0.8);
  p.fillRect(QRectF(s.at(0.41, 0.8), s.at(0.43, 0.1)), kBarrier);
  dashed(p, S, P, kDirect);
  path(p, {S, O, P}, kPath);
  dot(p, S, QStringLiteral("S"), {-14, -6});
  dot(p, P, QStringLiteral("P"), {6, -6});
  dot(p, O, finite ? QStringLiteral("O1") : QStringLiteral("O"), {-6, -8});
  dimension(p, s.at(0.06, 0.1), s.at(0.06, 0.3), QStringLiteral("h1"), {-22, 4});
  dimension(p, s.at(0.47, 0.1), s.at(0.47, 0.8), QStringLiteral("H"), {4, 4});
  dimension(p, s.at(0.95, 0.1), s.at(0.95, 0.42), QStringLiteral("h2"), {-24, 4});
  // d1 and d2 below their lines, clear of the ground hatching.
  dimension(p, s.at(0.12, 0.02), s.at(0.42, 0.02), QStringLiteral("d1"), {-6, 14});
  dimension(p, s.at(0.42, 0.02), s.at(0.9, 0.02), QStringLiteral("d2"), {-6, 14});
}

// Plan view: the barrier along x, S below it at d1, P above at d2.
void paintPlan(QPainter& p, const Panel& s, bool finite) {
  const double yb = 0.5;  // barrier line
  const double xl = finite ? 0.3 : 0.02, xr = finite ? 0.7 : 0.98;
  p.save();
  p.setPen(QPen(kBarrier, 5, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(s.at(xl, yb), s.at(xr, yb));
  p.restore();
  const QPointF S = s.at(finite ? 0.42 : 0.2, 0.2), P = s.at(finite ? 0.78 : 0.8, 0.85);
  dashed(p, S, P, kDirect);
  // Where S -> P crosses the barrier line.
  const double t = (S.y() - s.at(0, yb).y()) / (S.y() - P.y());
  const QPointF O1 = S + (P - S) * t;
  path(p, {S, O1, P}, kPath);
  dot(p, S, QStringLiteral("S"), {-14, 14});
  dot(p, P, QStringLiteral("P"), {6, -4});
  dimension(p, s.at(0.08, 0.2), s.at(0.08, yb), QStringLiteral("d1"), {4, 4});
  dimension(p, s.at(0.08, yb), s.at(0.08, 0.85), QStringLiteral("d2"), {4, 4});
  if (!finite) {
    dot(p, O1, QStringLiteral("O"), {6, 14});
    dimension(p, s.at(0.2, 0.95), s.at(0.8, 0.95), QStringLiteral("m"), {-6, -4});
    dashed(p, s.at(0.2, 0.2), s.at(0.2, 0.97), kDirect);
    dashed(p, s.at(0.8, 0.85), s.at(0.8, 0.97), kDirect);
    p.setPen(kInk);
    p.drawText(s.at(0.88, yb + 0.04), QStringLiteral("∞"));
    p.drawText(s.at(0.0, yb + 0.04), QStringLiteral("∞"));  // left of the d1, d2 dimension
    return;
  }
  const QPointF O2 = s.at(xl, yb), O3 = s.at(xr, yb);
  path(p, {S, O2, P}, QColor(30, 110, 200));
  path(p, {S, O3, P}, QColor(30, 150, 60));
  // Each name where no path or dimension runs: O1 above the barrier left of the path to P, O3
  // below the barrier right of the path from S.
  dot(p, O1, QStringLiteral("O1"), {-24, -8});
  dot(p, O2, QStringLiteral("O2"), {-24, -6});
  dot(p, O3, QStringLiteral("O3"), {8, 14});
  // Perpendicular bisector and the offsets m1, m2 from it.
  dashed(p, s.at(0.5, 0.08), s.at(0.5, 0.97), kInk);
  p.setPen(kInk);
  p.drawText(s.at(0.51, 0.06), QStringLiteral("中垂线"));
  dimension(p, s.at(0.5, 0.2), S, QStringLiteral("m1"), {-8, 14});
  dimension(p, s.at(0.5, 0.85), P, QStringLiteral("m2"), {-8, -4});
  // The barrier length above the barrier, its name near the left end, where the path over O2
  // still runs below the dimension line.
  const QPointF lMid = (s.at(xl, 0.6) + s.at(xr, 0.6)) / 2;
  dimension(p, s.at(xl, 0.6), s.at(xr, 0.6), QStringLiteral("L"),
            s.at(xl + 0.04, 0.6) - lMid + QPointF(0, -4));
}

}  // namespace

// ---- path difference sketch ---------------------------------------------------------------

BarrierSketch::BarrierSketch(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("barrierSketch"));
  setMinimumSize(300, 300);
}

void BarrierSketch::setKind(int kind) {
  m_kind = kind;
  update();
}

void BarrierSketch::paintSketch(QPainter& p, const QRectF& r, int kind) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(r, kPaper);
  if (kind == kNone) {
    p.restore();
    return;
  }
  const bool finite = kind == kFinite;
  const double half = (r.height() - 8) / 2;
  const QRectF top(r.left() + 8, r.top() + 4, r.width() - 16, half);
  const QRectF bottom(r.left() + 8, r.top() + 4 + half + 4, r.width() - 16, half - 4);
  caption(p, top, QStringLiteral("剖面图"));
  caption(p, bottom,
          finite ? QStringLiteral("平面图（屏障有限长）") : QStringLiteral("平面图（屏障无限长）"));
  paintSection(p, Panel{top.adjusted(4, 24, -4, -4)}, finite);
  paintPlan(p, Panel{bottom.adjusted(4, 24, -4, -4)}, finite);
  p.restore();
}

void BarrierSketch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintSketch(p, rect(), m_kind);
}

// ---- finite-barrier chart -------------------------------------------------------------------

FiniteBarrierChart::FiniteBarrierChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("finiteBarrierChart"));
  setMinimumSize(420, 300);
}

void FiniteBarrierChart::paintChart(QPainter& p, const QRectF& r, double infinite_db) {
  using namespace models::noise;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(r, kPaper);
  // Sketch of the angles on the left quarter, the chart on the rest.
  const QRectF sk(r.left() + 6, r.top() + 6, r.width() * 0.26, r.height() - 12);
  const QRectF ch(sk.right() + 50, r.top() + 24, r.right() - sk.right() - 80, r.height() - 70);
  {
    const Panel s{sk};
    p.setPen(QPen(kInk, 2));
    p.drawLine(s.at(0.05, 0.8), s.at(0.95, 0.8));
    p.setPen(kInk);
    p.drawText(s.at(0.02, 0.86), QStringLiteral("线声源"));
    p.setPen(QPen(kBarrier, 5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(s.at(0.25, 0.55), s.at(0.8, 0.55));
    p.setPen(kInk);
    p.drawText(s.at(0.28, 0.5), QStringLiteral("声屏障"));
    const QPointF P = s.at(0.5, 0.2);
    dot(p, P, QStringLiteral("P"), {6, 14});
    dashed(p, P, s.at(0.05, 0.8), kDirect);
    dashed(p, P, s.at(0.95, 0.8), kDirect);
    p.setPen(QPen(kPath, 1.4));
    p.drawLine(P, s.at(0.25 + (0.25 - 0.5) * 0.4, 0.8));
    p.drawLine(P, s.at(0.8 + (0.8 - 0.5) * 0.4, 0.8));
    p.setPen(kInk);
    p.drawArc(QRectF(P.x() - 30, P.y() - 30, 60, 60), 35 * 16, 110 * 16);
    p.drawText(P + QPointF(-6, -34), QStringLiteral("β"));
    p.drawArc(QRectF(P.x() - 50, P.y() - 50, 100, 100), 28 * 16, 124 * 16);
    p.drawText(P + QPointF(-6, -54), QStringLiteral("θ"));
  }
  // Axes: x = beta / theta 60..100 %, y = attenuation 0..16 dB(A).
  const double xmin = kChartRatioMin_pct, xmax = kChartRatioMax_pct, ymax = kChartCurveMax_db;
  auto map = [&](double x, double y) {
    return QPointF(ch.left() + (x - xmin) / (xmax - xmin) * ch.width(),
                   ch.bottom() - y / ymax * ch.height());
  };
  p.setPen(QPen(QColor(200, 200, 200), 1));
  for (int x = 60; x <= 100; x += 5) p.drawLine(map(x, 0), map(x, ymax));
  for (int y = 0; y <= 16; y += 2) p.drawLine(map(xmin, y), map(xmax, y));
  p.setPen(QPen(kInk, 1.2));
  p.drawRect(ch);
  for (int x = 60; x <= 100; x += 10)
    p.drawText(QRectF(map(x, 0).x() - 20, ch.bottom() + 2, 40, 16), Qt::AlignCenter,
               QStringLiteral("%1").arg(x));
  for (int y = 0; y <= 16; y += 2)
    p.drawText(QRectF(ch.left() - 30, map(xmin, y).y() - 8, 26, 16),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1").arg(y));
  p.drawText(QRectF(ch.left(), ch.bottom() + 20, ch.width(), 18), Qt::AlignCenter,
             QStringLiteral("遮蔽角百分率 β/θ (%)"));
  p.save();
  p.translate(ch.left() - 36, ch.center().y());
  p.rotate(-90);
  p.drawText(QRectF(-ch.height() / 2, -18, ch.height(), 18), Qt::AlignCenter,
             QStringLiteral("有限长声屏障衰减量 dB(A)"));
  p.restore();
  p.drawText(QRectF(ch.left(), r.top() + 4, ch.width(), 18), Qt::AlignCenter,
             QStringLiteral("有限长声屏障修正图（ΔL∞ = 3～16 dB）"));
  // One curve per infinite-barrier attenuation, labelled at its right end.
  p.setClipRect(ch.adjusted(0, -10, 30, 0));
  for (int dl = kChartCurveMin_db; dl <= kChartCurveMax_db; ++dl) {
    QPainterPath curve;
    for (int i = 0; i <= 80; ++i) {
      const double x = xmin + (xmax - xmin) * i / 80.0;
      const QPointF pt = map(x, finiteBarrierCurve_dB(x / 100.0, dl));
      if (i == 0)
        curve.moveTo(pt);
      else
        curve.lineTo(pt);
    }
    const bool current = std::fabs(dl - infinite_db) < 0.5;
    p.setPen(QPen(current ? kPath : QColor(30, 80, 160), current ? 2.2 : 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.drawText(map(xmax, dl) + QPointF(3, 4), QStringLiteral("%1").arg(dl));
  }
  p.setClipping(false);
  p.restore();
}

void FiniteBarrierChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintChart(p, rect(), m_infinite);
}

// ---- embankment figure -------------------------------------------------------------------

EmbankmentFigure::EmbankmentFigure(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("embankmentFigure"));
  setMinimumSize(480, 240);
}

void EmbankmentFigure::paintFigure(QPainter& p, const QRectF& r, std::optional<double> delta) {
  using namespace models::noise;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(r, kPaper);
  const QRectF left(r.left() + 6, r.top() + 6, r.width() * 0.48, r.height() - 12);
  const QRectF right(left.right() + 46, r.top() + 26, r.right() - left.right() - 60,
                     r.height() - 70);
  {
    caption(p, left, QStringLiteral("高路堤断面"));
    const Panel s{left.adjusted(4, 24, -4, -4)};
    // Road top at y = 0.6 from x 0 to the shoulder, slope down to the ground at y = 0.15.
    QPolygonF body;
    body << s.at(0, 0.15) << s.at(0, 0.6) << s.at(0.4, 0.6) << s.at(0.55, 0.15);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(210, 200, 170));
    p.drawPolygon(body);
    p.drawLine(s.at(0.55, 0.15), s.at(1, 0.15));
    const QPointF S = s.at(0.05, 0.72), O = s.at(0.4, 0.6), P = s.at(0.95, 0.3);
    dashed(p, S, P, kDirect);
    path(p, {S, O, P}, kPath);
    dot(p, S, QStringLiteral("S"), {-4, -8});
    dot(p, O, QStringLiteral("O"), {2, -8});
    dot(p, P, QStringLiteral("P"), {-12, -8});
    p.setPen(kInk);
    p.drawText((S + O) / 2 + QPointF(-2, -6), QStringLiteral("a"));
    p.drawText((O + P) / 2 + QPointF(2, -6), QStringLiteral("b"));
    p.drawText((S + P) / 2 + QPointF(0, 14), QStringLiteral("c"));
    dimension(p, s.at(0.05, 0.6), S, QStringLiteral("h1"), {-20, 2});
    dimension(p, s.at(0.62, 0.6), s.at(0.62, 0.15), QStringLiteral("h"), {4, 4});
    dimension(p, s.at(0.95, 0.15), P, QStringLiteral("h2"), {-22, 4});
    dimension(p, s.at(0.05, 0.85), s.at(0.4, 0.85), QStringLiteral("d1"), {-6, -4});
    dimension(p, s.at(0.05, 0.05), s.at(0.95, 0.05), QStringLiteral("r"), {-4, -4});
    p.setPen(kInk);
    p.drawText(s.at(0.44, 0.5), QStringLiteral("a°"));
  }
  // The curve: lg delta from -2 to 2, Abar 0..20 dB.
  auto map = [&](double d, double a) {
    return QPointF(right.left() + (std::log10(d) + 2) / 4 * right.width(),
                   right.bottom() - a / 20 * right.height());
  };
  p.setPen(QPen(QColor(200, 200, 200), 1));
  for (int e = -2; e <= 2; ++e)
    for (int k = 1; k <= 9 && (e < 2 || k == 1); ++k) {
      const double d = k * std::pow(10.0, e);
      p.drawLine(map(d, 0), map(d, 20));
    }
  for (int a = 0; a <= 20; a += 4) p.drawLine(map(0.01, a), map(100, a));
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(right);
  const char* ticks[] = {"0.01", "0.1", "1", "10", "100"};
  for (int e = -2; e <= 2; ++e)
    p.drawText(QRectF(map(std::pow(10.0, e), 0).x() - 20, right.bottom() + 2, 40, 16),
               Qt::AlignCenter, QString::fromLatin1(ticks[e + 2]));
  for (int a = 0; a <= 20; a += 4)
    p.drawText(QRectF(right.left() - 30, map(0.01, a).y() - 8, 26, 16),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1").arg(a));
  p.drawText(QRectF(right.left(), right.bottom() + 20, right.width(), 18), Qt::AlignCenter,
             QStringLiteral("声程差δ (m)"));
  p.drawText(QRectF(right.left(), r.top() + 6, right.width(), 18), Qt::AlignCenter,
             QStringLiteral("Abar (dB)，f = 500 Hz"));
  QPainterPath curve;
  for (int i = 0; i <= 200; ++i) {
    const double d = std::pow(10.0, -2 + 4 * i / 200.0);
    const QPointF pt = map(d, embankmentCurve_dB(d));
    if (i == 0)
      curve.moveTo(pt);
    else
      curve.lineTo(pt);
  }
  p.setPen(QPen(QColor(30, 80, 160), 2));
  p.drawPath(curve);
  if (delta && *delta > 0) {
    const double d = std::clamp(*delta, 0.01, 100.0);
    const double a = embankmentCurve_dB(d);
    const QPointF pt = map(d, a);
    dashed(p, map(d, 0), pt, kPath);
    dashed(p, map(0.01, a), pt, kPath);
    p.setPen(kPath);
    p.setBrush(kPath);
    p.drawEllipse(pt, 4, 4);
    p.drawText(pt + QPointF(6, 14), QStringLiteral("δ=%1m").arg(*delta, 0, 'g', 4));
  }
  p.restore();
}

void EmbankmentFigure::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintFigure(p, rect(), m_delta);
}

}  // namespace app
