#include "widgets/list_table.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>
#include <climits>

#include "present/table_copy.h"
#include "widgets/prompts.h"

namespace widgets {

class ListModel : public QAbstractTableModel {
 public:
  explicit ListModel(ListTable* list) : QAbstractTableModel(list), m_list(list) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : m_list->m_rows;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : m_list->columnCount();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return m_list
        ->m_cells[static_cast<size_t>(index.row()) * static_cast<size_t>(m_list->columnCount()) +
                  static_cast<size_t>(index.column())];
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role != Qt::DisplayRole || o != Qt::Horizontal) return {};
    return section >= 0 && section < m_list->m_captions.size() ? m_list->m_captions[section]
                                                               : QVariant();
  }
  void reset() {
    beginResetModel();
    endResetModel();
  }
  void changed(int row, int col) { emit dataChanged(index(row, col), index(row, col)); }

 private:
  ListTable* m_list;
};

ListTable::ListTable(QWidget* parent) : QTableView(parent) {
  m_model = new ListModel(this);
  setModel(m_model);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(std::max(20, fontMetrics().height() + 6));
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setHighlightSections(false);
}

ListTable::~ListTable() = default;

void ListTable::setData(const QStringList& captions, int rows, std::vector<QString> cells) {
  m_captions = captions;
  m_rows = std::max(0, rows);
  cells.resize(static_cast<size_t>(m_rows) * static_cast<size_t>(captions.size()));
  m_cells = std::move(cells);
  m_model->reset();
}

void ListTable::setTable(const core::Table& t) {
  QStringList captions;
  for (const auto& h : t.headers) captions << QString::fromStdString(h);
  const size_t cols = t.headers.size();
  std::vector<QString> cells(t.rows.size() * cols);
  for (size_t r = 0; r < t.rows.size(); ++r)
    for (size_t c = 0; c < t.rows[r].size() && c < cols; ++c)
      cells[r * cols + c] = QString::fromStdString(t.rows[r][c]);
  setData(captions, static_cast<int>(t.rows.size()), std::move(cells));
  if (!t.widths.empty()) setColumnWidths(t.widths);
}

void ListTable::clear() { setData({}, 0, {}); }

void ListTable::setColumnWidths(const std::vector<int>& widthsPx) {
  for (size_t c = 0; c < widthsPx.size() && static_cast<int>(c) < columnCount(); ++c) {
    const int col = static_cast<int>(c);
    setColumnHidden(col, widthsPx[c] <= 0);
    if (widthsPx[c] > 0) setColumnWidth(col, widthsPx[c]);
  }
}

bool ListTable::setText(int row, int col, const QString& text) {
  if (row < 0 || row >= m_rows || col < 0 || col >= columnCount()) return false;
  m_cells[static_cast<size_t>(row) * static_cast<size_t>(columnCount()) +
          static_cast<size_t>(col)] = text;
  m_model->changed(row, col);
  return true;
}

QString ListTable::text(int row, int col) const {
  if (row < 0 || row >= m_rows || col < 0 || col >= columnCount()) return {};
  return m_cells[static_cast<size_t>(row) * static_cast<size_t>(columnCount()) +
                 static_cast<size_t>(col)];
}

QString ListTable::caption(int col) const {
  return col >= 0 && col < m_captions.size() ? m_captions[col] : QString();
}

int ListTable::selectedCount() const {
  long long n = 0;
  for (const QItemSelectionRange& r : selectionModel()->selection())
    n += static_cast<long long>(r.width()) * r.height();
  return static_cast<int>(std::min<long long>(n, INT_MAX));
}

void ListTable::selectRange(int minRow, int minCol, int maxRow, int maxCol) {
  minRow = std::max(minRow, 0);
  minCol = std::max(minCol, 0);
  maxRow = std::min(maxRow, m_rows - 1);
  maxCol = std::min(maxCol, columnCount() - 1);
  if (minRow > maxRow || minCol > maxCol) {
    selectionModel()->clearSelection();
    return;
  }
  selectionModel()->select(
      QItemSelection(m_model->index(minRow, minCol), m_model->index(maxRow, maxCol)),
      QItemSelectionModel::ClearAndSelect);
}

std::string ListTable::selectionText() const {
  const QItemSelection sel = selectionModel()->selection();
  present::CellRange range;
  for (const QItemSelectionRange& r : sel) {
    if (!r.isValid()) continue;
    range.include(r.top(), r.left());
    range.include(r.bottom(), r.right());
  }
  present::CopySource src;
  src.text = [this](int r, int c) { return text(r, c).toStdString(); };
  if (sel.size() > 1)
    src.selected = [this](int r, int c) {
      return selectionModel()->isSelected(m_model->index(r, c));
    };
  src.row_hidden = [this](int r) { return isRowHidden(r); };
  src.col_hidden = [this](int c) { return isColumnHidden(c); };
  return present::copyText(range, src);
}

bool ListTable::copySelection() {
  if (selectedCount() == 0) return false;
  QApplication::clipboard()->setText(QString::fromStdString(selectionText()));
  return true;
}

core::Table ListTable::toTable(const std::string& title) const {
  core::Table t;
  t.title = title;
  for (int c = 0; c < columnCount(); ++c) {
    t.headers.push_back(m_captions[c].toStdString());
    t.widths.push_back(isColumnHidden(c) ? 0 : columnWidth(c));
  }
  for (int r = 0; r < m_rows; ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < columnCount(); ++c) row.push_back(text(r, c).toStdString());
    t.rows.push_back(std::move(row));
  }
  return t;
}

void ListTable::keyPressEvent(QKeyEvent* e) {
  const auto mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  if (mods == Qt::ControlModifier && (e->key() == Qt::Key_C || e->key() == Qt::Key_Insert)) {
    copySelection();
    e->accept();
    return;
  }
  QTableView::keyPressEvent(e);
}

bool copyListSelection(QWidget* page, ListTable& list) {
  if (list.copySelection()) return true;
  showMessage(page, QStringLiteral("至少选中一个单元格才能复制"));
  return false;
}

}  // namespace widgets
