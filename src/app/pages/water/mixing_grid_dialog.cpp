#include "app/pages/water/mixing_grid_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "present/grid_data.h"
#include "widgets/contour_map_window.h"
#include "widgets/excel_export.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

namespace app {

namespace {

// The list's texts without a detour through std::string per cell: the cells are ASCII
// numbers, so a Latin-1 conversion is exact and fast for grids of millions of cells.
void fillList(widgets::ListTable& list, const core::Table& t) {
  QStringList captions;
  captions.reserve(static_cast<qsizetype>(t.headers.size()));
  for (const auto& h : t.headers)
    captions << QString::fromUtf8(h.data(), static_cast<qsizetype>(h.size()));
  const size_t cols = t.headers.size();
  std::vector<QString> cells(t.rows.size() * cols);
  for (size_t r = 0; r < t.rows.size(); ++r)
    for (size_t c = 0; c < t.rows[r].size() && c < cols; ++c) {
      const std::string& s = t.rows[r][c];
      cells[r * cols + c] = QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
    }
  list.setData(captions, static_cast<int>(t.rows.size()), std::move(cells));
  list.setColumnWidths(t.widths);
}

// The upper lateral limit sits beside the lower one: "离排放口横向距离y [m]( [ylow] ～ [yhigh] )".
void placeUpperLimitBesideLower(CalculatorPage& page) {
  QWidget* low = page.control("ylow");
  QWidget* high = page.control("yhigh");
  QLabel* lowUnit = page.unitLabel("ylow");
  QLabel* highLabel = page.label("yhigh");
  QLabel* highUnit = page.unitLabel("yhigh");
  if (!low || !high || !lowUnit || !highLabel || !highUnit || !low->parentWidget()) return;
  auto* grid = qobject_cast<QGridLayout*>(low->parentWidget()->layout());
  if (!grid) return;
  int row = 0, col = 0, rowSpan = 0, colSpan = 0;
  grid->getItemPosition(grid->indexOf(lowUnit), &row, &col, &rowSpan, &colSpan);
  auto* holder = new QWidget(low->parentWidget());
  auto* h = new QHBoxLayout(holder);
  h->setContentsMargins(0, 0, 0, 0);
  for (QWidget* w : {static_cast<QWidget*>(highLabel), high}) {
    grid->removeWidget(w);
    h->addWidget(w);
  }
  grid->removeWidget(highUnit);
  highUnit->setText(QStringLiteral(")"));
  h->addWidget(highUnit);
  grid->addWidget(holder, row, col);
}

}  // namespace

MixingGridDialog::MixingGridDialog(QWidget* parent, const QString& className,
                                   const QString& caption, const core::Table& table,
                                   core::Outcome::Grid grid)
    : QDialog(parent), m_title(QString::fromStdString(table.title)), m_grid(std::move(grid)) {
  setObjectName(className);
  setWindowTitle(caption);
  resize(540, 460);

  auto* layout = new QVBoxLayout(this);
  m_list = new widgets::ListTable(this);
  m_list->setObjectName(QStringLiteral("list"));
  fillList(*m_list, table);
  layout->addWidget(m_list, 1);

  auto* bar = new QHBoxLayout;
  auto* copyButton = new QPushButton(QStringLiteral("复制选中表格"), this);
  copyButton->setObjectName(QStringLiteral("copy"));
  auto* exportButton = new QPushButton(QStringLiteral("结果导入EXCEL"), this);
  exportButton->setObjectName(QStringLiteral("export"));
  auto* contourButton = new QPushButton(QStringLiteral("绘制等值线"), this);
  contourButton->setObjectName(QStringLiteral("contour"));
  auto* closeButton = new QPushButton(QStringLiteral("关闭"), this);
  closeButton->setObjectName(QStringLiteral("close"));
  bar->addStretch(1);
  bar->addWidget(copyButton);
  bar->addWidget(exportButton);
  bar->addWidget(contourButton);
  bar->addWidget(closeButton);
  layout->addLayout(bar);

  connect(copyButton, &QPushButton::clicked, this, &MixingGridDialog::copySelection);
  connect(exportButton, &QPushButton::clicked, this, &MixingGridDialog::exportList);
  connect(contourButton, &QPushButton::clicked, this, &MixingGridDialog::drawContours);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void MixingGridDialog::copySelection() {
  if (!m_list->copySelection())
    widgets::showMessage(this, QStringLiteral("至少选中一个单元格才能复制"));
}

void MixingGridDialog::exportList() { widgets::exportListTable(this, *m_list, m_title); }

bool MixingGridDialog::drawContours() {
  if (m_list->rowCount() == 0) {
    widgets::showMessage(this, QStringLiteral("没有数据,请先计算!"));
    return false;
  }
  // x from 0 to the entered xmax, y over the entered lateral range, z maximum = the first
  // row's first data cell; the values are the numbers the list shows.
  present::GridData g;
  g.nx = m_grid.nx;
  g.ny = m_grid.ny;
  g.xmin = m_grid.xmin;
  g.xmax = m_grid.xmax;
  g.ymin = m_grid.ymin;
  g.ymax = m_grid.ymax;
  g.zmax = static_cast<float>(m_grid.zmax);
  g.z = m_grid.z;
  // A grid that cannot be written is reported here: the window would show an older file.
  std::string why;
  if (!present::writeGrdFile(g, present::kResultGridFile, &why)) {
    widgets::showMessage(this, QString::fromStdString(why));
    return false;
  }
  widgets::ContourMapWindow window(QString::fromUtf8(present::kResultGridFile), this);
  window.exec();
  return true;
}

void MixingPageHook::setup(CalculatorPage& page) {
  for (int mode = 0; mode < 2; ++mode) {
    auto* rb = page.findChild<QRadioButton*>(QStringLiteral("mode:%1").arg(mode));
    if (!rb) continue;
    // The mode itself is read at compute time; the buttons only switch the decay rate.
    QObject::connect(rb, &QRadioButton::clicked, &page, [&page, mode] {
      if (QWidget* k1 = page.control("K1")) k1->setEnabled(mode == 1);
    });
  }
  if (QWidget* k1 = page.control("K1")) k1->setEnabled(page.values().i("mode") == 1);

  // The labels carry their units ("平均水深H [m]"); a second unit text beside the field would
  // repeat them.
  for (const auto& f : page.desc().fields)
    if (QLabel* unit = page.unitLabel(f.key))
      if (f.label.find('[') != std::string::npos) unit->hide();
  placeUpperLimitBesideLower(page);
}

bool MixingPageHook::showOutcome(CalculatorPage& page, const std::string& action,
                                 const core::Outcome& outcome) {
  if (action != "grid") return false;
  if (outcome.tables.empty() || !outcome.grid) return true;
  const int mode = page.values().i("mode");
  MixingGridDialog dialog(&page, m_gridClassName, QString::fromUtf8(m_caption(mode)),
                          outcome.tables.front(), *outcome.grid);
  dialog.exec();
  return true;
}

}  // namespace app
