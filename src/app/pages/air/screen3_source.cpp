// Source tab of the estimation-mode page.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/calculator_page.h"
#include "app/pages/air/editable_choice.h"
#include "app/pages/air/screen3_page.h"
#include "core/format.h"
#include "widgets/grid_ctrl.h"

namespace app {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

constexpr const char* kTypeGroups[] = {"点源参数", "面源参数", "体源参数", "点源（火炬）参数"};
constexpr const char* kBuildingGroup = "建筑物与熏烟";
constexpr int kHeaderHeight = 25;
constexpr int kRowStep_m = 100;  // a new distance row lies this far beyond the last one

void enableField(CalculatorPage& page, const char* key, bool on) {
  if (QWidget* w = page.control(key)) w->setEnabled(on);
  if (QLabel* l = page.label(key)) l->setEnabled(on);
  if (QLabel* u = page.unitLabel(key)) u->setEnabled(on);
}

int comboIndex(CalculatorPage& page, const char* key) {
  auto* c = qobject_cast<QComboBox*>(page.control(key));
  return c ? c->currentIndex() : 0;
}

bool checked(CalculatorPage& page, const char* key) {
  auto* c = qobject_cast<QCheckBox*>(page.control(key));
  return c && c->isChecked();
}

int radioIndex(CalculatorPage& page, const char* key) {
  for (int i = 0; i < 3; ++i) {
    auto* rb = page.findChild<QRadioButton*>(QStringLiteral("%1:%2").arg(key).arg(i));
    if (rb && rb->isChecked()) return i;
  }
  return 0;
}

float fieldNumber(CalculatorPage& page, const char* key) {
  auto* e = qobject_cast<QLineEdit*>(page.control(key));
  return e ? e->text().toFloat() : 0;
}

// The rows of a table text; a text that cannot be read shows an empty table (the computation
// then refuses it with its message).
std::vector<std::vector<std::string>> tableRows(const std::string& text) {
  try {
    return models::air::parseTableText(text);
  } catch (const models::air::TableTextError&) {
    return {};
  }
}

void setDataRows(widgets::CGridCtrl* g, const std::vector<std::vector<std::string>>& rows) {
  g->SetRowCount(1 + static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size() && static_cast<int>(c) < g->GetColumnCount(); ++c)
      g->SetItemText(static_cast<int>(r) + 1, static_cast<int>(c), rows[r][c]);
}

std::vector<std::vector<std::string>> dataRows(const widgets::CGridCtrl* g) {
  std::vector<std::vector<std::string>> rows;
  for (int r = g->GetFixedRowCount(); r < g->GetRowCount(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < g->GetColumnCount(); ++c)
      row.push_back(g->GetItemText(r, c).trimmed().toStdString());
    rows.push_back(std::move(row));
  }
  return rows;
}

void makeNameCell(widgets::CGridCtrl* g, int row) {
  g->SetCellType(row, 0, widgets::GridCellKind::Combo);
  QStringList names;
  for (const auto& n : models::air::screen3PollutantNames()) names << q(n);
  if (auto* combo = g->GetComboCell(row, 0)) combo->SetOptions(names);
}

}  // namespace

CScreen3SourceDlg::CScreen3SourceDlg(CalculatorPage& page, QWidget* parent)
    : QWidget(parent), m_page(page) {
  setObjectName(QStringLiteral("CScreen3SourceDlg"));
  auto* outer = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  outer->addLayout(left, 1);
  outer->addLayout(right, 1);
  for (const char* caption :
       {"污染源参数", "点源参数", "面源参数", "体源参数", "点源（火炬）参数", kBuildingGroup})
    if (QGroupBox* g = page.group(caption)) left->addWidget(g);
  left->addStretch(1);
  if (QGroupBox* g = page.group("其它参数")) right->addWidget(g);
  if (QGroupBox* g = page.group("表格")) g->hide();

  m_pollutants = makeGrid(
      QStringLiteral("污染物"),
      {QStringLiteral("污染物"), QStringLiteral("源强[g/s]"), QStringLiteral("标准[mg/m³]")},
      {70, 70, 80}, "pollutants", this);
  m_auto =
      makeGrid(QStringLiteral("简单地形连续自动点输入"),
               {QStringLiteral("距离[m]"), QStringLiteral("相对源高[m]")}, {75, 80}, "auto", this);
  m_points = makeGrid(QStringLiteral("任意地形任意点输入"),
                      {QStringLiteral("距离[m]"), QStringLiteral("相对源高[m]")}, {75, 80},
                      "points", this);
  for (auto* g : {m_pollutants, m_auto, m_points}) right->addWidget(g->parentWidget(), 1);

  loadTables(page.values());
  connect(m_pollutants, &widgets::CGridCtrl::endLabelEdit, this,
          &CScreen3SourceDlg::pollutantEdited);

  auto combo = [this](const char* key) { return qobject_cast<QComboBox*>(m_page.control(key)); };
  auto check = [this](const char* key) { return qobject_cast<QCheckBox*>(m_page.control(key)); };
  auto edit = [this](const char* key) { return qobject_cast<QLineEdit*>(m_page.control(key)); };
  if (auto* c = combo("type"))
    connect(c, &QComboBox::currentIndexChanged, this, [this] { updateType(); });
  for (const char* key : {"met", "search"})
    if (auto* c = combo(key))
      connect(c, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });
  for (const char* key : {"downwash", "fumi", "shore", "sz0_on", "sy0_on"})
    if (auto* c = check(key)) connect(c, &QCheckBox::toggled, this, [this] { updateEnabled(); });
  for (const char* key : {"vol_he", "vol_w", "vol_l", "vol_bh"})
    if (auto* e = edit(key))
      connect(e, &QLineEdit::textEdited, this, [this] { updateVolumeDims(); });
  for (int i = 0; i < 3; ++i)
    if (auto* rb = page.findChild<QRadioButton*>(QStringLiteral("vol_on:%1").arg(i)))
      connect(rb, &QRadioButton::toggled, this, [this] {
        updateEnabled();
        updateVolumeDims();
      });
  updateType();
  updateEnabled();
}

widgets::CGridCtrl* CScreen3SourceDlg::makeGrid(const QString& caption, const QStringList& headers,
                                                const std::vector<int>& widths, const char* name,
                                                QWidget* parent) {
  auto* box = new QGroupBox(caption, parent);
  auto* layout = new QVBoxLayout(box);
  auto* g = new widgets::CGridCtrl(box);
  g->setObjectName(QStringLiteral("%1Grid").arg(QLatin1String(name)));
  g->SetColumnCount(static_cast<int>(headers.size()));
  g->SetFixedRowCount(1);
  g->SetRowHeight(0, kHeaderHeight);
  for (int c = 0; c < headers.size(); ++c) {
    g->SetItemText(0, c, headers[c]);
    // Wide enough for its header.
    g->SetColumnWidth(c, std::max(widths[static_cast<size_t>(c)],
                                  g->fontMetrics().horizontalAdvance(headers[c]) + 14));
  }
  layout->addWidget(g, 1);
  auto* buttons = new QHBoxLayout;
  auto* add = new QPushButton(QStringLiteral("增加"), box);
  auto* del = new QPushButton(QStringLiteral("删除"), box);
  add->setObjectName(QStringLiteral("%1Add").arg(QLatin1String(name)));
  del->setObjectName(QStringLiteral("%1Delete").arg(QLatin1String(name)));
  buttons->addWidget(add);
  buttons->addWidget(del);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  const bool pollutants = QLatin1String(name) == QLatin1String("pollutants");
  connect(add, &QPushButton::clicked, this, [this, g, pollutants] {
    if (pollutants)
      addPollutant();
    else
      addDistanceRow(g);
  });
  connect(del, &QPushButton::clicked, this, [g] { deleteRow(g); });
  return g;
}

void CScreen3SourceDlg::updateType() {
  const int type = comboIndex(m_page, "type");
  for (int t = 0; t < 4; ++t)
    if (QGroupBox* g = m_page.group(kTypeGroups[t])) g->setVisible(t == type);
  const bool stack = type == 0 || type == 3;
  if (QGroupBox* g = m_page.group(kBuildingGroup)) g->setVisible(stack);
}

void CScreen3SourceDlg::updateEnabled() {
  const int met = comboIndex(m_page, "met");
  enableField(m_page, "stab", met >= 1);
  enableField(m_page, "u10", met == 2);
  const bool downwash = checked(m_page, "downwash");
  for (const char* key : {"bl", "bw", "bh"}) enableField(m_page, key, downwash);
  const bool fumigation = checked(m_page, "fumi");
  enableField(m_page, "shore", fumigation);
  enableField(m_page, "shore_d", fumigation && checked(m_page, "shore"));
  enableField(m_page, "angle", comboIndex(m_page, "search") == 1);
  enableField(m_page, "vol_bh", radioIndex(m_page, "vol_on") == 2);
  enableField(m_page, "sz0", checked(m_page, "sz0_on"));
  enableField(m_page, "sy0", checked(m_page, "sy0_on"));
}

void CScreen3SourceDlg::updateVolumeDims() {
  const models::air::VolumeDims d = models::air::volumeInitialDims(
      fieldNumber(m_page, "vol_l"), fieldNumber(m_page, "vol_w"), fieldNumber(m_page, "vol_he"),
      radioIndex(m_page, "vol_on"), fieldNumber(m_page, "vol_bh"));
  if (d.sigma_y0_changed) writeFieldText(m_page, "sy0", q(core::formatFloatField(d.sigma_y0_m)));
  writeFieldText(m_page, "sz0", q(core::formatFloatField(d.sigma_z0_m)));
}

void CScreen3SourceDlg::storeTables() {
  writeFieldText(m_page, "pollutants", q(models::air::tableText(dataRows(m_pollutants))));
  writeFieldText(m_page, "auto", q(models::air::tableText(dataRows(m_auto))));
  writeFieldText(m_page, "points", q(models::air::tableText(dataRows(m_points))));
}

void CScreen3SourceDlg::loadTables(const core::Values& v) {
  setDataRows(m_pollutants, tableRows(v.text("pollutants")));
  for (int r = 1; r < m_pollutants->GetRowCount(); ++r) makeNameCell(m_pollutants, r);
  setDataRows(m_auto, tableRows(v.text("auto")));
  setDataRows(m_points, tableRows(v.text("points")));
}

void Screen3PageHook::storeInputs(CalculatorPage& page, core::Values& inputs) {
  if (!m_source) return;
  m_source->storeTables();
  for (const char* key : {"pollutants", "auto", "points"})
    if (auto* e = qobject_cast<QLineEdit*>(page.control(key)))
      inputs.setText(key, e->text().toStdString());
}

void Screen3PageHook::loadInputs(CalculatorPage& page, const core::Values& inputs) {
  (void)page;
  if (m_source) m_source->loadTables(inputs);
}

void CScreen3SourceDlg::addPollutant() {
  const int r = m_pollutants->InsertRow(QStringLiteral("SO2"));
  if (r >= 0) makeNameCell(m_pollutants, r);
  m_pollutants->Invalidate();
}

void CScreen3SourceDlg::addDistanceRow(widgets::CGridCtrl* g) {
  double d = kRowStep_m;
  if (g->GetRowCount() > g->GetFixedRowCount())
    d = g->GetItemText(g->GetRowCount() - 1, 0).toDouble() + kRowStep_m;
  const int r = g->InsertRow(q(core::cformat("%g", d)));
  if (r >= 0) g->SetItemText(r, 1, QStringLiteral("0"));
  g->Invalidate();
}

void CScreen3SourceDlg::deleteRow(widgets::CGridCtrl* g) {
  if (g->GetRowCount() <= g->GetFixedRowCount()) return;
  const int focus = g->GetFocusCell().y();
  g->DeleteRow(focus >= g->GetFixedRowCount() ? focus : g->GetRowCount() - 1);
  g->Invalidate();
}

void CScreen3SourceDlg::pollutantEdited(int row, int col) {
  if (col != 0 || row < 1) return;
  const std::string standard =
      models::air::screen3DefaultStandard(m_pollutants->GetItemText(row, 0).toStdString());
  if (!standard.empty()) m_pollutants->SetItemText(row, 2, standard);
}

}  // namespace app
