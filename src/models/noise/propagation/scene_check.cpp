#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "models/noise/propagation/path.h"
#include "models/noise/propagation/scene_file.h"
#include "models/noise/propagation/scene_io_detail.h"

namespace models::noise::propagation {

std::string featureLabel(int index, const std::string& name) {
  std::string s = "feature " + std::to_string(index);
  if (!name.empty()) s += " (\"" + name + "\")";
  return s;
}

namespace {
std::string zhLabel(const char* kind, std::size_t i, const std::string& name) {
  std::string s = std::string(kind) + std::to_string(i + 1);
  if (!name.empty()) s += "（" + name + "）";
  return s;
}
}  // namespace

std::string buildingLabel(std::size_t i, const std::string& name) {
  return zhLabel("建筑物", i, name);
}
std::string barrierLabel(std::size_t i, const std::string& name) {
  return zhLabel("声屏障", i, name);
}

std::string jsonNumber(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

const Spectrum* findSpectrum(const Scene& scene, const std::string& id) {
  for (const auto& s : scene.spectra)
    if (s.id == id) return &s;
  return nullptr;
}

namespace {

using Fault = std::optional<std::string>;

// Physical ranges: beyond them a number is a slip of the keyboard or a hostile file, and the
// geometry (differences of coordinates, cut-up lengths) would overflow or never finish.
constexpr double kMaxCoordinate_m = 1e9;  // |x|, |y|: projected coordinates reach 4e7 m
constexpr double kMaxHeight_m = 1e4;      // heights and elevations
constexpr double kMaxLevel_db = 250;      // sound power and pressure levels

std::string rangeText(double limit) { return jsonNumber(limit); }

// Items built in code have no feature index: they are named as their table shows them, by
// kind, row counted from 1 and name ("声源第2行（“S2”）").
std::string who(const char* kind, std::size_t i, int feature, const std::string& name) {
  if (feature >= 0) return featureLabel(feature, name);
  const std::string k = kind;
  const char* table = k == "source"     ? "声源"
                      : k == "room"     ? "车间"
                      : k == "opening"  ? "开口"
                      : k == "barrier"  ? "声屏障"
                      : k == "grid"     ? "计算网格"
                      : k == "ground"   ? "地面"
                      : k == "receptor" ? "预测点"
                                        : kind;
  std::string s = std::string(table) + (k == "grid" ? "" : "第" + std::to_string(i + 1) + "行");
  if (!name.empty()) s += "（“" + name + "”）";
  return s;
}

bool finiteBands(const Bands& b) {
  for (double v : b)
    if (!std::isfinite(v)) return false;
  return true;
}

double lineLength(const std::vector<Point2>& pts) {
  double l = 0;
  for (std::size_t i = 1; i < pts.size(); ++i)
    l += std::hypot(pts[i].x - pts[i - 1].x, pts[i].y - pts[i - 1].y);
  return l;
}

double ringArea(const std::vector<Point2>& ring) {
  double a = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const Point2 p = ring[i], q = ring[(i + 1) % ring.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return std::abs(a) / 2;
}

bool finitePoints(const std::vector<Point2>& pts) {
  for (const auto& p : pts)
    if (!(std::isfinite(p.x) && std::isfinite(p.y))) return false;
  return true;
}

// Finite and within ±1e9 m; the message names the feature.
Fault checkPoints(const std::string& w, const std::vector<Point2>& pts) {
  if (!finitePoints(pts)) return w + ": a coordinate is not a finite number";
  for (const auto& p : pts)
    if (!(std::abs(p.x) <= kMaxCoordinate_m && std::abs(p.y) <= kMaxCoordinate_m))
      return w + ": a coordinate is beyond ±" + rangeText(kMaxCoordinate_m) + " m";
  return std::nullopt;
}

Fault checkHeight(const std::string& w, const char* key, double h) {
  if (!std::isfinite(h)) return w + ": \"" + key + "\" is not a finite number";
  if (!(h >= 0)) return w + ": \"" + key + "\" is negative (" + jsonNumber(h) + ")";
  if (!(h <= kMaxHeight_m))
    return w + ": \"" + key + "\" is above " + rangeText(kMaxHeight_m) + " m (" + jsonNumber(h) +
           ")";
  return std::nullopt;
}

// Eight finite levels within ±250 dB.
Fault checkBands(const std::string& w, const char* key, const Bands& b) {
  if (!finiteBands(b)) return w + ": \"" + key + "\" is not a list of 8 finite numbers";
  for (double v : b)
    if (!(std::abs(v) <= kMaxLevel_db))
      return w + ": \"" + key + "\" has a level beyond ±" + rangeText(kMaxLevel_db) + " dB";
  return std::nullopt;
}

Fault checkLevel(const std::string& w, const char* key, const std::optional<double>& v) {
  if (v && !(std::abs(*v) <= kMaxLevel_db))
    return w + ": \"" + key + "\" is beyond ±" + rangeText(kMaxLevel_db) + " dB";
  return std::nullopt;
}

Fault checkHours(const std::string& w, double day, double night) {
  if (!(day >= 0 && day <= 16)) return w + ": \"hours_day\" is outside [0, 16]";
  if (!(night >= 0 && night <= 8)) return w + ": \"hours_night\" is outside [0, 8]";
  return std::nullopt;
}

Fault checkEmission(const Scene& scene, const std::string& w, const Emission& e) {
  switch (e.kind) {
    case Emission::Kind::Levels:
      if (auto f = checkBands(w, "lw", e.lw)) return f;
      break;
    case Emission::Kind::Spectrum: {
      const Spectrum* s = findSpectrum(scene, e.spectrum);
      if (!s) return w + ": \"spectrum\": no spectrum \"" + e.spectrum + "\" in the spectra table";
      if (s->kind != Spectrum::Kind::Lw)
        return w + ": \"spectrum\": \"" + e.spectrum + "\" is not a sound power (Lw) spectrum";
      break;
    }
    case Emission::Kind::Lwa:
      if (!std::isfinite(e.lwa_db)) return w + ": \"lwa\" is not a finite number";
      if (auto f = checkLevel(w, "lwa", e.lwa_db)) return f;
      break;
  }
  return std::nullopt;
}

Fault checkRing(const std::string& w, const std::vector<Point2>& ring) {
  if (ring.size() < 3) return w + ": the polygon has fewer than 3 points";
  return checkPoints(w, ring);
}

Fault checkSettings(const SceneSettings& s) {
  if (!(s.temperature_c >= -50 && s.temperature_c <= 60))
    return std::string("noise_scene: \"temperature_c\" is outside [-50, 60]");
  if (!(s.humidity_pct > 0 && s.humidity_pct <= 100))
    return std::string("noise_scene: \"humidity_pct\" is outside (0, 100]");
  if (!(s.pressure_kpa > 50 && s.pressure_kpa <= 120))
    return std::string("noise_scene: \"pressure_kpa\" is outside (50, 120]");
  if (!(s.ground_g >= 0 && s.ground_g <= 1))
    return std::string("noise_scene: \"ground_g\" is outside [0, 1]");
  if (!(std::isfinite(s.c0_db) && s.c0_db >= 0 && s.c0_db <= kMaxLevel_db))
    return std::string("noise_scene: \"c0_db\" is negative, above 250 or not a number");
  if (s.reflection_order != 0 && s.reflection_order != 1)
    return std::string("noise_scene：反射阶数reflection_order只能为0（不计反射）或1（一阶反射）");
  return std::nullopt;
}

Fault checkSource(const Scene& scene, std::size_t i, const Source& s) {
  const std::string w = who("source", i, s.feature, s.name);
  const std::size_t need = s.kind == SourceKind::Point ? 1 : s.kind == SourceKind::Line ? 2 : 3;
  if (s.geometry.size() < need)
    return w + (s.kind == SourceKind::Area ? ": the polygon has fewer than 3 points"
                                           : ": too few points");
  if (auto f = checkPoints(w, s.geometry)) return f;
  if (s.kind == SourceKind::Line && !(lineLength(s.geometry) > 0))
    return w + ": the line has no length";
  if (s.kind == SourceKind::Area && !(ringArea(s.geometry) > 0))
    return w + ": the polygon has no area";
  if (auto f = checkHeight(w, "h", s.h_m)) return f;
  if (auto f = checkEmission(scene, w, s.emission)) return f;
  if (s.dc)
    if (auto f = checkBands(w, "dc", *s.dc)) return f;
  return checkHours(w, s.hours_day, s.hours_night);
}

Fault checkRoom(const Scene& scene, std::size_t i, const Room& r) {
  const std::string w = who("room", i, r.feature, r.name);
  if (auto f = checkRing(w, r.footprint)) return f;
  if (!(std::isfinite(r.height_m) && r.height_m > 0)) return w + ": \"height\" is not positive";
  if (auto f = checkHeight(w, "height", r.height_m)) return f;
  if (!(r.alpha > 0 && r.alpha < 1)) return w + ": \"alpha\" is outside (0, 1)";
  if (r.l1)
    if (auto f = checkBands(w, "l1", *r.l1)) return f;
  if (!r.l1 && r.sources.empty()) return w + ": give either \"sources\" or \"l1\"";
  for (std::size_t k = 0; k < r.sources.size(); ++k) {
    const RoomSource& s = r.sources[k];
    const std::string ws = w + ": \"sources\" item " + std::to_string(k + 1);
    if (auto f = checkEmission(scene, ws, s.emission)) return f;
    if (!(std::isfinite(s.r1_m) && s.r1_m > 0)) return ws + " \"r1\" is not positive";
    if (!(s.r1_m <= kMaxCoordinate_m)) return ws + " \"r1\" is beyond 1e+09 m";
    if (!(std::isfinite(s.q) && s.q > 0)) return ws + " \"q\" is not positive";
  }
  return checkHours(w, r.hours_day, r.hours_night);
}

Fault checkOpening(const Scene& scene, std::size_t i, const Opening& o) {
  const std::string w = who("opening", i, o.feature, o.name);
  bool found = false;
  for (const auto& r : scene.rooms) found = found || r.name == o.room;
  if (!found) return w + ": \"room\": no room named \"" + o.room + "\"";
  if (auto f = checkPoints(w, {o.a, o.b})) return f;
  if (o.a.x == o.b.x && o.a.y == o.b.y) return w + ": the opening has no width";
  if (auto f = checkHeight(w, "z0", o.z0_m)) return f;
  if (!(std::isfinite(o.z1_m) && o.z1_m > o.z0_m)) return w + ": \"z1\" is not above \"z0\"";
  if (auto f = checkHeight(w, "z1", o.z1_m)) return f;
  if (o.tl) {
    if (auto f = checkBands(w, "tl", *o.tl)) return f;
  } else {
    const Spectrum* s = findSpectrum(scene, o.tl_spectrum);
    if (!s)
      return w + ": \"tl_spectrum\": no spectrum \"" + o.tl_spectrum + "\" in the spectra table";
    if (s->kind != Spectrum::Kind::TL)
      return w + ": \"tl_spectrum\": \"" + o.tl_spectrum + "\" is not a TL spectrum";
  }
  return std::nullopt;
}

Fault checkBarrier(std::size_t i, const Barrier& b) {
  const std::string w = who("barrier", i, b.feature, b.name);
  if (b.line.size() < 2) return w + ": too few points";
  if (auto f = checkPoints(w, b.line)) return f;
  if (b.h_m) return checkHeight(w, "h", *b.h_m);
  if (b.top_z.size() != b.line.size())
    return w + ": \"top_z\" needs one value per vertex of the line";
  for (double z : b.top_z) {
    if (!std::isfinite(z)) return w + ": \"top_z\" is not a list of finite numbers";
    if (!(std::abs(z) <= kMaxHeight_m)) return w + ": \"top_z\" has a value beyond ±1e+04 m";
  }
  return std::nullopt;
}

Fault checkAlpha(const std::string& w, const std::optional<Bands>& alpha) {
  if (!alpha) return std::nullopt;
  for (double a : *alpha)
    if (!(a >= 0 && a <= 1)) return w + "：吸声系数alpha超出0～1的范围（" + jsonNumber(a) + "）";
  return std::nullopt;
}

double orient(Point2 a, Point2 b, Point2 c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool onSegment(Point2 a, Point2 b, Point2 c) {
  return std::min(a.x, b.x) <= c.x && c.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= c.y &&
         c.y <= std::max(a.y, b.y);
}

// Whether the closed segments a-b and c-d meet (touching counts).
bool segmentsMeet(Point2 a, Point2 b, Point2 c, Point2 d) {
  const double o1 = orient(a, b, c), o2 = orient(a, b, d), o3 = orient(c, d, a),
               o4 = orient(c, d, b);
  if (((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0)))
    return true;
  return (o1 == 0 && onSegment(a, b, c)) || (o2 == 0 && onSegment(a, b, d)) ||
         (o3 == 0 && onSegment(c, d, a)) || (o4 == 0 && onSegment(c, d, b));
}

// Whether the open segments a-b and c-d cross (their interiors meet at one point).
bool segmentsCross(Point2 a, Point2 b, Point2 c, Point2 d) {
  const double o1 = orient(a, b, c), o2 = orient(a, b, d), o3 = orient(c, d, a),
               o4 = orient(c, d, b);
  return ((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0));
}

// The ring without repeated consecutive corners.
std::vector<Point2> distinctCorners(const std::vector<Point2>& ring) {
  std::vector<Point2> out;
  for (const auto& p : ring)
    if (out.empty() || p.x != out.back().x || p.y != out.back().y) out.push_back(p);
  while (out.size() > 1 && out.front().x == out.back().x && out.front().y == out.back().y)
    out.pop_back();
  return out;
}

bool selfIntersecting(const std::vector<Point2>& r) {
  const std::size_t n = r.size();
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) {
      const std::size_t i1 = (i + 1) % n, j1 = (j + 1) % n;
      if (j == i1 || i == j1) {
        // Neighbours share a corner; they fold back on each other when collinear and opposed.
        const Point2 shared = j == i1 ? r[j] : r[i];
        const Point2 p = j == i1 ? r[i] : r[i1], q = j == i1 ? r[j1] : r[j];
        if (orient(p, shared, q) == 0 &&
            (p.x - shared.x) * (q.x - shared.x) + (p.y - shared.y) * (q.y - shared.y) > 0)
          return true;
        continue;
      }
      if (segmentsMeet(r[i], r[i1], r[j], r[j1])) return true;
    }
  return false;
}

Fault checkBuilding(const Scene& scene, std::size_t i, const Building& b) {
  const std::string w = buildingLabel(i, b.name);
  if (!finitePoints(b.footprint)) return w + "：坐标不是有限的数";
  for (const auto& q : b.footprint)
    if (!(std::abs(q.x) <= kMaxCoordinate_m && std::abs(q.y) <= kMaxCoordinate_m))
      return w + "：坐标超出±" + rangeText(kMaxCoordinate_m) + " m";
  const auto ring = distinctCorners(b.footprint);
  if (ring.size() < 3) return w + "：轮廓少于3个不同的角点";
  if (selfIntersecting(ring)) return w + "：轮廓自相交";
  if (!(ringArea(ring) > 0)) return w + "：轮廓的面积为0";
  if (b.h_m.has_value() == b.top_z.has_value())
    return w + "：高度h与屋顶高程top_z须给出且只给出其中一个";
  if (b.h_m && !(std::isfinite(*b.h_m) && *b.h_m > 0))
    return w + "：高度h必须大于0（" + jsonNumber(*b.h_m) + "）";
  if (b.h_m && !(*b.h_m <= kMaxHeight_m))
    return w + "：高度h超过" + rangeText(kMaxHeight_m) + " m（" + jsonNumber(*b.h_m) + "）";
  if (b.top_z && !(std::abs(*b.top_z) <= kMaxHeight_m))
    return w + "：屋顶高程top_z超出±" + rangeText(kMaxHeight_m) + " m";
  if (b.top_z) {
    if (!std::isfinite(*b.top_z)) return w + "：屋顶高程top_z不是有限的数";
    double low = 1e300;
    for (const auto& q : ring) low = std::min(low, scene.terrain ? scene.terrain->at(q.x, q.y) : 0);
    if (!(*b.top_z > low)) return w + "：屋顶高程top_z不高于地面（" + jsonNumber(*b.top_z) + "）";
  }
  return checkAlpha(w, b.alpha);
}

std::string sourceLabel(std::size_t i, const Source& s) {
  static const char* kKinds[] = {"点声源", "线声源", "面声源"};
  return zhLabel("声源", i, s.name) + "（" + kKinds[static_cast<std::size_t>(s.kind)] + "）";
}

bool inside(const Building& b, Point2 p) {
  const auto& r = b.footprint;
  if (detail::insideRing(r, p.x, p.y)) return true;
  for (std::size_t k = 0; k < r.size(); ++k)
    if (orient(r[k], r[(k + 1) % r.size()], p) == 0 && onSegment(r[k], r[(k + 1) % r.size()], p))
      return true;
  return false;
}

// Sources and receptors must stand outside every building; footprints may touch, not overlap.
Fault checkBuildingPlaces(const Scene& scene) {
  const std::size_t nb = scene.buildings.size();
  if (nb == 0) return std::nullopt;
  std::vector<detail::Box> boxes;
  for (const auto& b : scene.buildings) boxes.push_back(detail::boxOf(b.footprint));
  auto within = [](const detail::Box& bx, Point2 p) {
    return p.x >= bx.xmin && p.x <= bx.xmax && p.y >= bx.ymin && p.y <= bx.ymax;
  };
  for (std::size_t i = 0; i < nb; ++i)
    for (std::size_t j = i + 1; j < nb; ++j) {
      if (!detail::boxesMeet(boxes[i], boxes[j])) continue;
      const auto &a = scene.buildings[i].footprint, &b = scene.buildings[j].footprint;
      bool overlap = false;
      for (std::size_t p = 0; p < a.size() && !overlap; ++p)
        for (std::size_t q = 0; q < b.size() && !overlap; ++q)
          overlap = segmentsCross(a[p], a[(p + 1) % a.size()], b[q], b[(q + 1) % b.size()]);
      // One inside the other, or sharing an outline with interiors on the same side: test the
      // middle of each edge and each corner strictly inside the other.
      auto strictlyIn = [](const std::vector<Point2>& ring, Point2 p) {
        if (!detail::insideRing(ring, p.x, p.y)) return false;
        for (std::size_t k = 0; k < ring.size(); ++k)
          if (orient(ring[k], ring[(k + 1) % ring.size()], p) == 0 &&
              onSegment(ring[k], ring[(k + 1) % ring.size()], p))
            return false;
        return true;
      };
      for (std::size_t p = 0; p < a.size() && !overlap; ++p)
        overlap = strictlyIn(b, a[p]) || strictlyIn(b, {(a[p].x + a[(p + 1) % a.size()].x) / 2,
                                                        (a[p].y + a[(p + 1) % a.size()].y) / 2});
      for (std::size_t q = 0; q < b.size() && !overlap; ++q)
        overlap = strictlyIn(a, b[q]) || strictlyIn(a, {(b[q].x + b[(q + 1) % b.size()].x) / 2,
                                                        (b[q].y + b[(q + 1) % b.size()].y) / 2});
      if (overlap)
        return buildingLabel(i, scene.buildings[i].name) + "与" +
               buildingLabel(j, scene.buildings[j].name) + "的轮廓重叠，请画成一个多边形";
    }
  for (std::size_t i = 0; i < scene.sources.size(); ++i) {
    const Source& s = scene.sources[i];
    for (std::size_t k = 0; k < nb; ++k) {
      const Building& b = scene.buildings[k];
      bool in = false;
      for (const auto& p : s.geometry) in = in || (within(boxes[k], p) && inside(b, p));
      const std::size_t ns = s.geometry.size();
      if (s.kind != SourceKind::Point && !in) {
        const std::size_t edges = s.kind == SourceKind::Line ? ns - 1 : ns;
        for (std::size_t p = 0; p < edges && !in; ++p)
          for (std::size_t q = 0; q < b.footprint.size() && !in; ++q)
            in = segmentsMeet(s.geometry[p], s.geometry[(p + 1) % ns], b.footprint[q],
                              b.footprint[(q + 1) % b.footprint.size()]);
        if (s.kind == SourceKind::Area)
          for (const auto& q : b.footprint) in = in || detail::insideRing(s.geometry, q.x, q.y);
      }
      if (in)
        return sourceLabel(i, s) + "位于" + buildingLabel(k, b.name) +
               "内或与其相交；建筑物内的声源请作为车间（room）的室内声源，由其开口（opening）向外辐"
               "射";
    }
  }
  for (std::size_t i = 0; i < scene.receptors.size(); ++i) {
    const Receptor& r = scene.receptors[i];
    for (std::size_t k = 0; k < nb; ++k)
      if (within(boxes[k], r.at) && inside(scene.buildings[k], r.at))
        return zhLabel("预测点", i, r.name) + "位于" + buildingLabel(k, scene.buildings[k].name) +
               "内（轮廓上也算在内）";
  }
  return std::nullopt;
}

Fault checkGrid(const GridSpec& g) {
  const std::string w = who("grid", 0, g.feature, g.name);
  if (auto f = checkRing(w, g.ring)) return f;
  if (!(std::isfinite(g.spacing_m) && g.spacing_m > 0)) return w + ": \"spacing\" is not positive";
  if (!(g.spacing_m <= kMaxCoordinate_m)) return w + ": \"spacing\" is beyond 1e+09 m";
  if (auto f = checkHeight(w, "h", g.h_m)) return f;
  double xmin = g.ring[0].x, xmax = xmin, ymin = g.ring[0].y, ymax = ymin;
  for (const auto& p : g.ring) {
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  const double n = (std::floor((xmax - xmin) / g.spacing_m + 1e-9) + 1) *
                   (std::floor((ymax - ymin) / g.spacing_m + 1e-9) + 1);
  if (!(n <= static_cast<double>(kMaxGridPoints)))
    return w + ": the grid has " + jsonNumber(n) + " points, more than 10000000";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> checkScene(const Scene& scene) {
  if (auto f = checkSettings(scene.settings)) return f;
  std::set<std::string> ids;
  for (const auto& s : scene.spectra) {
    if (!ids.insert(s.id).second) return "spectra: the id \"" + s.id + "\" is given twice";
    if (!finiteBands(s.values)) return "spectra: \"" + s.id + "\" is not 8 finite numbers";
    if (auto f = checkBands("spectra", s.id.c_str(), s.values)) return f;
  }
  for (std::size_t i = 0; i < scene.sources.size(); ++i)
    if (auto f = checkSource(scene, i, scene.sources[i])) return f;
  std::set<std::string> rooms;
  for (std::size_t i = 0; i < scene.rooms.size(); ++i) {
    if (auto f = checkRoom(scene, i, scene.rooms[i])) return f;
    if (!rooms.insert(scene.rooms[i].name).second)
      return who("room", i, scene.rooms[i].feature, scene.rooms[i].name) +
             ": another room has the same name";
  }
  for (std::size_t i = 0; i < scene.openings.size(); ++i)
    if (auto f = checkOpening(scene, i, scene.openings[i])) return f;
  for (std::size_t i = 0; i < scene.barriers.size(); ++i) {
    if (auto f = checkBarrier(i, scene.barriers[i])) return f;
    if (auto f = checkAlpha(barrierLabel(i, scene.barriers[i].name), scene.barriers[i].alpha))
      return f;
  }
  for (std::size_t i = 0; i < scene.buildings.size(); ++i)
    if (auto f = checkBuilding(scene, i, scene.buildings[i])) return f;
  for (std::size_t i = 0; i < scene.ground.size(); ++i) {
    const GroundArea& g = scene.ground[i];
    const std::string w = who("ground", i, g.feature, g.name);
    if (auto f = checkRing(w, g.ring)) return f;
    if (!(g.g >= 0 && g.g <= 1)) return w + ": \"g\" is outside [0, 1]";
  }
  for (std::size_t i = 0; i < scene.receptors.size(); ++i) {
    const Receptor& r = scene.receptors[i];
    const std::string w = who("receptor", i, r.feature, r.name);
    if (auto f = checkPoints(w, {r.at})) return f;
    if (auto f = checkHeight(w, "h", r.h_m)) return f;
    const std::pair<const char*, std::optional<double>> levels[] = {
        {"limit_day", r.limit_day},
        {"limit_night", r.limit_night},
        {"background_day", r.background_day},
        {"background_night", r.background_night}};
    for (const auto& [key, v] : levels)
      if (auto f = checkLevel(w, key, v)) return f;
  }
  if (scene.grid)
    if (auto f = checkGrid(*scene.grid)) return f;
  if (auto f = checkBuildingPlaces(scene)) return f;
  if (const Terrain* t = scene.terrain ? &*scene.terrain : nullptr) {
    if (!(t->nx >= 2 && t->ny >= 2 && t->xmax > t->xmin && t->ymax > t->ymin &&
          t->z.size() == static_cast<std::size_t>(t->nx) * static_cast<std::size_t>(t->ny)))
      return std::string("noise_scene: \"terrain\" is not a complete grid");
    if (auto f = checkPoints("noise_scene: \"terrain\"", {{t->xmin, t->ymin}, {t->xmax, t->ymax}}))
      return f;
    for (float z : t->z) {
      if (!std::isfinite(z))
        return std::string("noise_scene: \"terrain\" holds a value that is not a number");
      if (!(std::abs(z) <= kMaxHeight_m))
        return std::string("noise_scene: \"terrain\" holds an elevation beyond ±1e+04 m");
    }
  }
  return std::nullopt;
}

std::vector<std::string> sceneWarnings(const Scene& scene) {
  std::vector<std::string> w;
  for (std::size_t i = 0; i < scene.sources.size(); ++i) {
    const Source& s = scene.sources[i];
    if (s.emission.kind == Emission::Kind::Lwa)
      w.push_back(who("source", i, s.feature, s.name) +
                  "：只给出了A声级声功率，八个倍频带按相等取值。");
  }
  for (std::size_t i = 0; i < scene.rooms.size(); ++i)
    for (const auto& s : scene.rooms[i].sources)
      if (s.emission.kind == Emission::Kind::Lwa) {
        w.push_back(who("room", i, scene.rooms[i].feature, scene.rooms[i].name) +
                    "：有声源只给出了A声级声功率，其八个倍频带按相等取值。");
        break;
      }
  return w;
}

}  // namespace models::noise::propagation
