// The results of a noise map run: the receptor table of the report (day and night
// contribution, background, predicted level, limit, exceedance, 达标/超标) with copy and
// spreadsheet export, and the contour map of the plant's contribution: filled bands (5 dB steps
// from the night limit of the chosen function class by default, levels editable) with a legend,
// exported as PNG or SVG at a chosen resolution, as GeoJSON lines and as a Surfer grid.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "core/calculator.h"
#include "models/noise/propagation/engine.h"

class QComboBox;
class QLineEdit;
class QPainter;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace app::noisemap {

namespace prop = models::noise::propagation;

class MapResults : public QWidget {
  Q_OBJECT
 public:
  explicit MapResults(QWidget* parent = nullptr);

  void showReceptors(const prop::ReceptorsResult& r);
  void setGrid(const prop::GridResult& g);
  void clear();
  bool hasGrid() const { return m_grid.has_value(); }
  const prop::GridResult* grid() const { return m_grid ? &*m_grid : nullptr; }
  const prop::ReceptorsResult* receptors() const { return m_receptors ? &*m_receptors : nullptr; }

  // The receptor table as the page shows it.
  core::Table receptorTable() const;
  QTableWidget* table() const { return m_table; }

  // Contour levels in effect (ascending) and their text ("50, 55, 60").
  std::vector<double> levels() const { return m_levels; }
  void setLevelsText(const QString& text);
  QString levelsText() const;
  // The function class whose night limit starts the default levels (0..5: 0, 1, 2, 3, 4a, 4b).
  void setFunctionClass(int index);
  int functionClass() const;
  // 0: day contribution, 1: night contribution.
  int period() const;
  void setPeriod(int p);

  // The chosen period's values, row-major, row 0 = smallest y.
  const std::vector<float>* values() const;
  // The bands as an image over the grid extent (world, y up); null without a grid.
  QImage bandImage(QRectF* world) const;
  // The contour lines in world coordinates (y up).
  QPainterPath linePath() const;
  // The colour of band k of n (light to dark): every band its own colour.
  static QColor bandColour(int k, int n = 9);
  // The figure's optional title.
  QString figureTitle() const;
  void setFigureTitle(const QString& title);
  // The legend into a box (device coordinates), at its top or its bottom.
  void drawLegend(QPainter& p, const QRectF& box, bool bottom = false) const;

  // Draws the plan's world rectangle into the target; labels and markers `mark_scale` times
  // their size on the screen.
  using PlanRenderer = std::function<void(QPainter& p, const QRectF& target, const QRectF& world,
                                          double mark_scale)>;
  void setPlanRenderer(PlanRenderer r) { m_render = std::move(r); }
  // The map figure (plan, bands, legend, scale bar, north arrow) as an image at `dpi`, 170 mm wide.
  QImage figure(int dpi) const;
  // Writes the figure to a PNG or SVG file by its extension; "" on success, else the reason.
  QString writeFigure(const QString& path, int dpi) const;
  QString writeGeoJson(const QString& path) const;
  QString writeSurferGrid(const QString& path) const;

 signals:
  void mapChanged();

 private:
  void defaultLevels();
  void exportFigure();
  void exportGeoJson();
  void exportGrid();
  QRectF worldRect() const;
  // The contour lines of the levels that are the class's day or night limit (world, y up).
  QPainterPath limitPath() const;
  // The figure drawn at `dpi`; `size` gets its size in device pixels.
  void paintFigure(QPainter& p, int dpi, QSizeF* size) const;
  QSizeF figureSize(int dpi) const;

  QTableWidget* m_table = nullptr;
  QComboBox* m_class = nullptr;
  QComboBox* m_period = nullptr;
  QLineEdit* m_levels_edit = nullptr;
  QSpinBox* m_dpi = nullptr;
  QLineEdit* m_title = nullptr;
  std::optional<prop::ReceptorsResult> m_receptors;
  std::optional<prop::GridResult> m_grid;
  std::vector<double> m_levels;
  PlanRenderer m_render;
};

}  // namespace app::noisemap
