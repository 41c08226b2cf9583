#include "widgets/plan_view.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QWheelEvent>
#include <cmath>

namespace widgets {

namespace {

constexpr int kKindKey = 0;
constexpr int kIndexKey = 1;

QPolygonF scenePolygon(const std::vector<PlanPoint>& pts) {
  QPolygonF poly;
  for (const auto& p : pts) poly << PlanView::toScene(p);
  return poly;
}

QPainterPath polylinePath(const std::vector<PlanPoint>& pts) {
  QPainterPath path;
  for (size_t i = 0; i < pts.size(); ++i) {
    const QPointF s = PlanView::toScene(pts[i]);
    if (i == 0)
      path.moveTo(s);
    else
      path.lineTo(s);
  }
  return path;
}

QPen cosmetic(const QColor& c, double width, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(c, width, style);
  pen.setCosmetic(true);
  return pen;
}

// A marker of fixed size on screen at a world point, with its label.
QGraphicsItem* marker(PlanPoint at, const QColor& fill, bool square, const QString& label) {
  QGraphicsItem* m = nullptr;
  if (square) {
    auto* r = new QGraphicsRectItem(-5, -5, 10, 10);
    r->setBrush(fill);
    r->setPen(QPen(Qt::black, 1));
    m = r;
  } else {
    auto* e = new QGraphicsEllipseItem(-5, -5, 10, 10);
    e->setBrush(fill);
    e->setPen(QPen(Qt::black, 1));
    m = e;
  }
  m->setFlag(QGraphicsItem::ItemIgnoresTransformations);
  m->setPos(PlanView::toScene(at));
  if (!label.isEmpty()) {
    auto* t = new QGraphicsSimpleTextItem(label, m);
    t->setPos(7, -8);
    t->setBrush(Qt::black);
  }
  return m;
}

PlanRef refOf(const QGraphicsItem* it) {
  return {it->data(kKindKey).toInt(), it->data(kIndexKey).toInt()};
}

}  // namespace

PlanView::PlanView(QWidget* parent) : QGraphicsView(parent) {
  setScene(new QGraphicsScene(this));
  setRenderHint(QPainter::Antialiasing);
  setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
  setResizeAnchor(QGraphicsView::AnchorViewCenter);
  setBackgroundBrush(Qt::white);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setViewportUpdateMode(QGraphicsView::FullViewportUpdate);  // the marks stay in place
  setMinimumSize(320, 240);
}

QGraphicsItem* PlanView::addTagged(QGraphicsItem* item, const PlanShape& shape) {
  // A frame is never picked: it is tagged with no kind.
  item->setData(kKindKey, shape.form == PlanShape::Form::Frame ? -1 : shape.ref.kind);
  item->setData(kIndexKey, shape.ref.index);
  item->setZValue(shape.z);
  scene()->addItem(item);
  m_items.push_back(item);
  m_shapes.push_back(shape);
  return item;
}

void PlanView::showShapes(const std::vector<PlanShape>& shapes) {
  for (QGraphicsItem* it : m_items) {
    scene()->removeItem(it);
    delete it;
  }
  m_items.clear();
  m_shapes.clear();
  for (const PlanShape& s : shapes) {
    QGraphicsItem* item = nullptr;
    switch (s.form) {
      case PlanShape::Form::Marker:
        if (s.points.empty()) continue;
        item = marker(s.points.front(), s.fill, s.square, s.label);
        break;
      case PlanShape::Form::Polyline: {
        auto* path = new QGraphicsPathItem(polylinePath(s.points));
        path->setPen(cosmetic(s.line, s.width, s.style));
        item = path;
        break;
      }
      case PlanShape::Form::Polygon: {
        auto* poly = new QGraphicsPolygonItem(scenePolygon(s.points));
        poly->setBrush(s.fill);
        poly->setPen(cosmetic(s.line, s.width, s.style));
        if (s.hatch != Qt::NoBrush) {
          // The hatching as a child: it moves with the polygon and is picked as the polygon.
          auto* hatch = new QGraphicsPolygonItem(poly->polygon(), poly);
          hatch->setBrush(QBrush(s.line, s.hatch));
          hatch->setPen(Qt::NoPen);
        }
        item = poly;
        break;
      }
      case PlanShape::Form::Frame: {
        if (s.points.size() < 2) continue;
        auto* frame = new QGraphicsPolygonItem(scenePolygon(s.points).boundingRect());
        frame->setPen(cosmetic(s.line, s.width, s.style));
        item = frame;
        break;
      }
    }
    addTagged(item, s);
    if (s.form != PlanShape::Form::Marker && !s.label.isEmpty()) {
      auto* t = new QGraphicsSimpleTextItem(s.label, item);
      t->setFlag(QGraphicsItem::ItemIgnoresTransformations);
      if (s.label_centre)
        t->setPos(item->boundingRect().center());
      else if (!s.points.empty())
        t->setPos(toScene(s.points.front()));
    }
  }
  highlight();
  if (!m_fitted && !m_items.empty()) fitAll();
}
void PlanView::fitAll() {
  QRectF r;
  for (QGraphicsItem* it : m_items) {
    QRectF b = it->sceneBoundingRect();
    if (it->flags() & QGraphicsItem::ItemIgnoresTransformations)
      b = QRectF(it->pos(), QSizeF(1, 1));
    r = r.isNull() ? b : r.united(b);
  }
  if (m_site) r = r.isNull() ? m_site->sceneBoundingRect() : r.united(m_site->sceneBoundingRect());
  if (r.isNull()) return;
  const double margin = std::max(10.0, 0.08 * std::max(r.width(), r.height()));
  r.adjust(-margin, -margin, margin, margin);
  scene()->setSceneRect(
      r.adjusted(-10 * r.width(), -10 * r.height(), 10 * r.width(), 10 * r.height()));
  m_fitted = true;
  // A hidden view (a project opened while another page shows) has no size to fit into yet: it
  // fits when it is shown.
  m_fit_pending = !isVisible();
  if (!m_fit_pending) fitInView(r, Qt::KeepAspectRatio);
}

void PlanView::setMarkScale(double scale) {
  for (QGraphicsItem* it : scene()->items())
    if (it->flags() & QGraphicsItem::ItemIgnoresTransformations) it->setScale(scale);
}

void PlanView::showEvent(QShowEvent* e) {
  QGraphicsView::showEvent(e);
  if (m_fit_pending) fitAll();
}

void PlanView::resizeEvent(QResizeEvent* e) {
  QGraphicsView::resizeEvent(e);
  if (m_fit_pending && isVisible()) fitAll();
}

void PlanView::setTool(int tool, PlanDraw draws) {
  m_tool = tool;
  m_draws = draws;
  m_drawing.clear();
  updateRubber({});
  viewport()->setCursor(draws == PlanDraw::Select ? Qt::ArrowCursor : Qt::CrossCursor);
}
void PlanView::select(PlanRef r) {
  if (r == m_selected) return;
  m_selected = r;
  highlight();
  emit selectionChanged(r);
}

void PlanView::highlight() {
  for (size_t i = 0; i < m_items.size(); ++i) {
    QGraphicsItem* it = m_items[i];
    const PlanShape& s = m_shapes[i];
    if (s.form == PlanShape::Form::Frame) continue;
    const bool on = s.ref == m_selected;
    if (s.form == PlanShape::Form::Marker) {
      if (auto* shape = dynamic_cast<QAbstractGraphicsShapeItem*>(it))
        shape->setPen(QPen(on ? QColor(0, 200, 255) : Qt::black, on ? 3 : 1));
    } else if (auto* path = dynamic_cast<QGraphicsPathItem*>(it)) {
      QPen pen = path->pen();
      pen.setColor(on ? QColor(0, 200, 255) : s.line);
      path->setPen(pen);
    } else if (auto* poly = dynamic_cast<QGraphicsPolygonItem*>(it)) {
      QPen pen = poly->pen();
      pen.setWidthF(on ? 4 : 2);
      poly->setPen(pen);
    }
  }
}

void PlanView::setSitePlan(const QImage& image, const QTransform& pixel_to_scene, double opacity) {
  if (m_site) {
    scene()->removeItem(m_site);
    delete m_site;
    m_site = nullptr;
  }
  if (image.isNull()) return;
  m_site = scene()->addPixmap(QPixmap::fromImage(image));
  m_site->setTransformationMode(Qt::SmoothTransformation);
  m_site->setTransform(pixel_to_scene);
  m_site->setOpacity(opacity);
  m_site->setZValue(-10);
  if (m_items.empty()) fitAll();
}

void PlanView::setSitePlanOpacity(double opacity) {
  if (m_site) m_site->setOpacity(opacity);
}

void PlanView::setContours(const QImage& bands, const QRectF& world,
                           const QPainterPath& lines_world, const QPainterPath& extra_world,
                           const QPen& extra_pen) {
  delete m_bands;
  m_bands = nullptr;
  delete m_lines;
  m_lines = nullptr;
  delete m_extra;
  m_extra = nullptr;
  QTransform flip;
  flip.scale(1, -1);
  if (!extra_world.isEmpty()) {
    QPen pen = extra_pen;
    pen.setCosmetic(true);
    m_extra = scene()->addPath(flip.map(extra_world), pen);
    m_extra->setZValue(-3);
  }
  if (bands.isNull()) return;
  m_bands = scene()->addPixmap(QPixmap::fromImage(bands));
  m_bands->setTransformationMode(Qt::SmoothTransformation);
  // Image row 0 is the top (largest y).
  QTransform t;
  t.translate(world.left(), -world.bottom());
  t.scale(world.width() / bands.width(), world.height() / bands.height());
  m_bands->setTransform(t);
  m_bands->setOpacity(0.65);
  m_bands->setZValue(-5);
  auto* lines = scene()->addPath(flip.map(lines_world), cosmetic(QColor(60, 60, 60), 1));
  lines->setZValue(-4);
  m_lines = lines;
}

void PlanView::clickAt(PlanPoint w) {
  switch (m_draws) {
    case PlanDraw::Select: return;
    case PlanDraw::Point: emit pointPlaced(m_tool, w.x, w.y); return;
    default: m_drawing.push_back(w); updateRubber(toScene(w));
  }
}

void PlanView::finishShape() {
  const size_t need = m_draws == PlanDraw::Polygon ? 3 : 2;
  std::vector<PlanPoint> pts = m_drawing;
  m_drawing.clear();
  updateRubber({});
  if (pts.size() >= need) emit shapePlaced(m_tool, pts);
}

void PlanView::updateRubber(QPointF scene_pos) {
  delete m_rubber;
  m_rubber = nullptr;
  if (m_drawing.empty()) return;
  QPainterPath path = polylinePath(m_drawing);
  if (!scene_pos.isNull()) path.lineTo(scene_pos);
  auto* item = scene()->addPath(path, cosmetic(QColor(0, 160, 255), 2, Qt::DashLine));
  item->setZValue(30);
  m_rubber = item;
}

PlanRef PlanView::refAt(QPoint view_pos) const {
  // The topmost tagged item under the mouse, within a few pixels.
  const QRect box(view_pos - QPoint(4, 4), QSize(9, 9));
  PlanRef best;
  double best_z = -1e9;
  for (QGraphicsItem* it : items(box)) {
    QGraphicsItem* top = it;
    while (top->parentItem()) top = top->parentItem();
    if (!top->data(kKindKey).isValid()) continue;
    const int kind = top->data(kKindKey).toInt();
    if (kind < 0) continue;
    if (top->zValue() > best_z) {
      best_z = top->zValue();
      best = {kind, top->data(kIndexKey).toInt()};
    }
  }
  return best;
}

void PlanView::wheelEvent(QWheelEvent* e) {
  const double steps = e->angleDelta().y() / 120.0;
  const double f = std::pow(1.25, steps);
  const double now = transform().m11();
  if ((f > 1 && now > 200) || (f < 1 && now < 1e-4)) return;
  scale(f, f);
  e->accept();
}

void PlanView::mousePressEvent(QMouseEvent* e) {
  setFocus();
  m_press_view = e->position().toPoint();
  m_press_scene = mapToScene(m_press_view);
  if (e->button() == Qt::MiddleButton) {
    m_drag = Drag::Pan;
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (m_draws != PlanDraw::Select) {
    clickAt(toWorld(m_press_scene));
    return;
  }
  const PlanRef r = refAt(m_press_view);
  select(r);
  m_drag = r.valid() ? Drag::Item : Drag::Pan;
  for (QGraphicsItem* it : m_items)
    if (refOf(it) == r) m_press_item_pos = it->pos();
}

void PlanView::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (m_draws != PlanDraw::Select && !m_drawing.empty()) updateRubber(mapToScene(at));
  if (m_drag == Drag::Pan) {
    const QPoint d = at - m_press_view;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - d.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - d.y());
    m_press_view = at;
  } else if (m_drag == Drag::Item) {
    const QPointF d = mapToScene(at) - m_press_scene;
    for (QGraphicsItem* it : m_items)
      if (refOf(it) == m_selected) {
        if (it->flags() & QGraphicsItem::ItemIgnoresTransformations)
          it->setPos(m_press_item_pos + d);
        else
          it->setTransform(QTransform::fromTranslate(d.x(), d.y()));
      }
  }
}

void PlanView::mouseReleaseEvent(QMouseEvent* e) {
  const Drag was = m_drag;
  m_drag = Drag::None;
  if (was != Drag::Item || !m_selected.valid()) return;
  const QPointF d = mapToScene(e->position().toPoint()) - m_press_scene;
  if ((e->position().toPoint() - m_press_view).manhattanLength() < 3) {
    // A click without a move: put any dragged item back.
    for (QGraphicsItem* it : m_items)
      if (refOf(it) == m_selected) {
        if (it->flags() & QGraphicsItem::ItemIgnoresTransformations)
          it->setPos(m_press_item_pos);
        else
          it->setTransform(QTransform());
      }
    return;
  }
  emit itemMoved(m_selected, d.x(), -d.y());
}

void PlanView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (m_draws == PlanDraw::Line || m_draws == PlanDraw::Polygon) {
    // The press before the double click already added the last point.
    finishShape();
    return;
  }
  QGraphicsView::mouseDoubleClickEvent(e);
}

void PlanView::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Delete && m_selected.valid()) {
    const PlanRef r = m_selected;
    m_selected = {};
    emit deleteRequested(r);
    return;
  }
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !m_drawing.empty()) {
    finishShape();
    return;
  }
  if (e->key() == Qt::Key_Escape) {
    m_drawing.clear();
    updateRubber({});
    return;
  }
  QGraphicsView::keyPressEvent(e);
}

void PlanView::drawMarks(QPainter& p, const QRectF& device, double metres_per_pixel) {
  if (!(metres_per_pixel > 0)) return;
  p.save();
  const double unit = std::max(1.0, device.width() / 600.0);  // thicker marks on large figures
  // Scale bar: a round length near a sixth of the width.
  const double want = device.width() / 6 * metres_per_pixel;
  const double mag = std::pow(10.0, std::floor(std::log10(want)));
  double len = mag;
  for (double k : {1.0, 2.0, 5.0, 10.0})
    if (k * mag <= want) len = k * mag;
  const double px = len / metres_per_pixel;
  const QPointF o(device.left() + 14 * unit, device.bottom() - 16 * unit);
  p.setPen(QPen(Qt::black, 1.5 * unit));
  p.setBrush(Qt::NoBrush);
  p.fillRect(QRectF(o.x(), o.y() - 5 * unit, px / 2, 5 * unit), Qt::black);
  p.drawRect(QRectF(o.x(), o.y() - 5 * unit, px, 5 * unit));
  QFont f = p.font();
  f.setPixelSize(static_cast<int>(11 * unit));
  p.setFont(f);
  p.drawText(QPointF(o.x(), o.y() - 8 * unit), QStringLiteral("0"));
  p.drawText(QPointF(o.x() + px - 10 * unit, o.y() - 8 * unit),
             QStringLiteral("%1 m").arg(len, 0, 'g', 6));
  // North arrow at the upper right.
  const QPointF n(device.right() - 24 * unit, device.top() + 16 * unit);
  QPolygonF arrow;
  arrow << n << QPointF(n.x() - 8 * unit, n.y() + 26 * unit) << QPointF(n.x(), n.y() + 20 * unit)
        << QPointF(n.x() + 8 * unit, n.y() + 26 * unit);
  p.setBrush(Qt::black);
  p.drawPolygon(arrow);
  p.drawText(QRectF(n.x() - 10 * unit, n.y() + 27 * unit, 20 * unit, 14 * unit), Qt::AlignCenter,
             QStringLiteral("N"));
  p.restore();
}

void PlanView::drawForeground(QPainter* p, const QRectF&) {
  p->save();
  p->resetTransform();
  const QRectF device(viewport()->rect());
  drawMarks(*p, device, 1.0 / std::abs(transform().m11()));
  if (m_legend)
    m_legend(*p, QRectF(device.right() - 118, device.top() + 60, 112, device.height() - 66));
  p->restore();
}

}  // namespace widgets
