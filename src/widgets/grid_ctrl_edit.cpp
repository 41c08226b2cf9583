// CGridCtrl: keyboard commands and in-place editing (the editor delegate, cut, paste, clear).
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "widgets/grid_ctrl.h"
#include "widgets/grid_ctrl_p.h"

namespace widgets {

// ---- in-place editors -----------------------------------------------------------------------

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
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

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  if (auto* box = qobject_cast<QComboBox*>(editor)) {
    box->setCurrentIndex(box->findText(index.data(Qt::EditRole).toString()));
    return;
  }
  QStyledItemDelegate::setEditorData(editor, index);
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
  if (auto* box = qobject_cast<QComboBox*>(editor)) {
    if (box->currentIndex() >= 0) model->setData(index, box->currentText(), Qt::EditRole);
    return;
  }
  QStyledItemDelegate::setModelData(editor, model, index);
}

// Up, Down, Page Up and Page Down end an edit and then move the focus cell as usual.
bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
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

void CGridCtrl::SetEditable(bool editable) {
  m_editable = editable;
  setEditTriggers(editable ? (QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                              QAbstractItemView::EditKeyPressed)
                           : QAbstractItemView::NoEditTriggers);
}

void CGridCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  const QVariant row = editor ? editor->property("gridRow") : QVariant();
  const QVariant col = editor ? editor->property("gridCol") : QVariant();
  QTableView::closeEditor(editor, hint);
  if (row.isValid() && col.isValid()) emit endLabelEdit(row.toInt(), col.toInt());
}

// ---- keyboard -------------------------------------------------------------------------------

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

// ---- cut, paste, clear ----------------------------------------------------------------------

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

}  // namespace widgets
