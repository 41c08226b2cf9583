// Contour lines as data for other programs: JSON, GeoJSON, and the `contour` command of the
// command-line front end.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "present/contour.h"

namespace present {

// Shortest decimal text that reads back as the same float ("0.1" for 0.1f, "12345.7" ...);
// "null" for NaN and infinities (JSON has no such numbers).
std::string formatFloatShortest(float v);
// A coordinate in full: the shortest text that reads back as the same double; "null" when
// not finite.
std::string formatDoubleShortest(double v);

// {"levels": [...], "lines": [[[[x, y], ...], ...], ...]}: one list of lines per level, each
// line its points in tracing order.
void writeContourJson(std::ostream& out, const ContourSet& set);

// A GeoJSON FeatureCollection with one LineString feature per line and the level in the
// feature's "level" property. Coordinates are the grid's own x and y.
void writeContourGeoJson(std::ostream& out, const ContourSet& set);

// The same two layouts traced from the grid and written as each line is finished, in blocks;
// no line is kept. Throw std::bad_alloc when memory runs out.
void streamContourJson(std::ostream& out, const GridData& grid, const ContourLevels& levels);
void streamContourGeoJson(std::ostream& out, const GridData& grid, const ContourLevels& levels);

// Writes the GeoJSON to a file atomically; false, with `error` set when given, on failure.
bool saveContourGeoJson(const ContourSet& set, const std::string& path,
                        std::string* error = nullptr);

// Plain text: "levels: v1 v2 ...", then per level "level V: N lines" and one line of
// "x,y x,y ..." per contour line.
void writeContourText(std::ostream& out, const ContourSet& set);

// The `contour` command: args are the words after "contour":
//   FILE.grd [--levels v1,v2,...] [--json | --geojson]
// Reads the grid file, takes the default levels unless --levels is given, traces and prints.
// JSON and GeoJSON are written as traced. Returns 0 on success, 1 when the grid file or its
// header cannot be read (the reader's message on err) or the output cannot be written, 2 for
// usage errors (the message names the bad word or value). A file holding fewer values than its
// header announces is traced with the missing values as 0 and a warning on err.
int runContourCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace present
