#include "cli/cli.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "cli/noise_map_command.h"
#include "cli/project_command.h"
#include "core/calculator.h"
#include "core/file_io.h"
#include "core/format.h"
#include "core/parse.h"
#include "models/registry.h"
#include "models/screening.h"
#include "present/tsv.h"

#if __has_include("present/contour_export.h")
#include "present/contour_export.h"
#define KUVA_HAVE_CONTOUR_CLI 1
#endif

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// The largest file a "key=@file" value is read from (a table of a few thousand rows is far
// smaller); anything but a regular file is refused.
constexpr std::uintmax_t kMaxValueFileBytes = core::kMaxInputFileBytes;

// What the form says of a number it cannot hold.
constexpr const char* kNumberPrompt = "请输入一个数字。";

// Environment variable naming the screening program when --screen3 is not given.
constexpr const char* kScreen3Env = "KUVA_SCREEN3";

const char* typeName(core::FieldType t) {
  switch (t) {
    case core::FieldType::Float: return "float";
    case core::FieldType::Double: return "double";
    case core::FieldType::Int: return "int";
    case core::FieldType::Choice: return "choice";
    case core::FieldType::Text: return "text";
    case core::FieldType::CheckBox: return "check";
    case core::FieldType::Radio: return "radio";
  }
  return "?";
}

void usage(std::ostream& err) {
  err << "用法：kuvacalc-cli --help | --version\n"
         "      kuvacalc-cli list                      列出全部计算器（编号、类别、名称）\n"
         "      kuvacalc-cli describe 编号              计算器的输入、结果、方法和公式\n"
         "      kuvacalc-cli run 编号 [键=值 ...] [--action 按钮] [--json] [--screen3 程序]\n"
         "                                [--sheet 计算书.pdf|.html]\n"
         "      kuvacalc-cli project 工程.kuva [--json]\n"
         "      kuvacalc-cli contour 网格.grd [--levels v1,v2,...] [--json | --geojson]\n"
         "      kuvacalc-cli noise-map 场景.geojson [--json] [--grid 输出.grd] [--grid-night "
         "输出.grd]\n"
         "                                [--threads N] [--sources]\n"
         "值以 @ 开头时从该文件读取（键=@文件）。\n";
}

int cmdList(std::ostream& out) {
  for (const auto& d : models::registry().all())
    out << d.id << '\t' << d.category << '\t' << d.title << '\n';
  return 0;
}

std::string defaultText(const core::FieldDesc& f) {
  if (f.result) return "";
  core::Values v;
  if (f.type == core::FieldType::Text)
    v.setText(f.key, f.default_text);
  else
    v.setNum(f.key, core::storeAs(f.type, f.default_value));
  return core::displayValue(f, v);
}

int cmdDescribe(const std::string& id, std::ostream& out, std::ostream& err) {
  const core::CalculatorDesc* d = models::registry().find(id);
  if (!d) {
    err << "没有编号为 " << id << " 的计算器（见 kuvacalc-cli list）\n";
    return 2;
  }
  out << d->id << '\t' << d->title << '\n';
  out << "key\tlabel\tunit\ttype\tdefault\n";
  for (const auto& f : d->fields) {
    out << f.key << '\t' << f.label << '\t' << f.unit << '\t' << typeName(f.type)
        << (f.result ? " (result)" : "") << '\t' << defaultText(f);
    if (!f.choices.empty()) {
      out << "\t[";
      for (size_t i = 0; i < f.choices.size(); ++i)
        out << (i ? "|" : "") << i << ":" << f.choices[i];
      out << "]";
    }
    out << '\n';
  }
  out << "actions:";
  for (const auto& a : d->actions) out << ' ' << a.name << " (" << a.label << ")";
  out << '\n';
  // What a reader needs to follow the computation: the fields as the formulas name them, the
  // guideline and the formulas.
  out << "symbols:";
  for (const auto& f : d->fields) {
    const core::Notation n = core::notationOf(f);
    if (n.symbol.empty()) continue;
    out << ' ' << f.key << '=' << n.symbol;
    if (!n.unit.empty()) out << " [" << n.unit << ']';
    out << ';';
  }
  out << '\n';
  out << "method: " << d->method << '\n';
  out << "formulas:\n";
  size_t from = 0;
  while (from < d->formulas.size()) {
    size_t end = d->formulas.find('\n', from);
    if (end == std::string::npos) end = d->formulas.size();
    out << "  " << d->formulas.substr(from, end - from) << '\n';
    from = end + 1;
  }
  return 0;
}

// A value given on the command line; "@file" reads the value from a regular file of at most
// kMaxValueFileBytes.
bool readValueArg(const std::string& key, const std::string& raw, std::string& value,
                  std::ostream& err) {
  if (!(raw.size() > 1 && raw[0] == '@')) {
    value = raw;
    return true;
  }
  const std::string path = raw.substr(1);
  const core::FileRead r = core::readRegularFile(path, value, kMaxValueFileBytes);
  switch (r.status) {
    case core::ReadStatus::Ok: return true;
    case core::ReadStatus::NotRegular: err << key << "：" << path << " 不是普通文件\n"; break;
    case core::ReadStatus::TooLarge:
      err << key << "：" << path << " 文件过大（超过 " << (kMaxValueFileBytes >> 20) << " MB）\n";
      break;
    case core::ReadStatus::Missing:
    case core::ReadStatus::Unreadable: err << key << "：无法读取 " << path << '\n'; break;
  }
  return false;
}

bool assign(const core::FieldDesc& f, const std::string& text, core::Values& v, std::ostream& err) {
  using core::FieldType;
  if (f.type == FieldType::Text) {
    v.setText(f.key, text);
    return true;
  }
  if (f.type == FieldType::Choice || f.type == FieldType::Radio) {
    for (size_t i = 0; i < f.choices.size(); ++i)
      if (f.choices[i] == text) {
        v.setNum(f.key, static_cast<double>(i));
        return true;
      }
    const auto p = core::parseInt(text);
    if (p.ok() && p.value >= 0 && static_cast<size_t>(p.value) < f.choices.size()) {
      v.setNum(f.key, static_cast<double>(p.value));
      return true;
    }
    err << f.key << "：“" << text << "”不是可选的值";
    for (size_t i = 0; i < f.choices.size(); ++i)
      err << (i ? "，" : "（") << i << ":" << f.choices[i];
    err << (f.choices.empty() ? "\n" : "）\n");
    return false;
  }
  if (f.type == FieldType::CheckBox) {
    // A check box is off or on.
    const auto p = core::parseInt(text);
    if (!p.ok() || (p.value != 0 && p.value != 1)) {
      err << f.key << "：“" << text << "”不是 0 或 1\n";
      return false;
    }
    v.setNum(f.key, static_cast<double>(p.value));
    return true;
  }
  if (f.type == FieldType::Int) {
    const auto p = core::parseInt(text);
    if (!p.ok()) {
      err << f.key << "：“" << text << "”不是整数，请输入一个整数。\n";
      return false;
    }
    v.setNum(f.key, static_cast<double>(p.value));
    return true;
  }
  const auto p = core::parseNumber(text);
  if (!p.ok()) {
    err << f.key << "：“" << text << "”不是数字，" << kNumberPrompt << '\n';
    return false;
  }
  v.setNum(f.key, core::storeAs(f.type, p.value));
  return true;
}

void printText(const core::CalculatorDesc& d, const core::Outcome& o, std::ostream& out) {
  for (const auto& f : d.fields) {
    if (!f.result || !o.results.has(f.key)) continue;
    out << f.label << ' ' << f.key << " = " << core::displayValue(f, o.results);
    if (!f.unit.empty()) out << ' ' << f.unit;
    out << '\n';
  }
  for (const auto& [key, val] : o.updated_inputs.all()) {
    const core::FieldDesc* f = d.field(key);
    if (!f) continue;
    out << f->label << ' ' << key << " = " << core::displayValue(*f, o.updated_inputs) << '\n';
  }
  if (!o.text.empty()) {
    std::string t = o.text;
    std::string clean;
    clean.reserve(t.size());
    for (size_t i = 0; i < t.size(); ++i)
      if (!(t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n')) clean += t[i];
    out << clean;
    if (clean.back() != '\n') out << '\n';
  }
  for (const auto& t : o.tables) {
    if (!t.title.empty()) out << "# " << t.title << '\n';
    out << present::tableToTsv(t);
  }
  if (o.grid) {
    out << "# grid " << o.grid->nx << " x " << o.grid->ny << " x "
        << core::cformat("%g", o.grid->xmin) << ".." << core::cformat("%g", o.grid->xmax) << " y "
        << core::cformat("%g", o.grid->ymin) << ".." << core::cformat("%g", o.grid->ymax) << '\n';
  }
}

// Text in JSON output: invalid UTF-8 is replaced rather than refused.
std::string dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

void printJson(const core::CalculatorDesc& d, const core::Outcome& o, std::ostream& out) {
  Json j;
  j["id"] = d.id;
  j["results"] = Json::object();
  for (const auto& f : d.fields) {
    if (!f.result || !o.results.has(f.key)) continue;
    j["results"][f.key] = core::displayValue(f, o.results);
  }
  if (!o.updated_inputs.all().empty()) {
    Json inputs = Json::object();
    for (const auto& [key, val] : o.updated_inputs.all())
      if (const core::FieldDesc* f = d.field(key))
        inputs[key] = core::displayValue(*f, o.updated_inputs);
    j["inputs"] = std::move(inputs);
  }
  j["text"] = o.text;
  j["tables"] = Json::array();
  for (const auto& t : o.tables) {
    Json table;
    table["title"] = t.title;
    table["headers"] = t.headers;
    table["rows"] = t.rows;
    j["tables"].push_back(std::move(table));
  }
  if (o.grid) {
    const auto& g = *o.grid;
    j["grid"] = {{"nx", g.nx},     {"ny", g.ny},     {"xmin", g.xmin},
                 {"xmax", g.xmax}, {"ymin", g.ymin}, {"ymax", g.ymax}};
  }
  out << dump(j) << '\n';
}

void printFailure(const core::CheckFailure& f, bool json, std::ostream& out, std::ostream& err) {
  if (json) {
    const Json j = {{"error", f.message}, {"caption", f.caption}, {"field", f.focus}};
    out << dump(j) << '\n';
  }
  err << "错误：" << f.message;
  if (!f.focus.empty()) err << " [" << f.focus << "]";
  err << '\n';
}

int cmdRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() < 2) {
    usage(err);
    return 2;
  }
  const core::CalculatorDesc* d = models::registry().find(args[1]);
  if (!d) {
    err << "没有编号为 " << args[1] << " 的计算器（见 kuvacalc-cli list）\n";
    return 2;
  }
  core::Values v = core::defaultValues(*d);
  std::string action = d->actions.empty() ? "compute" : d->actions.front().name;
  bool json = false;
  std::string sheet;
  std::string program;
  bool program_given = false;
  std::set<std::string> given;
  // A number the field cannot store (beyond the single-precision range, beyond the double
  // range) is refused as the form refuses it: the first one, once every option is read.
  std::optional<core::CheckFailure> unstorable;
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      json = true;
    } else if (a == "--sheet") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        err << "--sheet 需要一个文件名\n";
        return 2;
      }
      sheet = args[++i];
      // A sheet is PDF, or HTML for *.html: any other name would get the wrong content.
      const std::string ext = std::filesystem::path(sheet).extension().string();
      if (ext != ".pdf" && ext != ".html" && ext != ".htm" && ext != ".PDF" && ext != ".HTML") {
        err << "--sheet：计算书只能保存为 .pdf 或 .html 文件：" << sheet << '\n';
        return 2;
      }
    } else if (a == "--screen3") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        err << "--screen3 需要估算程序的路径\n";
        return 2;
      }
      program = args[++i];
      program_given = true;
    } else if (a == "--action") {
      if (i + 1 >= args.size()) {
        err << "--action 需要一个按钮名称\n";
        return 2;
      }
      action = args[++i];
      if (!d->action(action)) {
        err << "没有名为 " << action << " 的按钮（可用：";
        for (const auto& x : d->actions) err << ' ' << x.name;
        err << ")\n";
        return 2;
      }
    } else {
      const auto eq = a.find('=');
      if (eq == std::string::npos || eq == 0) {
        err << "参数应为 键=值，而不是：" << a << '\n';
        return 2;
      }
      const std::string key = a.substr(0, eq);
      const core::FieldDesc* f = d->field(key);
      if (!f || f->result) {
        err << "没有名为 " << key << " 的输入（见 kuvacalc-cli describe " << d->id << "）\n";
        return 2;
      }
      if (!given.insert(key).second) {
        err << key << "：给出了不止一次\n";
        return 2;
      }
      std::string value;
      if (!readValueArg(key, a.substr(eq + 1), value, err)) return 2;
      if (f->type == core::FieldType::Float || f->type == core::FieldType::Double) {
        const auto p = core::parseNumber(value);
        if (p.error == core::ParseError::OutOfRange ||
            (p.ok() && !core::fitsStorage(f->type, p.value))) {
          if (!unstorable) unstorable = core::fail(kNumberPrompt, key);
          continue;
        }
      }
      if (!assign(*f, value, v, err)) return 2;
    }
  }
  if (unstorable) {
    printFailure(*unstorable, json, out, err);
    return 1;
  }
  if (!d->compute) {
    err << d->id << "：此计算器没有可计算的内容\n";
    return 2;
  }
  // The screening calculators run the program named by --screen3, else by KUVA_SCREEN3, else
  // kuvascreen beside this program.
  core::ComputeFn compute = d->compute;
  if (!program_given)
    if (const char* env = std::getenv(kScreen3Env)) program = env;
  if (auto fn =
          models::screeningCompute(d->id, screen::programStep(screen::programOptions(program))))
    compute = std::move(fn);
  core::Outcome o;
  try {
    o = compute(v, action);
  } catch (const std::exception& e) {
    err << "错误：" << e.what() << '\n';
    return 1;
  }
  if (o.failure) {
    printFailure(*o.failure, json, out, err);
    return 1;
  }
  if (json)
    printJson(*d, o, out);
  else
    printText(*d, o, out);
  if (!sheet.empty() && !writeSheetFor(*d, v, o, sheet, err)) return 1;
  return 0;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    usage(args.empty() ? err : out);
    return args.empty() ? 2 : 0;
  }
  const std::string& cmd = args[0];
  if (cmd == "-v" || cmd == "--version" || cmd == "version") {
    out << "kuvacalc-cli " << KUVA_VERSION << '\n';
    return 0;
  }
  if (cmd.size() > 1 && cmd[0] == '-') {
    err << "未知选项：" << cmd << '\n';
    usage(err);
    return 2;
  }
  if (cmd == "list") return cmdList(out);
  if (cmd == "describe") {
    if (args.size() != 2) {
      usage(err);
      return 2;
    }
    return cmdDescribe(args[1], out, err);
  }
  if (cmd == "run") return cmdRun(args, out, err);
  if (cmd == "project") return runProjectCommand(args, out, err);
  if (cmd == "noise-map") return runNoiseMapCommand(args, out, err);
  if (cmd == "contour") {
#ifdef KUVA_HAVE_CONTOUR_CLI
    return present::runContourCommand(std::vector<std::string>(args.begin() + 1, args.end()), out,
                                      err);
#else
    err << "contour：此版本不提供\n";
    return 2;
#endif
  }
  err << "未知命令：" << cmd << '\n';
  usage(err);
  return 2;
}

}  // namespace cli
