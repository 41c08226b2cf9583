#include "present/xlsx_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

#include "core/file_io.h"

namespace present {

namespace {

// Length in bytes of the UTF-8 sequence that starts with `lead` (1 for stray bytes).
size_t utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

XlsxResult failure(XlsxResult::Status s, std::string message) {
  XlsxResult r;
  r.status = s;
  r.message = std::move(message);
  return r;
}

std::string libraryError(lxw_error e) { return lxw_strerror(e); }

// A cell text that is a plain decimal number ("-12.50", "3e-05"; no leading zero before a
// digit, no blanks, no thousands separators), as its value and the number format that shows
// it as the table did: as many decimals, in scientific notation when it was.
struct NumberCell {
  double value = 0;
  std::string format;
};

std::optional<NumberCell> numberCell(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  const std::size_t int_start = i;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
  const std::size_t int_digits = i - int_start;
  if (int_digits > 1 && s[int_start] == '0') return std::nullopt;  // "007" is a code
  std::size_t decimals = 0;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++decimals;
  }
  if (int_digits + decimals == 0) return std::nullopt;
  bool exponent = false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
    const std::size_t digits = j;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
    if (j == digits) return std::nullopt;
    exponent = true;
    i = j;
  }
  if (i != s.size()) return std::nullopt;
  NumberCell n;
  n.value = std::strtod(s.c_str(), nullptr);
  if (!std::isfinite(n.value)) return std::nullopt;
  n.format = decimals ? "0." + std::string(decimals, '0') : "0";
  if (exponent) n.format += "E+00";
  return n;
}

// Writes the whole workbook to `file`; returns an empty text on success.
std::string writeWorkbook(const std::string& file, const XlsxTable& t) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;  // rows go out in order; keeps large tables out of memory
  lxw_workbook* wb = workbook_new_opt(file.c_str(), &options);
  if (!wb) return "无法创建文件";
  const std::string sheet = sanitizeSheetName(t.sheet);
  lxw_worksheet* ws = workbook_add_worksheet(wb, sheet.c_str());
  std::string error;
  if (!ws) error = "无效的工作表名称";
  const auto cols = static_cast<lxw_col_t>(t.headers.size());
  for (lxw_col_t c = 0; error.empty() && c < cols; ++c) {
    const lxw_error e = worksheet_write_string(ws, 0, c, t.headers[c].c_str(), nullptr);
    if (e != LXW_NO_ERROR) error = libraryError(e);
  }
  // Numbers are numeric cells (they add up and take number formats), texts stay texts.
  std::map<std::string, lxw_format*> formats;
  for (size_t r = 0; error.empty() && r < t.rows; ++r) {
    for (lxw_col_t c = 0; error.empty() && c < cols; ++c) {
      const std::string text = t.cell(r, c);
      if (text.empty()) continue;
      const auto row = static_cast<lxw_row_t>(r + 1);
      lxw_error e = LXW_NO_ERROR;
      if (const auto n = numberCell(text)) {
        lxw_format*& f = formats[n->format];
        if (!f) {
          f = workbook_add_format(wb);
          format_set_num_format(f, n->format.c_str());
        }
        e = worksheet_write_number(ws, row, c, n->value, f);
      } else {
        e = worksheet_write_string(ws, row, c, text.c_str(), nullptr);
      }
      if (e != LXW_NO_ERROR) error = libraryError(e);
    }
  }
  // Closing writes the file; it must run even after an error to free the workbook.
  const lxw_error closed = workbook_close(wb);
  if (error.empty() && closed != LXW_NO_ERROR) error = libraryError(closed);
  return error;
}

}  // namespace

std::string sanitizeSheetName(const std::string& name) {
  std::string s;
  s.reserve(name.size());
  for (char ch : name) {
    const bool bad = ch == ':' || ch == '\\' || ch == '/' || ch == '?' || ch == '*' || ch == '[' ||
                     ch == ']' || (static_cast<unsigned char>(ch) < 0x20);
    s += bad ? '_' : ch;
  }
  while (!s.empty() && s.front() == '\'') s.erase(s.begin());
  while (!s.empty() && s.back() == '\'') s.pop_back();

  // Cut to 31 UTF-16 code units: characters beyond the basic plane count twice.
  size_t units = 0, i = 0;
  while (i < s.size()) {
    const size_t len = std::min(utf8Length(static_cast<unsigned char>(s[i])), s.size() - i);
    const size_t need = len == 4 ? 2 : 1;
    if (units + need > 31) break;
    units += need;
    i += len;
  }
  s.resize(i);
  while (!s.empty() && s.back() == '\'') s.pop_back();

  std::string lower = s;
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (lower == "history") s += '_';
  if (s.empty()) s = "Sheet1";
  return s;
}

XlsxResult writeXlsx(const std::string& path, const XlsxTable& t) {
  using Status = XlsxResult::Status;
  if (t.rows + 1 > kXlsxMaxRows || t.headers.size() > kXlsxMaxCols)
    return failure(Status::WriteFailed, "表格超出电子表格的大小上限（1048576行，16384列）");
  if (t.rows > 0 && !t.cell) return failure(Status::WriteFailed, "没有单元格数据");

  // The library writes the workbook by name into the temporary file created for it.
  // A target that exists but cannot be replaced (a folder, a FIFO) is told apart from a failed
  // write.
  auto replaceFailure = [&path](const std::string& e) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(path, ec);
    return failure(existed ? Status::ReplaceFailed : Status::WriteFailed, e);
  };
  core::AtomicFile file;
  if (std::string e = file.open(path); !e.empty()) return replaceFailure(e);
  const std::string error = writeWorkbook(file.tempPath(), t);
  if (!error.empty()) return failure(Status::WriteFailed, error);
  if (std::string e = file.commit(); !e.empty()) return replaceFailure(e);
  return {};
}

XlsxResult writeXlsx(const std::string& path, const core::Table& table) {
  XlsxTable t;
  t.sheet = table.title;
  t.headers = table.headers;
  t.rows = table.rows.size();
  t.cell = [&table](size_t r, size_t c) -> std::string {
    const auto& row = table.rows[r];
    return c < row.size() ? row[c] : std::string();
  };
  return writeXlsx(path, t);
}

}  // namespace present
