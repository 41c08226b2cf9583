// Calculation sheet: what a reviewer needs to follow one computation — title, date, method
// (the guideline and the formulas), the inputs and result fields (name, symbol, value, unit),
// the result text and the result tables — as a document model, and as HTML for the renderers
// (PDF, HTML file).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace present {

// The most rows a sheet prints of one table, and the most lines of the result text: a longer
// one is cut with a line saying how many were left out (the spreadsheet export holds the whole
// table, the page the whole text).
constexpr size_t kSheetRowLimit = 2000;
constexpr size_t kSheetTextLineLimit = 500;

struct SheetRow {
  std::string label;   // what the field is (the label without its symbol and unit)
  std::string symbol;  // formula symbol (Qh, ρ, tanβ)
  std::string value;   // value as the form shows it
  std::string unit;
};

// A result table as the sheet prints it: one row per distance (a table the program shows with
// the distances across is turned), at most kSheetRowLimit rows.
struct SheetTable {
  std::string title;
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> rows;
  size_t omitted_rows = 0;  // rows left out of the sheet
};

struct CalcSheet {
  std::string title;    // "计算书：<page title>"
  std::string date;     // as the caller gives it
  std::string project;  // file name of the project the page belongs to; empty when none
  std::string version;  // program name and version for the page footer
  std::string method;   // guideline or handbook the calculator follows
  std::vector<std::string> formulas;  // one formula per entry
  std::vector<SheetRow> inputs;
  std::vector<SheetRow> results;
  std::vector<std::string> text;  // result text, line by line (at most kSheetTextLineLimit)
  size_t omitted_text_lines = 0;
  std::vector<SheetTable> tables;
};

// The sheet of one outcome; `inputs` are the values the outcome was computed from (a number's
// `text`, when set, is shown as typed).
CalcSheet buildSheet(const core::CalculatorDesc& desc, const core::Values& inputs,
                     const core::Outcome& outcome, const std::string& date);

// The table as the sheet prints it: turned when the distances run across and the table is
// wider than a page, cut at kSheetRowLimit rows.
SheetTable sheetTable(const core::Table& t);

// How the HTML is meant to be shown.
struct HtmlOptions {
  std::string picture_src;  // source of an image shown after the tables (contour map, curve)
  // For the PDF renderer: fonts that map every character to one glyph of its own, and no
  // page header or footer in the text (the renderer draws them on each page).
  bool for_print = false;
  // Further figures after the picture, each in a paragraph of its own, its caption below it.
  struct Figure {
    std::string caption;
    std::string src;
  };
  std::vector<Figure> figures = {};
};

// The sheet as an HTML document (UTF-8).
std::string sheetToHtml(const CalcSheet& sheet, const HtmlOptions& options = {});

// Column blocks of a table too wide for a page: each block holds the first column and as many
// of the others as fit in `width_pt` points at the sheet's table font. Returns the column
// indices of each block.
std::vector<std::vector<size_t>> columnBlocks(const SheetTable& t, double width_pt);

// Text escaped for HTML.
std::string htmlEscape(const std::string& s);

}  // namespace present
