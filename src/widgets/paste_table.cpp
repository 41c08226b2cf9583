#include "widgets/paste_table.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <algorithm>

#include "present/table_copy.h"

namespace widgets {

void PasteTable::pasteText(const QString& text, int row, int col) {
  const auto rows = present::splitPasteText(text.toStdString());
  if (rows.empty()) return;
  row = std::max(row, 0);
  col = std::max(col, 0);
  const int old_rows = rowCount();
  // One change for the whole paste, not one per cell.
  const bool was_blocked = blockSignals(true);
  if (row + static_cast<int>(rows.size()) > rowCount())
    setRowCount(row + static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) {
      const int cc = col + static_cast<int>(c);
      if (cc >= columnCount()) break;
      QTableWidgetItem* it = item(row + static_cast<int>(r), cc);
      if (!it) {
        it = new QTableWidgetItem;
        setItem(row + static_cast<int>(r), cc, it);
      }
      if (!(it->flags() & Qt::ItemIsEditable)) continue;
      const QString v = QString::fromStdString(rows[r][c]);
      if (it->data(Qt::CheckStateRole).isValid())  // a check box cell
        it->setCheckState(v == QStringLiteral("是") || v == QStringLiteral("1") ||
                                  v.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0
                              ? Qt::Checked
                              : Qt::Unchecked);
      else
        it->setText(v);
    }
  blockSignals(was_blocked);
  if (rowCount() != old_rows) emit rowsAdded();
  emit pasted();
}

void PasteTable::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Paste)) {
    pasteText(QApplication::clipboard()->text(), currentRow(), currentColumn());
    return;
  }
  if (e->matches(QKeySequence::Copy)) {
    std::vector<std::vector<std::string>> cells(static_cast<size_t>(rowCount()));
    for (int r = 0; r < rowCount(); ++r)
      for (int c = 0; c < columnCount(); ++c) {
        const QTableWidgetItem* it = item(r, c);
        cells[static_cast<size_t>(r)].push_back(it ? it->text().toStdString() : std::string());
      }
    std::vector<std::pair<int, int>> sel;
    for (const QModelIndex& i : selectedIndexes()) sel.emplace_back(i.row(), i.column());
    QApplication::clipboard()->setText(QString::fromStdString(present::copyText(cells, sel)));
    return;
  }
  QTableWidget::keyPressEvent(e);
}

}  // namespace widgets
