// The read-only distance table of the river pages: a CGridCtrl under the form with the
// buttons "复制选中表格" and "结果导入EXCEL".
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/calculator.h"

class QPushButton;

namespace widgets {
class CGridCtrl;
}

namespace app {

class CalculatorPage;

struct DistanceGrid {
  widgets::CGridCtrl* grid = nullptr;   // object name "grid"
  QPushButton* copy = nullptr;          // object name "action:copy"
  QPushButton* exportButton = nullptr;  // object name "action:export"
};

// Adds the grid and its two buttons below the page's form; export uses `exportTitle`.
DistanceGrid addDistanceGrid(CalculatorPage& page, const QString& exportTitle);

// Empties the grid and lays out one header row 25 pixels high with the given headers and
// widths, and `fixedColumns` header columns.
void layoutDistanceGrid(widgets::CGridCtrl& grid, const QStringList& headers,
                        const std::vector<int>& widths, int fixedColumns);

// Deletes every row below the header row, appends the table's rows (the first cell as the
// row heading) and redraws.
void fillDistanceGrid(widgets::CGridCtrl& grid, const core::Table& table);

}  // namespace app
