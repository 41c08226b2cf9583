// A regular grid of single-precision values and its Surfer ASCII grid file ("DSAA").
//
// The pages that compute a concentration field write it to "result.grd" with writeGrdFile();
// the contour window reads it back with readGrdFile(). The file layout is the plain Surfer 6
// text grid: "DSAA", "nx ny", "xmin xmax", "ymin ymax", "zmin zmax", then ny rows of nx values,
// first row = smallest y, first value of a row = smallest x.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/calculator.h"

namespace present {

// The grid file the pages write and the contour window reads, in the current directory.
inline constexpr const char* kResultGridFile = "result.grd";

struct GridData {
  int nx = 0;  // column count (x positions)
  int ny = 0;  // row count (y positions)
  // Node positions in double: projected coordinates reach 4e7 m (a zone number in front), where
  // a float is 4 m coarse.
  double xmin = 0, xmax = 0;
  double ymin = 0, ymax = 0;
  float zmin = 0, zmax = 0;  // as written in the file (the writer puts 0 for zmin)
  std::vector<float> z;      // ny rows of nx values, row 0 = smallest y

  float at(int row, int col) const {
    return z[static_cast<std::size_t>(row) * static_cast<std::size_t>(nx) +
             static_cast<std::size_t>(col)];
  }
  const float* row(int r) const {
    return z.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(nx);
  }
};

// The smallest and largest finite values ({0, 0} when there are none): the z limits of a field
// that may hold -inf where nothing reaches (a night without running sources).
std::pair<float, float> finiteRange(const std::vector<float>& z);

// Largest number of values a grid file may announce; beyond this the read is refused as an
// allocation failure rather than trying to reserve gigabytes for a damaged or hostile file.
inline constexpr long long kMaxGridValues = 1LL << 26;  // 64 Mi floats = 256 MiB

// Largest magnitude of a grid limit read (x and y in metres); beyond it a file is refused.
inline constexpr double kMaxGridCoordinate = 1e9;

// Writes the table as a grid file: the first column of each row is its y value (not written),
// the other columns are the values, converted from their texts ("not a number" gives 0).
// The z minimum is always written as 0. The x and y limits are written in full (the shortest
// text that reads back as the same double). The file is written atomically (core::AtomicFile):
// on any failure the target is left as it was and `error`, when given, says why.
bool writeGrdFile(const core::Table& table, const std::string& path, double xmin, double xmax,
                  double ymin, double ymax, float zmax, std::string* error = nullptr);

// Writes an in-memory grid in the same layout (its zmin is written as 0 like the table writer).
bool writeGrdFile(const GridData& grid, const std::string& path, std::string* error = nullptr);

enum class GrdReadStatus {
  Ok,
  CannotOpen,   // the file cannot be opened
  NotDsaa,      // the first four bytes are not "DSAA"
  AllocFailed,  // the announced size is negative, too large, or memory ran out
  NotRegular,   // a folder, a FIFO, a device: only regular files are read
  BadHeader,    // the eight header numbers cannot all be read
  BadLimits,    // a limit that is not finite, or x/y beyond ±kMaxGridCoordinate
  BadCount,     // the file holds fewer or more values than nx·ny
};

// What a read found, for the messages of damaged files.
struct GrdReadDetails {
  int header_items = 0;             // of the 8 header numbers (nx ny and six limits)
  std::size_t values_read = 0;      // values scanned before the first one that was missing
  std::size_t values_expected = 0;  // nx * ny
  bool extra_values = false;        // more numbers follow the nx·ny values
  std::string kind;  // what a non-regular file is ("目录", "管道（FIFO）", ...)
  bool headerComplete() const { return header_items == 8; }
};

// The message the user sees for a failed read ("" for Ok); the file is named. `details` gives
// the counts for BadCount.
std::string grdReadMessage(GrdReadStatus status, const std::string& path,
                           const GrdReadDetails* details = nullptr);

// Reads a regular grid file into `grid`. A file whose header is incomplete, whose limits are
// not finite (or beyond ±kMaxGridCoordinate for x and y), or whose value count is not nx·ny is
// refused; on every refusal the grid is left empty (CannotOpen, NotRegular and NotDsaa leave
// it as it was). `details`, when given, says what was read.
GrdReadStatus readGrdFile(const std::string& path, GridData& grid,
                          GrdReadDetails* details = nullptr);

// Message for a file whose header numbers cannot all be read ("DSAA" alone, "DSAA three 3").
std::string grdHeaderMessage(const std::string& path);

// Message for a file that holds fewer or more values than its header announces.
std::string grdCountMessage(const std::string& path, const GrdReadDetails& details);

}  // namespace present
