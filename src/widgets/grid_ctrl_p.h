// Internals of CGridCtrl shared by its source files: the Qt model over the cell array and the
// in-place editor delegate. Not for use outside the grid.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>

#include <algorithm>

#include "widgets/grid_ctrl.h"

namespace widgets {

// The data cells of the grid (everything below and right of the header rows and columns) as a
// Qt table; the header cells are served as header data of the two header views.
class GridModel : public QAbstractTableModel {
 public:
  explicit GridModel(CGridCtrl* grid) : QAbstractTableModel(grid), m_grid(grid) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(0, m_grid->m_rows - m_grid->m_fixedRows);
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max(0, m_grid->m_cols - m_grid->m_fixedCols);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return m_grid->m_cells[m_grid->at(index.row() + m_grid->m_fixedRows,
                                      index.column() + m_grid->m_fixedCols)];
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!index.isValid() || role != Qt::EditRole) return false;
    m_grid->m_cells[m_grid->at(index.row() + m_grid->m_fixedRows,
                               index.column() + m_grid->m_fixedCols)] = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (m_grid->m_editable) f |= Qt::ItemIsEditable;
    return f;
  }

  // Header rows above a data column are shown one per line; header columns beside a data row
  // are shown side by side.
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role == Qt::ToolTipRole && o == Qt::Horizontal) {
      const auto tip = m_grid->m_colTips.find(section + m_grid->m_fixedCols);
      return tip == m_grid->m_colTips.end() ? QVariant() : QVariant(tip->second);
    }
    if (role != Qt::DisplayRole) return {};
    QStringList parts;
    if (o == Qt::Horizontal) {
      const int col = section + m_grid->m_fixedCols;
      if (col >= m_grid->m_cols) return {};
      for (int r = 0; r < m_grid->m_fixedRows; ++r)
        if (m_grid->m_rowHeights[static_cast<size_t>(r)] > 0)
          parts << m_grid->m_cells[m_grid->at(r, col)];
      return parts.join(QLatin1Char('\n'));
    }
    const int row = section + m_grid->m_fixedRows;
    if (row >= m_grid->m_rows) return {};
    for (int c = 0; c < m_grid->m_fixedCols; ++c)
      if (m_grid->m_colWidths[static_cast<size_t>(c)] > 0)
        parts << m_grid->m_cells[m_grid->at(row, c)];
    return parts.join(QStringLiteral("  "));
  }

  void reset() {
    beginResetModel();
    endResetModel();
  }
  void beginRows(int first, int last, bool insert) {
    insert ? beginInsertRows({}, first, last) : beginRemoveRows({}, first, last);
  }
  void endRows(bool insert) { insert ? endInsertRows() : endRemoveRows(); }
  void cellsChanged(int r0, int c0, int r1, int c1) {
    emit dataChanged(index(r0, c0), index(r1, c1), {Qt::DisplayRole, Qt::EditRole});
  }

 private:
  CGridCtrl* m_grid;
};

// In-place editors: a line edit that widens with its text, or a drop-down list on combo cells.
class GridDelegate : public QStyledItemDelegate {
 public:
  explicit GridDelegate(CGridCtrl* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  CGridCtrl* m_grid;
};

}  // namespace widgets
