#include "app/pages/noise/noise_map/scene_tables.h"

#include <QLocale>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "present/table_copy.h"

namespace app::noisemap {

namespace {

enum { SName, SKind, SX, SY, SH, SEmission, SDay, SNight, SCols };

// In full: the table is read back into the scene, and projected coordinates reach 4e7 m.
QString num(double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); }
QString opt(const std::optional<double>& v) { return v ? num(*v) : QString(); }

// The kind of a source; a level per metre or per square metre is named with it.
QString kindText(const prop::Source& s) {
  switch (s.kind) {
    case prop::SourceKind::Line:
      return s.emission.per_unit ? QStringLiteral("线声源 (每米)") : QStringLiteral("线声源");
    case prop::SourceKind::Area:
      return s.emission.per_unit ? QStringLiteral("面声源 (每m²)") : QStringLiteral("面声源");
    case prop::SourceKind::Point: break;
  }
  return QStringLiteral("点声源");
}

QString emissionText(const prop::Emission& e) {
  switch (e.kind) {
    case prop::Emission::Kind::Lwa: return num(e.lwa_db);
    case prop::Emission::Kind::Spectrum: return QString::fromStdString(e.spectrum);
    case prop::Emission::Kind::Levels: {
      QStringList parts;
      for (double v : e.lw) parts << num(v);
      return parts.join(QLatin1Char(' '));
    }
  }
  return {};
}

// A number of a cell; nullopt when the cell is empty or holds no number.
std::optional<double> cellNumber(const QTableWidget* t, int row, int col) {
  const QTableWidgetItem* it = t->item(row, col);
  if (!it) return std::nullopt;
  bool ok = false;
  const double v = it->text().trimmed().toDouble(&ok);
  if (!ok) return std::nullopt;
  return v;
}

// Columns as wide as their header and their widest cell, measured by the table's own font (the
// view's size hints are not ready while its tab is hidden).
void fitColumns(QTableWidget* t) {
  const QFontMetrics fm(t->font());
  const QFontMetrics hm(t->horizontalHeader()->font());
  for (int c = 0; c < t->columnCount(); ++c) {
    const QTableWidgetItem* h = t->horizontalHeaderItem(c);
    int w = h ? hm.horizontalAdvance(h->text()) + 20 : 40;
    for (int r = 0; r < t->rowCount(); ++r)
      if (const QTableWidgetItem* it = t->item(r, c))
        w = std::max(w, fm.horizontalAdvance(it->text()) + 16);
    if (t->cellWidget(0, c)) w = std::max(w, t->cellWidget(0, c)->sizeHint().width());
    t->setColumnWidth(c, std::min(w, 320));
  }
}

QString cellText(const QTableWidget* t, int row, int col) {
  const QTableWidgetItem* it = t->item(row, col);
  return it ? it->text().trimmed() : QString();
}

bool cellChecked(const QTableWidget* t, int row, int col) {  // a check box cell
  const QTableWidgetItem* it = t->item(row, col);
  return it && it->checkState() == Qt::Checked;
}

// The item a row stands for: rows below `shown` are the items shown; a row after them is a new
// item when one of its `keys` cells is filled, counted among the filled rows after them.
// nullopt: no item (an empty row, or an item the scene no longer has).
std::optional<size_t> itemOfRow(const QTableWidget* t, int row, int shown, size_t items,
                                std::initializer_list<int> keys) {
  auto filled = [&](int r) {
    for (int c : keys)
      if (!cellText(t, r, c).isEmpty()) return true;
    return false;
  };
  if (row < shown) {
    const auto i = static_cast<size_t>(row);
    return i < items ? std::optional<size_t>(i) : std::nullopt;
  }
  if (!filled(row)) return std::nullopt;
  auto i = static_cast<size_t>(shown);
  for (int r = shown; r < row; ++r)
    if (filled(r)) ++i;
  return i <= items ? std::optional<size_t>(i) : std::nullopt;
}

// Corners of a polygon as the other polygon tables write them: "x y; x y; …".
QString cornersText(const std::vector<prop::Point2>& pts) {
  QStringList parts;
  for (const auto& p : pts) parts << num(p.x) + QLatin1Char(' ') + num(p.y);
  return parts.join(QStringLiteral("; "));
}

// The corners of a cell; nullopt when a pair is not two numbers (commas may part x and y).
std::optional<std::vector<prop::Point2>> parseCorners(const QString& text) {
  std::vector<prop::Point2> out;
  for (const QString& pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const QStringList xy =
        QString(pair).replace(QLatin1Char(','), QLatin1Char(' ')).simplified().split(' ');
    bool a = false, b = false;
    if (xy.size() != 2) return std::nullopt;
    out.push_back({xy[0].toDouble(&a), xy[1].toDouble(&b)});
    if (!a || !b) return std::nullopt;
  }
  return out;
}

// Absorption as one value when the bands are equal, else the eight band values.
QString alphaText(const std::optional<prop::Bands>& a) {
  if (!a) return {};
  if (std::all_of(a->begin(), a->end(), [&](double v) { return v == a->front(); }))
    return num(a->front());
  QStringList parts;
  for (double v : *a) parts << num(v);
  return parts.join(QLatin1Char(' '));
}

// One value for every band or eight band values; empty: the default; nullopt in `ok` when the
// cell holds anything else.
std::optional<prop::Bands> parseAlpha(const QString& text, bool* ok) {
  const QStringList parts = QString(text)
                                .replace(QLatin1Char(','), QLatin1Char(' '))
                                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
  *ok = true;
  if (parts.isEmpty()) return std::nullopt;
  prop::Bands b{};
  if (parts.size() != 1 && parts.size() != prop::kBands) {
    *ok = false;
    return std::nullopt;
  }
  for (int k = 0; k < prop::kBands; ++k) {
    bool one = false;
    b[static_cast<size_t>(k)] = parts[parts.size() == 1 ? 0 : k].toDouble(&one);
    *ok = *ok && one;
  }
  if (!*ok) return std::nullopt;
  return b;
}

// A yes/no cell: its check box, or in a row pasted past the items its text ("是", "1", "true");
// an empty one keeps `fallback`.
bool cellFlag(const QTableWidget* t, int row, int col, bool fallback) {
  const QTableWidgetItem* it = t->item(row, col);
  if (!it) return fallback;
  if (it->data(Qt::CheckStateRole).isValid()) return it->checkState() == Qt::Checked;
  const QString v = it->text().trimmed();
  if (v.isEmpty()) return fallback;
  return v == QStringLiteral("是") || v == QStringLiteral("1") ||
         v.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

// A check box cell (a paste sets it from "是"/"否").
QTableWidgetItem* checkItem(bool on) {
  auto* it = new QTableWidgetItem;
  it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEditable |
               Qt::ItemIsSelectable);
  it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  return it;
}

}  // namespace

SceneTables::SceneTables(QWidget* parent) : QTabWidget(parent) {
  m_sources = addTable(QStringLiteral("声源"),
                       {QStringLiteral("名称"), QStringLiteral("类型"), QStringLiteral("X (m)"),
                        QStringLiteral("Y (m)"), QStringLiteral("高度 (m)"),
                        QStringLiteral("声功率级 LwA / 频谱编号 / 8个频带"),
                        QStringLiteral("昼间运行 (h)"), QStringLiteral("夜间运行 (h)")});
  m_spectra = addTable(
      QStringLiteral("频谱"),
      {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("类型"), QStringLiteral("63"),
       QStringLiteral("125"), QStringLiteral("250"), QStringLiteral("500"), QStringLiteral("1000"),
       QStringLiteral("2000"), QStringLiteral("4000"), QStringLiteral("8000")});
  // A barrier needs its line: it is drawn on the plan, never added as an empty row.
  m_barriers = addTable(QStringLiteral("声屏障"),
                        {QStringLiteral("名称"), QStringLiteral("高度 (m)"), QStringLiteral("反射"),
                         QStringLiteral("吸声系数 α")},
                        RowButtons::DeleteOnly);
  // A building is drawn on the plan or given by its corners in a row.
  m_buildings = addTable(
      QStringLiteral("建筑物"),
      {QStringLiteral("名称"), QStringLiteral("角点 (x y; x y; …)"), QStringLiteral("高度 h (m)"),
       QStringLiteral("屋顶高程 (m)"), QStringLiteral("反射"), QStringLiteral("吸声系数 α")});
  m_barriers->horizontalHeaderItem(BAlpha)->setToolTip(
      QStringLiteral("一个数用于各频带，或 8 个频带的值（63～8000 Hz）；空：0（硬墙面）"));
  m_buildings->horizontalHeaderItem(DAlpha)->setToolTip(QStringLiteral(
      "一个数用于各频带，或 8 个频带的值（63～8000 Hz）；空：0.2（有窗的建筑墙面）"));
  m_buildings->horizontalHeaderItem(DHeight)->setToolTip(
      QStringLiteral("屋顶高出地面的高度；与屋顶高程只填一个"));
  m_receptors =
      addTable(QStringLiteral("预测点"),
               {QStringLiteral("名称"), QStringLiteral("X (m)"), QStringLiteral("Y (m)"),
                QStringLiteral("高度 (m)"), QStringLiteral("厂界"), QStringLiteral("功能区"),
                QStringLiteral("昼间背景"), QStringLiteral("夜间背景"), QStringLiteral("昼间标准"),
                QStringLiteral("夜间标准")});
  m_settings = addTable(QStringLiteral("设置"), {QStringLiteral("参数"), QStringLiteral("数值")},
                        RowButtons::None);
  m_settings->setRowCount(SettingRows);
  const QStringList labels = {QStringLiteral("气温 (℃)"),
                              QStringLiteral("相对湿度 (%)"),
                              QStringLiteral("大气压 (kPa)"),
                              QStringLiteral("默认地面因子 G"),
                              QStringLiteral("气象修正 C0 (dB)"),
                              QStringLiteral("声屏障侧向绕射"),
                              QStringLiteral("网格间距 (m)"),
                              QStringLiteral("网格高度 (m)"),
                              QStringLiteral("反射")};
  for (int r = 0; r < SettingRows; ++r) {
    auto* l = new QTableWidgetItem(labels[r]);
    l->setFlags(Qt::ItemIsEnabled);
    m_settings->setItem(r, 0, l);
  }
  connect(m_receptors, &PasteTable::rowsAdded, this, [this] { ensureReceptorCombos(); });
  // The settings are a fixed list: rows pasted past it are dropped.
  connect(m_settings, &PasteTable::rowsAdded, this, [this] {
    const QSignalBlocker block(m_settings);
    m_settings->setRowCount(SettingRows);
  });
}

PasteTable* SceneTables::addTable(const QString& title, const QStringList& headers,
                                  RowButtons buttons) {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(2, 2, 2, 2);
  auto* t = new PasteTable(0, static_cast<int>(headers.size()), page);
  t->setObjectName(title);
  t->setHorizontalHeaderLabels(headers);
  t->verticalHeader()->setDefaultSectionSize(22);
  t->setSelectionMode(QAbstractItemView::ExtendedSelection);
  v->addWidget(t, 1);
  auto* bar = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("添加行"), page);
  auto* del = new QPushButton(QStringLiteral("删除行"), page);
  bar->addWidget(add);
  bar->addWidget(del);
  add->setVisible(buttons == RowButtons::AddAndDelete);
  del->setVisible(buttons != RowButtons::None);
  bar->addWidget(new QLabel(buttons == RowButtons::None ? QStringLiteral("Ctrl+V 粘贴 Excel 数值")
                                                        : QStringLiteral("Ctrl+V 粘贴 Excel 行"),
                            page));
  bar->addStretch(1);
  v->addLayout(bar);
  addTab(page, title);
  connect(add, &QPushButton::clicked, this, [this, t] {
    t->setRowCount(t->rowCount() + 1);
    if (t == m_receptors) ensureReceptorCombos();
  });
  connect(del, &QPushButton::clicked, this, [this, t] {
    const int row = t->currentRow();
    if (row < 0) return;
    ItemRef r;
    if (t == m_sources) r = {ItemKind::Source, row};
    if (t == m_barriers) r = {ItemKind::Barrier, row};
    if (t == m_buildings) r = {ItemKind::Building, row};
    if (t == m_receptors) r = {ItemKind::Receptor, row};
    if (t == m_spectra) {
      t->removeRow(row);
      emit edited();
      return;
    }
    if (r.valid()) emit deleteRequested(r);
  });
  connect(t, &QTableWidget::itemChanged, this, [this] {
    if (!m_filling) emit edited();
  });
  connect(t, &PasteTable::pasted, this, [this, t] {
    fitColumns(t);  // pasted names and numbers show whole
    if (!m_filling) emit edited();
  });
  connect(t, &QTableWidget::currentCellChanged, this, [this, t](int row) {
    if (m_filling || row < 0) return;
    if (t == m_sources) emit itemPicked({ItemKind::Source, row});
    if (t == m_barriers) emit itemPicked({ItemKind::Barrier, row});
    if (t == m_buildings) emit itemPicked({ItemKind::Building, row});
    if (t == m_receptors) emit itemPicked({ItemKind::Receptor, row});
  });
  return t;
}

void SceneTables::setRow(PasteTable* t, int row, const QStringList& cells) {
  for (int c = 0; c < cells.size() && c < t->columnCount(); ++c) {
    QTableWidgetItem* it = t->item(row, c);
    if (!it) {
      it = new QTableWidgetItem;
      t->setItem(row, c, it);
    }
    it->setText(cells[c]);
  }
}

void SceneTables::showScene(const prop::Scene& s, const GridSettings& grid) {
  m_filling = true;
  m_shown_sources = static_cast<int>(s.sources.size());
  m_shown_buildings = static_cast<int>(s.buildings.size());
  m_shown_receptors = static_cast<int>(s.receptors.size());
  m_sources->setRowCount(static_cast<int>(s.sources.size()));
  for (int i = 0; i < m_sources->rowCount(); ++i) {
    const auto& src = s.sources[static_cast<size_t>(i)];
    const prop::Point2 at = src.geometry.empty() ? prop::Point2{} : src.geometry.front();
    setRow(m_sources, i,
           {QString::fromStdString(src.name), kindText(src), num(at.x), num(at.y), num(src.h_m),
            emissionText(src.emission), num(src.hours_day), num(src.hours_night)});
    m_sources->item(i, SKind)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  m_spectra->setRowCount(static_cast<int>(s.spectra.size()));
  for (int i = 0; i < m_spectra->rowCount(); ++i) {
    const auto& sp = s.spectra[static_cast<size_t>(i)];
    QStringList cells = {
        QString::fromStdString(sp.id), QString::fromStdString(sp.name),
        sp.kind == prop::Spectrum::Kind::TL ? QStringLiteral("TL") : QStringLiteral("Lw")};
    for (double v : sp.values) cells << num(v);
    setRow(m_spectra, i, cells);
  }
  m_barriers->setRowCount(static_cast<int>(s.barriers.size()));
  for (int i = 0; i < m_barriers->rowCount(); ++i) {
    const auto& b = s.barriers[static_cast<size_t>(i)];
    setRow(m_barriers, i,
           {QString::fromStdString(b.name), b.h_m ? num(*b.h_m) : QString(), QString(),
            alphaText(b.alpha)});
    if (!b.h_m) m_barriers->item(i, BHeight)->setFlags(Qt::ItemIsEnabled);  // top per vertex
    m_barriers->setItem(i, BReflective, checkItem(b.reflective));
  }
  m_buildings->setRowCount(static_cast<int>(s.buildings.size()));
  for (int i = 0; i < m_buildings->rowCount(); ++i) {
    const auto& b = s.buildings[static_cast<size_t>(i)];
    setRow(m_buildings, i,
           {QString::fromStdString(b.name), cornersText(b.footprint), opt(b.h_m), opt(b.top_z),
            QString(), alphaText(b.alpha)});
    m_buildings->setItem(i, DReflective, checkItem(b.reflective));
  }
  m_receptors->setRowCount(static_cast<int>(s.receptors.size()));
  for (int i = 0; i < m_receptors->rowCount(); ++i) {
    const auto& r = s.receptors[static_cast<size_t>(i)];
    setRow(
        m_receptors, i,
        {QString::fromStdString(r.name), num(r.at.x), num(r.at.y), num(r.h_m), QString(), QString(),
         opt(r.background_day), opt(r.background_night), opt(r.limit_day), opt(r.limit_night)});
    QTableWidgetItem* b = m_receptors->item(i, RBoundary);
    b->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEditable |
                Qt::ItemIsSelectable);
    b->setCheckState(r.boundary ? Qt::Checked : Qt::Unchecked);
  }
  ensureReceptorCombos();
  for (PasteTable* t : {m_sources, m_spectra, m_barriers, m_buildings, m_receptors, m_settings})
    fitColumns(t);
  // The class whose limits the receptor has, if any.
  for (int i = 0; i < m_receptors->rowCount(); ++i) {
    const auto& r = s.receptors[static_cast<size_t>(i)];
    auto* combo = qobject_cast<QComboBox*>(m_receptors->cellWidget(i, RClass));
    int found = 0;
    for (int k = 0; k < 6; ++k)
      if (r.limit_day == kFunctionClasses[k].day && r.limit_night == kFunctionClasses[k].night)
        found = k + 1;
    if (combo) {
      const QSignalBlocker block(combo);
      combo->setCurrentIndex(found);
    }
  }
  const auto& st = s.settings;
  const double values[] = {st.temperature_c, st.humidity_pct, st.pressure_kpa,
                           st.ground_g,      st.c0_db,        0,
                           grid.spacing_m,   grid.h_m,        0};
  for (int r = 0; r < SettingRows; ++r) {
    QTableWidgetItem* it = m_settings->item(r, 1);
    if (!it) {
      it = new QTableWidgetItem;
      m_settings->setItem(r, 1, it);
    }
    if (r == SettingLateral || r == SettingReflection) {
      const bool on = r == SettingLateral ? st.lateral_diffraction : st.reflection_order > 0;
      it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
      it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
      it->setText(r == SettingLateral ? QStringLiteral("计算绕过两端")
                                      : QStringLiteral("计算建筑物墙面和反射声屏障的一阶反射"));
    } else {
      it->setText(num(values[r]));
    }
  }
  m_filling = false;
}

void SceneTables::ensureReceptorCombos() {
  for (int i = 0; i < m_receptors->rowCount(); ++i) {
    if (m_receptors->cellWidget(i, RClass)) continue;
    auto* combo = new QComboBox(m_receptors);
    combo->addItem(QString());
    for (const auto& c : kFunctionClasses)
      combo->addItem(QStringLiteral("%1类").arg(QLatin1String(c.name)));
    m_receptors->setCellWidget(i, RClass, combo);
    connect(combo, &QComboBox::activated, this, [this, combo](int index) {
      for (int r = 0; r < m_receptors->rowCount(); ++r)
        if (m_receptors->cellWidget(r, RClass) == combo) setReceptorClass(r, index - 1);
    });
    if (!m_receptors->item(i, RBoundary)) {
      auto* b = new QTableWidgetItem;
      b->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEditable |
                  Qt::ItemIsSelectable);
      b->setCheckState(Qt::Unchecked);
      const bool was = m_filling;
      m_filling = true;
      m_receptors->setItem(i, RBoundary, b);
      m_filling = was;
    }
  }
}

void SceneTables::setReceptorClass(int row, int cls) {
  if (row < 0 || row >= m_receptors->rowCount()) return;
  if (auto* combo = qobject_cast<QComboBox*>(m_receptors->cellWidget(row, RClass))) {
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(cls + 1);
  }
  if (cls < 0 || cls >= 6) return;
  m_filling = true;
  setRow(m_receptors, row,
         {cellText(m_receptors, row, RName), cellText(m_receptors, row, RX),
          cellText(m_receptors, row, RY), cellText(m_receptors, row, RH),
          m_receptors->item(row, RBoundary) ? m_receptors->item(row, RBoundary)->text() : QString(),
          QString(), cellText(m_receptors, row, RBgDay), cellText(m_receptors, row, RBgNight),
          num(kFunctionClasses[cls].day), num(kFunctionClasses[cls].night)});
  m_filling = false;
  emit edited();
}

void SceneTables::readInto(prop::Scene& s, GridSettings& grid, QString* error) const {
  QString first;
  auto number = [&](const QTableWidget* t, int row, int col, double& into) {
    if (const auto v = cellNumber(t, row, col)) {
      into = *v;
    } else if (first.isEmpty()) {
      first = QStringLiteral("“%1”表第 %2 行“%3”列不是数字。")
                  .arg(tabText(indexOf(t->parentWidget())))
                  .arg(row + 1)
                  .arg(t->horizontalHeaderItem(col)->text());
    }
  };
  auto optional = [&](const QTableWidget* t, int row, int col, std::optional<double>& into) {
    if (cellText(t, row, col).isEmpty())
      into.reset();
    else {
      double v = into.value_or(0);
      number(t, row, col, v);
      into = v;
    }
  };

  // Each row shown for an item is that item; each filled row added after them is a new item, in
  // order, whatever empty rows lie between (the rows and items stay matched while typing).
  for (int i = 0; i < m_sources->rowCount(); ++i) {
    const std::optional<size_t> item =
        itemOfRow(m_sources, i, m_shown_sources, s.sources.size(), {SX, SY});
    if (!item) continue;
    if (*item == s.sources.size()) {
      prop::Source src;
      src.geometry = {{0, 0}};
      src.emission.kind = prop::Emission::Kind::Lwa;
      src.emission.lwa_db = 90;
      s.sources.push_back(src);
    }
    prop::Source& src = s.sources[*item];
    src.name = cellText(m_sources, i, SName).toStdString();
    prop::Point2 at = src.geometry.empty() ? prop::Point2{} : src.geometry.front();
    const prop::Point2 was = at;
    number(m_sources, i, SX, at.x);
    number(m_sources, i, SY, at.y);
    for (auto& p : src.geometry) {
      p.x += at.x - was.x;
      p.y += at.y - was.y;
    }
    number(m_sources, i, SH, src.h_m);
    number(m_sources, i, SDay, src.hours_day);
    number(m_sources, i, SNight, src.hours_night);
    const QString e = cellText(m_sources, i, SEmission);
    const QStringList parts = QString(e)
                                  .replace(QLatin1Char(','), QLatin1Char(' '))
                                  .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool ok = false;
    const double one = e.toDouble(&ok);
    if (ok) {
      src.emission.kind = prop::Emission::Kind::Lwa;
      src.emission.lwa_db = one;
    } else if (parts.size() == 8) {
      prop::Bands b{};
      bool all = true;
      for (int k = 0; k < 8; ++k)
        b[static_cast<size_t>(k)] = parts[k].toDouble(&ok), all = all && ok;
      if (all) {
        src.emission.kind = prop::Emission::Kind::Levels;
        src.emission.lw = b;
      }
    } else if (!e.isEmpty()) {
      src.emission.kind = prop::Emission::Kind::Spectrum;
      src.emission.spectrum = e.toStdString();
    }
  }

  std::vector<prop::Spectrum> spectra;
  for (int i = 0; i < m_spectra->rowCount(); ++i) {
    if (cellText(m_spectra, i, 0).isEmpty()) continue;
    prop::Spectrum sp;
    sp.id = cellText(m_spectra, i, 0).toStdString();
    sp.name = cellText(m_spectra, i, 1).toStdString();
    sp.kind = cellText(m_spectra, i, 2).compare(QStringLiteral("TL"), Qt::CaseInsensitive) == 0
                  ? prop::Spectrum::Kind::TL
                  : prop::Spectrum::Kind::Lw;
    for (int k = 0; k < 8; ++k) number(m_spectra, i, 3 + k, sp.values[static_cast<size_t>(k)]);
    spectra.push_back(sp);
  }
  s.spectra = std::move(spectra);

  // Absorption: one value or eight; anything else keeps the old value and is named.
  auto alpha = [&](const QTableWidget* t, int row, int col, std::optional<prop::Bands>& into) {
    bool ok = false;
    const auto a = parseAlpha(cellText(t, row, col), &ok);
    if (ok)
      into = a;
    else if (first.isEmpty())
      first = QStringLiteral("“%1”表第 %2 行“%3”列应为 1 个数或 8 个频带的数。")
                  .arg(tabText(indexOf(t->parentWidget())))
                  .arg(row + 1)
                  .arg(t->horizontalHeaderItem(col)->text());
  };

  for (int i = 0; i < m_barriers->rowCount() && static_cast<size_t>(i) < s.barriers.size(); ++i) {
    auto& b = s.barriers[static_cast<size_t>(i)];
    b.name = cellText(m_barriers, i, BName).toStdString();
    if (b.h_m) number(m_barriers, i, BHeight, *b.h_m);
    b.reflective = cellFlag(m_barriers, i, BReflective, b.reflective);
    alpha(m_barriers, i, BAlpha, b.alpha);
  }

  for (int i = 0; i < m_buildings->rowCount(); ++i) {
    const std::optional<size_t> item =
        itemOfRow(m_buildings, i, m_shown_buildings, s.buildings.size(), {DCorners});
    if (!item) continue;
    if (*item == s.buildings.size()) {
      prop::Building b;
      b.h_m = 10;
      s.buildings.push_back(b);
    }
    const QString corners = cellText(m_buildings, i, DCorners);
    auto& b = s.buildings[*item];
    b.name = cellText(m_buildings, i, DName).toStdString();
    if (const auto pts = parseCorners(corners); pts && !pts->empty())
      b.footprint = *pts;
    else if (first.isEmpty())
      first = QStringLiteral("“建筑物”表第 %1 行的角点应写成“x y; x y; …”。").arg(i + 1);
    optional(m_buildings, i, DHeight, b.h_m);
    optional(m_buildings, i, DTopZ, b.top_z);
    b.reflective = cellFlag(m_buildings, i, DReflective, b.reflective);
    alpha(m_buildings, i, DAlpha, b.alpha);
  }

  for (int i = 0; i < m_receptors->rowCount(); ++i) {
    const std::optional<size_t> item =
        itemOfRow(m_receptors, i, m_shown_receptors, s.receptors.size(), {RX, RY});
    if (!item) continue;
    if (*item == s.receptors.size()) s.receptors.push_back({});
    auto& r = s.receptors[*item];
    r.name = cellText(m_receptors, i, RName).toStdString();
    number(m_receptors, i, RX, r.at.x);
    number(m_receptors, i, RY, r.at.y);
    number(m_receptors, i, RH, r.h_m);
    r.boundary = cellChecked(m_receptors, i, RBoundary);
    optional(m_receptors, i, RBgDay, r.background_day);
    optional(m_receptors, i, RBgNight, r.background_night);
    optional(m_receptors, i, RLimDay, r.limit_day);
    optional(m_receptors, i, RLimNight, r.limit_night);
  }

  auto& st = s.settings;
  number(m_settings, SettingTemp, 1, st.temperature_c);
  number(m_settings, SettingHumidity, 1, st.humidity_pct);
  number(m_settings, SettingPressure, 1, st.pressure_kpa);
  number(m_settings, SettingG, 1, st.ground_g);
  number(m_settings, SettingC0, 1, st.c0_db);
  st.lateral_diffraction = cellChecked(m_settings, SettingLateral, 1);
  st.reflection_order = cellChecked(m_settings, SettingReflection, 1) ? 1 : 0;
  number(m_settings, SettingSpacing, 1, grid.spacing_m);
  number(m_settings, SettingGridH, 1, grid.h_m);
  if (error) *error = first;
}

void SceneTables::selectItem(ItemRef r) {
  PasteTable* t = nullptr;
  int tab = -1;
  if (r.kind == ItemKind::Source) t = m_sources, tab = SourcesTab;
  if (r.kind == ItemKind::Barrier) t = m_barriers, tab = BarriersTab;
  if (r.kind == ItemKind::Building) t = m_buildings, tab = BuildingsTab;
  if (r.kind == ItemKind::Receptor) t = m_receptors, tab = ReceptorsTab;
  if (!t || r.index >= t->rowCount()) return;
  m_filling = true;
  setCurrentIndex(tab);
  t->selectRow(r.index);
  m_filling = false;
}

}  // namespace app::noisemap
