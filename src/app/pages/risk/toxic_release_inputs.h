// The toxic release page's own input widgets: the sensitive receptors as a table (name, x, y,
// height; tab-separated rows paste in) and the editor of the user's substance rows.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "models/risk/toxic_release.h"

class QTableWidget;
class QLabel;

namespace widgets {
class PasteTable;
}

namespace app::toxic {

// The receptors. The page keeps them as text, one receptor "名称, X, Y, 高度" per entry joined by
// "; " (the form projects have always stored), so that old projects open unchanged.
class ReceptorTable : public QWidget {
  Q_OBJECT
 public:
  explicit ReceptorTable(QWidget* parent = nullptr);
  widgets::PasteTable* table() const { return m_table; }
  // The rows in the stored text form; empty rows are left out. A comma or semicolon in a name
  // becomes its full-width form, since those two separate the stored fields.
  std::string text() const;
  // Shows stored text (cells as written, whether numbers or not).
  void setText(const std::string& text);
  // The first row that is not a receptor, as a message; the cell then has the focus.
  std::optional<QString> check();
  void addRow();
  void deleteSelectedRows();

 signals:
  void edited();

 private:
  QString cell(int row, int col) const;
  widgets::PasteTable* m_table = nullptr;
};

// The substance table: the shipped rows (read-only, grey) and the user's rows, which are added,
// edited, copied from any row and deleted here, and saved to the user's file.
class SubstanceEditor : public QDialog {
  Q_OBJECT
 public:
  explicit SubstanceEditor(QWidget* parent = nullptr);
  QTableWidget* table() const { return m_table; }
  int builtinRows() const { return m_builtin; }
  void addRow();
  // A new user row holding the values of `row` (a shipped row so becomes editable: a user row of
  // a shipped name replaces it in the list).
  void copyRow(int row);
  // Deletes a user row; a shipped row is refused with a message.
  bool deleteRow(int row);
  // Checks every user row and writes the user's file; false with a message naming the row and
  // value that stopped it.
  bool save();

 private:
  void appendRow(const models::risk::Substance& s, bool builtin);
  std::optional<QString> readRow(int row, models::risk::Substance& s) const;
  QTableWidget* m_table = nullptr;
  int m_builtin = 0;
  std::vector<std::string> m_unreadable;  // lines of the user's file that could not be read
};

}  // namespace app::toxic
