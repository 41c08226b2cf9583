// The assessment rules of a further air-quality prediction: the ambient air quality standard
// (GB 3095-2012, 一级 and 二级 limits) with the 1-hour reference value of a pollutant that has
// only longer limits (HJ 2.2-2018, 5.3.2: 2, 3 or 6 times its 8-hour, daily or annual limit),
// the percentile of a daily series (HJ 663-2013, 6.2.2), the default nested receptor grid
// (HJ 2.2-2018, 8.6: at most 100 m within 5 km of the sources, 250 m to 15 km, 500 m beyond) and
// the atmospheric protection distance (HJ 2.2-2018, 8.8.5).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace models::air::prediction {

struct Point {
  double x = 0, y = 0;
};

// Limits in µg/m³ (0: the standard has none for that average).
struct Limits {
  double h1 = 0, h8 = 0, h24 = 0, annual = 0;
};

struct StandardRow {
  const char* name;
  Limits grade1, grade2;  // 一级, 二级
  double percentile;      // p of the guaranteed-rate daily value (0: not assessed that way)
};

// The built-in table, in the standard's order.
const std::vector<StandardRow>& standardTable();
// The row of a pollutant by name (case and the "." of PM2.5 as written), or none.
const StandardRow* findStandard(const std::string& name);

// The 1-hour value to compare with: the 1-hour limit, else 2 × the 8-hour, 3 × the daily or
// 6 × the annual limit; 0 when there is none.
double hourlyReference(const Limits& l);

// The p-th percentile of `values` (0 < p ≤ 100): ascending order, k = 1 + (n − 1)·p/100, linear
// between the k-th and the next value. None for an empty series.
std::optional<double> percentile(std::vector<double> values, double p);

// The default nested grid around the sources: every point of the 100 m lattice whose
// Chebyshev distance from the sources' bounding box is at most 5 km, of the 250 m lattice from
// 5 to 15 km and of the 500 m lattice beyond, out to `extent_m` from the box (lattices anchored
// at whole multiples of their step). Points come row by row, x fastest.
std::vector<Point> nestedGrid(const std::vector<Point>& sources, double extent_m);
// A regular grid from (x0, y0) to (x1, y1) by `step`, row by row, x fastest.
std::vector<Point> regularGrid(double x0, double y0, double x1, double y1, double step);

// Geometry of the plant boundary (a closed ring, not repeated at the end).
bool insidePolygon(const std::vector<Point>& ring, Point p);
double distanceToRing(const std::vector<Point>& ring, Point p);
// True when two edges of the ring cross (touching neighbours do not count).
bool selfIntersecting(const std::vector<Point>& ring);

struct ProtectionResult {
  double distance_m = 0;          // 0 when no cell outside the boundary exceeds
  std::vector<size_t> exceeding;  // indices of the exceeding cells outside the boundary
  std::vector<std::pair<size_t, double>> edges;  // boundary edge and the distance beyond it
};
// The farthest perpendicular distance from the boundary to a cell outside it whose value
// exceeds its limit (`ratio` = value / limit > 1), and the boundary stretch it lies beyond.
ProtectionResult protectionDistance(const std::vector<Point>& ring, const std::vector<Point>& cells,
                                    const std::vector<double>& ratio);
// The cells of a `step` lattice outside the boundary within `margin_m` of its bounding box.
std::vector<Point> protectionCells(const std::vector<Point>& ring, double step, double margin_m);

}  // namespace models::air::prediction
