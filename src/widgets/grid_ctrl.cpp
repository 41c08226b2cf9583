#include "widgets/grid_ctrl.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <climits>

#include "widgets/excel_export.h"
#include "widgets/prompts.h"

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
                        const QModelIndex& index) const override {
    const int row = index.row() + m_grid->m_fixedRows, col = index.column() + m_grid->m_fixedCols;
    QWidget* editor = nullptr;
    if (const CGridCellCombo* combo = m_grid->GetComboCell(row, col)) {
      auto* box = new QComboBox(parent);
      box->addItems(combo->GetOptions());
      box->setFocusPolicy(Qt::StrongFocus);
      connect(box, &QComboBox::activated, this, [this, box] {
        emit const_cast<GridDelegate*>(this)->commitData(box);
        emit const_cast<GridDelegate*>(this)->closeEditor(box, QAbstractItemDelegate::NoHint);
      });
      QTimer::singleShot(0, box, [box] {
        if (box->isVisible()) box->showPopup();
      });
      editor = box;
    } else {
      editor = QStyledItemDelegate::createEditor(parent, option, index);
      if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        connect(line, &QLineEdit::textChanged, line, [line](const QString& text) {
          const int want = line->fontMetrics().horizontalAdvance(text) + 12;
          if (want > line->width()) line->resize(want, line->height());
        });
      }
    }
    editor->setProperty("gridRow", row);
    editor->setProperty("gridCol", col);
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      box->setCurrentIndex(box->findText(index.data(Qt::EditRole).toString()));
      return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      if (box->currentIndex() >= 0) model->setData(index, box->currentText(), Qt::EditRole);
      return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
  }

 protected:
  // Up, Down, Page Up and Page Down end an edit and then move the focus cell as usual.
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* line = qobject_cast<QLineEdit*>(object);
    if (line && event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
          emit commitData(line);
          emit closeEditor(line, QAbstractItemDelegate::NoHint);
          QApplication::postEvent(m_grid,
                                  new QKeyEvent(QEvent::KeyPress, key->key(), Qt::NoModifier));
          return true;
        }
        default: break;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  CGridCtrl* m_grid;
};

CGridCtrl::CGridCtrl(QWidget* parent) : CGridCtrl(0, 0, 0, 0, parent) {}

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent)
    : QTableView(parent) {
  m_defaultRowHeight = std::max(22, fontMetrics().height() + 8);
  m_model = new GridModel(this);
  setModel(m_model);
  setItemDelegate(new GridDelegate(this));
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  for (QHeaderView* h : {horizontalHeader(), verticalHeader()}) {
    h->setMinimumSectionSize(1);
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setHighlightSections(false);
    h->viewport()->installEventFilter(this);
  }
  horizontalHeader()->setDefaultSectionSize(m_defaultColWidth);
  verticalHeader()->setDefaultSectionSize(m_defaultRowHeight);
  m_corner = findChild<QAbstractButton*>();
  if (m_corner) m_corner->installEventFilter(this);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int i, int, int n) { onSectionResized(Qt::Horizontal, i, n); });
  connect(verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int i, int, int n) { onSectionResized(Qt::Vertical, i, n); });
  SetEditable(true);
  SetRowCount(rows);
  SetColumnCount(cols);
  SetFixedRowCount(fixedRows);
  SetFixedColumnCount(fixedCols);
}

CGridCtrl::~CGridCtrl() = default;

// ---- counts ---------------------------------------------------------------------------------

bool CGridCtrl::SetRowCount(int n) {
  if (n < 0) return false;
  m_cells.resize(static_cast<size_t>(n) * static_cast<size_t>(m_cols));
  m_rowHeights.resize(static_cast<size_t>(n), m_defaultRowHeight);
  m_rows = n;
  m_fixedRows = std::min(m_fixedRows, n);
  std::erase_if(m_combos, [n](const auto& kv) { return (kv.first >> 32) >= n; });
  structureChanged();
  return true;
}

bool CGridCtrl::SetColumnCount(int n) {
  if (n < 0) return false;
  if (n != m_cols) {
    std::vector<QString> cells(static_cast<size_t>(m_rows) * static_cast<size_t>(n));
    const int keep = std::min(n, m_cols);
    for (int r = 0; r < m_rows; ++r)
      for (int c = 0; c < keep; ++c)
        cells[static_cast<size_t>(r) * static_cast<size_t>(n) + static_cast<size_t>(c)] =
            std::move(m_cells[at(r, c)]);
    m_cells = std::move(cells);
  }
  m_colWidths.resize(static_cast<size_t>(n), m_defaultColWidth);
  m_cols = n;
  m_fixedCols = std::min(m_fixedCols, n);
  std::erase_if(m_combos, [n](const auto& kv) { return (kv.first & 0xffffffff) >= n; });
  structureChanged();
  return true;
}

bool CGridCtrl::SetFixedRowCount(int n) {
  if (n < 0) return false;
  if (n > m_rows) SetRowCount(n);
  m_fixedRows = n;
  structureChanged();
  return true;
}

bool CGridCtrl::SetFixedColumnCount(int n) {
  if (n < 0) return false;
  if (n > m_cols) SetColumnCount(n);
  m_fixedCols = n;
  structureChanged();
  return true;
}

// ---- sizes ----------------------------------------------------------------------------------

bool CGridCtrl::SetRowHeight(int row, int px) {
  if (row < 0 || row >= m_rows || px < 0) return false;
  m_rowHeights[static_cast<size_t>(row)] = px;
  if (row < m_fixedRows) {
    applyHeaderSizes();
    return true;
  }
  m_applyingSizes = true;
  const int v = row - m_fixedRows;
  setRowHidden(v, px == 0);
  if (px > 0) setRowHeight(v, px);
  m_applyingSizes = false;
  return true;
}

bool CGridCtrl::SetColumnWidth(int col, int px) {
  if (col < 0 || col >= m_cols || px < 0) return false;
  m_colWidths[static_cast<size_t>(col)] = px;
  if (col < m_fixedCols) {
    applyHeaderSizes();
    return true;
  }
  m_applyingSizes = true;
  const int v = col - m_fixedCols;
  setColumnHidden(v, px == 0);
  if (px > 0) setColumnWidth(v, px);
  m_applyingSizes = false;
  return true;
}

int CGridCtrl::GetRowHeight(int row) const {
  return row >= 0 && row < m_rows ? m_rowHeights[static_cast<size_t>(row)] : -1;
}

int CGridCtrl::GetColumnWidth(int col) const {
  return col >= 0 && col < m_cols ? m_colWidths[static_cast<size_t>(col)] : -1;
}

void CGridCtrl::onSectionResized(Qt::Orientation o, int logical, int newSize) {
  if (m_applyingSizes || newSize <= 0) return;
  if (o == Qt::Horizontal) {
    const int col = logical + m_fixedCols;
    if (col < m_cols) m_colWidths[static_cast<size_t>(col)] = newSize;
  } else {
    const int row = logical + m_fixedRows;
    if (row < m_rows) m_rowHeights[static_cast<size_t>(row)] = newSize;
  }
}

// The header rows become the horizontal header (their heights added up), the header columns the
// vertical one; data rows and columns get their own sizes, and size 0 hides them.
void CGridCtrl::applyHeaderSizes() {
  m_applyingSizes = true;
  int headerHeight = 0, headerWidth = 0;
  for (int r = 0; r < m_fixedRows; ++r) headerHeight += m_rowHeights[static_cast<size_t>(r)];
  for (int c = 0; c < m_fixedCols; ++c) headerWidth += m_colWidths[static_cast<size_t>(c)];
  horizontalHeader()->setVisible(m_fixedRows > 0 && headerHeight > 0);
  horizontalHeader()->setFixedHeight(std::max(headerHeight, 1));
  verticalHeader()->setVisible(m_fixedCols > 0 && headerWidth > 0);
  verticalHeader()->setFixedWidth(std::max(headerWidth, 1));
  m_applyingSizes = false;
}

void CGridCtrl::structureChanged() {
  m_model->reset();
  applyHeaderSizes();
  m_applyingSizes = true;
  for (int c = m_fixedCols; c < m_cols; ++c) {
    const int w = m_colWidths[static_cast<size_t>(c)];
    if (w <= 0)
      setColumnHidden(c - m_fixedCols, true);
    else if (w != m_defaultColWidth)
      setColumnWidth(c - m_fixedCols, w);
  }
  for (int r = m_fixedRows; r < m_rows; ++r) {
    const int h = m_rowHeights[static_cast<size_t>(r)];
    if (h <= 0)
      setRowHidden(r - m_fixedRows, true);
    else if (h != m_defaultRowHeight)
      setRowHeight(r - m_fixedRows, h);
  }
  m_applyingSizes = false;
}

// ---- texts ----------------------------------------------------------------------------------

bool CGridCtrl::SetItemText(int row, int col, const QString& text) {
  if (!inRange(row, col)) return false;
  m_cells[at(row, col)] = text;
  scheduleRepaint();
  return true;
}

bool CGridCtrl::SetItemText(int row, int col, const std::string& utf8) {
  return SetItemText(row, col, QString::fromStdString(utf8));
}

bool CGridCtrl::SetItemText(int row, int col, const char* utf8) {
  return SetItemText(row, col, QString::fromUtf8(utf8));
}

QString CGridCtrl::GetItemText(int row, int col) const {
  return inRange(row, col) ? m_cells[at(row, col)] : QString();
}

// Filling a large grid sets many cells in a row: one repaint afterwards is enough.
void CGridCtrl::scheduleRepaint() {
  if (m_repaintPending) return;
  m_repaintPending = true;
  QMetaObject::invokeMethod(
      this, [this] { Invalidate(); }, Qt::QueuedConnection);
}

void CGridCtrl::Invalidate() {
  m_repaintPending = false;
  viewport()->update();
  horizontalHeader()->viewport()->update();
  verticalHeader()->viewport()->update();
  if (m_corner) m_corner->update();
}

// ---- rows -----------------------------------------------------------------------------------

int CGridCtrl::InsertRow(const QString& heading, int pos) {
  if (pos != -1 && (pos < m_fixedRows || pos >= m_rows)) return -1;
  if (m_cols == 0) SetColumnCount(1);
  const int row = pos == -1 ? m_rows : pos;
  const bool dataRow = row >= m_fixedRows;
  if (dataRow) m_model->beginRows(row - m_fixedRows, row - m_fixedRows, true);
  m_cells.insert(m_cells.begin() + static_cast<std::ptrdiff_t>(at(row, 0)),
                 static_cast<size_t>(m_cols), QString());
  m_rowHeights.insert(m_rowHeights.begin() + row, m_defaultRowHeight);
  ++m_rows;
  std::map<long long, std::unique_ptr<CGridCellCombo>> combos;
  for (auto& [key, cell] : m_combos) {
    const int r = static_cast<int>(key >> 32), c = static_cast<int>(key & 0xffffffff);
    combos[cellKey(r >= row ? r + 1 : r, c)] = std::move(cell);
  }
  m_combos = std::move(combos);
  m_cells[at(row, 0)] = heading;
  if (dataRow)
    m_model->endRows(true);
  else
    structureChanged();
  scheduleRepaint();
  return row;
}

bool CGridCtrl::DeleteRow(int row) {
  if (row < 0 || row >= m_rows) return false;
  const bool dataRow = row >= m_fixedRows;
  if (dataRow) m_model->beginRows(row - m_fixedRows, row - m_fixedRows, false);
  const auto first = m_cells.begin() + static_cast<std::ptrdiff_t>(at(row, 0));
  m_cells.erase(first, first + m_cols);
  m_rowHeights.erase(m_rowHeights.begin() + row);
  --m_rows;
  std::map<long long, std::unique_ptr<CGridCellCombo>> combos;
  for (auto& [key, cell] : m_combos) {
    const int r = static_cast<int>(key >> 32), c = static_cast<int>(key & 0xffffffff);
    if (r != row) combos[cellKey(r > row ? r - 1 : r, c)] = std::move(cell);
  }
  m_combos = std::move(combos);
  if (dataRow) {
    m_model->endRows(false);
  } else {
    --m_fixedRows;
    structureChanged();
  }
  return true;
}

bool CGridCtrl::DeleteAllItems() {
  m_cells.clear();
  m_rowHeights.clear();
  m_colWidths.clear();
  m_combos.clear();
  m_rows = m_cols = m_fixedRows = m_fixedCols = 0;
  structureChanged();
  return true;
}

// ---- cell kinds -----------------------------------------------------------------------------

bool CGridCtrl::SetCellType(int row, int col, GridCellKind kind) {
  if (!inRange(row, col)) return false;
  if (kind == GridCellKind::Combo) {
    auto& cell = m_combos[cellKey(row, col)];
    if (!cell) cell = std::make_unique<CGridCellCombo>();
  } else {
    m_combos.erase(cellKey(row, col));
  }
  return true;
}

GridCellKind CGridCtrl::GetCellType(int row, int col) const {
  return GetComboCell(row, col) ? GridCellKind::Combo : GridCellKind::Text;
}

CGridCellCombo* CGridCtrl::GetComboCell(int row, int col) {
  const auto it = m_combos.find(cellKey(row, col));
  return it == m_combos.end() ? nullptr : it->second.get();
}

const CGridCellCombo* CGridCtrl::GetComboCell(int row, int col) const {
  const auto it = m_combos.find(cellKey(row, col));
  return it == m_combos.end() ? nullptr : it->second.get();
}

void CGridCtrl::SetEditable(bool editable) {
  m_editable = editable;
  setEditTriggers(editable ? (QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                              QAbstractItemView::EditKeyPressed)
                           : QAbstractItemView::NoEditTriggers);
}

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

void CGridCtrl::ClearSelectedCells() {
  if (!m_editable) return;
  for (const QItemSelectionRange& r : selectionModel()->selection()) {
    for (int v = r.top(); v <= r.bottom(); ++v)
      for (int h = r.left(); h <= r.right(); ++h)
        m_cells[at(v + m_fixedRows, h + m_fixedCols)].clear();
    m_model->cellsChanged(r.top(), r.left(), r.bottom(), r.right());
  }
}

void CGridCtrl::OnEditCut() {
  if (!m_editable) return;
  OnEditCopy();
  ClearSelectedCells();
}

void CGridCtrl::OnEditPaste() {
  if (!m_editable) return;
  PasteText(QApplication::clipboard()->text());
}

// Fields go into the cells from the focus cell on, row by row; hidden rows and columns are
// passed over and fields beyond the grid dropped. The pasted cells become the selection.
void CGridCtrl::PasteText(const QString& text) {
  if (!m_editable) return;
  const QPoint focus = GetFocusCell();
  if (focus.x() < 0) return;
  QItemSelection pasted;
  int row = focus.y();
  for (const auto& fields : present::splitPasteText(text.toStdString())) {
    while (row < m_rows && m_rowHeights[static_cast<size_t>(row)] <= 0) ++row;
    if (row >= m_rows) break;
    int col = focus.x(), first = -1, last = -1;
    for (const std::string& field : fields) {
      while (col < m_cols && m_colWidths[static_cast<size_t>(col)] <= 0) ++col;
      if (col >= m_cols) break;
      m_cells[at(row, col)] = QString::fromStdString(field);
      if (first < 0) first = col;
      last = col;
      ++col;
    }
    if (first >= 0) pasted.select(viewIndex(row, first), viewIndex(row, last));
    ++row;
  }
  if (pasted.isEmpty()) return;
  m_model->cellsChanged(0, 0, m_model->rowCount() - 1, m_model->columnCount() - 1);
  selectionModel()->select(pasted, QItemSelectionModel::ClearAndSelect);
}

void CGridCtrl::AutoSizeColumns() {
  resizeColumnsToContents();
  for (int c = m_fixedCols; c < m_cols; ++c)
    if (!isColumnHidden(c - m_fixedCols))
      m_colWidths[static_cast<size_t>(c)] = columnWidth(c - m_fixedCols);
  Invalidate();
}

// ---- tables ---------------------------------------------------------------------------------

core::Table CGridCtrl::ToTable(const std::string& title) const {
  core::Table t;
  t.title = title;
  if (m_rows == 0) return t;
  for (int c = 0; c < m_cols; ++c) {
    t.headers.push_back(m_cells[at(0, c)].toStdString());
    t.widths.push_back(m_colWidths[static_cast<size_t>(c)]);
  }
  for (int r = 1; r < m_rows; ++r) {
    std::vector<std::string> row;
    row.reserve(static_cast<size_t>(m_cols));
    for (int c = 0; c < m_cols; ++c) row.push_back(m_cells[at(r, c)].toStdString());
    t.rows.push_back(std::move(row));
  }
  return t;
}

void CGridCtrl::SetTable(const core::Table& t) {
  size_t cols = t.headers.size();
  for (const auto& row : t.rows) cols = std::max(cols, row.size());
  DeleteAllItems();
  m_cols = static_cast<int>(cols);
  m_rows = static_cast<int>(t.rows.size()) + 1;
  m_fixedRows = 1;
  m_cells.assign(static_cast<size_t>(m_rows) * cols, QString());
  m_rowHeights.assign(static_cast<size_t>(m_rows), m_defaultRowHeight);
  m_colWidths.assign(cols, m_defaultColWidth);
  for (size_t c = 0; c < t.headers.size(); ++c) m_cells[c] = QString::fromStdString(t.headers[c]);
  for (size_t r = 0; r < t.rows.size(); ++r)
    for (size_t c = 0; c < t.rows[r].size(); ++c)
      m_cells[(r + 1) * cols + c] = QString::fromStdString(t.rows[r][c]);
  for (size_t c = 0; c < t.widths.size() && c < cols; ++c)
    m_colWidths[c] = std::max(0, t.widths[c]);
  structureChanged();
}

// ---- events ---------------------------------------------------------------------------------

void CGridCtrl::keyPressEvent(QKeyEvent* e) {
  const auto mods = e->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  const int key = e->key();
  const bool ctrl = mods == Qt::ControlModifier;
  const bool shift = mods == Qt::ShiftModifier;
  if (ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) {
    OnEditCopy();
  } else if (ctrl && key == Qt::Key_X) {
    OnEditCut();
  } else if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
    OnEditPaste();
  } else if (mods == Qt::NoModifier && key == Qt::Key_Delete) {
    ClearSelectedCells();
  } else if (ctrl && key == Qt::Key_Plus && (e->modifiers() & Qt::KeypadModifier)) {
    AutoSizeColumns();
  } else {
    QTableView::keyPressEvent(e);
    return;
  }
  e->accept();
}

void CGridCtrl::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) {  // a right click never changes the selection
    e->accept();
    return;
  }
  QTableView::mousePressEvent(e);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::RightButton) {
    QTableView::mouseReleaseEvent(e);
    return;
  }
  const QModelIndex idx = indexAt(e->position().toPoint());
  if (idx.isValid())
    emitRightClick(idx.row() + m_fixedRows, idx.column() + m_fixedCols);
  else
    emitRightClick(-1, -1);
  e->accept();
}

void CGridCtrl::emitRightClick(int row, int col) {
  if (SetFocusCell(row, col))
    emit rightClicked(row, col);
  else
    emit rightClicked(-1, -1);
}

bool CGridCtrl::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {  // the whole text of a cell too narrow to show it
    auto* help = static_cast<QHelpEvent*>(e);
    const QModelIndex idx = indexAt(help->pos());
    const QString text = idx.isValid() ? idx.data().toString() : QString();
    const QRect rect = idx.isValid() ? visualRect(idx) : QRect();
    if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) + 8 > rect.width())
      QToolTip::showText(help->globalPos(), text, viewport(), rect);
    else
      QToolTip::hideText();
    return true;
  }
  return QTableView::viewportEvent(e);
}

bool CGridCtrl::eventFilter(QObject* watched, QEvent* e) {
  QWidget* corner = m_corner;
  if (corner && watched == corner && e->type() == QEvent::Paint) {
    // The corner shows the texts of the cells where header rows and header columns meet.
    QStringList lines;
    for (int r = 0; r < m_fixedRows; ++r) {
      QStringList parts;
      for (int c = 0; c < m_fixedCols; ++c) parts << m_cells[at(r, c)];
      lines << parts.join(QStringLiteral("  "));
    }
    QPainter p(corner);
    QStyleOptionHeader opt;
    opt.initFrom(corner);
    opt.rect = corner->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = lines.join(QLatin1Char('\n'));
    opt.textAlignment = Qt::AlignCenter;
    corner->style()->drawControl(QStyle::CE_Header, &opt, &p, corner);
    return true;
  }
  if (e->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
    const QPoint pos = static_cast<QMouseEvent*>(e)->position().toPoint();
    const bool haveData = m_rows > m_fixedRows && m_cols > m_fixedCols;
    if (watched == horizontalHeader()->viewport()) {
      const int s = horizontalHeader()->logicalIndexAt(pos);
      emitRightClick(haveData && s >= 0 ? m_fixedRows : -1, s >= 0 ? s + m_fixedCols : -1);
      return true;
    }
    if (watched == verticalHeader()->viewport()) {
      const int s = verticalHeader()->logicalIndexAt(pos);
      emitRightClick(s >= 0 ? s + m_fixedRows : -1, haveData && s >= 0 ? m_fixedCols : -1);
      return true;
    }
    if (corner && watched == corner) {
      emitRightClick(m_fixedRows, m_fixedCols);
      return true;
    }
  }
  return QTableView::eventFilter(watched, e);
}

void CGridCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  const QVariant row = editor ? editor->property("gridRow") : QVariant();
  const QVariant col = editor ? editor->property("gridCol") : QVariant();
  QTableView::closeEditor(editor, hint);
  if (row.isValid() && col.isValid()) emit endLabelEdit(row.toInt(), col.toInt());
}

// ---- page helpers ---------------------------------------------------------------------------

bool copyGridSelection(QWidget* page, CGridCtrl& grid) {
  if (grid.GetSelectedCount() > 0) {
    grid.OnEditCopy();
    return true;
  }
  showMessage(page, QStringLiteral("至少选中一个单元格才能复制"));
  return false;
}

QMenu* createGridPopupMenu(QWidget* parent) {
  auto* menu = new QMenu(QStringLiteral("GRIDPOP"), parent);
  menu->addAction(QStringLiteral("复制  Ctrl+&C"))->setData(kCmdGridCopy);
  menu->addAction(QStringLiteral("导出EXCEL"))->setData(kCmdGridExport);
  return menu;
}

void runGridPopupCommand(QWidget* page, CGridCtrl& grid, const QString& exportTitle, int command) {
  if (command == kCmdGridCopy)
    copyGridSelection(page, grid);
  else if (command == kCmdGridExport)
    exportGrid(page, grid, exportTitle);
}

void attachGridPopup(CGridCtrl* grid, QWidget* page, const QString& exportTitle) {
  QPointer<CGridCtrl> g(grid);
  QObject::connect(grid, &CGridCtrl::rightClicked, page, [g, page, exportTitle](int, int) {
    if (!g) return;
    QMenu* menu = createGridPopupMenu(page);
    const QAction* chosen = menu->exec(QCursor::pos());
    const int command = chosen ? chosen->data().toInt() : 0;
    delete menu;
    if (command && g) runGridPopupCommand(page, *g, exportTitle, command);
  });
}

}  // namespace widgets
