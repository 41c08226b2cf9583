#include "app/pages/noise/noise_map/noise_map_page.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/sheet_export.h"
#include "core/file_io.h"
#include "core/format.h"
#include "models/noise/noise_map_desc.h"
#include "models/noise/propagation/engine.h"
#include "present/calc_sheet.h"
#include "sheet/sheet_writer.h"
#include "widgets/prompts.h"
#include "widgets/run_bar.h"

namespace app {

using namespace noisemap;

namespace {

// The open project's file of the main window holding the page (empty when none).
QString projectOf(const QWidget* page) {
  const auto* main = qobject_cast<const CMainDlg*>(page->window());
  return main ? main->projectPath() : QString();
}

const QString kCaption = QStringLiteral("工业噪声地图");
const QString kSceneFilter = QStringLiteral("噪声场景 GeoJSON (*.geojson *.json);;所有文件(*)");

QString q(const std::string& s) { return QString::fromStdString(s); }

// What the tables hold that the engine would refuse, said as the tables show it (rows from 1).
QString pageFault(const prop::Scene& s) {
  for (std::size_t i = 0; i < s.sources.size(); ++i) {
    const prop::Emission& e = s.sources[i].emission;
    if (e.kind != prop::Emission::Kind::Spectrum) continue;
    bool found = false;
    for (const auto& sp : s.spectra) found = found || sp.id == e.spectrum;
    if (!found)
      return QStringLiteral(
                 "声源第%1行（“%2”）的频谱编号“%3”不在频谱表中，请在频谱表中添加或改正编号。")
          .arg(i + 1)
          .arg(q(s.sources[i].name), q(e.spectrum));
  }
  if (s.grid && !s.grid->ring.empty()) {
    double xmin = s.grid->ring[0].x, xmax = xmin, ymin = s.grid->ring[0].y, ymax = ymin;
    for (const auto& p : s.grid->ring) {
      xmin = std::min(xmin, p.x);
      xmax = std::max(xmax, p.x);
      ymin = std::min(ymin, p.y);
      ymax = std::max(ymax, p.y);
    }
    const double sp = s.grid->spacing_m;
    const double n = sp > 0 ? (std::floor((xmax - xmin) / sp + 1e-9) + 1) *
                                  (std::floor((ymax - ymin) / sp + 1e-9) + 1)
                            : 0;
    if (sp > 0 && !(n <= static_cast<double>(prop::kMaxGridPoints)))
      return QStringLiteral("计算网格有 %1 个点，超过 %2 个，请在设置表中加大网格间距。")
          .arg(QLocale(QLocale::Chinese, QLocale::China).toString(n, 'f', 0))
          .arg(QLocale(QLocale::Chinese, QLocale::China)
                   .toString(static_cast<double>(prop::kMaxGridPoints), 'f', 0));
  }
  return {};
}

// Items read from a file keep their place in it; on the page they are rows of the tables,
// whether drawn, imported or reopened.
void asTableRows(prop::Scene& s) {
  for (auto& x : s.sources) x.feature = -1;
  for (auto& x : s.rooms) x.feature = -1;
  for (auto& x : s.openings) x.feature = -1;
  for (auto& x : s.barriers) x.feature = -1;
  for (auto& x : s.buildings) x.feature = -1;
  for (auto& x : s.ground) x.feature = -1;
  for (auto& x : s.receptors) x.feature = -1;
  if (s.grid) s.grid->feature = -1;
}

// The spectra table written beside a scene file.
QString spectraFileOf(const QString& scene) {
  const QFileInfo info(scene);
  return info.dir().filePath(info.completeBaseName() + QStringLiteral("_spectra.csv"));
}

// Positions placed or moved with the mouse, to the centimetre.
double cm(double v) { return std::round(v * 100) / 100; }
prop::Point2 cm(prop::Point2 p) { return {cm(p.x), cm(p.y)}; }

// The screening and reflection terms of each point source's path to each receptor, for a
// reviewer to check by hand: the edges over the top, the path differences over the top and
// round each side, the reflections counted.
core::Table pathTable(const prop::Scene& scene) {
  constexpr std::size_t kMaxRows = 200;
  core::Table t;
  t.title = "传播路径（点声源）";
  t.headers = {"声源",       "预测点",     "顶部绕射棱数", "z 顶部 (m)",
               "z 左侧 (m)", "z 右侧 (m)", "反射数"};
  auto z = [](double v) { return core::cformat("%.3f", v); };
  for (std::size_t i = 0; i < scene.sources.size(); ++i)
    for (std::size_t j = 0; j < scene.receptors.size(); ++j) {
      if (t.rows.size() == kMaxRows) {
        t.title += "，只列出前 " + std::to_string(kMaxRows) + " 条";
        return t;
      }
      const auto r = prop::describePath(scene, i, j);
      if (!r) continue;
      t.rows.push_back({scene.sources[i].name, scene.receptors[j].name,
                        r->screened ? std::to_string(r->top.edges) : "-",
                        r->screened ? z(r->top.z) : "-", r->left ? z(r->left->z) : "-",
                        r->right ? z(r->right->z) : "-", std::to_string(r->reflections)});
    }
  return t;
}

}  // namespace

struct NoiseMapPageHook::RunOutput {
  prop::ReceptorsResult receptors;
  prop::GridResult grid;
  bool with_grid = false;
  // The inputs of the run, as the tables held them: what the sheet prints beside its results.
  prop::Scene scene;
  noisemap::GridSettings grid_settings;
};

NoiseMapPageHook::NoiseMapPageHook() = default;

NoiseMapPageHook::~NoiseMapPageHook() {
  if (m_thread) {
    m_stop = true;
    m_thread->wait();
  }
}

void NoiseMapPageHook::setup(CalculatorPage& page) {
  m_page = &page;
  if (auto* g = page.group("场景")) g->hide();
  if (auto* b = page.button("compute")) b->hide();

  auto* main = new QWidget(&page);
  main->setObjectName(QStringLiteral("noiseMapMain"));
  main->setMinimumSize(760, 480);
  auto* v = new QVBoxLayout(main);
  v->setContentsMargins(0, 0, 0, 0);
  buildToolBar(main, v);

  auto* split = new QSplitter(Qt::Horizontal, main);
  m_plan = new PlanView(split);
  m_plan->setObjectName(QStringLiteral("noiseMapPlan"));
  m_tables = new SceneTables(split);
  m_results = new MapResults(m_tables);
  m_site = new widgets::SitePlanPanel(m_plan, kCaption, m_tables);
  m_tables->addTab(m_site, QStringLiteral("底图"));
  m_tables->addTab(m_results, QStringLiteral("结果"));
  split->addWidget(m_plan);
  split->addWidget(m_tables);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  v->addWidget(split, 1);

  m_bar = new widgets::RunBar(QStringLiteral("noiseMapCompute"), main);
  QPushButton* sheet = m_bar->sheetButton();
  v->addWidget(m_bar);
  QVBoxLayout* content = page.contentLayout();
  // The page's plan and tables take all the height the generic form leaves.
  for (int i = content->count() - 1; i >= 0; --i)
    if (content->itemAt(i)->spacerItem()) delete content->takeAt(i);
  content->addWidget(main, 1);
  split->setSizes({620, 520});

  QObject::connect(m_bar->computeButton(), &QPushButton::clicked, main, [this] { compute(); });
  QObject::connect(m_bar->cancelButton(), &QPushButton::clicked, main, [this] { cancel(); });
  QObject::connect(sheet, &QPushButton::clicked, main,
                   [this] { app::exportSheet(*m_page, projectOf(m_page)); });
  QObject::connect(m_plan, &PlanView::pointPlaced, main,
                   [this](PlanTool t, double x, double y) { addPoint(t, x, y); });
  QObject::connect(m_plan, &PlanView::shapePlaced, main,
                   [this](PlanTool t, const std::vector<prop::Point2>& p) { addShape(t, p); });
  QObject::connect(m_plan, &PlanView::itemMoved, main,
                   [this](ItemRef r, double dx, double dy) { moveItem(r, dx, dy); });
  QObject::connect(m_plan, &PlanView::deleteRequested, main, [this](ItemRef r) { removeItem(r); });
  QObject::connect(m_plan, &PlanView::selectionChanged, main,
                   [this](ItemRef r) { m_tables->selectItem(r); });
  QObject::connect(m_tables, &SceneTables::itemPicked, main,
                   [this](ItemRef r) { m_plan->select(r); });
  QObject::connect(m_tables, &SceneTables::deleteRequested, main,
                   [this](ItemRef r) { removeItem(r); });
  QObject::connect(m_tables, &SceneTables::edited, main, [this] {
    readTables();
    // Rows pasted past the last barrier describe nothing (a barrier is drawn): not kept.
    if (QTableWidget* t = m_tables->barriers();
        t->rowCount() > static_cast<int>(m_scene.barriers.size())) {
      const QSignalBlocker block(t);
      t->setRowCount(static_cast<int>(m_scene.barriers.size()));
    }
    refresh(false);
  });
  QObject::connect(m_results, &MapResults::mapChanged, main, [this] { updateMap(); });
  m_results->setPlanRenderer([this](QPainter& p, const QRectF& target, const QRectF& world,
                                    double mark_scale) {
    m_plan->setMarkScale(mark_scale);
    m_plan->scene()->render(&p, target,
                            QRectF(world.left(), -world.bottom(), world.width(), world.height()),
                            Qt::IgnoreAspectRatio);
    m_plan->setMarkScale(1);
  });
  m_plan->setLegendPainter([this](QPainter& p, const QRectF& box) {
    if (m_results->hasGrid()) m_results->drawLegend(p, box, true);
  });
  refresh(true);
}

void NoiseMapPageHook::buildToolBar(QWidget* parent, QBoxLayout* into) {
  auto* bar = new QHBoxLayout;
  struct Tool {
    const char* text;
    PlanTool tool;
  };
  const Tool tools[] = {{"选择/移动", PlanTool::Select},  {"点声源", PlanTool::PointSource},
                        {"线声源", PlanTool::LineSource}, {"面声源", PlanTool::AreaSource},
                        {"声屏障", PlanTool::Barrier},    {"建筑物", PlanTool::Building},
                        {"预测点", PlanTool::Receptor}};
  std::vector<QToolButton*> buttons;
  for (const auto& t : tools) {
    auto* b = new QToolButton(parent);
    b->setText(QString::fromUtf8(t.text));
    b->setCheckable(true);
    b->setAutoExclusive(true);
    b->setChecked(t.tool == PlanTool::Select);
    b->setToolTip(t.tool == PlanTool::PointSource || t.tool == PlanTool::Receptor
                      ? QStringLiteral("在平面图上单击放置")
                  : t.tool == PlanTool::Select
                      ? QStringLiteral("单击选中，拖动移动，Delete 删除；拖动空白处平移，滚轮缩放")
                      : QStringLiteral("逐点单击，双击结束"));
    const PlanTool tool = t.tool;
    QObject::connect(b, &QToolButton::toggled, parent, [this, tool](bool on) {
      if (on) m_plan->setTool(tool);
    });
    bar->addWidget(b);
  }
  auto* fit = new QToolButton(parent);
  fit->setText(QStringLiteral("全图"));
  QObject::connect(fit, &QToolButton::clicked, parent, [this] { m_plan->fitAll(); });
  bar->addWidget(fit);
  bar->addStretch(1);
  auto* imp = new QPushButton(QStringLiteral("导入场景"), parent);
  auto* exp = new QPushButton(QStringLiteral("导出场景"), parent);
  QObject::connect(imp, &QPushButton::clicked, parent, [this] {
    const QString path =
        widgets::chooseOpenFile(m_page, QStringLiteral("导入场景"), QString(), kSceneFilter);
    if (!path.isEmpty()) importScene(path);
  });
  QObject::connect(exp, &QPushButton::clicked, parent, [this] {
    const QString path = widgets::chooseFileToWrite(m_page, QStringLiteral("导出场景"),
                                                    QStringLiteral("场景.geojson"), kSceneFilter);
    if (path.isEmpty()) return;
    // The spectra table beside the scene is a file of its own: replaced only when the user says so.
    const QFileInfo csv(spectraFileOf(path));
    if (!m_scene.spectra.empty() && csv.exists() &&
        !widgets::askQuestion(m_page, widgets::replaceQuestion(csv.fileName()),
                              QStringLiteral("导出场景")))
      return;
    exportScene(path);
  });
  bar->addWidget(imp);
  bar->addWidget(exp);
  into->addLayout(bar);
}

bool NoiseMapPageHook::loadSitePlan(const QString& path) { return m_site->load(path); }

void NoiseMapPageHook::setSitePlacement(const SitePlanPlacement& p) { m_site->setPlacement(p); }

void NoiseMapPageHook::setSitePlanOpacity(int percent) { m_site->setOpacity(percent); }

const QString& NoiseMapPageHook::sitePlanFile() const { return m_site->file(); }

const SitePlanPlacement& NoiseMapPageHook::sitePlacement() const { return m_site->placement(); }

void NoiseMapPageHook::readTables() {
  QString error;
  m_tables->readInto(m_scene, m_grid, &error);
}

const prop::Scene& NoiseMapPageHook::scene() {
  readTables();
  return m_scene;
}

std::vector<prop::Point2> NoiseMapPageHook::gridRing() const {
  if (m_grid_drawn && m_scene.grid) return m_scene.grid->ring;
  // Everything of the plant with a margin, on whole multiples of the spacing.
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  auto take = [&](const prop::Point2& p) {
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  };
  for (const auto& s : m_scene.sources)
    for (const auto& p : s.geometry) take(p);
  for (const auto& r : m_scene.rooms)
    for (const auto& p : r.footprint) take(p);
  for (const auto& b : m_scene.barriers)
    for (const auto& p : b.line) take(p);
  for (const auto& b : m_scene.buildings)
    for (const auto& p : b.footprint) take(p);
  for (const auto& r : m_scene.receptors) take(r.at);
  if (x0 > x1) return {};
  const double step = m_grid.spacing_m > 0 ? m_grid.spacing_m : 5;
  const double margin = std::max(50.0, 0.2 * std::max(x1 - x0, y1 - y0));
  x0 = std::floor((x0 - margin) / step) * step;
  y0 = std::floor((y0 - margin) / step) * step;
  x1 = std::ceil((x1 + margin) / step) * step;
  y1 = std::ceil((y1 + margin) / step) * step;
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

prop::Scene NoiseMapPageHook::sceneForCompute() {
  readTables();
  prop::Scene s = m_scene;
  const auto ring = gridRing();
  if (ring.size() >= 3) {
    prop::GridSpec g = m_scene.grid.value_or(prop::GridSpec{});
    if (g.name.empty()) g.name = "网格";
    g.ring = ring;
    g.spacing_m = m_grid.spacing_m;
    g.h_m = m_grid.h_m;
    s.grid = g;
  } else {
    s.grid.reset();
  }
  return s;
}

void NoiseMapPageHook::refresh(bool tables_too) {
  if (tables_too) m_tables->showScene(m_scene, m_grid);
  m_plan->showScene(m_scene, gridRing());
}

std::string NoiseMapPageHook::uniqueName(const char* prefix) const {
  for (int n = 1;; ++n) {
    const std::string name = prefix + std::to_string(n);
    bool used = false;
    for (const auto& s : m_scene.sources) used = used || s.name == name;
    for (const auto& b : m_scene.barriers) used = used || b.name == name;
    for (const auto& b : m_scene.buildings) used = used || b.name == name;
    for (const auto& r : m_scene.receptors) used = used || r.name == name;
    if (!used) return name;
  }
}

void NoiseMapPageHook::addPoint(PlanTool tool, double x, double y) {
  readTables();
  x = cm(x);
  y = cm(y);
  ItemRef added;
  if (tool == PlanTool::PointSource) {
    prop::Source s;
    s.name = uniqueName("S");
    s.kind = prop::SourceKind::Point;
    s.geometry = {{x, y}};
    s.h_m = 1;
    s.emission.kind = prop::Emission::Kind::Lwa;
    s.emission.lwa_db = 90;
    m_scene.sources.push_back(s);
    added = {ItemKind::Source, static_cast<int>(m_scene.sources.size()) - 1};
  } else if (tool == PlanTool::Receptor) {
    prop::Receptor r;
    r.name = uniqueName("R");
    r.at = {x, y};
    m_scene.receptors.push_back(r);
    added = {ItemKind::Receptor, static_cast<int>(m_scene.receptors.size()) - 1};
  }
  refresh(true);
  m_plan->select(added);
}

void NoiseMapPageHook::addShape(PlanTool tool, const std::vector<prop::Point2>& placed) {
  readTables();
  std::vector<prop::Point2> pts;
  for (const auto& p : placed) pts.push_back(cm(p));
  ItemRef added;
  if (tool == PlanTool::Barrier) {
    prop::Barrier b;
    b.name = uniqueName("B");
    b.line = pts;
    b.h_m = 3;
    m_scene.barriers.push_back(b);
    added = {ItemKind::Barrier, static_cast<int>(m_scene.barriers.size()) - 1};
  } else if (tool == PlanTool::Building) {
    // A flat roof 10 m above the ground, facades of ordinary walls with windows.
    prop::Building b;
    b.name = uniqueName("BD");
    b.footprint = pts;
    b.h_m = 10;
    m_scene.buildings.push_back(b);
    added = {ItemKind::Building, static_cast<int>(m_scene.buildings.size()) - 1};
  } else if (tool == PlanTool::LineSource || tool == PlanTool::AreaSource) {
    prop::Source s;
    s.name = uniqueName(tool == PlanTool::LineSource ? "L" : "A");
    s.kind = tool == PlanTool::LineSource ? prop::SourceKind::Line : prop::SourceKind::Area;
    s.geometry = pts;
    s.h_m = tool == PlanTool::LineSource ? 0.5 : 1;
    s.emission.kind = prop::Emission::Kind::Lwa;
    s.emission.lwa_db = 90;
    m_scene.sources.push_back(s);
    added = {ItemKind::Source, static_cast<int>(m_scene.sources.size()) - 1};
  }
  refresh(true);
  m_plan->select(added);
}

void NoiseMapPageHook::moveItem(ItemRef r, double dx, double dy) {
  readTables();
  dx = cm(dx);
  dy = cm(dy);
  auto shift = [dx, dy](std::vector<prop::Point2>& pts) {
    for (auto& p : pts) {
      p.x += dx;
      p.y += dy;
    }
  };
  const auto i = static_cast<size_t>(r.index);
  switch (r.kind) {
    case ItemKind::Source:
      if (i < m_scene.sources.size()) shift(m_scene.sources[i].geometry);
      break;
    case ItemKind::Barrier:
      if (i < m_scene.barriers.size()) shift(m_scene.barriers[i].line);
      break;
    case ItemKind::Receptor:
      if (i < m_scene.receptors.size()) {
        m_scene.receptors[i].at.x += dx;
        m_scene.receptors[i].at.y += dy;
      }
      break;
    case ItemKind::Ground:
      if (i < m_scene.ground.size()) shift(m_scene.ground[i].ring);
      break;
    case ItemKind::Building:
      if (i < m_scene.buildings.size()) shift(m_scene.buildings[i].footprint);
      break;
    case ItemKind::Room:
      if (i < m_scene.rooms.size()) {
        shift(m_scene.rooms[i].footprint);
        // The room's openings move with it.
        for (auto& o : m_scene.openings)
          if (o.room == m_scene.rooms[i].name) {
            o.a = {o.a.x + dx, o.a.y + dy};
            o.b = {o.b.x + dx, o.b.y + dy};
          }
      }
      break;
    case ItemKind::Opening:
      if (i < m_scene.openings.size()) {
        auto& o = m_scene.openings[i];
        o.a = {o.a.x + dx, o.a.y + dy};
        o.b = {o.b.x + dx, o.b.y + dy};
      }
      break;
    default: break;
  }
  refresh(true);
}

void NoiseMapPageHook::removeItem(ItemRef r) {
  readTables();
  auto erase = [&r](auto& list) {
    if (r.index >= 0 && static_cast<size_t>(r.index) < list.size())
      list.erase(list.begin() + r.index);
  };
  switch (r.kind) {
    case ItemKind::Source: erase(m_scene.sources); break;
    case ItemKind::Barrier: erase(m_scene.barriers); break;
    case ItemKind::Receptor: erase(m_scene.receptors); break;
    case ItemKind::Ground: erase(m_scene.ground); break;
    case ItemKind::Building: erase(m_scene.buildings); break;
    case ItemKind::Opening: erase(m_scene.openings); break;
    case ItemKind::Room:
      if (r.index >= 0 && static_cast<size_t>(r.index) < m_scene.rooms.size()) {
        const std::string name = m_scene.rooms[static_cast<size_t>(r.index)].name;
        std::erase_if(m_scene.openings, [&](const prop::Opening& o) { return o.room == name; });
        erase(m_scene.rooms);
      }
      break;
    default: break;
  }
  m_plan->select({});
  refresh(true);
}

void NoiseMapPageHook::compute() {
  if (m_thread) return;  // one run at a time
  QString error;
  m_tables->readInto(m_scene, m_grid, &error);
  if (!error.isEmpty()) {
    widgets::showMessage(m_page, error, kCaption);
    return;
  }
  const prop::Scene s = sceneForCompute();
  if (s.sources.empty() && s.rooms.empty()) {
    widgets::showMessage(m_page, QStringLiteral("场景中没有声源。"), kCaption);
    return;
  }
  if (const QString fault = pageFault(s); !fault.isEmpty()) {
    widgets::showMessage(m_page, fault, kCaption);
    return;
  }
  if (const auto fault = prop::checkScene(s)) {
    widgets::showMessage(m_page, QStringLiteral("场景有误：%1").arg(q(*fault)), kCaption);
    return;
  }
  m_stop = false;
  m_run = std::make_shared<RunOutput>();
  m_run->scene = m_scene;
  m_run->grid_settings = m_grid;
  auto run = m_run;
  const std::size_t receptors = s.receptors.size();
  const std::size_t cells = s.grid ? static_cast<std::size_t>(s.grid->columns()) *
                                         static_cast<std::size_t>(s.grid->rows())
                                   : 0;
  const double total = static_cast<double>(std::max<std::size_t>(1, receptors + cells));
  QProgressBar* bar = m_bar->progress();
  auto report = [bar, total](std::size_t done) {
    const int v = static_cast<int>(1000.0 * static_cast<double>(done) / total);
    QMetaObject::invokeMethod(
        bar, [bar, v] { bar->setValue(v); }, Qt::QueuedConnection);
  };
  std::atomic<bool>* stop = &m_stop;
  m_thread = QThread::create([s, run, stop, report, receptors] {
    prop::ComputeOptions opts;
    opts.cancel = stop;
    opts.progress = [&report](std::size_t done, std::size_t) { report(done); };
    run->receptors = prop::computeReceptors(s, opts);
    if (stop->load() || !run->receptors.error.empty() || !s.grid) return;
    opts.progress = [&report, receptors](std::size_t done, std::size_t) {
      report(receptors + done);
    };
    run->grid = prop::computeGrid(s, opts);
    run->with_grid = true;
  });
  QObject::connect(m_thread, &QThread::finished, m_page, [this] { finished(); });
  m_bar->started();
  m_thread->start();
}

void NoiseMapPageHook::cancel() {
  if (m_thread) m_stop = true;
}

void NoiseMapPageHook::finished() {
  m_thread->wait();
  m_thread->deleteLater();
  m_thread = nullptr;
  m_bar->stopped();
  const auto run = m_run;
  m_run.reset();
  if (m_stop || run->receptors.cancelled || run->grid.cancelled) {
    // A stopped run's partial values are no result: the previous ones stay.
    m_bar->showCancelled();
    return;
  }
  const std::string error = !run->receptors.error.empty() ? run->receptors.error : run->grid.error;
  if (!error.empty()) {
    m_bar->status()->setText(QString());
    widgets::showMessage(m_page, QStringLiteral("场景有误：%1").arg(q(error)), kCaption);
    return;
  }
  m_bar->progress()->setValue(1000);
  m_result_inputs = std::make_shared<std::pair<prop::Scene, noisemap::GridSettings>>(
      run->scene, run->grid_settings);
  m_results->showReceptors(run->receptors);
  if (run->with_grid) m_results->setGrid(run->grid);
  QStringList notes;
  for (const auto& w : run->receptors.warnings) notes << q(w);
  m_bar->status()->setText(
      notes.isEmpty()
          ? QStringLiteral("计算完成。")
          : QStringLiteral("计算完成（%1 条提示，鼠标停在此处查看）。").arg(notes.size()));
  m_bar->status()->setToolTip(notes.join(QLatin1Char('\n')));
  m_tables->setCurrentWidget(m_results);
}

void NoiseMapPageHook::updateMap() {
  QRectF world;
  const QImage bands = m_results->bandImage(&world);
  m_plan->setContours(bands, world, bands.isNull() ? QPainterPath() : m_results->linePath());
  m_plan->viewport()->update();
}

bool NoiseMapPageHook::importScene(const QString& path) {
  const prop::SceneReadResult r = prop::readSceneFile(QDir::toNativeSeparators(path).toStdString());
  if (!r.ok()) {
    widgets::showMessage(m_page, QStringLiteral("无法导入场景：%1").arg(q(r.error)), kCaption);
    return false;
  }
  cancel();  // a run on the old scene must not show its results over the new one
  m_scene = *r.scene;
  asTableRows(m_scene);
  m_scene.spectra_path.clear();  // the table now lives in the page
  if (!m_scene.terrain_path.empty())
    m_scene.terrain_path =
        QFileInfo(QFileInfo(path).dir(), q(m_scene.terrain_path)).absoluteFilePath().toStdString();
  m_grid_drawn = m_scene.grid.has_value();
  if (m_scene.grid) m_grid = {m_scene.grid->spacing_m, m_scene.grid->h_m};
  m_results->clear();
  refresh(true);
  m_plan->fitAll();
  return true;
}

bool NoiseMapPageHook::exportScene(const QString& path) {
  prop::Scene s = sceneForCompute();
  if (!s.spectra.empty()) {
    const QString csv = spectraFileOf(path);
    const std::string error =
        core::writeFileAtomic(csv.toStdString(), prop::spectraToCsv(s.spectra));
    if (!error.empty()) {
      widgets::showMessage(m_page, QStringLiteral("无法写入文件 %1。").arg(csv), kCaption);
      return false;
    }
    s.spectra_path = QFileInfo(csv).fileName().toStdString();
  }
  std::string error;
  if (!prop::writeSceneFile(s, path.toStdString(), &error)) {
    widgets::showMessage(m_page, QStringLiteral("无法写入场景：%1").arg(q(error)), kCaption);
    return false;
  }
  return true;
}

bool NoiseMapPageHook::handleAction(CalculatorPage&, const std::string& action) {
  if (action != "compute") return false;
  compute();
  return true;
}

void NoiseMapPageHook::storeInputs(CalculatorPage&, core::Values& inputs) {
  readTables();
  prop::Scene s = m_scene;
  if (!m_grid_drawn) s.grid.reset();
  QJsonObject extra;
  extra[QStringLiteral("grid_spacing_m")] = m_grid.spacing_m;
  extra[QStringLiteral("grid_h_m")] = m_grid.h_m;
  extra[QStringLiteral("site_plan")] = m_site->toJson(m_site->file());
  extra[QStringLiteral("contour")] =
      QJsonObject{{QStringLiteral("class"), m_results->functionClass()},
                  {QStringLiteral("period"), m_results->period()},
                  {QStringLiteral("levels"), m_results->levelsText()},
                  {QStringLiteral("title"), m_results->figureTitle()}};
  const bool empty = s.sources.empty() && s.receptors.empty() && s.barriers.empty() &&
                     s.buildings.empty() && s.rooms.empty() && s.ground.empty() &&
                     s.spectra.empty() && m_site->file().isEmpty();
  inputs.setText(models::noise::kNoiseMapSceneKey,
                 empty ? std::string()
                       : models::noise::packNoiseScene(
                             s, QJsonDocument(extra).toJson(QJsonDocument::Compact).toStdString()));
}

// Another project's inputs are coming: no run or result of the old plant may stay on screen.
void NoiseMapPageHook::clearResults(CalculatorPage&) {
  cancel();
  m_result_inputs.reset();
  if (m_results) m_results->clear();
  // The status and its hints belonged to the results.
  if (m_bar) {
    m_bar->status()->clear();
    m_bar->status()->setToolTip(QString());
  }
  if (m_bar) m_bar->progress()->setValue(0);
}

void NoiseMapPageHook::loadInputs(CalculatorPage&, const core::Values& inputs) {
  const std::string text = inputs.has(models::noise::kNoiseMapSceneKey)
                               ? inputs.text(models::noise::kNoiseMapSceneKey)
                               : "";
  const prop::SceneReadResult r = models::noise::unpackNoiseScene(text);
  if (!r.ok()) {
    widgets::showMessage(m_page, QStringLiteral("工程中的噪声场景无法读取：%1").arg(q(r.error)),
                         kCaption);
    return;
  }
  cancel();  // a run on the old scene must not show its results over the new one
  m_scene = *r.scene;
  asTableRows(m_scene);
  // A terrain file moved or deleted since: the rest of the scene is the user's work all the same.
  if (!m_scene.terrain && !m_scene.terrain_path.empty())
    widgets::showMessage(
        m_page,
        QStringLiteral("工程中的地形文件未能读取：%1\n场景的其余部分已读入；"
                       "将该文件放回原处并重新打开工程后才能计算。")
            .arg(q(r.warnings.empty() ? m_scene.terrain_path : r.warnings.front())),
        kCaption);
  m_grid_drawn = m_scene.grid.has_value();
  m_grid = m_scene.grid ? GridSettings{m_scene.grid->spacing_m, m_scene.grid->h_m} : GridSettings{};
  auto member = [&text](const char* name) {
    return QJsonDocument::fromJson(
        QByteArray::fromStdString(models::noise::noiseSceneMember(text, name)));
  };
  if (!m_grid_drawn) {
    const QByteArray spacing =
        QByteArray::fromStdString(models::noise::noiseSceneMember(text, "grid_spacing_m"));
    const QByteArray height =
        QByteArray::fromStdString(models::noise::noiseSceneMember(text, "grid_h_m"));
    if (!spacing.isEmpty()) m_grid.spacing_m = spacing.toDouble();
    if (!height.isEmpty()) m_grid.h_m = height.toDouble();
  }
  const QJsonObject site = member("site_plan").object();
  m_site->fromJson(site, site.value(QStringLiteral("file")).toString());
  const QJsonObject contour = member("contour").object();
  m_results->clear();
  if (!contour.isEmpty()) {
    m_results->setFunctionClass(contour[QStringLiteral("class")].toInt(2));
    m_results->setPeriod(contour[QStringLiteral("period")].toInt(0));
    m_results->setLevelsText(contour[QStringLiteral("levels")].toString());
    m_results->setFigureTitle(contour[QStringLiteral("title")].toString());
  } else {
    // A new project: the map's settings start afresh too.
    m_results->setFunctionClass(2);
    m_results->setPeriod(0);
    m_results->setFigureTitle(QString());
  }
  refresh(true);
  m_plan->fitAll();
}

bool NoiseMapPageHook::exportSheet(CalculatorPage& page, const QString& project, bool& written) {
  written = false;
  if (!m_results->receptors()) {
    widgets::showMessage(&page, QStringLiteral("请先计算，再导出计算书。"), kCaption);
    return true;
  }
  const QString path = chooseSheetFile(page, q(page.desc().title) + QStringLiteral("计算书.pdf"));
  if (path.isEmpty()) return true;
  // The inputs the results were computed from, whatever was edited since.
  const prop::Scene& scene = m_result_inputs ? m_result_inputs->first : m_scene;
  const noisemap::GridSettings& grid = m_result_inputs ? m_result_inputs->second : m_grid;
  noisemap::SceneTables computed;
  computed.showScene(scene, grid);
  present::CalcSheet s;
  s.title = "计算书：" + page.desc().title;
  s.date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
  s.method = page.desc().method;
  for (std::size_t a = 0, b; a < page.desc().formulas.size(); a = b + 1) {
    b = page.desc().formulas.find('\n', a);
    if (b == std::string::npos) b = page.desc().formulas.size();
    s.formulas.push_back(page.desc().formulas.substr(a, b - a));
  }
  if (!project.isEmpty()) s.project = QFileInfo(project).fileName().toStdString();
  const auto& st = scene.settings;
  auto fmt = [](double v) { return core::cformat("%g", v); };
  s.inputs = {{"气温", "T", fmt(st.temperature_c), "℃"},
              {"相对湿度", "RH", fmt(st.humidity_pct), "%"},
              {"大气压", "p", fmt(st.pressure_kpa), "kPa"},
              {"默认地面因子", "G", fmt(st.ground_g), ""},
              {"气象修正", "C0", fmt(st.c0_db), "dB"},
              {"声屏障侧向绕射", "lateral", st.lateral_diffraction ? "是" : "否", ""},
              {"反射阶数", "order", std::to_string(st.reflection_order), ""},
              {"网格间距", "spacing", fmt(grid.spacing_m), "m"},
              {"网格高度", "h", fmt(grid.h_m), "m"}};
  auto tableOf = [](const QTableWidget* t, const std::string& title) {
    core::Table out;
    out.title = title;
    for (int c = 0; c < t->columnCount(); ++c)
      out.headers.push_back(t->horizontalHeaderItem(c)->text().toStdString());
    for (int r = 0; r < t->rowCount(); ++r) {
      std::vector<std::string> row;
      for (int c = 0; c < t->columnCount(); ++c) {
        const QTableWidgetItem* it = t->item(r, c);
        std::string text = it ? it->text().toStdString() : "";
        if (it && it->data(Qt::CheckStateRole).isValid())
          text = it->checkState() == Qt::Checked ? "是" : "否";
        row.push_back(text);
      }
      out.rows.push_back(row);
    }
    return out;
  };
  s.tables.push_back(present::sheetTable(tableOf(computed.sources(), "声源")));
  if (computed.spectra()->rowCount() > 0)
    s.tables.push_back(present::sheetTable(tableOf(computed.spectra(), "频谱")));
  if (computed.barriers()->rowCount() > 0)
    s.tables.push_back(present::sheetTable(tableOf(computed.barriers(), "声屏障")));
  if (computed.buildings()->rowCount() > 0)
    s.tables.push_back(present::sheetTable(tableOf(computed.buildings(), "建筑物")));
  core::Table receptors = tableOf(computed.receptors(), "预测点");
  for (auto& row : receptors.rows) row[SceneTables::RClass].clear();
  s.tables.push_back(present::sheetTable(receptors));
  s.tables.push_back(present::sheetTable(m_results->receptorTable()));
  if (!scene.barriers.empty() || !scene.buildings.empty())
    s.tables.push_back(present::sheetTable(pathTable(scene)));
  for (const auto& w : m_results->receptors()->warnings) s.text.push_back(w);
  std::string png;
  if (m_results->hasGrid()) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    m_results->figure(150).save(&buf, "PNG");
    png = bytes.toStdString();
  }
  const std::string e = sheet::writeSheetFile(s, path.toStdString(), png);
  if (!e.empty()) {
    widgets::showMessage(&page, q(e), QStringLiteral("导出计算书"));
    return true;
  }
  written = true;
  return true;
}

}  // namespace app
