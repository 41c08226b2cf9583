#include "app/pages/noise/noise_map/map_results.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/pages/noise/noise_map/plan_view.h"
#include "app/pages/noise/noise_map/scene_tables.h"
#include "core/file_io.h"
#include "core/format.h"
#include "present/contour.h"
#include "present/grid_data.h"
#include "present/table_copy.h"
#include "widgets/excel_export.h"
#include "widgets/prompts.h"

namespace app::noisemap {

namespace {

const QString kTitle = QStringLiteral("工业噪声地图预测结果");

// The file written in one piece (core::AtomicFile); the reason when it cannot be.
QString writeAtomically(const QString& path, const QByteArray& bytes) {
  return QString::fromStdString(core::writeFileAtomic(
      path.toStdString(), std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

// A period in which no source runs has no level: "-", not "-inf".
std::string db(double v) { return std::isfinite(v) ? core::cformat("%.1f", v) : "-"; }
std::string db(const std::optional<double>& v) { return v ? db(*v) : "-"; }

// The grid in coordinates relative to its lower-left corner, for drawing.
present::GridData localGrid(const prop::GridResult& g, const std::vector<float>& v) {
  present::GridData d;
  d.nx = g.nx;
  d.ny = g.ny;
  d.xmin = 0;
  d.ymin = 0;
  d.xmax = (g.nx - 1) * g.spacing_m;
  d.ymax = (g.ny - 1) * g.spacing_m;
  d.z = v;
  if (!v.empty()) {
    const auto [lo, hi] = present::finiteRange(v);  // a night without sources holds -inf
    d.zmin = lo;
    d.zmax = hi;
  }
  return d;
}

}  // namespace

MapResults::MapResults(QWidget* parent) : QWidget(parent) {
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(2, 2, 2, 2);
  m_table = new QTableWidget(0, 13, this);
  m_table->setObjectName(QStringLiteral("noiseMapReceptorTable"));
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->verticalHeader()->setDefaultSectionSize(22);
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  const core::Table empty = receptorTable();
  QStringList heads;
  for (const auto& h : empty.headers) heads << QString::fromStdString(h);
  m_table->setHorizontalHeaderLabels(heads);
  v->addWidget(m_table, 1);
  auto* row = new QHBoxLayout;
  auto* copy = new QPushButton(QStringLiteral("复制"), this);
  auto* excel = new QPushButton(QStringLiteral("结果导入EXCEL"), this);
  excel->setObjectName(QStringLiteral("noiseMapExcel"));
  row->addWidget(copy);
  row->addWidget(excel);
  row->addStretch(1);
  v->addLayout(row);

  auto* box = new QGroupBox(QStringLiteral("等值线图"), this);
  auto* bv = new QVBoxLayout(box);
  auto* r1 = new QHBoxLayout;
  m_class = new QComboBox(box);
  for (const auto& c : kFunctionClasses)
    m_class->addItem(QStringLiteral("%1类").arg(QLatin1String(c.name)));
  m_class->setCurrentIndex(2);
  m_period = new QComboBox(box);
  m_period->addItems({QStringLiteral("昼间贡献值"), QStringLiteral("夜间贡献值")});
  m_levels_edit = new QLineEdit(box);
  m_levels_edit->setObjectName(QStringLiteral("noiseMapLevels"));
  m_levels_edit->setToolTip(QStringLiteral("等值线值 dB(A)，以逗号分隔"));
  auto* apply = new QPushButton(QStringLiteral("应用"), box);
  r1->addWidget(new QLabel(QStringLiteral("功能区"), box));
  r1->addWidget(m_class);
  r1->addWidget(m_period);
  r1->addWidget(new QLabel(QStringLiteral("等值线"), box));
  r1->addWidget(m_levels_edit, 1);
  r1->addWidget(apply);
  bv->addLayout(r1);
  auto* r2 = new QHBoxLayout;
  m_dpi = new QSpinBox(box);
  m_dpi->setRange(72, 1200);
  m_dpi->setValue(300);
  m_dpi->setSuffix(QStringLiteral(" dpi"));
  auto* fig = new QPushButton(QStringLiteral("导出图件"), box);
  auto* geo = new QPushButton(QStringLiteral("导出GeoJSON"), box);
  auto* grd = new QPushButton(QStringLiteral("导出Surfer网格"), box);
  m_title = new QLineEdit(box);
  m_title->setObjectName(QStringLiteral("noiseMapFigureTitle"));
  m_title->setPlaceholderText(QStringLiteral("图名（可不填，写在图件上方）"));
  auto* r0 = new QHBoxLayout;
  r0->addWidget(new QLabel(QStringLiteral("图名"), box));
  r0->addWidget(m_title, 1);
  bv->addLayout(r0);
  r2->addWidget(m_dpi);
  r2->addWidget(fig);
  r2->addWidget(geo);
  r2->addWidget(grd);
  r2->addStretch(1);
  bv->addLayout(r2);
  v->addWidget(box);

  connect(copy, &QPushButton::clicked, this, [this] {
    const core::Table t = receptorTable();
    std::vector<std::vector<std::string>> cells = {t.headers};
    cells.insert(cells.end(), t.rows.begin(), t.rows.end());
    std::vector<std::pair<int, int>> all;
    for (int r = 0; r < static_cast<int>(cells.size()); ++r)
      for (int c = 0; c < static_cast<int>(t.headers.size()); ++c) all.emplace_back(r, c);
    QApplication::clipboard()->setText(QString::fromStdString(present::copyText(cells, all)));
  });
  connect(excel, &QPushButton::clicked, this,
          [this] { widgets::exportTable(this, receptorTable(), kTitle); });
  connect(m_class, &QComboBox::activated, this, [this] {
    defaultLevels();
    emit mapChanged();
  });
  connect(m_period, &QComboBox::activated, this, [this] { emit mapChanged(); });
  connect(apply, &QPushButton::clicked, this, [this] {
    setLevelsText(m_levels_edit->text());
    emit mapChanged();
  });
  connect(m_levels_edit, &QLineEdit::returnPressed, apply, &QPushButton::click);
  connect(fig, &QPushButton::clicked, this, [this] { exportFigure(); });
  connect(geo, &QPushButton::clicked, this, [this] { exportGeoJson(); });
  connect(grd, &QPushButton::clicked, this, [this] { exportGrid(); });
  defaultLevels();
}

core::Table MapResults::receptorTable() const {
  core::Table t;
  t.title = kTitle.toStdString();
  t.headers = {"预测点",     "类型",       "昼间贡献值", "夜间贡献值", "昼间背景值",
               "夜间背景值", "昼间预测值", "夜间预测值", "昼间标准",   "夜间标准",
               "昼间超标量", "夜间超标量", "达标情况"};
  if (!m_receptors) return t;
  for (const auto& p : m_receptors->receptors) {
    std::string verdict = "-";
    if (p.day.exceedance_db || p.night.exceedance_db)
      verdict = p.day.exceedance_db.value_or(-1) > 0 || p.night.exceedance_db.value_or(-1) > 0
                    ? "超标"
                    : "达标";
    t.rows.push_back({p.name, p.boundary ? "厂界" : "敏感点", db(p.day.contribution_db),
                      db(p.night.contribution_db), db(p.day.background_db),
                      db(p.night.background_db), db(p.day.predicted_db), db(p.night.predicted_db),
                      db(p.day.limit_db), db(p.night.limit_db), db(p.day.exceedance_db),
                      db(p.night.exceedance_db), verdict});
  }
  return t;
}

void MapResults::showReceptors(const prop::ReceptorsResult& r) {
  m_receptors = r;
  const core::Table t = receptorTable();
  m_table->setRowCount(static_cast<int>(t.rows.size()));
  for (int i = 0; i < m_table->rowCount(); ++i)
    for (int c = 0; c < m_table->columnCount(); ++c) {
      auto* it = new QTableWidgetItem(
          QString::fromStdString(t.rows[static_cast<size_t>(i)][static_cast<size_t>(c)]));
      if (c == 12 && it->text() == QStringLiteral("超标")) it->setForeground(Qt::red);
      m_table->setItem(i, c, it);
    }
}

void MapResults::setGrid(const prop::GridResult& g) {
  m_grid = g;
  defaultLevels();
  emit mapChanged();
}

void MapResults::clear() {
  m_receptors.reset();
  m_grid.reset();
  m_table->setRowCount(0);
  emit mapChanged();
}

void MapResults::setFunctionClass(int index) {
  m_class->setCurrentIndex(std::clamp(index, 0, 5));
  defaultLevels();
  emit mapChanged();
}

int MapResults::functionClass() const { return m_class->currentIndex(); }
int MapResults::period() const { return m_period->currentIndex(); }
void MapResults::setPeriod(int p) {
  m_period->setCurrentIndex(std::clamp(p, 0, 1));
  emit mapChanged();
}

void MapResults::defaultLevels() {
  const double lowest = kFunctionClasses[std::clamp(m_class->currentIndex(), 0, 5)].night;
  double top = lowest + 30;
  if (const auto* v = values(); v && !v->empty()) {
    const float hi = *std::max_element(v->begin(), v->end());
    top = std::max(lowest, std::ceil(static_cast<double>(hi) / 5) * 5);
  }
  m_levels.clear();
  for (double l = lowest; l <= top + 1e-9 && m_levels.size() < 16; l += 5) m_levels.push_back(l);
  m_levels_edit->setText(levelsText());
}

void MapResults::setLevelsText(const QString& text) {
  std::vector<double> out;
  for (const QString& part :
       QString(text)
           .replace(QStringLiteral("，"), QStringLiteral(","))
           .split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts)) {
    bool ok = false;
    const double v = part.toDouble(&ok);
    if (ok && std::isfinite(v)) out.push_back(v);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  if (out.size() > 40) out.resize(40);
  if (!out.empty()) m_levels = out;
  m_levels_edit->setText(levelsText());
}

QString MapResults::levelsText() const {
  QStringList parts;
  for (double l : m_levels) parts << QString::number(l, 'g', 6);
  return parts.join(QStringLiteral(", "));
}

const std::vector<float>* MapResults::values() const {
  if (!m_grid) return nullptr;
  return m_period->currentIndex() == 1 ? &m_grid->night : &m_grid->day;
}

QRectF MapResults::worldRect() const {
  if (!m_grid) return {};
  return QRectF(m_grid->xmin, m_grid->ymin, (m_grid->nx - 1) * m_grid->spacing_m,
                (m_grid->ny - 1) * m_grid->spacing_m);
}

QColor MapResults::bandColour(int k, int n) {
  static const QColor ramp[] = {QColor(255, 255, 178), QColor(254, 217, 118), QColor(254, 178, 76),
                                QColor(253, 141, 60),  QColor(252, 78, 42),   QColor(227, 26, 28),
                                QColor(177, 0, 38),    QColor(128, 0, 96),    QColor(80, 0, 120)};
  constexpr int stops = static_cast<int>(std::size(ramp));
  if (n <= 1) return ramp[0];
  // The ramp spread over the n bands, interpolated between its stops.
  const double t = static_cast<double>(std::clamp(k, 0, n - 1)) / (n - 1) * (stops - 1);
  const int i = std::min(static_cast<int>(t), stops - 2);
  const double f = t - i;
  auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
  return QColor(mix(ramp[i].red(), ramp[i + 1].red()), mix(ramp[i].green(), ramp[i + 1].green()),
                mix(ramp[i].blue(), ramp[i + 1].blue()));
}

QString MapResults::figureTitle() const { return m_title->text(); }
void MapResults::setFigureTitle(const QString& title) { m_title->setText(title); }

QImage MapResults::bandImage(QRectF* world) const {
  const auto* v = values();
  if (!v || m_grid->nx < 2 || m_grid->ny < 2 || m_levels.empty()) return {};
  const int nx = m_grid->nx, ny = m_grid->ny;
  const int f = std::clamp(1600 / std::max(nx, ny), 1, 8);
  const int w = (nx - 1) * f, h = (ny - 1) * f;
  QImage img(w, h, QImage::Format_ARGB32);
  for (int py = 0; py < h; ++py) {
    const double gy = (h - 1 - py + 0.5) / f;  // image row 0 is the top
    const int j = std::min(static_cast<int>(gy), ny - 2);
    const double ty = gy - j;
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(py));
    for (int px = 0; px < w; ++px) {
      const double gx = (px + 0.5) / f;
      const int i = std::min(static_cast<int>(gx), nx - 2);
      const double tx = gx - i;
      auto at = [&](int r, int c) {
        return static_cast<double>(
            (*v)[static_cast<size_t>(r) * static_cast<size_t>(nx) + static_cast<size_t>(c)]);
      };
      // Bilinear over the computed corners: a node inside a building (NaN) leaves no blank
      // margin round the footprint, which the building's own drawing covers.
      const double wts[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
      const double vals[4] = {at(j, i), at(j, i + 1), at(j + 1, i), at(j + 1, i + 1)};
      double sum = 0, wsum = 0;
      for (int c = 0; c < 4; ++c)
        if (!std::isnan(vals[c])) sum += wts[c] * vals[c], wsum += wts[c];
      const double z = wsum > 0 ? sum / wsum : std::nan("");
      int k = -1;
      for (size_t l = 0; l < m_levels.size(); ++l)
        if (z >= m_levels[l]) k = static_cast<int>(l);
      line[px] =
          k < 0 ? qRgba(0, 0, 0, 0) : bandColour(k, static_cast<int>(m_levels.size())).rgba();
    }
  }
  if (world) *world = worldRect();
  return img;
}

QPainterPath MapResults::linePath() const {
  QPainterPath path;
  const auto* v = values();
  if (!v || m_grid->nx < 2 || m_grid->ny < 2) return path;
  const present::GridData g = localGrid(*m_grid, *v);
  for (double level : m_levels)
    for (const auto& line : present::traceLevel(g, static_cast<float>(level))) {
      for (size_t i = 0; i < line.points.size(); ++i) {
        const QPointF p(m_grid->xmin + static_cast<double>(line.points[i].x),
                        m_grid->ymin + static_cast<double>(line.points[i].y));
        if (i == 0)
          path.moveTo(p);
        else
          path.lineTo(p);
      }
    }
  return path;
}

QPainterPath MapResults::limitPath() const {
  QPainterPath path;
  const auto* v = values();
  if (!v || m_grid->nx < 2 || m_grid->ny < 2) return path;
  const ClassLimits& c = kFunctionClasses[std::clamp(m_class->currentIndex(), 0, 5)];
  const present::GridData g = localGrid(*m_grid, *v);
  for (double level : m_levels) {
    if (level != c.day && level != c.night) continue;
    for (const auto& line : present::traceLevel(g, static_cast<float>(level)))
      for (size_t i = 0; i < line.points.size(); ++i) {
        const QPointF p(m_grid->xmin + static_cast<double>(line.points[i].x),
                        m_grid->ymin + static_cast<double>(line.points[i].y));
        if (i == 0)
          path.moveTo(p);
        else
          path.lineTo(p);
      }
  }
  return path;
}

void MapResults::drawLegend(QPainter& p, const QRectF& area, bool bottom) const {
  if (m_levels.empty()) return;
  p.save();
  const int n = static_cast<int>(m_levels.size());
  const double row = std::min(area.height() / (n + 1.5), area.width() / 7);
  QRectF box = area;
  if (bottom) box.setTop(area.bottom() - row * (n + 1.3));
  QFont f = p.font();
  f.setPixelSize(std::max(8, static_cast<int>(row * 0.7)));
  p.setFont(f);
  p.setPen(Qt::black);
  p.fillRect(QRectF(box.left(), box.top(), box.width(), row * (n + 1.3)),
             QColor(255, 255, 255, 220));
  p.drawText(QRectF(box.left() + row * 0.2, box.top(), box.width(), row), Qt::AlignVCenter,
             (m_period->currentIndex() == 1 ? QStringLiteral("夜间") : QStringLiteral("昼间")) +
                 QStringLiteral(" dB(A)"));
  for (int k = n - 1; k >= 0; --k) {
    const double y = box.top() + row * (1 + (n - 1 - k));
    const QRectF sw(box.left() + row * 0.2, y + row * 0.1, row * 1.4, row * 0.8);
    p.fillRect(sw, bandColour(k, n));
    p.drawRect(sw);
    const QString label =
        k + 1 < n ? QStringLiteral("%1 – %2")
                        .arg(m_levels[static_cast<size_t>(k)], 0, 'g', 6)
                        .arg(m_levels[static_cast<size_t>(k) + 1], 0, 'g', 6)
                  : QStringLiteral("≥ %1").arg(m_levels[static_cast<size_t>(k)], 0, 'g', 6);
    p.drawText(QRectF(sw.right() + row * 0.3, y, box.width(), row), Qt::AlignVCenter, label);
  }
  p.restore();
}

// The figure, laid out in millimetres of the output: an optional title above, the map 124 mm
// wide, the legend in a column of its own right of it (never over the plan). Texts and marks are
// sized in points of the output, not in screen pixels.
QSizeF MapResults::figureSize(int dpi) const {
  const QRectF world = worldRect();
  if (world.isEmpty()) return {};
  const double mm = dpi / 25.4;
  const double title = m_title->text().trimmed().isEmpty() ? 0 : 12 * mm;
  const double map_h = 124 * mm * world.height() / world.width();
  const double legend_h = (static_cast<double>(m_levels.size()) + 2.5) * 6 * mm;
  return {std::round(170 * mm), std::ceil(title + std::max(map_h, legend_h) + 2 * mm)};
}

void MapResults::paintFigure(QPainter& p, int dpi, QSizeF* size) const {
  const QRectF world = worldRect();
  const QSizeF all = figureSize(dpi);
  if (size) *size = all;
  if (world.isEmpty()) return;
  const double mm = dpi / 25.4;
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRectF(QPointF(0, 0), all), Qt::white);
  double top = 0;
  if (const QString title = m_title->text().trimmed(); !title.isEmpty()) {
    QFont f = p.font();
    f.setPixelSize(static_cast<int>(std::lround(14.0 / 72 * dpi)));  // 14 pt
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, 124 * mm, 12 * mm), Qt::AlignCenter, title);
    top = 12 * mm;
  }
  const double map_w = 124 * mm;
  const QRectF target(0, top, map_w, map_w * world.height() / world.width());
  p.save();
  p.setClipRect(target);
  if (m_render) m_render(p, target, world, dpi / 96.0);
  // Levels at the class's limit: a heavier line over the plan's own.
  const QPainterPath limit = limitPath();
  if (!limit.isEmpty()) {
    QTransform t;
    t.translate(target.left() - world.left() * target.width() / world.width(),
                target.bottom() + world.top() * target.height() / world.height());
    t.scale(target.width() / world.width(), -target.height() / world.height());
    p.setPen(QPen(Qt::black, 0.6 * mm));
    p.setBrush(Qt::NoBrush);
    p.drawPath(t.map(limit));
  }
  p.restore();
  p.setPen(QPen(Qt::black, std::max(1.0, mm * 0.3)));
  p.setBrush(Qt::NoBrush);
  p.drawRect(target);
  PlanView::drawMarks(p, target, world.width() / map_w);
  // The legend: 6 mm a row, its text in points of the output.
  const QRectF legend(map_w + 4 * mm, top, 42 * mm,
                      (static_cast<double>(m_levels.size()) + 1.5) * 6 * mm);
  drawLegend(p, legend);
}

QImage MapResults::figure(int dpi) const {
  const QSizeF size = figureSize(dpi);
  if (size.isEmpty()) return {};
  QImage img(static_cast<int>(size.width()), static_cast<int>(size.height()),
             QImage::Format_ARGB32);
  img.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
  img.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
  img.fill(Qt::white);
  QPainter p(&img);
  paintFigure(p, dpi, nullptr);
  return img;
}

QString MapResults::writeFigure(const QString& path, int dpi) const {
  if (!m_grid) return QStringLiteral("还没有计算等值线图。");
  if (QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
    // Vector drawing of the same figure, written whole or not at all.
    const QSizeF size = figureSize(dpi);
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&bytes);
    svg.setSize(size.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), size));
    svg.setResolution(dpi);
    svg.setTitle(m_title->text().trimmed().isEmpty() ? kTitle : m_title->text().trimmed());
    QPainter p;
    if (!p.begin(&svg)) return QStringLiteral("无法写入文件 %1。").arg(path);
    paintFigure(p, dpi, nullptr);
    if (!p.end()) return QStringLiteral("无法写入文件 %1。").arg(path);
    return writeAtomically(path, bytes.data());
  }
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  if (!figure(dpi).save(&bytes, "PNG")) return QStringLiteral("无法写入文件 %1。").arg(path);
  return writeAtomically(path, bytes.data());
}

QString MapResults::writeGeoJson(const QString& path) const {
  const auto* v = values();
  if (!v) return QStringLiteral("还没有计算等值线图。");
  const present::GridData g = localGrid(*m_grid, *v);
  QJsonArray features;
  for (double level : m_levels)
    for (const auto& line : present::traceLevel(g, static_cast<float>(level))) {
      QJsonArray coords;
      for (const auto& pt : line.points)
        coords.append(
            QJsonArray{std::round((m_grid->xmin + static_cast<double>(pt.x)) * 100) / 100,
                       std::round((m_grid->ymin + static_cast<double>(pt.y)) * 100) / 100});
      features.append(
          QJsonObject{{QStringLiteral("type"), QStringLiteral("Feature")},
                      {QStringLiteral("properties"), QJsonObject{{QStringLiteral("level"), level}}},
                      {QStringLiteral("geometry"),
                       QJsonObject{{QStringLiteral("type"), QStringLiteral("LineString")},
                                   {QStringLiteral("coordinates"), coords}}}});
    }
  const QJsonObject top{{QStringLiteral("type"), QStringLiteral("FeatureCollection")},
                        {QStringLiteral("features"), features}};
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return QStringLiteral("无法写入文件 %1。").arg(path);
  f.write(QJsonDocument(top).toJson(QJsonDocument::Compact));
  if (!f.commit()) return QStringLiteral("无法写入文件 %1。").arg(path);
  return {};
}

QString MapResults::writeSurferGrid(const QString& path) const {
  const auto* v = values();
  if (!v) return QStringLiteral("还没有计算等值线图。");
  present::GridData g = localGrid(*m_grid, *v);
  g.xmin = m_grid->xmin;
  g.ymin = m_grid->ymin;
  g.xmax = m_grid->xmin + (m_grid->nx - 1) * m_grid->spacing_m;
  g.ymax = m_grid->ymin + (m_grid->ny - 1) * m_grid->spacing_m;
  std::string why;
  if (!present::writeGrdFile(g, path.toStdString(), &why)) return QString::fromStdString(why);
  return {};
}

void MapResults::exportFigure() {
  if (!m_grid) {
    widgets::showMessage(this, QStringLiteral("还没有计算等值线图。"));
    return;
  }
  const QString path = widgets::chooseFileToWrite(
      this, QStringLiteral("导出图件"), QStringLiteral("噪声等值线图.png"),
      QStringLiteral("PNG 图片 (*.png);;SVG 图形 (*.svg)"));
  if (path.isEmpty()) return;
  const QString e = writeFigure(path, m_dpi->value());
  if (!e.isEmpty()) widgets::showMessage(this, e);
}

void MapResults::exportGeoJson() {
  if (!m_grid) {
    widgets::showMessage(this, QStringLiteral("还没有计算等值线图。"));
    return;
  }
  const QString path = widgets::chooseFileToWrite(this, QStringLiteral("导出GeoJSON"),
                                                  QStringLiteral("噪声等值线.geojson"),
                                                  QStringLiteral("GeoJSON (*.geojson *.json)"));
  if (path.isEmpty()) return;
  const QString e = writeGeoJson(path);
  if (!e.isEmpty()) widgets::showMessage(this, e);
}

void MapResults::exportGrid() {
  if (!m_grid) {
    widgets::showMessage(this, QStringLiteral("还没有计算等值线图。"));
    return;
  }
  const QString path = widgets::chooseFileToWrite(this, QStringLiteral("导出Surfer网格"),
                                                  QStringLiteral("噪声贡献值.grd"),
                                                  QStringLiteral("Surfer 网格 (*.grd)"));
  if (path.isEmpty()) return;
  const QString e = writeSurferGrid(path);
  if (!e.isEmpty()) widgets::showMessage(this, e);
}

}  // namespace app::noisemap
