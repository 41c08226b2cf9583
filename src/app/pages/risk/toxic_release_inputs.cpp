#include "app/pages/risk/toxic_release_inputs.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <set>

#include "app/pages/risk/toxic_release_page.h"
#include "core/format.h"
#include "core/parse.h"
#include "widgets/paste_table.h"
#include "widgets/prompts.h"

namespace app::toxic {

using models::risk::Substance;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::optional<double> number(const QString& text) {
  const auto p = core::parseNumber(text.toStdString());
  if (!p.ok() || !std::isfinite(p.value)) return std::nullopt;
  return p.value;
}

enum ReceptorColumn { RName, RX, RY, RZ, RColumns };

}  // namespace

ReceptorTable::ReceptorTable(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("receptorTable"));
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  m_table = new widgets::PasteTable(0, RColumns, this);
  m_table->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("X (m)"),
                                      QStringLiteral("Y (m)"), QStringLiteral("高度 (m)")});
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  m_table->verticalHeader()->setDefaultSectionSize(22);
  m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_table->setMinimumHeight(130);
  m_table->setToolTip(
      QStringLiteral("可从表格软件复制多行（名称、X、Y、高度，以制表符分隔）后按Ctrl+V粘贴"));
  lay->addWidget(m_table);
  auto* bar = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("添加行"), this);
  auto* del = new QPushButton(QStringLiteral("删除行"), this);
  add->setObjectName(QStringLiteral("addReceptor"));
  del->setObjectName(QStringLiteral("deleteReceptor"));
  bar->addWidget(add);
  bar->addWidget(del);
  bar->addStretch();
  lay->addLayout(bar);
  connect(add, &QPushButton::clicked, this, &ReceptorTable::addRow);
  connect(del, &QPushButton::clicked, this, &ReceptorTable::deleteSelectedRows);
  connect(m_table, &QTableWidget::itemChanged, this, &ReceptorTable::edited);
  connect(m_table, &widgets::PasteTable::pasted, this, &ReceptorTable::edited);
}

QString ReceptorTable::cell(int row, int col) const {
  const QTableWidgetItem* it = m_table->item(row, col);
  return it ? it->text().trimmed() : QString();
}

std::string ReceptorTable::text() const {
  QStringList entries;
  for (int r = 0; r < m_table->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < RColumns; ++c) cells << cell(r, c);
    if (cells.join(QString()).isEmpty()) continue;
    cells[RName].replace(QLatin1Char(','), QStringLiteral("，"));
    cells[RName].replace(QLatin1Char(';'), QStringLiteral("；"));
    if (cells[RZ].isEmpty()) cells.removeLast();
    entries << cells.join(QStringLiteral(", "));
  }
  return entries.join(QStringLiteral("; ")).toStdString();
}

void ReceptorTable::setText(const std::string& text) {
  const QSignalBlocker block(m_table);
  m_table->setRowCount(0);
  QString all = q(text);
  all.replace(QLatin1Char('\n'), QLatin1Char(';'));
  for (const QString& entry : all.split(QLatin1Char(';'))) {
    if (entry.trimmed().isEmpty()) continue;
    QString e = entry;
    e.replace(QLatin1Char('\t'), QLatin1Char(','));
    const QStringList cells = e.split(QLatin1Char(','));
    const int r = m_table->rowCount();
    m_table->insertRow(r);
    for (int c = 0; c < RColumns; ++c)
      m_table->setItem(r, c, new QTableWidgetItem(c < cells.size() ? cells[c].trimmed() : ""));
    // Anything past the height stays with it, so that no typed text is lost.
    if (cells.size() > RColumns)
      m_table->item(r, RZ)->setText(cells.mid(RZ).join(QLatin1Char(',')).trimmed());
  }
}

std::optional<QString> ReceptorTable::check() {
  for (int r = 0; r < m_table->rowCount(); ++r) {
    bool any = false;
    for (int c = 0; c < RColumns; ++c) any = any || !cell(r, c).isEmpty();
    if (!any) continue;
    const auto bad = [&](int c, const QString& what) -> std::optional<QString> {
      m_table->setCurrentCell(r, c);
      m_table->setFocus();
      return QStringLiteral("敏感目标表第%1行：%2，请重新输入！").arg(r + 1).arg(what);
    };
    if (cell(r, RName).isEmpty()) return bad(RName, QStringLiteral("缺少名称"));
    if (!number(cell(r, RX))) return bad(RX, QStringLiteral("X应为数字"));
    if (!number(cell(r, RY))) return bad(RY, QStringLiteral("Y应为数字"));
    if (!cell(r, RZ).isEmpty()) {
      const auto z = number(cell(r, RZ));
      if (!(z && *z >= 0)) return bad(RZ, QStringLiteral("高度应为不小于0的数字（留空为0）"));
    }
  }
  return std::nullopt;
}

void ReceptorTable::addRow() {
  const int r = m_table->rowCount();
  m_table->insertRow(r);
  m_table->setCurrentCell(r, RName);
  emit edited();
}

void ReceptorTable::deleteSelectedRows() {
  std::set<int> rows;
  for (const QModelIndex& i : m_table->selectionModel()->selectedIndexes()) rows.insert(i.row());
  if (rows.empty() && m_table->currentRow() >= 0) rows.insert(m_table->currentRow());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) m_table->removeRow(*it);
  if (!rows.empty()) emit edited();
}

namespace {

// The editor's columns: what each shows and how the stored SI value converts.
struct SubstanceColumn {
  const char* header;
  const char* what;  // for messages
  double Substance::*member;
  double scale, offset;  // shown = stored * scale + offset
  bool positive;         // a given value must be > 0 (Tb: above absolute zero)
};

const SubstanceColumn kColumns[] = {
    {"M (g/mol)", "摩尔质量", &Substance::wms, 1000, 0, true},
    {"Tb (℃)", "沸点", &Substance::tbp, 1, -273.15, true},
    {"ΔHv (J/kg)", "汽化热", &Substance::dhe, 1, 0, true},
    {"cps (J/(kg·K))", "气体比热容", &Substance::cps, 1, 0, true},
    {"cpsl (J/(kg·K))", "液体比热容", &Substance::cpsl, 1, 0, true},
    {"ρl (kg/m³)", "液体密度", &Substance::rhosl, 1, 0, true},
    {"B (K)", "饱和蒸气压常数B", &Substance::spb, 1, 0, false},
    {"C (K)", "饱和蒸气压常数C", &Substance::spc, 1, 0, false},
    {"终点浓度-1 (mg/m³)", "毒性终点浓度-1", &Substance::endpoint1, 1, 0, true},
    {"终点浓度-2 (mg/m³)", "毒性终点浓度-2", &Substance::endpoint2, 1, 0, true},
};
constexpr int kTextColumns = 3;  // 名称, 英文名, CAS号

}  // namespace

SubstanceEditor::SubstanceEditor(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("substanceEditor"));
  setWindowTitle(QStringLiteral("物质表"));
  resize(1100, 560);
  auto* lay = new QVBoxLayout(this);
  auto* note = new QLabel(
      QStringLiteral(
          "灰色为程序自带物质（只读，可复制为用户物质后修改）；用户物质与自带物质同名时，"
          "以用户物质为准。空白表示缺少该值。"),
      this);
  note->setWordWrap(true);
  lay->addWidget(note);
  QStringList headers = {QStringLiteral("名称"), QStringLiteral("英文名"), QStringLiteral("CAS号")};
  for (const auto& c : kColumns) headers << QString::fromUtf8(c.header);
  m_table = new QTableWidget(0, static_cast<int>(headers.size()), this);
  m_table->setHorizontalHeaderLabels(headers);
  m_table->verticalHeader()->setDefaultSectionSize(22);
  lay->addWidget(m_table, 1);
  for (const auto& s : models::risk::builtinSubstances()) appendRow(s, true);
  m_builtin = m_table->rowCount();
  QFile f(userSubstancePath());
  if (f.open(QIODevice::ReadOnly)) {
    std::string errors;
    for (const auto& s :
         models::risk::parseSubstances(f.readAll().toStdString(), &errors, &m_unreadable))
      appendRow(s, false);
    if (!errors.empty())
      widgets::showMessage(parent,
                           QStringLiteral("用户物质表“%1”中%2这些行保存时原样保留在文件末尾，"
                                          "请用文本编辑器修正。")
                               .arg(userSubstancePath(), q(errors)));
  }
  m_table->resizeColumnsToContents();
  auto* bar = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("新增"), this);
  auto* copy = new QPushButton(QStringLiteral("复制为用户物质"), this);
  auto* del = new QPushButton(QStringLiteral("删除"), this);
  auto* ok = new QPushButton(QStringLiteral("保存"), this);
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  for (auto* b : {add, copy, del}) bar->addWidget(b);
  bar->addStretch();
  bar->addWidget(ok);
  bar->addWidget(cancel);
  lay->addLayout(bar);
  connect(add, &QPushButton::clicked, this, &SubstanceEditor::addRow);
  connect(copy, &QPushButton::clicked, this, [this] {
    if (m_table->currentRow() >= 0) copyRow(m_table->currentRow());
  });
  connect(del, &QPushButton::clicked, this, [this] {
    if (m_table->currentRow() >= 0) deleteRow(m_table->currentRow());
  });
  connect(ok, &QPushButton::clicked, this, [this] {
    if (save()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SubstanceEditor::appendRow(const Substance& s, bool builtin) {
  const int r = m_table->rowCount();
  m_table->insertRow(r);
  QStringList cells = {q(s.name_zh), q(s.name_en), q(s.cas)};
  for (const auto& c : kColumns) {
    const double v = s.*c.member;
    cells << (v == 0 ? QString() : q(core::cformat("%.10g", v * c.scale + c.offset)));
  }
  for (int c = 0; c < cells.size(); ++c) {
    auto* it = new QTableWidgetItem(cells[c]);
    if (builtin) {
      it->setFlags(it->flags() & ~Qt::ItemIsEditable);
      it->setBackground(QColor(235, 235, 235));
    }
    m_table->setItem(r, c, it);
  }
}

void SubstanceEditor::addRow() {
  appendRow(Substance{}, false);
  m_table->setCurrentCell(m_table->rowCount() - 1, 0);
}

void SubstanceEditor::copyRow(int row) {
  if (row < 0 || row >= m_table->rowCount()) return;
  const int r = m_table->rowCount();
  m_table->insertRow(r);
  for (int c = 0; c < m_table->columnCount(); ++c) {
    const QTableWidgetItem* from = m_table->item(row, c);
    m_table->setItem(r, c, new QTableWidgetItem(from ? from->text() : QString()));
  }
  m_table->setCurrentCell(r, 0);
}

bool SubstanceEditor::deleteRow(int row) {
  if (row < 0 || row >= m_table->rowCount()) return false;
  if (row < m_builtin) {
    widgets::showMessage(this, QStringLiteral("程序自带的物质不能删除。"));
    return false;
  }
  m_table->removeRow(row);
  return true;
}

std::optional<QString> SubstanceEditor::readRow(int row, Substance& s) const {
  const auto text = [&](int c) {
    const QTableWidgetItem* it = m_table->item(row, c);
    return it ? it->text().trimmed() : QString();
  };
  const QString name = text(0);
  const QString who = QStringLiteral("第%1行").arg(row + 1) +
                      (name.isEmpty() ? QString() : QStringLiteral("“%1”").arg(name));
  if (name.isEmpty()) return who + QStringLiteral("缺少名称，请输入！");
  for (int c = 0; c < kTextColumns; ++c)
    if (text(c).contains(QLatin1Char(',')))
      return who + QStringLiteral("的名称、英文名和CAS号不能含英文逗号，请修改！");
  s.name_zh = name.toStdString();
  s.name_en = text(1).toStdString();
  s.cas = text(2).toStdString();
  for (size_t i = 0; i < std::size(kColumns); ++i) {
    const auto& col = kColumns[i];
    const QString t = text(kTextColumns + static_cast<int>(i));
    if (t.isEmpty()) continue;  // missing: the page refuses it where a release needs it
    const auto v = number(t);
    if (!v) return who + QStringLiteral("的%1“%2”不是数字，请重新输入！").arg(col.what, t);
    const double stored = (*v - col.offset) / col.scale;
    if (col.positive && !(stored > 0))
      return who + QStringLiteral("的%1必须%2（未知时留空），请重新输入！")
                       .arg(col.what, col.offset != 0 ? QStringLiteral("高于绝对零度")
                                                      : QStringLiteral("大于0"));
    s.*col.member = stored;
  }
  return std::nullopt;
}

bool SubstanceEditor::save() {
  std::vector<Substance> user;
  std::set<std::string> names;
  for (int r = m_builtin; r < m_table->rowCount(); ++r) {
    Substance s;
    if (auto e = readRow(r, s)) {
      m_table->setCurrentCell(r, 0);
      widgets::showMessage(this, *e);
      return false;
    }
    if (!names.insert(s.name_zh).second) {
      m_table->setCurrentCell(r, 0);
      widgets::showMessage(
          this, QStringLiteral("第%1行：用户物质“%2”重名，请修改！").arg(r + 1).arg(q(s.name_zh)));
      return false;
    }
    user.push_back(s);
  }
  std::string text = models::risk::writeSubstances(user);
  for (const auto& line : m_unreadable) text += line + "\n";
  const QString err = writeUserSubstances(text);
  if (!err.isEmpty()) {
    widgets::showMessage(this, QStringLiteral("物质表无法保存：") + err);
    return false;
  }
  return true;
}

}  // namespace app::toxic
