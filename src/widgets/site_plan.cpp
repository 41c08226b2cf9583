#include "widgets/site_plan.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "widgets/paste_table.h"
#include "widgets/plan_view.h"
#include "widgets/prompts.h"

namespace widgets {

bool sitePlanTransform(const SitePlanPlacement& p, QTransform& out) {
  // Complex numbers: a pixel z = u - i v (y up), a world point w = x + i y, w = a z + b.
  const double zx = p.pixel2.x() - p.pixel1.x(), zy = -(p.pixel2.y() - p.pixel1.y());
  const double wx = p.world2.x() - p.world1.x(), wy = p.world2.y() - p.world1.y();
  const double d = zx * zx + zy * zy;
  if (!(d > 0) || !(wx * wx + wy * wy > 0)) return false;
  const double ar = (wx * zx + wy * zy) / d, ai = (wy * zx - wx * zy) / d;
  const double z1x = p.pixel1.x(), z1y = -p.pixel1.y();
  const double br = p.world1.x() - (ar * z1x - ai * z1y);
  const double bi = p.world1.y() - (ar * z1y + ai * z1x);
  // World (x, y) = (ar u + ai v + br, ai u - ar v + bi); the plan shows (x, -y).
  out = QTransform(ar, -ai, ai, ar, br, -bi);
  return true;
}

QPointF sitePlanWorld(const SitePlanPlacement& p, QPointF pixel) {
  QTransform t;
  if (!sitePlanTransform(p, t)) return {};
  const QPointF s = t.map(pixel);
  return {s.x(), -s.y()};
}

SitePlanPanel::SitePlanPanel(PlanView* plan, const QString& caption, QWidget* parent)
    : QWidget(parent), m_plan(plan), m_caption(caption) {
  auto* v = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* choose = new QPushButton(QStringLiteral("选择总平面图…"), this);
  auto* remove = new QPushButton(QStringLiteral("移除"), this);
  m_label = new QLabel(QStringLiteral("未加载底图"), this);
  m_label->setWordWrap(true);
  row->addWidget(choose);
  row->addWidget(remove);
  row->addStretch(1);
  v->addLayout(row);
  v->addWidget(m_label);
  v->addWidget(new QLabel(
      QStringLiteral("两个控制点：图片上的像素位置（自左上角起，向下为正）及其坐标（m）"), this));
  m_table = new PasteTable(2, 4, this);
  m_table->setObjectName(QStringLiteral("sitePlanPoints"));
  m_table->setHorizontalHeaderLabels({QStringLiteral("像素 u"), QStringLiteral("像素 v"),
                                      QStringLiteral("X (m)"), QStringLiteral("Y (m)")});
  m_table->setVerticalHeaderLabels({QStringLiteral("点1"), QStringLiteral("点2")});
  // Both rows and every header in full, without scroll bars.
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  m_table->horizontalHeader()->setMinimumSectionSize(
      m_table->fontMetrics().horizontalAdvance(QStringLiteral("像素 u")) + 24);
  m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_table->setFixedHeight(m_table->horizontalHeader()->sizeHint().height() +
                          2 * m_table->verticalHeader()->defaultSectionSize() +
                          2 * m_table->frameWidth() + 2);
  v->addWidget(m_table);
  auto* orow = new QHBoxLayout;
  orow->addWidget(new QLabel(QStringLiteral("不透明度"), this));
  m_slider = new QSlider(Qt::Horizontal, this);
  m_slider->setRange(0, 100);
  m_slider->setValue(m_opacity);
  orow->addWidget(m_slider, 1);
  v->addLayout(orow);
  v->addStretch(1);
  showPlacement();
  connect(choose, &QPushButton::clicked, this, [this] {
    const QString path =
        chooseOpenFile(this, QStringLiteral("选择总平面图"), QString(),
                       QStringLiteral("图片 (*.png *.jpg *.jpeg *.bmp);;所有文件(*)"));
    if (!path.isEmpty()) load(path);
  });
  connect(remove, &QPushButton::clicked, this, [this] { clear(); });
  auto placementTyped = [this] {
    // Two control points only: rows pasted past them are dropped.
    if (m_table->rowCount() > 2) {
      const QSignalBlocker block(m_table);
      m_table->setRowCount(2);
    }
    auto cell = [this](int r, int c) {
      const QTableWidgetItem* it = m_table->item(r, c);
      return it ? it->text().toDouble() : 0.0;
    };
    m_site = {{cell(0, 0), cell(0, 1)},
              {cell(1, 0), cell(1, 1)},
              {cell(0, 2), cell(0, 3)},
              {cell(1, 2), cell(1, 3)}};
    apply();
    emit changed();
  };
  // A paste applies as typing does.
  connect(m_table, &QTableWidget::itemChanged, this, placementTyped);
  connect(m_table, &PasteTable::pasted, this, placementTyped);
  connect(m_slider, &QSlider::valueChanged, this, [this](int value) { setOpacity(value); });
}

bool SitePlanPanel::load(const QString& path) {
  QImage img(path);
  if (img.isNull()) {
    showMessage(this, QStringLiteral("无法读取图片 %1。").arg(path), m_caption);
    return false;
  }
  const bool first = m_image.isNull() && m_file.isEmpty();
  m_file = QFileInfo(path).absoluteFilePath();
  m_image = img;
  if (first) {
    // A first placement: the lower corners of the image at 1 m per pixel from the origin.
    m_site = {{0, static_cast<double>(img.height())},
              {static_cast<double>(img.width()), static_cast<double>(img.height())},
              {0, 0},
              {static_cast<double>(img.width()), 0}};
    showPlacement();
  }
  apply();
  m_plan->fitAll();
  emit changed();
  return true;
}

void SitePlanPanel::setPlacement(const SitePlanPlacement& p) {
  m_site = p;
  showPlacement();
  apply();
}

void SitePlanPanel::setOpacity(int percent) {
  m_opacity = std::clamp(percent, 0, 100);
  if (m_slider->value() != m_opacity) m_slider->setValue(m_opacity);
  m_plan->setSitePlanOpacity(m_opacity / 100.0);
}

void SitePlanPanel::clear() {
  m_file.clear();
  m_image = QImage();
  apply();
  emit changed();
}

QJsonObject SitePlanPanel::toJson(const QString& file) const {
  return QJsonObject{{QStringLiteral("file"), file},
                     {QStringLiteral("u1"), m_site.pixel1.x()},
                     {QStringLiteral("v1"), m_site.pixel1.y()},
                     {QStringLiteral("x1"), m_site.world1.x()},
                     {QStringLiteral("y1"), m_site.world1.y()},
                     {QStringLiteral("u2"), m_site.pixel2.x()},
                     {QStringLiteral("v2"), m_site.pixel2.y()},
                     {QStringLiteral("x2"), m_site.world2.x()},
                     {QStringLiteral("y2"), m_site.world2.y()},
                     {QStringLiteral("opacity"), m_opacity}};
}

void SitePlanPanel::fromJson(const QJsonObject& site, const QString& file) {
  m_file = file;
  if (!site.isEmpty())
    m_site = {{site[QStringLiteral("u1")].toDouble(), site[QStringLiteral("v1")].toDouble()},
              {site[QStringLiteral("u2")].toDouble(), site[QStringLiteral("v2")].toDouble()},
              {site[QStringLiteral("x1")].toDouble(), site[QStringLiteral("y1")].toDouble()},
              {site[QStringLiteral("x2")].toDouble(), site[QStringLiteral("y2")].toDouble()}};
  m_opacity = site.value(QStringLiteral("opacity")).toInt(60);
  m_image = m_file.isEmpty() ? QImage() : QImage(m_file);
  showPlacement();
  m_slider->setValue(m_opacity);
  apply();
}

void SitePlanPanel::showPlacement() {
  const QSignalBlocker block(m_table);
  const double cells[2][4] = {
      {m_site.pixel1.x(), m_site.pixel1.y(), m_site.world1.x(), m_site.world1.y()},
      {m_site.pixel2.x(), m_site.pixel2.y(), m_site.world2.x(), m_site.world2.y()}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 4; ++c)
      m_table->setItem(
          r, c,
          new QTableWidgetItem(QString::number(cells[r][c], 'g', QLocale::FloatingPointShortest)));
}

void SitePlanPanel::apply() {
  QTransform t;
  if (m_image.isNull() || !sitePlanTransform(m_site, t)) {
    m_plan->setSitePlan({}, {}, 0);
    m_label->setText(m_file.isEmpty()   ? QStringLiteral("未加载底图")
                     : m_image.isNull() ? QStringLiteral("找不到底图文件：%1").arg(m_file)
                                        : QStringLiteral("两个控制点不能重合。"));
    return;
  }
  m_plan->setSitePlan(m_image, t, m_opacity / 100.0);
  m_label->setText(QStringLiteral("%1（%2 × %3 像素，%4 m/像素）")
                       .arg(m_file)
                       .arg(m_image.width())
                       .arg(m_image.height())
                       .arg(std::hypot(t.m11(), t.m12()), 0, 'g', 4));
}

}  // namespace widgets
