#include "app/pages/air/prediction/air_prediction_page.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/sheet_export.h"
#include "core/file_io.h"
#include "models/air/prediction/prediction_desc.h"
#include "widgets/paste_table.h"
#include "widgets/plan_view.h"
#include "widgets/prompts.h"
#include "widgets/run_bar.h"
#include "widgets/site_plan.h"

namespace app {

using namespace airpred;
using widgets::PasteTable;
using widgets::PlanDraw;
using widgets::PlanPoint;
using widgets::PlanShape;

namespace {

const QString kCaption = QStringLiteral("AERMOD进一步预测");

enum Kind { KStack, KOther, KTarget, KBoundary };
enum Tool { TSelect, TStack, TArea, TBoundary, TTarget };

// Stack columns before the emissions.
enum { SName, SX, SY, SBase, SHeight, SDiam, STemp, SVel, SRelease, SCols };
// Other sources.
enum { OName, OKind, OCoords, OBase, OHeight, OSy, OSz, OCols };
// Pollutants.
enum { PName, P1h, P8h, P24h, PYear, PPct, PBgDay, PBgYear, PBgFile, PCols };
// Targets.
enum { TName, TX, TY, TH, TClass, TCols };

QString q(const std::string& s) { return QString::fromStdString(s); }

QString text(const QTableWidget* t, int r, int c) {
  const QTableWidgetItem* it = t->item(r, c);
  return it ? it->text().trimmed() : QString();
}

void setText(QTableWidget* t, int r, int c, const QString& v) {
  QTableWidgetItem* it = t->item(r, c);
  if (!it) {
    it = new QTableWidgetItem;
    t->setItem(r, c, it);
  }
  it->setText(v);
}

QString fmt(double v) { return QString::number(v, 'g', 12); }

bool rowEmpty(const QTableWidget* t, int r) {
  for (int c = 0; c < t->columnCount(); ++c)
    if (!text(t, r, c).isEmpty()) return false;
  return true;
}

// A number from a cell; an error naming the table, the row and the column otherwise.
bool cellNumber(const QTableWidget* t, const QString& table, int r, int c, double& out,
                QString* err, bool empty_is_zero = false) {
  const QString v = text(t, r, c);
  if (v.isEmpty() && empty_is_zero) {
    out = 0;
    return true;
  }
  bool ok = false;
  out = v.toDouble(&ok);
  if (ok && std::isfinite(out)) return true;
  const QString name = text(t, r, 0);
  *err = QStringLiteral("%1第 %2 行%3的“%4”不是数字。")
             .arg(table)
             .arg(r + 1)
             .arg(name.isEmpty() ? QString() : QStringLiteral("（%1）").arg(name))
             .arg(t->horizontalHeaderItem(c)->text());
  return false;
}

std::vector<ap::Point> parseCoords(const QString& s, bool* ok) {
  std::vector<ap::Point> out;
  *ok = true;
  for (const QString& pair : s.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QStringList xy =
        pair.simplified().split(QRegularExpression(QStringLiteral("[ ,]+")), Qt::SkipEmptyParts);
    bool a = false, b = false;
    if (xy.size() != 2) {
      *ok = false;
      return {};
    }
    out.push_back({xy[0].toDouble(&a), xy[1].toDouble(&b)});
    if (!a || !b) *ok = false;
  }
  return out;
}

QString coordsText(const std::vector<ap::Point>& pts) {
  QStringList parts;
  for (const auto& p : pts) parts << fmt(p.x) + QLatin1Char(' ') + fmt(p.y);
  return parts.join(QStringLiteral("; "));
}

QString kindText(ap::SourceKind k) {
  switch (k) {
    case ap::SourceKind::Area: return QStringLiteral("面源");
    case ap::SourceKind::Volume: return QStringLiteral("体源");
    case ap::SourceKind::Line: return QStringLiteral("线源");
    case ap::SourceKind::Circle: return QStringLiteral("圆形面源");
    default: return QStringLiteral("排气筒");
  }
}

QString projectOf(const QWidget* page) {
  const auto* main = qobject_cast<const CMainDlg*>(page->window());
  return main ? main->projectPath() : QString();
}

QString dateText(long yyyymmddhh) {
  return QStringLiteral("%1-%2-%3 %4时")
      .arg(yyyymmddhh / 1000000)
      .arg((yyyymmddhh / 10000) % 100, 2, 10, QLatin1Char('0'))
      .arg((yyyymmddhh / 100) % 100, 2, 10, QLatin1Char('0'))
      .arg(yyyymmddhh % 100, 2, 10, QLatin1Char('0'));
}

QString metText(const ap::MetSummary& m) {
  return QStringLiteral("%1 至 %2，共 %3 小时，静风 %4 小时，缺测 %5 小时")
      .arg(dateText(m.first), dateText(m.last))
      .arg(m.hours)
      .arg(m.calm)
      .arg(m.missing);
}

}  // namespace

AirPredictionPageHook::AirPredictionPageHook() = default;

AirPredictionPageHook::~AirPredictionPageHook() {
  if (m_thread) {
    m_stop = true;
    m_thread->wait();
  }
}

QComboBox* AirPredictionPageHook::unit(const char* name) const {
  return m_stacks->parentWidget()->findChild<QComboBox*>(QString::fromLatin1(name));
}

QLineEdit* AirPredictionPageHook::setting(const char* name) const {
  return m_settings->findChild<QLineEdit*>(QString::fromLatin1(name));
}

void AirPredictionPageHook::setup(CalculatorPage& page) {
  m_page = &page;
  if (auto* g = page.group("工程")) g->hide();
  if (auto* b = page.button("compute")) b->hide();

  auto* main = new QWidget(&page);
  main->setObjectName(QStringLiteral("airPredictionMain"));
  main->setMinimumSize(760, 480);
  auto* v = new QVBoxLayout(main);
  v->setContentsMargins(0, 0, 0, 0);
  buildToolBar(main, v);

  auto* split = new QSplitter(Qt::Horizontal, main);
  m_plan = new widgets::PlanView(split);
  m_plan->setObjectName(QStringLiteral("airPredictionPlan"));
  m_tabs = new QTabWidget(split);
  auto addTable = [this](const QString& title, const QStringList& headers) {
    auto* t = new PasteTable(0, static_cast<int>(headers.size()), m_tabs);
    t->setObjectName(title);
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->setDefaultSectionSize(22);
    auto* w = new QWidget(m_tabs);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(2, 2, 2, 2);
    l->addWidget(t, 1);
    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("添加行"), w);
    auto* del = new QPushButton(QStringLiteral("删除行"), w);
    row->addWidget(add);
    row->addWidget(del);
    row->addStretch(1);
    l->addLayout(row);
    m_tabs->addTab(w, title);
    QObject::connect(add, &QPushButton::clicked, t, [t] { t->setRowCount(t->rowCount() + 1); });
    QObject::connect(del, &QPushButton::clicked, t, [this, t] {
      if (t->currentRow() < 0) return;
      t->removeRow(t->currentRow());
      refreshPlan();
    });
    QObject::connect(t, &QTableWidget::itemChanged, t, [this, t] {
      if (m_filling) return;
      if (t == m_pollutants) syncEmissionColumns();
      refreshPlan();
    });
    QObject::connect(t, &PasteTable::pasted, t, [this, t] {
      if (t == m_pollutants) syncEmissionColumns();
      refreshPlan();
    });
    return t;
  };
  m_stacks =
      addTable(QStringLiteral("排气筒"),
               {QStringLiteral("名称"), QStringLiteral("X (m)"), QStringLiteral("Y (m)"),
                QStringLiteral("底部海拔 (m)"), QStringLiteral("高度 (m)"),
                QStringLiteral("内径 (m)"), QStringLiteral("出口温度 (K)"),
                QStringLiteral("出口速度 (m/s)"), QStringLiteral("排放方式（竖直/加盖/水平）")});
  {
    // The units the stacks' exit state and every source's emissions are typed in.
    auto* row = new QHBoxLayout;
    auto unit = [&](const char* name, const QString& label, const QStringList& items) {
      auto* c = new QComboBox(m_stacks->parentWidget());
      c->setObjectName(QString::fromLatin1(name));
      c->addItems(items);
      row->addWidget(new QLabel(label, m_stacks->parentWidget()));
      row->addWidget(c);
      QObject::connect(c, &QComboBox::currentIndexChanged, c, [this] { syncUnitHeaders(); });
      return c;
    };
    m_temp_unit =
        unit("temp_unit", QStringLiteral("出口温度"), {QStringLiteral("K"), QStringLiteral("°C")});
    m_exit_unit = unit("exit_unit", QStringLiteral("出口参数"),
                       {QStringLiteral("烟气流速 (m/s)"), QStringLiteral("烟气量 (m³/h)")});
    m_rate_unit = unit("rate_unit", QStringLiteral("排放速率"),
                       {QStringLiteral("g/s"), QStringLiteral("kg/h")});
    row->addStretch(1);
    qobject_cast<QVBoxLayout*>(m_stacks->parentWidget()->layout())->insertLayout(0, row);
  }
  m_others = addTable(
      QStringLiteral("面源/体源/线源"),
      {QStringLiteral("名称"), QStringLiteral("类型"), QStringLiteral("坐标 (x y; x y; …)"),
       QStringLiteral("底部海拔 (m)"), QStringLiteral("释放高度 (m)"),
       QStringLiteral("初始σy/线宽/半径 (m)"), QStringLiteral("初始σz (m)")});
  m_pollutants =
      addTable(QStringLiteral("污染物"),
               {QStringLiteral("名称"), QStringLiteral("1小时标准 (µg/m³)"),
                QStringLiteral("8小时标准 (µg/m³)"), QStringLiteral("日平均标准 (µg/m³)"),
                QStringLiteral("年平均标准 (µg/m³)"), QStringLiteral("保证率 (%)"),
                QStringLiteral("背景日平均 (µg/m³)"), QStringLiteral("背景年平均 (µg/m³)"),
                QStringLiteral("背景日均序列文件")});
  m_targets = addTable(QStringLiteral("保护目标"),
                       {QStringLiteral("名称"), QStringLiteral("X (m)"), QStringLiteral("Y (m)"),
                        QStringLiteral("离地高度 (m)"), QStringLiteral("功能区")});
  m_boundary = addTable(QStringLiteral("厂界"), {QStringLiteral("X (m)"), QStringLiteral("Y (m)")});
  m_settings = buildSettings(m_tabs);
  m_tabs->addTab(m_settings, QStringLiteral("网格与气象"));
  m_site = new widgets::SitePlanPanel(m_plan, kCaption, m_tabs);
  m_tabs->addTab(m_site, QStringLiteral("底图"));
  m_results = buildResults(m_tabs);
  m_tabs->addTab(m_results, QStringLiteral("结果"));
  split->addWidget(m_plan);
  split->addWidget(m_tabs);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  v->addWidget(split, 1);

  m_bar = new widgets::RunBar(QStringLiteral("airPredictionCompute"), main);
  QPushButton* sheet = m_bar->sheetButton();
  v->addWidget(m_bar);
  QVBoxLayout* content = page.contentLayout();
  for (int i = content->count() - 1; i >= 0; --i)
    if (content->itemAt(i)->spacerItem()) delete content->takeAt(i);
  content->addWidget(main, 1);
  split->setSizes({600, 540});

  QObject::connect(m_bar->computeButton(), &QPushButton::clicked, main, [this] { compute(); });
  QObject::connect(m_bar->cancelButton(), &QPushButton::clicked, main, [this] { cancel(); });
  QObject::connect(sheet, &QPushButton::clicked, main,
                   [this] { app::exportSheet(*m_page, projectOf(m_page)); });
  QObject::connect(m_plan, &widgets::PlanView::pointPlaced, main,
                   [this](int t, double x, double y) { addPoint(t, x, y); });
  QObject::connect(m_plan, &widgets::PlanView::shapePlaced, main,
                   [this](int t, const std::vector<PlanPoint>& p) { addShape(t, p); });
  QObject::connect(
      m_plan, &widgets::PlanView::itemMoved, main,
      [this](widgets::PlanRef r, double dx, double dy) { moveItem(r.kind, r.index, dx, dy); });
  QObject::connect(m_plan, &widgets::PlanView::deleteRequested, main,
                   [this](widgets::PlanRef r) { removeItem(r.kind, r.index); });
  QObject::connect(m_plan, &widgets::PlanView::selectionChanged, main, [this](widgets::PlanRef r) {
    PasteTable* t = r.kind == KStack    ? m_stacks
                    : r.kind == KOther  ? m_others
                    : r.kind == KTarget ? m_targets
                                        : nullptr;
    if (!t) return;
    m_tabs->setCurrentWidget(t->parentWidget());
    t->selectRow(r.index);
  });
  m_plan->setLegendPainter([this](QPainter& p, const QRectF& box) {
    if (m_map_grid.nx < 2) return;
    const QString name = m_map_field->currentText();
    p.save();
    p.setPen(Qt::black);
    QFont f = p.font();
    f.setPixelSize(11);
    p.setFont(f);
    p.fillRect(QRectF(box.left(), box.top(), box.width(), 14 * 13.0), QColor(255, 255, 255, 220));
    p.drawText(QPointF(box.left() + 4, box.top() + 12), name);
    p.drawText(QPointF(box.left() + 4, box.top() + 25), QStringLiteral("µg/m³"));
    for (int k = 0; k < 10; ++k) {
      const double lo = static_cast<double>(m_map_grid.zmax) * k / 10.0;
      const QColor c = QColor::fromHsv(240 - 240 * k / 9, 217, 242);
      const QRectF sw(box.left() + 4, box.top() + 30 + 13 * k, 16, 11);
      p.fillRect(sw, c);
      p.drawText(QPointF(sw.right() + 4, sw.bottom()), QStringLiteral("≥ %1").arg(lo, 0, 'g', 3));
    }
    if (m_map_standard > 0) {
      p.setPen(QPen(Qt::red, 2));
      const double y = box.top() + 30 + 13 * 10 + 6;
      p.drawLine(QPointF(box.left() + 4, y), QPointF(box.left() + 20, y));
      p.setPen(Qt::black);
      p.drawText(QPointF(box.left() + 24, y + 4),
                 QStringLiteral("标准 %1").arg(m_map_standard, 0, 'g', 4));
    }
    p.restore();
  });
  refreshPlan();
}

void AirPredictionPageHook::buildToolBar(QWidget* parent, QBoxLayout* into) {
  auto* bar = new QHBoxLayout;
  struct ToolDef {
    const char* text;
    Tool tool;
    PlanDraw draws;
  };
  const ToolDef tools[] = {{"选择/移动", TSelect, PlanDraw::Select},
                           {"排气筒", TStack, PlanDraw::Point},
                           {"面源", TArea, PlanDraw::Polygon},
                           {"厂界", TBoundary, PlanDraw::Polygon},
                           {"保护目标", TTarget, PlanDraw::Point}};
  for (const auto& t : tools) {
    auto* b = new QToolButton(parent);
    b->setText(QString::fromUtf8(t.text));
    b->setObjectName(QStringLiteral("airTool%1").arg(static_cast<int>(t.tool)));
    b->setCheckable(true);
    b->setAutoExclusive(true);
    b->setChecked(t.tool == TSelect);
    b->setToolTip(t.draws == PlanDraw::Point ? QStringLiteral("在平面图上单击放置")
                  : t.draws == PlanDraw::Select
                      ? QStringLiteral("单击选中，拖动移动，Delete 删除；拖动空白处平移，滚轮缩放")
                      : QStringLiteral("逐点单击，双击结束"));
    const int tool = t.tool;
    const PlanDraw draws = t.draws;
    QObject::connect(b, &QToolButton::toggled, parent, [this, tool, draws](bool on) {
      if (on) m_plan->setTool(tool, draws);
    });
    bar->addWidget(b);
  }
  auto* fit = new QToolButton(parent);
  fit->setText(QStringLiteral("全图"));
  QObject::connect(fit, &QToolButton::clicked, parent, [this] { m_plan->fitAll(); });
  bar->addWidget(fit);
  bar->addStretch(1);
  auto* imp = new QPushButton(QStringLiteral("导入AERMOD输入文件"), parent);
  auto* exp = new QPushButton(QStringLiteral("导出AERMOD输入文件"), parent);
  QObject::connect(imp, &QPushButton::clicked, parent, [this] {
    const QString path =
        widgets::chooseOpenFile(m_page, QStringLiteral("导入AERMOD输入文件"), QString(),
                                QStringLiteral("AERMOD 输入文件 (*.inp *.INP);;所有文件(*)"));
    if (!path.isEmpty()) importDeck(path);
  });
  QObject::connect(exp, &QPushButton::clicked, parent, [this] {
    const QString dir =
        widgets::chooseSaveFile(m_page, QStringLiteral("导出AERMOD输入文件"),
                                QStringLiteral("aermod"), QStringLiteral("文件夹 (*)"));
    if (!dir.isEmpty()) exportDeck(dir);
  });
  bar->addWidget(imp);
  bar->addWidget(exp);
  into->addLayout(bar);
}

QWidget* AirPredictionPageHook::buildSettings(QWidget* parent) {
  auto* w = new QWidget(parent);
  auto* form = new QFormLayout(w);
  auto edit = [w, form](const char* name, const QString& label, const QString& value) {
    auto* e = new QLineEdit(value, w);
    e->setObjectName(QString::fromLatin1(name));
    form->addRow(label, e);
    return e;
  };
  auto* sfc = edit("surface", QStringLiteral("地面气象文件 (.SFC)"), QString());
  auto* pfl = edit("profile", QStringLiteral("廓线气象文件 (.PFL)"), QString());
  auto* choose = new QPushButton(QStringLiteral("选择气象文件…"), w);
  form->addRow(QString(), choose);
  m_met_label = new QLabel(QStringLiteral("未加载气象数据"), w);
  m_met_label->setWordWrap(true);
  form->addRow(QStringLiteral("气象数据"), m_met_label);
  m_grid_kind = new QComboBox(w);
  m_grid_kind->addItems(
      {QStringLiteral("HJ 2.2-2018 默认嵌套网格"), QStringLiteral("自定义矩形网格")});
  form->addRow(QStringLiteral("预测网格"), m_grid_kind);
  edit("half_width", QStringLiteral("网格范围（距源的半宽，m）"), QStringLiteral("2500"));
  edit("x0", QStringLiteral("自定义网格 X0 (m)"), QStringLiteral("-1000"));
  edit("y0", QStringLiteral("自定义网格 Y0 (m)"), QStringLiteral("-1000"));
  edit("x1", QStringLiteral("自定义网格 X1 (m)"), QStringLiteral("1000"));
  edit("y1", QStringLiteral("自定义网格 Y1 (m)"), QStringLiteral("1000"));
  edit("step", QStringLiteral("自定义网格间距 (m)"), QStringLiteral("100"));
  edit("pd_step", QStringLiteral("防护距离网格间距 (m)"), QStringLiteral("50"));
  edit("pd_margin", QStringLiteral("防护距离计算范围（厂界外，m）"), QStringLiteral("500"));
  edit("population", QStringLiteral("城市人口（0 为农村）"), QStringLiteral("0"));
  edit("roughness", QStringLiteral("城市粗糙度 (m)"), QStringLiteral("1"));
  m_grade = new QComboBox(w);
  m_grade->addItems({QStringLiteral("二类区（二级标准）"), QStringLiteral("一类区（一级标准）")});
  auto* fill = new QPushButton(QStringLiteral("按 GB 3095-2012 填入标准"), w);
  auto* row = new QHBoxLayout;
  row->addWidget(m_grade);
  row->addWidget(fill);
  form->addRow(QStringLiteral("网格所在功能区"), row);
  // The grid's frame follows the settings.
  for (QLineEdit* e : w->findChildren<QLineEdit*>())
    QObject::connect(e, &QLineEdit::editingFinished, w, [this] { refreshPlan(); });
  QObject::connect(m_grid_kind, &QComboBox::currentIndexChanged, w, [this] { refreshPlan(); });
  QObject::connect(choose, &QPushButton::clicked, w, [this, sfc, pfl] {
    const QString s =
        widgets::chooseOpenFile(m_page, QStringLiteral("选择地面气象文件"), QString(),
                                QStringLiteral("AERMET 地面文件 (*.sfc *.SFC);;所有文件(*)"));
    if (s.isEmpty()) return;
    QString p = QFileInfo(s).path() + QLatin1Char('/') + QFileInfo(s).completeBaseName() +
                QStringLiteral(".pfl");
    if (!QFileInfo::exists(p))
      p = widgets::chooseOpenFile(m_page, QStringLiteral("选择廓线气象文件"), QFileInfo(s).path(),
                                  QStringLiteral("AERMET 廓线文件 (*.pfl *.PFL);;所有文件(*)"));
    if (p.isEmpty()) return;
    sfc->setText(s);
    pfl->setText(p);
    loadMet(s, p);
  });
  QObject::connect(fill, &QPushButton::clicked, w, [this] {
    const bool first = m_grade->currentIndex() == 1;
    for (int r = 0; r < m_pollutants->rowCount(); ++r) {
      const ap::StandardRow* s = ap::findStandard(text(m_pollutants, r, PName).toStdString());
      if (!s) continue;
      const ap::Limits& l = first ? s->grade1 : s->grade2;
      auto put = [&](int c, double v) { setText(m_pollutants, r, c, v > 0 ? fmt(v) : QString()); };
      put(P1h, l.h1);
      put(P8h, l.h8);
      put(P24h, l.h24);
      put(PYear, l.annual);
      put(PPct, s->percentile);
    }
  });
  return w;
}

void AirPredictionPageHook::syncEmissionColumns() {
  QStringList names;
  for (int r = 0; r < m_pollutants->rowCount(); ++r) {
    const QString n = text(m_pollutants, r, PName);
    if (!n.isEmpty()) names << n;
  }
  if (names == m_pollutant_names) return;
  const bool was = m_filling;
  m_filling = true;
  for (PasteTable* t : {m_stacks, m_others}) {
    const int fixed = t == m_stacks ? static_cast<int>(SCols) : static_cast<int>(OCols);
    // Keep the rates by pollutant name.
    std::vector<std::map<QString, std::pair<QString, QString>>> keep(
        static_cast<size_t>(t->rowCount()));
    for (int r = 0; r < t->rowCount(); ++r)
      for (int i = 0; i < m_pollutant_names.size(); ++i)
        keep[static_cast<size_t>(r)][m_pollutant_names[i]] = {text(t, r, fixed + 2 * i),
                                                              text(t, r, fixed + 2 * i + 1)};
    t->setColumnCount(fixed + 2 * static_cast<int>(names.size()));
    for (int i = 0; i < names.size(); ++i) {
      for (int r = 0; r < t->rowCount(); ++r) {
        const auto& k = keep[static_cast<size_t>(r)];
        const auto it = k.find(names[i]);
        setText(t, r, fixed + 2 * i, it == k.end() ? QString() : it->second.first);
        setText(t, r, fixed + 2 * i + 1, it == k.end() ? QString() : it->second.second);
      }
    }
  }
  m_pollutant_names = names;
  m_filling = was;
  syncUnitHeaders();
}

void AirPredictionPageHook::syncUnitHeaders() {
  if (!m_rate_unit || !m_others) return;
  m_stacks->setHorizontalHeaderItem(
      STemp, new QTableWidgetItem(QStringLiteral("出口温度 (%1)").arg(m_temp_unit->currentText())));
  m_stacks->setHorizontalHeaderItem(
      SVel,
      new QTableWidgetItem(m_exit_unit->currentIndex() == 1 ? QStringLiteral("烟气量（工况，m³/h）")
                                                            : QStringLiteral("出口速度 (m/s)")));
  const QString unit = m_rate_unit->currentText();
  for (PasteTable* t : {m_stacks, m_others}) {
    const int fixed = t == m_stacks ? static_cast<int>(SCols) : static_cast<int>(OCols);
    for (int i = 0; i < m_pollutant_names.size(); ++i) {
      t->setHorizontalHeaderItem(
          fixed + 2 * i,
          new QTableWidgetItem(QStringLiteral("%1 正常 (%2)").arg(m_pollutant_names[i], unit)));
      t->setHorizontalHeaderItem(
          fixed + 2 * i + 1,
          new QTableWidgetItem(QStringLiteral("%1 非正常 (%2)").arg(m_pollutant_names[i], unit)));
    }
  }
}

std::optional<Inputs> AirPredictionPageHook::readInputs(QString* err) {
  syncEmissionColumns();
  Inputs in;
  ap::Plant& p = in.plant;
  const QString stacks = QStringLiteral("排气筒表"), others = QStringLiteral("面源/体源/线源表"),
                pols = QStringLiteral("污染物表"), tgts = QStringLiteral("保护目标表");
  // Pollutants first: the emission columns follow them.
  QStringList seen;
  for (int r = 0; r < m_pollutants->rowCount(); ++r) {
    if (rowEmpty(m_pollutants, r)) continue;
    ap::PollutantSpec s;
    s.name = text(m_pollutants, r, PName).toStdString();
    if (s.name.empty()) {
      *err = QStringLiteral("%1第 %2 行没有名称。").arg(pols).arg(r + 1);
      return std::nullopt;
    }
    if (seen.contains(q(s.name))) {
      *err = QStringLiteral("污染物“%1”出现了两次。").arg(q(s.name));
      return std::nullopt;
    }
    seen << q(s.name);
    if (!cellNumber(m_pollutants, pols, r, P1h, s.limits.h1, err, true) ||
        !cellNumber(m_pollutants, pols, r, P8h, s.limits.h8, err, true) ||
        !cellNumber(m_pollutants, pols, r, P24h, s.limits.h24, err, true) ||
        !cellNumber(m_pollutants, pols, r, PYear, s.limits.annual, err, true) ||
        !cellNumber(m_pollutants, pols, r, PPct, s.percentile, err, true) ||
        !cellNumber(m_pollutants, pols, r, PBgDay, s.bg_daily, err, true) ||
        !cellNumber(m_pollutants, pols, r, PBgYear, s.bg_annual, err, true))
      return std::nullopt;
    if (s.limits.h1 < 0 || s.limits.h8 < 0 || s.limits.h24 < 0 || s.limits.annual < 0 ||
        s.bg_daily < 0 || s.bg_annual < 0) {
      *err = QStringLiteral("污染物“%1”的标准和背景值不能为负。").arg(q(s.name));
      return std::nullopt;
    }
    if (s.hourly() <= 0) {
      *err = QStringLiteral("污染物“%1”没有任何标准值，请填入标准（或按 GB 3095-2012 填入）。")
                 .arg(q(s.name));
      return std::nullopt;
    }
    if (s.percentile < 0 || s.percentile > 100) {
      *err = QStringLiteral("污染物“%1”的保证率应在 0 到 100 之间。").arg(q(s.name));
      return std::nullopt;
    }
    s.bg_annual_given = !text(m_pollutants, r, PBgYear).isEmpty();
    const QString file = text(m_pollutants, r, PBgFile);
    if (!file.isEmpty()) {
      const QString path = QFileInfo(file).isRelative() && !projectDir().isEmpty()
                               ? QDir(projectDir()).filePath(file)
                               : file;
      std::string content;
      const core::FileRead read = core::readRegularFile(path.toStdString(), content);
      if (read.status != core::ReadStatus::Ok) {
        *err = QStringLiteral("污染物“%1”的%2")
                   .arg(q(s.name),
                        q(core::describeRead(read, path.toStdString(), "背景日均序列文件")));
        return std::nullopt;
      }
      s.bg_file = file.toStdString();
      const std::string e = ap::readBackgroundCsv(content, s.bg_file, s.bg_table);
      if (!e.empty()) {
        *err = q(e);
        return std::nullopt;
      }
    }
    p.pollutants.push_back(s);
  }
  const size_t np = p.pollutants.size();
  auto rates = [&](const QTableWidget* t, const QString& table, int r, int fixed, ap::Source& s) {
    for (size_t i = 0; i < np; ++i) {
      double n = 0, a = 0;
      if (!cellNumber(t, table, r, fixed + 2 * static_cast<int>(i), n, err, true) ||
          !cellNumber(t, table, r, fixed + 2 * static_cast<int>(i) + 1, a, err, true))
        return false;
      if (n < 0 || a < 0) {
        *err = QStringLiteral("%1“%2”的排放速率不能为负。").arg(table, q(s.name));
        return false;
      }
      s.normal.push_back(n);
      s.abnormal.push_back(a);
    }
    s.rate_unit = m_rate_unit->currentIndex() == 1 ? ap::RateUnit::KilogramsPerHour
                                                   : ap::RateUnit::GramsPerSecond;
    return true;
  };
  QStringList names;
  auto uniqueName = [&](const QString& table, int r, const std::string& n) {
    if (n.empty()) {
      *err = QStringLiteral("%1第 %2 行没有名称。").arg(table).arg(r + 1);
      return false;
    }
    if (names.contains(q(n))) {
      *err = QStringLiteral("源的名称“%1”重复。").arg(q(n));
      return false;
    }
    names << q(n);
    return true;
  };
  for (int r = 0; r < m_stacks->rowCount(); ++r) {
    if (rowEmpty(m_stacks, r)) continue;
    ap::Source s;
    s.name = text(m_stacks, r, SName).toStdString();
    if (!uniqueName(stacks, r, s.name)) return std::nullopt;
    ap::Point at;
    if (!cellNumber(m_stacks, stacks, r, SX, at.x, err) ||
        !cellNumber(m_stacks, stacks, r, SY, at.y, err) ||
        !cellNumber(m_stacks, stacks, r, SBase, s.base_m, err, true) ||
        !cellNumber(m_stacks, stacks, r, SHeight, s.height_m, err) ||
        !cellNumber(m_stacks, stacks, r, SDiam, s.diameter_m, err) ||
        !cellNumber(m_stacks, stacks, r, STemp, s.temp, err) ||
        !cellNumber(m_stacks, stacks, r, SVel, s.exit, err))
      return std::nullopt;
    s.temp_unit = m_temp_unit->currentIndex() == 1 ? ap::TempUnit::Celsius : ap::TempUnit::Kelvin;
    s.exit_unit = m_exit_unit->currentIndex() == 1 ? ap::ExitUnit::Flow : ap::ExitUnit::Velocity;
    s.at = {at};
    const QString n = q(s.name);
    const QString release = text(m_stacks, r, SRelease);
    s.release = release == QStringLiteral("加盖")   ? ap::Release::Capped
                : release == QStringLiteral("水平") ? ap::Release::Horizontal
                                                    : ap::Release::Vertical;
    if (!release.isEmpty() && release != QStringLiteral("竖直") &&
        s.release == ap::Release::Vertical)
      *err = QStringLiteral("排气筒“%1”的排放方式应为竖直、加盖或水平。").arg(n);
    else if (!(s.height_m > 0))
      *err = QStringLiteral("排气筒“%1”的高度必须大于 0。").arg(n);
    else if (!(s.diameter_m > 0))
      *err = QStringLiteral("排气筒“%1”的内径必须大于 0。").arg(n);
    else if (s.temp_unit == ap::TempUnit::Kelvin && (s.temp < 0 || (s.temp > 0 && s.temp < 200)))
      *err = QStringLiteral("排气筒“%1”的出口温度应为开尔文（K），不低于 200 K（0 表示环境温度）。")
                 .arg(n);
    else if (s.temp_unit == ap::TempUnit::Celsius && !(s.exitTempK() >= 200))
      *err = QStringLiteral("排气筒“%1”的出口温度应不低于 -73.15 °C。").arg(n);
    else if (s.exit < 0)
      *err = s.exit_unit == ap::ExitUnit::Flow
                 ? QStringLiteral("排气筒“%1”的烟气量不能为负。").arg(n)
                 : QStringLiteral("排气筒“%1”的出口速度不能为负。").arg(n);
    if (!err->isEmpty()) return std::nullopt;
    if (!rates(m_stacks, stacks, r, SCols, s)) return std::nullopt;
    p.sources.push_back(s);
  }
  for (int r = 0; r < m_others->rowCount(); ++r) {
    if (rowEmpty(m_others, r)) continue;
    ap::Source s;
    s.name = text(m_others, r, OName).toStdString();
    if (!uniqueName(others, r, s.name)) return std::nullopt;
    const QString kind = text(m_others, r, OKind);
    const QString n = q(s.name);
    s.kind = kind == QStringLiteral("体源")       ? ap::SourceKind::Volume
             : kind == QStringLiteral("线源")     ? ap::SourceKind::Line
             : kind == QStringLiteral("圆形面源") ? ap::SourceKind::Circle
                                                  : ap::SourceKind::Area;
    bool ok = false;
    s.at = parseCoords(text(m_others, r, OCoords), &ok);
    if (!ok) {
      *err = QStringLiteral("%1“%2”的坐标应写成“x y; x y; …”。").arg(others, n);
      return std::nullopt;
    }
    if (!cellNumber(m_others, others, r, OBase, s.base_m, err, true) ||
        !cellNumber(m_others, others, r, OHeight, s.height_m, err, true) ||
        !cellNumber(m_others, others, r, OSy, s.sigma_y, err, true) ||
        !cellNumber(m_others, others, r, OSz, s.sigma_z, err, true))
      return std::nullopt;
    s.width_m = s.sigma_y;
    const size_t need = s.kind == ap::SourceKind::Area ? 3 : s.kind == ap::SourceKind::Line ? 2 : 1;
    if (s.at.size() < need || (s.kind != ap::SourceKind::Area && s.at.size() != need))
      *err = QStringLiteral("%1“%2”需要 %3 个坐标点。").arg(kindText(s.kind), n).arg(need);
    else if (s.kind == ap::SourceKind::Area && ap::selfIntersecting(s.at))
      *err = QStringLiteral("面源“%1”的边界自相交。").arg(n);
    else if (s.height_m < 0)
      *err = QStringLiteral("%1“%2”的释放高度不能为负。").arg(kindText(s.kind), n);
    else if (s.kind == ap::SourceKind::Line && !(s.width_m > 0))
      *err = QStringLiteral("线源“%1”的线宽必须大于 0。").arg(n);
    else if (s.kind == ap::SourceKind::Circle && !(s.width_m > 0))
      *err = QStringLiteral("圆形面源“%1”的半径必须大于 0。").arg(n);
    if (!err->isEmpty()) return std::nullopt;
    if (!rates(m_others, others, r, OCols, s)) return std::nullopt;
    p.sources.push_back(s);
  }
  for (int r = 0; r < m_targets->rowCount(); ++r) {
    if (rowEmpty(m_targets, r)) continue;
    ap::TargetSpec t;
    t.name = text(m_targets, r, TName).toStdString();
    if (t.name.empty()) {
      *err = QStringLiteral("%1第 %2 行没有名称。").arg(tgts).arg(r + 1);
      return std::nullopt;
    }
    if (!cellNumber(m_targets, tgts, r, TX, t.at.x, err) ||
        !cellNumber(m_targets, tgts, r, TY, t.at.y, err) ||
        !cellNumber(m_targets, tgts, r, TH, t.height_m, err, true))
      return std::nullopt;
    if (t.height_m < 0) {
      *err = QStringLiteral("保护目标“%1”的离地高度不能为负。").arg(q(t.name));
      return std::nullopt;
    }
    const QString cls = text(m_targets, r, TClass);
    if (cls.isEmpty())
      t.grade = 0;
    else if (cls == QStringLiteral("一类") || cls == QStringLiteral("一类区"))
      t.grade = 1;
    else if (cls == QStringLiteral("二类") || cls == QStringLiteral("二类区"))
      t.grade = 2;
    else {
      *err = QStringLiteral("保护目标“%1”的功能区应为一类或二类（空白为网格所在的功能区）。")
                 .arg(q(t.name));
      return std::nullopt;
    }
    p.targets.push_back(t);
  }
  for (int r = 0; r < m_boundary->rowCount(); ++r) {
    if (rowEmpty(m_boundary, r)) continue;
    ap::Point pt;
    if (!cellNumber(m_boundary, QStringLiteral("厂界表"), r, 0, pt.x, err) ||
        !cellNumber(m_boundary, QStringLiteral("厂界表"), r, 1, pt.y, err))
      return std::nullopt;
    p.boundary.push_back(pt);
  }
  if (!p.boundary.empty() && p.boundary.size() < 3) {
    *err = QStringLiteral("厂界至少需要 3 个顶点。");
    return std::nullopt;
  }
  if (ap::selfIntersecting(p.boundary)) {
    *err = QStringLiteral("厂界自相交。");
    return std::nullopt;
  }
  // Settings.
  auto number = [&](const char* name, double& out, double lo, bool lo_open) {
    QLineEdit* e = setting(name);
    QString label;
    if (auto* form = qobject_cast<QFormLayout*>(m_settings->layout()))
      if (auto* l = qobject_cast<QLabel*>(form->labelForField(e))) label = l->text();
    bool ok = false;
    out = e->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(out)) {
      *err = QStringLiteral("“%1”不是数字。").arg(label);
      return false;
    }
    if (lo_open ? !(out > lo) : !(out >= lo)) {
      *err = QStringLiteral("“%1”必须%2 %3。")
                 .arg(label, lo_open ? QStringLiteral("大于") : QStringLiteral("不小于"))
                 .arg(lo);
      return false;
    }
    return true;
  };
  in.nested = m_grid_kind->currentIndex() == 0;
  if (!number("half_width", in.half_width_m, 0, true) || !number("x0", in.x0, -1e300, false) ||
      !number("y0", in.y0, -1e300, false) || !number("x1", in.x1, -1e300, false) ||
      !number("y1", in.y1, -1e300, false) || !number("step", in.step_m, 0, true) ||
      !number("pd_step", in.protection_step_m, 0, true) ||
      !number("pd_margin", in.protection_margin_m, 0, true) ||
      !number("population", p.urban_population, 0, false) ||
      !number("roughness", p.urban_roughness, 0, true))
    return std::nullopt;
  if (in.protection_step_m > 50) {
    *err = QStringLiteral("“防护距离网格间距 (m)”不应大于 50 m。");
    return std::nullopt;
  }
  if (!in.nested && !(in.x1 > in.x0 && in.y1 > in.y0)) {
    *err = QStringLiteral("自定义网格的 X1、Y1 必须大于 X0、Y0。");
    return std::nullopt;
  }
  // A grid of millions of receptors (sources far apart, a typing slip in a coordinate) would
  // exhaust the memory: refuse it with the extent named.
  if (in.nested) {
    double lo_x = 0, hi_x = 0, lo_y = 0, hi_y = 0;
    bool first = true;
    for (const auto& s : p.sources)
      for (const auto& a : s.at) {
        lo_x = first ? a.x : std::min(lo_x, a.x), hi_x = first ? a.x : std::max(hi_x, a.x);
        lo_y = first ? a.y : std::min(lo_y, a.y), hi_y = first ? a.y : std::max(hi_y, a.y);
        first = false;
      }
    if (hi_x - lo_x > 50000 || hi_y - lo_y > 50000) {
      *err =
          QStringLiteral("源的分布范围（%1 m × %2 m）超过 50 km，请检查源的坐标或改用自定义网格。")
              .arg(hi_x - lo_x, 0, 'f', 0)
              .arg(hi_y - lo_y, 0, 'f', 0);
      return std::nullopt;
    }
  } else if ((in.x1 - in.x0) / in.step_m * ((in.y1 - in.y0) / in.step_m) > 1e6) {
    *err = QStringLiteral("自定义网格的点数超过一百万，请加大间距或缩小范围。");
    return std::nullopt;
  }
  p.grid_grade = m_grade->currentIndex() == 1 ? 1 : 2;
  p.urban = p.urban_population > 0;
  p.surface_file = setting("surface")->text().trimmed().toStdString();
  p.profile_file = setting("profile")->text().trimmed().toStdString();
  return in;
}

ap::Plant AirPredictionPageHook::plantForRun(const Inputs& in) const {
  ap::Plant p = in.plant;
  std::vector<ap::Point> src;
  for (const auto& s : p.sources)
    for (const auto& a : s.at) src.push_back(a);
  if (in.nested) {
    if (!src.empty()) {
      // The 100 m block first (mapped), then the coarser rings beyond 5 km.
      double bx0 = src[0].x, by0 = src[0].y, bx1 = bx0, by1 = by0;
      for (const auto& a : src) {
        bx0 = std::min(bx0, a.x);
        by0 = std::min(by0, a.y);
        bx1 = std::max(bx1, a.x);
        by1 = std::max(by1, a.y);
      }
      const double inner = std::min(in.half_width_m, 5000.0);
      const double x0 = std::ceil((bx0 - inner) / 100) * 100,
                   y0 = std::ceil((by0 - inner) / 100) * 100;
      const double x1 = std::floor((bx1 + inner) / 100) * 100;
      const double y1 = std::floor((by1 + inner) / 100) * 100;
      p.grid = ap::regularGrid(x0, y0, x1, y1, 100);
      p.grid_nx = std::lround((x1 - x0) / 100) + 1;
      p.grid_ny = std::lround((y1 - y0) / 100) + 1;
      if (in.half_width_m > 5000)
        for (const ap::Point& g : ap::nestedGrid(src, in.half_width_m)) {
          const double dx = std::max({bx0 - g.x, 0.0, g.x - bx1});
          const double dy = std::max({by0 - g.y, 0.0, g.y - by1});
          if (std::max(dx, dy) > 5000) p.grid.push_back(g);
        }
    }
  } else {
    p.grid = ap::regularGrid(in.x0, in.y0, in.x1, in.y1, in.step_m);
    p.grid_nx = std::lround(std::floor((in.x1 - in.x0) / in.step_m + 1e-9)) + 1;
    p.grid_ny = std::lround(std::floor((in.y1 - in.y0) / in.step_m + 1e-9)) + 1;
  }
  if (p.boundary.size() >= 3)
    p.protection = ap::protectionCells(p.boundary, in.protection_step_m, in.protection_margin_m);
  return p;
}

void AirPredictionPageHook::refreshPlan() {
  if (!m_plan || m_filling) return;
  std::vector<PlanShape> shapes;
  auto plain = [](const QTableWidget* t, int r, int c) {
    bool ok = false;
    const double v = text(t, r, c).toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
  };
  for (int r = 0; r < m_stacks->rowCount(); ++r) {
    const auto x = plain(m_stacks, r, SX), y = plain(m_stacks, r, SY);
    if (!x || !y) continue;
    PlanShape s;
    s.ref = {KStack, r};
    s.points = {{*x, *y}};
    s.fill = QColor(220, 30, 30);
    s.square = true;
    s.label = text(m_stacks, r, SName);
    s.z = 20;
    shapes.push_back(s);
  }
  for (int r = 0; r < m_others->rowCount(); ++r) {
    bool ok = false;
    const auto pts = parseCoords(text(m_others, r, OCoords), &ok);
    if (!ok || pts.empty()) continue;
    PlanShape s;
    s.ref = {KOther, r};
    for (const auto& p : pts) s.points.push_back({p.x, p.y});
    s.label = text(m_others, r, OName);
    s.line = QColor(220, 30, 30);
    const QString kind = text(m_others, r, OKind);
    if (kind == QStringLiteral("圆形面源") && pts.size() == 1) {
      // The circle as a polygon of 36 sides, the radius in the σy/width column.
      const double radius = text(m_others, r, OSy).toDouble();
      if (radius > 0) {
        s.points.clear();
        for (int i = 0; i < 36; ++i) {
          const double t = 2 * std::acos(-1.0) * i / 36;
          s.points.push_back({pts[0].x + radius * std::cos(t), pts[0].y + radius * std::sin(t)});
        }
      }
      s.form = s.points.size() > 1 ? PlanShape::Form::Polygon : PlanShape::Form::Marker;
      s.fill = QColor(230, 60, 60, 70);
      s.width = 2;
      s.label_centre = true;
    } else if (kind == QStringLiteral("体源")) {
      s.form = PlanShape::Form::Marker;
      s.fill = QColor(240, 140, 40);
    } else if (kind == QStringLiteral("线源")) {
      s.form = PlanShape::Form::Polyline;
      s.width = 3;
      s.style = Qt::DashDotLine;
    } else {
      s.form = PlanShape::Form::Polygon;
      s.fill = QColor(230, 60, 60, 70);
      s.width = 2;
      s.label_centre = true;
    }
    shapes.push_back(s);
  }
  PlanShape ring;
  ring.form = PlanShape::Form::Polygon;
  ring.ref = {KBoundary, 0};
  ring.line = QColor(20, 20, 20);
  ring.width = 2;
  ring.style = Qt::DashLine;
  ring.label = QStringLiteral("厂界");
  ring.z = 4;
  for (int r = 0; r < m_boundary->rowCount(); ++r) {
    const auto x = plain(m_boundary, r, 0), y = plain(m_boundary, r, 1);
    if (x && y) ring.points.push_back({*x, *y});
  }
  if (ring.points.size() >= 2) shapes.push_back(ring);
  for (int r = 0; r < m_targets->rowCount(); ++r) {
    const auto x = plain(m_targets, r, TX), y = plain(m_targets, r, TY);
    if (!x || !y) continue;
    PlanShape s;
    s.ref = {KTarget, r};
    s.points = {{*x, *y}};
    s.fill = QColor(30, 110, 230);
    s.label = text(m_targets, r, TName);
    s.z = 21;
    shapes.push_back(s);
  }
  // The grid as a frame.
  QString err;
  const bool was = m_filling;
  if (const auto in = readInputs(&err)) {
    const ap::Plant p = plantForRun(*in);
    if (!p.grid.empty()) {
      PlanShape f;
      f.form = PlanShape::Form::Frame;
      double x0 = p.grid[0].x, y0 = p.grid[0].y, x1 = x0, y1 = y0;
      for (const auto& g : p.grid) {
        x0 = std::min(x0, g.x);
        y0 = std::min(y0, g.y);
        x1 = std::max(x1, g.x);
        y1 = std::max(y1, g.y);
      }
      f.points = {{x0, y0}, {x1, y1}};
      f.line = QColor(80, 80, 80);
      f.style = Qt::DashLine;
      f.z = 3;
      shapes.push_back(f);
    }
  }
  m_filling = was;
  m_plan->showShapes(shapes);
}

void AirPredictionPageHook::addPoint(int tool, double x, double y) {
  PasteTable* t = tool == TStack ? m_stacks : tool == TTarget ? m_targets : nullptr;
  if (!t) return;
  const QString prefix = tool == TStack ? QStringLiteral("P") : QStringLiteral("目标");
  QString name;
  for (int n = 1;; ++n) {
    name = prefix + QString::number(n);
    bool used = false;
    for (int r = 0; r < t->rowCount(); ++r) used = used || text(t, r, 0) == name;
    if (!used) break;
  }
  m_filling = true;
  const int r = t->rowCount();
  t->setRowCount(r + 1);
  setText(t, r, 0, name);
  setText(t, r, 1, fmt(std::round(x * 100) / 100));
  setText(t, r, 2, fmt(std::round(y * 100) / 100));
  if (tool == TStack) {
    setText(t, r, SBase, QStringLiteral("0"));
    setText(t, r, SHeight, QStringLiteral("30"));
    setText(t, r, SDiam, QStringLiteral("1"));
    setText(t, r, STemp,
            m_temp_unit->currentIndex() == 1 ? QStringLiteral("100") : QStringLiteral("373.15"));
    setText(t, r, SVel, QStringLiteral("10"));
    for (int c = SCols; c < t->columnCount(); c += 2) {
      setText(t, r, c, QStringLiteral("1"));
      setText(t, r, c + 1, QStringLiteral("0"));
    }
  } else {
    setText(t, r, TH, QStringLiteral("0"));
    setText(t, r, TClass, QStringLiteral("二类"));
  }
  m_filling = false;
  refreshPlan();
  m_plan->select({tool == TStack ? KStack : KTarget, r});
}

void AirPredictionPageHook::addShape(int tool, const std::vector<PlanPoint>& pts) {
  std::vector<ap::Point> ring;
  for (const auto& p : pts)
    ring.push_back({std::round(p.x * 100) / 100, std::round(p.y * 100) / 100});
  m_filling = true;
  if (tool == TBoundary) {
    m_boundary->setRowCount(static_cast<int>(ring.size()));
    for (int r = 0; r < static_cast<int>(ring.size()); ++r) {
      setText(m_boundary, r, 0, fmt(ring[static_cast<size_t>(r)].x));
      setText(m_boundary, r, 1, fmt(ring[static_cast<size_t>(r)].y));
    }
  } else if (tool == TArea) {
    const int r = m_others->rowCount();
    m_others->setRowCount(r + 1);
    setText(m_others, r, OName, QStringLiteral("A%1").arg(r + 1));
    setText(m_others, r, OKind, QStringLiteral("面源"));
    setText(m_others, r, OCoords, coordsText(ring));
    setText(m_others, r, OBase, QStringLiteral("0"));
    setText(m_others, r, OHeight, QStringLiteral("5"));
    for (int c = OCols; c < m_others->columnCount(); c += 2) {
      setText(m_others, r, c, QStringLiteral("0.1"));
      setText(m_others, r, c + 1, QStringLiteral("0"));
    }
  }
  m_filling = false;
  refreshPlan();
}

void AirPredictionPageHook::moveItem(int kind, int index, double dx, double dy) {
  m_filling = true;
  auto shift = [dx, dy](QTableWidget* t, int r, int cx, int cy) {
    setText(t, r, cx, fmt(text(t, r, cx).toDouble() + dx));
    setText(t, r, cy, fmt(text(t, r, cy).toDouble() + dy));
  };
  if (kind == KStack) shift(m_stacks, index, SX, SY);
  if (kind == KTarget) shift(m_targets, index, TX, TY);
  if (kind == KBoundary)
    for (int r = 0; r < m_boundary->rowCount(); ++r) shift(m_boundary, r, 0, 1);
  if (kind == KOther) {
    bool ok = false;
    auto pts = parseCoords(text(m_others, index, OCoords), &ok);
    for (auto& p : pts) p.x += dx, p.y += dy;
    if (ok) setText(m_others, index, OCoords, coordsText(pts));
  }
  m_filling = false;
  refreshPlan();
}

void AirPredictionPageHook::removeItem(int kind, int index) {
  if (kind == KStack) m_stacks->removeRow(index);
  if (kind == KOther) m_others->removeRow(index);
  if (kind == KTarget) m_targets->removeRow(index);
  if (kind == KBoundary) m_boundary->setRowCount(0);
  refreshPlan();
}

bool AirPredictionPageHook::loadMet(const QString& surface, const QString& profile) {
  const ap::MetSummary m = ap::readMetSummary(surface.toStdString(), profile.toStdString());
  if (!m.ok()) {
    m_met_label->setText(QStringLiteral("气象文件无法读取"));
    widgets::showMessage(m_page, QStringLiteral("气象文件无法读取：%1").arg(q(m.error)), kCaption);
    return false;
  }
  setting("surface")->setText(surface);
  setting("profile")->setText(profile);
  m_met_label->setText(metText(m));
  return true;
}

bool AirPredictionPageHook::handleAction(CalculatorPage&, const std::string& action) {
  if (action != "compute") return false;
  compute();
  return true;
}

QString AirPredictionPageHook::projectDir() const {
  const QString project = m_page ? projectOf(m_page) : QString();
  return project.isEmpty() ? QString() : QFileInfo(project).absolutePath();
}

}  // namespace app
