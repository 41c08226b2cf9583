// Iso-lines of a gridded field: the level list, the traced polylines per level and the
// drawing style of each level.
//
// Tracing walks the cell edges of the grid. For one level L each horizontal edge (between
// nodes (i, j) and (i, j+1)) and each vertical edge (between (i, j) and (i+1, j)) gets the
// fraction t in 0..1 where the level crosses it, measured from its lower-index end, or "no
// crossing". A node lying exactly on L counts as lying just above it (raised by 0.001, or to
// the next float where 0.001 is below the float spacing), so lines pass near such nodes.
// Open lines are followed from the grid border (bottom, left, top, right edges in that order)
// until they reach the border again; closed lines are then started on interior vertical edges
// and followed until they return to their start. In a cell crossed on both sides the side
// crossed nearer its lower-index end is taken; a saddle (equal fractions) goes by the
// position of the entry point along the entry edge.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "present/grid_data.h"

namespace present {

struct ContourPoint {
  double x = 0;  // world x (the grid's x unit)
  double y = 0;  // world y
  friend bool operator==(const ContourPoint&, const ContourPoint&) = default;
};

// A polyline in tracing order; a closed line repeats its first point as its last.
struct ContourLine {
  std::vector<ContourPoint> points;
  bool closed() const { return points.size() > 2 && points.front() == points.back(); }
};

// Level values kept strictly ascending without duplicates (exact float equality).
class ContourLevels {
 public:
  void insert(float value);                        // ignored when already present or NaN
  bool remove(float value);                        // false when the value is not in the list
  void replace(float old_value, float new_value);  // removal, then ordered insertion
  void clear() { m_values.clear(); }
  float at(int k) const { return m_values.at(static_cast<std::size_t>(k)); }
  int count() const { return static_cast<int>(m_values.size()); }
  const std::vector<float>& values() const { return m_values; }

 private:
  std::vector<float> m_values;
};

// Up to 11 levels from zmin to zmax in steps of a tenth of the range, accumulated in single
// precision (so the last one may fall just above zmax and be left out). Empty when zmax < zmin;
// a single level when the step is too small to move the sum (zmin = zmax, or a huge zmin).
ContourLevels defaultLevels(float zmin, float zmax);

// The lines of one level. No lines for grids with fewer than two rows or columns.
std::vector<ContourLine> traceLevel(const GridData& grid, float level);

// Receives the lines of each level as they are traced, so an export can write them out at once
// and keep none (a checkerboard grid gives gigabytes of line text).
class ContourSink {
 public:
  virtual ~ContourSink() = default;
  virtual void beginLevel(int k, float level) = 0;
  virtual void line(const ContourLine& line) = 0;  // two points or more
  virtual void endLevel(int k) = 0;
};

// Traces the levels in order and hands each finished line to the sink; the lines are the ones
// ContourSet::traceAll() keeps, in the same order. Throws std::bad_alloc when memory runs out.
void traceToSink(const GridData& grid, const ContourLevels& levels, ContourSink& sink);

// Shown when the line lists of a trace cannot be allocated.
inline constexpr const char* kMsgTraceAllocFailed = "内存分配失败!";

// The levels and lines of one grid. The grid is referenced, not copied: it must outlive the set.
class ContourSet {
 public:
  explicit ContourSet(const GridData& grid) : m_grid(&grid) {}

  const GridData& grid() const { return *m_grid; }
  ContourLevels& levels() { return m_levels; }
  const ContourLevels& levels() const { return m_levels; }

  void buildDefaultLevels() { m_levels = defaultLevels(m_grid->zmin, m_grid->zmax); }

  // Traces every level (whatever the grid's z limits say) and sets the traced flag. Returns
  // false, with the flag clear and no lines, when memory runs out (kMsgTraceAllocFailed).
  bool traceAll();

  // Lines of level k, in level order.
  const std::vector<std::vector<ContourLine>>& lines() const { return m_lines; }

  bool traced() const { return m_traced; }
  void clearTraced() { m_traced = false; }

 private:
  const GridData* m_grid;
  ContourLevels m_levels;
  std::vector<std::vector<ContourLine>> m_lines;
  bool m_traced = false;
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct LevelStyle {
  float value = 0;     // level the style belongs to
  float width_mm = 0;  // line width, mm
  Rgb colour;
};

inline constexpr float kDefaultLineWidth_mm = 0.3f;
inline constexpr double kStyleMatchTolerance = 1e-7;  // a line takes a style within this

// The drawing style of each level, shared by the contour map, its legend and the dialogs.
class LevelStyleTable {
 public:
  void reset() { m_entries.clear(); }
  void append(float value, float width_mm, Rgb colour) {
    m_entries.push_back({value, width_mm, colour});
  }
  // One entry per level: width 0.3 mm, red shading from black (lowest) towards red,
  // red = 255·k / n with integer division.
  void resetToDefaults(const ContourLevels& levels);

  // The last entry within 1e-7 of the level, or nullptr.
  const LevelStyle* find(float level) const;
  LevelStyle* find(float level);
  // The style to draw a level with: its entry, or width 0 and black when it has none.
  LevelStyle styleFor(float level) const;

  // Inserts before the first entry with a greater value, so an ordered table stays ordered.
  int insertOrdered(const LevelStyle& style);
  // Removes the entry find() would give; false when there is none.
  bool removeFor(float level);
  // Stable re-ordering by value, used after a level value has been edited.
  void sortByValue();

  const std::vector<LevelStyle>& entries() const { return m_entries; }
  int count() const { return static_cast<int>(m_entries.size()); }

 private:
  std::vector<LevelStyle> m_entries;
};

}  // namespace present
