// Tracing of iso-lines through the cells of a regular grid (see contour.h for the method).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

#include "present/contour.h"

namespace present {
namespace {

constexpr float kNoCrossing = -2.0f;  // no crossing on this edge, or already used

enum class Dir { Up, Down, Right, Left };

struct Edge {
  int row = 0;
  int col = 0;
  bool vertical = false;
  friend bool operator==(const Edge&, const Edge&) = default;
};

// A node lying exactly on the level is treated as 0.001 above it. Where 0.001 is below half
// the float spacing (|z| >= 32768) the sum would round back to z, so take the next float.
float raiseNode(float z) {
  const auto r = static_cast<float>(static_cast<double>(z) + 0.001);
  return r != z ? r : std::nextafter(z, std::numeric_limits<float>::infinity());
}

// Crossing fraction of level L on the edge from z1 to z2, or kNoCrossing. A fraction outside
// 0..1 (from a raised node whose neighbour lies above the level) is no crossing either: storing
// it raw would let the next-edge choice follow an uncrossed edge out of the cell.
float crossing(float z1, float z2, float L) {
  // Both ends strictly on one side: the common case, decided without the product below.
  if ((z1 < L && z2 < L) || (z1 > L && z2 > L) || z1 == z2) return kNoCrossing;
  const float a = L - z1;
  const double p = (static_cast<double>(L) - static_cast<double>(z2)) * static_cast<double>(a);
  float t;
  if (p > 0) {
    return kNoCrossing;  // both ends on the same side
  } else if (p < 0) {
    t = a / (z2 - z1);
  } else if (p == 0) {
    // The raised node lies above the level, so the edge is crossed only when its other end lies
    // below. Deciding this from the fraction alone fails when the other end is just above the
    // level: the fraction, a little over 1, rounds to exactly 1.
    if (!((z1 == L ? z2 : z1) < L)) return kNoCrossing;
    if (z1 == L)
      z1 = raiseNode(z1);
    else
      z2 = raiseNode(z2);
    t = (L - z1) / (z2 - z1);
  } else {
    return kNoCrossing;  // NaN or infinite values
  }
  return (t >= 0.0f && t <= 1.0f) ? t : kNoCrossing;
}

bool usable(float t) { return t >= 0.0f && t <= 1.0f; }

// The crossing of an edge is computed from the node values when it is asked for, and an edge
// appended to a line is marked used; only the used marks are stored. This gives the same
// answers as filling whole crossing tables per level, without writing and re-reading two
// tables of the grid's size for every level.
class Tracer {
 public:
  explicit Tracer(const GridData& g, ContourSink* sink = nullptr)
      : m_sink(sink),
        m_g(g),
        m_nx(g.nx),
        m_ny(g.ny),
        m_dx((g.xmax - g.xmin) / (g.nx - 1)),
        m_dy((g.ymax - g.ymin) / (g.ny - 1)),
        m_vertical_base(static_cast<std::size_t>(g.ny) * static_cast<std::size_t>(g.nx - 1)),
        m_used(
            m_vertical_base + static_cast<std::size_t>(g.ny - 1) * static_cast<std::size_t>(g.nx),
            0) {}

  std::vector<ContourLine> trace(float level);

 private:
  // Horizontal edges first (ny rows of nx-1), then vertical edges (ny-1 rows of nx).
  std::size_t index(const Edge& e) const {
    return e.vertical ? m_vertical_base + idx(e.row, e.col, m_nx) : idx(e.row, e.col, m_nx - 1);
  }
  static std::size_t idx(int r, int c, int width) {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(c);
  }
  float raw(const Edge& e) const {
    const float* r = m_g.row(e.row);
    return e.vertical ? crossing(r[e.col], m_g.row(e.row + 1)[e.col], m_level)
                      : crossing(r[e.col], r[e.col + 1], m_level);
  }
  // Crossing fraction, or kNoCrossing when there is none or the edge is used.
  float at(const Edge& e) const { return m_used[index(e)] ? kNoCrossing : raw(e); }
  void markUsed(const Edge& e) {
    const std::size_t i = index(e);
    if (!m_used[i]) {
      m_used[i] = 1;
      m_marked.push_back(i);
    }
  }
  ContourPoint point(const Edge& e) const;
  void append(ContourLine& line, const Edge& e) {
    line.points.push_back(point(e));
    markUsed(e);
  }
  bool onBorder(const Edge& e) const {
    return (!e.vertical && e.row == 0) || e.row == m_ny - 1 || (e.vertical && e.col == 0) ||
           e.col == m_nx - 1;
  }
  bool choose(const Edge& cur, Dir dir, Edge& next, Dir& next_dir) const;
  void traceOpen(const Edge& start, Dir dir);
  void traceClosed(const Edge& start);
  void traceInterior();
  void keep(ContourLine&& line) {
    if (line.points.size() < 2) return;
    if (m_sink)
      m_sink->line(line);
    else
      m_lines.push_back(std::move(line));
  }

  ContourSink* m_sink;  // receives the lines instead of m_lines when set
  const GridData& m_g;
  int m_nx, m_ny;
  double m_dx, m_dy;
  float m_level = 0;
  std::size_t m_vertical_base;
  std::vector<std::uint8_t> m_used;   // per edge: appended to a line of this level
  std::vector<std::size_t> m_marked;  // used edges, to clear them for the next level
  std::vector<std::size_t> m_starts;  // interior vertical edges that may start closed lines
  std::vector<ContourLine> m_lines;
};

// The crossing fraction is single precision; it is taken to seven decimals (a ten-millionth of
// a cell) so a node position and a fraction such as 0.1 add up to the decimal they mean, and
// the position is formed in double: grids sit at projected coordinates of up to 4e7 m.
ContourPoint Tracer::point(const Edge& e) const {
  const double t = std::round(static_cast<double>(raw(e)) * 1e7) / 1e7;
  if (e.vertical) return {m_g.xmin + e.col * m_dx, m_g.ymin + (e.row + t) * m_dy};
  return {m_g.xmin + (e.col + t) * m_dx, m_g.ymin + e.row * m_dy};
}

// The edge by which the line leaves the cell it enters through `cur` travelling `dir`.
// Of the two sides the one crossed nearer its lower-index end is taken; a side with no
// crossing, or one crossed exactly at its lower end, counts as not crossed; with neither side
// crossed the line goes straight through. A saddle (both sides at the same fraction) is split
// by where the line entered: past the middle of the entry edge it takes the higher side.
bool Tracer::choose(const Edge& cur, Dir dir, Edge& next, Dir& next_dir) const {
  int r = cur.row, c = cur.col;
  if (dir == Dir::Down) --r;
  if (dir == Dir::Left) --c;
  if (r < 0 || c < 0 || r > m_ny - 2 || c > m_nx - 2) return false;  // no such cell
  const bool vertical_travel = dir == Dir::Up || dir == Dir::Down;
  // Sides: left/right column edges when travelling up or down, bottom/top row edges otherwise.
  const Edge s1 = vertical_travel ? Edge{r, c, true} : Edge{r, c, false};
  const Edge s2 = vertical_travel ? Edge{r, c + 1, true} : Edge{r + 1, c, false};
  const Edge opposite = dir == Dir::Up      ? Edge{r + 1, c, false}
                        : dir == Dir::Down  ? Edge{r, c, false}
                        : dir == Dir::Right ? Edge{r, c + 1, true}
                                            : Edge{r, c, true};
  const float v1 = at(s1), v2 = at(s2);
  bool take_s2;
  if (v1 == v2) {
    if (v1 < 0) {
      next = opposite;
      next_dir = dir;
      return usable(at(next));
    }
    const float za = m_g.at(cur.row, cur.col);
    const float zb = cur.vertical ? m_g.at(cur.row + 1, cur.col) : m_g.at(cur.row, cur.col + 1);
    take_s2 = (m_level - za) / (zb - za) > 0.5f;
  } else if (v2 < v1) {
    take_s2 = v2 > 0;
  } else {
    take_s2 = v1 <= 0;
  }
  next = take_s2 ? s2 : s1;
  next_dir = vertical_travel ? (take_s2 ? Dir::Right : Dir::Left) : (take_s2 ? Dir::Up : Dir::Down);
  return usable(at(next));  // inconsistent crossings stop the line here
}

void Tracer::traceOpen(const Edge& start, Dir dir) {
  ContourLine line;
  append(line, start);
  Edge cur = start, next;
  Dir next_dir;
  while (choose(cur, dir, next, next_dir)) {
    append(line, next);
    cur = next;
    dir = next_dir;
    if (onBorder(cur)) break;
  }
  keep(std::move(line));
}

void Tracer::traceClosed(const Edge& start) {
  ContourLine line;
  line.points.push_back(point(start));  // the start stays usable so the line can come back
  Edge cur = start, next;
  Dir dir = Dir::Right, next_dir;
  // Every appended edge is marked used, so a line that does not return runs out of usable
  // edges and stops; the border check stops one that would leave the grid.
  while (choose(cur, dir, next, next_dir)) {
    append(line, next);
    cur = next;
    dir = next_dir;
    if (cur == start || onBorder(cur)) break;
  }
  markUsed(start);
  keep(std::move(line));
}

// Closed lines start on interior vertical edges, column by column and bottom to top within a
// column. Candidates are collected row by row (cache friendly) and put in column order.
void Tracer::traceInterior() {
  m_starts.clear();
  const auto ny = static_cast<std::size_t>(m_ny);
  for (int i = 0; i + 1 < m_ny; ++i) {
    const float* r = m_g.row(i);
    const float* up = m_g.row(i + 1);
    for (int j = 1; j + 1 < m_nx; ++j)
      if (usable(crossing(r[j], up[j], m_level)))
        m_starts.push_back(static_cast<std::size_t>(j) * ny + static_cast<std::size_t>(i));
  }
  std::sort(m_starts.begin(), m_starts.end());
  for (std::size_t key : m_starts) {
    const Edge e{static_cast<int>(key % ny), static_cast<int>(key / ny), true};
    if (!m_used[index(e)]) traceClosed(e);
  }
}

std::vector<ContourLine> Tracer::trace(float level) {
  m_level = level;
  m_lines.clear();
  for (int j = 0; j + 1 < m_nx; ++j)  // bottom row, entering upwards
    if (usable(at({0, j, false}))) traceOpen({0, j, false}, Dir::Up);
  for (int i = 0; i + 1 < m_ny; ++i)  // left column, entering rightwards
    if (usable(at({i, 0, true}))) traceOpen({i, 0, true}, Dir::Right);
  for (int j = 0; j + 1 < m_nx; ++j)  // top row, entering downwards
    if (usable(at({m_ny - 1, j, false}))) traceOpen({m_ny - 1, j, false}, Dir::Down);
  for (int i = 0; i + 1 < m_ny; ++i)  // right column, entering leftwards
    if (usable(at({i, m_nx - 1, true}))) traceOpen({i, m_nx - 1, true}, Dir::Left);
  traceInterior();
  for (std::size_t i : m_marked) m_used[i] = 0;
  m_marked.clear();
  return std::move(m_lines);
}

bool traceable(const GridData& g) {
  return g.nx >= 2 && g.ny >= 2 &&
         g.z.size() == static_cast<std::size_t>(g.nx) * static_cast<std::size_t>(g.ny);
}

}  // namespace

std::vector<ContourLine> traceLevel(const GridData& grid, float level) {
  if (!traceable(grid)) return {};
  Tracer tracer(grid);
  return tracer.trace(level);
}

void traceToSink(const GridData& grid, const ContourLevels& levels, ContourSink& sink) {
  if (!traceable(grid)) {
    for (int k = 0; k < levels.count(); ++k) {
      sink.beginLevel(k, levels.at(k));
      sink.endLevel(k);
    }
    return;
  }
  Tracer tracer(grid, &sink);
  for (int k = 0; k < levels.count(); ++k) {
    sink.beginLevel(k, levels.at(k));
    tracer.trace(levels.at(k));
    sink.endLevel(k);
  }
}

bool ContourSet::traceAll() {
  m_lines.clear();
  m_traced = false;
  try {
    if (traceable(*m_grid)) {
      Tracer tracer(*m_grid);  // crossing tables shared by all levels of this run
      for (float level : m_levels.values()) m_lines.push_back(tracer.trace(level));
    } else {
      m_lines.resize(static_cast<std::size_t>(m_levels.count()));
    }
  } catch (const std::bad_alloc&) {
    m_lines.clear();
    return false;
  }
  m_traced = true;
  return true;
}

}  // namespace present
