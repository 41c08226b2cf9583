#include "cli/noise_map_command.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>

#include "core/file_io.h"
#include "core/format.h"
#include "core/parse.h"
#include "models/noise/propagation/engine.h"
#include "models/noise/propagation/scene_file.h"
#include "present/grid_data.h"

namespace cli {

namespace {

namespace np = models::noise::propagation;
using Json = nlohmann::ordered_json;

struct Options {
  std::string scene;
  bool json = false;
  bool sources = false;
  std::string grid, grid_night;
  int threads = 0;
};

void usage(std::ostream& err) {
  err << "用法：kuvacalc-cli noise-map 场景.geojson [--json] [--grid 输出.grd] [--grid-night "
         "输出.grd]\n"
         "                                    [--threads N] [--sources]\n";
}

bool parseOptions(const std::vector<std::string>& args, Options& o, std::ostream& err) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& to) {
      if (i + 1 >= args.size()) {
        err << "noise-map：" << a << " 需要一个值\n";
        return false;
      }
      to = args[++i];
      return true;
    };
    if (a == "--json") {
      o.json = true;
    } else if (a == "--sources") {
      o.sources = true;
    } else if (a == "--grid") {
      if (!value(o.grid)) return false;
    } else if (a == "--grid-night") {
      if (!value(o.grid_night)) return false;
    } else if (a == "--threads") {
      std::string t;
      if (!value(t)) return false;
      const auto n = core::parseInt(t);
      if (!n.ok() || n.value < 1 || n.value > 1024) {
        err << "noise-map：线程数 " << t << " 应为 1 到 1024 的整数\n";
        return false;
      }
      o.threads = static_cast<int>(n.value);
    } else if (!a.empty() && a[0] == '-') {
      err << "noise-map：未知选项 " << a << '\n';
      return false;
    } else if (o.scene.empty()) {
      o.scene = a;
    } else {
      err << "noise-map：给出了不止一个场景文件\n";
      return false;
    }
  }
  if (o.scene.empty()) {
    usage(err);
    return false;
  }
  return true;
}

std::string db(double v) { return std::isfinite(v) ? core::cformat("%.1f", v) : "-"; }
std::string db(const std::optional<double>& v) { return v ? db(*v) : "-"; }
Json num(double v) { return std::isfinite(v) ? Json(std::round(v * 100) / 100) : Json(); }
Json num(const std::optional<double>& v) { return v ? num(*v) : Json(); }

// Sources by A-weighted level, largest first (indices).
std::vector<std::size_t> ranked(const np::ReceptorResult& r) {
  std::vector<std::size_t> idx(r.sources.size());
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = i;
  std::stable_sort(idx.begin(), idx.end(), [&](std::size_t a, std::size_t b) {
    return r.sources[a].la_db > r.sources[b].la_db;
  });
  return idx;
}

std::string bandsText(const np::Bands& b) {
  std::string s;
  for (double v : b) s += " " + db(v);
  return s;
}

void printText(const np::ReceptorsResult& res, bool all_sources, std::ostream& out) {
  for (const auto& r : res.receptors) {
    out << (r.name.empty() ? "（未命名）" : r.name) << "  x " << core::cformat("%.1f", r.at.x)
        << "  y " << core::cformat("%.1f", r.at.y) << "  h " << core::cformat("%.1f", r.h_m)
        << (r.boundary ? "  厂界" : "") << '\n';
    out << "  LA " << db(r.la_db) << " dB(A)；Lp 63–8000 Hz：" << bandsText(r.lp) << '\n';
    // The labels end where the right-aligned columns below them end (an ideograph takes two
    // columns of a terminal).
    out << "               贡献值      背景值     预测值   标准      超标量\n";
    for (const auto* p : {&r.day, &r.night}) {
      out << (p == &r.day ? "  昼间 " : "  夜间 ")
          << core::cformat("%14s", db(p->contribution_db).c_str())
          << core::cformat("%12s", db(p->background_db).c_str())
          << core::cformat("%11s", db(p->predicted_db).c_str())
          << core::cformat("%7s", db(p->limit_db).c_str())
          << core::cformat("%12s", db(p->exceedance_db).c_str()) << '\n';
    }
    const auto order = ranked(r);
    out << "  主要声源：";
    for (std::size_t k = 0; k < std::min<std::size_t>(3, order.size()); ++k)
      out << (k ? "，" : "") << r.sources[order[k]].name << ' ' << db(r.sources[order[k]].la_db);
    out << '\n';
    if (all_sources)
      for (const auto& s : r.sources)
        out << "    " << s.name << "  LA " << db(s.la_db) << "  Lp：" << bandsText(s.lp) << '\n';
  }
}

Json periodJson(const np::PeriodLevels& p) {
  return {{"contribution", num(p.contribution_db)}, {"background", num(p.background_db)},
          {"predicted", num(p.predicted_db)},       {"limit", num(p.limit_db)},
          {"exceedance", num(p.exceedance_db)},     {"hours", p.hours}};
}

void printJson(const np::ReceptorsResult& res, const std::vector<std::string>& warnings,
               bool all_sources, std::ostream& out) {
  Json list = Json::array();
  for (const auto& r : res.receptors) {
    Json bands = Json::array();
    for (double v : r.lp) bands.push_back(num(v));
    Json j = {{"name", r.name},         {"x", r.at.x},    {"y", r.at.y},       {"h", r.h_m},
              {"boundary", r.boundary}, {"bands", bands}, {"la", num(r.la_db)}};
    j["day"] = periodJson(r.day);
    j["night"] = periodJson(r.night);
    Json sources = Json::array();
    const auto order = ranked(r);
    const std::size_t n = all_sources ? order.size() : std::min<std::size_t>(3, order.size());
    for (std::size_t k = 0; k < n; ++k) {
      const auto& s = r.sources[order[k]];
      Json e = {{"name", s.name}, {"la", num(s.la_db)}};
      if (all_sources) {
        Json b = Json::array();
        for (double v : s.lp) b.push_back(num(v));
        e["bands"] = b;
      }
      sources.push_back(e);
    }
    j["sources"] = sources;
    list.push_back(j);
  }
  out << Json{{"receptors", list}, {"warnings", warnings}}.dump(1) << '\n';
}

// Progress on standard error, shown only once a run has taken a second.
np::ComputeOptions computeOptions(const Options& o, const char* what) {
  np::ComputeOptions c;
  c.threads = o.threads;
  const auto start = std::chrono::steady_clock::now();
  c.progress = [start, what, shown = false](std::size_t done, std::size_t total) mutable {
    if (!shown && std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return;
    shown = true;
    std::cerr << "\rnoise-map：" << what << ' ' << done << " / " << total << std::flush;
    if (done == total) std::cerr << '\n';
  };
  return c;
}

bool writeGrid(const np::GridResult& g, const std::vector<float>& values, const std::string& path,
               std::ostream& err) {
  present::GridData d;
  d.nx = g.nx;
  d.ny = g.ny;
  d.xmin = g.xmin;
  d.xmax = g.xmin + g.spacing_m * (g.nx - 1);
  d.ymin = g.ymin;
  d.ymax = g.ymin + g.spacing_m * (g.ny - 1);
  d.z = values;
  d.zmax = present::finiteRange(values).second;  // a night without sources holds -inf
  // Points inside a building (NaN) are written as Surfer's blank value.
  std::string why;
  if (!present::writeGrdFile(d, path, &why)) {
    err << "noise-map：" << why << '\n';
    return false;
  }
  return true;
}

// An output must not replace what the run reads (by device and inode, so a link or a hard
// link under another name is caught too), nor the other output.
bool outputsSound(const Options& o, const std::vector<std::string>& inputs, std::ostream& err) {
  for (const auto* out : {&o.grid, &o.grid_night}) {
    if (out->empty()) continue;
    const char* option = out == &o.grid ? "--grid" : "--grid-night";
    for (const auto& in : inputs)
      if (*out == in || core::sameFile(*out, in)) {
        err << "noise-map：" << option << ' ' << *out << " 是本次计算读取的文件（" << in
            << "），请另选输出文件\n";
        return false;
      }
  }
  if (!o.grid.empty() && (o.grid == o.grid_night || core::sameFile(o.grid, o.grid_night))) {
    err << "noise-map：--grid 与 --grid-night 是同一个文件 " << o.grid << '\n';
    return false;
  }
  return true;
}

}  // namespace

int runNoiseMapCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options o;
  if (!parseOptions(args, o, err)) return 2;
  const np::SceneReadResult scene = np::readSceneFile(o.scene);
  if (!scene.ok()) {
    err << "noise-map：" << scene.error << '\n';
    return 2;
  }
  const bool want_grid = !o.grid.empty() || !o.grid_night.empty();
  if (want_grid && !scene.scene->grid) {
    err << "noise-map：" << o.scene << " 中没有计算网格\n";
    return 2;
  }
  if (!outputsSound(o, scene.inputs, err)) return 2;
  if (!o.json)
    for (const auto& w : scene.warnings) err << "提示：" << w << '\n';
  const np::ReceptorsResult res = np::computeReceptors(*scene.scene, computeOptions(o, "预测点"));
  if (o.json)
    printJson(res, scene.warnings, o.sources, out);
  else
    printText(res, o.sources, out);
  if (!want_grid) return 0;
  const np::GridResult g = np::computeGrid(*scene.scene, computeOptions(o, "网格点"));
  if (!g.error.empty()) {
    err << "noise-map：" << g.error << '\n';
    return 2;
  }
  if (!o.grid.empty() && !writeGrid(g, g.day, o.grid, err)) return 1;
  if (!o.grid_night.empty() && !writeGrid(g, g.night, o.grid_night, err)) return 1;
  return 0;
}

}  // namespace cli
