// The drawing area of the contour map window: a map item, a legend item and an optional
// background picture item, each a movable, resizable rectangle with a tracker.
//
// Drawing works in logical units of 0.01 inch with y growing upwards, converted to device
// pixels with the painter's resolution, so the map keeps its physical size on any screen and
// in saved pictures.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include "present/contour.h"

class QPainter;

namespace widgets {

class ContourMapCanvas : public QWidget {
  Q_OBJECT

 public:
  enum Item { MapItem = 0, LegendItem = 1, PictureItem = 2, NoItem = -1 };

  explicit ContourMapCanvas(QWidget* parent = nullptr);

  // What to draw; the set and table belong to the window and must outlive the canvas.
  void setContours(present::ContourSet* set, const present::LevelStyleTable* styles);
  // Drops the drawing list (after a failed trace left the set without lines).
  void clearLines() { m_drawList.clear(); }

  void showPictureItem();  // creates the picture item at its initial rectangle
  bool hasPictureItem() const { return m_hasPicture; }
  void setBackground(const QImage& image) { m_background = image; }
  // The quantity and unit of the values, written above the legend ("浓度 [mg/m³]").
  void setValueTitle(const QString& title) { m_value_title = title; }
  void setBackgroundAlpha(int alpha) { m_alpha = alpha; }
  int backgroundAlpha() const { return m_alpha; }

  QRect itemRect(Item item) const { return m_rects[item]; }
  void setItemRect(Item item, const QRect& r) { m_rects[item] = r; }
  Item selectedItem() const { return m_selected; }

  // Everything except the trackers, at the given resolution, as copied or saved pictures show it.
  void render(QPainter& p, double dpi_x, double dpi_y);
  // The picture of the whole area without trackers.
  QImage toImage();

  // Logical (0.01 inch, y up) map position of a world point, as drawn (for tests).
  QPoint mapWorld(double x, double y, double dpi_x, double dpi_y) const;
  // Device pixel width of a pen of the given millimetres (whole logical units).
  static int penWidthLogical(float width_mm, double dpi_x);

 signals:
  void doubleClicked();
  void changed();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  struct Transform {
    double scale = 0;  // world units per logical unit
    int x_offset = 0, y_offset = 0;
    bool valid = false;
  };
  struct DrawEntry {
    int level_index;
    int line_index;
    float level;
  };

  Transform mapTransform(double dpi_x, double dpi_y) const;
  void rebuildDrawList();
  void drawMap(QPainter& p, double dpi_x, double dpi_y);
  void drawLegend(QPainter& p, double dpi_x, double dpi_y);
  void drawTrackers(QPainter& p);
  int handleAt(const QRect& r, QPoint pos) const;  // -1 none, 0..7 corners and sides

  QRect m_rects[3];
  bool m_hasPicture = false;
  QString m_value_title;
  QImage m_background;
  int m_alpha = 255;
  present::ContourSet* m_set = nullptr;
  const present::LevelStyleTable* m_styles = nullptr;
  std::vector<DrawEntry> m_drawList;

  Item m_selected = NoItem;
  enum class Drag { None, Move, Resize, Rubber } m_drag = Drag::None;
  int m_handle = -1;
  QPoint m_pressPos;
  QRect m_startRect;
  QRect m_rubber;
};

}  // namespace widgets
