#include "models/water/mixing_grid.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "core/counts.h"
#include "core/format.h"

namespace models::water {

namespace {
constexpr const char* kMsgStepX = "距离间隔xc必须大于0，请重新输入！";
constexpr const char* kMsgStepY = "距离间隔yc必须大于0，请重新输入！";
constexpr const char* kMsgTooLarge =
    "网格点数超过10000000，无法显示，请加大距离间隔xc或yc，请重新输入！";
constexpr int kYColumnWidth = 40;
constexpr int kXColumnWidth = 60;

double columnQuotient(const MixingGrid& g) {
  return static_cast<double>(g.xmax_m) / static_cast<double>(g.xc_m);
}

double rowQuotient(const MixingGrid& g) {
  return (static_cast<double>(g.yhigh_m) - g.ylow_m) / static_cast<double>(g.yc_m);
}

// "%.4f" of a cell. to_chars gives the same text as printf (both round the exact binary
// value) in a fraction of the time, which counts for grids of millions of cells.
std::string fixed4(double v) {
  if (!std::isfinite(v)) return core::cformat("%.4f", v);
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4);
  if (r.ec != std::errc()) return core::cformat("%.4f", v);
  return std::string(buf, r.ptr);
}

// The number a cell text stands for, as the grid file reads it (text that is no number is 0).
float cellNumber(const std::string& text) {
  double v = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  if (std::from_chars(first, last, v).ec != std::errc()) {
    // inf and nan come out of the C library's "%.4f" as words the reader takes too.
    return static_cast<float>(std::strtod(text.c_str(), nullptr));
  }
  return static_cast<float>(v);
}
}  // namespace

MixingGrid orderedLateral(MixingGrid g) {
  if (g.ylow_m > g.yhigh_m) std::swap(g.ylow_m, g.yhigh_m);
  return g;
}

core::Check checkMixingRiver(double depth_m, double u_m_s, double my_m2_s) {
  if (!(depth_m > 0)) return core::fail("平均水深H必须大于0，请重新输入！", "H");
  if (!(u_m_s > 0)) return core::fail("流速u必须大于0，请重新输入！", "u");
  if (!(my_m2_s > 0)) return core::fail("横向混合系数My必须大于0，请重新输入！", "My");
  return std::nullopt;
}

core::Check checkMixingPointX(double x_m) {
  if (!(x_m > 0)) return core::fail("离排放口流线距离x必须大于0，请重新输入！", "x");
  return std::nullopt;
}

core::Check checkMixingGridSteps(const MixingGrid& g) {
  if (!(g.xc_m > 0)) return core::fail(kMsgStepX, "xc");
  if (!(g.yc_m > 0)) return core::fail(kMsgStepY, "yc");
  // Bound the quotients before counting: a count beyond the int range is no count at all.
  const double qx = columnQuotient(g), qy = rowQuotient(g);
  if (!(qx <= kMaxGridCells && qy <= kMaxGridCells)) return core::fail(kMsgTooLarge, "xc");
  // One row per lateral step.
  if (!(qy < core::kMaxTableRows))
    return core::fail("预测点数超过100000，无法显示，请加大距离间隔yc，请重新输入！", "yc");
  const double cells =
      static_cast<double>(mixingGridRows(g)) * (static_cast<double>(mixingGridColumns(g)) + 1);
  if (!(cells <= kMaxGridCells)) return core::fail(kMsgTooLarge, "xc");
  return std::nullopt;
}

int mixingGridColumns(const MixingGrid& g) {
  const double q = columnQuotient(g);
  if (!(q >= 1)) return 0;
  return core::truncatedCount(q);
}

int mixingGridRows(const MixingGrid& g) {
  const double q = rowQuotient(g);
  if (!(q >= 0)) return 0;
  return core::truncatedCount(q) + 1;
}

MixingGridValues computeMixingGrid(const MixingGrid& g,
                                   const std::function<double(double, double)>& conc) {
  MixingGridValues r;
  const int nx = mixingGridColumns(g), ny = mixingGridRows(g);
  r.x_m.reserve(static_cast<size_t>(nx));
  r.y_m.reserve(static_cast<size_t>(ny));
  for (int i = 1; i <= nx; ++i) r.x_m.push_back(i * static_cast<double>(g.xc_m));
  for (int j = 0; j < ny; ++j)
    r.y_m.push_back(static_cast<double>(g.ylow_m) + j * static_cast<double>(g.yc_m));
  r.c_mg_l.reserve(static_cast<size_t>(nx) * static_cast<size_t>(ny));
  for (double y : r.y_m)
    for (double x : r.x_m) r.c_mg_l.push_back(static_cast<float>(conc(x, y)));
  return r;
}

core::Table mixingGridTable(const MixingGridValues& grid, std::string title) {
  core::Table t;
  t.title = std::move(title);
  const size_t nx = grid.x_m.size();
  t.headers.reserve(nx + 1);
  t.widths.reserve(nx + 1);
  t.headers.push_back("Y＼X");
  t.widths.push_back(kYColumnWidth);
  for (double x : grid.x_m) {
    t.headers.push_back(core::cformat("%g", x));
    t.widths.push_back(kXColumnWidth);
  }
  t.rows.reserve(grid.y_m.size());
  for (size_t j = 0; j < grid.y_m.size(); ++j) {
    std::vector<std::string> row;
    row.reserve(nx + 1);
    row.push_back(core::cformat("%g", grid.y_m[j]));
    for (size_t i = 0; i < nx; ++i)
      row.push_back(fixed4(static_cast<double>(grid.c_mg_l[j * nx + i])));
    t.rows.push_back(std::move(row));
  }
  return t;
}

core::Outcome::Grid mixingGridContour(const core::Table& table, const MixingGrid& g) {
  core::Outcome::Grid c;
  c.ny = static_cast<int>(table.rows.size());
  c.nx = table.headers.empty() ? 0 : static_cast<int>(table.headers.size()) - 1;
  c.xmin = 0;
  c.xmax = g.xmax_m;
  c.ymin = g.ylow_m;
  c.ymax = g.yhigh_m;
  c.zmin = 0;
  c.z.reserve(static_cast<size_t>(c.nx) * static_cast<size_t>(c.ny));
  // The contour map reads the numbers the list shows, not the unrounded values.
  for (const auto& row : table.rows)
    for (size_t i = 1; i < row.size(); ++i) c.z.push_back(cellNumber(row[i]));
  if (c.nx > 0 && c.ny > 0) c.zmax = cellNumber(table.rows[0][1]);
  return c;
}

core::Outcome mixingGridOutcome(const MixingGrid& g, std::string title,
                                const std::function<double(double, double)>& conc) {
  core::Outcome o;
  o.tables.push_back(mixingGridTable(computeMixingGrid(g, conc), std::move(title)));
  o.grid = mixingGridContour(o.tables.front(), g);
  return o;
}

}  // namespace models::water
