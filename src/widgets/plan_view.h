// The plan view of a plant: the page's items drawn by shape (markers, polylines, polygons, a
// dashed frame), over an optional site-plan image and under the contour bands of a result, with
// a scale bar, a north arrow and an optional legend.
//
// World coordinates are projected metres, x east and y north; the graphics scene holds them as
// (x, -y). The wheel zooms about the mouse, dragging empty ground pans, dragging an item moves
// it, Delete removes the selected item. A drawing tool adds a point by a click, or a line or a
// polygon by clicks ended with a double click (or Enter).
//
// The pages name their items by (kind, index) with kinds of their own, and their tools by a
// number of their own with the kind of shape it draws.
#pragma once

#include <QColor>
#include <QGraphicsView>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <functional>
#include <vector>

class QGraphicsItem;
class QGraphicsPixmapItem;

namespace widgets {

struct PlanPoint {
  double x = 0, y = 0;
};

// An item of the page: its kind (the page's own numbering, >= 0) and its index.
struct PlanRef {
  int kind = -1;
  int index = -1;
  bool valid() const { return kind >= 0 && index >= 0; }
  friend bool operator==(const PlanRef&, const PlanRef&) = default;
};

// One item as drawn.
struct PlanShape {
  enum class Form {
    Marker,    // a fixed-size marker at points[0]
    Polyline,  // a line through the points
    Polygon,   // a closed ring, filled
    Frame      // the bounding rectangle of the points, not selectable
  };
  Form form = Form::Marker;
  PlanRef ref;
  std::vector<PlanPoint> points;
  QColor line = Qt::black;
  QColor fill = Qt::transparent;
  double width = 1;
  Qt::PenStyle style = Qt::SolidLine;
  bool square = false;  // a marker's shape: square or round
  QString label;
  double z = 10;
  // The label at the polygon's centre rather than its first point.
  bool label_centre = false;
  // A polygon hatched over its fill (Qt::NoBrush: fill only), in the line's colour.
  Qt::BrushStyle hatch = Qt::NoBrush;
};

// What a tool draws.
enum class PlanDraw { Select, Point, Line, Polygon };

class PlanView : public QGraphicsView {
  Q_OBJECT
 public:
  explicit PlanView(QWidget* parent = nullptr);

  // Draws the items again (after any change); keeps the selection when it still exists.
  void showShapes(const std::vector<PlanShape>& shapes);
  // The current tool: the page's number and what it draws.
  void setTool(int tool, PlanDraw draws);
  int tool() const { return m_tool; }
  PlanRef selected() const { return m_selected; }
  void select(PlanRef r);

  // The site plan: the image, the transform from its pixels to graphics-scene coordinates and
  // its opacity 0..1. A null image removes it.
  void setSitePlan(const QImage& image, const QTransform& pixel_to_scene, double opacity);
  void setSitePlanOpacity(double opacity);
  // The contour bands as an image over the world rectangle (y up) and the contour lines; a null
  // image removes them. `extra` is drawn over the lines in its own pen (a standard's line, a
  // protection zone) and may be empty.
  void setContours(const QImage& bands, const QRectF& world, const QPainterPath& lines_world,
                   const QPainterPath& extra_world = {}, const QPen& extra_pen = {});

  // Draws a legend into a box at the lower right of the view (none when unset).
  void setLegendPainter(std::function<void(QPainter&, const QRectF&)> f) {
    m_legend = std::move(f);
  }

  // Zooms to show everything drawn.
  void fitAll();
  // Labels and markers keep their size on the screen whatever the zoom; a figure drawn at
  // `scale` times the screen's resolution draws them `scale` times larger (1 restores them).
  void setMarkScale(double scale);

  static QPointF toScene(PlanPoint w) { return {w.x, -w.y}; }
  static PlanPoint toWorld(QPointF s) { return {s.x(), -s.y()}; }

  // What a click of the current tool at a world point does (the mouse handlers call these).
  void clickAt(PlanPoint w);
  void finishShape();  // double click / Enter: ends a line or polygon
  // Draws the foreground marks (scale bar, north arrow) into a painter in device coordinates.
  static void drawMarks(QPainter& p, const QRectF& device, double metres_per_pixel);

 signals:
  void pointPlaced(int tool, double x, double y);
  void shapePlaced(int tool, const std::vector<widgets::PlanPoint>& points);
  void itemMoved(widgets::PlanRef item, double dx, double dy);
  void selectionChanged(widgets::PlanRef item);
  void deleteRequested(widgets::PlanRef item);

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
  PlanRef refAt(QPoint view_pos) const;
  void highlight();
  void updateRubber(QPointF scene_pos);
  QGraphicsItem* addTagged(QGraphicsItem* item, const PlanShape& shape);

  int m_tool = 0;
  PlanDraw m_draws = PlanDraw::Select;
  PlanRef m_selected;
  std::vector<PlanPoint> m_drawing;  // points of the shape being drawn
  QGraphicsItem* m_rubber = nullptr;
  QGraphicsPixmapItem* m_site = nullptr;
  QGraphicsPixmapItem* m_bands = nullptr;
  QGraphicsItem* m_lines = nullptr;
  QGraphicsItem* m_extra = nullptr;
  std::vector<QGraphicsItem*> m_items;  // the page's items
  std::vector<PlanShape> m_shapes;      // as drawn, for the highlight
  // Dragging: an item being moved or the view being panned.
  enum class Drag { None, Item, Pan } m_drag = Drag::None;
  QPoint m_press_view;
  QPointF m_press_scene;
  QPointF m_press_item_pos;  // position of the item being moved when pressed
  bool m_fitted = false;
  bool m_fit_pending = false;  // fitAll() ran while hidden
  std::function<void(QPainter&, const QRectF&)> m_legend;
};

}  // namespace widgets

Q_DECLARE_METATYPE(widgets::PlanRef)
