#include "widgets/contour_properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>
#include <set>

#include "core/format.h"
#include "core/parse.h"
#include "widgets/contour_map_canvas.h"
#include "widgets/line_style_dialog.h"
#include "widgets/prompts.h"

namespace widgets {
namespace {

constexpr double kShownValueTolerance = 1e-6;  // a new level this near a shown one is a repeat

QString gText(float v) {
  return QString::fromStdString(core::cformat("%g", static_cast<double>(v)));
}

// A line sample across a list cell, in the style's colour and width.
QPixmap sample(const present::LevelStyle& s, int dpi_x) {
  QPixmap pm(72, 14);
  pm.fill(Qt::white);
  QPainter p(&pm);
  const int w = ContourMapCanvas::penWidthLogical(s.width_mm, dpi_x);
  p.setPen(QPen(QColor(s.colour.r, s.colour.g, s.colour.b), w, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(2, 7, 70, 7);
  return pm;
}

bool readNumber(QWidget* parent, QLineEdit* edit, float& value) {
  const core::ParsedNumber n = core::parseNumber(edit->text().toStdString());
  if (!n.ok() || !std::isfinite(static_cast<float>(n.value))) {
    showMessage(parent, kMsgEnterNumber);
    edit->setFocus();
    return false;
  }
  value = static_cast<float>(n.value);
  return true;
}

}  // namespace

ContourPropertiesDialog::ContourPropertiesDialog(const present::ContourLevels& levels, float zmin,
                                                 float zmax, present::LevelStyleTable& styles,
                                                 QWidget* parent)
    : QDialog(parent), m_levels(levels), m_zmin(zmin), m_zmax(zmax), m_styles(styles) {
  setWindowTitle(QStringLiteral("等值线属性"));
  m_table = new QTableWidget(0, 2);
  m_table->setHorizontalHeaderLabels({QStringLiteral("等级值"), QStringLiteral("线条")});
  m_table->setColumnWidth(0, 80);
  m_table->setColumnWidth(1, 80);
  m_table->verticalHeader()->hide();
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setIconSize(QSize(72, 14));
  m_table->setMinimumWidth(190);

  auto* zmin_edit = new QLineEdit(gText(zmin));
  auto* zmax_edit = new QLineEdit(gText(zmax));
  zmin_edit->setReadOnly(true);
  zmax_edit->setReadOnly(true);
  m_value = new QLineEdit;
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("最小值"), zmin_edit);
  form->addRow(QStringLiteral("最大值"), zmax_edit);
  form->addRow(QStringLiteral("等级值："), m_value);
  auto* add = new QPushButton(QStringLiteral("增加"));
  auto* remove = new QPushButton(QStringLiteral("删除"));
  auto* side = new QVBoxLayout;
  side->addLayout(form);
  side->addWidget(add);
  side->addWidget(remove);
  side->addStretch();

  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  auto* top = new QHBoxLayout;
  top->addWidget(m_table);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);

  connect(add, &QPushButton::clicked, this, &ContourPropertiesDialog::addLevel);
  connect(remove, &QPushButton::clicked, this, &ContourPropertiesDialog::deleteLevels);
  connect(m_table, &QTableWidget::cellDoubleClicked, this, &ContourPropertiesDialog::editCell);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  refill();
}

void ContourPropertiesDialog::refill() {
  m_table->setRowCount(m_levels.count());
  for (int k = 0; k < m_levels.count(); ++k) {
    const float v = m_levels.at(k);
    m_table->setItem(k, 0, new QTableWidgetItem(gText(v)));
    auto* line = new QTableWidgetItem;
    line->setIcon(QIcon(sample(m_styles.styleFor(v), logicalDpiX())));
    m_table->setItem(k, 1, line);
  }
}

// Compares with the value a row shows ("%g" read back), as the user sees it.
bool ContourPropertiesDialog::existsAsShown(float value, int except_row) const {
  for (int r = 0; r < m_table->rowCount(); ++r) {
    if (r == except_row || !m_table->item(r, 0)) continue;
    const double shown = std::strtod(m_table->item(r, 0)->text().toStdString().c_str(), nullptr);
    if (std::fabs(shown - static_cast<double>(value)) < kShownValueTolerance) return true;
  }
  return false;
}

void ContourPropertiesDialog::addLevel() {
  float v = 0;
  if (!readNumber(this, m_value, v)) return;
  if (v < m_zmin || v > m_zmax) {
    showMessage(this, kMsgLevelOutOfRange);
    return;
  }
  // A value above the last style entry (or into an empty table) is appended without the
  // repeat check; otherwise a row showing a value within 1e-6 of the new one refuses it.
  const auto& entries = m_styles.entries();
  const bool appended = entries.empty() || v > entries.back().value;
  if (!appended && existsAsShown(v, -1)) {
    showMessage(this, kMsgLevelExists);
    return;
  }
  m_levels.insert(v);
  m_styles.insertOrdered({v, present::kDefaultLineWidth_mm, present::Rgb{}});
  refill();
}

void ContourPropertiesDialog::deleteLevels() {
  std::set<int> rows;
  for (const QModelIndex& i : m_table->selectionModel()->selectedRows()) rows.insert(i.row());
  if (rows.empty()) {
    showMessage(this, kMsgSelectRowToDelete);
    return;
  }
  std::vector<float> values;
  for (int r : rows)
    if (r < m_levels.count()) values.push_back(m_levels.at(r));
  for (float v : values) {
    m_levels.remove(v);
    m_styles.removeFor(v);
  }
  refill();
}

void ContourPropertiesDialog::editCell(int row, int column) {
  if (row < 0 || row >= m_levels.count()) return;
  const float v = m_levels.at(row);
  if (column == 1) {
    const present::LevelStyle s = m_styles.styleFor(v);
    LineStyleDialog d(s.width_mm, s.colour, this);
    if (d.exec() == QDialog::Accepted) setRowStyle(row, d.widthMm(), d.colour());
  } else {
    LevelValueDialog d(v, this);
    if (d.exec() == QDialog::Accepted) setRowValue(row, d.value());
  }
}

// The row's style entry follows its level to the new value, and the table is put back in
// level order, so rows, styles and the legend stay paired.
void ContourPropertiesDialog::setRowValue(int row, float value) {
  if (row < 0 || row >= m_levels.count()) return;
  const float old = m_levels.at(row);
  if (value == old) return;
  if (existsAsShown(value, row)) {  // two rows of one level would leave a style unpaired
    showMessage(this, kMsgLevelExists);
    return;
  }
  if (present::LevelStyle* s = m_styles.find(old)) {
    s->value = value;
    m_styles.sortByValue();
  }
  m_levels.replace(old, value);
  refill();
}

void ContourPropertiesDialog::setRowStyle(int row, float width_mm, present::Rgb colour) {
  if (row < 0 || row >= m_levels.count()) return;
  const float v = m_levels.at(row);
  if (present::LevelStyle* s = m_styles.find(v)) {
    s->width_mm = width_mm;
    s->colour = colour;
  } else {
    m_styles.insertOrdered({v, width_mm, colour});
  }
  refill();
}

LevelValueDialog::LevelValueDialog(float value, QWidget* parent)
    : QDialog(parent), m_result(value) {
  setWindowTitle(QStringLiteral("等级值"));
  m_edit = new QLineEdit(gText(value));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("等级值"), m_edit);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &LevelValueDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &LevelValueDialog::reject);
}

void LevelValueDialog::accept() {
  if (readNumber(this, m_edit, m_result)) QDialog::accept();
}

}  // namespace widgets
