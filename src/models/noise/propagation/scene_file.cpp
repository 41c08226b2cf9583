#include "models/noise/propagation/scene_file.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/file_io.h"
#include "core/parse.h"
#include "models/noise/propagation/scene_io_detail.h"
#include "present/grid_data.h"
#include "tools/unit_table.h"

namespace models::noise::propagation {

namespace {

using Json = nlohmann::ordered_json;

// A fault in the file: thrown inside the reader only, turned into the result's message.
struct FileFault {
  std::string message;
};

[[noreturn]] void fault(const std::string& message) { throw FileFault{message}; }

class FeatureReader {
 public:
  FeatureReader(const Json& feature, int index) : m_f(feature), m_index(index) {
    if (!m_f.is_object()) fault("feature " + std::to_string(index) + ": not an object");
    const auto p = m_f.find("properties");
    if (p != m_f.end() && !p->is_null()) {
      if (!p->is_object())
        fault("feature " + std::to_string(index) + ": \"properties\" is not an object");
      m_props = &*p;
    }
    if (m_props) {
      const auto n = m_props->find("name");
      if (n != m_props->end() && n->is_string()) m_name = n->get<std::string>();
    }
  }

  std::string who() const { return featureLabel(m_index, m_name); }
  const std::string& name() const { return m_name; }
  int index() const { return m_index; }

  std::string kind() const {
    const Json* k = member("kind");
    if (!k) fault(who() + ": \"kind\" is missing");
    if (!k->is_string()) fault(who() + ": \"kind\" is not a text");
    return k->get<std::string>();
  }

  const Json* member(const char* key) const {
    if (!m_props) return nullptr;
    const auto it = m_props->find(key);
    return it == m_props->end() || it->is_null() ? nullptr : &*it;
  }
  bool has(const char* key) const { return member(key) != nullptr; }

  std::optional<double> number(const char* key) const {
    const Json* v = member(key);
    if (!v) return std::nullopt;
    if (!v->is_number() || !std::isfinite(v->get<double>()))
      fault(who() + ": \"" + key + "\" is not a finite number");
    return v->get<double>();
  }
  double number(const char* key, double fallback) const { return number(key).value_or(fallback); }

  bool boolean(const char* key, bool fallback) const {
    const Json* v = member(key);
    if (!v) return fallback;
    if (!v->is_boolean()) fault(who() + ": \"" + key + "\" is not true or false");
    return v->get<bool>();
  }

  std::string text(const char* key) const {
    const Json* v = member(key);
    if (!v) return {};
    if (!v->is_string()) fault(who() + ": \"" + key + "\" is not a text");
    return v->get<std::string>();
  }

  std::optional<Bands> bands(const char* key) const {
    const Json* v = member(key);
    if (!v) return std::nullopt;
    return bandsOf(*v, who() + ": \"" + key + "\"");
  }

  std::vector<double> numbers(const char* key) const {
    const Json* v = member(key);
    std::vector<double> out;
    if (!v) return out;
    if (!v->is_array()) fault(who() + ": \"" + key + "\" is not a list of numbers");
    for (const auto& e : *v) {
      if (!e.is_number() || !std::isfinite(e.get<double>()))
        fault(who() + ": \"" + key + "\" is not a list of finite numbers");
      out.push_back(e.get<double>());
    }
    return out;
  }

  static Bands bandsOf(const Json& v, const std::string& what) {
    Bands b{};
    if (!v.is_array() || v.size() != kBands) fault(what + " is not a list of 8 finite numbers");
    for (std::size_t i = 0; i < kBands; ++i) {
      if (!v[i].is_number() || !std::isfinite(v[i].get<double>()))
        fault(what + " is not a list of 8 finite numbers");
      b[i] = v[i].get<double>();
    }
    return b;
  }

  // The geometry's coordinates: a Point gives one point, a LineString its points, a Polygon its
  // outer ring without the closing point.
  std::vector<Point2> geometry(const char* type) const {
    const auto g = m_f.find("geometry");
    if (g == m_f.end() || !g->is_object() || !g->contains("type") || (*g)["type"] != type ||
        !g->contains("coordinates"))
      fault(who() + ": a " + kind() + " needs a " + type + " geometry");
    const Json& c = (*g)["coordinates"];
    std::vector<Point2> pts;
    if (std::string(type) == "Point") {
      pts.push_back(pointOf(c));
    } else if (std::string(type) == "LineString") {
      if (!c.is_array()) fault(who() + ": the coordinates are not a list of points");
      for (const auto& p : c) pts.push_back(pointOf(p));
      if (pts.size() < 2) fault(who() + ": the line has fewer than 2 points");
    } else {
      if (!c.is_array() || c.empty() || !c[0].is_array())
        fault(who() + ": the polygon has fewer than 3 points");
      for (const auto& p : c[0]) pts.push_back(pointOf(p));
      if (pts.size() > 1 && pts.front().x == pts.back().x && pts.front().y == pts.back().y)
        pts.pop_back();
      if (pts.size() < 3) fault(who() + ": the polygon has fewer than 3 points");
    }
    return pts;
  }

 private:
  Point2 pointOf(const Json& p) const {
    if (!p.is_array() || p.size() < 2 || !p[0].is_number() || !p[1].is_number() ||
        !std::isfinite(p[0].get<double>()) || !std::isfinite(p[1].get<double>()))
      fault(who() + ": a coordinate is not a pair of finite numbers");
    return {p[0].get<double>(), p[1].get<double>()};
  }

  const Json& m_f;
  const Json* m_props = nullptr;
  int m_index;
  std::string m_name;
};

// One of `lw` / `spectrum` / `lwa` (with `lw_key` naming the band member of the kind).
Emission readEmission(const FeatureReader& f, const char* per_unit_key) {
  Emission e;
  int given = 0;
  if (per_unit_key && f.has(per_unit_key)) {
    e.kind = Emission::Kind::Levels;
    e.lw = *f.bands(per_unit_key);
    e.per_unit = true;
    ++given;
  }
  if (f.has("lw")) {
    e.kind = Emission::Kind::Levels;
    e.lw = *f.bands("lw");
    ++given;
  }
  if (f.has("spectrum")) {
    e.kind = Emission::Kind::Spectrum;
    e.spectrum = f.text("spectrum");
    ++given;
  }
  if (f.has("lwa")) {
    e.kind = Emission::Kind::Lwa;
    e.lwa_db = *f.number("lwa");
    ++given;
  }
  const std::string members = per_unit_key ? std::string("\"") + per_unit_key + "\", " : "";
  if (given != 1)
    fault(f.who() + ": give exactly one of " + members + "\"lw\", \"spectrum\" or \"lwa\"");
  return e;
}

Emission readRoomSourceEmission(const Json& s, const std::string& what) {
  Emission e;
  int given = 0;
  if (s.contains("lw")) {
    e.lw = FeatureReader::bandsOf(s["lw"], what + " \"lw\"");
    ++given;
  }
  if (s.contains("spectrum")) {
    if (!s["spectrum"].is_string()) fault(what + " \"spectrum\" is not a text");
    e.kind = Emission::Kind::Spectrum;
    e.spectrum = s["spectrum"].get<std::string>();
    ++given;
  }
  if (s.contains("lwa")) {
    if (!s["lwa"].is_number()) fault(what + " \"lwa\" is not a finite number");
    e.kind = Emission::Kind::Lwa;
    e.lwa_db = s["lwa"].get<double>();
    ++given;
  }
  if (given != 1) fault(what + ": give exactly one of \"lw\", \"spectrum\" or \"lwa\"");
  return e;
}

void readSourceCommon(const FeatureReader& f, Source& s) {
  s.name = f.name();
  s.feature = f.index();
  s.h_m = f.number("h", 0);
  s.dc = f.bands("dc");
  s.hours_day = f.number("hours_day", 16);
  s.hours_night = f.number("hours_night", 8);
}

void readRoom(const FeatureReader& f, Scene& scene) {
  Room r;
  r.name = f.name();
  r.feature = f.index();
  r.footprint = f.geometry("Polygon");
  r.height_m = f.number("height", 0);
  r.alpha = f.number("alpha", 0.1);
  r.hours_day = f.number("hours_day", 16);
  r.hours_night = f.number("hours_night", 8);
  r.l1 = f.bands("l1");
  if (const Json* list = f.member("sources")) {
    if (!list->is_array()) fault(f.who() + ": \"sources\" is not a list");
    for (std::size_t i = 0; i < list->size(); ++i) {
      const Json& s = (*list)[i];
      const std::string what = f.who() + ": \"sources\" item " + std::to_string(i + 1);
      if (!s.is_object()) fault(what + " is not an object");
      RoomSource rs;
      rs.emission = readRoomSourceEmission(s, what);
      for (const char* key : {"r1", "q"}) {
        if (!s.contains(key)) continue;
        if (!s[key].is_number() || !std::isfinite(s[key].get<double>()))
          fault(what + " \"" + key + "\" is not a finite number");
        (std::string(key) == "r1" ? rs.r1_m : rs.q) = s[key].get<double>();
      }
      r.sources.push_back(rs);
    }
  }
  if (r.sources.empty() == !r.l1.has_value())
    fault(f.who() + ": give either \"sources\" or \"l1\"");
  scene.rooms.push_back(std::move(r));
}

void readOpening(const FeatureReader& f, Scene& scene) {
  Opening o;
  o.name = f.name();
  o.feature = f.index();
  const auto line = f.geometry("LineString");
  if (line.size() != 2) fault(f.who() + ": an opening is a line of 2 points along a wall");
  o.a = line[0];
  o.b = line[1];
  o.room = f.text("room");
  if (o.room.empty()) fault(f.who() + ": \"room\" is missing");
  o.z0_m = f.number("z0", 0);
  o.z1_m = f.number("z1", 0);
  o.tl = f.bands("tl");
  o.tl_spectrum = f.text("tl_spectrum");
  if (o.tl.has_value() == !o.tl_spectrum.empty())
    fault(f.who() + ": give either \"tl\" or \"tl_spectrum\"");
  scene.openings.push_back(std::move(o));
}

void readBarrier(const FeatureReader& f, Scene& scene) {
  Barrier b;
  b.name = f.name();
  b.feature = f.index();
  b.line = f.geometry("LineString");
  b.h_m = f.number("h");
  b.top_z = f.numbers("top_z");
  if (b.h_m.has_value() == !b.top_z.empty()) fault(f.who() + ": give either \"h\" or \"top_z\"");
  if (!b.top_z.empty() && b.top_z.size() != b.line.size())
    fault(f.who() + ": \"top_z\" needs one value per vertex of the line");
  if (const Json* lat = f.member("lateral")) {
    if (lat->is_boolean()) {
      b.lateral = std::array<bool, 2>{lat->get<bool>(), lat->get<bool>()};
    } else if (lat->is_array() && lat->size() == 2 && (*lat)[0].is_boolean() &&
               (*lat)[1].is_boolean()) {
      b.lateral = std::array<bool, 2>{(*lat)[0].get<bool>(), (*lat)[1].get<bool>()};
    } else {
      fault(f.who() + ": \"lateral\" is not true, false or [first end, last end]");
    }
  }
  scene.barriers.push_back(std::move(b));
}

void readReceptor(const FeatureReader& f, Scene& scene) {
  Receptor r;
  r.name = f.name();
  r.feature = f.index();
  r.at = f.geometry("Point")[0];
  r.h_m = f.number("h", 1.2);
  r.boundary = f.boolean("boundary", false);
  r.limit_day = f.number("limit_day");
  r.limit_night = f.number("limit_night");
  r.background_day = f.number("background_day");
  r.background_night = f.number("background_night");
  scene.receptors.push_back(std::move(r));
}

void readFeature(const FeatureReader& f, Scene& scene) {
  const std::string kind = f.kind();
  if (kind == "point_source" || kind == "line_source" || kind == "area_source") {
    Source s;
    readSourceCommon(f, s);
    if (kind == "point_source") {
      s.kind = SourceKind::Point;
      s.geometry = f.geometry("Point");
      s.emission = readEmission(f, nullptr);
    } else if (kind == "line_source") {
      s.kind = SourceKind::Line;
      s.geometry = f.geometry("LineString");
      s.emission = readEmission(f, "lw_per_m");
    } else {
      s.kind = SourceKind::Area;
      s.geometry = f.geometry("Polygon");
      s.emission = readEmission(f, "lw_per_m2");
    }
    scene.sources.push_back(std::move(s));
  } else if (kind == "room") {
    readRoom(f, scene);
  } else if (kind == "opening") {
    readOpening(f, scene);
  } else if (kind == "barrier") {
    readBarrier(f, scene);
  } else if (kind == "ground") {
    GroundArea g;
    g.name = f.name();
    g.feature = f.index();
    g.ring = f.geometry("Polygon");
    const auto gv = f.number("g");
    if (!gv) fault(f.who() + ": \"g\" is missing");
    g.g = *gv;
    scene.ground.push_back(std::move(g));
  } else if (kind == "receptor") {
    readReceptor(f, scene);
  } else if (kind == "grid") {
    if (scene.grid) fault(f.who() + ": a scene holds one grid");
    GridSpec g;
    g.name = f.name();
    g.feature = f.index();
    g.ring = f.geometry("Polygon");
    g.spacing_m = f.number("spacing", 5);
    g.h_m = f.number("h", 1.2);
    scene.grid = std::move(g);
  } else {
    fault(f.who() + ": unknown kind \"" + kind + "\"");
  }
}

void readSettings(const Json& top, Scene& scene) {
  const auto it = top.find("noise_scene");
  if (it == top.end()) return;
  const Json& ns = *it;
  if (!ns.is_object()) fault("\"noise_scene\" is not an object");
  auto num = [&](const char* key, double& to) {
    if (!ns.contains(key)) return;
    if (!ns[key].is_number() || !std::isfinite(ns[key].get<double>()))
      fault("noise_scene: \"" + std::string(key) + "\" is not a finite number");
    to = ns[key].get<double>();
  };
  auto text = [&](const char* key, std::string& to) {
    if (!ns.contains(key) || ns[key].is_null()) return;
    if (!ns[key].is_string()) fault("noise_scene: \"" + std::string(key) + "\" is not a text");
    to = ns[key].get<std::string>();
  };
  double version = 1;
  num("version", version);
  if (version != 1) fault("noise_scene: version " + jsonNumber(version) + " is not known");
  SceneSettings& s = scene.settings;
  num("temperature_c", s.temperature_c);
  num("humidity_pct", s.humidity_pct);
  num("pressure_kpa", s.pressure_kpa);
  num("ground_g", s.ground_g);
  num("c0_db", s.c0_db);
  if (ns.contains("lateral_diffraction")) {
    if (!ns["lateral_diffraction"].is_boolean())
      fault("noise_scene: \"lateral_diffraction\" is not true or false");
    s.lateral_diffraction = ns["lateral_diffraction"].get<bool>();
  }
  std::string method;
  text("ground_method", method);
  if (method == "alternative")
    s.ground_method = GroundMethod::Alternative;
  else if (!method.empty() && method != "general")
    fault("noise_scene: \"ground_method\" is \"general\" or \"alternative\"");
  text("terrain", scene.terrain_path);
  text("spectra", scene.spectra_path);
}

std::string resolve(const std::string& base_dir, const std::string& rel) {
  const std::filesystem::path p = std::filesystem::u8path(rel);
  if (p.is_absolute() || base_dir.empty()) return rel;
  return (std::filesystem::u8path(base_dir) / p).string();
}

// The file's bytes, refused when it is not a regular file or larger than kMaxSceneFileBytes.
std::optional<std::string> readSmallFile(const std::string& path, std::string& error) {
  std::string bytes;
  const auto r =
      core::readRegularFile(path, bytes, static_cast<std::uintmax_t>(kMaxSceneFileBytes));
  switch (r.status) {
    case core::ReadStatus::Ok: return bytes;
    case core::ReadStatus::NotRegular: error = path + ": not a regular file"; break;
    case core::ReadStatus::TooLarge:
      error = path + ": larger than " + std::to_string(kMaxSceneFileBytes >> 20) + " MB";
      break;
    case core::ReadStatus::Missing:
    case core::ReadStatus::Unreadable: error = path + ": cannot be read"; break;
  }
  return std::nullopt;
}

void loadExternal(Scene& scene, const std::string& base_dir, const std::string* spectra_csv) {
  if (spectra_csv) {
    SpectraReadResult r = parseSpectraCsv(*spectra_csv);
    if (!r.error.empty()) fault("spectra table: " + r.error);
    scene.spectra = std::move(r.spectra);
    scene.spectra_path.clear();
  } else if (!scene.spectra_path.empty()) {
    const std::string path = resolve(base_dir, scene.spectra_path);
    std::string error;
    const auto bytes = readSmallFile(path, error);
    if (!bytes) fault("noise_scene: \"spectra\": " + error);
    SpectraReadResult r = parseSpectraCsv(*bytes);
    if (!r.error.empty()) fault("noise_scene: \"spectra\": " + path + ": " + r.error);
    scene.spectra = std::move(r.spectra);
  }
  if (!scene.terrain_path.empty()) {
    const std::string path = resolve(base_dir, scene.terrain_path);
    present::GridData g;
    present::GrdReadDetails details;
    const auto status = present::readGrdFile(path, g, &details);
    if (status != present::GrdReadStatus::Ok)
      fault("noise_scene: \"terrain\": " + present::grdReadMessage(status, path, &details));
    if (g.nx < 2 || g.ny < 2 || !(g.xmax > g.xmin) || !(g.ymax > g.ymin))
      fault("noise_scene: \"terrain\": " + path + " is not a complete grid");
    Terrain t;
    t.nx = g.nx;
    t.ny = g.ny;
    t.xmin = g.xmin;
    t.xmax = g.xmax;
    t.ymin = g.ymin;
    t.ymax = g.ymax;
    t.z = std::move(g.z);
    scene.terrain = std::move(t);
  }
}

}  // namespace

SceneReadResult parseScene(const std::string& text, const std::string& base_dir,
                           const std::string* spectra_csv) {
  SceneReadResult result;
  try {
    Json top;
    if (core::jsonNestingDepth(text) > core::kMaxJsonNesting)
      fault("not a scene file: nested deeper than " + std::to_string(core::kMaxJsonNesting) +
            " levels");
    try {
      top = Json::parse(text);
    } catch (const Json::parse_error& e) {
      fault(std::string("not a JSON file: ") + e.what());
    }
    if (!top.is_object() || top.value("type", "") != "FeatureCollection")
      fault("not a GeoJSON FeatureCollection");
    const auto features = top.find("features");
    if (features == top.end() || !features->is_array()) fault("\"features\" is not a list");
    Scene scene;
    if (top.contains("crs") && !top["crs"].is_null()) scene.crs_json = top["crs"].dump();
    readSettings(top, scene);
    for (std::size_t i = 0; i < features->size(); ++i)
      readFeature(FeatureReader((*features)[i], static_cast<int>(i)), scene);
    loadExternal(scene, base_dir, spectra_csv);
    if (auto e = checkScene(scene)) fault(*e);
    result.warnings = sceneWarnings(scene);
    result.scene = std::move(scene);
  } catch (const FileFault& f) {
    result.error = f.message;
  } catch (const Json::exception& e) {
    result.error = std::string("unreadable scene: ") + e.what();
  }
  return result;
}

SceneReadResult readSceneFile(const std::string& path) {
  std::string error;
  const auto bytes = readSmallFile(path, error);
  if (!bytes) {
    SceneReadResult r;
    r.error = error;
    return r;
  }
  const std::string parent = std::filesystem::u8path(path).parent_path().string();
  SceneReadResult r = parseScene(*bytes, parent);
  r.inputs.push_back(path);
  if (r.scene) {
    if (!r.scene->spectra_path.empty()) r.inputs.push_back(resolve(parent, r.scene->spectra_path));
    if (!r.scene->terrain_path.empty()) r.inputs.push_back(resolve(parent, r.scene->terrain_path));
  }
  return r;
}

bool writeSceneFile(const Scene& scene, const std::string& path, std::string* error) {
  const std::string why = core::writeFileAtomic(path, sceneToGeoJson(scene));
  if (why.empty()) return true;
  if (error) *error = why;
  return false;
}

}  // namespace models::noise::propagation
