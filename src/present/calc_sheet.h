// Calculation sheet: what a reviewer needs to follow one computation — title, date, method,
// the inputs (label, symbol, value, unit), the result fields, the result text and the result
// tables — as a document model, and as HTML for the renderers (PDF, HTML file).
#pragma once

#include <string>
#include <vector>

#include "core/calculator.h"

namespace present {

struct SheetRow {
  std::string label;   // field label as the form shows it
  std::string symbol;  // field key
  std::string value;   // value as the form shows it
  std::string unit;
};

struct CalcSheet {
  std::string title;   // "计算书：<page title>"
  std::string date;    // as the caller gives it
  std::string method;  // category and calculator title
  std::vector<SheetRow> inputs;
  std::vector<SheetRow> results;
  std::string text;  // result text, lines ending in "\n"
  std::vector<core::Table> tables;
};

// The sheet of one outcome; `inputs` are the values the outcome was computed from (a number's
// `text`, when set, is shown as typed).
CalcSheet buildSheet(const core::CalculatorDesc& desc, const core::Values& inputs,
                     const core::Outcome& outcome, const std::string& date);

// The sheet as an HTML document (UTF-8). `picture_src`, when not empty, is the source of an
// image shown after the tables (a contour map or curve).
std::string sheetToHtml(const CalcSheet& sheet, const std::string& picture_src = {});

// Text escaped for HTML.
std::string htmlEscape(const std::string& s);

}  // namespace present
