#include "models/air/prediction/rules.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace models::air::prediction {

const std::vector<StandardRow>& standardTable() {
  // GB 3095-2012, tables 1 and 2, µg/m³ (CO converted from mg/m³).
  static const std::vector<StandardRow> rows = {
      {"SO2", {150, 0, 50, 20}, {500, 0, 150, 60}, 98},
      {"NO2", {200, 0, 80, 40}, {200, 0, 80, 40}, 98},
      {"CO", {10000, 0, 4000, 0}, {10000, 0, 4000, 0}, 95},
      {"O3", {160, 100, 0, 0}, {200, 160, 0, 0}, 90},
      {"PM10", {0, 0, 50, 40}, {0, 0, 150, 70}, 95},
      {"PM2.5", {0, 0, 35, 15}, {0, 0, 75, 35}, 95},
      {"TSP", {0, 0, 120, 80}, {0, 0, 300, 200}, 0},
      {"NOx", {250, 0, 100, 50}, {250, 0, 100, 50}, 0},
      {"Pb", {0, 0, 0, 0.5}, {0, 0, 0, 0.5}, 0},
      {"BaP", {0, 0, 0.0025, 0.001}, {0, 0, 0.0025, 0.001}, 0},
  };
  return rows;
}

const StandardRow* findStandard(const std::string& name) {
  auto key = [](const std::string& s) {
    std::string k;
    for (char c : s)
      if (!std::isspace(static_cast<unsigned char>(c)))
        k += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return k;
  };
  const std::string want = key(name);
  for (const StandardRow& r : standardTable())
    if (key(r.name) == want) return &r;
  return nullptr;
}

double hourlyReference(const Limits& l) {
  if (l.h1 > 0) return l.h1;
  if (l.h8 > 0) return 2 * l.h8;
  if (l.h24 > 0) return 3 * l.h24;
  if (l.annual > 0) return 6 * l.annual;
  return 0;
}

std::optional<double> percentile(std::vector<double> values, double p) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const double k = 1 + (static_cast<double>(values.size()) - 1) * p / 100;
  const double s = std::floor(k);
  const size_t i = static_cast<size_t>(s) - 1;  // 0-based index of the k-th value
  if (i + 1 >= values.size()) return values.back();
  return values[i] + (k - s) * (values[i + 1] - values[i]);
}

std::vector<Point> nestedGrid(const std::vector<Point>& sources, double extent_m) {
  if (sources.empty() || !(extent_m > 0)) return {};
  double bx0 = sources[0].x, by0 = sources[0].y, bx1 = bx0, by1 = by0;
  for (const Point& p : sources) {
    bx0 = std::min(bx0, p.x);
    by0 = std::min(by0, p.y);
    bx1 = std::max(bx1, p.x);
    by1 = std::max(by1, p.y);
  }
  auto dist = [&](double x, double y) {
    const double dx = std::max({bx0 - x, 0.0, x - bx1});
    const double dy = std::max({by0 - y, 0.0, y - by1});
    return std::max(dx, dy);
  };
  const double x0 = std::floor((bx0 - extent_m) / 500) * 500;
  const double y0 = std::floor((by0 - extent_m) / 500) * 500;
  const double x1 = std::ceil((bx1 + extent_m) / 500) * 500;
  const double y1 = std::ceil((by1 + extent_m) / 500) * 500;
  std::vector<Point> out;
  const long nx = std::lround((x1 - x0) / 50), ny = std::lround((y1 - y0) / 50);
  for (long j = 0; j <= ny; ++j)
    for (long i = 0; i <= nx; ++i) {
      const double x = x0 + 50.0 * static_cast<double>(i), y = y0 + 50.0 * static_cast<double>(j);
      const double d = dist(x, y);
      if (d > extent_m) continue;
      auto on = [](double v, double step) { return std::fmod(std::fabs(v), step) < 1e-6; };
      const bool keep = d <= 5000    ? on(x, 100) && on(y, 100)
                        : d <= 15000 ? on(x, 250) && on(y, 250)
                                     : on(x, 500) && on(y, 500);
      if (keep) out.push_back({x, y});
    }
  return out;
}

std::vector<Point> regularGrid(double x0, double y0, double x1, double y1, double step) {
  std::vector<Point> out;
  if (!(step > 0) || !(x1 >= x0) || !(y1 >= y0)) return out;
  const long nx = std::lround(std::floor((x1 - x0) / step + 1e-9));
  const long ny = std::lround(std::floor((y1 - y0) / step + 1e-9));
  for (long j = 0; j <= ny; ++j)
    for (long i = 0; i <= nx; ++i)
      out.push_back({x0 + step * static_cast<double>(i), y0 + step * static_cast<double>(j)});
  return out;
}

bool insidePolygon(const std::vector<Point>& ring, Point p) {
  bool in = false;
  for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const Point& a = ring[i];
    const Point& b = ring[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

namespace {

double segmentDistance(Point a, Point b, Point p) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double len2 = vx * vx + vy * vy;
  double t = len2 > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

double cross(Point o, Point a, Point b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool segmentsCross(Point a, Point b, Point c, Point d) {
  const double d1 = cross(c, d, a), d2 = cross(c, d, b), d3 = cross(a, b, c), d4 = cross(a, b, d);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

}  // namespace

double distanceToRing(const std::vector<Point>& ring, Point p) {
  double best = INFINITY;
  for (size_t i = 0; i < ring.size(); ++i)
    best = std::min(best, segmentDistance(ring[i], ring[(i + 1) % ring.size()], p));
  return best;
}

bool selfIntersecting(const std::vector<Point>& ring) {
  const size_t n = ring.size();
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // neighbours through the closing edge
      if (segmentsCross(ring[i], ring[(i + 1) % n], ring[j], ring[(j + 1) % n])) return true;
    }
  return false;
}

ProtectionResult protectionDistance(const std::vector<Point>& ring, const std::vector<Point>& cells,
                                    const std::vector<double>& ratio) {
  ProtectionResult r;
  if (ring.size() < 3) return r;
  std::vector<double> edge_far(ring.size(), 0);
  for (size_t c = 0; c < cells.size() && c < ratio.size(); ++c) {
    if (!(ratio[c] > 1) || insidePolygon(ring, cells[c])) continue;
    r.exceeding.push_back(c);
    size_t nearest = 0;
    double d = INFINITY;
    for (size_t i = 0; i < ring.size(); ++i) {
      const double di = segmentDistance(ring[i], ring[(i + 1) % ring.size()], cells[c]);
      if (di < d) d = di, nearest = i;
    }
    r.distance_m = std::max(r.distance_m, d);
    edge_far[nearest] = std::max(edge_far[nearest], d);
  }
  for (size_t i = 0; i < ring.size(); ++i)
    if (edge_far[i] > 0) r.edges.emplace_back(i, edge_far[i]);
  return r;
}

std::vector<Point> protectionCells(const std::vector<Point>& ring, double step, double margin_m) {
  if (ring.size() < 3 || !(step > 0)) return {};
  double x0 = ring[0].x, y0 = ring[0].y, x1 = x0, y1 = y0;
  for (const Point& p : ring) {
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  }
  x0 = std::floor((x0 - margin_m) / step) * step;
  y0 = std::floor((y0 - margin_m) / step) * step;
  x1 = std::ceil((x1 + margin_m) / step) * step;
  y1 = std::ceil((y1 + margin_m) / step) * step;
  std::vector<Point> out;
  for (const Point& p : regularGrid(x0, y0, x1, y1, step))
    if (!insidePolygon(ring, p)) out.push_back(p);
  return out;
}

}  // namespace models::air::prediction
