#include "app/pages/air/point_source_windows.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

#include "present/grid_data.h"
#include "widgets/contour_map_canvas.h"
#include "widgets/contour_map_window.h"
#include "widgets/curve_plot.h"
#include "widgets/prompts.h"

namespace app {

namespace {

constexpr int kDownwindCurveMode = 1;

void run(QDialog* d, bool modal) {
  if (modal) {
    d->exec();
    delete d;
    return;
  }
  d->setAttribute(Qt::WA_DeleteOnClose);
  d->show();
}

}  // namespace

void openPointSourceCurve(QWidget* parent, const models::air::PointSourceResult& r, bool modal) {
  // Each value sits at its column's own x (single precision, as the table heads it), so a
  // fractional step or a grid that does not start at 0 is drawn where it was computed.
  std::vector<double> x(r.x_m.begin(), r.x_m.end());
  std::vector<double> c(r.centre_mg_m3.begin(), r.centre_mg_m3.end());
  // The axis must reach the curve's own peak even where reflections lift it above cm.
  float top = std::isfinite(r.cm_mg_m3) ? r.cm_mg_m3 : 0.0f;
  for (float v : r.centre_mg_m3)
    if (std::isfinite(v)) top = std::max(top, v);
  auto* plot = new widgets::CurvePlot(parent);
  plot->setObjectName(QStringLiteral("pointSourceCurve"));
  plot->setCurve(kDownwindCurveMode, x, c, top);
  run(plot, modal);
}

void openPointSourceContour(QWidget* parent, const core::Outcome::Grid& grid, bool modal) {
  present::GridData g;
  g.nx = grid.nx;
  g.ny = grid.ny;
  g.xmin = grid.xmin;
  g.xmax = grid.xmax;
  g.ymin = grid.ymin;
  g.ymax = grid.ymax;
  g.zmax = static_cast<float>(grid.zmax);
  g.z = grid.z;
  // A grid that cannot be written is reported here: the window would show an older file.
  std::string why;
  if (!present::writeGrdFile(g, present::kResultGridFile, &why)) {
    widgets::showMessage(parent, QString::fromStdString(why));
    return;
  }
  auto* w = new widgets::ContourMapWindow(QString::fromLatin1(present::kResultGridFile), parent);
  w->setObjectName(QStringLiteral("pointSourceContour"));
  w->canvas()->setValueTitle(QStringLiteral("浓度 [mg/m³]"));
  run(w, modal);
}

}  // namespace app
