// Clipboard text of a table selection, and the reverse: splitting pasted text into fields.
//
// Copy (copyText): the selection is described by its bounding rectangle and a predicate that
// says which cells inside it are selected. For each visible row of the rectangle one line is
// written; for each visible column of the rectangle one field: the cell's text when that cell
// is selected, an empty field when it is not. Fields are separated by one TAB, lines by CR LF;
// nothing follows the last field of a line or the last line. Hidden rows and columns (height or
// width 0) contribute neither text nor separator. Texts are UTF-8 and copied byte for byte.
//
//   a b c      selected: all six cells     ->  "a\tb\tc\r\nd\te\tf"
//   d e f      selected: a, c, e            ->  "a\t\tc\r\n\te\t"
//
// Paste (splitPasteText): lines at LF, fields at TAB or comma, every field trimmed of leading
// and trailing blanks (which also drops the CR of a CR LF line end). A line that is empty after
// trimming gives a row without fields; the empty piece after a final line end is dropped.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace present {

// An inclusive rectangle of cells; -1 everywhere means "no cells".
struct CellRange {
  int min_row = -1;
  int min_col = -1;
  int max_row = -1;
  int max_col = -1;

  bool isValid() const {
    return min_row >= 0 && min_col >= 0 && max_row >= min_row && max_col >= min_col;
  }
  bool contains(int row, int col) const {
    return row >= min_row && row <= max_row && col >= min_col && col <= max_col;
  }
  // Grows the rectangle to take in one more cell.
  void include(int row, int col);
};

// What the copy needs to know of a table. Empty hidden predicates mean nothing is hidden; an
// empty selected predicate means every cell of the rectangle is selected.
struct CopySource {
  std::function<std::string(int row, int col)> text;
  std::function<bool(int row, int col)> selected;
  std::function<bool(int row)> row_hidden;
  std::function<bool(int col)> col_hidden;
};

// The clipboard text of the cells of `range` (see the rules above); empty for an invalid range.
std::string copyText(const CellRange& range, const CopySource& src);

// The same over plain cell texts (rows of fields) with the selected cells listed by
// (row, column); hidden_rows / hidden_cols list hidden indices. Used for tests and small tables.
std::string copyText(const std::vector<std::vector<std::string>>& cells,
                     const std::vector<std::pair<int, int>>& selected,
                     const std::vector<int>& hidden_rows = {},
                     const std::vector<int>& hidden_cols = {});

// Pasted clipboard text as rows of trimmed fields.
std::vector<std::vector<std::string>> splitPasteText(std::string_view text);

}  // namespace present
