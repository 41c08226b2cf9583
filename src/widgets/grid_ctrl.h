// CGridCtrl: the spreadsheet-like result and input grid of the calculator pages.
//
// A rectangle of text cells. Rows 0 .. fixed rows - 1 are header rows drawn frozen at the top,
// columns 0 .. fixed columns - 1 header columns frozen at the left; header cells can never be
// selected, so they never reach copied text. All texts live in one contiguous array behind a
// Qt model, so a grid of a million cells fills and scrolls quickly.
//
// Rows and columns are 0-based and count the header rows and columns. Setters return false and
// change nothing when a row or column is out of range; getters give empty text.
//
//   auto* grid = new widgets::CGridCtrl(page);
//   grid->SetColumnCount(3);
//   grid->SetFixedRowCount(1);                 // row 0 becomes the header row
//   grid->SetRowHeight(0, 25);
//   grid->SetColumnWidth(0, 50);
//   grid->SetItemText(0, 0, "序号");
//   grid->SetEditable(false);                  // read-only result grid
//   for (...) { int r = grid->InsertRow("1"); grid->SetItemText(r, 1, core::cformat("%.4f", x)); }
//   // Page buttons: 1238 "复制选中表格" and 1102 "结果导入EXCEL".
//   connect(copyBtn, &QPushButton::clicked, page, [=] { widgets::copyGridSelection(page, *grid);
//   }); connect(exportBtn, &QPushButton::clicked, page, [=] { widgets::exportGrid(page, *grid,
//   title); }); widgets::attachGridPopup(grid, page, title); // right-click menu "GRIDPOP"
//
// Operations (as the pages use them):
//   SetRowCount(n), SetColumnCount(n)     new cells empty, removed cells destroyed; false if n < 0
//   SetFixedRowCount(n), SetFixedColumnCount(n)   header rows / columns; grow the counts if needed
//   SetRowHeight(row, px), SetColumnWidth(col, px) false when out of range or negative; 0 hides
//   SetItemText(row, col, text), GetItemText(row, col)
//   SetColumnToolTip(col, text)   a tooltip over the column's header (a header cell text may
//                                 hold line breaks: one line per header line)
//   InsertRow(heading, pos = -1)  -1 when pos lies among the header rows or at or beyond the row
//                                 count; else inserts an empty row (appends at -1) with `heading`
//                                 in column 0 and returns its index; a grid without columns
//                                 gets one first
//   DeleteRow(row)                false when row is outside 0 .. row count - 1
//   DeleteAllItems()              all counts become 0
//   SetCellType(row, col, GridCellKind::Combo) then GetComboCell(row, col)->SetOptions({...})
//   SetEditable(flag), IsCellSelected(row, col), GetSelectedCount(), OnEditCopy(), Invalidate()
//   SetSelectedRange(...), SetCellSelected(...), SetFocusCell(...), GetFocusCell()  (selection
//                                 requests are clamped to the non-header cells)
//
// Signals to the page:
//   rightClicked(row, col)  right button released over the grid; over a cell the focus cell first
//                           moves there (a header cell's row or column is raised to the first
//                           non-header one), the selection stays; (-1, -1) outside the cells
//   endLabelEdit(row, col)  an in-place edit of that cell ended (also after Escape)
//
// Keyboard with the grid focused: Ctrl+C / Ctrl+Insert copy; Ctrl+A selects all data cells;
// arrows, Tab, Page Up/Down, Home/End move the focus cell, skipping hidden rows and columns;
// Ctrl+keypad + sizes columns to their contents. Only in editable grids: Ctrl+X (copy, then
// clear), Delete (clear), Ctrl+V / Shift+Insert (paste from the focus cell), typing or a double
// click opens the in-place editor (a drop-down list on a combo cell).
//
// Copied text: fields separated by TAB, lines by CR LF, nothing after the last; unselected cells
// of the selection's bounding rectangle are empty fields; hidden rows and columns are skipped.
// The clipboard gets it as UTF-8 text.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTableView>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "present/table_copy.h"

class QMenu;

namespace widgets {

class GridModel;

enum class GridCellKind { Text, Combo };

// A drop-down cell: editing it offers the option strings; the chosen one becomes the cell text.
class CGridCellCombo {
 public:
  void SetOptions(const QStringList& options) { m_options = options; }
  const QStringList& GetOptions() const { return m_options; }

 private:
  QStringList m_options;
};

class CGridCtrl : public QTableView {
  Q_OBJECT

 public:
  explicit CGridCtrl(QWidget* parent = nullptr);
  CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent = nullptr);
  ~CGridCtrl() override;

  bool SetRowCount(int n);
  bool SetColumnCount(int n);
  bool SetFixedRowCount(int n);
  bool SetFixedColumnCount(int n);
  int GetRowCount() const { return m_rows; }
  int GetColumnCount() const { return m_cols; }
  int GetFixedRowCount() const { return m_fixedRows; }
  int GetFixedColumnCount() const { return m_fixedCols; }

  bool SetRowHeight(int row, int px);
  bool SetColumnWidth(int col, int px);
  int GetRowHeight(int row) const;    // -1 when out of range
  int GetColumnWidth(int col) const;  // -1 when out of range

  bool SetItemText(int row, int col, const QString& text);
  bool SetItemText(int row, int col, const std::string& utf8);
  bool SetItemText(int row, int col, const char* utf8);
  QString GetItemText(int row, int col) const;
  // A tooltip over the header of a column (its full title when the header shows a short one).
  void SetColumnToolTip(int col, const QString& text);

  int InsertRow(const QString& heading, int pos = -1);
  bool DeleteRow(int row);
  bool DeleteAllItems();

  // Replaces the cell by one of the given kind, keeping its text. false when out of range.
  bool SetCellType(int row, int col, GridCellKind kind);
  GridCellKind GetCellType(int row, int col) const;
  // The drop-down of a combo cell, or nullptr when the cell is not one.
  CGridCellCombo* GetComboCell(int row, int col);
  const CGridCellCombo* GetComboCell(int row, int col) const;

  void SetEditable(bool editable);
  bool IsEditable() const { return m_editable; }

  bool IsCellSelected(int row, int col) const;
  int GetSelectedCount() const;
  // Bounding rectangle of the selected cells (grid rows and columns); invalid when none.
  present::CellRange GetSelectedRange() const;
  // Selects the rectangle, clamped to the data cells; replaces the selection.
  void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol);
  // Adds a cell to, or takes it from, the selection.
  void SetCellSelected(int row, int col, bool selected);
  void ClearSelection();
  bool SetFocusCell(int row, int col);
  QPoint GetFocusCell() const;  // x = column, y = row; (-1, -1) for none

  // The text OnEditCopy puts on the clipboard (UTF-8 bytes); empty for no selection.
  std::string SelectionText() const;
  void OnEditCopy();
  void OnEditCut();                     // editable grids only
  void OnEditPaste();                   // editable grids only; from the clipboard at the focus cell
  void PasteText(const QString& text);  // the same with a given text
  void ClearSelectedCells();            // editable grids only
  void AutoSizeColumns();
  void Invalidate();

  // The grid as a plain table: row 0 as headers, rows 1.. as records, column widths.
  core::Table ToTable(const std::string& title = {}) const;
  // Fills the grid from a table: one header row, one row per record, the table's widths.
  void SetTable(const core::Table& t);

 signals:
  void rightClicked(int row, int col);
  void endLabelEdit(int row, int col);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  bool viewportEvent(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  friend class GridModel;
  friend class GridDelegate;

  size_t at(int row, int col) const {
    return static_cast<size_t>(row) * static_cast<size_t>(m_cols) + static_cast<size_t>(col);
  }
  bool inRange(int row, int col) const {
    return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
  }
  static long long cellKey(int row, int col) {
    return (static_cast<long long>(row) << 32) | static_cast<unsigned>(col);
  }
  QModelIndex viewIndex(int row, int col) const;
  void structureChanged();  // counts or fixed counts changed: reset the model and sizes
  void applyHeaderSizes();
  void scheduleRepaint();
  void emitRightClick(int row, int col);
  void onSectionResized(Qt::Orientation o, int logical, int newSize);

  GridModel* m_model = nullptr;
  QWidget* m_corner = nullptr;  // the view's top-left corner button, painted with header texts
  int m_rows = 0, m_cols = 0, m_fixedRows = 0, m_fixedCols = 0;
  std::vector<QString> m_cells;   // row-major, m_rows * m_cols
  std::vector<int> m_rowHeights;  // pixels; 0 hides the row
  std::vector<int> m_colWidths;   // pixels; 0 hides the column
  std::map<long long, std::unique_ptr<CGridCellCombo>> m_combos;
  std::map<int, QString> m_colTips;  // header tooltips by grid column
  bool m_editable = true;
  bool m_repaintPending = false;
  bool m_applyingSizes = false;
  int m_defaultRowHeight = 25;
  int m_defaultColWidth = 80;
};

// Page handler of "复制选中表格" (id 1238) and of the menu item "复制  Ctrl+&C": copies the
// selection, or shows "至少选中一个单元格才能复制" when nothing is selected. True when copied.
bool copyGridSelection(QWidget* page, CGridCtrl& grid);

// Commands of the grid pop-up menu "GRIDPOP".
inline constexpr int kCmdGridCopy = 32827;    // "复制  Ctrl+&C"
inline constexpr int kCmdGridExport = 32828;  // "导出EXCEL"

// The pop-up menu "GRIDPOP"; each action carries its command number as data.
QMenu* createGridPopupMenu(QWidget* parent);
// Runs a command of that menu for the page: copy, or export under `exportTitle`.
void runGridPopupCommand(QWidget* page, CGridCtrl& grid, const QString& exportTitle, int command);
// Shows "GRIDPOP" at the mouse cursor on every right click of the grid, for the result grids.
void attachGridPopup(CGridCtrl* grid, QWidget* page, const QString& exportTitle);

}  // namespace widgets
