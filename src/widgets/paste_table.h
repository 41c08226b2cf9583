// A table that takes tab-separated rows pasted from a spreadsheet (Ctrl+V from the current
// cell, adding rows as needed) and copies its selection (Ctrl+C).
#pragma once

#include <QTableWidget>

namespace widgets {

class PasteTable : public QTableWidget {
  Q_OBJECT
 public:
  using QTableWidget::QTableWidget;
  // Pastes rows of fields at a cell, adding rows as needed.
  void pasteText(const QString& text, int row, int col);

 signals:
  void rowsAdded();
  void pasted();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace widgets
