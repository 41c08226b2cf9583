#include "present/grid_data.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace present {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Header lines 1 to 5; the z minimum is always written as 0.
void writeHeader(std::FILE* f, int nx, int ny, float xmin, float xmax, float ymin, float ymax,
                 float zmax) {
  std::fprintf(f, "DSAA\n");
  std::fprintf(f, "%d %d\n", nx, ny);
  std::fprintf(f, "%g %g\n", static_cast<double>(xmin), static_cast<double>(xmax));
  std::fprintf(f, "%g %g\n", static_cast<double>(ymin), static_cast<double>(ymax));
  std::fprintf(f, "%g %g\n", 0.0, static_cast<double>(zmax));
}

File createForWriting(const std::string& path) {
  File f(std::fopen(path.c_str(), "w"));
  if (!f) std::printf("   open file error!!!!!!!!!!!!\n");
  return f;
}

}  // namespace

bool writeGrdFile(const core::Table& table, const std::string& path, float xmin, float xmax,
                  float ymin, float ymax, float zmax) {
  File f = createForWriting(path);
  if (!f) return false;
  const int columns = static_cast<int>(table.headers.size());
  const int nx = columns > 0 ? columns - 1 : 0;  // the y column holds no data
  const int ny = static_cast<int>(table.rows.size());
  writeHeader(f.get(), nx, ny, xmin, xmax, ymin, ymax, zmax);
  for (const auto& row : table.rows) {
    for (int j = 1; j <= nx; ++j) {
      const auto c = static_cast<std::size_t>(j);
      // A cell that is missing or not a number is written as 0, like atof would read it.
      const double v = c < row.size() ? std::strtod(row[c].c_str(), nullptr) : 0.0;
      std::fprintf(f.get(), "%g ", v);
    }
    std::fprintf(f.get(), "\n\n");
  }
  return std::ferror(f.get()) == 0;
}

bool writeGrdFile(const GridData& grid, const std::string& path) {
  File f = createForWriting(path);
  if (!f) return false;
  writeHeader(f.get(), grid.nx, grid.ny, grid.xmin, grid.xmax, grid.ymin, grid.ymax, grid.zmax);
  for (int i = 0; i < grid.ny; ++i) {
    const float* r = grid.row(i);
    for (int j = 0; j < grid.nx; ++j) std::fprintf(f.get(), "%g ", static_cast<double>(r[j]));
    std::fprintf(f.get(), "\n\n");
  }
  return std::ferror(f.get()) == 0;
}

std::string grdReadMessage(GrdReadStatus status, const std::string& path) {
  switch (status) {
    case GrdReadStatus::Ok: return {};
    case GrdReadStatus::CannotOpen: return "Open" + path + "error!!";
    case GrdReadStatus::NotDsaa: return "不能打开文件。";
    case GrdReadStatus::AllocFailed: return "内存分配失败，数据读取没有成功!";
  }
  return {};
}

GrdReadStatus readGrdFile(const std::string& path, GridData& grid) {
  File f(std::fopen(path.c_str(), "r"));
  if (!f) return GrdReadStatus::CannotOpen;
  char magic[4] = {};
  if (std::fread(magic, 1, 4, f.get()) != 4 || magic[0] != 'D' || magic[1] != 'S' ||
      magic[2] != 'A' || magic[3] != 'A')
    return GrdReadStatus::NotDsaa;

  // The reader does not depend on line breaks: everything is white-space separated. A number
  // the file lacks or that cannot be scanned stays 0, and so does everything after it.
  long long nx = 0, ny = 0;
  float limits[6] = {};
  bool scanning = std::fscanf(f.get(), "%lld", &nx) == 1 && std::fscanf(f.get(), "%lld", &ny) == 1;
  for (float& v : limits)
    if (scanning) scanning = std::fscanf(f.get(), "%f", &v) == 1;

  grid = GridData{};
  if (nx < 0 || ny < 0 || nx > kMaxGridValues || ny > kMaxGridValues || nx * ny > kMaxGridValues)
    return GrdReadStatus::AllocFailed;
  try {
    grid.z.assign(static_cast<std::size_t>(nx * ny), 0.0f);
  } catch (const std::bad_alloc&) {
    grid.z.clear();
    return GrdReadStatus::AllocFailed;
  }
  grid.nx = static_cast<int>(nx);
  grid.ny = static_cast<int>(ny);
  grid.xmin = limits[0];
  grid.xmax = limits[1];
  grid.ymin = limits[2];
  grid.ymax = limits[3];
  grid.zmin = limits[4];
  grid.zmax = limits[5];
  for (float& v : grid.z) {
    if (!scanning) break;
    scanning = std::fscanf(f.get(), "%f", &v) == 1;
    if (!scanning) v = 0;
  }
  return GrdReadStatus::Ok;
}

}  // namespace present
