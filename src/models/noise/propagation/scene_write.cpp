#include <nlohmann/json.hpp>

#include "core/parse.h"
#include "models/noise/propagation/scene_file.h"

namespace models::noise::propagation {

namespace {

using Json = nlohmann::ordered_json;

Json point(Point2 p) { return Json::array({p.x, p.y}); }

Json line(const std::vector<Point2>& pts) {
  Json a = Json::array();
  for (const auto& p : pts) a.push_back(point(p));
  return a;
}

// A GeoJSON ring is closed: its last point repeats the first.
Json polygon(const std::vector<Point2>& ring) {
  Json a = line(ring);
  if (!ring.empty()) a.push_back(point(ring.front()));
  return Json::array({a});
}

Json bands(const Bands& b) { return Json(std::vector<double>(b.begin(), b.end())); }

Json feature(const char* type, Json coordinates, Json props) {
  Json f;
  f["type"] = "Feature";
  f["properties"] = std::move(props);
  f["geometry"] = {{"type", type}, {"coordinates", std::move(coordinates)}};
  return f;
}

Json props(const char* kind, const std::string& name) {
  Json p;
  p["kind"] = kind;
  if (!name.empty()) p["name"] = name;
  return p;
}

void putEmission(Json& p, const Emission& e, const char* per_unit_key) {
  switch (e.kind) {
    case Emission::Kind::Levels:
      p[e.per_unit && per_unit_key ? per_unit_key : "lw"] = bands(e.lw);
      break;
    case Emission::Kind::Spectrum: p["spectrum"] = e.spectrum; break;
    case Emission::Kind::Lwa: p["lwa"] = e.lwa_db; break;
  }
}

Json sourceFeature(const Source& s) {
  static const char* kKinds[] = {"point_source", "line_source", "area_source"};
  static const char* kPerUnit[] = {nullptr, "lw_per_m", "lw_per_m2"};
  const auto k = static_cast<std::size_t>(s.kind);
  Json p = props(kKinds[k], s.name);
  p["h"] = s.h_m;
  putEmission(p, s.emission, kPerUnit[k]);
  if (s.dc) p["dc"] = bands(*s.dc);
  p["hours_day"] = s.hours_day;
  p["hours_night"] = s.hours_night;
  switch (s.kind) {
    case SourceKind::Point:
      return feature("Point", point(s.geometry.empty() ? Point2{} : s.geometry[0]), p);
    case SourceKind::Line: return feature("LineString", line(s.geometry), p);
    case SourceKind::Area: break;
  }
  return feature("Polygon", polygon(s.geometry), p);
}

Json roomFeature(const Room& r) {
  Json p = props("room", r.name);
  p["height"] = r.height_m;
  p["alpha"] = r.alpha;
  p["hours_day"] = r.hours_day;
  p["hours_night"] = r.hours_night;
  if (r.l1) p["l1"] = bands(*r.l1);
  if (!r.sources.empty()) {
    Json list = Json::array();
    for (const auto& s : r.sources) {
      Json e;
      putEmission(e, s.emission, nullptr);
      e["r1"] = s.r1_m;
      e["q"] = s.q;
      list.push_back(e);
    }
    p["sources"] = list;
  }
  return feature("Polygon", polygon(r.footprint), p);
}

Json openingFeature(const Opening& o) {
  Json p = props("opening", o.name);
  p["room"] = o.room;
  p["z0"] = o.z0_m;
  p["z1"] = o.z1_m;
  if (o.tl)
    p["tl"] = bands(*o.tl);
  else
    p["tl_spectrum"] = o.tl_spectrum;
  return feature("LineString", line({o.a, o.b}), p);
}

Json barrierFeature(const Barrier& b) {
  Json p = props("barrier", b.name);
  if (b.h_m)
    p["h"] = *b.h_m;
  else
    p["top_z"] = b.top_z;
  if (b.lateral) {
    if ((*b.lateral)[0] == (*b.lateral)[1])
      p["lateral"] = (*b.lateral)[0];
    else
      p["lateral"] = Json::array({(*b.lateral)[0], (*b.lateral)[1]});
  }
  return feature("LineString", line(b.line), p);
}

Json receptorFeature(const Receptor& r) {
  Json p = props("receptor", r.name);
  p["h"] = r.h_m;
  p["boundary"] = r.boundary;
  if (r.limit_day) p["limit_day"] = *r.limit_day;
  if (r.limit_night) p["limit_night"] = *r.limit_night;
  if (r.background_day) p["background_day"] = *r.background_day;
  if (r.background_night) p["background_night"] = *r.background_night;
  return feature("Point", point(r.at), p);
}

Json settings(const Scene& scene) {
  const SceneSettings& s = scene.settings;
  Json ns;
  ns["version"] = 1;
  ns["temperature_c"] = s.temperature_c;
  ns["humidity_pct"] = s.humidity_pct;
  ns["pressure_kpa"] = s.pressure_kpa;
  ns["ground_g"] = s.ground_g;
  ns["c0_db"] = s.c0_db;
  ns["lateral_diffraction"] = s.lateral_diffraction;
  ns["ground_method"] = s.ground_method == GroundMethod::Alternative ? "alternative" : "general";
  if (!scene.terrain_path.empty()) ns["terrain"] = scene.terrain_path;
  if (!scene.spectra_path.empty()) ns["spectra"] = scene.spectra_path;
  return ns;
}

}  // namespace

std::string sceneToGeoJson(const Scene& scene) {
  Json top;
  top["type"] = "FeatureCollection";
  if (!scene.crs_json.empty()) {
    // Kept verbatim; a member that does not parse any more is dropped rather than corrupting
    // the file.
    Json crs = core::jsonNestingDepth(scene.crs_json) > core::kMaxJsonNesting
                   ? Json(Json::value_t::discarded)
                   : Json::parse(scene.crs_json, nullptr, false);
    if (!crs.is_discarded()) top["crs"] = crs;
  }
  top["noise_scene"] = settings(scene);
  Json features = Json::array();
  for (const auto& s : scene.sources) features.push_back(sourceFeature(s));
  for (const auto& r : scene.rooms) features.push_back(roomFeature(r));
  for (const auto& o : scene.openings) features.push_back(openingFeature(o));
  for (const auto& b : scene.barriers) features.push_back(barrierFeature(b));
  for (const auto& g : scene.ground) {
    Json p = props("ground", g.name);
    p["g"] = g.g;
    features.push_back(feature("Polygon", polygon(g.ring), p));
  }
  for (const auto& r : scene.receptors) features.push_back(receptorFeature(r));
  if (scene.grid) {
    Json p = props("grid", scene.grid->name);
    p["spacing"] = scene.grid->spacing_m;
    p["h"] = scene.grid->h_m;
    features.push_back(feature("Polygon", polygon(scene.grid->ring), p));
  }
  top["features"] = features;
  return top.dump(1) + "\n";
}

}  // namespace models::noise::propagation
