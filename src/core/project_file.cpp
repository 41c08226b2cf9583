#include "core/project_file.h"

#include <nlohmann/json.hpp>
#include <unordered_set>

#include "core/format.h"
#include "core/parse.h"

namespace core {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kProgram = "kuva环评计算";

// Counts beyond any real project: the program has a few dozen calculators of a few dozen fields.
constexpr size_t kMaxCalculators = 1000;
constexpr size_t kMaxKeysPerCalculator = 1000;
constexpr size_t kMaxDepth = 64;

bool isNumeric(FieldType t) {
  return t == FieldType::Float || t == FieldType::Double || t == FieldType::Int;
}

std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::string damaged(const std::string& why) { return "工程文件已损坏或格式不对：" + why; }

// The parts of a project's JSON text this program reads, taken event by event as the text is
// parsed: time and memory grow with the size of the file, whatever its shape, and nothing outside
// "version", "saved" and "calculators" is kept. A key given twice in one object, nesting deeper
// than any project needs and counts beyond any real project stop the parse.
class ProjectSax final : public nlohmann::json_sax<nlohmann::json> {
 public:
  struct Entry {
    std::string key;
    bool scalar = false;  // a string, number or boolean; text holds it as a page would show it
    std::string text;
  };
  struct Calc {
    std::string id;
    bool object = false;
    std::vector<Entry> entries;
  };

  bool root_object = false;
  bool have_calculators = false;
  std::string version, saved;
  std::vector<Calc> calcs;
  std::string error;  // why the parse stopped: a refusal of ours or the parser's own message

  bool null() override { return value(false, {}); }
  bool boolean(bool v) override { return value(true, v ? "1" : "0"); }
  bool number_integer(number_integer_t v) override { return value(true, std::to_string(v)); }
  bool number_unsigned(number_unsigned_t v) override { return value(true, std::to_string(v)); }
  bool number_float(number_float_t, const string_t& s) override { return value(true, s); }
  bool string(string_t& v) override {
    if (!frames_.empty() && frames_.back().role == Role::Root) {
      if (frames_.back().key == "version") version = v;
      if (frames_.back().key == "saved") saved = v;
    }
    return value(true, v);
  }
  bool binary(binary_t&) override { return value(false, {}); }
  bool start_object(std::size_t) override { return open(true); }
  bool start_array(std::size_t) override { return open(false); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool key(string_t& k) override {
    Frame& f = frames_.back();
    if (!f.keys.insert(k).second) return refuse("键“" + k + "”出现了两次");
    f.key = k;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    if (dynamic_cast<const nlohmann::detail::out_of_range*>(&e))
      error = damaged(std::string("数值超出范围（") + e.what() + "）");
    else
      error = damaged(std::string("不是完整的 JSON 文本（") + e.what() + "）");
    return false;
  }

 private:
  enum class Role { Other, Root, Calculators, Calc };
  struct Frame {
    Role role = Role::Other;
    bool object = false;
    std::string key;  // the key whose value comes next
    std::unordered_set<std::string> keys;
  };
  std::vector<Frame> frames_;

  bool refuse(const std::string& why) {
    error = damaged(why);
    return false;
  }

  // A value at the current place: a scalar with its text, or the start of a container.
  bool value(bool scalar, std::string text) {
    if (frames_.empty() || !frames_.back().object) return true;
    const Frame& f = frames_.back();
    if (f.role == Role::Calculators) return addCalc(f.key, false);
    if (f.role == Role::Calc) {
      auto& entries = calcs.back().entries;
      if (entries.size() >= kMaxKeysPerCalculator)
        return refuse(calcs.back().id + " 的字段超过 " + std::to_string(kMaxKeysPerCalculator) +
                      " 个");
      entries.push_back({f.key, scalar, std::move(text)});
    }
    return true;
  }

  bool addCalc(const std::string& id, bool object) {
    if (calcs.size() >= kMaxCalculators)
      return refuse("计算器超过 " + std::to_string(kMaxCalculators) + " 个");
    calcs.push_back({id, object, {}});
    return true;
  }

  bool open(bool object) {
    if (frames_.size() >= kMaxDepth) return refuse("嵌套超过 " + std::to_string(kMaxDepth) + " 层");
    Role role = Role::Other;
    if (frames_.empty()) {
      root_object = object;
      role = object ? Role::Root : Role::Other;
    } else if (frames_.back().object) {
      const Frame& parent = frames_.back();
      if (parent.role == Role::Root && parent.key == "calculators" && object) {
        have_calculators = true;
        role = Role::Calculators;
      } else if (parent.role == Role::Calculators) {
        if (!addCalc(parent.key, object)) return false;
        role = object ? Role::Calc : Role::Other;
      } else if (parent.role == Role::Calc) {
        if (!value(false, {})) return false;
      }
    }
    frames_.push_back({role, object, {}, {}});
    return true;
  }

  bool close() {
    frames_.pop_back();
    return true;
  }
};

// One calculator's entry read over its defaults; an empty text on success.
std::string readPage(const CalculatorDesc& d, const ProjectSax::Calc& entry, ProjectRead& r) {
  if (!entry.object) return damaged(d.id + " 不是一组字段");
  ProjectPage page{d.id, defaultValues(d)};
  for (const auto& [key, scalar, text] : entry.entries) {
    const FieldDesc* f = d.field(key);
    if (!f) {
      r.skipped.push_back(d.id + "." + key);
      continue;
    }
    // A result some writer saved is computed again, not read.
    if (f->result) continue;
    if (!scalar) return damaged(d.title + " 的 " + key + " 不是一个值");
    Value v;
    if (!readShownValue(*f, text, v)) {
      // A number the field cannot store is not a number to the form either.
      const auto p = parseNumber(text);
      if ((f->type == FieldType::Float || f->type == FieldType::Double) &&
          (p.error == ParseError::OutOfRange || p.ok()))
        return damaged(d.title + " 的 " + f->label + "（" + key + "）值“" + text +
                       "”超出该字段能存储的范围，请输入一个数字。");
      return damaged(d.title + " 的 " + f->label + "（" + key + "）值“" + text + "”无法识别");
    }
    page.inputs.setNum(key, v.num);
    page.inputs.setText(key, v.text);
  }
  r.project.pages.push_back(std::move(page));
  return {};
}

}  // namespace

const ProjectPage* Project::page(const std::string& id) const {
  for (const auto& p : pages)
    if (p.id == id) return &p;
  return nullptr;
}

std::string shownValue(const FieldDesc& f, const Value& v) {
  if (f.type == FieldType::Text) return v.text;
  if (isNumeric(f.type) && !trimmed(v.text).empty()) return trimmed(v.text);
  Values one;
  one.setNum(f.key, v.num);
  // Radio groups are saved by index, drop-downs by the text of the entry.
  if (f.type == FieldType::Radio || f.type == FieldType::CheckBox)
    return formatIntField(static_cast<long long>(storeAs(f.type, v.num)));
  return displayValue(f, one);
}

bool readShownValue(const FieldDesc& f, const std::string& text, Value& out) {
  out = Value{};
  switch (f.type) {
    case FieldType::Text: out.text = text; return true;
    case FieldType::Choice:
      for (size_t i = 0; i < f.choices.size(); ++i)
        if (f.choices[i] == text) {
          out.num = static_cast<double>(i);
          return true;
        }
      [[fallthrough]];
    case FieldType::Radio: {
      const auto p = parseInt(text);
      if (!p.ok() || p.value < 0 || static_cast<size_t>(p.value) >= f.choices.size()) return false;
      out.num = static_cast<double>(p.value);
      return true;
    }
    case FieldType::CheckBox: {
      const auto p = parseInt(text);
      if (!p.ok() || (p.value != 0 && p.value != 1)) return false;
      out.num = static_cast<double>(p.value);
      return true;
    }
    case FieldType::Int: {
      const auto p = parseInt(text);
      if (!p.ok()) return false;
      out.num = storeAs(f.type, static_cast<double>(p.value));
      out.text = trimmed(text);
      return true;
    }
    case FieldType::Float:
    case FieldType::Double: {
      const auto p = parseNumber(text);
      if (!p.ok() || !fitsStorage(f.type, p.value)) return false;
      out.num = storeAs(f.type, p.value);
      out.text = trimmed(text);
      return true;
    }
  }
  return false;
}

std::string projectToJson(const Registry& registry, const Project& project) {
  Json root;
  root["program"] = kProgram;
  root["version"] = project.version;
  root["saved"] = project.saved;
  Json calcs = Json::object();
  for (const auto& p : project.pages) {
    const CalculatorDesc* d = registry.find(p.id);
    if (!d) continue;
    Json entry = Json::object();
    const Values defaults = defaultValues(*d);
    for (const auto& f : d->fields) {
      if (f.result) continue;
      // A key the page did not hand over is saved at its default.
      const auto& from = p.inputs.has(f.key) ? p.inputs.all() : defaults.all();
      entry[f.key] = shownValue(f, from.at(f.key));
    }
    calcs[p.id] = std::move(entry);
  }
  root["calculators"] = std::move(calcs);
  return root.dump(2) + "\n";
}

ProjectRead projectFromJson(const Registry& registry, const std::string& text) {
  ProjectRead r;
  ProjectSax sax;
  try {
    if (!nlohmann::json::sax_parse(text, &sax)) {
      r.error = sax.error.empty() ? damaged("不是完整的 JSON 文本") : sax.error;
      return r;
    }
  } catch (const nlohmann::json::exception& e) {
    r.error = damaged(std::string("不是完整的 JSON 文本（") + e.what() + "）");
    return r;
  }
  if (!sax.root_object || !sax.have_calculators) {
    r.error = damaged("没有计算器输入（calculators）");
    return r;
  }
  r.project.version = std::move(sax.version);
  r.project.saved = std::move(sax.saved);
  for (const auto& entry : sax.calcs) {
    const CalculatorDesc* d = registry.find(entry.id);
    if (!d) {
      r.skipped.push_back(entry.id);
      continue;
    }
    r.error = readPage(*d, entry, r);
    if (!r.error.empty()) {
      r.project = Project{};
      r.skipped.clear();
      return r;
    }
  }
  r.ok = true;
  return r;
}

ProjectRead loadProject(const Registry& registry, const std::string& path) {
  std::string text;
  if (const FileRead f = readRegularFile(path, text); f.status != ReadStatus::Ok) {
    ProjectRead r;
    r.error = describeRead(f, path, "工程文件");
    return r;
  }
  return projectFromJson(registry, text);
}

std::string saveProject(const Registry& registry, const Project& project, const std::string& path) {
  return writeFileAtomic(path, projectToJson(registry, project));
}

}  // namespace core
