#include "present/contour_export.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "core/format.h"
#include "core/parse.h"

namespace present {

std::string formatFloatShortest(float v) {
  if (!std::isfinite(v)) return "null";
  for (int digits = 6; digits < 9; ++digits) {
    std::string s = core::cformat("%.*g", digits, static_cast<double>(v));
    if (std::strtof(s.c_str(), nullptr) == v) return s;
  }
  return core::cformat("%.9g", static_cast<double>(v));
}

namespace {

void writePoints(std::ostream& out, const ContourLine& line) {
  out << '[';
  for (std::size_t p = 0; p < line.points.size(); ++p) {
    if (p) out << ", ";
    out << '[' << formatFloatShortest(line.points[p].x) << ", "
        << formatFloatShortest(line.points[p].y) << ']';
  }
  out << ']';
}

}  // namespace

void writeContourJson(std::ostream& out, const ContourSet& set) {
  out << "{\"levels\": [";
  for (int k = 0; k < set.levels().count(); ++k)
    out << (k ? ", " : "") << formatFloatShortest(set.levels().at(k));
  out << "], \"lines\": [";
  const auto& all = set.lines();
  for (std::size_t k = 0; k < all.size(); ++k) {
    out << (k ? ", " : "") << '[';
    for (std::size_t l = 0; l < all[k].size(); ++l) {
      if (l) out << ", ";
      writePoints(out, all[k][l]);
    }
    out << ']';
  }
  out << "]}\n";
}

void writeContourGeoJson(std::ostream& out, const ContourSet& set) {
  out << "{\"type\": \"FeatureCollection\", \"features\": [";
  bool first = true;
  const auto& all = set.lines();
  for (std::size_t k = 0; k < all.size(); ++k) {
    const std::string level = formatFloatShortest(set.levels().at(static_cast<int>(k)));
    for (const ContourLine& line : all[k]) {
      if (line.points.size() < 2) continue;  // a LineString needs two positions
      out << (first ? "\n" : ",\n");
      first = false;
      out << "{\"type\": \"Feature\", \"properties\": {\"level\": " << level
          << "}, \"geometry\": {\"type\": \"LineString\", \"coordinates\": ";
      writePoints(out, line);
      out << "}}";
    }
  }
  out << "\n]}\n";
}

bool saveContourGeoJson(const ContourSet& set, const std::string& path) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) return false;
  writeContourGeoJson(f, set);
  f.flush();
  return static_cast<bool>(f);
}

void writeContourText(std::ostream& out, const ContourSet& set) {
  out << "levels:";
  for (float v : set.levels().values()) out << ' ' << formatFloatShortest(v);
  out << '\n';
  const auto& all = set.lines();
  for (std::size_t k = 0; k < all.size(); ++k) {
    out << "level " << formatFloatShortest(set.levels().at(static_cast<int>(k))) << ": "
        << all[k].size() << " lines\n";
    for (const ContourLine& line : all[k]) {
      for (std::size_t p = 0; p < line.points.size(); ++p)
        out << (p ? " " : "") << formatFloatShortest(line.points[p].x) << ','
            << formatFloatShortest(line.points[p].y);
      out << '\n';
    }
  }
}

namespace {

enum class Output { Text, Json, GeoJson };

struct ContourArgs {
  std::string path;
  bool has_levels = false;
  std::vector<float> levels;
  Output output = Output::Text;
};

constexpr const char* kUsage = "usage: contour FILE.grd [--levels v1,v2,...] [--json | --geojson]";

// "0.1,0.2,0.5" -> levels; an empty item or one that is not a finite number is refused.
bool parseLevels(const std::string& text, std::vector<float>& levels, std::ostream& err) {
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = text.find(',', begin);
    const std::string item = text.substr(begin, end == std::string::npos ? end : end - begin);
    const core::ParsedNumber n = core::parseNumber(item);
    if (!n.ok() || !std::isfinite(static_cast<float>(n.value))) {
      err << "levels: '" << item << "' is "
          << (n.ok() ? std::string("out of range") : core::describe(n.error)) << '\n';
      return false;
    }
    levels.push_back(static_cast<float>(n.value));
    if (end == std::string::npos) return true;
    begin = end + 1;
  }
}

bool parseArgs(const std::vector<std::string>& args, ContourArgs& a, std::ostream& err) {
  bool output_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    if (w == "--levels") {
      if (a.has_levels) return err << "--levels given twice\n", false;
      if (i + 1 >= args.size()) return err << "--levels needs a list of values\n", false;
      a.has_levels = true;
      if (!parseLevels(args[++i], a.levels, err)) return false;
    } else if (w == "--json" || w == "--geojson") {
      if (output_given) return err << w << ": only one of --json and --geojson\n", false;
      output_given = true;
      a.output = w == "--json" ? Output::Json : Output::GeoJson;
    } else if (w.size() > 1 && w[0] == '-') {
      return err << "unknown option: " << w << '\n', false;
    } else if (a.path.empty()) {
      a.path = w;
    } else {
      return err << "unexpected argument: " << w << '\n', false;
    }
  }
  if (a.path.empty()) return err << "missing grid file\n", false;
  return true;
}

}  // namespace

int runContourCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ContourArgs a;
  if (!parseArgs(args, a, err)) {
    err << kUsage << '\n';
    return 2;
  }
  GridData grid;
  const GrdReadStatus status = readGrdFile(a.path, grid);
  if (status != GrdReadStatus::Ok) {
    err << "ERROR: " << grdReadMessage(status, a.path) << '\n';
    return 1;
  }
  ContourSet set(grid);
  if (a.has_levels) {
    for (float v : a.levels) set.levels().insert(v);
  } else {
    set.buildDefaultLevels();
  }
  if (!set.traceAll()) {
    err << "ERROR: " << kMsgTraceAllocFailed << '\n';
    return 1;
  }
  switch (a.output) {
    case Output::Text: writeContourText(out, set); break;
    case Output::Json: writeContourJson(out, set); break;
    case Output::GeoJson: writeContourGeoJson(out, set); break;
  }
  return 0;
}

}  // namespace present
