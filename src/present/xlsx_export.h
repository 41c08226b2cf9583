// Writing a result table as a spreadsheet file (.xlsx).
//
// The sheet holds the column names in its first row and one row per record below. A value that
// is a plain number ("12", "-0.0500", "1.5e-07") is a numeric cell whose number format shows it
// with the decimals the table showed; every other value is a text cell exactly as given. The file
// appears under its final name only when it is complete: the workbook is written to a temporary
// file in the same folder and then renamed over the target, so a failed export never leaves a
// half-written file under the chosen name and never destroys an existing one.
//
//   present::XlsxTable t;
//   t.sheet = "工业噪声预测计算结果";
//   t.headers = {"距离m", "A声级dBA"};
//   t.rows = 2; t.cols = 2;
//   t.cell = [&](size_t r, size_t c) { return cells[r][c]; };
//   auto res = present::writeXlsx("/tmp/out.xlsx", t);
//   if (!res.ok()) show(res.message);
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace present {

// Greatest sheet size of the file format.
inline constexpr size_t kXlsxMaxRows = 1048576;  // including the header row
inline constexpr size_t kXlsxMaxCols = 16384;

struct XlsxTable {
  std::string sheet;                 // sheet name as the caller gives it (sanitised on write)
  std::vector<std::string> headers;  // column names; their count is the column count
  size_t rows = 0;                   // number of records
  std::function<std::string(size_t row, size_t col)> cell;  // UTF-8 text of a record's cell
};

struct XlsxResult {
  enum class Status {
    Ok,
    WriteFailed,    // the workbook could not be written (message says why)
    ReplaceFailed,  // the complete file could not be moved over the existing target
  };
  Status status = Status::Ok;
  std::string message;  // empty when Ok

  bool ok() const { return status == Status::Ok; }
};

// A valid sheet name made from `name`: the characters : \ / ? * [ ] become '_', apostrophes
// at either end are dropped, the name is cut to 31 UTF-16 code units without splitting a
// character, "History" (reserved) gets a trailing '_', and an empty result becomes "Sheet1".
std::string sanitizeSheetName(const std::string& name);

// Writes `t` to `path` (UTF-8 path) as described above.
XlsxResult writeXlsx(const std::string& path, const XlsxTable& t);

// The same for a plain result table: its title names the sheet.
XlsxResult writeXlsx(const std::string& path, const core::Table& t);

}  // namespace present
