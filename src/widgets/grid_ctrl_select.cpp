// CGridCtrl: the selection (always within the data cells) and the copied text.
#include <QApplication>
#include <QClipboard>

#include <algorithm>
#include <climits>

#include "widgets/grid_ctrl.h"
#include "widgets/grid_ctrl_p.h"

namespace widgets {

// ---- selection ------------------------------------------------------------------------------

QModelIndex CGridCtrl::viewIndex(int row, int col) const {
  if (!inRange(row, col) || row < m_fixedRows || col < m_fixedCols) return {};
  return m_model->index(row - m_fixedRows, col - m_fixedCols);
}

bool CGridCtrl::IsCellSelected(int row, int col) const {
  const QModelIndex idx = viewIndex(row, col);
  return idx.isValid() && selectionModel()->isSelected(idx);
}

int CGridCtrl::GetSelectedCount() const {
  long long n = 0;
  for (const QItemSelectionRange& r : selectionModel()->selection())
    n += static_cast<long long>(r.width()) * r.height();
  return static_cast<int>(std::min<long long>(n, INT_MAX));
}

present::CellRange CGridCtrl::GetSelectedRange() const {
  present::CellRange range;
  for (const QItemSelectionRange& r : selectionModel()->selection()) {
    if (!r.isValid()) continue;
    range.include(r.top() + m_fixedRows, r.left() + m_fixedCols);
    range.include(r.bottom() + m_fixedRows, r.right() + m_fixedCols);
  }
  return range;
}

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol) {
  minRow = std::max(minRow, m_fixedRows);
  minCol = std::max(minCol, m_fixedCols);
  maxRow = std::min(maxRow, m_rows - 1);
  maxCol = std::min(maxCol, m_cols - 1);
  if (minRow > maxRow || minCol > maxCol) {
    ClearSelection();
    return;
  }
  selectionModel()->select(QItemSelection(viewIndex(minRow, minCol), viewIndex(maxRow, maxCol)),
                           QItemSelectionModel::ClearAndSelect);
}

void CGridCtrl::SetCellSelected(int row, int col, bool selected) {
  const QModelIndex idx = viewIndex(row, col);
  if (!idx.isValid()) return;
  selectionModel()->select(idx,
                           selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void CGridCtrl::ClearSelection() { selectionModel()->clearSelection(); }

bool CGridCtrl::SetFocusCell(int row, int col) {
  const QModelIndex idx = viewIndex(row, col);
  if (!idx.isValid()) return false;
  selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
  return true;
}

QPoint CGridCtrl::GetFocusCell() const {
  const QModelIndex idx = currentIndex();
  if (!idx.isValid()) return {-1, -1};
  return {idx.column() + m_fixedCols, idx.row() + m_fixedRows};
}

// ---- copy ---------------------------------------------------------------------------------------

// ---- copy, cut, paste, clear ----------------------------------------------------------------

std::string CGridCtrl::SelectionText() const {
  const present::CellRange range = GetSelectedRange();
  if (!range.isValid()) return {};
  const QItemSelection sel = selectionModel()->selection();
  present::CopySource src;
  src.text = [this](int r, int c) { return m_cells[at(r, c)].toStdString(); };
  if (sel.size() > 1)  // a single range fills its bounding rectangle: no per-cell look-up
    src.selected = [this](int r, int c) { return IsCellSelected(r, c); };
  src.row_hidden = [this](int r) { return m_rowHeights[static_cast<size_t>(r)] <= 0; };
  src.col_hidden = [this](int c) { return m_colWidths[static_cast<size_t>(c)] <= 0; };
  return present::copyText(range, src);
}

void CGridCtrl::OnEditCopy() {
  if (!GetSelectedRange().isValid()) return;
  QApplication::clipboard()->setText(QString::fromStdString(SelectionText()));
}

}  // namespace widgets
