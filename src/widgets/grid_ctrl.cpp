// CGridCtrl: the cell model (counts, sizes, texts, rows, cell kinds, tables). Editing and the
// keyboard live in grid_ctrl_edit.cpp, the selection and copy in grid_ctrl_select.cpp, mouse
// events and the pop-up menu in grid_ctrl_menu.cpp.
#include "widgets/grid_ctrl.h"

#include <QAbstractButton>
#include <QHeaderView>

#include <algorithm>

#include "widgets/grid_ctrl_p.h"

namespace widgets {

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

void CGridCtrl::SetColumnToolTip(int col, const QString& text) {
  if (text.isEmpty())
    m_colTips.erase(col);
  else
    m_colTips[col] = text;
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

}  // namespace widgets
