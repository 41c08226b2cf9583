#include "app/pages/water/distance_grid_page.h"

#include <QHBoxLayout>
#include <QLayoutItem>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "widgets/excel_export.h"
#include "widgets/grid_ctrl.h"

namespace app {

namespace {
constexpr int kHeaderRowHeight = 25;
}  // namespace

DistanceGrid addDistanceGrid(CalculatorPage& page, const QString& exportTitle) {
  DistanceGrid d;
  QVBoxLayout* layout = page.contentLayout();
  // The generic page ends with a stretch when it has no result text; the grid takes that room.
  if (layout->count() > 0 && layout->itemAt(layout->count() - 1)->spacerItem())
    delete layout->takeAt(layout->count() - 1);

  d.grid = new widgets::CGridCtrl(&page);
  d.grid->setObjectName(QStringLiteral("grid"));
  d.grid->SetEditable(false);
  d.grid->setMinimumHeight(160);
  layout->addWidget(d.grid, 1);

  auto* bar = new QHBoxLayout;
  bar->addStretch(1);
  d.copy = new QPushButton(QStringLiteral("复制选中表格"), &page);
  d.copy->setObjectName(QStringLiteral("action:copy"));
  d.exportButton = new QPushButton(QStringLiteral("结果导入EXCEL"), &page);
  d.exportButton->setObjectName(QStringLiteral("action:export"));
  bar->addWidget(d.copy);
  bar->addWidget(d.exportButton);
  layout->addLayout(bar);

  widgets::CGridCtrl* grid = d.grid;
  QObject::connect(d.copy, &QPushButton::clicked, &page,
                   [&page, grid] { widgets::copyGridSelection(&page, *grid); });
  QObject::connect(d.exportButton, &QPushButton::clicked, &page,
                   [&page, grid, exportTitle] { widgets::exportGrid(&page, *grid, exportTitle); });
  return d;
}

void layoutDistanceGrid(widgets::CGridCtrl& grid, const QStringList& headers,
                        const std::vector<int>& widths, int fixedColumns) {
  grid.DeleteAllItems();
  grid.SetRowCount(1);
  grid.SetColumnCount(static_cast<int>(headers.size()));
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(fixedColumns);
  grid.SetRowHeight(0, kHeaderRowHeight);
  for (int c = 0; c < headers.size(); ++c) {
    if (static_cast<size_t>(c) < widths.size())
      grid.SetColumnWidth(c, widths[static_cast<size_t>(c)]);
    grid.SetItemText(0, c, headers[c]);
  }
  grid.Invalidate();
}

void fillDistanceGrid(widgets::CGridCtrl& grid, const core::Table& table) {
  grid.SetRowCount(grid.GetFixedRowCount());
  for (const auto& cells : table.rows) {
    if (cells.empty()) continue;
    const int row = grid.InsertRow(QString::fromStdString(cells[0]));
    for (size_t c = 1; c < cells.size(); ++c) grid.SetItemText(row, static_cast<int>(c), cells[c]);
  }
  grid.Invalidate();
}

}  // namespace app
