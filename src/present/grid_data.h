// A regular grid of single-precision values and its Surfer ASCII grid file ("DSAA").
//
// The pages that compute a concentration field write it to "result.grd" with writeGrdFile();
// the contour window reads it back with readGrdFile(). The file layout is the plain Surfer 6
// text grid: "DSAA", "nx ny", "xmin xmax", "ymin ymax", "zmin zmax", then ny rows of nx values,
// first row = smallest y, first value of a row = smallest x.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace present {

// The grid file the pages write and the contour window reads, in the current directory.
inline constexpr const char* kResultGridFile = "result.grd";

struct GridData {
  int nx = 0;  // column count (x positions)
  int ny = 0;  // row count (y positions)
  float xmin = 0, xmax = 0;
  float ymin = 0, ymax = 0;
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

// Largest number of values a grid file may announce; beyond this the read is refused as an
// allocation failure rather than trying to reserve gigabytes for a damaged or hostile file.
inline constexpr long long kMaxGridValues = 1LL << 26;  // 64 Mi floats = 256 MiB

// Writes the table as a grid file: the first column of each row is its y value (not written),
// the other columns are the values, converted from their texts ("not a number" gives 0).
// The z minimum is always written as 0. Returns false when the file cannot be created (after
// printing "   open file error!!!!!!!!!!!!" to stdout, as the pages do not report it).
bool writeGrdFile(const core::Table& table, const std::string& path, float xmin, float xmax,
                  float ymin, float ymax, float zmax);

// Writes an in-memory grid in the same layout (its zmin is written as 0 like the table writer).
bool writeGrdFile(const GridData& grid, const std::string& path);

enum class GrdReadStatus {
  Ok,
  CannotOpen,   // the file cannot be opened
  NotDsaa,      // the first four bytes are not "DSAA"
  AllocFailed,  // the announced size is negative, too large, or memory ran out
};

// The message the user sees for a failed read ("" for Ok).
std::string grdReadMessage(GrdReadStatus status, const std::string& path);

// What a successful read found, for callers that report damaged files (the command line).
struct GrdReadDetails {
  int header_items = 0;             // of the 8 header numbers (nx ny and six limits)
  std::size_t values_read = 0;      // values scanned before the first one that was missing
  std::size_t values_expected = 0;  // nx * ny
  bool headerComplete() const { return header_items == 8; }
};

// Reads a grid file into `grid`. On CannotOpen and NotDsaa the grid is left as it was; on
// AllocFailed it is left empty. Header numbers and values the file lacks (short file or
// unreadable text) are 0; `details`, when given, says how much was actually read.
GrdReadStatus readGrdFile(const std::string& path, GridData& grid,
                          GrdReadDetails* details = nullptr);

// Message for a file whose header numbers cannot all be read ("DSAA" alone, "DSAA three 3").
std::string grdHeaderMessage(const std::string& path);

// Warning for a file that holds fewer values than its header announces (the rest read as 0).
std::string grdShortBodyMessage(const std::string& path, const GrdReadDetails& details);

}  // namespace present
