#include "core/project_file.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/format.h"
#include "core/parse.h"
#include "core/temp_name.h"

namespace core {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kProgram = "kuva环评计算";

bool isNumeric(FieldType t) {
  return t == FieldType::Float || t == FieldType::Double || t == FieldType::Int;
}

std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// A JSON scalar as the text a page would show; false for arrays, objects and null.
bool scalarText(const Json& j, std::string& out) {
  if (j.is_string()) {
    out = j.get<std::string>();
    return true;
  }
  if (j.is_boolean()) {
    out = j.get<bool>() ? "1" : "0";
    return true;
  }
  if (j.is_number()) {
    out = j.dump();
    return true;
  }
  return false;
}

std::string damaged(const std::string& why) { return "工程文件已损坏或格式不对：" + why; }

// One calculator's entry read over its defaults; an empty text on success.
std::string readPage(const CalculatorDesc& d, const Json& entry, ProjectRead& r) {
  if (!entry.is_object()) return damaged(d.id + " 不是一组字段");
  ProjectPage page{d.id, defaultValues(d)};
  for (const auto& [key, val] : entry.items()) {
    const FieldDesc* f = d.field(key);
    if (!f || f->result) {
      r.skipped.push_back(d.id + "." + key);
      continue;
    }
    std::string text;
    if (!scalarText(val, text)) return damaged(d.title + " 的 " + key + " 不是一个值");
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
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::parse_error& e) {
    r.error = damaged(std::string("不是完整的 JSON 文本（") + e.what() + "）");
    return r;
  }
  if (!root.is_object() || !root.contains("calculators") || !root["calculators"].is_object()) {
    r.error = damaged("没有计算器输入（calculators）");
    return r;
  }
  if (root.contains("version") && root["version"].is_string())
    r.project.version = root["version"].get<std::string>();
  if (root.contains("saved") && root["saved"].is_string())
    r.project.saved = root["saved"].get<std::string>();
  for (const auto& [id, entry] : root["calculators"].items()) {
    const CalculatorDesc* d = registry.find(id);
    if (!d) {
      r.skipped.push_back(id);
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

std::string writeFileAtomic(const std::string& path, const std::string& content) {
  const std::string temp = temporaryNameFor(path);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return std::string("无法写入 ") + path + "：" + std::strerror(errno);
    out << content;
    out.flush();
    if (!out) {
      const int err = errno;
      out.close();
      std::remove(temp.c_str());
      return std::string("无法写入 ") + path + "：" + std::strerror(err);
    }
  }
  // rename() replaces an existing target in one step, so readers see the old or the new file.
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    std::remove(temp.c_str());
    return std::string("无法写入 ") + path + "：" + std::strerror(err);
  }
  return {};
}

std::string readWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string("无法打开 ") + path + "：" + std::strerror(errno);
  std::ostringstream ss;
  ss << in.rdbuf();
  content = ss.str();
  return {};
}

ProjectRead loadProject(const Registry& registry, const std::string& path) {
  std::string text;
  if (std::string err = readWholeFile(path, text); !err.empty()) {
    ProjectRead r;
    r.error = err;
    return r;
  }
  return projectFromJson(registry, text);
}

std::string saveProject(const Registry& registry, const Project& project, const std::string& path) {
  return writeFileAtomic(path, projectToJson(registry, project));
}

}  // namespace core
