#include "cli/project_command.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "core/project_file.h"
#include "models/registry.h"

namespace cli {

namespace {

SheetWriter& sheetWriter() {
  static SheetWriter w;
  return w;
}

std::string now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
  return buf;
}

// Files holding texts that start with '@' (which "run" would take for a file name): the text
// goes through a file of its own in the temporary folder, removed when the command ends.
struct TextFiles {
  std::vector<std::string> paths;
  ~TextFiles() {
    for (const auto& p : paths) std::remove(p.c_str());
  }
  // "@" and the file's name, or an empty text with the reason on `error`.
  std::string hold(const std::string& text, std::string& error) {
    std::error_code ec;
    const auto dir = std::filesystem::temp_directory_path(ec);
    if (ec) {
      error = "没有可用的临时文件夹（" + ec.message() + "），无法传递以“@”开头的文本";
      return {};
    }
    // Created exclusively under a fresh name: a name planted in a shared folder is not opened.
    std::string path = (dir / "kuva-text-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
      error = path + "：" + std::strerror(errno) + "，无法传递以“@”开头的文本";
      return {};
    }
    paths.push_back(path);
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    const int write_error = done < text.size() ? (errno != 0 ? errno : EIO) : 0;
    if (::close(fd) != 0 || write_error != 0) {
      error = "无法写入 " + path + "：" + std::strerror(write_error ? write_error : errno) +
              "，无法传递以“@”开头的文本";
      return {};
    }
    return "@" + path;
  }
};

// The run arguments that reproduce a saved page: every input as the page showed it. False, with
// the reason on `error`, when a text could not be handed over.
bool runArgs(const core::CalculatorDesc& d, const core::Values& inputs, bool json, TextFiles& files,
             std::vector<std::string>& args, std::string& error) {
  args = {"run", d.id};
  const auto& all = inputs.all();
  for (const auto& f : d.fields) {
    if (f.result) continue;
    auto it = all.find(f.key);
    if (it == all.end()) continue;
    std::string value = core::shownValue(f, it->second);
    if (value.size() > 1 && value[0] == '@') {
      value = files.hold(value, error);
      if (value.empty()) return false;
    }
    args.push_back(f.key + "=" + value);
  }
  if (json) args.emplace_back("--json");
  return true;
}

}  // namespace

void setSheetWriter(SheetWriter writer) { sheetWriter() = std::move(writer); }
bool haveSheetWriter() { return static_cast<bool>(sheetWriter()); }

bool writeSheetFor(const core::CalculatorDesc& desc, const core::Values& inputs,
                   const core::Outcome& outcome, const std::string& path, std::ostream& err) {
  if (!sheetWriter()) {
    err << "--sheet：此版本不提供计算书\n";
    return false;
  }
  const std::string e = sheetWriter()(present::buildSheet(desc, inputs, outcome, now()), path);
  if (!e.empty()) {
    err << "错误：" << e << '\n';
    return false;
  }
  return true;
}

int runProjectCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string path;
  bool json = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--json")
      json = true;
    else if (path.empty() && args[i].rfind("--", 0) != 0)
      path = args[i];
    else {
      err << "用法：kuvacalc-cli project 工程.kuva [--json]\n";
      return 2;
    }
  }
  if (path.empty()) {
    err << "用法：kuvacalc-cli project 工程.kuva [--json]\n";
    return 2;
  }
  const auto& reg = models::registry();
  const core::ProjectRead r = core::loadProject(reg, path);
  if (!r.ok) {
    err << "错误：" << r.error << '\n';
    return 2;
  }
  for (const auto& s : r.skipped) err << "已跳过（此版本不认识）：" << s << '\n';

  int status = 0;
  nlohmann::ordered_json all = nlohmann::ordered_json::array();
  // Registry order, so the output follows the menus whatever order the file has.
  for (const auto& d : reg.all()) {
    const core::ProjectPage* p = r.project.page(d.id);
    if (!p) continue;
    std::ostringstream o, e;
    TextFiles files;
    std::vector<std::string> run;
    std::string why;
    int rc = 1;
    if (runArgs(d, p->inputs, json, files, run, why))
      rc = runCli(run, o, e);
    else
      e << "错误：" << why << '\n';
    if (rc != 0) status = std::max(status, 1);
    if (!e.str().empty()) err << d.id << ": " << e.str();
    if (!json) {
      out << "== " << d.id << ' ' << d.title << " ==\n" << o.str();
      continue;
    }
    nlohmann::ordered_json item;
    try {
      item = nlohmann::ordered_json::parse(o.str());
    } catch (const nlohmann::json::exception&) {
      item = nlohmann::ordered_json::object();
      item["error"] = e.str();
    }
    if (!item.contains("id")) item["id"] = d.id;
    all.push_back(std::move(item));
  }
  if (json) {
    nlohmann::ordered_json root;
    root["project"] = path;
    root["calculators"] = std::move(all);
    // A file name that is not UTF-8 (a GBK name from a Windows share) shows replacement marks.
    out << root.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  }
  return status;
}

}  // namespace cli
