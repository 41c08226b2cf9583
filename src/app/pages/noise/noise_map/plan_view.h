// The plan of a noise scene: sources by type, barriers with their height, ground areas shaded by
// G, rooms and openings, receptors (boundary points in another colour), the grid extent as a
// dashed frame, over an optional site plan image and under the contour bands of a result.
//
// World coordinates are projected metres, x east and y north; the graphics scene holds them as
// (x, -y). The wheel zooms about the mouse, dragging empty ground pans, dragging an item moves
// it, Delete removes the selected item. A tool adds a point source or receptor by a click, and
// a line source, barrier or area source by clicks ended with a double click (or Enter).
#pragma once

#include <QGraphicsView>
#include <QImage>
#include <functional>
#include <vector>

#include "models/noise/propagation/scene.h"

class QGraphicsItem;
class QGraphicsPixmapItem;

namespace app::noisemap {

namespace prop = models::noise::propagation;

enum class ItemKind { None, Source, Room, Opening, Barrier, Ground, Receptor, Grid };

struct ItemRef {
  ItemKind kind = ItemKind::None;
  int index = -1;
  bool valid() const { return kind != ItemKind::None && index >= 0; }
  friend bool operator==(const ItemRef&, const ItemRef&) = default;
};

enum class PlanTool { Select, PointSource, LineSource, AreaSource, Barrier, Receptor };

class PlanView : public QGraphicsView {
  Q_OBJECT
 public:
  explicit PlanView(QWidget* parent = nullptr);

  // Draws the scene again (after any change of it); keeps the selection when it still exists.
  void showScene(const prop::Scene& scene, const std::vector<prop::Point2>& grid_ring);
  void setTool(PlanTool t);
  PlanTool tool() const { return m_tool; }
  ItemRef selected() const { return m_selected; }
  void select(ItemRef r);

  // The site plan: the image, the transform from its pixels to graphics-scene coordinates and
  // its opacity 0..1. A null image removes it.
  void setSitePlan(const QImage& image, const QTransform& pixel_to_scene, double opacity);
  void setSitePlanOpacity(double opacity);
  // The contour bands as an image over the world rectangle (y up) and the contour lines; a null
  // image removes them.
  void setContours(const QImage& bands, const QRectF& world, const QPainterPath& lines_world);

  // Draws a legend into a box at the lower right of the view (none when unset).
  void setLegendPainter(std::function<void(QPainter&, const QRectF&)> f) {
    m_legend = std::move(f);
  }

  // Zooms to show everything drawn.
  void fitAll();
  // Labels and markers keep their size on the screen whatever the zoom; a figure drawn at
  // `scale` times the screen's resolution draws them `scale` times larger (1 restores them).
  void setMarkScale(double scale);

  static QPointF toScene(prop::Point2 w) { return {w.x, -w.y}; }
  static prop::Point2 toWorld(QPointF s) { return {s.x(), -s.y()}; }

  // What a click of the current tool at a world point does (the mouse handlers call these).
  void clickAt(prop::Point2 w);
  void finishShape();  // double click / Enter: ends a line, barrier or area
  // Draws the foreground marks (scale bar, north arrow) into a painter in device coordinates.
  static void drawMarks(QPainter& p, const QRectF& device, double metres_per_pixel);

 signals:
  void pointPlaced(app::noisemap::PlanTool tool, double x, double y);
  void shapePlaced(app::noisemap::PlanTool tool, const std::vector<prop::Point2>& points);
  void itemMoved(app::noisemap::ItemRef item, double dx, double dy);
  void selectionChanged(app::noisemap::ItemRef item);
  void deleteRequested(app::noisemap::ItemRef item);

 protected:
  void wheelEvent(QWheelEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void drawForeground(QPainter* p, const QRectF& rect) override;

 private:
  ItemRef refAt(QPoint view_pos) const;
  void highlight();
  void updateRubber(QPointF scene_pos);
  QGraphicsItem* addTagged(QGraphicsItem* item, ItemRef ref);

  PlanTool m_tool = PlanTool::Select;
  ItemRef m_selected;
  std::vector<prop::Point2> m_drawing;  // points of the shape being drawn
  QGraphicsItem* m_rubber = nullptr;
  QGraphicsPixmapItem* m_site = nullptr;
  QGraphicsPixmapItem* m_bands = nullptr;
  QGraphicsItem* m_lines = nullptr;
  std::vector<QGraphicsItem*> m_items;  // the scene's items
  // Dragging: an item being moved or the view being panned.
  enum class Drag { None, Item, Pan } m_drag = Drag::None;
  QPoint m_press_view;
  QPointF m_press_scene;
  QPointF m_press_item_pos;  // position of the item being moved when pressed
  bool m_fitted = false;
  bool m_fit_pending = false;  // fitAll() ran while hidden
  std::function<void(QPainter&, const QRectF&)> m_legend;
};

}  // namespace app::noisemap
