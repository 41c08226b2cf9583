#include "app/pages/risk/toxic_release_page.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStandardPaths>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/pages/risk/toxic_release_inputs.h"
#include "app/sheet_export.h"
#include "core/file_io.h"
#include "core/format.h"
#include "models/risk/gas_leak.h"
#include "present/calc_sheet.h"
#include "sheet/sheet_writer.h"
#include "widgets/excel_export.h"
#include "widgets/list_table.h"
#include "widgets/paste_table.h"
#include "widgets/prompts.h"

namespace app {

using namespace models::risk;

namespace toxic {

namespace {

QString g_user_path;

}  // namespace

QString userSubstancePath() {
  if (!g_user_path.isEmpty()) return g_user_path;
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/substances.csv");
}

void setUserSubstancePath(const QString& path) { g_user_path = path; }

QString writeUserSubstances(const std::string& csv) {
  const QString path = userSubstancePath();
  // The data folder does not exist before the program first writes into it.
  QDir().mkpath(QFileInfo(path).absolutePath());
  return QString::fromStdString(core::writeFileAtomic(path.toStdString(), csv));
}

std::vector<Substance> substanceList() {
  QFile f(userSubstancePath());
  std::vector<Substance> user;
  if (f.open(QIODevice::ReadOnly)) user = parseSubstances(f.readAll().toStdString());
  return mergeSubstances(builtinSubstances(), user);
}

ThreatZonePlot::ThreatZonePlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("threatZones"));
  setMinimumSize(480, 360);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  m_view = new widgets::PlanView(this);
  lay->addWidget(m_view);
}

namespace {
const QColor kZoneColour[2] = {QColor(220, 30, 30), QColor(240, 150, 0)};
}  // namespace

void ThreatZonePlot::setResult(const ToxicReleaseInput& in, const CaseResult* c) {
  m_in = in;
  m_case = c;
  std::vector<widgets::PlanShape> shapes;
  if (!c) {
    m_view->showShapes(shapes);
    m_view->setLegendPainter({});
    return;
  }
  for (int k = 1; k >= 0; --k) {
    widgets::PlanShape zone;
    zone.form = widgets::PlanShape::Form::Polygon;
    zone.ref = {0, k};
    for (const auto& p : footprint(k)) zone.points.push_back({p.x(), p.y()});
    if (!zone.points.empty()) zone.points.pop_back();  // the ring closes itself
    zone.line = kZoneColour[k];
    zone.fill = kZoneColour[k];
    zone.fill.setAlpha(90);
    zone.width = 1.5;
    zone.z = 5 + k;
    if (zone.points.size() >= 3) shapes.push_back(zone);
    const auto& e = c->endpoints[k];
    if (e.reach.found) {
      widgets::PlanShape circle;
      circle.form = widgets::PlanShape::Form::Polyline;
      circle.ref = {1, k};
      for (int i = 0; i <= 144; ++i) {
        const double a = 2 * std::numbers::pi * i / 144;
        circle.points.push_back(
            {in.src_x_m + e.reach.x * std::cos(a), in.src_y_m + e.reach.x * std::sin(a)});
      }
      circle.line = kZoneColour[k];
      circle.style = Qt::DashLine;
      circle.width = 1.2;
      circle.z = 7;
      shapes.push_back(circle);
    }
  }
  widgets::PlanShape src;
  src.ref = {2, 0};
  src.points = {{in.src_x_m, in.src_y_m}};
  src.fill = Qt::black;
  src.label = QStringLiteral("泄漏源");
  src.z = 20;
  shapes.push_back(src);
  std::vector<Receptor> rs;
  parseReceptors(in.receptors, rs);
  for (size_t i = 0; i < rs.size(); ++i) {
    widgets::PlanShape r;
    r.ref = {3, static_cast<int>(i)};
    r.points = {{rs[i].x, rs[i].y}};
    r.square = true;
    r.line = QColor(30, 90, 200);
    r.fill = QColor(30, 90, 200);
    r.label = QString::fromStdString(rs[i].name);
    r.z = 20;
    shapes.push_back(r);
  }
  m_view->showShapes(shapes);
  const QString title = QString::fromStdString(c->weather.name);
  const double levels[2] = {c->endpoints[0].level_mg_m3, c->endpoints[1].level_mg_m3};
  m_legend = [title, levels](QPainter& p, const QRectF& box) {
    p.fillRect(box, QColor(255, 255, 255, 220));
    p.setPen(Qt::black);
    p.drawText(box.adjusted(6, 4, -4, 0), Qt::AlignLeft | Qt::AlignTop, title);
    for (int k = 0; k < 2; ++k) {
      const double y = box.top() + 24 + k * 20;
      p.fillRect(QRectF(box.left() + 6, y + 3, 14, 10), kZoneColour[k]);
      p.drawText(QRectF(box.left() + 26, y, box.width() - 30, 18), Qt::AlignVCenter,
                 QString::fromStdString(core::cformat("终点浓度-%d %g mg/m³", k + 1, levels[k])));
    }
    p.drawText(QRectF(box.left() + 6, box.top() + 64, box.width() - 8, 18), Qt::AlignVCenter,
               QStringLiteral("虚线：最远影响距离"));
  };
  m_view->setLegendPainter(m_legend);
  fit();
}

void ThreatZonePlot::fit() {
  if (!m_case) return;
  // The two circles and the receptors, in the view's scene coordinates (x, -y).
  double r = 50;
  for (const auto& e : m_case->endpoints)
    if (e.reach.found) r = std::max(r, e.reach.x);
  QRectF w(m_in.src_x_m - r, -m_in.src_y_m - r, 2 * r, 2 * r);
  std::vector<Receptor> rs;
  parseReceptors(m_in.receptors, rs);
  for (const auto& rc : rs) w = w.united(QRectF(rc.x - 1, -rc.y - 1, 2, 2));
  w.adjust(-0.08 * w.width(), -0.08 * w.height(), 0.08 * w.width(), 0.08 * w.height());
  m_view->scene()->setSceneRect(
      w.adjusted(-5 * w.width(), -5 * w.height(), 5 * w.width(), 5 * w.height()));
  m_extent = w;
  m_view->fitInView(w, Qt::KeepAspectRatio);
}

std::vector<QPointF> ThreatZonePlot::footprint(int k) const {
  std::vector<QPointF> pts;
  if (!m_case) return pts;
  const auto& fp = m_case->footprints[k];
  const double th = m_in.wind_to_deg * std::numbers::pi / 180;
  const double s = std::sin(th), c = std::cos(th);
  auto world = [&](double x, double y) {
    return QPointF(m_in.src_x_m + x * s + y * c, m_in.src_y_m + x * c - y * s);
  };
  std::vector<QPointF> left, right;
  for (size_t i = 0; i < fp.x.size(); ++i) {
    if (fp.half_width[i] <= 0) continue;
    left.push_back(world(fp.x[i], fp.half_width[i]));
    right.push_back(world(fp.x[i], -fp.half_width[i]));
  }
  pts = left;
  for (auto it = right.rbegin(); it != right.rend(); ++it) pts.push_back(*it);
  if (!pts.empty()) pts.push_back(pts.front());
  return pts;
}

QImage ThreatZonePlot::image(const QSize& size, double ratio) {
  QImage img(size * ratio, QImage::Format_RGB32);
  img.setDevicePixelRatio(ratio);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  render(p, QRectF(QPointF(0, 0), QSizeF(size)));
  p.end();
  return img;
}

bool ThreatZonePlot::savePng(const QString& path) {
  // Drawn afresh at no less than 900 x 700 from the view's scene, whatever the view's size on
  // screen (or whether it is shown at all).
  return image(m_view->size().expandedTo(QSize(900, 700))).save(path, "PNG");
}

void ThreatZonePlot::render(QPainter& p, const QRectF& target) {
  if (!m_case) return;
  fit();
  const QRectF source = m_extent;
  m_view->scene()->render(&p, target, source, Qt::KeepAspectRatio);
  const double mpp = std::max(source.width() / target.width(), source.height() / target.height());
  widgets::PlanView::drawMarks(p, target, mpp);
  if (m_legend) m_legend(p, QRectF(target.right() - 190, target.bottom() - 100, 180, 88));
}

bool ThreatZonePlot::saveSvg(const QString& path) {
  QSvgGenerator svg;
  svg.setFileName(path);
  const QRect box(QPoint(0, 0), m_view->size().expandedTo(QSize(900, 700)));
  svg.setSize(box.size());
  svg.setViewBox(box);
  svg.setTitle(QStringLiteral("威胁区域"));
  QPainter p;
  if (!p.begin(&svg)) return false;
  render(p, QRectF(box));
  return p.end();
}

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

QChart* distanceChart(const ToxicReleaseInput& in, const ToxicReleaseResult& r) {
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("下风向轴线最大浓度"));
  auto* ax = new QValueAxis;
  ax->setTitleText(QStringLiteral("下风向距离 (m)"));
  auto* ay = new QLogValueAxis;
  ay->setTitleText(QStringLiteral("浓度 (mg/m³)"));
  ay->setLabelFormat(QStringLiteral("%g"));
  chart->addAxis(ax, Qt::AlignBottom);
  chart->addAxis(ay, Qt::AlignLeft);
  double xmax = 1, ymin = 1e300, ymax = 0;
  for (const auto& c : r.cases) {
    auto* s = new QLineSeries;
    s->setName(q(c.weather.name));
    for (const auto& [x, v] : axialConcentrations(in, c)) {
      if (v <= 0) continue;  // a log axis
      s->append(x, v);
      xmax = std::max(xmax, x);
      ymin = std::min(ymin, v);
      ymax = std::max(ymax, v);
    }
    chart->addSeries(s);
    s->attachAxis(ax);
    s->attachAxis(ay);
  }
  const double eps[2] = {in.endpoint1_mg_m3, in.endpoint2_mg_m3};
  for (int k = 0; k < 2; ++k) {
    auto* s = new QLineSeries;
    s->setName(q(core::cformat("大气毒性终点浓度-%d", k + 1)));
    s->append(0, eps[k]);
    s->append(xmax, eps[k]);
    QPen pen(kZoneColour[k]);
    pen.setStyle(Qt::DashLine);
    s->setPen(pen);
    chart->addSeries(s);
    s->attachAxis(ax);
    s->attachAxis(ay);
    ymin = std::min(ymin, eps[k]);
    ymax = std::max(ymax, eps[k]);
  }
  ax->setRange(0, xmax);
  if (ymax > 0) ay->setRange(std::max(ymin, ymax * 1e-8) / 2, ymax * 2);
  return chart;
}

QChart* receptorChart(const ToxicReleaseResult& r) {
  bool any = false;
  for (const auto& c : r.cases) any = any || !c.receptors.empty();
  if (!any) return nullptr;
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("敏感目标浓度随时间变化"));
  auto* ax = new QValueAxis;
  ax->setTitleText(QStringLiteral("时间 (min)"));
  auto* ay = new QValueAxis;
  ay->setTitleText(QStringLiteral("浓度 (mg/m³)"));
  chart->addAxis(ax, Qt::AlignBottom);
  chart->addAxis(ay, Qt::AlignLeft);
  for (const auto& c : r.cases)
    for (const auto& rr : c.receptors) {
      auto* s = new QLineSeries;
      s->setName(q(c.weather.name + " " + rr.name));
      for (size_t i = 0; i < rr.times.size(); ++i) s->append(rr.times[i] / 60, rr.conc_mg_m3[i]);
      chart->addSeries(s);
      s->attachAxis(ax);
      s->attachAxis(ay);
    }
  return chart;
}

}  // namespace toxic

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

void setField(CalculatorPage& page, const std::string& key, double v) { page.setValue(key, v); }

QChartView* makeChart(QWidget* parent, const char* name) {
  auto* v = new QChartView(new QChart, parent);
  v->setObjectName(QLatin1String(name));
  v->setRenderHint(QPainter::Antialiasing);
  v->setMinimumHeight(320);
  return v;
}

// A table tab: the list and its "复制选中表格" / "结果导入EXCEL" buttons.
QWidget* tableTab(QWidget* parent, const core::Table& t) {
  auto* w = new QWidget(parent);
  auto* lay = new QVBoxLayout(w);
  auto* list = new widgets::ListTable(w);
  list->setObjectName(QStringLiteral("list"));
  list->setTable(t);
  lay->addWidget(list);
  auto* bar = new QHBoxLayout;
  auto* copy = new QPushButton(QStringLiteral("复制选中表格"), w);
  auto* xls = new QPushButton(QStringLiteral("结果导入EXCEL"), w);
  QObject::connect(copy, &QPushButton::clicked, w,
                   [w, list] { widgets::copyListSelection(w, *list); });
  const QString title = q(t.title);
  QObject::connect(xls, &QPushButton::clicked, w,
                   [w, list, title] { widgets::exportListTable(w, *list, title); });
  bar->addWidget(copy);
  bar->addWidget(xls);
  bar->addStretch();
  lay->addLayout(bar);
  return w;
}

}  // namespace

void ToxicReleasePageHook::setup(CalculatorPage& page) {
  m_page = &page;
  // The substance list over the property fields.
  if (QGroupBox* box = page.group("物质")) {
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    auto* bar = new QHBoxLayout;
    m_substances = new QComboBox(box);
    m_substances->setObjectName(QStringLiteral("substanceList"));
    auto* save = new QPushButton(QStringLiteral("保存到物质表"), box);
    save->setObjectName(QStringLiteral("saveSubstance"));
    bar->addWidget(new QLabel(QStringLiteral("物质表"), box));
    auto* edit = new QPushButton(QStringLiteral("编辑物质表…"), box);
    edit->setObjectName(QStringLiteral("editSubstances"));
    bar->addWidget(m_substances, 1);
    bar->addWidget(save);
    bar->addWidget(edit);
    if (grid) grid->addLayout(bar, grid->rowCount(), 0, 1, 3);
    fillSubstances();
    QObject::connect(m_substances, &QComboBox::activated, box,
                     [this](int) { chooseSubstance(m_substances->currentText()); });
    QObject::connect(save, &QPushButton::clicked, box, [this] { saveSubstance(); });
    QObject::connect(edit, &QPushButton::clicked, box, [this] { editSubstances(); });
  }
  // The receptors as a table in place of the one-line field (which stays hidden and holds the
  // table's text form for the compute and the project).
  if (QGroupBox* box = page.group("平面与敏感目标")) {
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (QWidget* line = page.control("receptors")) line->hide();
    if (QLabel* l = page.label("receptors")) l->hide();
    if (QLabel* u = page.unitLabel("receptors")) u->hide();
    m_receptors = new toxic::ReceptorTable(box);
    if (grid) {
      const int row = grid->rowCount();
      grid->addWidget(new QLabel(QStringLiteral("敏感目标"), box), row, 0, 1, 3);
      grid->addWidget(m_receptors, row + 1, 0, 1, 4);
    }
    m_receptors->setText(page.values().text("receptors"));
  }
  if (auto* cover = qobject_cast<QComboBox*>(page.control("cover"))) {
    QObject::connect(cover, &QComboBox::activated, &page, [&page](int i) {
      const auto& lc = landCovers();
      if (i >= 0 && static_cast<size_t>(i) < lc.size())
        page.setValue("z0", lc[static_cast<size_t>(i)].z0_m);
    });
  }
  m_tabs = new QTabWidget(&page);
  m_tabs->setObjectName(QStringLiteral("toxicResults"));
  m_tabs->setMinimumHeight(420);
  m_distance = makeChart(m_tabs, "distanceChart");
  m_receptor = makeChart(m_tabs, "receptorChart");
  auto* zoneTab = new QWidget(m_tabs);
  auto* zl = new QVBoxLayout(zoneTab);
  auto* zbar = new QHBoxLayout;
  m_case_choice = new QComboBox(zoneTab);
  m_case_choice->setObjectName(QStringLiteral("zoneCase"));
  auto* png = new QPushButton(QStringLiteral("保存PNG"), zoneTab);
  auto* svg = new QPushButton(QStringLiteral("保存SVG"), zoneTab);
  zbar->addWidget(new QLabel(QStringLiteral("气象条件"), zoneTab));
  zbar->addWidget(m_case_choice);
  zbar->addStretch();
  zbar->addWidget(png);
  zbar->addWidget(svg);
  zl->addLayout(zbar);
  m_zones = new toxic::ThreatZonePlot(zoneTab);
  zl->addWidget(m_zones, 1);
  QObject::connect(m_case_choice, &QComboBox::activated, zoneTab, [this](int i) { showCase(i); });
  auto save = [this, zoneTab](bool asSvg) {
    const QString path = widgets::chooseSaveFile(
        zoneTab, QStringLiteral("保存威胁区域图"),
        asSvg ? QStringLiteral("威胁区域.svg") : QStringLiteral("威胁区域.png"),
        asSvg ? QStringLiteral("SVG 图像 (*.svg)") : QStringLiteral("PNG 图像 (*.png)"));
    if (path.isEmpty()) return;
    if (!(asSvg ? m_zones->saveSvg(path) : m_zones->savePng(path)))
      widgets::showMessage(zoneTab, QStringLiteral("无法写入文件“%1”。").arg(path));
  };
  QObject::connect(png, &QPushButton::clicked, zoneTab, [save] { save(false); });
  QObject::connect(svg, &QPushButton::clicked, zoneTab, [save] { save(true); });
  m_tabs->addTab(m_distance, QStringLiteral("浓度-距离曲线"));
  m_tabs->addTab(m_receptor, QStringLiteral("敏感目标浓度曲线"));
  m_tabs->addTab(zoneTab, QStringLiteral("威胁区域"));
  page.contentLayout()->addWidget(m_tabs);
  m_tabs->setVisible(false);
}

void ToxicReleasePageHook::editSubstances() {
  toxic::SubstanceEditor dlg(m_page);
  if (dlg.exec() != QDialog::Accepted) return;
  const QString current = m_substances->currentText();
  fillSubstances();
  m_substances->setCurrentText(current);
}

bool ToxicReleasePageHook::beforeCompute(CalculatorPage& page, const std::string&) {
  if (!m_receptors) return true;
  if (const auto bad = m_receptors->check()) {
    widgets::showMessage(&page, *bad);
    return false;
  }
  page.setText("receptors", m_receptors->text());
  return true;
}

bool ToxicReleasePageHook::focusField(CalculatorPage&, const std::string& key) {
  if (key != "receptors" || !m_receptors) return false;
  m_receptors->table()->setFocus();
  return true;
}

void ToxicReleasePageHook::storeInputs(CalculatorPage&, core::Values& inputs) {
  if (m_receptors) inputs.setText("receptors", m_receptors->text());
}

void ToxicReleasePageHook::loadInputs(CalculatorPage&, const core::Values& inputs) {
  if (m_receptors) m_receptors->setText(inputs.text("receptors"));
}

void ToxicReleasePageHook::fillSubstances() {
  m_substances->clear();
  for (const auto& s : toxic::substanceList()) m_substances->addItem(q(s.name_zh));
  m_substances->setCurrentText(QStringLiteral("氯气"));
}

void ToxicReleasePageHook::chooseSubstance(const QString& name) {
  for (const auto& s : toxic::substanceList()) {
    if (q(s.name_zh) != name) continue;
    CalculatorPage& page = *m_page;
    page.setText("substance", s.name_zh);
    setField(page, "wms", s.wms * 1000);
    setField(page, "tbp", s.tbp - 273.15);
    setField(page, "dhe", s.dhe);
    setField(page, "cps", s.cps);
    setField(page, "cpsl", s.cpsl);
    setField(page, "rhosl", s.rhosl);
    setField(page, "spb", s.spb);
    setField(page, "spc", s.spc);
    setField(page, "ep1", s.endpoint1);
    setField(page, "ep2", s.endpoint2);
    return;
  }
}

bool ToxicReleasePageHook::saveSubstance() {
  CalculatorPage& page = *m_page;
  if (!page.readForm()) return false;
  const ToxicReleaseInput in = toxicReleaseInput(page.values());
  if (in.substance.empty()) {
    widgets::showMessage(&page, QStringLiteral("请先输入物质名称！"));
    return false;
  }
  QFile f(toxic::userSubstancePath());
  std::vector<Substance> user;
  std::vector<std::string> unreadable;
  if (f.open(QIODevice::ReadOnly))
    user = parseSubstances(f.readAll().toStdString(), nullptr, &unreadable);
  f.close();
  Substance s;
  s.name_zh = in.substance;
  s.wms = in.wms_g_mol / 1000;
  s.tbp = in.tbp_c + 273.15;
  s.dhe = in.dhe_j_kg, s.cps = in.cps_j_kg_k, s.cpsl = in.cpsl_j_kg_k, s.rhosl = in.rhosl_kg_m3;
  s.spb = in.spb_k, s.spc = in.spc_k, s.endpoint1 = in.endpoint1_mg_m3;
  s.endpoint2 = in.endpoint2_mg_m3;
  user = mergeSubstances(user, {s});
  std::string text = writeSubstances(user);
  for (const auto& line : unreadable) text += line + "\n";  // kept as the user wrote them
  const QString err = toxic::writeUserSubstances(text);
  if (!err.isEmpty()) {
    widgets::showMessage(&page, QStringLiteral("物质表无法保存：") + err);
    return false;
  }
  fillSubstances();
  m_substances->setCurrentText(q(s.name_zh));
  return true;
}

bool ToxicReleasePageHook::showOutcome(CalculatorPage& page, const std::string&,
                                       const core::Outcome& outcome) {
  m_input = toxicReleaseInput(page.values());
  m_result = computeToxicRelease(m_input);  // the same run the description made
  for (QWidget* w : m_table_tabs) {
    m_tabs->removeTab(m_tabs->indexOf(w));
    w->deleteLater();
  }
  m_table_tabs.clear();
  int at = 0;
  for (const auto& t : outcome.tables) {
    QWidget* w = tableTab(m_tabs, t);
    m_tabs->insertTab(at++, w, q(t.title));
    m_table_tabs.push_back(w);
  }
  QChart* old = m_distance->chart();
  m_distance->setChart(toxic::distanceChart(m_input, m_result));
  delete old;
  old = m_receptor->chart();
  QChart* rc = toxic::receptorChart(m_result);
  m_receptor->setChart(rc ? rc : new QChart);
  delete old;
  m_case_choice->clear();
  for (const auto& c : m_result.cases) m_case_choice->addItem(q(c.weather.name));
  showCase(0);
  m_tabs->setVisible(true);
  m_tabs->setCurrentIndex(0);
  return false;  // the result text the generic way
}

namespace {

// Figures are drawn at a fixed size, whatever the page's size on screen, at twice the pixels
// so that they stay sharp at the sheet's printable width.
const QSize kFigureSize(820, 520);
constexpr double kFigureRatio = 2;

std::string pngBytes(const QImage& img) {
  QByteArray png;
  QBuffer buf(&png);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  return png.toStdString();
}

// The chart drawn off screen in a scene of its own (which deletes it).
std::string chartPng(QChart* chart) {
  QGraphicsScene scene;
  scene.addItem(chart);
  chart->resize(QSizeF(kFigureSize));
  // Lay out the axes and series now rather than on the layout request the resize posted.
  if (chart->layout()) chart->layout()->activate();
  QImage img(kFigureSize * kFigureRatio, QImage::Format_RGB32);
  img.setDevicePixelRatio(kFigureRatio);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  scene.render(&p, QRectF(QPointF(0, 0), QSizeF(kFigureSize)),
               QRectF(QPointF(0, 0), QSizeF(kFigureSize)));
  p.end();
  return pngBytes(img);
}

}  // namespace

QString ToxicReleasePageHook::writeSheet(CalculatorPage& page, const QString& path,
                                         const QString& project) {
  const core::Outcome* o = page.lastOutcome();
  if (!o || m_result.cases.empty()) return QStringLiteral("此页还没有计算结果。");
  const std::string date =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
  present::CalcSheet s = present::buildSheet(page.desc(), page.lastInputs(), *o, date);
  if (!project.isEmpty()) s.project = QFileInfo(project).fileName().toStdString();
  std::vector<sheet::SheetFigure> figures;
  int n = 0;
  const auto caption = [&n](const std::string& text) {
    return core::cformat("图%d  ", ++n) + text;
  };
  figures.push_back({caption("下风向轴线最大浓度与距离（虚线为毒性终点浓度）"),
                     chartPng(toxic::distanceChart(m_input, m_result))});
  if (QChart* rc = toxic::receptorChart(m_result))
    figures.push_back({caption("敏感目标浓度随时间变化"), chartPng(rc)});
  const int shown = m_case_choice->currentIndex();
  for (size_t i = 0; i < m_result.cases.size(); ++i) {
    const auto& c = m_result.cases[i];
    m_zones->setResult(m_input, &c);
    figures.push_back(
        {caption(core::cformat("威胁区域：%s（风向：下风方位角 %g°；实线范围为下风向影响区域，"
                               "虚线圆半径为最远影响距离）",
                               c.weather.name.c_str(), m_input.wind_to_deg)),
         pngBytes(m_zones->image(kFigureSize, kFigureRatio))});
  }
  showCase(shown);
  return QString::fromStdString(sheet::writeSheetFile(s, path.toStdString(), figures));
}

bool ToxicReleasePageHook::exportSheet(CalculatorPage& page, const QString& project,
                                       bool& written) {
  written = false;
  // No result yet: compute first (its messages show any refusal).
  if ((!page.lastOutcome() || m_result.cases.empty()) && !page.runAction("compute")) return true;
  const QString path = chooseSheetFile(page, q(page.desc().title) + QStringLiteral("计算书.pdf"));
  if (path.isEmpty()) return true;
  const QString error = writeSheet(page, path, project);
  if (!error.isEmpty()) {
    widgets::showMessage(&page, error, QStringLiteral("导出计算书"));
    return true;
  }
  written = true;
  return true;
}

void ToxicReleasePageHook::showCase(int index) {
  if (index < 0 || static_cast<size_t>(index) >= m_result.cases.size()) {
    m_zones->setResult(m_input, nullptr);
    return;
  }
  m_zones->setResult(m_input, &m_result.cases[static_cast<size_t>(index)]);
}

void ToxicReleasePageHook::clearResults(CalculatorPage&) {
  m_zones->setResult(m_input, nullptr);
  m_result = {};
  for (QWidget* w : m_table_tabs) {
    m_tabs->removeTab(m_tabs->indexOf(w));
    w->deleteLater();
  }
  m_table_tabs.clear();
  m_case_choice->clear();
  m_tabs->setVisible(false);
}

}  // namespace app

namespace app {

namespace {

class HandOverHook : public PageHook {
 public:
  HandOverHook(std::unique_ptr<PageHook> inner, HandOverReader reader)
      : m_inner(std::move(inner)), m_reader(std::move(reader)) {}
  void setup(CalculatorPage& page) override {
    if (m_inner) m_inner->setup(page);
    auto* b = new QPushButton(QStringLiteral("送有毒物质扩散预测"), &page);
    b->setObjectName(QStringLiteral("action:toxic"));
    b->setToolTip(QStringLiteral("以本页计算结果作为有毒物质扩散预测的释放源"));
    const HandOverReader reader = m_reader;
    QObject::connect(b, &QPushButton::clicked, &page,
                     [&page, reader] { handOverRelease(page, reader); });
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(b);
    page.contentLayout()->addLayout(bar);
  }
  bool beforeCompute(CalculatorPage& p, const std::string& a) override {
    return m_inner ? m_inner->beforeCompute(p, a) : true;
  }
  bool showOutcome(CalculatorPage& p, const std::string& a, const core::Outcome& o) override {
    return m_inner ? m_inner->showOutcome(p, a, o) : false;
  }
  bool handleAction(CalculatorPage& p, const std::string& a) override {
    return m_inner ? m_inner->handleAction(p, a) : false;
  }
  void storeInputs(CalculatorPage& p, core::Values& v) override {
    if (m_inner) m_inner->storeInputs(p, v);
  }
  void clearResults(CalculatorPage& p) override {
    if (m_inner) m_inner->clearResults(p);
  }
  void loadInputs(CalculatorPage& p, const core::Values& v) override {
    if (m_inner) m_inner->loadInputs(p, v);
  }
  bool exportSheet(CalculatorPage& p, const QString& project, bool& written) override {
    return m_inner ? m_inner->exportSheet(p, project, written) : false;
  }

 private:
  std::unique_ptr<PageHook> m_inner;
  HandOverReader m_reader;
};

}  // namespace

std::unique_ptr<PageHook> withReleaseHandOver(std::unique_ptr<PageHook> inner,
                                              HandOverReader reader) {
  return std::make_unique<HandOverHook>(std::move(inner), std::move(reader));
}

bool handOverRelease(CalculatorPage& from, const HandOverReader& reader) {
  if (!from.lastOutcome()) {
    widgets::showMessage(&from, QStringLiteral("此页还没有计算结果，请先计算！"));
    return false;
  }
  // A result without a usable rate (zero, or a mean over no time) is not a release.
  const auto h = reader(from);
  if (!h || !(std::isfinite(h->qs_kg_s) && h->qs_kg_s > 0)) {
    widgets::showMessage(&from, kNoReleaseRate);
    return false;
  }
  auto* main = qobject_cast<CMainDlg*>(from.window());
  const int n = toxicReleaseDesc().page;
  auto* to = main ? qobject_cast<CalculatorPage*>(main->page(n)) : nullptr;
  if (!to) {
    widgets::showMessage(&from, QStringLiteral("找不到有毒物质扩散预测页。"));
    return false;
  }
  to->setValue("source", h->source);
  to->setValue("qs", h->qs_kg_s);
  const std::pair<const char*, double> optional[] = {{"tsd", h->tsd_s},
                                                     {"as", h->as_m2},
                                                     {"ts", h->ts_c},
                                                     {"wms", h->wms_g_mol},
                                                     {"cmed0", h->cmed0}};
  for (const auto& [key, v] : optional)
    if (std::isfinite(v)) to->setValue(key, v);
  main->ShowPage(n);
  // The leak pages do not know the pool's area, and the area of a jet's opening left in the
  // field would make a pool of a few square centimetres.
  if (h->source == static_cast<int>(SourceType::Pool) && !std::isfinite(h->as_m2)) {
    widgets::showMessage(to, kCheckPoolArea);
    if (QWidget* area = to->control("as")) area->setFocus();
  }
  return true;
}

}  // namespace app

namespace app {

HandOverReader releaseReader(const std::string& id) {
  auto num = [](const core::Values& v, const char* key) {
    return v.has(key) ? v.num(key) : std::numeric_limits<double>::quiet_NaN();
  };
  if (id == "liquid_leak")  // the leaked liquid spreads into a pool and evaporates from it
    return [num](CalculatorPage& p) -> std::optional<ReleaseHandOver> {
      ReleaseHandOver h;
      h.source = static_cast<int>(SourceType::Pool);
      h.qs_kg_s = num(p.lastOutcome()->results, "QL");
      return h;
    };
  if (id == "gas_leak")
    return [num](CalculatorPage& p) -> std::optional<ReleaseHandOver> {
      const core::Values& v = p.lastInputs();
      GasLeakInput in;
      in.a_m2 = v.f("A");
      in.shape = static_cast<BreachShape>(v.i("shape"));
      in.p_pa = v.f("P");
      in.p0_pa = v.f("P0");
      in.m_g_mol = v.f("M");
      in.tg_k = v.f("TG");
      in.kappa = v.f("k");
      if (checkGasLeak(in)) return std::nullopt;
      ReleaseHandOver h;
      h.source = static_cast<int>(SourceType::HorizontalJet);
      h.qs_kg_s = computeGasLeak(in).qg_kg_s;
      h.as_m2 = num(v, "A");
      h.ts_c = num(v, "TG") - 273.15;
      h.wms_g_mol = num(v, "M");
      h.cmed0 = 0;
      return h;
    };
  if (id == "two_phase_leak")
    return [num](CalculatorPage& p) -> std::optional<ReleaseHandOver> {
      const core::Values& v = p.lastInputs();
      ReleaseHandOver h;
      h.source = static_cast<int>(SourceType::HorizontalJet);
      h.qs_kg_s = num(p.lastOutcome()->results, "QLG");
      h.as_m2 = num(v, "A");
      h.ts_c = num(v, "TLG") - 273.15;
      // Liquid fraction 1 - Fv, Fv = Cp (TLG - Tc) / H the flashing fraction.
      const double fv = num(v, "Cp") * (num(v, "TLG") - num(v, "Tc")) / num(v, "H");
      if (std::isfinite(fv)) h.cmed0 = std::clamp(1 - fv, 0.0, 0.999);
      return h;
    };
  if (id == "spill_evaporation")  // the mean evaporation rate Wp / t3 over the time t3
    return [num](CalculatorPage& p) -> std::optional<ReleaseHandOver> {
      ReleaseHandOver h;
      h.source = static_cast<int>(SourceType::Pool);
      const double t3 = num(p.lastInputs(), "t3");
      if (!(t3 > 0)) return std::nullopt;  // no time to spread the evaporated mass over
      h.qs_kg_s = num(p.lastOutcome()->results, "Wp") / t3;
      h.tsd_s = t3;
      return h;
    };
  return {};
}

}  // namespace app
