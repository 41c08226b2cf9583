#include "widgets/contour_map_canvas.h"

#include <charconv>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/format.h"

namespace widgets {
namespace {

constexpr double kMmPerInchFactor = 0.03937007874015748;  // inches per millimetre
constexpr int kHandle = 7;                                // tracker handle size, px

// Logical units of 0.01 inch with y up, and device pixels with y down.
struct Units {
  double sx, sy;  // device pixels per logical unit
  QPointF dev(double lx, double ly) const { return {lx * sx, -ly * sy}; }
  QPointF dev(QPoint l) const { return dev(l.x(), l.y()); }
  int lx(int px) const { return static_cast<int>(std::lround(px / sx)); }
  int ly(int py) const { return -static_cast<int>(std::lround(py / sy)); }
};

Units units(double dpi_x, double dpi_y) { return {dpi_x / 100.0, dpi_y / 100.0}; }

// Logical rectangle of an item: left, top, right, bottom (top > bottom since y grows up).
struct LRect {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return std::abs(top - bottom); }
};

LRect logicalRect(const QRect& r, const Units& u) {
  return {u.lx(r.left()), u.ly(r.top()), u.lx(r.left() + r.width()), u.ly(r.top() + r.height())};
}

// A frame limit in full: projected coordinates (3.85e7 m) must not lose their last metres.
QString gText(double v) {
  char buf[32];
  return QString::fromLatin1(buf,
                             static_cast<int>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
}

QFont labelFont(const QFont& base, double dpi_y) {
  QFont f(base);
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(9.0 * dpi_y / 72.0))));  // 9 pt
  return f;
}

QColor toQColor(present::Rgb c) { return QColor(c.r, c.g, c.b); }

// A solid pen of whole logical units; width 0 is the thinnest line the device draws.
QPen stylePen(const present::LevelStyle& s, double dpi_x, const Units& u) {
  const int w = ContourMapCanvas::penWidthLogical(s.width_mm, dpi_x);
  return QPen(toQColor(s.colour), w * u.sx, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Text drawn rotated so that it reads downwards, its glyph tops towards +x; `anchor` is the
// device point at the top right of the rotated text.
void drawDownText(QPainter& p, QPointF anchor, const QString& text) {
  p.save();
  p.translate(anchor);
  p.rotate(90);
  const QFontMetricsF fm(p.font());
  p.drawText(QPointF(0, fm.ascent()), text);
  p.restore();
}

}  // namespace

ContourMapCanvas::ContourMapCanvas(QWidget* parent) : QWidget(parent) {
  m_rects[MapItem] = QRect(QPoint(40, 40), QPoint(500, 450) - QPoint(1, 1));
  m_rects[LegendItem] = QRect(QPoint(550, 40), QPoint(700, 450) - QPoint(1, 1));
  m_rects[PictureItem] = QRect(QPoint(10, 10), QPoint(700, 500) - QPoint(1, 1));
  setMinimumSize(720, 520);
  setAutoFillBackground(false);
}

void ContourMapCanvas::setContours(present::ContourSet* set,
                                   const present::LevelStyleTable* styles) {
  m_set = set;
  m_styles = styles;
  m_drawList.clear();
}

void ContourMapCanvas::showPictureItem() {
  m_rects[PictureItem] = QRect(QPoint(10, 10), QPoint(700, 500) - QPoint(1, 1));
  m_hasPicture = true;
}

int ContourMapCanvas::penWidthLogical(float width_mm, double dpi_x) {
  const double w = static_cast<double>(width_mm) * dpi_x * kMmPerInchFactor;
  return std::isfinite(w) && w > 0 ? static_cast<int>(std::min(w, 1000.0)) : 0;
}

// scale = world units per logical unit so that the whole grid fits the map item; the grid's
// centre goes to the item's centre.
ContourMapCanvas::Transform ContourMapCanvas::mapTransform(double dpi_x, double dpi_y) const {
  Transform t;
  if (!m_set) return t;
  const present::GridData& g = m_set->grid();
  const LRect r = logicalRect(m_rects[MapItem], units(dpi_x, dpi_y));
  if (r.width() <= 0 || r.height() <= 0) return t;
  t.scale = std::max((g.xmax - g.xmin) / r.width(), (g.ymax - g.ymin) / r.height());
  if (!(std::isfinite(t.scale) && t.scale > 0)) return t;
  const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const double xmax = g.xmax, xmin = g.xmin, ymax = g.ymax, ymin = g.ymin;
  t.x_offset = static_cast<int>(cx - (xmax / t.scale + xmin / t.scale) / 2);
  t.y_offset = static_cast<int>(cy - (ymin / t.scale + ymax / t.scale) / 2);
  t.valid = true;
  return t;
}

QPoint ContourMapCanvas::mapWorld(double x, double y, double dpi_x, double dpi_y) const {
  const Transform t = mapTransform(dpi_x, dpi_y);
  if (!t.valid) return {};
  auto whole = [](double v) {
    return std::isfinite(v) ? static_cast<int>(std::clamp(v, -1e8, 1e8)) : 0;
  };
  return {whole(x / t.scale) + t.x_offset, whole(y / t.scale) + t.y_offset};
}

void ContourMapCanvas::rebuildDrawList() {
  if (!m_set || !m_set->traced()) return;
  m_drawList.clear();
  const auto& lines = m_set->lines();
  for (std::size_t k = 0; k < lines.size(); ++k)
    for (std::size_t l = 0; l < lines[k].size(); ++l)
      m_drawList.push_back(
          {static_cast<int>(k), static_cast<int>(l), m_set->levels().at(static_cast<int>(k))});
  m_set->clearTraced();
}

void ContourMapCanvas::drawMap(QPainter& p, double dpi_x, double dpi_y) {
  const Transform t = mapTransform(dpi_x, dpi_y);
  if (!t.valid) return;
  const Units u = units(dpi_x, dpi_y);
  const present::GridData& g = m_set->grid();
  const QPoint lo = mapWorld(g.xmin, g.ymin, dpi_x, dpi_y);
  const QPoint hi = mapWorld(g.xmax, g.ymax, dpi_x, dpi_y);

  // Frame of the grid's extent with six ticks on the bottom and left edges, pointing inwards.
  p.setPen(QPen(QColor(0, 255, 0), u.sx));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(u.dev(lo), u.dev(hi)).normalized());
  for (int k = 0; k <= 5; ++k) {
    const int x = lo.x() + k * (hi.x() - lo.x()) / 5;
    p.drawLine(u.dev(x, lo.y()), u.dev(x, lo.y() + 10));
    const int y = lo.y() + k * (hi.y() - lo.y()) / 5;
    p.drawLine(u.dev(lo.x(), y), u.dev(lo.x() + 10, y));
  }

  // Limits and axis letters: y reading downwards beside the left edge, x under the bottom edge.
  p.setPen(Qt::black);
  p.setFont(labelFont(font(), dpi_y));
  const QFontMetricsF fm(p.font());
  const QPointF top_left = u.dev(lo.x(), hi.y()), bottom_left = u.dev(lo),
                bottom_right = u.dev(hi.x(), lo.y());
  const double gap = 4 * u.sx;
  const double left_x = top_left.x() - gap;
  drawDownText(p, {left_x, top_left.y()}, gText(g.ymax));
  drawDownText(p, {left_x, bottom_left.y() - fm.horizontalAdvance(gText(g.ymin))}, gText(g.ymin));
  drawDownText(p, {left_x, (top_left.y() + bottom_left.y() - fm.horizontalAdvance("Y")) / 2},
               QStringLiteral("Y"));
  const double label_y = bottom_left.y() + gap + fm.ascent();
  p.drawText(QPointF(bottom_left.x(), label_y), gText(g.xmin));
  p.drawText(QPointF(bottom_right.x() - fm.horizontalAdvance(gText(g.xmax)), label_y),
             gText(g.xmax));
  p.drawText(QPointF((bottom_left.x() + bottom_right.x() - fm.horizontalAdvance("X")) / 2, label_y),
             QStringLiteral("X"));

  // The point source at the world origin.
  const QPoint o = mapWorld(0, 0, dpi_x, dpi_y) + QPoint(2, 2);
  p.setPen(Qt::red);
  p.setBrush(Qt::red);
  p.drawEllipse(u.dev(o), 7 * u.sx, 7 * u.sy);
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::black);  // the marker is red, its caption in the ordinary text colour
  p.drawText(u.dev(o.x(), o.y() + 25) + QPointF(0, fm.ascent()), QStringLiteral("点源"));

  rebuildDrawList();
  const auto& lines = m_set->lines();
  for (const DrawEntry& e : m_drawList) {
    if (e.level_index >= static_cast<int>(lines.size()) ||
        e.line_index >= static_cast<int>(lines[static_cast<std::size_t>(e.level_index)].size()))
      continue;
    const auto& pts =
        lines[static_cast<std::size_t>(e.level_index)][static_cast<std::size_t>(e.line_index)]
            .points;
    const present::LevelStyle s = m_styles ? m_styles->styleFor(e.level) : present::LevelStyle{};
    p.setPen(stylePen(s, dpi_x, u));
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(pts.size()));
    for (const auto& q : pts) poly << u.dev(mapWorld(q.x, q.y, dpi_x, dpi_y));
    p.drawPolyline(poly);
  }
}

// One row per style entry, 20 units apart from the item's top: a line sample one third of the
// item wide, and the level value 10 units right of it and 10 units above its line.
void ContourMapCanvas::drawLegend(QPainter& p, double dpi_x, double dpi_y) {
  if (!m_styles) return;
  const Units u = units(dpi_x, dpi_y);
  const LRect r = logicalRect(m_rects[LegendItem], u);
  const int sample = r.width() / 3;
  p.setFont(labelFont(font(), dpi_y));
  const QFontMetricsF fm(p.font());
  if (!m_value_title.isEmpty()) {
    p.setPen(Qt::black);
    p.drawText(u.dev(r.left, r.top) + QPointF(0, fm.ascent()), m_value_title);
  }
  for (int k = 0; k < m_styles->count(); ++k) {
    const present::LevelStyle& s = m_styles->entries()[static_cast<std::size_t>(k)];
    const int y = r.top - 20 * (k + 1 + (m_value_title.isEmpty() ? 0 : 1));
    p.setPen(stylePen(s, dpi_x, u));
    p.drawLine(u.dev(r.left, y), u.dev(r.left + sample, y));
    p.setPen(Qt::black);
    // Four significant digits: a level read off a map needs no more.
    p.drawText(u.dev(r.left + sample + 10, y + 10) + QPointF(0, fm.ascent()),
               QString::fromStdString(core::cformat("%.4g", static_cast<double>(s.value))));
  }
}

void ContourMapCanvas::render(QPainter& p, double dpi_x, double dpi_y) {
  p.setRenderHint(QPainter::Antialiasing);
  if (m_hasPicture && !m_background.isNull()) {
    // Constant-alpha blend of the picture over the white ground.
    p.save();
    p.setOpacity(m_alpha / 255.0);
    p.drawImage(m_rects[PictureItem], m_background);
    p.restore();
  }
  drawMap(p, dpi_x, dpi_y);
  drawLegend(p, dpi_x, dpi_y);
}

QImage ContourMapCanvas::toImage() {
  QImage img(size(), QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  render(p, logicalDpiX(), logicalDpiY());
  return img;
}

void ContourMapCanvas::drawTrackers(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setOpacity(1.0);
  for (int i = 0; i < 3; ++i) {
    if (i == PictureItem && !m_hasPicture) continue;
    const QRect& r = m_rects[i];
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    if (i != m_selected) continue;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int h = 0; h < 8; ++h) {
      static const double fx[8] = {0, 1, 1, 0, 0.5, 1, 0.5, 0},
                          fy[8] = {0, 0, 1, 1, 0, 0.5, 1, 0.5};
      const QPoint c(r.left() + static_cast<int>(fx[h] * r.width()),
                     r.top() + static_cast<int>(fy[h] * r.height()));
      p.drawRect(QRect(c - QPoint(kHandle / 2, kHandle / 2), QSize(kHandle, kHandle)));
    }
  }
  if (m_drag == Drag::Rubber) {
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(m_rubber.normalized());
  }
}

void ContourMapCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  render(p, logicalDpiX(), logicalDpiY());
  drawTrackers(p);
}

int ContourMapCanvas::handleAt(const QRect& r, QPoint pos) const {
  static const double fx[8] = {0, 1, 1, 0, 0.5, 1, 0.5, 0}, fy[8] = {0, 0, 1, 1, 0, 0.5, 1, 0.5};
  for (int h = 0; h < 8; ++h) {
    const QPoint c(r.left() + static_cast<int>(fx[h] * r.width()),
                   r.top() + static_cast<int>(fy[h] * r.height()));
    if (std::abs(pos.x() - c.x()) <= kHandle / 2 + 1 &&
        std::abs(pos.y() - c.y()) <= kHandle / 2 + 1)
      return h;
  }
  return -1;
}

void ContourMapCanvas::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pos = e->position().toPoint();
  m_pressPos = pos;
  if (m_selected != NoItem && (m_handle = handleAt(m_rects[m_selected], pos)) >= 0) {
    m_drag = Drag::Resize;
    m_startRect = m_rects[m_selected];
    return;
  }
  m_selected = NoItem;
  for (int i : {MapItem, LegendItem, PictureItem}) {
    if (i == PictureItem && !m_hasPicture) continue;
    if (m_rects[i].contains(pos)) {
      m_selected = static_cast<Item>(i);
      break;
    }
  }
  m_drag = m_selected == NoItem ? Drag::Rubber : Drag::Move;
  if (m_selected != NoItem) m_startRect = m_rects[m_selected];
  m_rubber = QRect(pos, pos);
  update();
}

void ContourMapCanvas::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const QPoint d = pos - m_pressPos;
  if (m_drag == Drag::Move) {
    m_rects[m_selected] = m_startRect.translated(d);
  } else if (m_drag == Drag::Resize) {
    QRect r = m_startRect;
    // Handles: 0 TL, 1 TR, 2 BR, 3 BL, 4 top, 5 right, 6 bottom, 7 left.
    if (m_handle == 0 || m_handle == 3 || m_handle == 7) r.setLeft(r.left() + d.x());
    if (m_handle == 1 || m_handle == 2 || m_handle == 5) r.setRight(r.right() + d.x());
    if (m_handle == 0 || m_handle == 1 || m_handle == 4) r.setTop(r.top() + d.y());
    if (m_handle == 2 || m_handle == 3 || m_handle == 6) r.setBottom(r.bottom() + d.y());
    r = r.normalized();
    if (r.width() >= 10 && r.height() >= 10) m_rects[m_selected] = r;
  } else if (m_drag == Drag::Rubber) {
    m_rubber.setBottomRight(pos);
  } else {
    return;
  }
  update();
}

void ContourMapCanvas::mouseReleaseEvent(QMouseEvent*) {
  if (m_drag == Drag::None) return;
  const bool moved = m_drag == Drag::Move || m_drag == Drag::Resize;
  m_drag = Drag::None;
  update();
  if (moved) emit changed();
}

void ContourMapCanvas::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    m_drag = Drag::None;
    emit doubleClicked();
  }
}

}  // namespace widgets
