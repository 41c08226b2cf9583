// ListTable: the read-only result list of the grid result dialogs (mixing models, point-source
// results): column captions, rows of cell texts, column widths.
//
// All texts sit in one contiguous array behind a Qt model, so lists with thousands of rows or
// columns stay fast. Cells are selected with the mouse (Ctrl+A selects all); Ctrl+C or
// Ctrl+Insert copies the selection as TAB / CR LF separated text exactly as CGridCtrl does (the
// captions are never part of it). Export goes through widgets::exportListTable().
//
//   auto* list = new widgets::ListTable(dialog);
//   list->setTable(table);                        // a core::Table: captions, rows, widths
//   // or, for a large grid computed in place:
//   std::vector<QString> cells(rows * cols);      // row-major
//   ...
//   list->setData(captions, rows, std::move(cells));
//   list->setColumnWidths(widths);
//   connect(exportBtn, &QPushButton::clicked, dialog,
//           [=] { widgets::exportListTable(dialog, *list, QStringLiteral("...")); });
#pragma once

#include <QStringList>
#include <QTableView>

#include <string>
#include <vector>

#include "core/calculator.h"

namespace widgets {

class ListModel;

class ListTable : public QTableView {
  Q_OBJECT

 public:
  explicit ListTable(QWidget* parent = nullptr);
  ~ListTable() override;

  // Replaces the whole content: captions (their count is the column count) and `rows` rows of
  // cells given row-major (`cells.size()` must be rows * captions.size(); missing cells are
  // empty). Column widths go back to the default.
  void setData(const QStringList& captions, int rows, std::vector<QString> cells);
  // The same from a plain table; its widths are applied when given.
  void setTable(const core::Table& t);
  void clear();

  void setColumnWidths(const std::vector<int>& widthsPx);
  // Changes one cell; false when out of range.
  bool setText(int row, int col, const QString& text);

  int rowCount() const { return m_rows; }
  int columnCount() const { return static_cast<int>(m_captions.size()); }
  QString text(int row, int col) const;  // empty when out of range
  QString caption(int col) const;        // empty when out of range
  const QStringList& captions() const { return m_captions; }

  int selectedCount() const;
  void selectRange(int minRow, int minCol, int maxRow, int maxCol);
  // The text copySelection() puts on the clipboard (UTF-8 bytes); empty for no selection.
  std::string selectionText() const;
  // Copies the selection to the clipboard; false (and nothing copied) when none is selected.
  bool copySelection();

  core::Table toTable(const std::string& title = {}) const;

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  friend class ListModel;
  ListModel* m_model = nullptr;
  QStringList m_captions;
  int m_rows = 0;
  std::vector<QString> m_cells;  // row-major, m_rows * columnCount()
};

// Page handler of a "复制选中表格" button under a list: copies the selection, or shows
// "至少选中一个单元格才能复制" when nothing is selected. True when copied.
bool copyListSelection(QWidget* page, ListTable& list);

}  // namespace widgets
