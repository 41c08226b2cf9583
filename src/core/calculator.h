// Calculator descriptions: what a page shows and what a compute needs, shared by the
// Qt pages and the command-line front end. One description per calculator.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/check.h"

namespace core {

enum class FieldType {
  Float,     // single-precision real (most fields)
  Double,    // double-precision real
  Int,       // whole number
  Choice,    // drop-down list; the value is the index of the chosen entry
  Text,      // free text (or a drop-down exchanged as its text)
  CheckBox,  // check box, 0 or 1
  Radio,     // radio group; the value is the index of the chosen button
};

struct FieldDesc {
  std::string key;     // symbol used by the model and the CLI ("N", "Nr", "Qh")
  int control_id = 0;  // control id of the form
  std::string label;   // label text beside the control
  std::string unit;    // unit text after the control (may be empty)
  FieldType type = FieldType::Float;
  double default_value = 0;          // numeric default (index for Choice/Radio, 0/1 for Check)
  std::string default_text;          // default of a Text field
  std::vector<std::string> choices;  // entries of a Choice, button labels of a Radio
  bool result = false;               // a read-only result field
  std::string group;                 // caption of the group box the field sits in
  std::string format;  // printf format of a result when not the field's own display rule
  std::string tooltip;
  // The field as a formula writes it, for calculation sheets: the symbol (Qh, ρ, tanβ) and the
  // unit when the label and the text after the control do not give them plainly. Empty: read
  // from the label ("河水流量Qh [m^3/s]" gives Qh and m^3/s); see notationOf().
  std::string symbol;
  std::string symbol_unit;
  // A physical amount that cannot be negative (a flow, a mass, a concentration, a rate): a
  // negative input is refused and a negative result is not shown, whatever the model checks.
  bool amount = false;

  FieldDesc& nonNegative() {
    amount = true;
    return *this;
  }

  // Declares the symbol (and the unit) of the field: form.bind(...).sym("η", "%").
  FieldDesc& sym(std::string s, std::string u = {}) {
    symbol = std::move(s);
    if (!u.empty()) symbol_unit = std::move(u);
    return *this;
  }
  // What the field is, for sheets, when its label does not say it (a "～" between two limits).
  std::string sheet_name;
  FieldDesc& named(std::string n) {
    sheet_name = std::move(n);
    return *this;
  }
};

// A field as a calculation sheet lists it: what it is, its formula symbol and its unit.
struct Notation {
  std::string name;    // the label without the symbol and the bracketed unit
  std::string symbol;  // empty for a choice, a check box or a text
  std::string unit;    // empty for a pure number
};
Notation notationOf(const FieldDesc& f);

struct ActionDesc {
  std::string name;   // CLI name ("compute", "grid")
  std::string label;  // button text ("计算")
  int control_id = 0;
};

// A result table as text cells: what a page puts into its grid or list.
struct Table {
  std::string title;                           // title used for export (sheet and caption)
  std::vector<std::string> headers;            // column header texts
  std::vector<std::vector<std::string>> rows;  // cell texts, row by row
  std::vector<int> widths;                     // column widths in pixels (optional)
};

// A value held by a form field: a number (already rounded to the field's storage precision)
// or a text.
struct Value {
  double num = 0;
  std::string text;
};

// The values of a form, keyed by field key. Reading a key that is not present is an internal
// error (std::logic_error), never a silent 0: ask has() first where a key is optional.
class Values {
 public:
  bool has(const std::string& key) const { return m_values.count(key) != 0; }
  double num(const std::string& key) const;
  float f(const std::string& key) const { return static_cast<float>(num(key)); }
  int i(const std::string& key) const { return static_cast<int>(num(key)); }
  const std::string& text(const std::string& key) const;
  void setNum(const std::string& key, double v) { m_values[key].num = v; }
  void setText(const std::string& key, std::string t) { m_values[key].text = std::move(t); }
  const std::map<std::string, Value>& all() const { return m_values; }

 private:
  std::map<std::string, Value> m_values;
};

// What one compute gives back.
struct Outcome {
  std::optional<CheckFailure> failure;  // set when a check refused the input
  Values results;                       // result fields by key
  std::string text;                     // result text (lines end in "\r\n")
  std::vector<Table> tables;            // result tables
  // A concentration grid for a contour map: values row by row (ny rows of nx), y rising.
  struct Grid {
    int nx = 0, ny = 0;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
    std::vector<float> z;
  };
  std::optional<Grid> grid;
  // Input fields the compute rewrote (a drop-down that fills fields, a normalised value).
  Values updated_inputs;

  bool ok() const { return !failure.has_value(); }
};

inline Outcome failed(CheckFailure f) {
  Outcome o;
  o.failure = std::move(f);
  return o;
}

struct CalculatorDesc;
using ComputeFn = std::function<Outcome(const Values& in, const std::string& action)>;

struct CalculatorDesc {
  std::string id;                   // CLI id ("sewage")
  std::string title;                // menu item text and page title
  std::string category;             // category button text ("水预测工具")
  int command = 0;                  // menu command id
  int page = 0;                     // page number in the page host
  int template_id = 0;              // form template number
  std::string class_name;           // page class name ("CSewageDlg")
  std::vector<FieldDesc> fields;    // in exchange order
  std::vector<ActionDesc> actions;  // the first is the default action
  ComputeFn compute;
  // How the calculator computes, declared once: the guideline, standard or handbook it follows
  // ("HJ 2.4-2009 附录A") and the formulas it evaluates, plain text, one per line.
  std::string method;
  std::string formulas;
  std::string help_topic;  // help topic path ("大气预测模式\\...\\x.htm"), empty for none
  int result_text_id = 0;  // control id of the result-text box; 0 when the page has none

  const FieldDesc* field(const std::string& key) const;
  const ActionDesc* action(const std::string& name) const;
};

// A numeric input field (single precision unless the type says otherwise).
FieldDesc inputField(std::string key, int control_id, std::string label, std::string unit,
                     double default_value, std::string group = {},
                     FieldType type = FieldType::Float);
// A read-only result field.
FieldDesc resultField(std::string key, int control_id, std::string label, std::string unit,
                      std::string group = {}, FieldType type = FieldType::Float);

// Round a number to what the field stores (single precision for Float, whole for Int ...).
double storeAs(FieldType type, double v);

// Whether a number fits what the field stores: a finite value within the single-precision range
// for Float, within 32 bits for the whole-number types. A value that does not fit is not a
// number the form can hold (the same prompt as for text that is not a number).
bool fitsStorage(FieldType type, double v);

// Whether a compute shows a non-finite number anywhere: a result field, a rewritten input, the
// result text ("nan", "-inf"), a table cell or a grid value.
bool showsNonFinite(const CalculatorDesc& desc, const Outcome& o);

// Whether a compute shows a negative value in a result field declared as an amount.
bool showsNegativeAmount(const CalculatorDesc& desc, const Outcome& o);

// The compute of a calculator refusing what would show a non-finite number or a negative
// amount: the message names the input it comes from (the first numeric input that, set back to
// its default, gives a sound result) and focuses it. An input declared as an amount is refused
// when negative ("<字段>不能为负数，请重新输入！"). Checks that name a range come first in each
// model; this catches what they leave.
ComputeFn refusingNonFinite(const CalculatorDesc& desc);

// The form values a page holds after initialisation: every input at its default.
Values defaultValues(const CalculatorDesc& desc);

// A field's value as the page shows it.
std::string displayValue(const FieldDesc& f, const Values& v);

// The calculators known to the program, in registration order.
class Registry {
 public:
  void add(CalculatorDesc desc);
  const CalculatorDesc* find(const std::string& id) const;
  const CalculatorDesc* findByPage(int page) const;
  const CalculatorDesc* findByCommand(int command) const;
  const std::vector<CalculatorDesc>& all() const { return m_all; }

 private:
  std::vector<CalculatorDesc> m_all;
};

}  // namespace core
