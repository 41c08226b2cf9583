#include "core/calculator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/format.h"

namespace core {

namespace {
[[noreturn]] void unknownKey(const std::string& key) {
  throw std::logic_error("unknown field key: " + key + " (internal error)");
}
}  // namespace

double Values::num(const std::string& key) const {
  auto it = m_values.find(key);
  if (it == m_values.end()) unknownKey(key);
  return it->second.num;
}

const std::string& Values::text(const std::string& key) const {
  auto it = m_values.find(key);
  if (it == m_values.end()) unknownKey(key);
  return it->second.text;
}

const FieldDesc* CalculatorDesc::field(const std::string& key) const {
  for (const auto& f : fields)
    if (f.key == key) return &f;
  return nullptr;
}

const ActionDesc* CalculatorDesc::action(const std::string& name) const {
  for (const auto& a : actions)
    if (a.name == name) return &a;
  return nullptr;
}

FieldDesc inputField(std::string key, int control_id, std::string label, std::string unit,
                     double default_value, std::string group, FieldType type) {
  FieldDesc f;
  f.key = std::move(key);
  f.control_id = control_id;
  f.label = std::move(label);
  f.unit = std::move(unit);
  f.type = type;
  f.default_value = default_value;
  f.group = std::move(group);
  return f;
}

FieldDesc resultField(std::string key, int control_id, std::string label, std::string unit,
                      std::string group, FieldType type) {
  FieldDesc f = inputField(std::move(key), control_id, std::move(label), std::move(unit), 0,
                           std::move(group), type);
  f.result = true;
  return f;
}

double storeAs(FieldType type, double v) {
  switch (type) {
    case FieldType::Float: return static_cast<double>(static_cast<float>(v));
    case FieldType::Double: return v;
    case FieldType::Int:
    case FieldType::Choice:
    case FieldType::CheckBox:
    case FieldType::Radio:
      // Whole-number fields are 32-bit: nothing outside that range can be stored or shown.
      if (!std::isfinite(v)) return 0;
      return std::clamp(std::trunc(v), -2147483648.0, 2147483647.0);
    case FieldType::Text: return v;
  }
  return v;
}

bool fitsStorage(FieldType type, double v) {
  if (!std::isfinite(v)) return false;
  switch (type) {
    case FieldType::Float: return std::fabs(v) <= std::numeric_limits<float>::max();
    case FieldType::Int:
    case FieldType::Choice:
    case FieldType::CheckBox:
    case FieldType::Radio: return v >= -2147483648.0 && v <= 2147483647.0;
    case FieldType::Double:
    case FieldType::Text: return true;
  }
  return true;
}

Values defaultValues(const CalculatorDesc& desc) {
  Values v;
  for (const auto& f : desc.fields) {
    if (f.result) continue;
    if (f.type == FieldType::Text)
      v.setText(f.key, f.default_text);
    else
      v.setNum(f.key, storeAs(f.type, f.default_value));
  }
  return v;
}

std::string displayValue(const FieldDesc& f, const Values& v) {
  if (f.type == FieldType::Text) return v.text(f.key);
  const double x = v.num(f.key);
  if (!f.format.empty()) {
    if (f.type == FieldType::Int) return cformat(f.format.c_str(), static_cast<int>(x));
    return cformat(f.format.c_str(), x);
  }
  switch (f.type) {
    case FieldType::Float: return formatFloatField(static_cast<float>(x));
    // A computed double shows what a reader takes in (6 significant digits); an input shows
    // every digit it holds.
    case FieldType::Double: return f.result ? cformat("%.6g", x) : formatDoubleField(x);
    case FieldType::Choice: {
      const int i = static_cast<int>(x);
      if (i >= 0 && static_cast<size_t>(i) < f.choices.size())
        return f.choices[static_cast<size_t>(i)];
      return formatIntField(i);
    }
    default: return formatIntField(static_cast<long long>(storeAs(FieldType::Int, x)));
  }
}

namespace {

bool asciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "nan", "-nan", "inf" as printf writes them, not inside a word.
bool holdsNonFiniteWord(const std::string& s) {
  for (size_t i = 0; i + 3 <= s.size(); ++i) {
    std::string w = s.substr(i, 3);
    for (char& c : w)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (w != "nan" && w != "inf") continue;
    const bool before = i > 0 && asciiLetter(s[i - 1]);
    const bool after = i + 3 < s.size() && asciiLetter(s[i + 3]);
    if (!before && !after) return true;
  }
  return false;
}

// A label without its unit: "河水流量Qh [m^3/s]" -> "河水流量Qh".
std::string fieldName(const FieldDesc& f) {
  std::string name = f.label.empty() ? f.key : f.label;
  const auto bracket = name.find(" [");
  if (bracket != std::string::npos) name.resize(bracket);
  return name;
}

// "污水排放量Qp[m³/s]" -> "污水排放量Qp": the name and symbol the sheets print.
std::string amountName(const FieldDesc& f) {
  const Notation n = notationOf(f);
  if (n.name.empty() && n.symbol.empty()) return fieldName(f);
  // A label that goes on after its symbol ("安全系数 K,视设备磨损程度,...") ends at the symbol.
  std::string name = n.name.substr(0, n.symbol.empty() ? std::string::npos : n.name.find(n.symbol));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name + n.symbol;
}

bool numericInput(const FieldDesc& f) { return !f.result && f.type != FieldType::Text; }

}  // namespace

bool showsNonFinite(const CalculatorDesc& desc, const Outcome& o) {
  for (const Values* values : {&o.results, &o.updated_inputs})
    for (const auto& [key, value] : values->all()) {
      const FieldDesc* f = desc.field(key);
      if (f && f->type != FieldType::Text && !std::isfinite(value.num)) return true;
      if (f && holdsNonFiniteWord(displayValue(*f, *values))) return true;
    }
  if (holdsNonFiniteWord(o.text)) return true;
  for (const auto& t : o.tables)
    for (const auto& row : t.rows)
      for (const auto& cell : row)
        if (holdsNonFiniteWord(cell)) return true;
  if (o.grid)
    for (const float z : o.grid->z)
      if (!std::isfinite(z)) return true;
  return false;
}

bool showsNegativeAmount(const CalculatorDesc& desc, const Outcome& o) {
  for (const auto& [key, value] : o.results.all()) {
    const FieldDesc* f = desc.field(key);
    if (f && f->amount && value.num < 0) return true;
  }
  return false;
}

ComputeFn refusingNonFinite(const CalculatorDesc& desc) {
  const ComputeFn compute = desc.compute;
  CalculatorDesc shown;  // the fields alone, for reading what a compute shows
  shown.fields = desc.fields;
  const auto unsound = [shown](const Outcome& o) {
    return showsNonFinite(shown, o) || showsNegativeAmount(shown, o);
  };
  return [compute, shown, unsound](const Values& in, const std::string& action) -> Outcome {
    Outcome o = compute(in, action);
    // The model's own range checks speak first; a negative amount it let through is refused.
    if (!o.ok()) return o;
    for (const auto& f : shown.fields)
      if (f.amount && numericInput(f) && in.has(f.key) && in.num(f.key) < 0)
        return failed(fail(amountName(f) + "不能为负数，请重新输入！", f.key));
    if (!unsound(o)) return o;
    const Values defaults = defaultValues(shown);
    for (const auto& f : shown.fields) {
      if (!numericInput(f) || !in.has(f.key) || !defaults.has(f.key)) continue;
      if (in.num(f.key) == defaults.num(f.key)) continue;
      Values back = in;
      back.setNum(f.key, defaults.num(f.key));
      const Outcome other = compute(back, action);
      if (!other.ok() || unsound(other)) continue;
      return failed(fail(fieldName(f) + "超出模型的适用范围，请重新输入！", f.key));
    }
    return failed(fail("输入数据超出模型的适用范围，请重新输入！"));
  };
}

void Registry::add(CalculatorDesc desc) {
  if (find(desc.id))
    throw std::logic_error("calculator registered twice: " + desc.id + " (internal error)");
  if (desc.compute) desc.compute = refusingNonFinite(desc);
  m_all.push_back(std::move(desc));
}

const CalculatorDesc* Registry::find(const std::string& id) const {
  for (const auto& d : m_all)
    if (d.id == id) return &d;
  return nullptr;
}

const CalculatorDesc* Registry::findByPage(int page) const {
  for (const auto& d : m_all)
    if (d.page == page) return &d;
  return nullptr;
}

const CalculatorDesc* Registry::findByCommand(int command) const {
  for (const auto& d : m_all)
    if (d.command == command) return &d;
  return nullptr;
}

}  // namespace core
