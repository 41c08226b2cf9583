#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "models/noise/propagation/path.h"
#include "models/noise/propagation/scene_file.h"
#include "models/noise/propagation/scene_io_detail.h"

namespace models::noise::propagation {

std::string featureLabel(int index, const std::string& name) {
  std::string s = "第" + std::to_string(index + 1) + "个要素";
  if (!name.empty()) s += "（“" + name + "”）";
  return s;
}

std::string rowLabel(const char* kind, std::size_t i, const std::string& name) {
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

std::string memberName(const std::string& key) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"h", "高度"},
      {"height", "高度"},
      {"lw", "声功率级"},
      {"lw_per_m", "每米声功率级"},
      {"lw_per_m2", "每平方米声功率级"},
      {"lwa", "A声级声功率"},
      {"spectrum", "频谱编号"},
      {"dc", "指向性校正"},
      {"hours_day", "昼间运行时数"},
      {"hours_night", "夜间运行时数"},
      {"alpha", "吸声系数"},
      {"l1", "室内声级"},
      {"sources", "室内声源"},
      {"r1", "至墙距离"},
      {"q", "指向性因数"},
      {"room", "所属车间"},
      {"z0", "底高"},
      {"z1", "顶高"},
      {"tl", "隔声量"},
      {"tl_spectrum", "隔声频谱编号"},
      {"top_z", "顶高程"},
      {"lateral", "侧向绕射"},
      {"reflective", "反射"},
      {"boundary", "厂界"},
      {"g", "地面因子"},
      {"spacing", "网格间距"},
      {"limit_day", "昼间标准"},
      {"limit_night", "夜间标准"},
      {"background_day", "昼间背景值"},
      {"background_night", "夜间背景值"},
      {"kind", "类型"},
      {"name", "名称"},
      {"temperature_c", "气温"},
      {"humidity_pct", "相对湿度"},
      {"pressure_kpa", "大气压"},
      {"ground_g", "默认地面因子"},
      {"c0_db", "气象修正"},
      {"lateral_diffraction", "声屏障侧向绕射"},
      {"reflection_order", "反射阶数"},
      {"ground_method", "地面衰减方法"},
      {"terrain", "地形"},
      {"spectra", "频谱文件"},
      {"version", "版本"},
  };
  for (const auto& [k, name] : kNames)
    if (key == k) return name + key;
  return key;
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
  return rowLabel("barrier", i, name);
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

// Items are named as the page's tables show them, by kind, row counted from 1 and name
// ("声源第2行（“S2”）"), whether built on the page or read from a file.
std::string who(const char* kind, std::size_t i, const std::string& name) {
  return rowLabel(kind, i, name);
}

// A whole number with its thousands grouped ("14,268,900").
std::string grouped(double n) {
  std::string s = std::to_string(static_cast<long long>(std::min(n, 9e18)));
  for (std::size_t i = s.size(); i > 3;) {
    i -= 3;
    s.insert(i, 1, ',');
  }
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
  if (!finitePoints(pts)) return w + "：坐标不是有限的数";
  for (const auto& p : pts)
    if (!(std::abs(p.x) <= kMaxCoordinate_m && std::abs(p.y) <= kMaxCoordinate_m))
      return w + "：坐标超出±" + rangeText(kMaxCoordinate_m) + " m";
  return std::nullopt;
}

Fault checkHeight(const std::string& w, const char* key, double h) {
  const std::string m = memberName(key);
  if (!std::isfinite(h)) return w + "：" + m + "不是有限的数";
  if (!(h >= 0)) return w + "：" + m + "不能为负数（" + jsonNumber(h) + "）";
  if (!(h <= kMaxHeight_m))
    return w + "：" + m + "超过" + rangeText(kMaxHeight_m) + " m（" + jsonNumber(h) + "）";
  return std::nullopt;
}

// Eight finite levels within ±250 dB; `what` names the list ("声功率级lw").
Fault checkBands(const std::string& w, const std::string& what, const Bands& b) {
  if (!finiteBands(b)) return w + "：" + what + "应为8个有限的数（63–8000 Hz）";
  for (double v : b)
    if (!(std::abs(v) <= kMaxLevel_db))
      return w + "：" + what + "有超出±" + rangeText(kMaxLevel_db) + " dB的声级（" + jsonNumber(v) +
             "）";
  return std::nullopt;
}

Fault checkLevel(const std::string& w, const char* key, const std::optional<double>& v) {
  if (v && !(std::abs(*v) <= kMaxLevel_db))
    return w + "：" + memberName(key) + "超出±" + rangeText(kMaxLevel_db) + " dB（" +
           jsonNumber(*v) + "）";
  return std::nullopt;
}

Fault checkHours(const std::string& w, double day, double night) {
  if (!(day >= 0 && day <= 16)) return w + "：昼间运行时数hours_day应在0～16 h之间";
  if (!(night >= 0 && night <= 8)) return w + "：夜间运行时数hours_night应在0～8 h之间";
  return std::nullopt;
}

Fault checkEmission(const Scene& scene, const std::string& w, const Emission& e) {
  switch (e.kind) {
    case Emission::Kind::Levels:
      if (auto f = checkBands(w, memberName("lw"), e.lw)) return f;
      break;
    case Emission::Kind::Spectrum: {
      const Spectrum* s = findSpectrum(scene, e.spectrum);
      if (!s) return w + "：频谱编号“" + e.spectrum + "”不在频谱表中，请在频谱表中添加或改正编号";
      if (s->kind != Spectrum::Kind::Lw)
        return w + "：频谱“" + e.spectrum + "”不是声功率级（Lw）频谱";
      break;
    }
    case Emission::Kind::Lwa:
      if (!std::isfinite(e.lwa_db)) return w + "：A声级声功率lwa不是有限的数";
      if (auto f = checkLevel(w, "lwa", e.lwa_db)) return f;
      break;
  }
  return std::nullopt;
}

Fault checkRing(const std::string& w, const std::vector<Point2>& ring) {
  if (ring.size() < 3) return w + "：多边形少于3个点";
  return checkPoints(w, ring);
}

Fault checkSettings(const SceneSettings& s) {
  if (!(s.temperature_c >= -50 && s.temperature_c <= 60))
    return std::string("noise_scene：气温temperature_c应在-50～60 ℃之间");
  if (!(s.humidity_pct > 0 && s.humidity_pct <= 100))
    return std::string("noise_scene：相对湿度humidity_pct应大于0且不超过100 %");
  if (!(s.pressure_kpa > 50 && s.pressure_kpa <= 120))
    return std::string("noise_scene：大气压pressure_kpa应大于50且不超过120 kPa");
  if (!(s.ground_g >= 0 && s.ground_g <= 1))
    return std::string("noise_scene：默认地面因子ground_g应在0～1之间");
  if (!(std::isfinite(s.c0_db) && s.c0_db >= 0 && s.c0_db <= kMaxLevel_db))
    return std::string("noise_scene：气象修正c0_db应在0～250 dB之间");
  if (s.reflection_order != 0 && s.reflection_order != 1)
    return std::string("noise_scene：反射阶数reflection_order只能为0（不计反射）或1（一阶反射）");
  return std::nullopt;
}

Fault checkSource(const Scene& scene, std::size_t i, const Source& s) {
  const std::string w = who("source", i, s.name);
  const std::size_t need = s.kind == SourceKind::Point ? 1 : s.kind == SourceKind::Line ? 2 : 3;
  if (s.geometry.size() < need)
    return w + (s.kind == SourceKind::Area   ? "：多边形少于3个点"
                : s.kind == SourceKind::Line ? "：线少于2个点"
                                             : "：没有坐标");
  if (auto f = checkPoints(w, s.geometry)) return f;
  if (s.kind == SourceKind::Line && !(lineLength(s.geometry) > 0)) return w + "：线的长度为0";
  if (s.kind == SourceKind::Area && !(ringArea(s.geometry) > 0)) return w + "：多边形的面积为0";
  if (auto f = checkHeight(w, "h", s.h_m)) return f;
  if (auto f = checkEmission(scene, w, s.emission)) return f;
  if (s.dc)
    if (auto f = checkBands(w, memberName("dc"), *s.dc)) return f;
  return checkHours(w, s.hours_day, s.hours_night);
}

Fault checkRoom(const Scene& scene, std::size_t i, const Room& r) {
  const std::string w = who("room", i, r.name);
  if (auto f = checkRing(w, r.footprint)) return f;
  if (!(std::isfinite(r.height_m) && r.height_m > 0)) return w + "：高度height必须大于0";
  if (auto f = checkHeight(w, "height", r.height_m)) return f;
  if (!(r.alpha > 0 && r.alpha < 1)) return w + "：平均吸声系数alpha应大于0且小于1";
  if (r.l1)
    if (auto f = checkBands(w, memberName("l1"), *r.l1)) return f;
  if (!r.l1 && r.sources.empty()) return w + "：请给出室内声源sources或室内声级l1";
  for (std::size_t k = 0; k < r.sources.size(); ++k) {
    const RoomSource& s = r.sources[k];
    const std::string ws = w + "的室内声源第" + std::to_string(k + 1) + "个";
    if (auto f = checkEmission(scene, ws, s.emission)) return f;
    if (!(std::isfinite(s.r1_m) && s.r1_m > 0)) return ws + "：至墙距离r1必须大于0";
    if (!(s.r1_m <= kMaxCoordinate_m)) return ws + "：至墙距离r1超过1e+09 m";
    if (!(std::isfinite(s.q) && s.q > 0)) return ws + "：指向性因数q必须大于0";
  }
  return checkHours(w, r.hours_day, r.hours_night);
}

Fault checkOpening(const Scene& scene, std::size_t i, const Opening& o) {
  const std::string w = who("opening", i, o.name);
  bool found = false;
  for (const auto& r : scene.rooms) found = found || r.name == o.room;
  if (!found) return w + "：所属车间room“" + o.room + "”不存在";
  if (auto f = checkPoints(w, {o.a, o.b})) return f;
  if (o.a.x == o.b.x && o.a.y == o.b.y) return w + "：开口的宽度为0";
  if (auto f = checkHeight(w, "z0", o.z0_m)) return f;
  if (!(std::isfinite(o.z1_m) && o.z1_m > o.z0_m)) return w + "：顶高z1不高于底高z0";
  if (auto f = checkHeight(w, "z1", o.z1_m)) return f;
  if (o.tl) {
    if (auto f = checkBands(w, memberName("tl"), *o.tl)) return f;
  } else {
    const Spectrum* s = findSpectrum(scene, o.tl_spectrum);
    if (!s)
      return w + "：隔声频谱编号“" + o.tl_spectrum + "”不在频谱表中，请在频谱表中添加或改正编号";
    if (s->kind != Spectrum::Kind::TL)
      return w + "：频谱“" + o.tl_spectrum + "”不是隔声量（TL）频谱";
  }
  return std::nullopt;
}

Fault checkBarrier(std::size_t i, const Barrier& b) {
  const std::string w = who("barrier", i, b.name);
  if (b.line.size() < 2) return w + "：线少于2个点";
  if (auto f = checkPoints(w, b.line)) return f;
  if (b.h_m) return checkHeight(w, "h", *b.h_m);
  if (b.top_z.size() != b.line.size()) return w + "：顶高程top_z应与线的每个顶点一一对应";
  for (double z : b.top_z) {
    if (!std::isfinite(z)) return w + "：顶高程top_z不是有限的数";
    if (!(std::abs(z) <= kMaxHeight_m))
      return w + "：顶高程top_z超出±" + rangeText(kMaxHeight_m) + " m（" + jsonNumber(z) + "）";
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
  return rowLabel("source", i, s.name) + "（" + kKinds[static_cast<std::size_t>(s.kind)] + "）";
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
        return rowLabel("receptor", i, r.name) + "位于" +
               buildingLabel(k, scene.buildings[k].name) + "内（轮廓上也算在内）";
  }
  return std::nullopt;
}

Fault checkGrid(const GridSpec& g) {
  const std::string w = who("grid", 0, g.name);
  if (auto f = checkRing(w, g.ring)) return f;
  if (!(std::isfinite(g.spacing_m) && g.spacing_m > 0)) return w + "：网格间距spacing必须大于0";
  if (!(g.spacing_m <= kMaxCoordinate_m))
    return w + "：网格间距spacing超过" + rangeText(kMaxCoordinate_m) + " m";
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
    return w + "有 " + grouped(n) + " 个点，超过 " + grouped(static_cast<double>(kMaxGridPoints)) +
           " 个，请加大网格间距";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> checkScene(const Scene& scene) {
  if (auto f = checkSettings(scene.settings)) return f;
  // A stored scene whose terrain grid could not be read when it was opened.
  if (!scene.terrain && !scene.terrain_path.empty())
    return "noise_scene：地形terrain：" + scene.terrain_path +
           " 未能读取，请将该文件放回原处后重新打开工程";
  std::set<std::string> ids;
  for (const auto& s : scene.spectra) {
    if (!ids.insert(s.id).second) return "频谱表：编号“" + s.id + "”重复";
    if (auto f = checkBands("频谱表", "频谱“" + s.id + "”", s.values)) return f;
  }
  for (std::size_t i = 0; i < scene.sources.size(); ++i)
    if (auto f = checkSource(scene, i, scene.sources[i])) return f;
  std::set<std::string> rooms;
  for (std::size_t i = 0; i < scene.rooms.size(); ++i) {
    if (auto f = checkRoom(scene, i, scene.rooms[i])) return f;
    if (!rooms.insert(scene.rooms[i].name).second)
      return who("room", i, scene.rooms[i].name) + "：与另一车间同名";
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
    const std::string w = who("ground", i, g.name);
    if (auto f = checkRing(w, g.ring)) return f;
    if (!(g.g >= 0 && g.g <= 1)) return w + "：地面因子g应在0～1之间";
  }
  for (std::size_t i = 0; i < scene.receptors.size(); ++i) {
    const Receptor& r = scene.receptors[i];
    const std::string w = who("receptor", i, r.name);
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
      return std::string("noise_scene：地形terrain不是完整的网格");
    if (auto f = checkPoints("noise_scene：地形terrain", {{t->xmin, t->ymin}, {t->xmax, t->ymax}}))
      return f;
    for (float z : t->z) {
      if (!std::isfinite(z)) return std::string("noise_scene：地形terrain含有不是数的值");
      if (!(std::abs(z) <= kMaxHeight_m))
        return "noise_scene：地形terrain含有超出±" + rangeText(kMaxHeight_m) + " m的高程（" +
               jsonNumber(z) + "）";
    }
  }
  return std::nullopt;
}

std::vector<std::string> sceneWarnings(const Scene& scene) {
  std::vector<std::string> w;
  for (std::size_t i = 0; i < scene.sources.size(); ++i) {
    const Source& s = scene.sources[i];
    if (s.emission.kind == Emission::Kind::Lwa)
      w.push_back(who("source", i, s.name) + "：只给出了A声级声功率，八个倍频带按相等取值。");
  }
  for (std::size_t i = 0; i < scene.rooms.size(); ++i)
    for (const auto& s : scene.rooms[i].sources)
      if (s.emission.kind == Emission::Kind::Lwa) {
        w.push_back(who("room", i, scene.rooms[i].name) +
                    "：有声源只给出了A声级声功率，其八个倍频带按相等取值。");
        break;
      }
  return w;
}

}  // namespace models::noise::propagation
