#include "present/table_copy.h"

#include <algorithm>
#include <set>

namespace present {

void CellRange::include(int row, int col) {
  if (!isValid()) {
    min_row = max_row = row;
    min_col = max_col = col;
    return;
  }
  min_row = std::min(min_row, row);
  max_row = std::max(max_row, row);
  min_col = std::min(min_col, col);
  max_col = std::max(max_col, col);
}

std::string copyText(const CellRange& range, const CopySource& src) {
  std::string out;
  if (!range.isValid()) return out;

  // Visible columns of the rectangle, worked out once for all rows.
  std::vector<int> cols;
  for (int c = range.min_col; c <= range.max_col; ++c)
    if (!(src.col_hidden && src.col_hidden(c))) cols.push_back(c);

  bool first_line = true;
  for (int r = range.min_row; r <= range.max_row; ++r) {
    if (src.row_hidden && src.row_hidden(r)) continue;
    // Separators go between written lines and fields, so a hidden last row or column leaves
    // no dangling CR LF or TAB behind.
    if (!first_line) out += "\r\n";
    first_line = false;
    for (size_t i = 0; i < cols.size(); ++i) {
      if (i) out += '\t';
      if (!src.selected || src.selected(r, cols[i])) out += src.text(r, cols[i]);
    }
  }
  return out;
}

std::string copyText(const std::vector<std::vector<std::string>>& cells,
                     const std::vector<std::pair<int, int>>& selected,
                     const std::vector<int>& hidden_rows, const std::vector<int>& hidden_cols) {
  CellRange range;
  for (const auto& [r, c] : selected) range.include(r, c);
  const std::set<std::pair<int, int>> sel(selected.begin(), selected.end());
  const std::set<int> hr(hidden_rows.begin(), hidden_rows.end());
  const std::set<int> hc(hidden_cols.begin(), hidden_cols.end());
  CopySource src;
  src.text = [&](int r, int c) -> std::string {
    if (r < 0 || r >= static_cast<int>(cells.size())) return {};
    const auto& row = cells[static_cast<size_t>(r)];
    if (c < 0 || c >= static_cast<int>(row.size())) return {};
    return row[static_cast<size_t>(c)];
  };
  src.selected = [&](int r, int c) { return sel.count({r, c}) != 0; };
  src.row_hidden = [&](int r) { return hr.count(r) != 0; };
  src.col_hidden = [&](int c) { return hc.count(c) != 0; };
  return copyText(range, src);
}

namespace {
bool isBlank(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

std::string trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}
}  // namespace

std::vector<std::vector<std::string>> splitPasteText(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t lf = text.find('\n', pos);
    const size_t end = lf == std::string_view::npos ? text.size() : lf;
    const std::string_view line = text.substr(pos, end - pos);
    if (lf == std::string_view::npos && line.empty() && !rows.empty()) break;  // after final LF
    std::vector<std::string> fields;
    if (!trimmed(line).empty()) {
      size_t fpos = 0;
      while (true) {
        const size_t sep = line.find_first_of("\t,", fpos);
        const size_t fend = sep == std::string_view::npos ? line.size() : sep;
        fields.push_back(trimmed(line.substr(fpos, fend - fpos)));
        if (sep == std::string_view::npos) break;
        fpos = sep + 1;
      }
    }
    rows.push_back(std::move(fields));
    if (lf == std::string_view::npos) break;
    pos = lf + 1;
  }
  return rows;
}

}  // namespace present
