#include "app/pages/risk/overpressure_chart_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "core/format.h"
#include "core/parse.h"
#include "models/risk/overpressure_chart.h"
#include "widgets/prompts.h"

namespace app {

namespace {

using models::risk::kChartDistanceMax;
using models::risk::kChartDistanceMin;
using models::risk::kChartPressureMax;
using models::risk::kChartPressureMin;

QString g(double v) { return QString::fromStdString(core::cformat("%g", v)); }

// Position of a value on a logarithmic axis from lo to hi mapped onto [a, b].
double logPos(double v, double lo, double hi, double a, double b) {
  return a + (b - a) * (std::log10(v) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
}

}  // namespace

OverpressureChart::OverpressureChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("overpressureChart"));
  setMinimumSize(480, 340);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void OverpressureChart::setMarker(double r) {
  m_marker = r;
  update();
}

void OverpressureChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics fm(font());
  const int left = fm.horizontalAdvance(QStringLiteral("0.01")) + 34;
  const int right = fm.horizontalAdvance(QStringLiteral("980665")) + 34;
  const QRectF plot(left, fm.height() + 16, width() - left - right,
                    height() - 3 * fm.height() - 30);
  auto xAt = [&](double r) {
    return logPos(r, kChartDistanceMin, kChartDistanceMax, plot.left(), plot.right());
  };
  auto yAt = [&](double s) {
    return logPos(s, kChartPressureMin, kChartPressureMax, plot.bottom(), plot.top());
  };

  // Grid: a line at every decade and lighter lines at 2..9 of each decade.
  const QPen major(QColor(150, 150, 150), 1), minor(QColor(222, 222, 222), 1);
  for (double dec = kChartDistanceMin; dec < kChartDistanceMax; dec *= 10)
    for (int k = 1; k <= 9; ++k) {
      p.setPen(k == 1 ? major : minor);
      const double x = xAt(dec * k);
      p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
  for (double dec = kChartPressureMin; dec < kChartPressureMax; dec *= 10)
    for (int k = 1; k <= 9; ++k) {
      p.setPen(k == 1 ? major : minor);
      const double y = yAt(dec * k);
      p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
  p.setPen(QPen(Qt::black, 1.5));
  p.drawRect(plot);

  // Tick labels: distances below, scaled overpressure on the left, the same in Pa on the right.
  p.setPen(Qt::black);
  for (double r : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
    const double x = xAt(r);
    p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 5));
    const QString t = g(r);
    p.drawText(QPointF(x - fm.horizontalAdvance(t) / 2.0, plot.bottom() + 6 + fm.ascent()), t);
  }
  for (double s = kChartPressureMin; s <= kChartPressureMax * 1.0001; s *= 10) {
    const double y = yAt(s);
    p.drawLine(QPointF(plot.left() - 5, y), QPointF(plot.left(), y));
    p.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 5, y));
    const QString t = g(s);
    p.drawText(QPointF(plot.left() - 7 - fm.horizontalAdvance(t), y + fm.ascent() / 2.0 - 1), t);
    const QString pa = QString::number(std::round(s * models::risk::kOverpressureUnit_Pa), 'f', 0);
    p.drawText(QPointF(plot.right() + 7, y + fm.ascent() / 2.0 - 1), pa);
  }
  const QString xTitle = QStringLiteral("无因次距离 R̄ = x / W_TNT^(1/3)  [m/kg^(1/3)]");
  p.drawText(QPointF(plot.center().x() - fm.horizontalAdvance(xTitle) / 2.0,
                     plot.bottom() + 10 + fm.height() + fm.ascent()),
             xTitle);
  p.drawText(QPointF(4, fm.ascent() + 4), QStringLiteral("超压 ΔP̄ (×9806.65 Pa)"));
  const QString paTitle = QStringLiteral("超压 ΔP [Pa]");
  p.drawText(QPointF(width() - 4 - fm.horizontalAdvance(paTitle), fm.ascent() + 4), paTitle);

  // The curve, sampled evenly in log distance and kept inside the frame.
  p.save();
  p.setClipRect(plot);
  QPainterPath curve;
  const int n = 200;
  for (int i = 0; i <= n; ++i) {
    const double r = std::pow(10.0, 2.0 * i / n);
    const QPointF pt(xAt(r), yAt(models::risk::chartScaledOverpressure(r)));
    if (i == 0)
      curve.moveTo(pt);
    else
      curve.lineTo(pt);
  }
  p.setPen(QPen(QColor(0, 0, 200), 2));
  p.drawPath(curve);

  // The user's scaled distance: a vertical line, the point on the curve and its reading.
  const double r = m_marker;
  if (std::isfinite(r) && r >= kChartDistanceMin && r <= kChartDistanceMax) {
    const double x = xAt(r);
    p.setPen(QPen(QColor(220, 0, 0), 1.5, Qt::DashLine));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    const double s = models::risk::chartScaledOverpressure(r);
    const QPointF at(x, yAt(s));
    p.setPen(QPen(QColor(220, 0, 0), 1, Qt::DotLine));
    p.drawLine(QPointF(plot.left(), at.y()), at);
    p.setBrush(QColor(220, 0, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(at, 4, 4);
    p.setPen(QColor(160, 0, 0));
    const QString reading =
        QStringLiteral("R̄ = %1, ΔP ≈ %2 Pa").arg(g(r), g(models::risk::chartOverpressure_Pa(r)));
    const double tx = std::min(x + 8, plot.right() - fm.horizontalAdvance(reading) - 4);
    p.drawText(QPointF(tx, std::max(at.y() - 8, plot.top() + fm.ascent() + 2)), reading);
  }
  p.restore();
}

COverpressureChartDlg::COverpressureChartDlg(double r, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("COverpressureChartDlg"));
  setWindowTitle(QStringLiteral("无因次距离查超压表"));
  applyPageColour(this);
  auto* v = new QVBoxLayout(this);
  m_chart = new OverpressureChart(this);
  m_chart->setMarker(r);
  v->addWidget(m_chart, 1);
  auto* form = new QGridLayout;
  m_distance =
      new QLineEdit(QString::fromStdString(core::formatFloatField(static_cast<float>(r))), this);
  m_distance->setObjectName(QStringLiteral("Rs"));
  m_pressure = new QLineEdit(QStringLiteral("0"), this);
  m_pressure->setObjectName(QStringLiteral("dP"));
  form->addWidget(new QLabel(QStringLiteral("无因次距离"), this), 0, 0);
  form->addWidget(m_distance, 0, 1);
  form->addWidget(new QLabel(QStringLiteral("查图知 超压 [Pa]"), this), 0, 2);
  form->addWidget(m_pressure, 0, 3);
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setObjectName(QStringLiteral("confirm"));
  ok->setDefault(true);
  form->addWidget(ok, 0, 4);
  v->addLayout(form);
  connect(ok, &QPushButton::clicked, this, &COverpressureChartDlg::confirm);
  // A distance typed here moves the marker; the page keeps its own R'.
  connect(m_distance, &QLineEdit::textChanged, this, [this](const QString& t) {
    const auto p = core::parseNumber(t.toStdString());
    m_chart->setMarker(p.ok() ? p.value : 0);
  });
}

void COverpressureChartDlg::confirm() {
  const auto p = core::parseNumber(m_pressure->text().toStdString());
  if (!p.ok()) {
    widgets::showMessage(this, kNumberPrompt);
    m_pressure->setFocus();
    m_pressure->selectAll();
    return;
  }
  m_overpressure = static_cast<float>(p.value);
  accept();
}

}  // namespace app
