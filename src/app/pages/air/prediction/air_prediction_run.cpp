// The run of the further prediction page: the deck and met in a private folder, kuvamod started
// off the GUI thread with its hourly progress, the results read back; and the results as
// tables, contour maps and the protection distance, with their exports and the project.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/pages/air/prediction/air_prediction_page.h"
#include "app/sheet_export.h"
#include "core/file_io.h"
#include "core/format.h"
#include "models/air/prediction/prediction_desc.h"
#include "present/calc_sheet.h"
#include "present/contour.h"
#include "present/contour_export.h"
#include "present/table_copy.h"
#include "sheet/sheet_writer.h"
#include "widgets/excel_export.h"
#include "widgets/paste_table.h"
#include "widgets/prompts.h"
#include "widgets/site_plan.h"

namespace app {

using namespace airpred;

namespace {

const QString kCaption = QStringLiteral("AERMOD进一步预测");
constexpr const char* kDeckName = "aermod.inp";

QString q(const std::string& s) { return QString::fromStdString(s); }

QString kuvamodPath() {
  const QString env = qEnvironmentVariable("KUVA_KUVAMOD");
  if (!env.isEmpty()) return env;
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kuvamod"));
}

std::string num(double v) { return core::cformat("%.4g", v); }

// The copy of a file, written atomically; an empty text on success.
std::string copyFile(const QString& from, const QString& to) {
  std::string content;
  const core::FileRead r = core::readRegularFile(from.toStdString(), content);
  if (r.status != core::ReadStatus::Ok)
    return core::describeRead(r, from.toStdString(), "气象文件");
  return core::writeFileAtomic(to.toStdString(), content);
}

QTableWidgetItem* cell(const QString& t) {
  auto* it = new QTableWidgetItem(t);
  it->setFlags(it->flags() & ~Qt::ItemIsEditable);
  return it;
}

QJsonArray tableJson(const QTableWidget* t) {
  QJsonArray rows;
  for (int r = 0; r < t->rowCount(); ++r) {
    QJsonArray row;
    for (int c = 0; c < t->columnCount(); ++c) {
      const QTableWidgetItem* it = t->item(r, c);
      row.append(it ? it->text() : QString());
    }
    rows.append(row);
  }
  return rows;
}

QJsonArray headersJson(const QTableWidget* t) {
  QJsonArray h;
  for (int c = 0; c < t->columnCount(); ++c) h.append(t->horizontalHeaderItem(c)->text());
  return h;
}

QJsonObject rowJson(const models::air::prediction::TableRow& r) {
  return {{"pollutant", q(r.pollutant)}, {"place", q(r.place)},
          {"average", q(r.average)},     {"value", r.value},
          {"when", q(r.when)},           {"limit", r.limit},
          {"share", r.share_pct},        {"exceeds", r.exceeds},
          {"background", r.background},  {"total", r.total}};
}

models::air::prediction::TableRow rowOf(const QJsonObject& o) {
  models::air::prediction::TableRow r;
  r.pollutant = o["pollutant"].toString().toStdString();
  r.place = o["place"].toString().toStdString();
  r.average = o["average"].toString().toStdString();
  r.value = o["value"].toDouble();
  r.when = o["when"].toString().toStdString();
  r.limit = o["limit"].toDouble();
  r.share_pct = o["share"].toDouble();
  r.exceeds = o["exceeds"].toBool();
  r.background = o["background"].toDouble();
  r.total = o["total"].toDouble();
  return r;
}

// The contributions' fields over the regular block of the grid.
void makeFields(Computed& c, const ap::Results& res) {
  const ap::Plant& p = c.plant;
  c.nx = static_cast<int>(p.grid_nx);
  c.ny = static_cast<int>(p.grid_ny);
  const size_t n = static_cast<size_t>(c.nx) * static_cast<size_t>(c.ny);
  if (n < 4 || n > p.grid.size()) {
    c.nx = c.ny = 0;
    return;
  }
  c.x0 = p.grid.front().x;
  c.y0 = p.grid.front().y;
  c.x1 = p.grid[n - 1].x;
  c.y1 = p.grid[n - 1].y;
  const size_t first = p.targets.size();
  for (size_t k = 0; k < p.pollutants.size(); ++k) {
    const ap::PollutantSpec& pol = p.pollutants[k];
    const QString name = q(pol.name);
    auto add = [&](const QString& what, double standard, auto value) {
      MapField f;
      f.name = name + QLatin1Char(' ') + what;
      f.standard = standard;
      f.z.resize(n);
      for (size_t i = 0; i < n; ++i) f.z[i] = static_cast<float>(value(first + i));
      c.fields.push_back(std::move(f));
    };
    if (k < res.normal.size() && !res.normal[k].group.empty()) {
      const ap::GroupResult& g = res.normal[k];
      add(QStringLiteral("1小时最大贡献"), pol.hourly(), [&](size_t r) { return g.max1h[r]; });
      add(QStringLiteral("日平均最大贡献"), pol.limits.h24, [&](size_t r) {
        double m = 0;
        for (double v : g.daily[r]) m = std::max(m, v);
        return m;
      });
      add(QStringLiteral("年平均贡献"), pol.limits.annual, [&](size_t r) { return g.annual[r]; });
      add(QStringLiteral("年平均（叠加背景）"), pol.limits.annual,
          [&](size_t r) { return g.annual[r] + ap::annualBackgroundAt(p, k, r); });
    }
    if (k < res.abnormal.size() && !res.abnormal[k].group.empty()) {
      const ap::GroupResult& g = res.abnormal[k];
      add(QStringLiteral("非正常排放1小时最大"), pol.hourly(),
          [&](size_t r) { return g.max1h[r]; });
    }
  }
}

}  // namespace

struct AirPredictionPageHook::RunOutput {
  QString error;
  QString met_text;  // the summary of the met year as read by the run
  bool cancelled = false;
  std::shared_ptr<Computed> done;
};

void AirPredictionPageHook::compute() {
  if (m_thread) return;
  QString err;
  const auto in = readInputs(&err);
  if (!in) {
    widgets::showMessage(m_page, err, kCaption);
    return;
  }
  ap::Plant plant = plantForRun(*in);
  if (plant.sources.empty()) {
    widgets::showMessage(m_page, QStringLiteral("没有污染源。"), kCaption);
    return;
  }
  if (plant.pollutants.empty()) {
    widgets::showMessage(m_page, QStringLiteral("没有污染物。"), kCaption);
    return;
  }
  if (plant.surface_file.empty() || plant.profile_file.empty()) {
    widgets::showMessage(
        m_page, QStringLiteral("请先选择地面气象文件（.SFC）和廓线气象文件（.PFL）。"), kCaption);
    return;
  }
  if (plant.grid_nx > 0 && plant.grid_ny > 0 && !plant.grid.empty()) {
    const size_t n = static_cast<size_t>(plant.grid_nx * plant.grid_ny);
    double x0 = plant.grid.front().x, y0 = plant.grid.front().y;
    double x1 = plant.grid[n - 1].x, y1 = plant.grid[n - 1].y;
    for (const auto& g : plant.grid) {
      x0 = std::min(x0, g.x), y0 = std::min(y0, g.y);
      x1 = std::max(x1, g.x), y1 = std::max(y1, g.y);
    }
    for (const auto& t : plant.targets)
      if (t.at.x < x0 || t.at.x > x1 || t.at.y < y0 || t.at.y > y1) {
        widgets::showMessage(
            m_page, QStringLiteral("保护目标“%1”在预测网格之外，请扩大网格。").arg(q(t.name)),
            kCaption);
        return;
      }
  }
  const QString program = kuvamodPath();
  m_stop = false;
  m_run = std::make_shared<RunOutput>();
  auto run = m_run;
  std::atomic<bool>* stop = &m_stop;
  QProgressBar* bar = m_bar->progress();
  const QString sfc = q(plant.surface_file), pfl = q(plant.profile_file);
  m_thread = QThread::create([plant, run, stop, bar, program, sfc, pfl]() mutable {
    auto report = [bar](int v) {
      QMetaObject::invokeMethod(
          bar, [bar, v] { bar->setValue(v); }, Qt::QueuedConnection);
    };
    // A year of met is read here, not on the page's thread, and the backgrounds laid over it.
    const ap::MetSummary met = ap::readMetSummary(plant.surface_file, plant.profile_file);
    if (!met.ok()) {
      run->error = QStringLiteral("气象文件无法读取：%1").arg(q(met.error));
      return;
    }
    run->met_text = QStringLiteral("%1 至 %2，共 %3 小时，静风 %4 小时，缺测 %5 小时")
                        .arg(met.first)
                        .arg(met.last)
                        .arg(met.hours)
                        .arg(met.calm)
                        .arg(met.missing);
    for (auto& p : plant.pollutants) {
      const std::string e = ap::applyBackground(met, plant.targets, p);
      if (!e.empty()) {
        run->error = q(e);
        return;
      }
    }
    report(1);
    QTemporaryDir dir;
    if (!dir.isValid()) {
      run->error = QStringLiteral("无法建立临时文件夹。");
      return;
    }
    for (const auto& [from, to] :
         {std::pair{sfc, QStringLiteral("met.sfc")}, std::pair{pfl, QStringLiteral("met.pfl")}}) {
      const std::string e = copyFile(from, dir.filePath(to));
      if (!e.empty()) {
        run->error = q(e);
        return;
      }
    }
    const ap::DeckText deck = ap::writeDeck(plant, "met.sfc", "met.pfl");
    const std::string e = core::writeFileAtomic(
        dir.filePath(QString::fromLatin1(kDeckName)).toStdString(), deck.text);
    if (!e.empty()) {
      run->error = q(e);
      return;
    }
    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KUVAMOD_PROGRESS"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(program, {QString::fromLatin1(kDeckName)});
    if (!p.waitForStarted(10000)) {
      run->error = QStringLiteral("无法启动 kuvamod（%1）：%2").arg(program, p.errorString());
      return;
    }
    QByteArray messages, partial;
    for (;;) {
      const bool done = p.waitForFinished(100);
      partial += p.readAllStandardError();
      qsizetype nl;
      while ((nl = partial.indexOf('\n')) >= 0) {
        const QByteArray line = partial.left(nl);
        partial.remove(0, nl + 1);
        long h = 0;
        size_t of = 0;
        if (std::sscanf(line.constData(), "kuvamod: hour %ld of %zu", &h, &of) == 2 && of > 0)
          report(static_cast<int>(900.0 * static_cast<double>(h) / static_cast<double>(of)));
        else
          messages += line + '\n';
      }
      if (done) break;
      if (stop->load()) {
        p.kill();
        p.waitForFinished();
        run->cancelled = true;
        return;
      }
    }
    messages += partial;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
      const std::string msg = messages.trimmed().toStdString();
      const std::string where = ap::originOf(deck, msg);
      run->error = where.empty() ? QStringLiteral("kuvamod 未能完成计算：%1").arg(q(msg))
                                 : QStringLiteral("kuvamod 拒绝了“%1”：%2").arg(q(where), q(msg));
      return;
    }
    auto done = std::make_shared<Computed>();
    done->plant = plant;
    ap::Results res;
    // Reading a year of daily means takes seconds: the bar moves on from 900 as the lines go
    // (the reader polls once every 65,536 lines).
    double lines = 0;
    const double receptors =
        static_cast<double>(plant.targets.size() + plant.grid.size() + plant.protection.size());
    for (size_t g = 0; g < deck.groups.size(); ++g)
      lines += receptors * (deck.daily[g].empty() ? 1 : 2 + static_cast<double>(met.hours) / 24);
    double polled = 0;
    const std::string rerr = ap::readResults(plant, deck, dir.path().toStdString(), met, res, [&] {
      polled += 65536;
      report(900 + static_cast<int>(std::min(49.0, 50 * polled / std::max(lines, 1.0))));
      return stop->load();
    });
    if (stop->load()) {
      run->cancelled = true;
      return;
    }
    if (!rerr.empty()) {
      run->error = q(rerr);
      return;
    }
    report(950);
    done->contribution = ap::contributionTable(plant, res);
    report(960);
    done->superposed = ap::superposedTable(plant, res);
    report(970);
    done->abnormal = ap::abnormalTable(plant, res);
    report(980);
    if (!plant.protection.empty()) {
      done->protection = ap::protectionOf(plant, res);
      for (size_t i : done->protection.exceeding) done->exceeding.push_back(plant.protection[i]);
    }
    makeFields(*done, res);
    run->done = done;
  });
  QObject::connect(m_thread, &QThread::finished, m_page, [this, t = m_thread] {
    if (t == m_thread) finished();
  });
  m_bar->started();
  m_thread->start();
}

void AirPredictionPageHook::cancel() {
  if (m_thread) m_stop = true;
}

void AirPredictionPageHook::finished() {
  m_thread->wait();
  m_thread->deleteLater();
  m_thread = nullptr;
  m_bar->stopped();
  const auto run = m_run;
  m_run.reset();
  if (!run->met_text.isEmpty()) m_met_label->setText(run->met_text);
  if (m_stop || run->cancelled) {
    m_bar->showCancelled();
    return;
  }
  if (!run->error.isEmpty() || !run->done) {
    m_bar->status()->setText(QStringLiteral("计算未完成，保留上次的结果。"));
    m_bar->progress()->setValue(0);
    widgets::showMessage(m_page, run->error, kCaption);
    return;
  }
  run->done->met_text = run->met_text;
  m_done = run->done;
  m_bar->progress()->setValue(1000);
  m_bar->status()->setText(QStringLiteral("计算完成。"));
  showResults();
  m_tabs->setCurrentWidget(m_results);
}

QWidget* AirPredictionPageHook::buildResults(QWidget* parent) {
  auto* w = new QWidget(parent);
  auto* v = new QVBoxLayout(w);
  auto* row = new QHBoxLayout;
  m_result_kind = new QComboBox(w);
  m_result_kind->addItems({QStringLiteral("正常排放贡献值"), QStringLiteral("叠加背景后"),
                           QStringLiteral("非正常排放")});
  auto* copy = new QPushButton(QStringLiteral("复制"), w);
  auto* excel = new QPushButton(QStringLiteral("导出EXCEL"), w);
  row->addWidget(m_result_kind, 1);
  row->addWidget(copy);
  row->addWidget(excel);
  v->addLayout(row);
  m_result_table = new QTableWidget(w);
  m_result_table->setObjectName(QStringLiteral("airPredictionResults"));
  m_result_table->verticalHeader()->setDefaultSectionSize(22);
  m_result_table->setMinimumHeight(160);  // never squeezed to nothing on a small screen
  v->addWidget(m_result_table, 1);
  m_protection_label = new QLabel(w);
  m_protection_label->setWordWrap(true);
  v->addWidget(m_protection_label);
  auto* mrow = new QHBoxLayout;
  m_map_field = new QComboBox(w);
  auto* dpi = new QSpinBox(w);
  dpi->setRange(72, 1200);
  dpi->setValue(300);
  dpi->setSuffix(QStringLiteral(" DPI"));
  auto* pic = new QPushButton(QStringLiteral("导出图片…"), w);
  auto* geo = new QPushButton(QStringLiteral("导出GeoJSON…"), w);
  auto* grd = new QPushButton(QStringLiteral("导出Surfer网格…"), w);
  mrow->addWidget(new QLabel(QStringLiteral("等值线图"), w));
  mrow->addWidget(m_map_field, 1);
  v->addLayout(mrow);
  auto* erow = new QHBoxLayout;
  erow->addWidget(dpi);
  erow->addWidget(pic);
  erow->addWidget(geo);
  erow->addWidget(grd);
  erow->addStretch(1);
  v->addLayout(erow);
  showResultTable();  // the headers from the start
  QObject::connect(m_result_kind, &QComboBox::currentIndexChanged, w,
                   [this] { showResultTable(); });
  QObject::connect(m_map_field, &QComboBox::currentIndexChanged, w, [this] { updateMap(); });
  QObject::connect(copy, &QPushButton::clicked, w, [this] {
    const core::Table t = currentTable();
    std::vector<std::vector<std::string>> cells{t.headers};
    for (const auto& r : t.rows) cells.push_back(r);
    std::vector<std::pair<int, int>> all;
    for (size_t r = 0; r < cells.size(); ++r)
      for (size_t c = 0; c < cells[r].size(); ++c)
        all.emplace_back(static_cast<int>(r), static_cast<int>(c));
    QApplication::clipboard()->setText(q(present::copyText(cells, all)));
  });
  QObject::connect(excel, &QPushButton::clicked, w,
                   [this] { widgets::exportTable(m_page, currentTable(), kCaption); });
  QObject::connect(pic, &QPushButton::clicked, w, [this, dpi] {
    const QString path = widgets::chooseFileToWrite(
        m_page, QStringLiteral("导出图片"), QStringLiteral("等值线图.png"),
        QStringLiteral("PNG 图片 (*.png);;SVG 图片 (*.svg)"));
    if (!path.isEmpty()) saveMap(path, dpi->value());
  });
  QObject::connect(geo, &QPushButton::clicked, w, [this] {
    if (m_map_grid.nx < 2) return;
    const QString path = widgets::chooseFileToWrite(m_page, QStringLiteral("导出GeoJSON"),
                                                    QStringLiteral("等值线.geojson"),
                                                    QStringLiteral("GeoJSON (*.geojson)"));
    if (path.isEmpty()) return;
    present::ContourSet set(m_map_grid);
    set.buildDefaultLevels();
    if (m_map_standard > 0) set.levels().insert(static_cast<float>(m_map_standard));
    set.traceAll();
    if (!present::saveContourGeoJson(set, path.toStdString()))
      widgets::showMessage(m_page, QStringLiteral("无法写入 %1。").arg(path), kCaption);
  });
  QObject::connect(grd, &QPushButton::clicked, w, [this] {
    if (m_map_grid.nx < 2) return;
    const QString path = widgets::chooseFileToWrite(m_page, QStringLiteral("导出Surfer网格"),
                                                    QStringLiteral("浓度.grd"),
                                                    QStringLiteral("Surfer 网格 (*.grd)"));
    if (path.isEmpty()) return;
    if (!present::writeGrdFile(m_map_grid, path.toStdString()))
      widgets::showMessage(m_page, QStringLiteral("无法写入 %1。").arg(path), kCaption);
  });
  return w;
}

core::Table AirPredictionPageHook::currentTable() const {
  core::Table t;
  const int kind = m_result_kind->currentIndex();
  static const std::vector<ap::TableRow> none;
  const auto& rows = !m_done     ? none
                     : kind == 0 ? m_done->contribution
                     : kind == 1 ? m_done->superposed
                                 : m_done->abnormal;
  t.title = m_result_kind->currentText().toStdString();
  if (kind == 1)
    t.headers = {"污染物",         "预测点",       "平均时段",   "贡献值 (µg/m³)", "背景值 (µg/m³)",
                 "叠加后 (µg/m³)", "标准 (µg/m³)", "占标率 (%)", "达标情况",       "保证率"};
  else
    t.headers = {"污染物",   "预测点",       "平均时段",   "最大贡献值 (µg/m³)",
                 "出现时间", "标准 (µg/m³)", "占标率 (%)", "达标情况"};
  for (const auto& r : rows) {
    const std::string verdict = r.limit > 0 ? (r.exceeds ? "超标" : "达标") : "—";
    const std::string lim = r.limit > 0 ? num(r.limit) : "—";
    const std::string share = r.limit > 0 ? core::cformat("%.2f", r.share_pct) : "—";
    if (kind == 1)
      t.rows.push_back({r.pollutant, r.place, r.average, num(r.value), num(r.background),
                        num(r.total), lim, share, verdict, r.when});
    else
      t.rows.push_back(
          {r.pollutant, r.place, r.average, num(r.value), r.when, lim, share, verdict});
  }
  return t;
}

void AirPredictionPageHook::showResultTable() {
  const core::Table t = currentTable();
  m_result_table->clear();
  m_result_table->setColumnCount(static_cast<int>(t.headers.size()));
  m_result_table->setRowCount(static_cast<int>(t.rows.size()));
  QStringList h;
  for (const auto& s : t.headers) h << q(s);
  m_result_table->setHorizontalHeaderLabels(h);
  for (size_t r = 0; r < t.rows.size(); ++r)
    for (size_t c = 0; c < t.rows[r].size(); ++c) {
      QTableWidgetItem* it = cell(q(t.rows[r][c]));
      if (t.rows[r][c] == "超标") it->setForeground(Qt::red);
      m_result_table->setItem(static_cast<int>(r), static_cast<int>(c), it);
    }
  m_result_table->resizeColumnsToContents();
}

void AirPredictionPageHook::showResults() {
  showResultTable();
  const QSignalBlocker block(m_map_field);
  m_map_field->clear();
  if (m_done)
    for (const auto& f : m_done->fields) m_map_field->addItem(f.name);
  if (!m_done || m_done->plant.boundary.size() < 3)
    m_protection_label->setText(m_done ? QStringLiteral("未给出厂界，不计算大气环境防护距离。")
                                       : QString());
  else
    m_protection_label->setText(
        m_done->protection.distance_m > 0
            ? QStringLiteral("大气环境防护距离：%1 m（厂界外超标网格 %2 个）")
                  .arg(m_done->protection.distance_m, 0, 'f', 1)
                  .arg(m_done->exceeding.size())
            : QStringLiteral("大气环境防护距离：0 m（厂界外短期浓度均不超标）"));
  updateMap();
}

void AirPredictionPageHook::updateMap() {
  m_map_grid = present::GridData{};
  m_map_standard = 0;
  QPainterPath extra;
  if (m_done) {
    // The exceeding protection cells and the zone beyond each exceeding stretch of boundary.
    const ap::Plant& p = m_done->plant;
    for (const auto& c : m_done->exceeding) extra.addRect(QRectF(c.x - 5, c.y - 5, 10, 10));
    if (p.boundary.size() >= 3) {
      double cx = 0, cy = 0;
      for (const auto& b : p.boundary) cx += b.x, cy += b.y;
      cx /= static_cast<double>(p.boundary.size());
      cy /= static_cast<double>(p.boundary.size());
      for (const auto& [edge, d] : m_done->protection.edges) {
        const ap::Point a = p.boundary[edge], b = p.boundary[(edge + 1) % p.boundary.size()];
        double nx = b.y - a.y, ny = -(b.x - a.x);
        const double len = std::hypot(nx, ny);
        if (!(len > 0)) continue;
        nx /= len, ny /= len;
        if ((a.x - cx) * nx + (a.y - cy) * ny < 0) nx = -nx, ny = -ny;  // outward
        QPolygonF zone;
        zone << QPointF(a.x, a.y) << QPointF(b.x, b.y) << QPointF(b.x + d * nx, b.y + d * ny)
             << QPointF(a.x + d * nx, a.y + d * ny) << QPointF(a.x, a.y);
        extra.addPolygon(zone);
      }
    }
  }
  const int f = m_map_field->currentIndex();
  if (!m_done || f < 0 || f >= static_cast<int>(m_done->fields.size()) || m_done->nx < 2 ||
      m_done->ny < 2) {
    m_plan->setContours({}, {}, {}, extra, QPen(Qt::red, 2));
    m_plan->viewport()->update();
    return;
  }
  const MapField& field = m_done->fields[static_cast<size_t>(f)];
  present::GridData& g = m_map_grid;
  g.nx = m_done->nx;
  g.ny = m_done->ny;
  g.xmin = static_cast<float>(m_done->x0);
  g.xmax = static_cast<float>(m_done->x1);
  g.ymin = static_cast<float>(m_done->y0);
  g.ymax = static_cast<float>(m_done->y1);
  g.z = field.z;
  g.zmin = *std::min_element(g.z.begin(), g.z.end());
  g.zmax = *std::max_element(g.z.begin(), g.z.end());
  m_map_standard = field.standard;
  QImage bands(g.nx, g.ny, QImage::Format_ARGB32);
  for (int r = 0; r < g.ny; ++r)
    for (int c = 0; c < g.nx; ++c) {
      const float z = g.at(r, c);
      const int k = g.zmax > 0 ? std::clamp(static_cast<int>(10 * z / g.zmax), 0, 9) : 0;
      bands.setPixelColor(c, g.ny - 1 - r, QColor::fromHsv(240 - 240 * k / 9, 217, 242));
    }
  QPainterPath lines;
  for (int k = 1; k < 10; ++k)
    for (const auto& line : present::traceLevel(g, g.zmax * static_cast<float>(k) / 10.0f)) {
      for (size_t i = 0; i < line.points.size(); ++i)
        i == 0 ? lines.moveTo(line.points[i].x, line.points[i].y)
               : lines.lineTo(line.points[i].x, line.points[i].y);
    }
  if (field.standard > 0 && field.standard < g.zmax)
    for (const auto& line : present::traceLevel(g, static_cast<float>(field.standard)))
      for (size_t i = 0; i < line.points.size(); ++i)
        i == 0 ? extra.moveTo(line.points[i].x, line.points[i].y)
               : extra.lineTo(line.points[i].x, line.points[i].y);
  // Cells are centred on the receptors: the image reaches half a step beyond them.
  const double sx = (m_done->x1 - m_done->x0) / (g.nx - 1),
               sy = (m_done->y1 - m_done->y0) / (g.ny - 1);
  m_plan->setContours(bands,
                      QRectF(m_done->x0 - sx / 2, m_done->y0 - sy / 2, m_done->x1 - m_done->x0 + sx,
                             m_done->y1 - m_done->y0 + sy),
                      lines, extra, QPen(Qt::red, 2));
  m_plan->viewport()->update();
}

bool AirPredictionPageHook::saveMap(const QString& path, int dpi) {
  if (!m_done || m_map_grid.nx < 2) {
    widgets::showMessage(m_page, QStringLiteral("请先计算，再导出等值线图。"), kCaption);
    return false;
  }
  const QRectF world(m_done->x0, m_done->y0, m_done->x1 - m_done->x0, m_done->y1 - m_done->y0);
  const int w = static_cast<int>(160.0 / 25.4 * dpi);
  const int h = static_cast<int>(w * world.height() / world.width());
  auto paint = [&](QPainter& p) {
    p.fillRect(QRectF(0, 0, w, h), Qt::white);
    m_plan->scene()->render(&p, QRectF(0, 0, w, h),
                            QRectF(world.left(), -world.bottom(), world.width(), world.height()),
                            Qt::IgnoreAspectRatio);
    widgets::PlanView::drawMarks(p, QRectF(0, 0, w, h), world.width() / w);
  };
  if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buf);
    svg.setSize(QSize(w, h));
    svg.setViewBox(QRect(0, 0, w, h));
    svg.setResolution(dpi);
    QPainter p(&svg);
    paint(p);
    p.end();
    const std::string e = core::writeFileAtomic(path.toStdString(), buf.data().toStdString());
    if (!e.empty()) widgets::showMessage(m_page, q(e), kCaption);
    return e.empty();
  }
  QImage img(w, h, QImage::Format_ARGB32);
  img.setDotsPerMeterX(static_cast<int>(dpi / 0.0254));
  img.setDotsPerMeterY(static_cast<int>(dpi / 0.0254));
  QPainter p(&img);
  paint(p);
  p.end();
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  const std::string e = core::writeFileAtomic(path.toStdString(), bytes.toStdString());
  if (!e.empty()) widgets::showMessage(m_page, q(e), kCaption);
  return e.empty();
}

bool AirPredictionPageHook::exportDeck(const QString& folder) {
  QString err;
  const auto in = readInputs(&err);
  if (!in) {
    widgets::showMessage(m_page, err, kCaption);
    return false;
  }
  const ap::Plant plant = plantForRun(*in);
  if (plant.surface_file.empty()) {
    widgets::showMessage(m_page, QStringLiteral("请先选择气象文件。"), kCaption);
    return false;
  }
  if (!QDir().mkpath(folder)) {
    widgets::showMessage(m_page, QStringLiteral("无法建立文件夹 %1。").arg(folder), kCaption);
    return false;
  }
  const QDir dir(folder);
  for (const auto& [from, to] : {std::pair{q(plant.surface_file), QStringLiteral("met.sfc")},
                                 std::pair{q(plant.profile_file), QStringLiteral("met.pfl")}}) {
    const std::string e = copyFile(from, dir.filePath(to));
    if (!e.empty()) {
      widgets::showMessage(m_page, q(e), kCaption);
      return false;
    }
  }
  const ap::DeckText deck = ap::writeDeck(plant, "met.sfc", "met.pfl");
  const std::string e =
      core::writeFileAtomic(dir.filePath(QString::fromLatin1(kDeckName)).toStdString(), deck.text);
  if (!e.empty()) {
    widgets::showMessage(m_page, q(e), kCaption);
    return false;
  }
  return true;
}

void AirPredictionPageHook::storeInputs(CalculatorPage&, core::Values& inputs) {
  const QString dir = projectDir();
  auto rel = [&dir](const QString& path) {
    if (dir.isEmpty() || path.isEmpty()) return path;
    const QString r = QDir(dir).relativeFilePath(path);
    return r.startsWith(QStringLiteral("../../")) ? path : r;
  };
  QJsonObject o;
  o["stacks"] = tableJson(m_stacks);
  o["others"] = tableJson(m_others);
  o["pollutants"] = tableJson(m_pollutants);
  o["targets"] = tableJson(m_targets);
  o["boundary"] = tableJson(m_boundary);
  o["emission_columns"] = headersJson(m_stacks);
  o["stack_release_column"] = true;
  QJsonObject settings;
  for (QLineEdit* e : m_settings->findChildren<QLineEdit*>())
    settings[e->objectName()] =
        e->objectName() == QStringLiteral("surface") || e->objectName() == QStringLiteral("profile")
            ? rel(e->text())
            : e->text();
  o["settings"] = settings;
  o["grid_kind"] = m_grid_kind->currentIndex();
  o["grade"] = m_grade->currentIndex();
  o["units"] = QJsonArray{m_temp_unit->currentIndex(), m_exit_unit->currentIndex(),
                          m_rate_unit->currentIndex()};
  o["site_plan"] = m_site->toJson(rel(m_site->file()));
  if (m_done) {
    QJsonObject res;
    auto rows = [](const std::vector<ap::TableRow>& v) {
      QJsonArray a;
      for (const auto& r : v) a.append(rowJson(r));
      return a;
    };
    res["contribution"] = rows(m_done->contribution);
    res["superposed"] = rows(m_done->superposed);
    res["abnormal"] = rows(m_done->abnormal);
    res["met"] = m_done->met_text;
    res["protection_m"] = m_done->protection.distance_m;
    QJsonArray edges, cells, ring, fields;
    for (const auto& [e, d] : m_done->protection.edges) edges.append(QJsonArray{double(e), d});
    for (const auto& c : m_done->exceeding) cells.append(QJsonArray{c.x, c.y});
    for (const auto& b : m_done->plant.boundary) ring.append(QJsonArray{b.x, b.y});
    res["edges"] = edges;
    res["exceeding"] = cells;
    res["boundary"] = ring;
    res["map"] = QJsonArray{m_done->nx, m_done->ny, m_done->x0, m_done->y0, m_done->x1, m_done->y1};
    for (const auto& f : m_done->fields) {
      QJsonArray z;
      for (float v : f.z) z.append(static_cast<double>(v));
      fields.append(QJsonObject{{"name", f.name}, {"standard", f.standard}, {"z", z}});
    }
    res["fields"] = fields;
    o["results"] = res;
  }
  inputs.setText(models::air::kAirPredictionKey,
                 QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString());
}

void AirPredictionPageHook::clearResults(CalculatorPage&) {
  cancel();  // a run on the old plant ends as cancelled and shows nothing
  m_done.reset();
  if (m_result_table) {
    m_bar->status()->setText(QString());
    m_bar->progress()->setValue(0);
    showResults();
  }
}

void AirPredictionPageHook::loadInputs(CalculatorPage&, const core::Values& inputs) {
  const std::string text =
      inputs.has(models::air::kAirPredictionKey) ? inputs.text(models::air::kAirPredictionKey) : "";
  if (text.empty()) return;
  QJsonParseError pe;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &pe);
  if (!doc.isObject()) {
    widgets::showMessage(m_page, QStringLiteral("工程中的进一步预测数据无法读取。"), kCaption);
    return;
  }
  cancel();
  const QJsonObject o = doc.object();
  const QString dir = projectDir();
  auto abs = [&dir](const QString& path) {
    if (path.isEmpty() || dir.isEmpty() || !QFileInfo(path).isRelative()) return path;
    return QDir(dir).absoluteFilePath(path);
  };
  m_filling = true;
  auto fill = [](QTableWidget* t, const QJsonArray& rows) {
    t->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
      const QJsonArray row = rows[r].toArray();
      for (int c = 0; c < row.size() && c < t->columnCount(); ++c)
        t->setItem(r, c, new QTableWidgetItem(row[c].toString()));
    }
  };
  fill(m_pollutants, o["pollutants"].toArray());
  m_filling = false;
  syncEmissionColumns();
  m_filling = true;
  QJsonArray stacks = o["stacks"].toArray();
  if (!o["stack_release_column"].toBool())  // saved before stacks had a release column
    for (qsizetype r = 0; r < stacks.size(); ++r) {
      QJsonArray row = stacks[r].toArray();
      if (row.size() > 8) row.insert(8, QString());
      stacks[r] = row;
    }
  fill(m_stacks, stacks);
  fill(m_others, o["others"].toArray());
  fill(m_targets, o["targets"].toArray());
  fill(m_boundary, o["boundary"].toArray());
  const QJsonObject settings = o["settings"].toObject();
  for (QLineEdit* e : m_settings->findChildren<QLineEdit*>())
    if (settings.contains(e->objectName())) {
      const QString v = settings[e->objectName()].toString();
      e->setText(e->objectName() == QStringLiteral("surface") ||
                         e->objectName() == QStringLiteral("profile")
                     ? abs(v)
                     : v);
    }
  m_grid_kind->setCurrentIndex(o["grid_kind"].toInt(0));
  m_grade->setCurrentIndex(o["grade"].toInt(0));
  // Projects saved before the units could be chosen hold K, m/s and g/s.
  const QJsonArray units = o["units"].toArray();
  m_temp_unit->setCurrentIndex(units.at(0).toInt(0));
  m_exit_unit->setCurrentIndex(units.at(1).toInt(0));
  m_rate_unit->setCurrentIndex(units.at(2).toInt(0));
  const QJsonObject site = o["site_plan"].toObject();
  m_site->fromJson(site, abs(site.value(QStringLiteral("file")).toString()));
  m_filling = false;
  m_done.reset();
  const QJsonObject res = o["results"].toObject();
  if (!res.isEmpty()) {
    auto done = std::make_shared<Computed>();
    auto rows = [](const QJsonArray& a) {
      std::vector<ap::TableRow> v;
      for (const auto& r : a) v.push_back(rowOf(r.toObject()));
      return v;
    };
    done->contribution = rows(res["contribution"].toArray());
    done->superposed = rows(res["superposed"].toArray());
    done->abnormal = rows(res["abnormal"].toArray());
    done->met_text = res["met"].toString();
    done->protection.distance_m = res["protection_m"].toDouble();
    for (const auto& e : res["edges"].toArray())
      done->protection.edges.emplace_back(static_cast<size_t>(e.toArray()[0].toInt()),
                                          e.toArray()[1].toDouble());
    for (const auto& c : res["exceeding"].toArray())
      done->exceeding.push_back({c.toArray()[0].toDouble(), c.toArray()[1].toDouble()});
    for (const auto& b : res["boundary"].toArray())
      done->plant.boundary.push_back({b.toArray()[0].toDouble(), b.toArray()[1].toDouble()});
    const QJsonArray map = res["map"].toArray();
    if (map.size() == 6) {
      done->nx = map[0].toInt(), done->ny = map[1].toInt();
      done->x0 = map[2].toDouble(), done->y0 = map[3].toDouble();
      done->x1 = map[4].toDouble(), done->y1 = map[5].toDouble();
    }
    for (const auto& fv : res["fields"].toArray()) {
      const QJsonObject f = fv.toObject();
      MapField m;
      m.name = f["name"].toString();
      m.standard = f["standard"].toDouble();
      for (const auto& z : f["z"].toArray()) m.z.push_back(static_cast<float>(z.toDouble()));
      if (m.z.size() == static_cast<size_t>(done->nx) * static_cast<size_t>(done->ny))
        done->fields.push_back(std::move(m));
    }
    m_done = done;
  }
  const QString s = setting("surface")->text(), p = setting("profile")->text();
  if (!s.isEmpty() && !p.isEmpty()) {
    const ap::MetSummary m = ap::readMetSummary(s.toStdString(), p.toStdString());
    m_met_label->setText(m.ok() ? QStringLiteral("%1 至 %2，共 %3 小时，静风 %4 小时，缺测 %5 小时")
                                      .arg(m.first)
                                      .arg(m.last)
                                      .arg(m.hours)
                                      .arg(m.calm)
                                      .arg(m.missing)
                                : QStringLiteral("气象文件无法读取：%1").arg(q(m.error)));
  }
  showResults();
  refreshPlan();
  m_plan->fitAll();
}

bool AirPredictionPageHook::exportSheet(CalculatorPage& page, const QString& project,
                                        bool& written) {
  written = false;
  if (!m_done) {
    widgets::showMessage(&page, QStringLiteral("请先计算，再导出计算书。"), kCaption);
    return true;
  }
  const QString path = chooseSheetFile(page, q(page.desc().title) + QStringLiteral("计算书.pdf"));
  if (path.isEmpty()) return true;
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
  s.inputs = {{"地面气象文件", "SFC", setting("surface")->text().toStdString(), ""},
              {"廓线气象文件", "PFL", setting("profile")->text().toStdString(), ""},
              {"气象数据", "", m_done->met_text.toStdString(), ""},
              {"预测网格", "", m_grid_kind->currentText().toStdString(), ""}};
  auto tableOf = [](const QTableWidget* t, const std::string& title) {
    core::Table out;
    out.title = title;
    for (int c = 0; c < t->columnCount(); ++c)
      out.headers.push_back(t->horizontalHeaderItem(c)->text().toStdString());
    for (int r = 0; r < t->rowCount(); ++r) {
      std::vector<std::string> row;
      for (int c = 0; c < t->columnCount(); ++c) {
        const QTableWidgetItem* it = t->item(r, c);
        row.push_back(it ? it->text().toStdString() : "");
      }
      out.rows.push_back(row);
    }
    return out;
  };
  s.tables.push_back(present::sheetTable(tableOf(m_stacks, "排气筒")));
  if (m_others->rowCount() > 0)
    s.tables.push_back(present::sheetTable(tableOf(m_others, "面源/体源/线源")));
  QString unused;
  if (const auto in = readInputs(&unused))
    s.tables.push_back(present::sheetTable(ap::sourceValuesTable(in->plant)));
  s.tables.push_back(present::sheetTable(tableOf(m_pollutants, "污染物")));
  s.tables.push_back(present::sheetTable(tableOf(m_targets, "环境空气保护目标")));
  const int was = m_result_kind->currentIndex();
  for (int k = 0; k < 3; ++k) {
    m_result_kind->setCurrentIndex(k);
    s.tables.push_back(present::sheetTable(currentTable()));
  }
  m_result_kind->setCurrentIndex(was);
  s.text.push_back(m_protection_label->text().toStdString());
  std::string png;
  if (m_map_grid.nx >= 2) {
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("map.png"));
    if (saveMap(file, 150)) {
      QFile f(file);
      if (f.open(QIODevice::ReadOnly)) png = f.readAll().toStdString();
    }
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
