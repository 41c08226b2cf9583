#include "mod/deck.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <sys/stat.h>

#include "mod/errors.h"
#include "mod/grid.h"
#include "mod/line_reader.h"
#include "mod/source_shapes.h"
#include "mod/urban.h"

namespace mod {

namespace {

namespace fs = std::filesystem;

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

struct Grid {
  std::string name;
  bool polar = false;
  double x0 = 0, y0 = 0;
  std::vector<double> xs, ys, dist, dirs;
  long line = 0;
  long endLine = 0;  // 0 until the END line
};

class Parser {
 public:
  explicit Parser(const std::string& path) {
    deck_.path = path;
    deck_.dir = fs::path(path).parent_path().string();
  }
  Deck parse(std::istream& in);

 private:
  [[noreturn]] void fail(const std::string& text) const {
    throw fileError(deck_.path, line_, text);
  }
  double number(size_t i) const {
    double v;
    if (i >= w_.size()) fail(kw_ + ": missing parameter " + std::to_string(i + 1 - first_));
    if (!parseDeckNumber(w_[i], v)) fail(kw_ + ": \"" + w_[i] + "\" is not a number");
    return v;
  }
  void count(size_t lo, size_t hi) const {
    const size_t n = w_.size() - first_;
    if (n < lo || n > hi)
      fail(kw_ + ": expected " +
           (lo == hi ? std::to_string(lo) : std::to_string(lo) + " to " + std::to_string(hi)) +
           " parameters, found " + std::to_string(n));
  }
  std::string file(const std::string& name) const {
    const fs::path p(name);
    return p.is_absolute() || deck_.dir.empty() ? name : (fs::path(deck_.dir) / p).string();
  }
  [[noreturn]] void unsupported() const {
    fail("keyword " + path_ + " " + kw_ + " is not supported");
  }
  size_t sourceIndex(const std::string& id) const {
    for (size_t i = 0; i < deck_.sources.size(); ++i)
      if (deck_.sources[i].id == id) return i;
    fail(kw_ + ": source \"" + id + "\" is not defined by LOCATION");
  }
  size_t groupIndex(const std::string& id) const {
    for (size_t i = 0; i < deck_.groups.size(); ++i)
      if (deck_.groups[i].id == id) return i;
    fail(kw_ + ": source group \"" + id + "\" is not defined by SRCGROUP");
  }

  void dispatch(const std::string& rest);
  void control(const std::string& rest);
  void urbanOption();
  void source();
  void location();
  void sourceParameters(PointSource& s, ShapeInput& shape);
  void areaVertices();
  void finishShapes();
  void receptor();
  void meteorology();
  void output();
  void grid(bool polar);
  void finishGrid(Grid& g);
  // Averaging and the files of high values (deck_averages.cpp).
  void averTime();
  void pollutant();
  void emissionFactors();
  void emissionUnits();
  void sourceGroup();
  void startEnd();
  void dayRange();
  void windCats();
  bool averagingOutput();
  int periodWord(const std::string& w, bool longTerm) const;
  std::vector<int> ranks(size_t from, size_t to = std::string::npos) const;
  void finishAveraging();
  void finish();
  void refuseOverwrites();

  Deck deck_;
  std::vector<std::string> w_;
  size_t first_ = 0;  // index of the first parameter
  std::string path_, kw_;
  long line_ = 0;
  bool flat_ = false, conc_ = false, flagpole_ = false, rectable_ = false;
  bool averaging_ = false, specialOff_ = false;
  std::string pollutantKey_;
  long pollutantLine_ = 0;
  std::set<size_t> emisfact_;
  double flagDefault_ = 0;
  long errorFileLine_ = 0;
  std::set<size_t> withParams_;
  std::map<std::string, Grid> grids_;
  std::vector<double> sourceElevations_;
  std::vector<ShapeInput> shapes_;  // per source, what its geometry is built from
};

Deck Parser::parse(std::istream& in) {
  LineReader reader(in, deck_.path);
  std::string text;
  const std::set<std::string> pathways = {"CO", "SO", "RE", "ME", "OU"};
  while (reader.next(text)) {
    line_ = reader.lineNo();
    w_ = splitWords(text);
    if (w_.empty() || w_[0].rfind("**", 0) == 0) continue;
    first_ = 1;
    // Blank keyword columns (1–11) continue the previous keyword.
    if (text.size() > 11 && text.find_first_not_of(" \t") > 10 && !kw_.empty() &&
        text.find('\t') == std::string::npos) {
      first_ = 0;
      dispatch("");
      continue;
    }
    std::string head = upper(w_[0]);
    if (head.size() == 2 && std::isalpha(static_cast<unsigned char>(head[0])) &&
        std::isalpha(static_cast<unsigned char>(head[1])) && text.find_first_not_of(" \t") == 0 &&
        w_.size() >= 2) {
      if (!pathways.count(head)) fail("pathway " + head + " is not supported");
      path_ = head;
      kw_ = upper(w_[1]);
      first_ = 2;
    } else {
      kw_ = head;
    }
    if (path_.empty()) fail("the deck must begin with the CO pathway");
    if (kw_ == "STARTING" || kw_ == "FINISHED") continue;
    const size_t at = text.find(w_[first_ - 1]) + w_[first_ - 1].size();
    dispatch(text.substr(at));
  }
  line_ = reader.lineNo();
  finish();
  return deck_;
}

void Parser::dispatch(const std::string& rest) {
  if (path_ == "CO")
    control(rest);
  else if (path_ == "SO")
    source();
  else if (path_ == "RE")
    receptor();
  else if (path_ == "ME")
    meteorology();
  else
    output();
}

void Parser::control(const std::string& rest) {
  auto trimmed = [](const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(" \t") - a + 1);
  };
  if (kw_ == "TITLEONE") {
    deck_.title1 = trimmed(rest);
  } else if (kw_ == "TITLETWO") {
    deck_.title2 = trimmed(rest);
  } else if (kw_ == "MODELOPT") {
    for (size_t i = first_; i < w_.size(); ++i) {
      const std::string o = upper(w_[i]);
      if (o == "CONC")
        conc_ = true;
      else if (o == "FLAT")
        flat_ = true;
      else if (o == "DFAULT")
        deck_.defaultOptions = true;
      else
        fail("MODELOPT option " + o + " is not supported");
    }
    if (!conc_) fail("MODELOPT: only CONC (concentration) is supported");
    if (flat_ && deck_.defaultOptions) fail("MODELOPT: FLAT cannot be combined with DFAULT");
    if (!flat_ && !deck_.defaultOptions)
      fail(
          "MODELOPT: elevated terrain is not supported; use FLAT (or DFAULT with all "
          "elevations zero)");
  } else if (kw_ == "AVERTIME") {
    averTime();
  } else if (kw_ == "POLLUTID") {
    pollutant();
  } else if (kw_ == "RUNORNOT") {
    count(1, 1);
    const std::string o = upper(w_[first_]);
    if (o != "RUN" && o != "NOT") fail("RUNORNOT: expected RUN or NOT");
    deck_.run = o == "RUN";
  } else if (kw_ == "ERRORFIL") {
    count(1, 2);
    if (w_.size() > first_ + 1)
      fail("ERRORFIL option " + upper(w_[first_ + 1]) + " is not supported");
    deck_.errorFile = file(w_[first_]);
    errorFileLine_ = line_;
  } else if (kw_ == "URBANOPT") {
    urbanOption();
  } else if (kw_ == "FLAGPOLE") {
    count(0, 1);
    flagpole_ = true;
    if (w_.size() > first_) flagDefault_ = number(first_);
    if (!(flagDefault_ >= 0.0)) fail("FLAGPOLE: the height must not be negative");
  } else {
    unsupported();
  }
}

void Parser::source() {
  if (kw_ == "ELEVUNIT") {
    // Elevations are not used over flat terrain; FEET only scales them.
    count(1, 1);
    if (upper(w_[first_]) != "METERS" && upper(w_[first_]) != "FEET")
      fail("ELEVUNIT " + w_[first_] + " is not supported (METERS or FEET)");
  } else if (kw_ == "EMISFACT") {
    emissionFactors();
  } else if (kw_ == "EMISUNIT") {
    emissionUnits();
  } else if (kw_ == "LOCATION") {
    location();
  } else if (kw_ == "SRCPARAM") {
    const size_t i = sourceIndex(w_.size() > first_ ? w_[first_] : std::string());
    if (withParams_.count(i))
      fail("SRCPARAM: source \"" + w_[first_] + "\" has parameters already");
    sourceParameters(deck_.sources[i], shapes_[i]);
    withParams_.insert(i);
  } else if (kw_ == "AREAVERT") {
    areaVertices();
  } else if (kw_ == "URBANSRC") {
    if (!deck_.urban.on) fail("URBANSRC needs CO URBANOPT");
    if (!deck_.groups.empty()) fail("URBANSRC must come before the first SRCGROUP");
    count(1, 100000);
    if (w_.size() == first_ + 1 && upper(w_[first_]) == "ALL")
      for (PointSource& src : deck_.sources) src.urban = true;
    else
      for (size_t i = first_; i < w_.size(); ++i) deck_.sources[sourceIndex(w_[i])].urban = true;
  } else if (kw_ == "SRCGROUP") {
    sourceGroup();
  } else {
    unsupported();
  }
}

// LOCATION id type x y [z], or LOCATION id LINE x1 y1 x2 y2 [z].
void Parser::location() {
  if (w_.size() < first_ + 2) count(4, 5);
  const std::string id = w_[first_], type = upper(w_[first_ + 1]);
  static const std::map<std::string, SourceKind> kinds = {
      {"POINT", SourceKind::Point},       {"POINTCAP", SourceKind::PointCap},
      {"POINTHOR", SourceKind::PointHor}, {"VOLUME", SourceKind::Volume},
      {"AREA", SourceKind::Area},         {"AREAPOLY", SourceKind::AreaPoly},
      {"AREACIRC", SourceKind::AreaCirc}, {"LINE", SourceKind::Line}};
  const auto kind = kinds.find(type);
  if (kind == kinds.end())
    fail("source type " + type +
         " is not supported (POINT, POINTCAP, POINTHOR, VOLUME, AREA, AREAPOLY, AREACIRC, LINE)");
  const bool line = kind->second == SourceKind::Line;
  line ? count(6, 7) : count(4, 5);
  if (!deck_.groups.empty()) fail("LOCATION must come before the first SRCGROUP");
  if (id.size() > 12) fail("LOCATION: source ID \"" + id + "\" is longer than 12 characters");
  for (const PointSource& s : deck_.sources)
    if (s.id == id) fail("LOCATION: source \"" + id + "\" is defined twice");
  PointSource s;
  s.id = id;
  s.kind = kind->second;
  s.x = number(first_ + 2);
  s.y = number(first_ + 3);
  ShapeInput shape;
  shape.line = line_;
  if (line) {
    shape.x2 = number(first_ + 4);
    shape.y2 = number(first_ + 5);
  }
  const size_t z = first_ + (line ? 6 : 4);
  deck_.sources.push_back(s);
  shapes_.push_back(shape);
  sourceElevations_.push_back(w_.size() > z ? number(z) : 0.0);
}

// SRCPARAM id …: the fields of each source kind, checked; small spreads are raised to 1e-5 m.
void Parser::sourceParameters(PointSource& s, ShapeInput& shape) {
  const SourceKind k = s.kind;
  const size_t p = first_ + 1;
  if (isPointKind(k))
    count(6, 6);
  else if (k == SourceKind::Volume)
    count(5, 5);
  else if (k == SourceKind::Area)
    count(4, 7);
  else if (k == SourceKind::AreaCirc)
    count(4, 6);
  else
    count(4, 5);
  s.q = number(p);
  s.hs = number(p + 1);
  if (!(s.q >= 0.0)) fail("SRCPARAM: the emission rate must not be negative");
  const char* height = isPointKind(k) ? "stack height" : "release height";
  if (!(s.hs >= 0.0 && s.hs <= 3000.0))
    fail(std::string("SRCPARAM: the ") + height + " must be 0 to 3000 m");
  auto optional = [&](size_t i, double fallback) { return w_.size() > i ? number(i) : fallback; };
  auto notNegative = [&](double v, const char* what) {
    if (!(v >= 0.0)) fail(std::string("SRCPARAM: ") + what + " must not be negative");
    return std::max(v, 1.0e-5);
  };
  if (isPointKind(k)) {
    s.ts = number(p + 2);
    s.vs = number(p + 3);
    s.ds = number(p + 4);
    if (!(s.ts == 0.0 || s.ts >= 200.0))
      fail("SRCPARAM: the exit temperature must be 0 (ambient) or at least 200 K");
    if (!(s.vs >= 0.0)) fail("SRCPARAM: the exit velocity must not be negative");
    if (!(s.ds > 0.0)) fail("SRCPARAM: the stack diameter must be positive");
    // A zero temperature means "ambient": the fluxes use T_a + 1e-5 K. Very small exit velocities
    // and diameters are raised to 1e-5.
    if (s.ts == 0.0) s.ts = -1.0e-5;
    s.vs = std::max(s.vs, 1.0e-5);
    s.ds = std::max(s.ds, 1.0e-5);
  } else if (k == SourceKind::Volume) {
    s.sy0 = notNegative(number(p + 2), "the initial lateral dimension");
    s.sz0 = notNegative(number(p + 3), "the initial vertical dimension");
  } else if (k == SourceKind::Area) {
    shape.xInit = notNegative(number(p + 2), "the X side");
    shape.yInit = notNegative(optional(p + 3, shape.xInit), "the Y side");
    shape.angle = optional(p + 4, 0.0);
    s.sz0 = notNegative(optional(p + 5, 0.0), "the initial vertical dimension");
  } else if (k == SourceKind::AreaPoly) {
    shape.count = number(p + 2);
    if (!(std::round(shape.count) >= 3.0 && std::round(shape.count) <= kMaxVertices))
      fail("SRCPARAM: the number of vertices must be 3 to " + std::to_string(kMaxVertices));
    shape.count = std::round(shape.count);
    s.sz0 = notNegative(optional(p + 3, 0.0), "the initial vertical dimension");
  } else if (k == SourceKind::AreaCirc) {
    shape.radius = number(p + 2);
    if (!(shape.radius > 0.5)) fail("SRCPARAM: the radius must be more than 0.5 m");
    shape.count = std::round(optional(p + 3, 20.0));
    if (!(shape.count >= 3.0 && shape.count <= kMaxVertices))
      fail("SRCPARAM: the number of vertices must be 3 to " + std::to_string(kMaxVertices));
    s.sz0 = notNegative(optional(p + 4, 0.0), "the initial vertical dimension");
  } else {  // LINE
    shape.width = number(p + 2);
    if (!(shape.width >= 1.0)) fail("SRCPARAM: the line width must be at least 1 m");
    s.sz0 = notNegative(optional(p + 3, 0.0), "the initial vertical dimension");
  }
}

// AREAVERT id x1 y1 x2 y2 …: the vertices of an AREAPOLY source, continued over several lines.
void Parser::areaVertices() {
  if (!deck_.groups.empty()) fail("AREAVERT must come before the first SRCGROUP");
  count(3, 100000);
  const size_t i = sourceIndex(w_[first_]);
  PointSource& s = deck_.sources[i];
  ShapeInput& shape = shapes_[i];
  if (s.kind != SourceKind::AreaPoly)
    fail("AREAVERT: source \"" + s.id + "\" is not an AREAPOLY source");
  if (!withParams_.count(i)) fail("AREAVERT: source \"" + s.id + "\" needs its SRCPARAM first");
  if ((w_.size() - first_ - 1) % 2 != 0) fail("AREAVERT: the coordinates must come in x y pairs");
  if (shape.vertexLine == 0) shape.vertexLine = line_;
  for (size_t k = first_ + 1; k < w_.size(); k += 2) {
    const Vertex v{number(k), number(k + 1)};
    if (s.vertices.empty() && (v.x != s.x || v.y != s.y))
      fail("AREAVERT: the first vertex of \"" + s.id + "\" must be its LOCATION");
    if (s.vertices.size() >= static_cast<size_t>(shape.count) + 1)
      fail("AREAVERT: source \"" + s.id + "\" has more than " +
           std::to_string(static_cast<long>(shape.count) + 1) + " vertices");
    s.vertices.push_back(v);
  }
}

// The vertices and centroid of every area-family source.
void Parser::finishShapes() {
  for (size_t i = 0; i < deck_.sources.size(); ++i) {
    PointSource& s = deck_.sources[i];
    const ShapeInput& in = shapes_[i];
    line_ = in.line;
    if (s.kind == SourceKind::Area) {
      rectangleShape(s, in.xInit, in.yInit, in.angle);
    } else if (s.kind == SourceKind::Line) {
      if (in.x2 == s.x && in.y2 == s.y) fail("LOCATION: the line \"" + s.id + "\" has no length");
      lineShape(s, in.x2, in.y2, in.width);
    } else if (s.kind == SourceKind::AreaCirc) {
      circleShape(s, in.radius, static_cast<int>(in.count));
    } else if (s.kind == SourceKind::AreaPoly) {
      if (s.vertices.size() < static_cast<size_t>(in.count))
        fail("AREAVERT: source \"" + s.id + "\" has " + std::to_string(s.vertices.size()) +
             " of its " + std::to_string(static_cast<long>(in.count)) + " vertices");
      s.vertices.resize(static_cast<size_t>(in.count));
      line_ = in.vertexLine;
      if (std::fabs(polygonShape(s)) < 0.0001)
        fail("AREAVERT: the polygon of \"" + s.id + "\" has no area");
      size_t a = 0, b = 0;
      if (sidesCross(s.vertices, a, b))
        fail("AREAVERT: the polygon of \"" + s.id + "\" crosses itself (sides " +
             std::to_string(a + 1) + " and " + std::to_string(b + 1) + ")");
    }
  }
  if (deck_.urban.on) {
    UrbanOption& u = deck_.urban;
    line_ = u.line;
    bool any = false;
    for (const PointSource& s : deck_.sources) any = any || s.urban;
    if (!any) fail("URBANOPT: no source is listed in SO URBANSRC");
    // Under the regulatory default options the urban roughness is always 1 m.
    if (deck_.defaultOptions) u.z0 = 1.0;
    // The urban boundary layer needs a mixed layer above the roughness elements.
    if (!(urbanMixingHeight(u.population) > 7.0 * u.z0))
      fail(
          "URBANOPT: the urban mixing height of this population is not above 7 times the "
          "roughness");
  }
}

// URBANOPT population [name [roughness]]: one urban area.
void Parser::urbanOption() {
  count(1, 3);
  UrbanOption& u = deck_.urban;
  if (u.on) fail("URBANOPT is given twice (one urban area is supported)");
  u.on = true;
  u.line = line_;
  u.population = number(first_);
  if (!(u.population >= 100.0 && u.population <= 1.0e9))
    fail("URBANOPT: the population must be 100 to 1e9");
  if (w_.size() > first_ + 2) u.z0 = number(first_ + 2);
  if (!(u.z0 > 0.0 && u.z0 < 5.0))
    fail("URBANOPT: the urban roughness must be above 0 and below 5 m");
}

void Parser::receptor() {
  if (kw_ == "ELEVUNIT") {
    count(1, 1);
    if (upper(w_[first_]) != "METERS" && upper(w_[first_]) != "FEET")
      fail("ELEVUNIT " + w_[first_] + " is not supported (METERS or FEET)");
  } else if (kw_ == "DISCPOLR") {
    count(3, 5);
    const PointSource& s = deck_.sources[sourceIndex(w_[first_])];
    const double r = number(first_ + 1), dir = number(first_ + 2);
    ReceptorEntry e;
    e.type = "DP";
    e.r.x = s.x + r * std::sin(dir * Consts::degToRad);
    e.r.y = s.y + r * std::cos(dir * Consts::degToRad);
    e.r.zflag = flagDefault_;
    if (deck_.receptors.size() >= kMaxReceptors)
      fail("DISCPOLR: more than " + std::to_string(kMaxReceptors) + " receptors");
    deck_.receptors.push_back(e);
  } else if (kw_ == "EVALCART") {
    // A discrete receptor that also belongs to an arc of an evaluation run.
    count(7, 7);
    ReceptorEntry e;
    e.r.x = number(first_);
    e.r.y = number(first_ + 1);
    e.zelev = number(first_ + 2);
    e.zhill = number(first_ + 3);
    e.r.zflag = number(first_ + 4);
    if (!(e.r.zflag >= 0.0)) fail("EVALCART: the flagpole height must not be negative");
    if (deck_.receptors.size() >= kMaxReceptors)
      fail("EVALCART: more than " + std::to_string(kMaxReceptors) + " receptors");
    deck_.receptors.push_back(e);
  } else if (kw_ == "DISCCART") {
    const size_t n = w_.size() - first_;
    ReceptorEntry e;
    e.r.x = number(first_);
    e.r.y = number(first_ + 1);
    e.r.zflag = flagDefault_;
    if (flagpole_ && (n == 3 || n == 5)) {
      e.r.zflag = number(w_.size() - 1);
      if (n == 5) {
        e.zelev = number(first_ + 2);
        e.zhill = number(first_ + 3);
      }
    } else if (n == 3 || n == 4) {
      e.zelev = number(first_ + 2);
      e.zhill = n == 4 ? number(first_ + 3) : e.zelev;
    } else if (n != 2) {
      fail(std::string("DISCCART: expected x y") +
           (flagpole_ ? " [zelev zhill] zflag" : " [zelev [zhill]]") +
           " (a flagpole height needs CO FLAGPOLE)");
    }
    if (!(e.r.zflag >= 0.0)) fail("DISCCART: the flagpole height must not be negative");
    if (deck_.receptors.size() >= kMaxReceptors)
      fail("DISCCART: more than " + std::to_string(kMaxReceptors) + " receptors");
    deck_.receptors.push_back(e);
  } else if (kw_ == "GRIDCART" || kw_ == "GRIDPOLR") {
    grid(kw_ == "GRIDPOLR");
  } else {
    unsupported();
  }
}

void Parser::grid(bool polar) {
  count(2, 100000);
  const std::string name = w_[first_], sub = upper(w_[first_ + 1]);
  if (sub == "STA") {
    if (grids_.count(name)) fail(kw_ + ": network \"" + name + "\" is defined twice");
    Grid g;
    g.name = name;
    g.polar = polar;
    g.line = line_;
    grids_[name] = g;
    return;
  }
  auto it = grids_.find(name);
  if (it == grids_.end() || it->second.polar != polar)
    fail(kw_ + ": network \"" + name + "\" has no STA line");
  Grid& g = it->second;
  if (g.endLine > 0)
    fail(kw_ + ": network \"" + name + "\" was closed by END on line " + std::to_string(g.endLine));
  if (polar && sub == "ORIG" && w_.size() == first_ + 3) {
    // The network centred on a source's location.
    const PointSource& s = deck_.sources[sourceIndex(w_[first_ + 2])];
    g.x0 = s.x;
    g.y0 = s.y;
    return;
  }
  std::vector<double> v;
  for (size_t i = first_ + 2; i < w_.size(); ++i) v.push_back(number(i));
  auto need = [&](size_t n) {
    if (v.size() != n) fail(kw_ + " " + sub + ": expected " + std::to_string(n) + " values");
  };
  if (sub == "END") {
    finishGrid(g);
    g.endLine = line_;
  } else if (polar && sub == "ORIG") {
    need(2);
    g.x0 = v[0];
    g.y0 = v[1];
  } else if (polar && sub == "DIST") {
    g.dist.insert(g.dist.end(), v.begin(), v.end());
  } else if (polar && sub == "DDIR") {
    g.dirs.insert(g.dirs.end(), v.begin(), v.end());
  } else if (polar && sub == "GDIR") {
    need(3);
    if (!(v[0] >= 1 && v[0] <= 3600 && v[0] == std::floor(v[0])))
      fail("GRIDPOLR GDIR: the number of directions must be a whole number 1 to 3600");
    for (int i = 0; i < static_cast<int>(v[0]); ++i) g.dirs.push_back(v[1] + i * v[2]);
  } else if (!polar && sub == "XYINC") {
    need(6);
    for (double c : {v[1], v[4]})
      if (!(c >= 1 && c <= 100000 && c == std::floor(c)))
        fail("GRIDCART XYINC: the numbers of points must be whole numbers");
    for (int i = 0; i < static_cast<int>(v[1]); ++i) g.xs.push_back(v[0] + i * v[2]);
    for (int i = 0; i < static_cast<int>(v[4]); ++i) g.ys.push_back(v[3] + i * v[5]);
  } else if (!polar && sub == "XPNTS") {
    g.xs.insert(g.xs.end(), v.begin(), v.end());
  } else if (!polar && sub == "YPNTS") {
    g.ys.insert(g.ys.end(), v.begin(), v.end());
  } else {
    fail(kw_ + " " + sub + " is not supported");
  }
}

void Parser::finishGrid(Grid& g) {
  const double points =
      g.polar ? static_cast<double>(g.dist.size()) * static_cast<double>(g.dirs.size())
              : static_cast<double>(g.xs.size()) * static_cast<double>(g.ys.size());
  if (static_cast<double>(deck_.receptors.size()) + points > static_cast<double>(kMaxReceptors))
    fail(kw_ + ": more than " + std::to_string(kMaxReceptors) + " receptors");
  ReceptorEntry e;
  e.network = g.name;
  e.type = g.polar ? "GP" : "GC";
  e.r.zflag = flagDefault_;
  if (g.polar) {
    if (g.dist.empty() || g.dirs.empty()) fail("GRIDPOLR: the network needs DIST and GDIR or DDIR");
    for (double dir : g.dirs)
      for (double r : g.dist) {
        if (!(r > 0.0)) fail("GRIDPOLR DIST: distances must be positive");
        e.r.x = g.x0 + r * std::sin(dir * Consts::degToRad);
        e.r.y = g.y0 + r * std::cos(dir * Consts::degToRad);
        deck_.receptors.push_back(e);
      }
  } else {
    if (g.xs.empty() || g.ys.empty()) fail("GRIDCART: the network needs XYINC or XPNTS and YPNTS");
    for (double y : g.ys)
      for (double x : g.xs) {
        e.r.x = x;
        e.r.y = y;
        deck_.receptors.push_back(e);
      }
  }
}

void Parser::meteorology() {
  if (kw_ == "SURFFILE" || kw_ == "PROFFILE") {
    count(1, 2);
    if (w_.size() > first_ + 1 && upper(w_[first_ + 1]) != "FREE")
      fail(kw_ + ": format " + w_[first_ + 1] +
           " is not supported (the files are read free-format)");
    const std::string path = file(w_[first_]);
    if (!fs::is_regular_file(path))
      fail(std::string("cannot open the ") + (kw_ == "SURFFILE" ? "surface" : "profile") +
           " file \"" + path + "\"");
    (kw_ == "SURFFILE" ? deck_.surfaceFile : deck_.profileFile) = path;
  } else if (kw_ == "SURFDATA" || kw_ == "UAIRDATA" || kw_ == "SITEDATA") {
    count(2, 6);
  } else if (kw_ == "STARTEND") {
    startEnd();
  } else if (kw_ == "DAYRANGE") {
    dayRange();
  } else if (kw_ == "WDROTATE") {
    count(1, 1);
    deck_.wdRotate = number(first_);
    if (!(std::fabs(deck_.wdRotate) <= 180.0))
      fail("WDROTATE: the rotation must be -180 to 180 degrees");
  } else if (kw_ == "WINDCATS") {
    windCats();
  } else if (kw_ == "PROFBASE") {
    count(1, 2);
    deck_.profileBase = number(first_);
    if (w_.size() > first_ + 1 && upper(w_[first_ + 1]) != "METERS")
      fail("PROFBASE: unit " + w_[first_ + 1] + " is not supported (only METERS)");
  } else {
    unsupported();
  }
}

void Parser::output() {
  if (kw_ == "FILEFORM") {
    count(1, 1);
    const std::string f = upper(w_[first_]);
    if (f != "EXP" && f != "FIX") fail("FILEFORM " + f + " is not supported");
    deck_.expFormat = f == "EXP";
  } else if (!averagingOutput()) {
    unsupported();
  }
}

void Parser::finish() {
  if (!conc_) fail("the deck has no CO MODELOPT");
  if (!averaging_) fail("the deck has no CO AVERTIME");
  if (deck_.sources.empty()) fail("the deck defines no source");
  for (size_t i = 0; i < deck_.sources.size(); ++i)
    if (!withParams_.count(i)) fail("source \"" + deck_.sources[i].id + "\" has no SRCPARAM");
  finishShapes();
  if (deck_.groups.empty()) fail("the deck defines no SRCGROUP");
  for (const auto& [name, g] : grids_)
    if (g.endLine == 0) {
      line_ = g.line;
      fail("network \"" + name + "\" has no END line");
    }
  if (deck_.receptors.empty()) fail("the deck defines no receptor");
  if (static_cast<double>(deck_.receptors.size()) * static_cast<double>(deck_.sources.size()) >
      static_cast<double>(kMaxReceptors) * 50.0)
    fail("the deck has too many sources times receptors (at most " +
         std::to_string(kMaxReceptors * 50) + ")");
  if (deck_.surfaceFile.empty()) fail("the deck has no ME SURFFILE");
  if (deck_.profileFile.empty()) fail("the deck has no ME PROFFILE");
  finishAveraging();
  refuseOverwrites();
  if (deck_.defaultOptions) {
    bool zero = deck_.profileBase == 0.0;
    for (double z : sourceElevations_) zero = zero && z == 0.0;
    for (const ReceptorEntry& e : deck_.receptors) zero = zero && e.zelev == 0.0 && e.zhill == 0.0;
    if (!zero)
      fail("DFAULT: elevated terrain is not supported; every elevation and PROFBASE must be 0");
  }
}

// An output file must not replace an input file or another output file of the same run, whether
// named the same way, through a link or as a hard link (the same device and inode).
void Parser::refuseOverwrites() {
  struct Seen {
    fs::path name;
    bool exists;
    struct stat st;
  };
  std::vector<Seen> seen;
  auto add = [&](const std::string& p) {
    Seen s{fs::weakly_canonical(p), false, {}};
    s.exists = ::stat(p.c_str(), &s.st) == 0;
    seen.push_back(s);
  };
  for (const std::string& p : {deck_.path, deck_.surfaceFile, deck_.profileFile}) add(p);
  std::vector<OutputFile> outputs = deck_.postFiles;
  for (const auto* v :
       {&deck_.plotFiles, &deck_.maxiFiles, &deck_.rankFiles, &deck_.maxDaily, &deck_.mxdyByYear})
    outputs.insert(outputs.end(), v->begin(), v->end());
  if (!deck_.summFile.empty()) outputs.push_back({0, 0, 0, 0, deck_.summFile, deck_.summLine});
  if (!deck_.errorFile.empty()) outputs.push_back({0, 0, 0, 0, deck_.errorFile, errorFileLine_});
  for (const OutputFile& o : outputs) {
    add(o.path);
    const Seen& c = seen.back();
    for (size_t i = 0; i + 1 < seen.size(); ++i)
      if (seen[i].name == c.name ||
          (c.exists && seen[i].exists && seen[i].st.st_dev == c.st.st_dev &&
           seen[i].st.st_ino == c.st.st_ino)) {
        line_ = o.line;
        fail("the output file \"" + o.path + "\" is an input file or is named twice");
      }
  }
}

#include "mod/deck_averages.inc"

}  // namespace

size_t Deck::periodIndex(int p) const {
  return static_cast<size_t>(std::find(periods.begin(), periods.end(), p) - periods.begin());
}

std::string periodLabel(int period) {
  if (period == kMonth) return "MONTH";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2d-HR", period);
  return buf;
}

Deck readDeck(const std::string& path) {
  std::error_code ec;
  if (fs::is_regular_file(path, ec) &&
      fs::file_size(path, ec) > static_cast<std::uintmax_t>(kMaxDeckBytes))
    throw InputError(path + ": the deck is larger than 64 MB");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError("cannot open the deck \"" + path + "\"");
  return Parser(path).parse(in);
}

}  // namespace mod
