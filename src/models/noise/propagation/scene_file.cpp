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
    if (!m_f.is_object()) fault(featureLabel(index, {}) + "：不是JSON对象");
    const auto p = m_f.find("properties");
    if (p != m_f.end() && !p->is_null()) {
      if (!p->is_object()) fault(featureLabel(index, {}) + "：properties不是JSON对象");
      m_props = &*p;
    }
    if (m_props) {
      const auto n = m_props->find("name");
      if (n != m_props->end() && n->is_string()) m_name = n->get<std::string>();
    }
  }

  std::string who() const { return m_label.empty() ? featureLabel(m_index, m_name) : m_label; }
  // Names the feature as its row among its kind, once the kind is known, instead of its place in
  // the file.
  void setLabel(std::string label) { m_label = std::move(label); }
  const std::string& name() const { return m_name; }
  int index() const { return m_index; }

  std::string kind() const {
    const Json* k = member("kind");
    if (!k) fault(who() + "：缺少类型kind");
    if (!k->is_string()) fault(who() + "：类型kind不是文本");
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
      fault(who() + "：" + memberName(key) + "不是有限的数");
    return v->get<double>();
  }
  double number(const char* key, double fallback) const { return number(key).value_or(fallback); }

  bool boolean(const char* key, bool fallback) const {
    const Json* v = member(key);
    if (!v) return fallback;
    if (!v->is_boolean()) fault(who() + "：" + memberName(key) + "应为true或false");
    return v->get<bool>();
  }

  std::string text(const char* key) const {
    const Json* v = member(key);
    if (!v) return {};
    if (!v->is_string()) fault(who() + "：" + memberName(key) + "不是文本");
    return v->get<std::string>();
  }

  std::optional<Bands> bands(const char* key) const {
    const Json* v = member(key);
    if (!v) return std::nullopt;
    return bandsOf(*v, who() + "：" + memberName(key));
  }

  std::vector<double> numbers(const char* key) const {
    const Json* v = member(key);
    std::vector<double> out;
    if (!v) return out;
    if (!v->is_array()) fault(who() + "：" + memberName(key) + "应为数的列表");
    for (const auto& e : *v) {
      if (!e.is_number() || !std::isfinite(e.get<double>()))
        fault(who() + "：" + memberName(key) + "应为有限的数的列表");
      out.push_back(e.get<double>());
    }
    return out;
  }

  // `what` names the list ("声源第1行：声功率级lw").
  static Bands bandsOf(const Json& v, const std::string& what) {
    Bands b{};
    if (!v.is_array() || v.size() != kBands) fault(what + "应为8个有限的数（63–8000 Hz）");
    for (std::size_t i = 0; i < kBands; ++i) {
      if (!v[i].is_number() || !std::isfinite(v[i].get<double>()))
        fault(what + "应为8个有限的数（63–8000 Hz）");
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
      fault(who() + "：几何类型应为" + type + "（" + kind() + "）");
    const Json& c = (*g)["coordinates"];
    std::vector<Point2> pts;
    if (std::string(type) == "Point") {
      pts.push_back(pointOf(c));
    } else if (std::string(type) == "LineString") {
      if (!c.is_array()) fault(who() + "：坐标coordinates不是点的列表");
      for (const auto& p : c) pts.push_back(pointOf(p));
      if (pts.size() < 2) fault(who() + "：线少于2个点");
    } else {
      if (!c.is_array() || c.empty() || !c[0].is_array()) fault(who() + "：多边形少于3个点");
      for (const auto& p : c[0]) pts.push_back(pointOf(p));
      if (pts.size() > 1 && pts.front().x == pts.back().x && pts.front().y == pts.back().y)
        pts.pop_back();
      if (pts.size() < 3) fault(who() + "：多边形少于3个点");
    }
    return pts;
  }

 private:
  Point2 pointOf(const Json& p) const {
    if (!p.is_array() || p.size() < 2 || !p[0].is_number() || !p[1].is_number() ||
        !std::isfinite(p[0].get<double>()) || !std::isfinite(p[1].get<double>()))
      fault(who() + "：坐标应为两个有限的数（x, y）");
    return {p[0].get<double>(), p[1].get<double>()};
  }

  const Json& m_f;
  const Json* m_props = nullptr;
  int m_index;
  std::string m_name;
  std::string m_label;
};

// "alpha": one absorption coefficient or eight, one per band.
std::optional<Bands> readAlpha(const FeatureReader& f) {
  const Json* v = f.member("alpha");
  if (!v) return std::nullopt;
  if (v->is_number()) {
    Bands b{};
    b.fill(v->get<double>());
    if (!std::isfinite(b[0])) fault(f.who() + "：吸声系数alpha不是有限的数");
    return b;
  }
  if (!v->is_array() || v->size() != kBands)
    fault(f.who() + "：吸声系数alpha应为一个数或8个倍频带的值（63–8000 Hz）");
  return FeatureReader::bandsOf(*v, f.who() + "：吸声系数alpha");
}

void readBuilding(FeatureReader& f, Scene& scene) {
  Building b;
  b.name = f.name();
  b.feature = f.index();
  f.setLabel(buildingLabel(scene.buildings.size(), b.name));
  b.footprint = f.geometry("Polygon");
  b.h_m = f.number("h");
  b.top_z = f.number("top_z");
  if (b.h_m.has_value() == b.top_z.has_value())
    fault(f.who() + "：高度h与屋顶高程top_z须给出且只给出其中一个");
  if (const Json* lat = f.member("lateral")) {
    if (!lat->is_boolean()) fault(f.who() + "：lateral应为true或false");
    b.lateral = lat->get<bool>();
  }
  b.reflective = f.boolean("reflective", true);
  b.alpha = readAlpha(f);
  scene.buildings.push_back(std::move(b));
}

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
  const std::string members = per_unit_key ? std::string(per_unit_key) + "、" : "";
  if (given != 1)
    fault(f.who() + "：声功率（" + members + "lw、spectrum、lwa）须给出且只给出其中一个");
  return e;
}

Emission readRoomSourceEmission(const Json& s, const std::string& what) {
  Emission e;
  int given = 0;
  if (s.contains("lw")) {
    e.lw = FeatureReader::bandsOf(s["lw"], what + "：声功率级lw");
    ++given;
  }
  if (s.contains("spectrum")) {
    if (!s["spectrum"].is_string()) fault(what + "：频谱编号spectrum不是文本");
    e.kind = Emission::Kind::Spectrum;
    e.spectrum = s["spectrum"].get<std::string>();
    ++given;
  }
  if (s.contains("lwa")) {
    if (!s["lwa"].is_number()) fault(what + "：A声级声功率lwa不是有限的数");
    e.kind = Emission::Kind::Lwa;
    e.lwa_db = s["lwa"].get<double>();
    ++given;
  }
  if (given != 1) fault(what + "：声功率（lw、spectrum、lwa）须给出且只给出其中一个");
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
    if (!list->is_array()) fault(f.who() + "：室内声源sources不是列表");
    for (std::size_t i = 0; i < list->size(); ++i) {
      const Json& s = (*list)[i];
      const std::string what = f.who() + "的室内声源第" + std::to_string(i + 1) + "个";
      if (!s.is_object()) fault(what + "不是JSON对象");
      RoomSource rs;
      rs.emission = readRoomSourceEmission(s, what);
      for (const char* key : {"r1", "q"}) {
        if (!s.contains(key)) continue;
        if (!s[key].is_number() || !std::isfinite(s[key].get<double>()))
          fault(what + "：" + memberName(key) + "不是有限的数");
        (std::string(key) == "r1" ? rs.r1_m : rs.q) = s[key].get<double>();
      }
      r.sources.push_back(rs);
    }
  }
  if (r.sources.empty() == !r.l1.has_value())
    fault(f.who() + "：室内声源sources与室内声级l1须给出且只给出其中一个");
  scene.rooms.push_back(std::move(r));
}

void readOpening(const FeatureReader& f, Scene& scene) {
  Opening o;
  o.name = f.name();
  o.feature = f.index();
  const auto line = f.geometry("LineString");
  if (line.size() != 2) fault(f.who() + "：开口应为沿墙的2个点的线段");
  o.a = line[0];
  o.b = line[1];
  o.room = f.text("room");
  if (o.room.empty()) fault(f.who() + "：缺少所属车间room");
  o.z0_m = f.number("z0", 0);
  o.z1_m = f.number("z1", 0);
  o.tl = f.bands("tl");
  o.tl_spectrum = f.text("tl_spectrum");
  if (o.tl.has_value() == !o.tl_spectrum.empty())
    fault(f.who() + "：隔声量tl与隔声频谱编号tl_spectrum须给出且只给出其中一个");
  scene.openings.push_back(std::move(o));
}

void readBarrier(FeatureReader& f, Scene& scene) {
  Barrier b;
  b.name = f.name();
  b.feature = f.index();
  b.line = f.geometry("LineString");
  b.h_m = f.number("h");
  b.top_z = f.numbers("top_z");
  if (b.h_m.has_value() == !b.top_z.empty())
    fault(f.who() + "：高度h与顶高程top_z须给出且只给出其中一个");
  if (!b.top_z.empty() && b.top_z.size() != b.line.size())
    fault(f.who() + "：顶高程top_z应与线的每个顶点一一对应");
  if (const Json* lat = f.member("lateral")) {
    if (lat->is_boolean()) {
      b.lateral = std::array<bool, 2>{lat->get<bool>(), lat->get<bool>()};
    } else if (lat->is_array() && lat->size() == 2 && (*lat)[0].is_boolean() &&
               (*lat)[1].is_boolean()) {
      b.lateral = std::array<bool, 2>{(*lat)[0].get<bool>(), (*lat)[1].get<bool>()};
    } else {
      fault(f.who() + "：侧向绕射lateral应为true、false或[起端, 末端]");
    }
  }
  b.reflective = f.boolean("reflective", false);
  if (f.has("alpha")) {
    FeatureReader g = f;
    g.setLabel(barrierLabel(scene.barriers.size(), b.name));
    b.alpha = readAlpha(g);
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

void readFeature(FeatureReader f, Scene& scene) {
  const std::string kind = f.kind();
  const bool source = kind == "point_source" || kind == "line_source" || kind == "area_source";
  if (source) f.setLabel(rowLabel("source", scene.sources.size(), f.name()));
  if (kind == "room") f.setLabel(rowLabel("room", scene.rooms.size(), f.name()));
  if (kind == "opening") f.setLabel(rowLabel("opening", scene.openings.size(), f.name()));
  if (kind == "barrier") f.setLabel(rowLabel("barrier", scene.barriers.size(), f.name()));
  if (kind == "ground") f.setLabel(rowLabel("ground", scene.ground.size(), f.name()));
  if (kind == "receptor") f.setLabel(rowLabel("receptor", scene.receptors.size(), f.name()));
  if (kind == "grid") f.setLabel(rowLabel("grid", 0, f.name()));
  if (source) {
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
  } else if (kind == "building") {
    readBuilding(f, scene);
  } else if (kind == "ground") {
    GroundArea g;
    g.name = f.name();
    g.feature = f.index();
    g.ring = f.geometry("Polygon");
    const auto gv = f.number("g");
    if (!gv) fault(f.who() + "：缺少地面因子g");
    g.g = *gv;
    scene.ground.push_back(std::move(g));
  } else if (kind == "receptor") {
    readReceptor(f, scene);
  } else if (kind == "grid") {
    if (scene.grid) fault(f.who() + "：一个场景只能有一个计算网格");
    GridSpec g;
    g.name = f.name();
    g.feature = f.index();
    g.ring = f.geometry("Polygon");
    g.spacing_m = f.number("spacing", 5);
    g.h_m = f.number("h", 1.2);
    scene.grid = std::move(g);
  } else {
    fault(f.who() + "：未知的类型kind“" + kind + "”");
  }
}

void readSettings(const Json& top, Scene& scene) {
  const auto it = top.find("noise_scene");
  if (it == top.end()) return;
  const Json& ns = *it;
  if (!ns.is_object()) fault("noise_scene不是JSON对象");
  auto num = [&](const char* key, double& to) {
    if (!ns.contains(key)) return;
    if (!ns[key].is_number() || !std::isfinite(ns[key].get<double>()))
      fault("noise_scene：" + memberName(key) + "不是有限的数");
    to = ns[key].get<double>();
  };
  auto text = [&](const char* key, std::string& to) {
    if (!ns.contains(key) || ns[key].is_null()) return;
    if (!ns[key].is_string()) fault("noise_scene：" + memberName(key) + "不是文本");
    to = ns[key].get<std::string>();
  };
  double version = 1;
  num("version", version);
  if (version != 1) fault("noise_scene：无法识别的版本version " + jsonNumber(version));
  SceneSettings& s = scene.settings;
  num("temperature_c", s.temperature_c);
  num("humidity_pct", s.humidity_pct);
  num("pressure_kpa", s.pressure_kpa);
  num("ground_g", s.ground_g);
  num("c0_db", s.c0_db);
  if (ns.contains("lateral_diffraction")) {
    if (!ns["lateral_diffraction"].is_boolean())
      fault("noise_scene：声屏障侧向绕射lateral_diffraction应为true或false");
    s.lateral_diffraction = ns["lateral_diffraction"].get<bool>();
  }
  if (ns.contains("reflection_order")) {
    const Json& ro = ns["reflection_order"];
    if (!ro.is_number_integer() || (ro.get<long long>() != 0 && ro.get<long long>() != 1))
      fault("noise_scene：反射阶数reflection_order只能为0（不计反射）或1（一阶反射）");
    s.reflection_order = static_cast<int>(ro.get<long long>());
  }
  std::string method;
  text("ground_method", method);
  if (method == "alternative")
    s.ground_method = GroundMethod::Alternative;
  else if (!method.empty() && method != "general")
    fault("noise_scene：地面衰减方法ground_method应为“general”或“alternative”");
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
    case core::ReadStatus::NotRegular: error = path + " 不是普通文件"; break;
    case core::ReadStatus::TooLarge:
      error = path + " 大于 " + std::to_string(kMaxSceneFileBytes >> 20) + " MB";
      break;
    case core::ReadStatus::Missing: error = path + " 不存在"; break;
    case core::ReadStatus::Unreadable: error = path + " 无法读取"; break;
  }
  return std::nullopt;
}

// `soft`: a stored scene is read whatever its terrain file: a terrain grid that cannot be read is
// said there (the path is kept, and every run refuses the scene until the grid is back).
void loadExternal(Scene& scene, const std::string& base_dir, const std::string* spectra_csv,
                  std::vector<std::string>* soft) {
  if (spectra_csv) {
    SpectraReadResult r = parseSpectraCsv(*spectra_csv);
    if (!r.error.empty()) fault("频谱表：" + r.error);
    scene.spectra = std::move(r.spectra);
    scene.spectra_path.clear();
  } else if (!scene.spectra_path.empty()) {
    const std::string path = resolve(base_dir, scene.spectra_path);
    std::string error;
    const auto bytes = readSmallFile(path, error);
    if (!bytes) fault("noise_scene：频谱文件spectra：" + error);
    SpectraReadResult r = parseSpectraCsv(*bytes);
    if (!r.error.empty()) fault("noise_scene：频谱文件spectra：" + path + " " + r.error);
    scene.spectra = std::move(r.spectra);
  }
  if (!scene.terrain_path.empty()) {
    const std::string path = resolve(base_dir, scene.terrain_path);
    present::GridData g;
    present::GrdReadDetails details;
    const auto status = present::readGrdFile(path, g, &details);
    std::string problem;
    if (status != present::GrdReadStatus::Ok)
      problem = present::grdReadMessage(status, path, &details);
    else if (g.nx < 2 || g.ny < 2 || !(g.xmax > g.xmin) || !(g.ymax > g.ymin))
      problem = path + " 不是完整的网格";
    if (!problem.empty()) {
      if (!soft) fault("noise_scene：地形terrain：" + problem);
      soft->push_back("noise_scene：地形terrain：" + problem);
      return;
    }
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
                           const std::string* spectra_csv, bool check) {
  SceneReadResult result;
  try {
    Json top;
    if (core::jsonNestingDepth(text) > core::kMaxJsonNesting)
      fault("不是场景文件：嵌套超过 " + std::to_string(core::kMaxJsonNesting) + " 层");
    try {
      top = Json::parse(text);
    } catch (const Json::parse_error& e) {
      fault("不是JSON文件：第 " + std::to_string(e.byte) + " 个字节处有语法错误");
    }
    if (!top.is_object() || !top.contains("type") || top["type"] != "FeatureCollection")
      fault("不是GeoJSON要素集（FeatureCollection）");
    const auto features = top.find("features");
    if (features == top.end() || !features->is_array()) fault("要素features不是列表");
    Scene scene;
    if (top.contains("crs") && !top["crs"].is_null()) scene.crs_json = top["crs"].dump();
    readSettings(top, scene);
    for (std::size_t i = 0; i < features->size(); ++i)
      readFeature(FeatureReader((*features)[i], static_cast<int>(i)), scene);
    std::vector<std::string> unread;
    loadExternal(scene, base_dir, spectra_csv, check ? nullptr : &unread);
    if (check)
      if (auto e = checkScene(scene)) fault(*e);
    result.warnings = sceneWarnings(scene);
    result.warnings.insert(result.warnings.begin(), unread.begin(), unread.end());
    result.scene = std::move(scene);
  } catch (const FileFault& f) {
    result.error = f.message;
  } catch (const Json::exception& e) {
    result.error = std::string("场景文件的结构无法读取（") + e.what() + "）";
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
