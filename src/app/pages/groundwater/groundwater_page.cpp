#include "app/pages/groundwater/groundwater_page.h"

#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QLabel>
#include <QLayoutItem>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "app/calculator_page.h"
#include "models/groundwater/gw_desc.h"
#include "present/grid_data.h"
#include "widgets/contour_map_window.h"
#include "widgets/list_table.h"

namespace app {

namespace {

// One chart of curves: each (name, x, C) a line; points where C is not defined are left out.
QChartView* curveChart(QWidget* parent, const QString& title, const QString& xTitle,
                       const std::vector<double>& x,
                       const std::vector<std::pair<QString, std::vector<double>>>& curves) {
  auto* chart = new QChart;
  chart->setTitle(title);
  auto* ax = new QValueAxis;
  ax->setTitleText(xTitle);
  auto* ay = new QValueAxis;
  ay->setTitleText(QStringLiteral("C [mg/L]"));
  chart->addAxis(ax, Qt::AlignBottom);
  chart->addAxis(ay, Qt::AlignLeft);
  double top = 0;
  for (const auto& [name, c] : curves) {
    auto* line = new QLineSeries;
    line->setName(name);
    for (size_t i = 0; i < x.size() && i < c.size(); ++i)
      if (std::isfinite(c[i])) {
        line->append(x[i], c[i]);
        top = std::max(top, c[i]);
      }
    chart->addSeries(line);
    line->attachAxis(ax);
    line->attachAxis(ay);
  }
  if (!x.empty()) ax->setRange(x.front(), x.back());
  ay->setRange(0, top > 0 ? top * 1.05 : 1);
  auto* view = new QChartView(chart, parent);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(560, 300);
  return view;
}

}  // namespace

void GroundwaterPageHook::setup(CalculatorPage& page) {
  m_solution = models::groundwater::gwSolutionOf(page.desc().id).value_or(m_solution);
  QVBoxLayout* layout = page.contentLayout();
  if (layout->count() > 0 && layout->itemAt(layout->count() - 1)->spacerItem())
    delete layout->takeAt(layout->count() - 1);
  m_table = new widgets::ListTable(&page);
  m_table->setObjectName(QStringLiteral("concentrationTable"));
  m_table->setMinimumHeight(120);
  m_extent = new widgets::ListTable(&page);
  m_extent->setObjectName(QStringLiteral("extentTable"));
  m_extent->setMinimumHeight(120);
  layout->addWidget(
      new QLabel(QStringLiteral("浓度预测表 C [mg/L]（行：时间 t [d]，列：距离 x [m]）"), &page));
  layout->addWidget(m_table, 1);
  layout->addWidget(new QLabel(QStringLiteral("超标范围与影响范围"), &page));
  layout->addWidget(m_extent, 1);
}

bool GroundwaterPageHook::showOutcome(CalculatorPage& page, const std::string& action,
                                      const core::Outcome& outcome) {
  if (outcome.tables.size() >= 2) {
    m_table->setTable(outcome.tables[0]);
    m_extent->setTable(outcome.tables[1]);
  }
  if (action == "curves") showCurves(page);
  if (action == "map" && outcome.grid) showMap(page, *outcome.grid);
  return false;  // the point value and the summary go to the form the generic way
}

void GroundwaterPageHook::clearResults(CalculatorPage& page) {
  (void)page;
  if (m_table) m_table->clear();
  if (m_extent) m_extent->clear();
  delete m_curves.data();
  delete m_map.data();
}

// The page's values were just read and accepted by the compute, so the lists parse.
void GroundwaterPageHook::showCurves(CalculatorPage& page) {
  namespace gw = models::groundwater;
  const gw::GwInput in = gw::gwReadInput(page.values());
  const std::vector<double> xs = gw::parseNumberList(in.xs).value_or(std::vector<double>{});
  const std::vector<double> ts = gw::parseNumberList(in.ts).value_or(std::vector<double>{});
  const gw::GwCurves c = gw::gwCurves(m_solution, in.site, xs, ts, in.x_m, in.y_m);
  delete m_curves.data();
  m_curves = new QDialog(&page);
  m_curves->setObjectName(QStringLiteral("groundwaterCurves"));
  m_curves->setWindowTitle(QStringLiteral("浓度曲线"));
  auto* v = new QVBoxLayout(m_curves);
  std::vector<std::pair<QString, std::vector<double>>> byT;
  for (size_t i = 0; i < ts.size() && i < c.c_by_t.size(); ++i)
    byT.emplace_back(QStringLiteral("t = %1 d").arg(ts[i], 0, 'g', 6), c.c_by_t[i]);
  const bool twoD = gw::isTwoD(m_solution);
  const QString axis = twoD ? QStringLiteral("（y = %1 m）").arg(in.y_m, 0, 'g', 6) : QString();
  v->addWidget(
      curveChart(m_curves, QStringLiteral("C–x 曲线") + axis, QStringLiteral("x [m]"), c.x_m, byT));
  const QString point =
      twoD ? QStringLiteral("x = %1 m，y = %2 m").arg(in.x_m, 0, 'g', 6).arg(in.y_m, 0, 'g', 6)
           : QStringLiteral("x = %1 m").arg(in.x_m, 0, 'g', 6);
  v->addWidget(curveChart(m_curves, QStringLiteral("C–t 曲线（%1）").arg(point),
                          QStringLiteral("t [d]"), c.t_d, {{point, c.c_at_point}}));
  m_curves->resize(680, 720);
  m_curves->show();
}

// The map at the point's time: the grid goes through a private temporary file, which the window
// reads at once; the standard is drawn in blue, the detection limit in green.
void GroundwaterPageHook::showMap(CalculatorPage& page, const core::Outcome::Grid& grid) {
  present::GridData g;
  g.nx = grid.nx;
  g.ny = grid.ny;
  g.xmin = grid.xmin;
  g.xmax = grid.xmax;
  g.ymin = grid.ymin;
  g.ymax = grid.ymax;
  g.zmin = static_cast<float>(grid.zmin);
  g.zmax = static_cast<float>(grid.zmax);
  g.z = grid.z;
  QTemporaryDir dir;
  const QString path = dir.isValid() ? dir.filePath(QStringLiteral("groundwater.grd")) : QString();
  // The window reports a file it cannot read itself.
  if (!path.isEmpty()) present::writeGrdFile(g, path.toStdString());
  delete m_map.data();
  m_map = new widgets::ContourMapWindow(path, &page);
  m_map->setWindowTitle(
      QStringLiteral("等值线图 C [mg/L]（t = %1 d）").arg(page.values().num("t"), 0, 'g', 6));
  m_map->addLevel(static_cast<float>(page.values().num("S")), {0, 0, 255}, 0.8f);
  m_map->addLevel(static_cast<float>(page.values().num("Sdet")), {0, 160, 0}, 0.5f);
  m_map->show();
}

}  // namespace app
