#include "widgets/curve_plot.h"

#include <QApplication>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/format.h"

namespace widgets {

double curveYMax(float c_max) {
  const std::string text = core::cformat("%f", static_cast<double>(c_max));
  const auto zeros = std::count(text.begin(), text.end(), '0');
  const long double scale = std::pow(10.0L, static_cast<long double>(zeros));
  const long double y = std::trunc(static_cast<long double>(c_max) * scale + 4.0L) / scale;
  const double result = static_cast<double>(y);
  return std::isfinite(result) && result > 0 ? result : 1.0;
}

std::vector<double> curveStepPositions(float x_max_m, int step_m) {
  std::vector<double> xs;
  if (step_m <= 0 || !std::isfinite(x_max_m)) return xs;
  const auto n = static_cast<long long>(x_max_m / static_cast<float>(step_m));
  for (long long i = 0; i <= n; ++i) xs.push_back(static_cast<double>(i * step_m));
  return xs;
}

CurvePlot::CurvePlot(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("绘图工具"));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(159, 185, 245));
  setPalette(pal);

  m_view = new QChartView(new QChart, this);
  m_view->setRenderHint(QPainter::Antialiasing);
  m_view->chart()->legend()->hide();
  m_view->setMinimumSize(560, 400);

  auto* copy = new QPushButton(QStringLiteral("复制到剪贴板"), this);
  auto* close = new QPushButton(QStringLiteral("关闭"), this);
  connect(copy, &QPushButton::clicked, this, &CurvePlot::copyToClipboard);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(copy);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_view, 1);
  layout->addLayout(buttons);
}

CurvePlot::~CurvePlot() = default;

QChart* CurvePlot::chart() const { return m_view->chart(); }

void CurvePlot::setCurve(int mode, const std::vector<double>& x_m,
                         const std::vector<double>& c_mg_m3) {
  double c_max = 0;
  for (double c : c_mg_m3)
    if (std::isfinite(c)) c_max = std::max(c_max, c);
  setCurve(mode, x_m, c_mg_m3, static_cast<float>(c_max));
}

void CurvePlot::setCurve(int mode, const std::vector<double>& x_m,
                         const std::vector<double>& c_mg_m3, float c_max) {
  QChart* chart = m_view->chart();
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
  chart->setTitle(QString());
  if (mode != 1) return;

  QList<QPointF> points;
  const size_t n = std::min(x_m.size(), c_mg_m3.size());
  for (size_t i = 0; i < n; ++i)
    if (std::isfinite(x_m[i]) && std::isfinite(c_mg_m3[i])) points.append({x_m[i], c_mg_m3[i]});
  double x_lo = 0, x_hi = 0;
  if (!points.isEmpty()) {
    const auto [lo, hi] = std::minmax_element(points.begin(), points.end(),
                                              [](auto& a, auto& b) { return a.x() < b.x(); });
    x_lo = lo->x();
    x_hi = hi->x();
  }
  if (!(x_hi > x_lo)) x_hi = x_lo + 1;  // a single distance still needs a drawable axis

  QFont titleFont = chart->titleFont();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  titleFont.setBold(true);
  chart->setTitleFont(titleFont);
  chart->setTitle(QStringLiteral("下风向浓度曲线图"));

  auto* series = new QLineSeries;
  series->replace(points);
  series->setPen(QPen(QColor(0, 0, 255), 2));
  chart->addSeries(series);

  auto* ax = new QValueAxis;
  ax->setTitleText(QStringLiteral("X —— 污染源下风向（m）"));
  ax->setRange(x_lo, x_hi);
  ax->setLabelFormat(QStringLiteral("%g"));
  auto* ay = new QValueAxis;
  ay->setTitleText(QStringLiteral("c —— 地面浓度（mg/m^3）"));
  ay->setRange(0, curveYMax(c_max));
  ay->setLabelFormat(QStringLiteral("%g"));
  chart->addAxis(ax, Qt::AlignBottom);
  chart->addAxis(ay, Qt::AlignLeft);
  series->attachAxis(ax);
  series->attachAxis(ay);
}

QImage CurvePlot::plotImage() const { return m_view->grab().toImage(); }

void CurvePlot::copyToClipboard() { QApplication::clipboard()->setImage(plotImage()); }

}  // namespace widgets
